#include "core/fielddata/smoothing_check.h"

#include <cmath>
#include <cstdio>

#include "core/fielddata/field_editing.h"
#include "core/fielddata/robust_smoothing.h"

namespace mtvuk {

SmoothingDeparture MeasureDeparture(const FieldSet& set) {
  SmoothingDeparture d;
  if (!set.smoothed || set.in_use <= 0) return d;
  const int n = std::min(std::max(set.count, 0), MaxFreq);
  const bool robust = set.smoothed_with == Smoother::kRobust;
  for (int i = 0; i < n; ++i) {
    // -10, -12 and -14 mark points without a smoothed value.
    if (PointOff(set, i) || !(set.smoothed_log_rho[i] > -9.5f)) continue;
    if (robust && set.smooth_outlier[i]) {
      ++d.downweighted;
      continue;
    }
    const double off = std::fabs(static_cast<double>(set.smoothed_log_rho[i]) -
                                 set.log_rho[i]);
    if (!std::isfinite(off)) continue;
    ++d.points;
    if (off > kDepartureErrors * LogRhoSigma(set, i, false)) ++d.beyond_errors;
    if (off > d.largest) d.largest = off, d.largest_at = i;
  }
  return d;
}

std::vector<std::string> SmoothingWarnings(const FieldSet& set) {
  std::vector<std::string> out;
  const SmoothingDeparture d = MeasureDeparture(set);
  if (d.points == 0) return out;
  char text[256];
  if (d.beyond_errors > kDepartureShare * d.points) {
    std::snprintf(text,
                  sizeof text,
                  "%s: the smoothed curve departs from %d of %d points by more "
                  "than 3 standard errors",
                  set.label.c_str(),
                  d.beyond_errors,
                  d.points);
    out.emplace_back(text);
  }
  if (d.largest > kDepartureDecades) {
    std::snprintf(text,
                  sizeof text,
                  "%s: the smoothed curve departs from the point at T = %.3g s "
                  "by %.2f decades",
                  set.label.c_str(),
                  1.0 / static_cast<double>(set.freq[d.largest_at]),
                  d.largest);
    out.emplace_back(text);
  }
  return out;
}

}  // namespace mtvuk
