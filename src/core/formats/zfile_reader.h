// Reader of EMTF Z-files (.zmm, .zrr, .zss), the output of Egbert's robust
// single-site and remote-reference processing (Egbert and Booker 1986;
// Egbert 1997).
#pragma once

#include <string>
#include <string_view>

#include "core/formats/transfer_function.h"

namespace mtvuk {

inline constexpr char kZFileFormat[] = "EMTF Z-file";

// The impedance rows (Ex, Ey over Hx, Hy) of every period, turned from the
// channel orientations of the header into the station's axes (x at 0, y at
// 90 degrees of the file's azimuths); the variance of element (i, j) is
// N_ii S_jj with the residual covariance N and the inverse coherent signal
// power S, both turned with the tensor. Station name, coordinates and
// declination from the header. False with `error` saying what is missing
// (a file of magnetic channels only has no impedance).
bool ReadZFile(std::string_view text, TransferFunction& tf, std::string& error);

}  // namespace mtvuk
