#include "core/inversion/sensitivity.h"

#include <algorithm>
#include <cmath>

#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

constexpr double kInvSqrt2 = 0.7071067811865476;
// Where coth x is taken as 1 (and beyond x = 10000 c itself is 1).
constexpr double kCothFlat = 300.0;

// d log10(|v| + 1e-14) = dv times this factor.
double DLog10AbsFactor(double v) {
  return std::copysign(1.0, v) / ((std::fabs(v) + kTiny) * kLn10);
}

}  // namespace

template <int kCapacity>
BasicSensitivity<kCapacity>::BasicSensitivity(const double* rho,
                                              const double* h,
                                              int n,
                                              Physics physics)
    : given_(std::clamp(n, 2, kCapacity)) {
  // The layers the kernel keeps, with the same numbers.
  n_ = KeptLayers(h, given_, physics, source_.data());
  dropped_ = n_ != given_ || source_[0] == source_[1];
  rho_top_ = rho[source_[0]];
  for (int l = 0; l + 1 < n_; ++l) {
    const double r = rho[source_[l]];
    ratio_[l] = std::sqrt(rho[source_[l + 1]] / r);
    const double thickness = source_[l] == source_[l + 1] ? 1.0 : h[source_[l]];
    depth_[l] = kTwoPi * thickness / std::sqrt(r);
  }
}

template <int kCapacity>
void BasicSensitivity<kCapacity>::SpreadColumns(Period& s) const {
  for (auto& row : s.d) {
    const auto kept = row;
    for (int j = 0; j < given_; ++j) {
      row[Period::RhoColumn(j)] = 0.0;
      row[Period::ThicknessColumn(j)] = 0.0;
    }
    for (int j = 0; j < n_; ++j)
      row[Period::RhoColumn(source_[j])] += kept[Period::RhoColumn(j)];
    // The upper copy of a half-space kept alone has no thickness of its
    // own.
    for (int j = 0; j + 1 < n_; ++j) {
      if (source_[j] != source_[j + 1])
        row[Period::ThicknessColumn(source_[j])] +=
            kept[Period::ThicknessColumn(j)];
    }
  }
}

