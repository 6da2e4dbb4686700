#include "core/files/name_text.h"

#include <algorithm>

namespace mtvuk {
namespace {

// Length of the valid UTF-8 character at `text[i]`, or 0 when none starts
// there (a stray continuation byte, an overlong or cut sequence, a
// surrogate).
std::size_t CharacterLength(std::string_view text, std::size_t i) {
  const auto byte = [&text](std::size_t k) {
    return static_cast<unsigned char>(text[k]);
  };
  const unsigned char c = byte(i);
  if (c < 0x80) return 1;
  std::size_t n = 0;
  unsigned lowest = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    lowest = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    lowest = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    lowest = 0x10000;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  unsigned code = c & (0xFF >> (n + 1));
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  return n;
}

}  // namespace

std::string CutName(std::string_view name, std::size_t max_bytes) {
  std::size_t end = 0;
  while (end < name.size()) {
    const std::size_t n = std::max<std::size_t>(1, CharacterLength(name, end));
    if (end + n > max_bytes) break;
    end += n;
  }
  return std::string(name.substr(0, end));
}

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = CharacterLength(text, i);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    if (n == 1 && (c < 0x20 || c == 0x7F) && c != '\t' && c != '\n') {
      out += '?';
    } else {
      out.append(text.substr(i, n));
    }
    i += n;
  }
  return out;
}

}  // namespace mtvuk
