#include "core/physics/anisotropic.h"

#include <cmath>
#include <cstdio>

#include "core/physics/forward_1d.h"
#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

constexpr double kInfinite = 1e20;

// 2 x 2 complex matrix, row-major.
struct Mat2 {
  Complex a, b, c, d;  // [a b; c d]
};

Mat2 MatMul(const Mat2& x, const Mat2& y) {
  return {Add(Mul(x.a, y.a), Mul(x.b, y.c)),
          Add(Mul(x.a, y.b), Mul(x.b, y.d)),
          Add(Mul(x.c, y.a), Mul(x.d, y.c)),
          Add(Mul(x.c, y.b), Mul(x.d, y.d))};
}

// Rotation into a layer's principal axes: v' = Q v with Q = [cs sn; -sn cs];
// the impedance becomes Z' = Q Z Q^T, and back Z = Q^T Z' Q.
struct Rotation {
  double cs = 1.0;
  double sn = 0.0;
};

Mat2 RotateInto(const Mat2& z, Rotation r) {
  const double c = r.cs, s = r.sn;
  // Q Z
  Mat2 qz{Add(Scale(z.a, c), Scale(z.c, s)),
          Add(Scale(z.b, c), Scale(z.d, s)),
          Sub(Scale(z.c, c), Scale(z.a, s)),
          Sub(Scale(z.d, c), Scale(z.b, s))};
  // (Q Z) Q^T
  return {Add(Scale(qz.a, c), Scale(qz.b, s)),
          Sub(Scale(qz.b, c), Scale(qz.a, s)),
          Add(Scale(qz.c, c), Scale(qz.d, s)),
          Sub(Scale(qz.d, c), Scale(qz.c, s))};
}

Mat2 RotateBack(const Mat2& z, Rotation r) {
  return RotateInto(z, {r.cs, -r.sn});
}

// Layer in its principal frame: the two modes (E1, H2) and (E2, H1) with
// their wavenumbers k and intrinsic impedances zeta = -i omega mu0 / k.
struct LayerModes {
  Complex k1, k2;
  Complex zeta1, zeta2;
  Rotation rotation;
  bool rotated = false;
};

struct LayerInput {
  double rho1, rho2, strike;
  bool anisotropic;
};

LayerInput LayerOf(const LayerModel& model, const double* rho, int j) {
  if (model.aniso_on[j] != 0) {
    return {
        model.aniso_rho1[j], model.aniso_rho2[j], model.aniso_strike[j], true};
  }
  return {rho[j], rho[j], 0.0, false};
}

LayerModes Modes(const LayerInput& in, double omega) {
  const Complex minus_i_omega_mu0{0.0, -omega * kMu0};
  LayerModes m;
  m.k1 = Sqrt(Scale(minus_i_omega_mu0, 1.0 / in.rho1));
  m.zeta1 = Div(minus_i_omega_mu0, m.k1);
  if (in.rho2 == in.rho1) {
    m.k2 = m.k1;
    m.zeta2 = m.zeta1;
  } else {
    m.k2 = Sqrt(Scale(minus_i_omega_mu0, 1.0 / in.rho2));
    m.zeta2 = Div(minus_i_omega_mu0, m.k2);
  }
  if (in.anisotropic) {
    double t = std::tan(EffectiveStrike(in.strike) * kRadPerDeg);
    if (!(std::fabs(t) <= kInfinite))
      t = std::signbit(t) ? -kInfinite : kInfinite;
    // t is the tangent of the negated strike: the frame turns back by the
    // strike, so principal axis 1 points at the strike angle, counted from x
    // (north) towards y (east).
    m.rotation.cs = 1.0 / std::sqrt(1.0 + t * t);
    m.rotation.sn = -t * m.rotation.cs;
    m.rotated = m.rotation.sn != 0.0;
  }
  return m;
}

// Surface impedance of a half-space in its principal frame.
Mat2 HalfSpace(const LayerModes& m) {
  return {{0, 0}, m.zeta1, Scale(m.zeta2, -1.0), {0, 0}};
}

struct SolveFailure {
  int step;
  double ar1, ai1, ar16, ai16, br1, bi1, br4, bi4;
};