// Periods are taken kLanes at a time, so that the dependent divisions of
// their forward sweeps overlap (as in the forward kernel).
template <int kCapacity>
void BasicSensitivity<kCapacity>::Evaluate(const double* periods,
                                           int count,
                                           Period* out) const {
  constexpr int kLanes = 4;
  // Per layer and lane: A, c, 1 / (A + c) and dc / d ln x.
  std::array<std::array<Complex, kLanes>, kCapacity> a, c, inv_sum, dc;
  for (int first = 0; first < count; first += kLanes) {
    const int lanes = std::min(kLanes, count - first);
    double y_re[kLanes], y_im[kLanes], skin[kLanes];
    for (int w = 0; w < lanes; ++w) {
      y_re[w] = 1.0;
      y_im[w] = 0.0;
      skin[w] = 1.0 / std::sqrt(10.0 * periods[first + w]);
    }
    for (int l = n_ - 2; l >= 0; --l) {
      for (int w = 0; w < lanes; ++w) {
        const double x = depth_[l] * skin[w];
        const Complex cl = CothOneMinusI(x);
        const double a_re = ratio_[l] * y_re[w];
        const double a_im = ratio_[l] * y_im[w];
        // The same operations as the kernel, so that Y is the same number.
        const double a2 = a_re * a_re + a_im * a_im;
        const double c2 = cl.re * cl.re + cl.im * cl.im;
        const double sum_re = a_re + cl.re;
        const double sum_im = a_im + cl.im;
        const double inv_d = 1.0 / (sum_re * sum_re + sum_im * sum_im);
        a[l][w] = {a_re, a_im};
        c[l][w] = cl;
        inv_sum[l][w] = {sum_re * inv_d, -sum_im * inv_d};
        // d coth(u) / du = 1 - coth^2 u with u = (1 - i) x; the kernel's c
        // is constant from x = 300 on.
        if (x < kCothFlat) {
          const Complex one_minus_c2 = Sub({1.0, 0.0}, Mul(cl, cl));
          dc[l][w] = Scale(Mul({1.0, -1.0}, one_minus_c2), x);
        } else {
          dc[l][w] = {0.0, 0.0};
        }
        y_re[w] = ((c2 + 1.0) * a_re + (a2 + 1.0) * cl.re) * inv_d;
        y_im[w] = ((c2 - 1.0) * a_im + (a2 - 1.0) * cl.im) * inv_d;
      }
    }
    for (int w = 0; w < lanes; ++w) {
      const double period = periods[first + w];
      Period& s = out[first + w];
      Response1D& r = s.response;
      const double omega = kTwoPi / period;
      const double y2 = y_re[w] * y_re[w] + y_im[w] * y_im[w];
      r.rho_a = rho_top_ * y2;
      const double phi = kQuarterPi - std::atan2(y_im[w], y_re[w]);
      const double abs_z = std::sqrt(r.rho_a * omega * kMu0) * kSiToField;
      const double scale = abs_z * kInvSqrt2 / std::sqrt(y2);
      r.z = {(y_re[w] + y_im[w]) * scale, (y_re[w] - y_im[w]) * scale};
      r.phase = phi * kDegPerRad;

      // Reverse sweep: g = dY0 / dY_l from the top down. The derivatives
      // of Y0 collect in dy (complex, per column).
      std::array<Complex, 2 * kCapacity> dy;
      dy[Period::RhoColumn(0)] = {0.0, 0.0};
      Complex g{1.0, 0.0};
      for (int l = 0; l + 1 < n_; ++l) {
        const Complex inv2 = Mul(inv_sum[l][w], inv_sum[l][w]);
        // dY/dA = (c^2 - 1) / (A + c)^2, dY/dc = (A^2 - 1) / (A + c)^2.
        const Complex cl = c[l][w], al = a[l][w];
        const Complex g_a = Mul(g, Mul(Sub(Mul(cl, cl), {1.0, 0.0}), inv2));
        const Complex g_c = Mul(g, Mul(Sub(Mul(al, al), {1.0, 0.0}), inv2));
        // A = ratio Y_below: d/d ln ratio = g_a A.
        const Complex by_ratio = Mul(g_a, al);
        const Complex by_depth = Mul(g_c, dc[l][w]);
        dy[Period::ThicknessColumn(l)] = by_depth;
        // ratio_l = sqrt(rho_{l+1} / rho_l), depth_l = 2 pi h_l /
        // sqrt(rho_l).
        dy[Period::RhoColumn(l)] =
            Sub(dy[Period::RhoColumn(l)], Scale(Add(by_ratio, by_depth), 0.5));
        dy[Period::RhoColumn(l + 1)] = Scale(by_ratio, 0.5);
        g = Scale(g_a, ratio_[l]);
      }

      // From d ln Y0 to the four quantities. rho_a = rho_0 |Y0|^2, the
      // phase is pi/4 - arg Y0, and Z is proportional to sqrt(rho_0)
      // conj(Y0).
      const Complex inv_y = {y_re[w] / y2, -y_im[w] / y2};
      const double rho_factor = r.rho_a / ((r.rho_a + kTiny) * kLn10);
      const double phase_factor = kDegPerRad * 0.017453292519943295;
      const double re_factor = DLog10AbsFactor(r.z.re);
      const double im_factor = DLog10AbsFactor(r.z.im);
      auto fill = [&](int col, Complex dln_y, double dln_rho0) {
        s.d[kSensRho][col] = (dln_rho0 + 2.0 * dln_y.re) * rho_factor;
        s.d[kSensPhase][col] = -dln_y.im * phase_factor;
        // d ln Z = d ln rho_0 / 2 + conj(d ln Y0); dZ = Z d ln Z.
        const Complex dln_z = {0.5 * dln_rho0 + dln_y.re, -dln_y.im};
        const Complex dz = Mul(r.z, dln_z);
        s.d[kSensReZ][col] = dz.re * re_factor;
        s.d[kSensImZ][col] = dz.im * im_factor;
      };
      for (int j = 0; j < n_; ++j) {
        fill(
            Period::RhoColumn(j), Mul(dy[Period::RhoColumn(j)], inv_y), j == 0);
      }
      for (int j = 0; j + 1 < n_; ++j) {
        fill(Period::ThicknessColumn(j),
             Mul(dy[Period::ThicknessColumn(j)], inv_y),
             0.0);
      }
      if (dropped_) SpreadColumns(s);
    }
  }
}

template class BasicSensitivity<MaxLayers>;
template class BasicSensitivity<kMaxProfileLayers>;

}  // namespace mtvuk
