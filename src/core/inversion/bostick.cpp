#include "core/inversion/bostick.h"

#include <algorithm>
#include <cmath>

#include "core/physics/forward_1d.h"

namespace mtvuk {

std::vector<BostickSample> BostickTransform(const FieldSet& set, int used) {
  std::vector<BostickSample> points;
  const int count = std::min(used, std::clamp(set.count, 0, MaxFreq));
  for (int i = 0; i < count; ++i) {
    if (set.point_deleted[i] || !(set.freq[i] > 0.0f)) continue;
    const double rho = std::pow(10.0, set.log_rho[i]);
    const double phase = std::fabs(static_cast<double>(set.phase[i]));
    if (!std::isfinite(rho) || !(rho > 0.0) || !(phase > 0.0 && phase < 90.0))
      continue;
    const double period = 1.0 / set.freq[i];
    const double phi = std::clamp(phase, 5.0, 85.0) * 0.017453292519943295;
    const double depth = std::sqrt(rho * period / (kTwoPi * kMu0)) / 1000.0;
    if (!std::isfinite(depth)) continue;
    points.push_back({depth, rho * (1.5707963267948966 / phi - 1.0)});
  }
  std::sort(points.begin(), points.end(), [](auto& a, auto& b) {
    return a.depth_km < b.depth_km;
  });
  return points;
}

}  // namespace mtvuk
