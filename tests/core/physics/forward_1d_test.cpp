#include "core/physics/forward_1d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "core/bayes/random_stream.h"
#include "core/physics/complex.h"
#include "core/physics/dispersion.h"
#include "core/physics/layered_response.h"
#include "core/physics/model_curve.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

using Cx = std::complex<double>;

// The layer recursion written plainly, the reference of the kernel.
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

TEST(Forward1d, KernelAndDispersivePathMatchThePlainRecursion) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> lt(-5.0, 5.0);
  for (int trial = 0; trial < 300; ++trial) {
    RandomModel m = Random(rng);
    const int n2 = std::max(m.n, 2);
    LayerModel model;  // dispersion on, but no layer chargeable
    model.dispersion_on = 1;
    model.law = 2;
    model.resistivity = m.rho;
    for (int j = 0; j < MaxLayers; ++j) model.ip_p1[j][0] = 0.5f;
    for (int k = 0; k < 10; ++k) {
      double t = std::pow(10.0, lt(rng));
      Response1D a = ResponseNoDispersion(m.rho.data(), m.h.data(), m.n, t);
      Response1D b = Reference(m.rho.data(), m.h.data(), m.n, t);
      const double size = std::hypot(b.z.re, b.z.im);
      ASSERT_NEAR(a.rho_a, b.rho_a, 1e-11 * b.rho_a) << trial;
      ASSERT_NEAR(a.phase, b.phase, 1e-9) << trial;
      ASSERT_NEAR(a.z.re, b.z.re, 1e-9 * size);
      ASSERT_NEAR(a.z.im, b.z.im, 1e-9 * size);
      if (k >= 3) continue;
      // The dispersive path and its batch kernel: Im Z of the other sign.
      Response1D d = ResponseDispersion(model, m.rho.data(), m.h.data(), n2, t);
      Response1D c;
      DispersionKernel(model, m.rho.data(), m.h.data(), n2).Evaluate(&t, 1, &c);
      ASSERT_NEAR(d.rho_a, a.rho_a, 1e-9 * a.rho_a) << trial;
      ASSERT_NEAR(d.phase, a.phase, 1e-7) << trial;
      ASSERT_NEAR(d.z.re, a.z.re, 1e-8 * size);
      ASSERT_NEAR(d.z.im, -a.z.im, 1e-8 * size);
      ASSERT_NEAR(c.rho_a, d.rho_a, 1e-9 * d.rho_a);
      ASSERT_NEAR(c.z.im, d.z.im, 1e-8 * size);
    }
  }
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

TEST(Complex, DivisionSquareRootAndClampedExponential) {
  const struct {
    Complex got;
    double re, im;
  } kCases[] = {
      {Div({1, 2}, {3, 4}), 0.44, 0.08},  // |im| >= |re| branch of Smith's
      {Div({1, 2}, {4, 3}), 0.4, 0.2},
      // Scaling avoids the overflow of the textbook formula.
      {Div({1e300, 1e300}, {1e300, 1e300}), 1.0, 0.0},
      {Sqrt({-4, 0}), 0.0, 2.0},  // the principal root
      {Sqrt({-3, -4}), 1.0, -2.0},
      {Sqrt({3, 4}), 2.0, 1.0},
      {Exp({1000, 0}), std::exp(300.0), 0.0},  // clamped at 300
      {Exp({-1000, 0}), std::exp(-300.0), 0.0},
      {Exp({0, M_PI / 2}), 0.0, 1.0}};
  for (const auto& c : kCases) {
    EXPECT_NEAR(c.got.re, c.re, 1e-15 * std::fabs(c.re) + 1e-16) << c.re;
    EXPECT_NEAR(c.got.im, c.im, 1e-15 * std::fabs(c.im) + 1e-16) << c.im;
  }
  EXPECT_FALSE(std::isfinite(Div({1, 1}, {0, 0}).re));
}

Cx M(double omega, int law, float p1, float tau, float c, double rho = 100.0) {
  LayerModel m;
  m.law = law;
  m.ip_on[0] = 1;
  m.ip_p1[0][0] = p1;
  m.ip_tau[0][0] = tau;
  m.ip_c[0][0] = c;
  m.resistivity[0] = rho;
  const Complex z = DispersionMultiplier(omega, m, 0);
  return {z.re, z.im};
}

