// Static shift along a profile (method d) for the stations loaded in the
// workstation: a set's shortest-period rho_a against the median of the
// loaded stations of its polarisation.
#pragma once

#include "core/dimensionality/static_shift.h"
#include "core/store/workspace.h"

namespace mtvuk {

// At least this many stations make a median worth moving a station onto.
inline constexpr int kMinProfileStations = 3;

// The factor of set `k` (in factor_xy, for whichever polarisation it is):
// each loaded station of the set's mode counts once (its first set), with
// the mean log10 rho_a at its `shortest` shortest used periods as read;
// the factor moves set k onto the median of them. Not ok, with the reason,
// when fewer than kMinProfileStations stations of that mode are loaded.
ShiftEstimate ShiftFromLoadedStations(const FieldSets& sets,
                                      int k,
                                      int shortest = 5);

}  // namespace mtvuk
