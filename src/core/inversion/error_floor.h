// The error floor of a fit: the least standard error a datum is given,
// whatever its own error bar says. Field error bars are often far smaller
// than the scatter of the data (a remote-reference estimate can claim
// 0.1 %), and a fit weighted by them chases noise; every fitting program
// therefore lets the user set a floor.
//
// One convention for every fit that weighs data by their errors (the
// robust method, the smooth inversion, the smoothers and samplers): the
// floor is PCT percent of |Z|, and it carries over to the quantities a fit
// may use as
//   impedance        dZ / |Z|            >= PCT / 100
//   apparent rho     d rho_a / rho_a     >= 2 PCT / 100   (rho_a ~ |Z|^2)
//   phase            d phi (degrees)     >= asin(PCT / 100) in degrees
// A standard error that is not a finite positive number stays as it is
// (the datum has no error bar), so that callers can leave it out.
#pragma once

namespace mtvuk {

// The floor of the robust method and the smooth inversion unless the user
// sets another; the classic method has none.
inline constexpr double kDefaultErrorFloorPercent = 5.0;
// The largest floor accepted: a standard error of |Z| itself.
inline constexpr double kMaxErrorFloorPercent = 100.0;

// The least relative standard error of the impedance, of apparent
// resistivity, and the least phase error in degrees, for a floor of
// `percent` (0: no floor).
double ImpedanceFloor(double percent);
double RhoFloor(double percent);
double PhaseFloorDegrees(double percent);

// A datum's standard error raised to the floor (relative for the
// impedance and apparent resistivity, degrees for the phase). Errors that
// are not finite or not positive are returned unchanged.
double FlooredImpedanceError(double relative, double percent);
double FlooredRhoError(double relative, double percent);
double FlooredPhaseError(double degrees, double percent);

// Why `percent` is not a usable floor, or "" (between 0 and 100).
const char* ErrorFloorProblem(double percent);

}  // namespace mtvuk
