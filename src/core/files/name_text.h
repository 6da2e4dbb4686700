// Names of stations and models as the result files hold them: a fixed
// number of bytes, cut where a character ends, and shown as text that is
// valid UTF-8 whatever bytes a damaged file holds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mtvuk {

// At most `max_bytes` bytes of `name`, never ending inside a UTF-8
// character (a byte that starts no valid character counts as one).
std::string CutName(std::string_view name, std::size_t max_bytes);

// The text with every byte that is not part of a valid UTF-8 character
// replaced by U+FFFD and control characters other than tab and line feed by
// "?", for listings printed to a terminal.
std::string PrintableText(std::string_view text);

}  // namespace mtvuk
