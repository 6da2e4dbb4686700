// Where the station names of a section are written along its top.
#pragma once

#include <vector>

namespace mtvuk {

// The row of each label (0 next to the axis, 1 above it, ...) so that no
// two labels of one row come closer than `gap` pixels: going from left to
// right, each label takes the lowest row whose last label ends early
// enough. Every label is written. `centres` are pixel positions in
// ascending order and `widths` the labels' widths in pixels.
std::vector<int> StaggerLabels(const std::vector<double>& centres,
                               const std::vector<double>& widths,
                               double gap);

}  // namespace mtvuk
