// mtvuk-cli export: a model's response as a synthetic sounding file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/store/physics_setting.h"

namespace mtvuk::cli {

struct ExportOptions {
  std::string layers;      // --layers SPEC
  std::string model_file;  // --model FILE.json
  std::string out;         // --out FILE, taken as given
  std::optional<double> tmin, tmax;
  std::optional<double> noise;  // percent of |Z|
  std::optional<std::uint64_t> seed;
  std::string format = "plt";  // plt or seg
  std::string name;            // empty: the model's name
  std::optional<double> lat, lon, elev;
  Physics physics = Physics::kPublished;  // --physics
};

int RunExport(const ExportOptions& options);

}  // namespace mtvuk::cli
