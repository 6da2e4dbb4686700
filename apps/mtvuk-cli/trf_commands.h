// mtvuk-cli trf list: the stations of a TRF file.
#pragma once

#include <string>

namespace mtvuk::cli {

int RunTrfList(const std::string& path, bool json);

}  // namespace mtvuk::cli