// Carries the impedance from the bottom of a layer to its top, in the
// layer's principal frame. With down- and up-going amplitudes a and b of the
// two modes, E = a + b and H = M (a - b), M = [0 -1/zeta2; 1/zeta1 0]. The
// bottom condition E = Z' H gives the reflection matrix R of
// (I + Z' M) R = Z' M - I, solved as one 4 x 4 system; R at the top is
// D R D with D = diag(exp(-k1 h), exp(-k2 h)), and the top impedance is
// (I + R) (I - R)^-1 M^-1.
bool AcrossLayer(const LayerModes& m,
                 double h_m,
                 Mat2& z,
                 SolveFailure& failure) {
  const Complex inv1 = Div({1, 0}, m.zeta1);
  const Complex inv2 = Div({1, 0}, m.zeta2);
  // Z' M = [b/z1, -a/z2; d/z1, -c/z2]
  const Mat2 zm{Mul(z.b, inv1),
                Scale(Mul(z.a, inv2), -1.0),
                Mul(z.d, inv1),
                Scale(Mul(z.c, inv2), -1.0)};
  const Mat2 lhs{Add(zm.a, {1, 0}), zm.b, zm.c, Add(zm.d, {1, 0})};
  const Mat2 rhs{Sub(zm.a, {1, 0}), zm.b, zm.c, Sub(zm.d, {1, 0})};
  // Unknowns x = (R11, R21, R12, R22): two column systems side by side.
  double ar[16] = {lhs.a.re,
                   lhs.b.re,
                   0,
                   0,
                   lhs.c.re,
                   lhs.d.re,
                   0,
                   0,
                   0,
                   0,
                   lhs.a.re,
                   lhs.b.re,
                   0,
                   0,
                   lhs.c.re,
                   lhs.d.re};
  double ai[16] = {lhs.a.im,
                   lhs.b.im,
                   0,
                   0,
                   lhs.c.im,
                   lhs.d.im,
                   0,
                   0,
                   0,
                   0,
                   lhs.a.im,
                   lhs.b.im,
                   0,
                   0,
                   lhs.c.im,
                   lhs.d.im};
  double br[4] = {rhs.a.re, rhs.c.re, rhs.b.re, rhs.d.re};
  double bi[4] = {rhs.a.im, rhs.c.im, rhs.b.im, rhs.d.im};
  int step = SolveComplexSystem(4, ar, ai, br, bi);
  if (step != 0) {
    failure = {step, ar[0], ai[0], ar[15], ai[15], br[0], bi[0], br[3], bi[3]};
    return false;
  }
  const Complex d1 = Exp(Scale(m.k1, -h_m));
  const Complex d2 = Exp(Scale(m.k2, -h_m));
  const Mat2 r{Mul(Mul(d1, Complex{br[0], bi[0]}), d1),
               Mul(Mul(d1, Complex{br[2], bi[2]}), d2),
               Mul(Mul(d2, Complex{br[1], bi[1]}), d1),
               Mul(Mul(d2, Complex{br[3], bi[3]}), d2)};
  const Mat2 plus{Add({1, 0}, r.a), r.b, r.c, Add({1, 0}, r.d)};
  const Mat2 minus{
      Sub({1, 0}, r.a), Scale(r.b, -1.0), Scale(r.c, -1.0), Sub({1, 0}, r.d)};
  const Complex det = Sub(Mul(minus.a, minus.d), Mul(minus.b, minus.c));
  const Mat2 minus_inv{Div(minus.d, det),
                       Div(Scale(minus.b, -1.0), det),
                       Div(Scale(minus.c, -1.0), det),
                       Div(minus.a, det)};
  const Mat2 m_inv{{0, 0}, m.zeta1, Scale(m.zeta2, -1.0), {0, 0}};
  z = MatMul(MatMul(plus, minus_inv), m_inv);
  return true;
}

double ApparentResistivity(Complex z_si, double omega) {
  return Abs2(z_si) / (omega * kMu0);
}

}  // namespace

double EffectiveStrike(double strike_deg) {
  double a = -strike_deg;
  double mag = std::fabs(a);
  double sign = a < 0 ? -1.0 : 1.0;
  if (mag > 89.99 && mag < 90.0) return sign * 89.99;
  if (mag >= 90.0 && mag < 90.01) return sign * 90.01;
  if (mag > 269.99 && mag < 270.0) return sign * 269.99;
  if (mag >= 270.0 && mag < 270.01) return sign * 270.01;
  return a;
}

