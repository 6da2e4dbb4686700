// The Bostick (1977) transform of a field curve, as the fits read it: a
// resistivity rho_B = rho_a (pi / (2 phi) - 1) at the depth
// sqrt(rho_a T / (2 pi mu0)) of each usable point.
#pragma once

#include <vector>

#include "core/store/field_set.h"

namespace mtvuk {

// One point of the Bostick transform of a field set, for the start of a fit.
struct BostickSample {
  double depth_km;
  double rho;  // Ohm-m
};

// The transform of the first `used` points that are not removed and have a
// finite resistivity and a phase strictly between 0 and 90 degrees, sorted
// by depth. Phases are held within 5..85 degrees, so that a phase near 0 or
// 90 cannot give a resistivity of 0 or infinity.
std::vector<BostickSample> BostickTransform(const FieldSet& set, int used);

}  // namespace mtvuk
