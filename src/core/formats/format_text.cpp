#include "core/formats/format_text.h"

#include <algorithm>
#include <cctype>

#include "core/platform/c_number.h"

namespace mtvuk::format_text {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
    s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
    s.remove_suffix(1);
  return s;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
    return static_cast<char>(std::toupper(c));
  });
  return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() &&
         Upper(s.substr(0, prefix.size())) == Upper(prefix);
}

std::vector<double> Numbers(std::string_view line, int* others) {
  std::vector<double> out;
  std::size_t i = 0;
  auto separator = [](char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '\r';
  };
  while (i < line.size()) {
    while (i < line.size() && separator(line[i])) ++i;
    std::size_t j = i;
    while (j < line.size() && !separator(line[j])) ++j;
    if (j > i) {
      double v = 0.0;
      if (ParseNumber(line.substr(i, j - i), v)) {
        out.push_back(v);
      } else if (others != nullptr) {
        ++*others;
      }
    }
    i = j;
  }
  return out;
}

std::string FileStem(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace mtvuk::format_text
