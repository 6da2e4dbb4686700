// Decimal conversions with the C library's atof/atoi semantics (leading
// blanks skipped, the longest valid prefix read, 0 when nothing is read),
// independent of the process locale: a decimal point is always ".".
#pragma once

#include <string>
#include <string_view>

namespace mtvuk {

double AtoF(std::string_view text);
int AtoI(std::string_view text);

// A whole token as a number (nothing may follow it); false otherwise.
bool ParseNumber(std::string_view token, double& value);

// Narrows to float without undefined behaviour: values beyond the float range
// become infinities, NaN stays NaN.
float ToF32(double value);

}  // namespace mtvuk
