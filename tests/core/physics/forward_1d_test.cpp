#include "core/physics/forward_1d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

#include "core/physics/model_curve.h"

namespace mtvuk {
namespace {

using Cx = std::complex<double>;

// The layer recursion written plainly with the library's tangent and
// exponentials, as the reference for the optimised kernel.
Response1D Reference(const double* rho, const double* h, int n, double period) {
  if (n < 2) n = 2;
  Cx y(1.0, 0.0);
  for (int l = n - 2; l >= 0; --l) {
    Cx a = std::sqrt(rho[l + 1] / rho[l]) * y;
    double x = 2.0 * M_PI * h[l] / std::sqrt(10.0 * period * rho[l]);
    Cx c(1.0, 0.0);
    if (x <= 10000.0) {
      double cc = x < 300.0 ? (std::exp(x) + std::exp(-x)) /
                                  (std::exp(x) - std::exp(-x))
                            : 1.0;
      double k = 1.0 / std::tan(x);
      c = Cx(cc * (k * k + 1.0), k * (cc * cc - 1.0)) / (k * k + cc * cc);
    }
    y = (1.0 + a * c) / (a + c);
  }
  Response1D r;
  r.rho_a = rho[0] * std::norm(y);
  double phi = M_PI / 4 - std::arg(y);
  double abs_z = std::sqrt(r.rho_a * 2.0 * M_PI / period * 4e-7 * M_PI) /
                 (4e-7 * M_PI * 1000.0);
  r.z = {abs_z * std::cos(phi), abs_z * std::sin(phi)};
  r.phase = phi * 180.0 / M_PI;
  return r;
}

struct RandomModel {
  LayerArray<double> rho{}, h{};
  int n;
};

RandomModel Random(std::mt19937& rng) {
  RandomModel m;
  std::uniform_real_distribution<double> lg(-1.0, 4.0), lh(-2.0, 1.5);
  m.n = 1 + static_cast<int>(rng() % 16);
  for (int j = 0; j < MaxLayers; ++j) {
    m.rho[j] = std::pow(10.0, lg(rng));
    m.h[j] = std::pow(10.0, lh(rng));
  }
  return m;
}

TEST(Forward1d, KernelMatchesThePlainRecursion) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> lt(-5.0, 5.0);
  double worst = 0.0;
  for (int trial = 0; trial < 300; ++trial) {
    RandomModel m = Random(rng);
    for (int k = 0; k < 10; ++k) {
      double t = std::pow(10.0, lt(rng));
      Response1D a = ResponseNoDispersion(m.rho.data(), m.h.data(), m.n, t);
      Response1D b = Reference(m.rho.data(), m.h.data(), m.n, t);
      worst = std::max(worst, std::fabs(a.rho_a / b.rho_a - 1.0));
      ASSERT_NEAR(a.rho_a, b.rho_a, 1e-11 * b.rho_a) << trial;
      ASSERT_NEAR(a.phase, b.phase, 1e-9) << trial;
      ASSERT_NEAR(a.z.re, b.z.re, 1e-9 * std::abs(Cx(b.z.re, b.z.im)));
      ASSERT_NEAR(a.z.im, b.z.im, 1e-9 * std::abs(Cx(b.z.re, b.z.im)));
    }
  }
  RecordProperty("worst_relative_rho_difference", std::to_string(worst));
}

TEST(Forward1d, PathsAgreeWhereThePhysicsSaysTheyMust) {
  std::mt19937 rng(11);
  for (int trial = 0; trial < 100; ++trial) {
    RandomModel r = Random(rng);
    LayerModel model;
    model.dispersion_on = 1;
    model.law = 2;
    for (int j = 0; j < MaxLayers; ++j) {
      model.resistivity[j] = r.rho[j];
      model.ip_on[j] = 0;
      model.ip_p1[j][0] = 0.5f;
    }
    for (double t : {1e-3, 0.7, 300.0}) {
      Response1D a =
          ResponseNoDispersion(r.rho.data(), r.h.data(), std::max(r.n, 2), t);
      Response1D b = ResponseDispersion(
          model, r.rho.data(), r.h.data(), std::max(r.n, 2), t);
      ASSERT_NEAR(b.rho_a, a.rho_a, 1e-9 * a.rho_a) << trial;
      ASSERT_NEAR(b.phase, a.phase, 1e-7) << trial;
      // The two paths' time conventions differ: Im Z changes its sign.
      ASSERT_NEAR(b.z.re, a.z.re, 1e-8 * std::hypot(a.z.re, a.z.im));
      ASSERT_NEAR(b.z.im, -a.z.im, 1e-8 * std::hypot(a.z.re, a.z.im));
      // The batch kernel of the dispersive path takes the plain route here.
      Response1D c;
      DispersionKernel(model, r.rho.data(), r.h.data(), std::max(r.n, 2))
          .Evaluate(&t, 1, &c);
      ASSERT_NEAR(c.rho_a, b.rho_a, 1e-9 * b.rho_a);
      ASSERT_NEAR(c.z.im, b.z.im, 1e-8 * std::hypot(b.z.re, b.z.im));
    }
  }
}

TEST(Forward1d, DispersiveLayerChangesTheResponseAsItsLawSays) {
  // A half-space whose resistivity disperses: rho_a follows |rho(i omega)|.
  LayerModel model;
  model.law = 2;
  for (int j = 0; j < 2; ++j) {
    model.resistivity[j] = 100.0;
    model.ip_on[j] = 1;
    model.ip_p1[j][0] = 0.5f;
    model.ip_tau[j][0] = 1.0f;
    model.ip_c[j][0] = 1.0f;
  }
  const double rho[2] = {100.0, 100.0}, h[2] = {1.0, 1.0};
  // At omega T = 1: M = 1.2 + 0.4i, rho = 100 / M.
  Response1D r = ResponseDispersion(model, rho, h, 2, kTwoPi);
  EXPECT_NEAR(r.rho_a, 100.0 / std::hypot(1.2, 0.4), 1e-9);
  EXPECT_NEAR(r.phase, 45.0 + 0.5 * std::atan2(0.4, 1.2) * kDegPerRad, 1e-9);
  Response1D batch;
  double t = kTwoPi;
  DispersionKernel(model, rho, h, 2).Evaluate(&t, 1, &batch);
  EXPECT_EQ(batch.rho_a, r.rho_a);
}

TEST(Forward1d, OneLayerModelsAndThickLayers) {
  // A one-layer model is layer 1 over the half-space held in entry 2.
  const double rho[2] = {1000.0, 10.0}, h[2] = {1.0, 1.0};
  EXPECT_NEAR(ResponseNoDispersion(rho, h, 1, 1e4).rho_a, 10.0, 0.5);
  // The dispersive path takes the single layer as the half-space itself.
  LayerModel model;
  EXPECT_NEAR(ResponseDispersion(model, rho, h, 1, 1e4).rho_a, 1000.0, 1e-9);
  Response1D batch;
  double t = 1e4;
  DispersionKernel(model, rho, h, 1).Evaluate(&t, 1, &batch);
  EXPECT_NEAR(batch.rho_a, 1000.0, 1e-9);
  // A layer far thicker than its skin depth hides everything below.
  const double thick[3] = {10.0, 0.001, 1e6}, hh[3] = {1e6, 1.0, 1.0};
  Response1D r = ResponseNoDispersion(thick, hh, 3, 1.0);
  EXPECT_NEAR(r.rho_a, 10.0, 1e-9);
  EXPECT_NEAR(r.phase, 45.0, 1e-9);
}

}  // namespace
}  // namespace mtvuk
