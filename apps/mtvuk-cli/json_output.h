// JSON helpers of the command-line tool.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "core/store/capacities.h"

namespace mtvuk::cli {

// A stored 32-bit value as the shortest decimal that reads back to it.
// NaN and infinities become null.
nlohmann::json JsonFloat(float value);
nlohmann::json JsonArray(const PointArray& values, int count);
// A computed double; NaN and infinities become null.
nlohmann::ordered_json JsonNumber(double value);
// The document as indented text. Names read from files may hold bytes that
// are not UTF-8 (Latin-1 files, a name cut inside a character): they become
// U+FFFD instead of ending the program.
template <typename Json>
std::string JsonText(const Json& document) {
  return document.dump(2, ' ', false, Json::error_handler_t::replace);
}

}  // namespace mtvuk::cli
