#include "core/modelform/number_rounding.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/platform/c_number.h"

namespace mtvuk {
namespace {

double Cut(const char* format, double value, std::size_t width) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return AtoF(std::string(text).substr(0, width));
}

}  // namespace

double RoundFive(double value, bool on) {
  if (!on) return value;
  value = std::clamp(value, 0.001, 99999.0);
  const char* format = value >= 1000.0 ? "%5.0f"
                       : value >= 10.0 ? "%5.1f"
                       : value >= 1.0  ? "%5.2f"
                                       : "%5.3f";
  return Cut(format, value, 5);
}

double RoundSix(double value) {
  if (value >= 1000.0 || !(value == value)) return value;
  if (value >= 10.0) return Cut("%6.1f", value, 6);
  if (value >= 1.0) return Cut("%5.2f", value, 5);
  return Cut("%6.3f", value, 6);
}

}  // namespace mtvuk
