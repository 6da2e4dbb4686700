#include "core/fielddata/number_line.h"

#include "core/platform/c_number.h"

namespace mtvuk {

int ReadNumbersOnLine(std::string_view line,
                      float* out,
                      int capacity,
                      OddFields* odd) {
  // A line read from a file ends at its first NUL byte, as a C string does.
  line = line.substr(0, line.find('\0'));
  int found = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    bool at_end = i == line.size();
    if ((at_end || line[i] == ' ') && i - start > 4) {
      const std::string_view field = line.substr(start, i - start);
      if (found < capacity) out[found] = ToF32(AtoF(field));
      if (odd != nullptr) {
        const std::size_t first = field.find_first_not_of(' ');
        const std::string_view text = first == std::string_view::npos
                                          ? std::string_view()
                                          : field.substr(first);
        double value = 0.0;
        if (!ParseNumber(text, value)) {
          if (odd->count == 0) {
            odd->first.assign(text);
            odd->first_column = static_cast<int>(start) + 1;
            odd->last_column = static_cast<int>(i);
          }
          ++odd->count;
        }
      }
      ++found;
      start = i;
    }
  }
  return found;
}

}  // namespace mtvuk
