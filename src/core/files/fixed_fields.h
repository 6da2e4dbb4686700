// Numbers read from the fixed columns of result files. A field holds one
// decimal number with blanks before (and after) it, as the printf formats of
// the writers leave it; a field that is blank, cut short by the end of its
// line, or holds anything else is refused with where and why, so that no
// damaged value is read as the number it begins with.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

namespace mtvuk::columns {

// Columns [at, at + width) of `line` as one number. False with `problem`
// ("columns 34-45 ('7525034.5x') hold no single number", columns counted
// from 1 as an editor shows them) when the field is blank, ends early or is
// not one number.
bool NumberField(const std::string& line,
                 std::size_t at,
                 std::size_t width,
                 double& value,
                 std::string& problem);

// The same for a whole number (an optional sign and digits).
bool IntegerField(const std::string& line,
                  std::size_t at,
                  std::size_t width,
                  int& value,
                  std::string& problem);

// Nothing but blanks from column `at` to the end of the line: a value wider
// than its column pushes the ones after it out to here.
bool BlankFrom(const std::string& line, std::size_t at, std::string& problem);

// "PATH, line N: problem" (without the line when it is not known).
std::string WhereInFile(const std::string& path,
                        int line,
                        const std::string& problem);

// The "/" between two fields at each of `at` (0-based columns); false with
// the column and what stands there when one is missing.
bool Separators(const std::string& line,
                std::initializer_list<std::size_t> at,
                std::string& problem);

}  // namespace mtvuk::columns
