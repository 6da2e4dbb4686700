#include "forward_command.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "core/physics/model_curve.h"
#include "core/platform/console_ui.h"
#include "field_commands.h"
#include "json_output.h"
#include "model_json.h"

namespace mtvuk::cli {
namespace {

const char* PathName(ForwardPath path) {
  switch (path) {
    case ForwardPath::kNoDispersion:
      return "nodisp";
    case ForwardPath::kDispersion:
      return "disp";
    case ForwardPath::kAnisotropic:
      return "aniso";
  }
  return "";
}

nlohmann::ordered_json Pair(Complex z) {
  return nlohmann::ordered_json::array({z.re, z.im});
}

}  // namespace

int RunForward(const ForwardOptions& options) {
  LayerModel model;
  std::string error;
  bool ok = options.model_file.empty()
                ? ModelFromLayerSpec(options.layers, model, error)
                : ModelFromJsonFile(options.model_file, model, error);
  if (!ok) {
    std::fprintf(stderr, "mtvuk-cli forward: %s\n", error.c_str());
    return kExitUsage;
  }
  if (options.tmin) model.period_min = static_cast<float>(*options.tmin);
  if (options.tmax) model.period_max = static_cast<float>(*options.tmax);
  const double tmin = model.period_min;
  const double tmax = model.period_max;
  if (!(tmin > 0.0) || !(tmax > tmin) ||
      std::ceil(20.0 * std::log10(tmax / tmin)) + 2.0 > MaxCurvePeriods) {
    std::fprintf(
        stderr,
        "mtvuk-cli forward: the period range must satisfy 0 < tmin < tmax "
        "and span at most 12.4 decades (%d periods)\n",
        MaxCurvePeriods);
    return kExitUsage;
  }

  const int n = PeriodGridCount(tmin, tmax);
  std::vector<double> periods(n);
  for (int i = 0; i < n; ++i) periods[i] = GridPeriod(tmin, i);
  const ForwardPath path = ChoosePath(model, false);
  std::vector<PeriodResponse> responses(n);
  ConsoleUi ui;
  bool complete = ComputeResponses(model,
                                   WorkingLayers(model, options.physics),
                                   path,
                                   periods.data(),
                                   n,
                                   ui,
                                   responses.data());

  static const char* const kModes[kCurveModes] = {"XY", "YX", "MEAN", "EFF"};
  if (options.json) {
    nlohmann::ordered_json j;
    j["name"] = model.name;
    j["path"] = PathName(path);
    j["physics"] = PhysicsName(options.physics);
    j["periods"] = periods;
    for (int p = 0; p < kCurveModes; ++p) {
      nlohmann::ordered_json mode;
      for (const char* key : {"rho_a", "phase", "re_z", "im_z"}) {
        mode[key] = nlohmann::ordered_json::array();
      }
      for (const PeriodResponse& r : responses) {
        const PolarisationResponse& m = r.mode[p];
        mode["rho_a"].push_back(JsonNumber(m.rho_a));
        mode["phase"].push_back(JsonNumber(m.phase));
        mode["re_z"].push_back(JsonNumber(m.z.re));
        mode["im_z"].push_back(JsonNumber(m.z.im));
      }
      j[kModes[p]] = mode;
    }
    if (path == ForwardPath::kAnisotropic) {
      j["tensor"] = nlohmann::ordered_json::array();
      for (const PeriodResponse& r : responses) {
        j["tensor"].push_back({{"zxx", Pair(r.zxx)},
                               {"zxy", Pair(r.zxy)},
                               {"zyx", Pair(r.zyx)},
                               {"zyy", Pair(r.zyy)}});
      }
    }
    std::printf("%s\n", JsonText(j).c_str());
  } else {
    std::printf("# %s: %d layers, path %s, %d periods\n",
                model.name.c_str(),
                model.layer_count,
                PathName(path),
                n);
    std::printf("%12s", "period_s");
    for (const char* mode : kModes)
      std::printf(" %10s_rho %8s_phs", mode, mode);
    std::printf("\n");
    for (int i = 0; i < n; ++i) {
      std::printf("%12.5e", periods[i]);
      for (const PolarisationResponse& m : responses[i].mode) {
        std::printf(" %14.5e %12.4f", m.rho_a, m.phase);
      }
      std::printf("\n");
    }
  }
  return complete ? kExitOk : kExitFailure;
}

}  // namespace mtvuk::cli
