// mtvuk-cli shift --profile: the static shift of each station of a profile
// against the profile's median.
#pragma once

#include <string>
#include <vector>

#include "core/store/workspace.h"

namespace mtvuk::cli {

struct ProfileShiftCliOptions {
  std::vector<std::string> files;  // one station each, in profile order
  CurveMode mode = CurveMode::XY;
  int periods = 5;  // shortest periods of each station the estimate uses
  bool json = false;
  bool import = false;
};

int RunProfileShift(const ProfileShiftCliOptions& options);

}  // namespace mtvuk::cli
