// A layered fit beside the best fit any 1-D model reaches to the same data.
#pragma once

#include "core/dimensionality/dplus.h"
#include "core/physics/forward_1d.h"
#include "core/store/field_set.h"
#include "core/store/layer_model.h"

namespace mtvuk {

struct FitBound {
  DPlusResult dplus;          // the D+ bound of the set's used points
  double layered_chi2 = 0.0;  // the layered model in the same measure
  double layered_nrms = 0.0;  // sqrt(layered_chi2 / data)
};

// The D+ bound of `set` (its used points, at least `floor` relative error
// of |Z|) and the misfit of the layered model `m` in the same impedance
// measure, so the two compare directly. `dplus.ok` false: too few data.
FitBound BoundOfFit(const FieldSet& set,
                    const LayerModel& m,
                    Physics physics,
                    double floor = 0.01);

}  // namespace mtvuk
