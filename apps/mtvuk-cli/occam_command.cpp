#include "occam_command.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "core/dimensionality/static_shift.h"
#include "core/fielddata/sounding_list.h"
#include "core/platform/console_ui.h"
#include "core/store/store_defaults.h"
#include "field_commands.h"
#include "json_output.h"

namespace mtvuk::cli {

int RunOccam(const OccamOptions& o) {
  const std::string error = SmoothInversionOptionsError(o.smooth);
  if (!error.empty()) {
    std::fprintf(stderr, "mtvuk-cli occam: %s\n", error.c_str());
    return kExitUsage;
  }
  auto stores = std::make_unique<Stores>();
  Workspace& ws = stores->workspace;
  ApplyStartDefaults(ws, stores->sets, stores->models);
  ws.physics = o.smooth.physics;
  ConsoleUi ui;
  if (!ReadSounding(o.file, ws, ui, o.import)) return kExitFailure;
  SoundingList list(ws, stores->sets, stores->models, ui);
  if (!list.SetTick(o.mode, true) || !list.Ok()) return kExitFailure;
  const int k = list.chosen_slot(o.mode);
  FieldSet& set = stores->sets[k];
  if (!SetStaticShift(set, o.shift)) {
    std::fprintf(stderr, "mtvuk-cli occam: --shift must be positive\n");
    return kExitUsage;
  }

  const auto clock = std::chrono::steady_clock::now();
  const SmoothInversionResult r = RunSmoothInversion(set, k, o.smooth, ui);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - clock)
          .count();
  if (!r.ran) return kExitFailure;
  for (const std::string& w : r.warnings)
    std::fprintf(stderr, "warning: %s: %s\n", set.label.c_str(), w.c_str());

  const int layers = static_cast<int>(r.thickness_km.size());
  std::vector<double> top(layers + 1, 0.0);
  for (int j = 0; j < layers; ++j) top[j + 1] = top[j] + r.thickness_km[j];

  if (o.json) {
    nlohmann::ordered_json j;
    j["file"] = o.file;
    j["mode"] = ModeName(o.mode);
    j["label"] = set.label;
    j["static_shift"] = set.static_shift;
    j["physics"] = PhysicsName(o.smooth.physics);
    j["target"] = o.smooth.target;
    j["target_rms"] = o.smooth.target_rms;
    j["layers"] = layers;
    j["profile"] = nlohmann::ordered_json::array();
    for (int i = 0; i <= layers; ++i) {
      j["profile"].push_back(
          {{"top_km", top[i]}, {"rho", std::pow(10.0, r.log_rho[i])}});
    }
    j["rms"] = JsonNumber(r.rms);
    j["rms_terms"] = r.rms_terms;
    j["error_floor"] = r.error_floor;
    j["warnings"] = r.warnings;
    j["roughness"] = r.roughness;
    j["mu"] = r.mu;
    j["iterations"] = r.iterations;
    j["converged"] = r.converged;
    j["reason"] = r.reason;
    j["seconds"] = seconds;
    j["periods"] = r.periods;
    j["rho_a"] = r.rho_a;
    j["phase"] = r.phase;
    j["history"] = nlohmann::ordered_json::array();
    for (const SmoothIteration& it : r.history) {
      j["history"].push_back({{"iteration", it.iteration},
                              {"mu", it.mu},
                              {"rms", JsonNumber(it.rms)},
                              {"roughness", it.roughness},
                              {"halvings", it.halvings},
                              {"mu_tried", it.trials.size()}});
    }
    std::printf("%s\n", JsonText(j).c_str());
    return kExitOk;
  }

  std::printf(
      "# %s: smooth inversion, %d layers over a half-space, target %d (%s), "
      "target rms %g, error floor %g %%%s\n",
      set.label.c_str(),
      layers,
      o.smooth.target,
      o.smooth.target == 4 ? "Ro" : "Res+Phs",
      o.smooth.target_rms,
      o.smooth.error_floor_percent,
      o.smooth.ignore_error_bars ? ", error bars ignored in the weights" : "");
  for (const SmoothIteration& it : r.history) {
    std::printf("iteration %2d  mu %10.4g  rms %8.4g  roughness %8.4g%s\n",
                it.iteration,
                it.mu,
                it.rms,
                it.roughness,
                it.halvings > 0 ? "  (step halved)" : "");
  }
  std::printf("%s: %s\n",
              r.converged ? "converged" : "not converged",
              r.reason.c_str());
  std::printf(
      "normalized rms %.4g over %d terms, roughness %.4g, mu %.4g, %d "
      "iterations in %.3f s\n",
      r.rms,
      r.rms_terms,
      r.roughness,
      r.mu,
      r.iterations,
      seconds);
  std::printf("%5s %12s %12s\n", "layer", "top_km", "rho_ohm_m");
  for (int i = 0; i <= layers; ++i) {
    std::printf("%5d %12.5g %12.5g%s\n",
                i + 1,
                top[i],
                std::pow(10.0, r.log_rho[i]),
                i == layers ? "  half-space" : "");
  }
  return kExitOk;
}

}  // namespace mtvuk::cli
