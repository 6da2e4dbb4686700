// Numbers written on a line of a field-data file.
#pragma once

#include <string_view>

namespace mtvuk {

// Reads the numbers of one line. Characters are collected from the start of
// the line, blanks included; when a blank or the end of the line is met after
// more than four collected characters, the collected text is converted as a
// decimal number and the blank starts the next collection. So each number
// must fill a field of at least five characters counting its leading blanks;
// a shorter one is joined with the number after it. Stores at most
// `capacity` values and returns how many the line holds.
int ReadNumbersOnLine(std::string_view line, float* out, int capacity);

}  // namespace mtvuk
