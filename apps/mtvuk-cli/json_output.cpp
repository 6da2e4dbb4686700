#include "json_output.h"

#include <charconv>
#include <cmath>

namespace mtvuk::cli {

nlohmann::json JsonFloat(float value) {
  if (!std::isfinite(value)) return nullptr;
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, value);
  double shortest = 0.0;
  std::from_chars(text, result.ptr, shortest);
  return shortest;
}

nlohmann::json JsonArray(const PointArray& values, int count) {
  nlohmann::json out = nlohmann::json::array();
  for (int k = 0; k < count; ++k) out.push_back(JsonFloat(values[k]));
  return out;
}

nlohmann::ordered_json JsonNumber(double value) {
  return std::isfinite(value) ? nlohmann::ordered_json(value)
                              : nlohmann::ordered_json(nullptr);
}

}  // namespace mtvuk::cli
