#include "core/fielddata/frequency_order.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

namespace mtvuk {

std::string SortByFrequency(SoundingBuffer& sb) {
  const int n = std::clamp(sb.nfreq, 0, MaxFreq);
  std::vector<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  auto key = [&sb](int k) {
    const double f = sb.freq[k];
    return std::isfinite(f) ? f : -HUGE_VAL;
  };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return key(a) > key(b);
  });
  std::vector<int> kept;
  std::string dropped;
  int dropped_count = 0;
  for (int k : order) {
    if (!kept.empty() && sb.freq[kept.back()] == sb.freq[k] &&
        std::isfinite(sb.freq[k])) {
      char text[48];
      std::snprintf(text,
                    sizeof text,
                    "%s%.6g Hz (point %d)",
                    dropped_count ? ", " : "",
                    static_cast<double>(sb.freq[k]),
                    k + 1);
      dropped += text;
      ++dropped_count;
      continue;
    }
    kept.push_back(k);
  }
  bool moved = static_cast<int>(kept.size()) != n;
  for (int i = 0; i < static_cast<int>(kept.size()); ++i)
    moved = moved || kept[i] != i;
  if (!moved) return "";
  for (int a = 0; a < kSoundingArrays; ++a) {
    PointArray& array = sb.Array(a);
    const PointArray copy = array;
    std::fill(array.begin(), array.end(), 0.0f);
    for (std::size_t i = 0; i < kept.size(); ++i) array[i] = copy[kept[i]];
  }
  const PointFlags missing = sb.missing;
  sb.missing.fill(0);
  for (std::size_t i = 0; i < kept.size(); ++i)
    sb.missing[i] = missing[kept[i]];
  sb.nfreq = static_cast<int>(kept.size());
  if (dropped_count == 0) return "";
  return "Equal frequencies: the first point of each is kept, dropped " +
         dropped;
}

}  // namespace mtvuk
