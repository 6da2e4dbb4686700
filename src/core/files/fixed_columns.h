// Text helpers of the result files, which are written with printf formats
// into fixed columns and read back from them.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/files/name_text.h"

namespace mtvuk::columns {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[512];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

// The most bytes of a name that the header lines of INT and TRF files hold.
inline constexpr std::size_t kNameBytes = 12;

// 14 blanks with the first 12 bytes of the name over their start, cut where
// a character ends: the name field of INT and TRF header lines.
inline std::string NameField(const std::string& name) {
  std::string field(14, ' ');
  const std::string cut = CutName(name, kNameBytes);
  field.replace(0, cut.size(), cut);
  return field;
}

// The name as a header line holds it, without the blanks after it.
inline std::string NameAsWritten(const std::string& name) {
  const std::string cut = CutName(name, kNameBytes);
  return cut.substr(0, cut.find_last_not_of(' ') + 1);
}

// The problem of a name that would break its header line: a line break (or
// another control character) in the name field splits the block, and no
// reader finds it again. Empty when the name is fine.
inline std::string NameFieldProblem(const std::string& name) {
  const bool control = std::any_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
  });
  if (!control) return {};
  return "The name holds a line break or another control character, which "
         "would split the block:\nno reader could find it again. Choose "
         "another name.";
}

// The altitude field of INT and TRF header lines: six characters, "%6.1f"
// while that fits; an altitude that needs more (a seafloor station at
// -3000 m) is written without its decimal (" -3000"), which the readers take
// as well. Empty when the altitude does not fit six characters at all.
inline std::string AltitudeField(double z) {
  if (!(z > -1e6 && z < 1e7)) return {};
  std::string text = Format("%6.1f", z);
  if (text.size() == 6) return text;
  text = Format("%6.0f", z);
  return text.size() == 6 ? text : std::string();
}

// The altitude field as written: AltitudeField, or (for an altitude the
// writers' checks refuse) the text "%6.1f" makes.
inline std::string AltitudeText(double z) {
  const std::string field = AltitudeField(z);
  return field.empty() ? Format("%6.1f", z) : field;
}

// Why the blocks of one save cannot be written: two of them would carry the
// same name in the file (the header lines keep 12 bytes of a name, so
// "XY STATION_0001" and "XY STATION_0002" both become "XY STATION_0"), and a
// section or a list could no longer tell them apart. Empty when every name
// is its own.
inline std::string SameNameProblem(const std::vector<std::string>& names) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = i + 1; j < names.size(); ++j) {
      const std::string written = NameAsWritten(names[i]);
      if (written != NameAsWritten(names[j])) continue;
      return "Two blocks would be written under the name '" + written + "' ('" +
             names[i] + "' and '" + names[j] +
             "'):\nresult files keep the first 12 characters of a name. "
             "Give them names that differ within those.";
    }
  }
  return {};
}

// Characters [at, at + n) of a line, shorter or empty past its end.
inline std::string Columns(const std::string& line,
                           std::size_t at,
                           std::size_t n) {
  return at < line.size() ? line.substr(at, n) : std::string();
}

inline bool StartsWith(const std::string& line, const char* key) {
  return line.compare(0, std::char_traits<char>::length(key), key) == 0;
}

// At least `need` of the first characters of `key` equal the line's,
// position by position: header lines with a damaged character still count.
inline bool Resembles(const std::string& line, const char* key, int need) {
  const int n = static_cast<int>(std::char_traits<char>::length(key));
  int same = 0;
  for (int i = 0; i < n; ++i) {
    if (i < static_cast<int>(line.size()) && line[i] == key[i]) ++same;
  }
  return same >= need;
}

}  // namespace mtvuk::columns
