// mtvuk-cli int list|stations: the blocks and stations of INT files.
#pragma once

#include <string>

namespace mtvuk::cli {

int RunIntList(const std::string& path, bool json);
int RunIntStations(const std::string& path, bool json);

}  // namespace mtvuk::cli
