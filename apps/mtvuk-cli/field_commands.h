// Commands of mtvuk-cli that read field data: read, curve.
#pragma once

#include <string>

#include "core/store/capacities.h"

namespace mtvuk::cli {

// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int RunRead(const std::string& path, bool json);
int RunCurve(const std::string& path, CurveMode mode, bool json);

}  // namespace mtvuk::cli
