#include "core/section/colour_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mtvuk {
namespace {

// Decades written as plain numbers: 0.001 .. 100000.
constexpr int kPlainLowest = -3;
constexpr int kPlainHighest = 5;
// Tolerance for a value that lies at the end of the range in its text.
constexpr double kEdge = 1e-9;

std::string Plain(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", std::max(decimals, 0), value);
  return text;
}

std::string PowerOfTen(int exponent) {
  return "10^" + std::to_string(exponent);
}

}  // namespace

std::vector<ColourBarTick> ColourBarTicks(double min, double max) {
  std::vector<ColourBarTick> ticks;
  if (!(std::isfinite(min) && std::isfinite(max) && min > 0.0 && max > min))
    return ticks;
  const double l_min = std::log10(min), l_max = std::log10(max);
  const int first = static_cast<int>(std::ceil(l_min - kEdge));
  const int last = static_cast<int>(std::floor(l_max + kEdge));
  if (last > first) {
    const bool plain = first >= kPlainLowest && last <= kPlainHighest;
    for (int e = first; e <= last; ++e) {
      ticks.push_back({std::pow(10.0, e),
                       plain ? Plain(std::pow(10.0, e), -e) : PowerOfTen(e)});
    }
    return ticks;
  }
  // The smallest step of 1, 2 or 5 times a power of ten that gives at most
  // seven values.
  const double span = max - min;
  int power = static_cast<int>(std::floor(std::log10(span / 7.0)));
  double step = 0.0;
  for (;; ++power) {
    for (const double m : {1.0, 2.0, 5.0}) {
      step = m * std::pow(10.0, power);
      if (span / step <= 7.0) break;
    }
    if (span / step <= 7.0) break;
  }
  const int decimals = std::max(0, -power);
  for (double k = std::ceil(min / step - kEdge); k * step <= max * (1 + kEdge);
       k += 1.0) {
    ticks.push_back({k * step, Plain(k * step, decimals)});
  }
  return ticks;
}

}  // namespace mtvuk
