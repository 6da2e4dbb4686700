// mtvuk-cli forward: the response of a layered model over its period grid.
#pragma once

#include <optional>
#include <string>

#include "core/store/physics_setting.h"

namespace mtvuk::cli {

struct ForwardOptions {
  std::string layers;      // --layers SPEC
  std::string model_file;  // --model FILE.json
  std::optional<double> tmin;
  std::optional<double> tmax;
  bool json = false;
  Physics physics = Physics::kPublished;  // --physics
};

int RunForward(const ForwardOptions& options);

}  // namespace mtvuk::cli
