// Reader of EMTF XML, the exchange format of the public archives of MT
// transfer functions (Kelbert, Erofeeva, Egbert 2011 and later revisions).
#pragma once

#include <string>
#include <string_view>

#include "core/formats/transfer_function.h"

namespace mtvuk {

inline constexpr char kEmtfXmlFormat[] = "EMTF XML";

// The impedance (Z) of every period with its variance (Z.VAR, else the
// diagonals of Z.INVSIGCOV and Z.RESIDCOV), in mV/km per nT and for
// exp(+i omega t) whatever the file's units and sign convention; the site's
// id, position, elevation and declination. A document that is not
// well-formed is read all the same when the damage lies outside its data
// (the user is told). False with `error` saying what is missing.
bool ReadEmtfXml(std::string_view text,
                 TransferFunction& tf,
                 std::string& error);

}  // namespace mtvuk
