// What a fit says about itself beside its numbers: points it left out and
// why, parameters that ended at a limit, error bars too small to trust, a
// misfit the model cannot explain, fewer data than parameters. Each is one
// short line, shown in the "Fitting result" window, written to standard
// error and into the JSON of the command-line tool.
#pragma once

#include <string>
#include <vector>

#include "core/inversion/fit_misfit.h"
#include "core/store/field_set.h"
#include "core/store/layer_model.h"

namespace mtvuk {

// Error bars below this share of the value are suspect when more than
// a third of the points carry them.
inline constexpr double kSmallErrorBar = 0.01;

// The points of the set (all its points; those from `used` on are beyond
// the trailing removed points) that no term of `terms` weighs, grouped by
// cause: edited away, not a number, outside the period range, no error
// bar, a sign the target cannot take.
std::vector<std::string> PointsLeftOut(const FieldSet& set,
                                       int used,
                                       const FitTerms& terms,
                                       int target);

// Free parameters of the model that ended at one of their limits.
std::vector<std::string> ParametersAtLimits(const LayerModel& model);

// Error bars below 1 % of the value on more than a third of the weighed
// points; "" when not.
std::string SmallErrorBars(const FieldSet& set, const FitTerms& terms);

// "" unless nrms is above kPoorFitNrms.
std::string PoorFit(double nrms, double floor_percent);

// Fewer weighed data terms than free parameters; "" when not.
std::string UnderDetermined(int data, int parameters);

// All warnings of a fit of a layered model.
std::vector<std::string> FitWarnings(const FieldSet& set,
                                     int used,
                                     const FitTerms& terms,
                                     const LayerModel& model,
                                     int target,
                                     double nrms,
                                     double floor_percent);

}  // namespace mtvuk
