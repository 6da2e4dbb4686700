// The ranges the depth graph opens with: what the data resolve, not what a
// wild transformed point reaches.
#pragma once

#include "core/store/workspace.h"

namespace mtvuk {

struct DepthViewRange {
  bool found = false;    // some shown set has a profile
  double depth_top = 0;  // m, positive downwards, rounded out to decades
  double depth_bottom = 0;
  double value_lo = 0;  // Ohm-m (Res(h)) or S (S(h)), rounded to decades
  double value_hi = 0;
};

// Depth from the shallowest to the deepest Bostick depth of the smoothed
// sets whose depth switch is on, rounded out to whole decades. Res(h): the
// range of the sets' apparent resistivities and smoothed curves (the
// points they use and the robust smoother kept) widened by a third of a
// decade on each side, so that a transformed point far outside it does not
// squeeze the data into a corner. S(h): the range of the conductances.
DepthViewRange DefaultDepthView(const FieldSets& sets, DepthQuantity quantity);

}  // namespace mtvuk
