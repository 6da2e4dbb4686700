#include "core/physics/anisotropic.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <random>
#include <unsupported/Eigen/MatrixFunctions>
#include <vector>

#include "core/physics/forward_1d.h"
#include "core/platform/scripted_ui.h"

namespace mtvuk {
namespace {

using Cx = std::complex<double>;
struct Layer {
  double rho1, rho2, strike_deg, h_km;
};

// Reference: (Ex, Ey, Hx, Hy) obeys d/dz f = A f (time factor exp(-i w t));
// two decaying basement solutions go up by exp(-A h); Z = E H^-1.
std::array<Cx, 4> ReferenceTensor(const std::vector<Layer>& layers,
                                  double period) {
  const Cx iwm(0.0, 2.0 * M_PI / period * 4e-7 * M_PI);
  auto axes = [](const Layer& l) {
    const double s = l.strike_deg * M_PI / 180.0;
    return std::pair(std::cos(s), std::sin(s));  // axis 1 along the strike
  };
  // Basement modes E1 = zeta1 H2, E2 = -zeta2 H1, zeta = sqrt(-i w mu0 rho).
  const Layer& base = layers.back();
  const auto [c, sn] = axes(base);
  const Cx z1 = std::sqrt(-iwm * base.rho1), z2 = std::sqrt(-iwm * base.rho2);
  Eigen::Vector4cd f1(z1 * c, z1 * sn, -sn, c), f2(z2 * sn, -z2 * c, c, sn);
  for (int l = static_cast<int>(layers.size()) - 2; l >= 0; --l) {
    const auto [lc, ls] = axes(layers[l]);
    const double s1 = 1.0 / layers[l].rho1, s2 = 1.0 / layers[l].rho2;
    Eigen::Matrix4cd a = Eigen::Matrix4cd::Zero();
    a(0, 3) = iwm;
    a(1, 2) = -iwm;
    a(2, 0) = (s1 - s2) * lc * ls;  // Syx = Sxy
    a(2, 1) = s1 * ls * ls + s2 * lc * lc;
    a(3, 0) = -(s1 * lc * lc + s2 * ls * ls);
    a(3, 1) = -a(2, 0);
    const Eigen::Matrix4cd up = (-layers[l].h_km * 1000.0 * a).exp();
    f1 = up * f1;
    f2 = up * f2;
  }
  Eigen::Matrix2cd e, h;
  e << f1(0), f2(0), f1(1), f2(1);
  h << f1(2), f2(2), f1(3), f2(3);
  const Eigen::Matrix2cd z = e * h.inverse() / (4e-7 * M_PI * 1000.0);
  return {z(0, 0), z(0, 1), z(1, 0), z(1, 1)};
}

struct Built {
  LayerModel model;
  LayerArray<double> rho{}, h{};
  int n;
};

Built Build(const std::vector<Layer>& layers) {
  Built b;
  b.n = static_cast<int>(layers.size());
  b.model.anisotropy_on = 1;
  for (int j = 0; j < b.n; ++j) {
    b.model.aniso_on[j] = 1;
    b.model.aniso_rho1[j] = static_cast<float>(layers[j].rho1);
    b.model.aniso_rho2[j] = static_cast<float>(layers[j].rho2);
    b.model.aniso_strike[j] = static_cast<float>(layers[j].strike_deg);
    b.rho[j] = layers[j].rho1;
    b.h[j] = layers[j].h_km;
  }
  return b;
}

AnisotropicResponse Compute(const std::vector<Layer>& layers, double period) {
  Built b = Build(layers);
  ScriptedUi ui;
  AnisotropicResponse r;
  EXPECT_TRUE(ResponseAnisotropic(
      b.model, b.rho.data(), b.h.data(), b.n, period, ui, r));
  EXPECT_TRUE(ui.prompts().empty());
  return r;
}

void ExpectWithin(Complex a, Cx b, double tol, const char* what) {
  EXPECT_NEAR(a.re, b.real(), tol) << what;
  EXPECT_NEAR(a.im, b.imag(), tol) << what;
}

void ExpectNear(Complex a, Cx b, double rel, const char* what) {
  ExpectWithin(a, b, rel * std::abs(b) + 1e-300, what);
}

TEST(Anisotropic, MatchesAnIndependentFourByFourPropagator) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> lr(0.0, 3.0), ang(-180.0, 180.0),
      lh(-1.5, 0.5);
  int compared = 0;
  for (int trial = 0; trial < 40; ++trial) {
    std::vector<Layer> layers(2 + trial % 5);
    for (Layer& l : layers) {
      // Float-representable values: the model stores them as floats.
      l = {static_cast<float>(std::pow(10.0, lr(rng))),
           static_cast<float>(std::pow(10.0, lr(rng))),
           static_cast<float>(ang(rng)),
           std::pow(10.0, lh(rng))};
    }
    // Every eighth earth has its axes along x and y: XY sees rho1, YX rho2.
    if (trial % 8 == 0)
      for (Layer& l : layers) l.strike_deg = 0.0;
    for (double t : {0.1, 10.0, 1000.0}) {
      // The propagator is inaccurate in layers many skin depths thick.
      double widest = 0.0;
      for (std::size_t j = 0; j + 1 < layers.size(); ++j) {
        double skin =
            503.3 * std::sqrt(std::min(layers[j].rho1, layers[j].rho2) * t);
        widest = std::max(widest, layers[j].h_km * 1000.0 / skin);
      }
      if (widest > 5.0) continue;
      ++compared;
      SCOPED_TRACE(testing::Message() << trial << " T=" << t);
      AnisotropicResponse r = Compute(layers, t);
      std::array<Cx, 4> ref = ReferenceTensor(layers, t);
      double scale = std::abs(ref[1]) + std::abs(ref[2]);
      ExpectWithin(r.zxx, ref[0], 1e-7 * scale, "zxx");
      ExpectNear(r.zxy, ref[1], 1e-7, "zxy");
      ExpectNear(r.zyx, ref[2], 1e-7, "zyx");
      ExpectWithin(r.zyy, ref[3], 1e-7 * scale, "zyy");
    }
  }
  EXPECT_GT(compared, 60);
}

TEST(Anisotropic, EqualPrincipalResistivitiesGiveTheIsotropicResponse) {
  std::vector<Layer> layers = {
      {50, 50, 33, 0.5}, {5, 5, -70, 2.0}, {500, 500, 10, 1.0}};
  Built b = Build(layers);
  LayerModel plain;
  for (double t : {1e-3, 0.1, 10.0, 1e4}) {
    AnisotropicResponse r = Compute(layers, t);
    Response1D one =
        ResponseDispersion(plain, b.rho.data(), b.h.data(), b.n, t);
    ExpectNear(r.zxy, Cx(one.z.re, one.z.im), 1e-10, "zxy");
    ExpectNear(r.zyx, Cx(-one.z.re, -one.z.im), 1e-10, "zyx");
    const double size = std::hypot(one.z.re, one.z.im);
    ExpectWithin(r.zxx, 0.0, 1e-10 * size, "zxx");
    ExpectWithin(r.zyy, 0.0, 1e-10 * size, "zyy");
    for (int p = 0; p < 4; ++p) {
      EXPECT_NEAR(r.table[kRhoXy + p], one.rho_a, 1e-9 * one.rho_a) << p;
      EXPECT_NEAR(r.table[kPhaseXy + p], one.phase, 1e-8) << p;
    }
    EXPECT_LT(r.table[kReXy + 1], 0.0);  // YX entries carry the negative factor
    EXPECT_NEAR(
        r.table[kReXy + 1], -std::fabs(one.z.re), 1e-9 * std::fabs(one.z.re));
    EXPECT_GT(r.table[kImXy], 0.0);
  }
}

TEST(Anisotropic, MeanEffectiveImpedanceAndStrike) {
  std::vector<Layer> layers = {
      {30, 300, 20, 0.8}, {3, 30, -50, 2.0}, {100, 100, 0, 1.0}};
  AnisotropicResponse r = Compute(layers, 3.0);
  Cx xy(r.zxy.re, r.zxy.im), yx(r.zyx.re, r.zyx.im), xx(r.zxx.re, r.zxx.im),
      yy(r.zyy.re, r.zyy.im);
  ExpectNear(r.mean, (xy - yx) / 2.0, 1e-12, "mean");
  Cx eff = std::sqrt(xx * yy - xy * yx);
  ExpectNear(r.eff, eff, 1e-12, "eff");
  const double omega_mu0 = 2.0 * M_PI / 3.0 * kMu0;
  EXPECT_NEAR(r.table[kRhoXy + 3],
              std::norm(eff / kSiToField) / omega_mu0,
              1e-9 * r.table[kRhoXy + 3]);
  EXPECT_NEAR(r.table[kPhaseXy], -std::arg(xy) * kDegPerRad, 1e-9);
  EXPECT_NEAR(r.table[kPhaseXy + 1], 180.0 - std::arg(yx) * kDegPerRad, 1e-9);
  EXPECT_EQ(r.table[kZxxRe], r.zxx.re);
  EXPECT_EQ(r.table[kZyyIm], r.zyy.im);
  // The strike is moved off the singular directions.
  EXPECT_DOUBLE_EQ(EffectiveStrike(30.0), -30.0);
  EXPECT_DOUBLE_EQ(EffectiveStrike(-89.995), 89.99);
  EXPECT_DOUBLE_EQ(EffectiveStrike(-270.005), 270.01);
  EXPECT_DOUBLE_EQ(EffectiveStrike(90.02), -90.02);
}

TEST(Anisotropic, SolverPivotsAndReportsASingularSystem) {
  // [0 1; 1 0] x = [2; 3] needs a row exchange: x = (3, 2).
  double ar[4] = {0, 1, 1, 0}, ai[4] = {0, 0, 0, 0}, br[2] = {2, 3},
         bi[2] = {0, 0};
  EXPECT_EQ(SolveComplexSystem(2, ar, ai, br, bi), 0);
  EXPECT_EQ(std::vector<double>(br, br + 2), (std::vector<double>{3.0, 2.0}));
  double sr[4] = {1, 2, 2, 4}, si[4] = {1, 2, 2, 4}, cr[2] = {1, 1},
         ci[2] = {0, 0};
  EXPECT_EQ(SolveComplexSystem(2, sr, si, cr, ci), 2);

  // A layer whose resistivity is not a number makes its interface singular.
  std::vector<Layer> layers = {{10, 10, 0, 1.0}, {100, 100, 0, 1.0}};
  Built b = Build(layers);
  b.model.aniso_rho1[0] = NAN;
  ScriptedUi ui;
  ui.Allow("ERROR IN MRESOLD: CR-EPS<=0");
  AnisotropicResponse r;
  r.table[0] = 123.0;
  EXPECT_FALSE(
      ResponseAnisotropic(b.model, b.rho.data(), b.h.data(), 2, 2.0, ui, r));
  EXPECT_EQ(r.table[0], 123.0);  // unchanged
  ASSERT_EQ(ui.prompts().size(), 1u);
  const std::string head = "Period=  2.0000e+00 sec\nJ=1 NP=4 j=1\n\nar[1]=";
  EXPECT_EQ(ui.prompts()[0].text.substr(0, head.size()), head);
  EXPECT_NE(ui.prompts()[0].text.find("\nBR[4]="), std::string::npos);
}

}  // namespace
}  // namespace mtvuk