TEST(Dispersion, LawsAgreeWithTheirClosedForms) {
  for (int law = 0; law < 5; ++law) {
    EXPECT_EQ(M(10.0, law, 0.0001f, 1.0f, 0.5f), 1.0) << law;
    EXPECT_EQ(M(10.0, law, NAN, 1.0f, 0.5f), 1.0) << law;
    LayerModel m;
    m.law = law;
    m.ip_p1[0][0] = 0.5f;  // a layer whose dispersion is switched off
    const Complex z = DispersionMultiplier(10.0, m, 0);
    EXPECT_EQ(Cx(z.re, z.im), 1.0) << law;
  }
  // Any other law leaves M = 1 even for a dispersive layer.
  EXPECT_EQ(M(10.0, 7, 0.5f, 1.0f, 0.5f), 1.0);
  // Law 2 Cole-Cole, law 3 Davidson-Cole, M = rho0 / rho(i w).
  const double m = 0.3f, tau = 0.05f, c = 0.6f;
  for (double omega : {1e-3, 0.5, 20.0, 1e4}) {
    const Cx iwt(0.0, omega * tau);
    const Cx cole = 1.0 / (1.0 - m * (1.0 - 1.0 / (1.0 + std::pow(iwt, c))));
    const Cx dav = 1.0 / (1.0 - m * (1.0 - std::pow(1.0 + iwt, -c)));
    EXPECT_LT(std::abs(M(omega, 2, 0.3f, 0.05f, 0.6f) - cole), 1e-12) << omega;
    EXPECT_LT(std::abs(M(omega, 3, 0.3f, 0.05f, 0.6f) - dav), 1e-12) << omega;
  }
  // Limits: M -> 1 at low frequency, 1 / (1 - m) at high frequency.
  EXPECT_LT(std::abs(M(1e-12, 2, 0.4f, 1.0f, 0.7f) - 1.0), 1e-6);
  EXPECT_LT(std::abs(M(1e12, 2, 0.4f, 1.0f, 0.7f) - 1.0 / (1.0 - 0.4f)), 1e-6);
  // M = 1 + i K D / N (law 0), 1 + i K / N (law 1), K = omega T e eps0 rho0.
  const double eps0 = 1.0 / (36.0 * M_PI) * 1e-9, e = 80.0, rho0 = 1000.0;
  const double wt = 3.0 * 2.0;  // omega 3, T 2, c 0.5
  const Cx u = std::pow(Cx(0.0, wt), 0.5);
  const Cx ik(0.0, wt * e * eps0 * rho0);
  const Cx law0 = 1.0 + ik * (1.0 + u / e) / (1.0 + u);
  const Cx law1 = 1.0 + ik / std::pow(Cx(1.0, wt), 0.5);
  const Cx a = M(3.0, 0, 80.0f, 2.0f, 0.5f, rho0);
  EXPECT_LT(std::abs(a - law0), 1e-15);
  EXPECT_LT(std::abs(M(3.0, 1, 80.0f, 2.0f, 0.5f, rho0) - law1), 1e-15);
  EXPECT_GT(a.imag(), 0.0);
}

constexpr double kQuarterPi = 0.7853981633974483;

// Random models of 1 to 101 layers (some of zero thickness) at 1 to 45
// periods (every remainder of the lanes): vectorised equals scalar.
TEST(LayeredResponse, VectorisedEqualsScalar) {
  RandomStream random(7, 0);
  double worst_rho = 0.0, worst_phase = 0.0;
  for (int trial = 0; trial < 300; ++trial) {
    const int n = trial < 250 ? 1 + random.Index(16) : 1 + random.Index(101);
    std::vector<double> rho(std::max(n, 2)), h(std::max(n, 2));
    for (int l = 0; l < n; ++l) {
      rho[l] = std::pow(10.0, random.Uniform(-2.0, 6.0));
      h[l] = random.Uniform() < 0.05
                 ? 0.0
                 : std::pow(10.0, random.Uniform(-3.0, 2.5));
    }
    if (n == 1) rho[1] = rho[0];
    const int count = 1 + trial % 45;
    std::vector<double> periods(count);
    for (double& t : periods) t = std::pow(10.0, random.Uniform(-5.0, 5.0));
    std::vector<double> r1(count), p1(count), r2(count), p2(count);
    const int m = std::max(n, 2);
    const double *r = rho.data(), *d = h.data(), *t = periods.data();
    LayeredResponseScalar(r, d, m, t, count, r1.data(), p1.data());
    LayeredResponseSimd(r, d, m, t, count, r2.data(), p2.data());
    for (int i = 0; i < count; ++i) {
      ASSERT_TRUE(std::isfinite(r2[i]) && std::isfinite(p2[i]));
      worst_rho =
          std::max(worst_rho, std::fabs(std::pow(10.0, r2[i] - r1[i]) - 1.0));
      worst_phase = std::max(worst_phase, std::fabs(p2[i] / p1[i] - 1.0));
    }
  }
  EXPECT_LT(worst_rho, 1e-12);
  EXPECT_LT(worst_phase, 1e-12);
}

// Both paths on a half-space and on a thin conductive cover over a resistor.
TEST(LayeredResponse, HalfSpaceAndLimits) {
  const double rho[3] = {250.0, 250.0, 0.0};
  const double h[3] = {1.0, 0.0, 0.0};
  const double periods[5] = {1e-4, 0.01, 1.0, 100.0, 1e4};
  double r[5], p[5];
  for (auto* f : {&LayeredResponseScalar, &LayeredResponseSimd}) {
    f(rho, h, 2, periods, 5, r, p);
    for (int i = 0; i < 5; ++i) {
      EXPECT_NEAR(r[i], std::log10(250.0), 1e-12);
      EXPECT_NEAR(p[i], kQuarterPi, 1e-12);
    }
    const double cover_rho[2] = {10.0, 1000.0};
    const double cover_h[2] = {0.1, 0.0};
    const double t[2] = {1e-5, 1e5};
    f(cover_rho, cover_h, 2, t, 2, r, p);
    EXPECT_NEAR(r[0], 1.0, 1e-3);
    EXPECT_NEAR(r[1], 3.0, 0.02);
  }
}

