// How far a smoothed curve lies from its data, and the warnings that say so
// when it leaves them: by more than 3 standard errors (with the error floor)
// on more than a tenth of the points, or anywhere by more than half a decade.
#pragma once

#include <string>
#include <vector>

#include "core/store/field_set.h"

namespace mtvuk {

struct SmoothingDeparture {
  int points = 0;         // used points with a smoothed value
  int beyond_errors = 0;  // of them, departing by more than 3 standard errors
  double largest = 0.0;   // largest departure, decades
  int largest_at = -1;    // the point of the largest departure
  int downweighted = 0;   // points the robust smoother left out of both counts
};

// Measures a smoothed set over its used points. The points the robust
// smoother down-weighted as outliers are counted apart: it is meant to stay
// away from them.
SmoothingDeparture MeasureDeparture(const FieldSet& set);

// The warnings of a smoothed set ("XY 15125A: ..."), none when it stays on
// its data or is not smoothed.
std::vector<std::string> SmoothingWarnings(const FieldSet& set);

inline constexpr double kDepartureErrors = 3.0;
inline constexpr double kDepartureShare = 0.10;
inline constexpr double kDepartureDecades = 0.5;

}  // namespace mtvuk
