// Writer of EMTF XML: the field data of a sounding as the public archives
// exchange them.
#pragma once

#include <string>

#include "core/formats/transfer_function.h"
#include "core/platform/ui.h"
#include "core/store/sounding_buffer.h"

namespace mtvuk {

inline constexpr char kEmtfXmlFileFilter[] = "EMTF XML (*.xml)|*.xml||";

// An EMTF XML document of `tf`: site id and position, exp(+i omega t), the
// impedance in [mV/km]/[nT] and its variance (Z.VAR) at every period, the
// periods in the order of `tf`. Values keep nine significant digits, so
// that a sounding written and read back is the same to its float
// precision.
std::string FormatEmtfXml(const TransferFunction& tf);

// Writes the sounding (the field data as read: all four tensor elements and
// the errors of XY and YX) to `path`, replacing a file that is there only
// when the new one was written completely. False after a message.
bool ExportEmtfXml(const SoundingBuffer& sounding,
                   const std::string& path,
                   Ui& ui);

}  // namespace mtvuk