int SolveComplexSystem(int np, double* ar, double* ai, double* br, double* bi) {
  for (int j = 0; j < np; ++j) {
    int pivot = j;
    double best = -1.0;
    for (int r = j; r < np; ++r) {
      double mod = std::hypot(ar[r * np + j], ai[r * np + j]);
      if (mod > best) {
        best = mod;
        pivot = r;
      }
    }
    if (!(best > 1e-200)) return j + 1;
    if (pivot != j) {
      for (int c = 0; c < np; ++c) {
        std::swap(ar[j * np + c], ar[pivot * np + c]);
        std::swap(ai[j * np + c], ai[pivot * np + c]);
      }
      std::swap(br[j], br[pivot]);
      std::swap(bi[j], bi[pivot]);
    }
    const Complex p{ar[j * np + j], ai[j * np + j]};
    for (int r = j + 1; r < np; ++r) {
      Complex f = Div({ar[r * np + j], ai[r * np + j]}, p);
      if (f.re == 0.0 && f.im == 0.0) continue;
      for (int c = j; c < np; ++c) {
        Complex v = Mul(f, {ar[j * np + c], ai[j * np + c]});
        ar[r * np + c] -= v.re;
        ai[r * np + c] -= v.im;
      }
      Complex v = Mul(f, {br[j], bi[j]});
      br[r] -= v.re;
      bi[r] -= v.im;
    }
  }
  for (int j = np - 1; j >= 0; --j) {
    Complex s{br[j], bi[j]};
    for (int c = j + 1; c < np; ++c) {
      s = Sub(s, Mul({ar[j * np + c], ai[j * np + c]}, {br[c], bi[c]}));
    }
    Complex x = Div(s, {ar[j * np + j], ai[j * np + j]});
    br[j] = x.re;
    bi[j] = x.im;
  }
  return 0;
}

bool ResponseAnisotropic(const LayerModel& model,
                         const double* rho,
                         const double* h,
                         int n,
                         double period,
                         Ui& ui,
                         AnisotropicResponse& out) {
  if (n < 1) n = 1;
  const double omega = kTwoPi / period;
  LayerModes modes = Modes(LayerOf(model, rho, n - 1), omega);
  Mat2 z = HalfSpace(modes);
  if (modes.rotated) z = RotateBack(z, modes.rotation);
  for (int l = n - 2; l >= 0; --l) {
    modes = Modes(LayerOf(model, rho, l), omega);
    if (modes.rotated) z = RotateInto(z, modes.rotation);
    SolveFailure failure{};
    if (!AcrossLayer(modes, h[l] * 1000.0, z, failure)) {
      char text[512];
      std::snprintf(
          text,
          sizeof text,
          "Period=%12.4e sec\nJ=%d NP=%d j=%d\n\nar[1]=%12.3e  AI[1]=%12.3e\n"
          "ar[16]=%12.3e  AI[16]=%12.3e\nBR[1]=%12.3e  BI[1]=%12.3e\n"
          "BR[4]=%12.3e  BI[4]=%12.3e",
          period,
          failure.step,
          4,
          l + 1,
          failure.ar1,
          failure.ai1,
          failure.ar16,
          failure.ai16,
          failure.br1,
          failure.bi1,
          failure.br4,
          failure.bi4);
      ui.Show(text, "ERROR IN MRESOLD: CR-EPS<=0", Icon::kStop);
      return false;
    }
    if (modes.rotated) z = RotateBack(z, modes.rotation);
  }

  AnisotropicResponse r;
  r.zxx = Scale(z.a, kSiToField);
  r.zxy = Scale(z.b, kSiToField);
  r.zyx = Scale(z.c, kSiToField);
  r.zyy = Scale(z.d, kSiToField);
  const Complex mean_si = Scale(Sub(z.b, z.c), 0.5);
  const Complex det = Sub(Mul(z.a, z.d), Mul(z.b, z.c));
  const double mod = std::sqrt(Abs(det));
  const double half_arg = std::atan2(det.im, det.re) / 2.0;
  const Complex eff_si{mod * std::cos(half_arg), mod * std::sin(half_arg)};
  r.mean = Scale(mean_si, kSiToField);
  r.eff = Scale(eff_si, kSiToField);

  const Complex si[4] = {z.b, z.c, mean_si, eff_si};
  for (int p = 0; p < 4; ++p) {
    r.table[kRhoXy + p] = ApparentResistivity(si[p], omega);
    double arg = std::atan2(si[p].im, si[p].re) * kDegPerRad;
    r.table[kPhaseXy + p] = p == 1 ? 180.0 - arg : -arg;
    double factor = p == 1 ? -kSiToField : kSiToField;
    r.table[kReXy + p] = std::fabs(si[p].re) * factor;
    r.table[kImXy + p] = std::fabs(si[p].im) * factor;
  }
  r.table[kZxxRe] = r.zxx.re;
  r.table[kZxxIm] = r.zxx.im;
  r.table[kZyyRe] = r.zyy.re;
  r.table[kZyyIm] = r.zyy.im;
  out = r;
  return true;
}

}  // namespace mtvuk
