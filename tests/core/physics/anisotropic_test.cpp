#include "core/physics/anisotropic.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <random>

#include "core/physics/forward_1d.h"
#include "core/platform/scripted_ui.h"

namespace mtvuk {
namespace {

using Cx = std::complex<double>;
using Mat4 = std::array<std::array<Cx, 4>, 4>;

Mat4 MatMul(const Mat4& a, const Mat4& b) {
  Mat4 c{};
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k)
      for (int j = 0; j < 4; ++j) c[i][j] += a[i][k] * b[k][j];
  return c;
}

// exp(A) by scaling and squaring of its Taylor series.
Mat4 Expm(Mat4 a) {
  double norm = 0.0;
  for (auto& row : a)
    for (Cx v : row) norm = std::max(norm, std::abs(v));
  int squarings = 0;
  while (norm > 0.1) {
    norm /= 2.0;
    ++squarings;
  }
  double scale = std::ldexp(1.0, -squarings);
  for (auto& row : a)
    for (Cx& v : row) v *= scale;
  Mat4 result{}, term{};
  for (int i = 0; i < 4; ++i) result[i][i] = term[i][i] = 1.0;
  for (int k = 1; k < 25; ++k) {
    term = MatMul(term, a);
    for (auto& row : term)
      for (Cx& v : row) v /= static_cast<double>(k);
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) result[i][j] += term[i][j];
  }
  for (int s = 0; s < squarings; ++s) result = MatMul(result, result);
  return result;
}

struct Layer {
  double rho1, rho2, strike_deg, h_km;
};

// Independent reference: the field vector (Ex, Ey, Hx, Hy) obeys
// d/dz f = A f in a layer with horizontal conductivity tensor S, with
// dEx/dz = i w mu0 Hy, dEy/dz = -i w mu0 Hx, dHx/dz = Syx Ex + Syy Ey,
// dHy/dz = -(Sxx Ex + Sxy Ey) (time factor exp(-i w t)). Two decaying
// solutions of the basement are carried up with exp(-A h) and the surface
// tensor is E H^-1.
std::array<Cx, 4> ReferenceTensor(const std::vector<Layer>& layers,
                                  double period) {
  const double omega = 2.0 * M_PI / period;
  const Cx iwm(0.0, omega * 4e-7 * M_PI);
  auto tensor = [](const Layer& l) {
    double s = l.strike_deg * M_PI / 180.0;
    double c = std::cos(s), sn = std::sin(s);
    double s1 = 1.0 / l.rho1, s2 = 1.0 / l.rho2;
    // Axis 1 along (cos s, sin s).
    return std::array<double, 4>{s1 * c * c + s2 * sn * sn,
                                 (s1 - s2) * c * sn,
                                 (s1 - s2) * c * sn,
                                 s1 * sn * sn + s2 * c * c};
  };
  // Basement: principal modes E1 = zeta1 H2, E2 = -zeta2 H1, rotated.
  const Layer& base = layers.back();
  double s = base.strike_deg * M_PI / 180.0;
  double c = std::cos(s), sn = std::sin(s);
  // Intrinsic impedances sqrt(-i w mu0 rho) of the decaying waves.
  Cx z1 = std::sqrt(-iwm * base.rho1), z2 = std::sqrt(-iwm * base.rho2);
  // Mode 1: H along axis 2 (-sn, c), E along axis 1 with E1 = zeta1 H2.
  std::array<Cx, 4> f1{z1 * c, z1 * sn, -sn, c};
  // Mode 2: H along axis 1, E along axis 2 with E2 = -zeta2 H1.
  std::array<Cx, 4> f2{-z2 * -sn, -z2 * c, c, sn};
  for (int l = static_cast<int>(layers.size()) - 2; l >= 0; --l) {
    std::array<double, 4> t = tensor(layers[l]);
    Mat4 a{};
    a[0][3] = iwm;
    a[1][2] = -iwm;
    a[2][0] = t[2];
    a[2][1] = t[3];
    a[3][0] = -t[0];
    a[3][1] = -t[1];
    for (auto& row : a)
      for (Cx& v : row) v *= -layers[l].h_km * 1000.0;  // upwards
    Mat4 p = Expm(a);
    std::array<Cx, 4> g1{}, g2{};
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) {
        g1[i] += p[i][j] * f1[j];
        g2[i] += p[i][j] * f2[j];
      }
    f1 = g1;
    f2 = g2;
  }
  // Z [Hx1 Hx2; Hy1 Hy2] = [Ex1 Ex2; Ey1 Ey2]
  Cx det = f1[2] * f2[3] - f2[2] * f1[3];
  Cx i00 = f2[3] / det, i01 = -f2[2] / det, i10 = -f1[3] / det,
     i11 = f1[2] / det;
  const double to_field = 1.0 / (4e-7 * M_PI * 1000.0);
  return {(f1[0] * i00 + f2[0] * i10) * to_field,
          (f1[0] * i01 + f2[0] * i11) * to_field,
          (f1[1] * i00 + f2[1] * i10) * to_field,
          (f1[1] * i01 + f2[1] * i11) * to_field};
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

