#include "core/depth/depth_view_range.h"

#include <algorithm>
#include <cmath>

#include "core/fielddata/field_editing.h"

namespace mtvuk {
namespace {

constexpr double kMissingAbove = -9.5;      // -10, -12, -14 mark missing values
constexpr double kValueMargin = 1.0 / 3.0;  // decades beside the data

bool Present(double v) { return std::isfinite(v) && v > kMissingAbove; }

}  // namespace

DepthViewRange DefaultDepthView(const FieldSets& sets, DepthQuantity quantity) {
  DepthViewRange r;
  double d_lo = HUGE_VAL, d_hi = -HUGE_VAL, v_lo = HUGE_VAL, v_hi = -HUGE_VAL;
  const bool res = quantity == DepthQuantity::kResistivity;
  for (const FieldSet& s : sets) {
    if (s.in_use <= 0 || !s.smoothed || s.depth_switch < 1) continue;
    const int n = std::clamp(s.count, 0, MaxFreq);
    for (int i = 0; i < n; ++i) {
      const double depth = -static_cast<double>(s.depth[i]);
      const double profile = res ? s.log_res[i] : s.log_s[i];
      if (!Present(profile) || !(depth > 0.0) || !std::isfinite(depth))
        continue;
      d_lo = std::min(d_lo, depth);
      d_hi = std::max(d_hi, depth);
      if (!res) {
        v_lo = std::min(v_lo, profile);
        v_hi = std::max(v_hi, profile);
        continue;
      }
      if (PointOff(s, i) || s.smooth_outlier[i]) continue;
      for (const double v : {static_cast<double>(s.log_rho[i]),
                             static_cast<double>(s.smoothed_log_rho[i])}) {
        if (!Present(v)) continue;
        v_lo = std::min(v_lo, v);
        v_hi = std::max(v_hi, v);
      }
    }
  }
  if (!(d_lo <= d_hi) || !(v_lo <= v_hi)) return r;
  r.found = true;
  r.depth_top = std::pow(10.0, std::floor(std::log10(d_lo)));
  r.depth_bottom = std::pow(10.0, std::ceil(std::log10(d_hi)));
  if (r.depth_bottom <= r.depth_top * 1.0001) r.depth_bottom = r.depth_top * 10;
  if (res) v_lo -= kValueMargin, v_hi += kValueMargin;
  r.value_lo = std::pow(10.0, std::floor(v_lo));
  r.value_hi = std::pow(10.0, std::ceil(v_hi));
  if (r.value_hi <= r.value_lo * 1.0001) r.value_hi = r.value_lo * 10.0;
  return r;
}

}  // namespace mtvuk
