#include "core/dimensionality/profile_shift.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/fielddata/field_curve.h"

namespace mtvuk {

ShiftEstimate ShiftFromLoadedStations(const FieldSets& sets,
                                      int k,
                                      int shortest) {
  ShiftEstimate e;
  if (k < 0 || k >= MaxSets || sets[k].in_use <= 0) {
    e.message = "No field set is chosen";
    return e;
  }
  const FieldSet& own = sets[k];
  std::vector<std::string> stations;
  std::vector<double> log_rho;
  int at = -1;  // the entry of set k's station
  for (int j = 0; j < MaxSets; ++j) {
    const FieldSet& s = sets[j];
    if (s.in_use <= 0 || s.mode != own.mode) continue;
    bool seen = false;
    for (const std::string& name : stations) seen = seen || name == s.station;
    if (seen) continue;
    const double v = ShortestPeriodLogRho(s, shortest);
    if (!std::isfinite(v)) continue;
    if (s.station == own.station) at = static_cast<int>(log_rho.size());
    stations.push_back(s.station);
    log_rho.push_back(v);
  }
  const char* mode = ModePrefix(own.mode);
  if (static_cast<int>(log_rho.size()) < kMinProfileStations || at < 0) {
    char text[200];
    std::snprintf(text,
                  sizeof text,
                  "Load the %scurves of at least %d stations of the profile "
                  "(%zu loaded)",
                  mode,
                  kMinProfileStations,
                  log_rho.size());
    e.message = text;
    return e;
  }
  const std::vector<double> factors = ShiftsFromProfile(log_rho);
  e.factor_xy = factors[static_cast<std::size_t>(at)];
  e.points = static_cast<int>(log_rho.size());
  char text[200];
  std::snprintf(
      text,
      sizeof text,
      "rho_a %.4g Ohm-m at the shortest periods against the median "
      "%.4g of %d stations",
      std::pow(10.0, log_rho[static_cast<std::size_t>(at)]),
      std::pow(10.0, log_rho[static_cast<std::size_t>(at)]) * e.factor_xy,
      e.points);
  e.message = text;
  e.ok = true;
  return e;
}

}  // namespace mtvuk
