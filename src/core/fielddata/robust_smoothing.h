// The robust smoother applied to a field set: standard errors with their
// floor, the smoothed curve and slopes stored as the weighted spline stores
// them, the points it down-weighted, and "Res->Phs" on its curve.
#pragma once

#include "core/fielddata/smoothing.h"

namespace mtvuk {

inline constexpr char kRobustSmoothingCaption[] = "ROBUST SMOOTHING";

// Standard error of log10 rho_a of point i from its resistivity bounds, at
// least the floor (2 x 5 % of rho_a); the floor alone when errors are
// ignored or missing.
double LogRhoSigma(const FieldSet& set, int i, bool ignore_errors);

// Smooths the set's first effective_count points with the robust smoother:
// its smoothness from the data, or from the tension marker once the user
// moved it. Stores the smoothed values (and their copy), the bounded slopes,
// the down-weighted points and the curve's degrees of freedom. A set that
// cannot be smoothed is reported through `ui` and keeps -14 and slope 0.
bool SmoothFieldSetRobust(FieldSet& set,
                          const SmoothingOptions& options,
                          Ui& ui);

// "Res->Phs" on the robust curve (the same dispersion integral as the
// weighted spline's), and the mark of the phases within half a decade of
// either end of the curve, which the integral reads partly from the
// continued curve.
void RobustPhaseFromResistivity(FieldSet& set,
                                const SmoothingOptions& options,
                                Ui& ui);

// Half a decade: phases this close to an end of the band are less reliable.
inline constexpr double kPhaseBandEndDecades = 0.5;

}  // namespace mtvuk
