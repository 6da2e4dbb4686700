#include "core/inversion/error_floor.h"

#include <algorithm>
#include <cmath>

#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

double Raised(double error, double floor) {
  if (!std::isfinite(error) || !(error > 0.0)) return error;
  return std::max(error, floor);
}

}  // namespace

double ImpedanceFloor(double percent) { return percent / 100.0; }

double RhoFloor(double percent) { return 2.0 * percent / 100.0; }

double PhaseFloorDegrees(double percent) {
  return std::asin(std::clamp(percent / 100.0, 0.0, 1.0)) * kDegPerRad;
}

double FlooredImpedanceError(double relative, double percent) {
  return Raised(relative, ImpedanceFloor(percent));
}

double FlooredRhoError(double relative, double percent) {
  return Raised(relative, RhoFloor(percent));
}

double FlooredPhaseError(double degrees, double percent) {
  return Raised(degrees, PhaseFloorDegrees(percent));
}

const char* ErrorFloorProblem(double percent) {
  if (!(percent >= 0.0 && percent <= kMaxErrorFloorPercent))
    return "The error floor must be a number from 0 to 100 (percent of |Z|).";
  return "";
}

}  // namespace mtvuk
