// Reader of the j-files of BIRRP (Chave and Thomson 2004), the
// bounded-influence remote-reference processing code.
#pragma once

#include <string>
#include <string_view>

#include "core/formats/transfer_function.h"

namespace mtvuk {

inline constexpr char kJFileFormat[] = "BIRRP j-file";

// The ZXX, ZXY, ZYX, ZYY blocks (period, real, imaginary, error; -999 marks
// a missing value), put into exp(+i omega t) by conjugation. The units are
// checked against the file's own apparent resistivity blocks (RXY, RYX)
// when it has them, whatever the block titles say; without them the values
// are taken as mV/km per nT. Empty coordinates stay unknown. False with
// `error` saying what is missing.
bool ReadJFile(std::string_view text, TransferFunction& tf, std::string& error);

}  // namespace mtvuk