void ExpectNear(Complex a, Cx b, double rel, const char* what) {
  EXPECT_NEAR(a.re, b.real(), rel * std::abs(b) + 1e-300) << what;
  EXPECT_NEAR(a.im, b.imag(), rel * std::abs(b) + 1e-300) << what;
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
    for (double t : {0.1, 10.0, 1000.0}) {
      // The propagator loses its decaying solutions in layers many skin
      // depths thick; compare where it is accurate.
      double widest = 0.0;
      for (std::size_t j = 0; j + 1 < layers.size(); ++j) {
        double skin =
            503.3 * std::sqrt(std::min(layers[j].rho1, layers[j].rho2) * t);
        widest = std::max(widest, layers[j].h_km * 1000.0 / skin);
      }
      if (widest > 5.0) continue;
      ++compared;
      AnisotropicResponse r = Compute(layers, t);
      std::array<Cx, 4> ref = ReferenceTensor(layers, t);
      double scale = std::abs(ref[1]) + std::abs(ref[2]);
      EXPECT_NEAR(r.zxx.re, ref[0].real(), 1e-7 * scale) << trial << " T=" << t;
      EXPECT_NEAR(r.zxx.im, ref[0].imag(), 1e-7 * scale) << trial;
      ExpectNear(r.zxy, ref[1], 1e-7, "zxy");
      ExpectNear(r.zyx, ref[2], 1e-7, "zyx");
      EXPECT_NEAR(r.zyy.re, ref[3].real(), 1e-7 * scale);
      EXPECT_NEAR(r.zyy.im, ref[3].imag(), 1e-7 * scale);
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
    EXPECT_LT(std::hypot(r.zxx.re, r.zxx.im),
              1e-10 * std::hypot(one.z.re, one.z.im));
    EXPECT_LT(std::hypot(r.zyy.re, r.zyy.im),
              1e-10 * std::hypot(one.z.re, one.z.im));
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

TEST(Anisotropic, StrikeZeroSplitsIntoTwoOneDimensionalEarths) {
  std::vector<Layer> layers = {
      {100, 10, 0, 1.0}, {20, 300, 0, 3.0}, {50, 5, 0, 1.0}};
  LayerModel plain;
  const double rho1[3] = {100, 20, 50}, rho2[3] = {10, 300, 5},
               h[3] = {1.0, 3.0, 1.0};
  for (double t : {0.01, 1.0, 100.0}) {
    AnisotropicResponse r = Compute(layers, t);
    Response1D xy = ResponseDispersion(plain, rho1, h, 3, t);
    Response1D yx = ResponseDispersion(plain, rho2, h, 3, t);
    ExpectNear(r.zxy, Cx(xy.z.re, xy.z.im), 1e-10, "xy sees rho1");
    ExpectNear(r.zyx, Cx(-yx.z.re, -yx.z.im), 1e-10, "yx sees rho2");
    EXPECT_NEAR(r.table[kPhaseXy + 1], yx.phase, 1e-8);
  }
}

TEST(Anisotropic, MeanAndEffectiveImpedance) {
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
}

TEST(Anisotropic, StrikeIsMovedOffTheSingularDirections) {
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
  EXPECT_DOUBLE_EQ(br[0], 3.0);
  EXPECT_DOUBLE_EQ(br[1], 2.0);
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
