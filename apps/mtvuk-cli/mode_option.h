// The polarisation option of the commands: "--mode xy|yx|mean|eff" in any
// case, one polarisation or a comma-separated list.
#pragma once

#include <string>
#include <vector>

#include "core/store/capacities.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace mtvuk::cli {

CLI::Option* AddModeOption(
    CLI::App& command,
    CurveMode& mode,
    const std::string& help = "Polarisation: xy, yx, mean or eff");
// Required; the polarisations are given comma-separated.
CLI::Option* AddModesOption(CLI::App& command, std::vector<CurveMode>& modes);

}  // namespace mtvuk::cli
