// The order of the points of a sounding: falling frequency (rising
// period), as the curves, the smoothing spline and the fits take them.
// Files list them either way (VIC100 from low to high frequency).
#pragma once

#include <string>

#include "core/store/sounding_buffer.h"

namespace mtvuk {

// Sorts the points of the sounding by falling frequency, every array with
// its frequency; of two points with the same frequency the first in the
// file is kept. Returns the text telling the user which points were
// dropped, "" when none were. Points without a finite frequency go last.
std::string SortByFrequency(SoundingBuffer& sb);

}  // namespace mtvuk
