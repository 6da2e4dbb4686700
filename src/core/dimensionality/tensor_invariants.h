// Dimensionality of the full impedance tensor, period by period: Swift's
// skew (Swift 1967), Bahr's phase-sensitive skew (Bahr 1988) and the phase
// tensor (Caldwell, Bibby and Brown 2004).
#pragma once

#include <vector>

#include "core/physics/complex.h"
#include "core/store/dimensionality_settings.h"
#include "core/store/field_set.h"
#include "core/store/sounding_buffer.h"

namespace mtvuk {

struct ImpedanceTensor {
  Complex xx, xy, yx, yy;  // any unit; the invariants are ratios
};

struct TensorInvariants {
  double period = 0.0;       // s
  double swift_skew = 0.0;   // |Zxx + Zyy| / |Zxy - Zyx|
  double bahr_skew = 0.0;    // phase-sensitive skew eta
  double phi_max_deg = 0.0;  // atan of the principal values of Phi
  double phi_min_deg = 0.0;
  double alpha_deg = 0.0;    // orientation angle
  double beta_deg = 0.0;     // skew angle
  double ellipticity = 0.0;  // (Phi_max - Phi_min) / (Phi_max + Phi_min)
  bool valid = false;        // false: X singular or a value not finite
  bool one_d = false;        // within the thresholds
};

TensorInvariants InvariantsOf(const ImpedanceTensor& z,
                              double period,
                              const DimensionalityThresholds& limits = {});

// Per period of the sounding (file order).
std::vector<TensorInvariants> DimensionalityOf(
    const SoundingBuffer& sounding,
    const DimensionalityThresholds& limits = {});

// Per point of a set, from the tensor it keeps (the ZYX of a YX set is
// stored negated and is turned back).
std::vector<TensorInvariants> DimensionalityOf(
    const FieldSet& set, const DimensionalityThresholds& limits = {});

// Marks as deleted the points of the set that are not 1-D (the fit, the
// smoothing and the depth transformation then leave them out). Returns
// how many points it marked.
int LeaveOutNon1D(FieldSet& set, const std::vector<TensorInvariants>& dims);

}  // namespace mtvuk
