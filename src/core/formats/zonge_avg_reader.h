// Reader of Zonge AVG files (MTEdit's averaged CSAMT/AMT/MT soundings), in
// the older layout (one column header, "$Rx.Cmp = Zxy" blocks) and the newer
// one (a header of channel lines before every "$Rx.Cmp = Zxyr" block).
#pragma once

#include <string>
#include <string_view>

#include "core/formats/transfer_function.h"

namespace mtvuk {

inline constexpr char kZongeAvgFormat[] = "Zonge AVG";

// Per frequency and component: |Z| (Z.mag, mV/km per nT) and its phase
// (Z.phz, milliradians) make the impedance; where only the apparent
// resistivity is given, |Z| = sqrt(rho f / 0.2) (said in a note). The
// errors are the file's resistivity error (ARes.%err, percent) and phase
// error (Z.perr, milliradians) of XY and YX. Rows with the skip flag 0 are
// left out. A tensor whose XY phase lies in the third quadrant and YX phase
// in the first (dipoles reversed, phases not flipped by MTEdit) is negated,
// and the user is told. False with `error` saying what is missing.
bool ReadZongeAvg(std::string_view text,
                  TransferFunction& tf,
                  std::string& error);

}  // namespace mtvuk
