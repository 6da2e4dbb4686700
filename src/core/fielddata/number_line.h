// Numbers written on a line of a field-data file.
#pragma once

#include <string>
#include <string_view>

namespace mtvuk {

// Fields of a line whose text is not one whole number ("2.773es02", five
// blanks, two short numbers joined): they are read as far as they are a
// number, and counted here so that the user can be told.
struct OddFields {
  int count = 0;
  std::string first;  // the first one's text, without its leading blanks
  // Where the first one stands on its line: its first and last column,
  // counted from 1, leading blanks included.
  int first_column = 0;
  int last_column = 0;
};

// Reads the numbers of one line. Characters are collected from the start of
// the line, blanks included; when a blank or the end of the line is met after
// more than four collected characters, the collected text is converted as a
// decimal number and the blank starts the next collection. So each number
// must fill a field of at least five characters counting its leading blanks;
// a shorter one is joined with the number after it. Stores at most
// `capacity` values and returns how many the line holds; fields that are
// not one whole number are added to `odd`.
int ReadNumbersOnLine(std::string_view line,
                      float* out,
                      int capacity,
                      OddFields* odd = nullptr);

}  // namespace mtvuk
