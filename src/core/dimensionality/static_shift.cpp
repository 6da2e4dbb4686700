#include "core/dimensionality/static_shift.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace mtvuk {
namespace {

// A value of an array that marks "nothing here" (-10 smoothing, -14 none).
bool IsValue(float v) { return v > -9.5f; }

// Indices of the used points, shortest period (highest frequency) first.
std::vector<int> ByPeriod(const FieldSet& set) {
  std::vector<int> idx;
  const int n = std::clamp(set.count, 0, MaxFreq);
  for (int k = 0; k < n; ++k) {
    if (set.point_deleted[k] == 0 && set.freq[k] > 0.0f &&
        std::isfinite(set.log_rho[k])) {
      idx.push_back(k);
    }
  }
  std::sort(idx.begin(), idx.end(), [&set](int a, int b) {
    return set.freq[a] > set.freq[b];
  });
  return idx;
}

// log10 rho of point k as it is without the set's shift.
double Unshifted(const FieldSet& set, int k) {
  return set.log_rho[k] - std::log10(static_cast<double>(set.static_shift));
}

}  // namespace

bool SetStaticShift(FieldSet& set, double factor) {
  // The set keeps the factor in single precision: it must stay a finite
  // positive number there too.
  const float stored = static_cast<float>(factor);
  if (!std::isfinite(stored) || !(stored > 0.0f) || !std::isnormal(stored))
    return false;
  const double ratio = factor / set.static_shift;
  if (ratio == 1.0) return true;
  const float d_log = static_cast<float>(std::log10(ratio));
  const double z_scale = std::sqrt(ratio);
  auto shift =
      [d_log, z_scale](
          float& log_rho, float& upper, float& lower, float& re, float& im) {
        log_rho += d_log;
        upper += d_log;
        lower += d_log;
        re = static_cast<float>(re * z_scale);
        im = static_cast<float>(im * z_scale);
      };
  const int n = std::clamp(set.count, 0, MaxFreq);
  for (int k = 0; k < n; ++k) {
    shift(set.log_rho[k],
          set.log_rho_upper[k],
          set.log_rho_lower[k],
          set.re_z[k],
          set.im_z[k]);
    FieldPoint& p = set.as_read[k];
    shift(p.log_rho, p.log_rho_upper, p.log_rho_lower, p.re_z, p.im_z);
    if (IsValue(set.smoothed_log_rho[k])) set.smoothed_log_rho[k] += d_log;
    if (IsValue(set.smoothed_log_rho_copy[k])) {
      set.smoothed_log_rho_copy[k] += d_log;
    }
  }
  set.static_shift = static_cast<float>(factor);
  return true;
}

ShiftEstimate ShiftFromPolarisations(const FieldSet& xy,
                                     const FieldSet& yx,
                                     ShiftTarget target,
                                     int shortest) {
  ShiftEstimate e;
  std::vector<double> diff;
  for (int i : ByPeriod(xy)) {
    if (static_cast<int>(diff.size()) >= shortest) break;
    const int n = std::clamp(yx.count, 0, MaxFreq);
    for (int k = 0; k < n; ++k) {
      if (yx.point_deleted[k] == 0 &&
          std::fabs(yx.freq[k] - xy.freq[i]) <= 1e-3f * xy.freq[i]) {
        diff.push_back(Unshifted(xy, i) - Unshifted(yx, k));
        break;
      }
    }
  }
  e.points = static_cast<int>(diff.size());
  if (diff.empty()) {
    e.message = "The XY and YX curves share no period";
    return e;
  }
  const double mean =
      std::accumulate(diff.begin(), diff.end(), 0.0) / diff.size();
  double var = 0.0;
  for (double d : diff) var += (d - mean) * (d - mean);
  e.spread = diff.size() > 1 ? std::sqrt(var / (diff.size() - 1)) : 0.0;
  switch (target) {
    case ShiftTarget::kOntoYX:
      e.factor_xy = std::pow(10.0, -mean);
      break;
    case ShiftTarget::kOntoXY:
      e.factor_yx = std::pow(10.0, mean);
      break;
    case ShiftTarget::kGeometricMean:
      e.factor_xy = std::pow(10.0, -0.5 * mean);
      e.factor_yx = std::pow(10.0, 0.5 * mean);
      break;
  }
  char text[160];
  std::snprintf(text,
                sizeof text,
                "XY/YX ratio %.4g at the %d shortest common periods "
                "(spread %.3g decades)",
                std::pow(10.0, mean),
                e.points,
                e.spread);
  e.message = text;
  e.ok = true;
  return e;
}

ShiftEstimate ShiftFromNearSurface(const FieldSet& set,
                                   double rho1,
                                   int shortest) {
  ShiftEstimate e;
  if (!std::isfinite(rho1) || rho1 <= 0.0) {
    e.message = "The near-surface resistivity must be positive";
    return e;
  }
  double sum = 0.0, phase = 0.0;
  for (int k : ByPeriod(set)) {
    if (e.points >= shortest) break;
    sum += Unshifted(set, k);
    phase += set.phase[k];
    ++e.points;
  }
  if (e.points == 0) {
    e.message = "The curve has no used period";
    return e;
  }
  const double mean = sum / e.points;
  phase /= e.points;
  e.factor_xy = rho1 / std::pow(10.0, mean);
  char text[200];
  std::snprintf(text,
                sizeof text,
                "rho_a %.4g Ohm-m at the %d shortest periods against %.4g; "
                "mean phase %.1f deg%s",
                std::pow(10.0, mean),
                e.points,
                rho1,
                phase,
                std::fabs(phase - 45.0) > 5.0
                    ? " (not near 45: these periods see more than the first "
                      "layer)"
                    : "");
  e.message = text;
  e.ok = true;
  return e;
}

double ShortestPeriodLogRho(const FieldSet& set, int shortest) {
  double sum = 0.0;
  int used = 0;
  for (int k : ByPeriod(set)) {
    if (used >= shortest) break;
    sum += Unshifted(set, k);
    ++used;
  }
  return used > 0 ? sum / used : std::nan("");
}

std::vector<double> ShiftsFromProfile(const std::vector<double>& log_rho) {
  std::vector<double> values;
  for (double v : log_rho) {
    if (std::isfinite(v)) values.push_back(v);
  }
  std::vector<double> factors(log_rho.size(), 1.0);
  if (values.empty()) return factors;
  std::sort(values.begin(), values.end());
  const size_t m = values.size() / 2;
  const double median =
      values.size() % 2 == 1 ? values[m] : 0.5 * (values[m - 1] + values[m]);
  for (size_t i = 0; i < log_rho.size(); ++i) {
    if (std::isfinite(log_rho[i])) {
      factors[i] = std::pow(10.0, median - log_rho[i]);
    }
  }
  return factors;
}

}  // namespace mtvuk
