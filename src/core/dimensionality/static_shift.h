// Static shift: a galvanic distortion that moves log rho_a by a constant and
// leaves the phase alone. A single 1-D curve cannot reveal it, so each
// method below uses something else that is known.
#pragma once

#include <string>
#include <vector>

#include "core/store/field_set.h"

namespace mtvuk {

// Sets the set's static-shift factor: the curve's apparent resistivities
// (with their error bounds and smoothed values) become the curve as loaded
// times `factor`, the impedance times sqrt(factor); phases and relative
// errors stay. Every later step (fit, depth, files) reads the shifted
// values. A factor equal to the present one changes nothing, so a fresh set
// given 1 keeps its numbers bit for bit. Returns false (and changes
// nothing) for a factor that is not finite and positive.
bool SetStaticShift(FieldSet& set, double factor);

// How method (b) shifts the two polarisations.
enum class ShiftTarget { kOntoXY, kOntoYX, kGeometricMean };

struct ShiftEstimate {
  bool ok = false;
  std::string message;     // why not, or what the estimate rests on
  double factor_xy = 1.0;  // the factors to set (absolute, not relative)
  double factor_yx = 1.0;
  int points = 0;       // periods the estimate uses
  double spread = 0.0;  // standard deviation of the log10 differences
};

// (b) XY against YX: at the shortest periods the earth is 1-D and both
// curves should coincide. Uses the `shortest` shortest periods both sets
// hold (the same frequency within 0.1 %, neither point deleted) and the
// mean of log10(rho_xy / rho_yx) there, as the curves are without shift.
ShiftEstimate ShiftFromPolarisations(const FieldSet& xy,
                                     const FieldSet& yx,
                                     ShiftTarget target,
                                     int shortest = 5);

// (c) A known near-surface resistivity rho1 (Ohm-m, from another method):
// the geometric mean of rho_a at the `shortest` shortest periods must reach
// it. Sets factor_xy (for whichever set is given). The message warns when
// the mean phase there is more than 5 degrees from 45 (the shortest periods
// do not see the first layer alone).
ShiftEstimate ShiftFromNearSurface(const FieldSet& set,
                                   double rho1,
                                   int shortest = 5);

// (d) Along a profile: each station's shortest-period log10 rho_a against
// their median. Returns one factor per station (1 for a NaN entry).
std::vector<double> ShiftsFromProfile(const std::vector<double>& log_rho);

// The log10 rho_a of the set at its `shortest` shortest used periods, as
// the curve is without its shift (for method (d)).
double ShortestPeriodLogRho(const FieldSet& set, int shortest = 5);

}  // namespace mtvuk
