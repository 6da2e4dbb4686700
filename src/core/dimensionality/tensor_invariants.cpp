#include "core/dimensionality/tensor_invariants.h"

#include <algorithm>
#include <cmath>

#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

// The commutator [A, B] = Im(conj(A) B).
double Commutator(Complex a, Complex b) { return Mul(Conj(a), b).im; }

}  // namespace

TensorInvariants InvariantsOf(const ImpedanceTensor& z,
                              double period,
                              const DimensionalityThresholds& limits) {
  TensorInvariants t;
  t.period = period;
  const Complex s1 = Add(z.xx, z.yy);
  const Complex s2 = Add(z.xy, z.yx);
  const Complex d1 = Sub(z.xx, z.yy);
  const Complex d2 = Sub(z.xy, z.yx);
  const double abs_d2 = Abs(d2);
  t.swift_skew = Abs(s1) / abs_d2;
  t.bahr_skew =
      std::sqrt(std::fabs(Commutator(d1, s2) - Commutator(s1, d2))) / abs_d2;
  // Phi = X^-1 Y with Z = X + i Y.
  const double x11 = z.xx.re, x12 = z.xy.re, x21 = z.yx.re, x22 = z.yy.re;
  const double y11 = z.xx.im, y12 = z.xy.im, y21 = z.yx.im, y22 = z.yy.im;
  const double det = x11 * x22 - x12 * x21;
  const double p11 = (x22 * y11 - x12 * y21) / det;
  const double p12 = (x22 * y12 - x12 * y22) / det;
  const double p21 = (x11 * y21 - x21 * y11) / det;
  const double p22 = (x11 * y22 - x21 * y12) / det;
  const double pi1 = 0.5 * std::hypot(p11 - p22, p12 + p21);
  const double pi2 = 0.5 * std::hypot(p11 + p22, p12 - p21);
  const double phi_max = pi2 + pi1;
  const double phi_min = pi2 - pi1;
  t.phi_max_deg = std::atan(phi_max) * kDegPerRad;
  t.phi_min_deg = std::atan(phi_min) * kDegPerRad;
  t.ellipticity = (phi_max - phi_min) / (phi_max + phi_min);
  // atan2, so that a tensor whose trace is negative (phases outside the
  // first quadrant) gets a skew near +-90 degrees and is not taken as 1-D.
  t.beta_deg = 0.5 * std::atan2(p12 - p21, p11 + p22) * kDegPerRad;
  t.alpha_deg = 0.5 * std::atan2(p12 + p21, p11 - p22) * kDegPerRad;
  t.valid = det != 0.0 && std::isfinite(t.beta_deg) &&
            std::isfinite(t.ellipticity) && std::isfinite(t.swift_skew) &&
            std::isfinite(t.bahr_skew);
  t.one_d = t.valid && std::fabs(t.beta_deg) < limits.beta_deg &&
            t.ellipticity < limits.ellipticity;
  return t;
}

std::vector<TensorInvariants> DimensionalityOf(
    const SoundingBuffer& sb, const DimensionalityThresholds& limits) {
  std::vector<TensorInvariants> out;
  const int n = std::clamp(sb.nfreq, 0, MaxFreq);
  out.reserve(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) {
    const ImpedanceTensor z{{sb.zxxr[k], sb.zxxi[k]},
                            {sb.zxyr[k], sb.zxyi[k]},
                            {sb.zyxr[k], sb.zyxi[k]},
                            {sb.zyyr[k], sb.zyyi[k]}};
    out.push_back(InvariantsOf(z, 1.0 / sb.freq[k], limits));
  }
  return out;
}

std::vector<TensorInvariants> DimensionalityOf(
    const FieldSet& set, const DimensionalityThresholds& limits) {
  std::vector<TensorInvariants> out;
  const int n = std::clamp(set.count, 0, MaxFreq);
  const double yx_sign = set.mode == CurveMode::YX ? -1.0 : 1.0;
  out.reserve(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) {
    const ImpedanceTensor z{{set.zxxr[k], set.zxxi[k]},
                            {set.zxyr[k], set.zxyi[k]},
                            {yx_sign * set.zyxr[k], yx_sign * set.zyxi[k]},
                            {set.zyyr[k], set.zyyi[k]}};
    out.push_back(InvariantsOf(z, 1.0 / set.freq[k], limits));
  }
  return out;
}

int LeaveOutNon1D(FieldSet& set, const std::vector<TensorInvariants>& dims) {
  int marked = 0;
  const int n = std::min<int>(std::clamp(set.count, 0, MaxFreq),
                              static_cast<int>(dims.size()));
  for (int k = 0; k < n; ++k) {
    if (!dims[k].one_d && set.point_deleted[k] == 0) {
      set.point_deleted[k] = 1;
      ++marked;
    }
  }
  return marked;
}

}  // namespace mtvuk
