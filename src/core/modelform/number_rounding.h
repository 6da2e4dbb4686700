// The short texts in which the model editor shows resistivities and
// thicknesses: a value is formatted by its magnitude, cut to a fixed number
// of characters and read back.
#pragma once

namespace mtvuk {

// Five characters: clamped to 0.001..99999, then "%5.0f" from 1000, "%5.1f"
// from 10, "%5.2f" from 1, "%5.3f" below. With `on` false the value is
// returned unchanged.
double RoundFive(double value, bool on = true);

// Six characters for thicknesses: "%6.1f" from 10 below 1000, "%5.2f" from
// 1, "%6.3f" below 1; from 1000 km on the value is kept.
double RoundSix(double value);

}  // namespace mtvuk