TEST(ModelCurve, PlainRunStoresTheCurveAndCopiesThePolarisation) {
  EXPECT_EQ(PeriodGridCount(0.001f, 10000.0f), 142);
  EXPECT_EQ(PeriodGridCount(1e-6, 1e6), 242);
  EXPECT_EQ(PeriodGridCount(1e-9, 1e9),
            MaxCurvePeriods);  // never beyond the record
  EXPECT_EQ(PeriodGridCount(10.0, 1.0), 0);
  auto stores = test::NewStores();
  Workspace& ws = stores->workspace;
  LayerModels& models = stores->models;
  ScriptedUi ui;
  ws.current_model = 2;  // 25, 10, 5 Ohm-m
  models[2].period_min = 1.0f;
  models[2].period_max = 1000.0f;
  EXPECT_EQ(ModelCurveDriver(DriverMode::kPlain, ws, models, ui), 0.0);
  const ModelCurve& c = models[2].curve;
  EXPECT_EQ(c.count, 62);
  EXPECT_EQ(c.computed, 1);
  EXPECT_FLOAT_EQ(c.log_period[0], 0.0f);
  EXPECT_FLOAT_EQ(c.log_period[61], 3.05f);
  Response1D r = ResponseNoDispersion(
      models[2].resistivity.data(), models[2].thickness.data(), 3, 10.0);
  EXPECT_NEAR(c.log_rho[20], std::log10(r.rho_a), 1e-6);
  EXPECT_NEAR(c.phase[20], r.phase, 1e-4);
  EXPECT_NEAR(c.mode[3].log_re_z[20], std::log10(r.z.re), 1e-6);
  EXPECT_EQ(c.phase_sign[20], 1);
  EXPECT_EQ(models[0].curve.computed, 0);

  // An anisotropic model: the selected polarisation becomes the main curve.
  ws.current_model = 4;
  LayerModel& m = models[4];
  m.anisotropy_on = 1;
  m.aniso_on[1] = 1;
  m.aniso_rho1[1] = 1000.0f;
  m.aniso_rho2[1] = 1.0f;
  m.period_min = 1.0f;
  m.period_max = 100.0f;
  ws.polarisation = 1;
  ModelCurveDriver(DriverMode::kPlain, ws, models, ui);
  EXPECT_TRUE(ui.prompts().empty());
  const ModelCurve& a = m.curve;
  EXPECT_EQ(a.log_rho[30], a.mode[1].log_rho[30]);
  EXPECT_NE(a.mode[0].log_rho[30], a.mode[1].log_rho[30]);
  EXPECT_LT(a.mode[1].log_re_z[30], 10.0f);
  // Every computed model was switched to YX, model 3 as well (1-D: equal).
  EXPECT_EQ(models[2].curve.log_rho[20], models[2].curve.mode[1].log_rho[20]);
  UpdateCurveFlags(ws, models);
  EXPECT_EQ(ws.any_curve_computed, 1);
}

TEST(ModelCurve, FittingIgnoresAnisotropyAndHandsTheFieldResponseToTheMisfit) {
  auto stores = test::NewStores();
  Workspace& ws = stores->workspace;
  ScriptedUi ui;
  ws.current_model = 0;
  LayerModel& m = stores->models[0];
  m.anisotropy_on = 1;
  m.aniso_on[0] = 1;
  m.aniso_rho1[0] = 1.0f;
  FieldSet& set = stores->sets[0];
  set.count = 3;
  set.freq[0] = 100.0f;
  set.freq[1] = 1.0f;
  set.freq[2] = 0.01f;
  int calls = 0;
  MisfitFunction misfit = [&](const FieldSet& s, FitResponse& fit) {
    ++calls;
    EXPECT_EQ(&s, &set);
    fit.weight_a[0] = 2.0;
    return fit.rho_a[1] + 1.0;
  };
  FitResponse fit;
  double s = ModelCurveDriver(
      DriverMode::kFitting, ws, stores->models, ui, &set, &fit, misfit);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(fit.count, 3);
  Response1D r =
      ResponseNoDispersion(m.resistivity.data(), m.thickness.data(), 7, 1.0);
  EXPECT_DOUBLE_EQ(fit.rho_a[1], r.rho_a);
  EXPECT_DOUBLE_EQ(fit.im_z[1], r.z.im);
  EXPECT_DOUBLE_EQ(s, r.rho_a + 1.0);
  EXPECT_EQ(fit.weight_a[0], 2.0);
  // The grid curve was computed on a 1-D path: XY and YX are equal.
  EXPECT_EQ(m.curve.mode[0].log_rho[10], m.curve.mode[1].log_rho[10]);
  EXPECT_EQ(ModelCurveDriver(
                DriverMode::kFitting, ws, stores->models, ui, &set, &fit),
            0.0);
}

}  // namespace
}  // namespace mtvuk
