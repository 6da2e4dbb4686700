// Which soundings a section draws: every sounding of its file, or those of
// one polarisation, so that the XY and the YX models of a profile can make
// a section each.
#pragma once

#include <string>
#include <vector>

#include "core/files/int_file.h"

namespace mtvuk {

enum class SectionPolarisation { kBoth, kXy, kYx };

// The names of the choice as the command line takes them, in enum order.
inline constexpr const char* kPolarisationNames[] = {"both", "xy", "yx"};

// The polarisation a sounding's name tells: the workstation names the
// models and curves it writes after their field set, "XY 15125A" or
// "YX 15125A" (leading blanks and letter case do not matter). kBoth for a
// name that tells none: MEAN ("MN ") and EFF ("EF ") curves, names without
// a mode.
SectionPolarisation PolarisationOfName(const std::string& name);

// The stations a section of `polarisation` draws, in their order: all for
// kBoth, else those whose names tell that polarisation.
std::vector<SectionStation> StationsOfPolarisation(
    const std::vector<SectionStation>& stations,
    SectionPolarisation polarisation);

}  // namespace mtvuk
