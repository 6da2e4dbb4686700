// Commands of mtvuk-cli for smoothing and depth profiles: smooth, depth.
#pragma once

#include <optional>
#include <string>

namespace CLI {
class App;
}

#include "core/store/capacities.h"
#include "core/store/depth_settings.h"
#include "core/store/physics_setting.h"

namespace mtvuk::cli {

struct SmoothOptions {
  std::string file;
  CurveMode mode = CurveMode::XY;
  std::optional<double> tension;  // percent of the bar
  bool ignore_errors = false;
  bool res_phs = false;
  bool json = false;
  bool import = false;
  // depth FILE only: append the set's TRF block to this file, named so.
  std::string trf;
  std::string name;
  Physics physics = Physics::kPublished;  // --physics
  Smoother smoother = Smoother::kRobust;  // --smoother
  double shift = 1.0;                     // static-shift factor of rho_a
};

// --smoother classic|robust on a command that smooths a set.
void AddSmootherOption(CLI::App& command, SmoothOptions& options);

// smooth FILE: the smoothed curve, its slopes and the phase from rho.
int RunSmooth(const SmoothOptions& options);
// depth FILE: smooths, then the set's Res(h) and S(h); with `trf` also
// appends the set's block to that TRF file.
int RunDepthOfFile(const SmoothOptions& options);
// depth --layers SPEC | --model FILE: the profile of a model curve.
int RunDepthOfModel(const std::string& layers,
                    const std::string& model_file,
                    bool json,
                    Physics physics = Physics::kPublished);

}  // namespace mtvuk::cli
