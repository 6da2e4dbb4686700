// JSON helpers of the command-line tool.
#pragma once

#include <nlohmann/json.hpp>

#include "core/store/capacities.h"

namespace mtvuk::cli {

// A stored 32-bit value as the shortest decimal that reads back to it.
// NaN and infinities become null.
nlohmann::json JsonFloat(float value);
nlohmann::json JsonArray(const PointArray& values, int count);

}  // namespace mtvuk::cli
