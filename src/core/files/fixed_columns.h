// Text helpers of the result files, which are written with printf formats
// into fixed columns and read back from them.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>

namespace mtvuk::columns {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[512];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

// 14 blanks with the first 12 characters of the name over their start: the
// name field of INT and TRF header lines.
inline std::string NameField(const std::string& name) {
  std::string field(14, ' ');
  field.replace(0, std::min<std::size_t>(12, name.size()), name.substr(0, 12));
  return field;
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
