#include "invert_command.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sounding_list.h"
#include "core/files/int_file.h"
#include "core/inversion/inversion.h"
#include "core/platform/console_ui.h"
#include "core/store/store_defaults.h"
#include "field_commands.h"
#include "model_json.h"

namespace mtvuk::cli {

int RunInvert(const InvertOptions& o) {
  auto stores = std::make_unique<Stores>();
  Workspace& ws = stores->workspace;
  ApplyStartDefaults(ws, stores->sets, stores->models);
  LayerModel model;
  std::string error;
  const bool ok = o.model_file.empty()
                      ? ModelFromLayerSpec(o.layers, model, error)
                      : ModelFromJsonFile(o.model_file, model, error);
  if (!ok) {
    std::fprintf(stderr, "mtvuk-cli invert: %s\n", error.c_str());
    return kExitUsage;
  }
  std::string int_path;
  if (!o.int_file.empty() && !CommandLineIntPath(o.int_file, int_path, error)) {
    std::fprintf(stderr, "mtvuk-cli invert: %s\n", error.c_str());
    return kExitUsage;
  }
  if (o.name.find('/') != std::string::npos) {
    std::fprintf(stderr,
                 "mtvuk-cli invert: --name '%s' holds a \"/\", which "
                 "separates the columns of INT files\n",
                 o.name.c_str());
    return kExitUsage;
  }
  ConsoleUi ui;
  if (!ReadSounding(o.file, ws, ui, o.import)) return kExitFailure;
  SoundingList list(ws, stores->sets, stores->models, ui);
  if (!list.SetTick(o.mode, true) || !list.Ok()) return kExitFailure;
  // Model 1 takes the given layers; loading slot 1 named it after the set.
  const std::string name = stores->models[0].name;
  stores->models[0] = model;
  stores->models[0].name = name;
  stores->models[0].attached_set = 0;
  ws.current_model = 0;
  if (o.target) ws.inversion_target = static_cast<std::int16_t>(o.target);
  if (o.iterations)
    ws.iteration_amount = static_cast<std::int16_t>(o.iterations);
  if (o.ignore_errors) ws.ignore_error_bars = 1;

  const auto start = std::chrono::steady_clock::now();
  InversionResult r = RunInversion(ws, stores->sets, stores->models, ui);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  if (!r.ran) return kExitFailure;

  LayerModel& m = stores->models[0];
  if (!o.int_file.empty() && !r.cancelled) {
    if (!o.name.empty()) m.name = o.name;
    const std::string problem = IntBlockProblem(m);
    if (!problem.empty()) ui.Show(problem, kIntBlockCaption, Icon::kStop);
    if (!problem.empty() ||
        !AppendToIntFile(
            int_path, FormatModelBlock(m, ws.inversion_target), ui)) {
      return kExitFailure;
    }
  }
  const double rms = r.data_used > 0 ? std::sqrt(r.misfit / r.data_used) : 0.0;
  if (o.json) {
    nlohmann::ordered_json j;
    j["target"] = ws.inversion_target;
    j["iterations_run"] = r.iterations_run;
    j["history"] = nlohmann::ordered_json::array();
    for (const InversionStep& s : r.history) {
      j["history"].push_back(
          {{"iteration", s.iteration}, {"misfit", s.misfit}});
    }
    j["best_iteration"] = r.best_iteration;
    j["misfit"] = r.misfit;
    j["rms"] = rms;
    j["data_used"] = r.data_used;
    j["layers"] = nlohmann::ordered_json::array();
    for (int k = 0; k < m.layer_count; ++k) {
      j["layers"].push_back(
          {{"rho", m.resistivity[k]}, {"thickness_km", m.thickness[k]}});
    }
    j["seconds"] = seconds;
    std::printf("%s\n", j.dump(2).c_str());
  } else {
    static const char* const kTargets[] = {
        "", "RE+IM", "RE", "IM", "Ro", "Res+Phs"};
    std::printf("# %s, target %d (%s), %d iterations in %.3f s%s\n",
                m.name.c_str(),
                ws.inversion_target,
                kTargets[std::clamp<int>(ws.inversion_target, 0, 5)],
                r.iterations_run,
                seconds,
                r.cancelled ? " (cancelled)" : "");
    for (const InversionStep& s : r.history) {
      std::printf("iteration %2d  misfit %.6g\n", s.iteration, s.misfit);
    }
    std::printf(
        "best iteration %d: misfit %.6g, rms %.4g over %d weighted terms\n",
        r.best_iteration,
        r.misfit,
        rms,
        r.data_used);
    std::printf("%5s %14s %14s\n", "layer", "rho_ohm_m", "thickness_km");
    for (int k = 0; k < m.layer_count; ++k) {
      if (k + 1 < m.layer_count) {
        std::printf(
            "%5d %14.6g %14.6g\n", k + 1, m.resistivity[k], m.thickness[k]);
      } else {
        std::printf("%5d %14.6g %14s\n", k + 1, m.resistivity[k], "half-space");
      }
    }
  }
  return r.cancelled ? kExitFailure : kExitOk;
}

}  // namespace mtvuk::cli
