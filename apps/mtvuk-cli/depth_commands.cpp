#include "depth_commands.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "core/depth/depth_transform.h"
#include "core/dimensionality/static_shift.h"
#include "core/fielddata/smoothing.h"
#include "core/fielddata/smoothing_check.h"
#include "core/fielddata/sounding_list.h"
#include "core/files/trf_file.h"
#include "core/physics/model_curve.h"
#include "core/platform/console_ui.h"
#include "core/store/store_defaults.h"
#include "field_commands.h"
#include "json_output.h"
#include "model_json.h"

namespace mtvuk::cli {
namespace {

struct SmoothedSet {
  std::unique_ptr<Stores> stores;
  FieldSet* set = nullptr;
  int knots = 0;
};

// Reads the file, loads the mode into slot 1 and smooths it as the
// "Smoothing" window does with these settings.
int Smooth(const SmoothOptions& o, SmoothedSet& out) {
  out.stores = std::make_unique<Stores>();
  Stores& stores = *out.stores;
  ApplyStartDefaults(stores.workspace, stores.sets, stores.models);
  stores.workspace.physics = o.physics;
  ConsoleUi ui;
  if (!ReadSounding(o.file, stores.workspace, ui, o.import)) {
    return kExitFailure;
  }
  SoundingList list(stores.workspace, stores.sets, stores.models, ui);
  if (!list.SetTick(o.mode, true) || !list.Ok()) return kExitFailure;
  FieldSet& set = stores.sets[list.chosen_slot(o.mode)];
  if (!SetStaticShift(set, o.shift)) {
    std::fprintf(stderr, "mtvuk-cli: --shift must be positive\n");
    return kExitUsage;
  }
  SmoothingOptions options = SmoothingOptions::From(stores.workspace);
  if (o.tension) options.tension_percent = *o.tension;
  options.tension_by_hand = o.tension.has_value();
  options.ignore_errors = o.ignore_errors;
  options.smoother = o.smoother;
  if (o.res_phs) DerivePhaseFromResistivity(set, options, ui);
  set.effective_count = EffectiveCount(set);
  out.set = &set;
  out.knots = o.smoother == Smoother::kClassic
                  ? KnotCount(options.tension_percent, set.effective_count)
                  : 0;
  if (!SmoothMarkedSet(stores.workspace, set, options, ui)) {
    return kExitFailure;
  }
  return kExitOk;
}

int CountFlags(const PointFlags& flags, int n) {
  int count = 0;
  for (int i = 0; i < n; ++i) count += flags[i] != 0 ? 1 : 0;
  return count;
}

// Which smoother, how many points it down-weighted, and the warnings.
void AddSmoothingJson(nlohmann::ordered_json& j, const FieldSet& set) {
  j["smoother"] = SmootherName(set.smoothed_with);
  if (set.smoothed_with == Smoother::kRobust) {
    j["dof"] = JsonFloat(set.smoothing_dof);
    j["downweighted"] = CountFlags(set.smooth_outlier, set.count);
  }
  j["warnings"] = SmoothingWarnings(set);
}

void PrintWarnings(const char* command, const FieldSet& set) {
  for (const std::string& w : SmoothingWarnings(set)) {
    std::fprintf(stderr, "%s: warning: %s\n", command, w.c_str());
  }
}

}  // namespace

void AddSmootherOption(CLI::App& command, SmoothOptions& options) {
  // "part" names the weighted spline as well, the name it had first.
  const std::map<std::string, Smoother> names{{"classic", Smoother::kClassic},
                                              {"part", Smoother::kClassic},
                                              {"robust", Smoother::kRobust}};
  command
      .add_option("--smoother",
                  options.smoother,
                  "robust (default: penalised spline, smoothness from the "
                  "data, outliers down-weighted) or classic (weighted "
                  "spline with knots set by the tension)")
      ->transform(CLI::CheckedTransformer(names, CLI::ignore_case));
}

int RunSmooth(const SmoothOptions& o) {
  SmoothedSet s;
  if (const int code = Smooth(o, s); code != kExitOk) return code;
  const FieldSet& set = *s.set;
  const PointArray& period = s.stores->workspace.period_axis;
  if (o.json) {
    nlohmann::ordered_json j;
    j["physics"] = PhysicsName(o.physics);
    j["static_shift"] = set.static_shift;
    if (o.smoother == Smoother::kClassic) j["knots"] = s.knots;
    AddSmoothingJson(j, set);
    j["points"] = nlohmann::json::array();
    for (int k = 0; k < set.count; ++k) {
      nlohmann::ordered_json p;
      p["period"] = JsonFloat(period[k]);
      p["log_rho"] = JsonFloat(set.log_rho[k]);
      p["smoothed"] = JsonFloat(set.smoothed_log_rho[k]);
      p["slope"] = JsonFloat(set.smoothed_slope[k]);
      if (set.smooth_outlier[k]) p["downweighted"] = true;
      if (o.res_phs) {
        p["phase_from_res"] = JsonFloat(set.phase_from_rho[k]);
        if (set.phase_from_rho_weak[k]) p["phase_less_reliable"] = true;
      }
      j["points"].push_back(p);
    }
    std::printf("%s\n", JsonText(j).c_str());
    return kExitOk;
  }
  PrintWarnings("smooth", set);
  if (o.smoother == Smoother::kClassic) {
    std::printf(
        "# %s  (%d points, %d knots)\n", set.label.c_str(), set.count, s.knots);
  } else {
    std::printf(
        "# %s  (%d points, robust spline of %.1f degrees of freedom, %d "
        "points down-weighted)\n",
        set.label.c_str(),
        set.count,
        static_cast<double>(set.smoothing_dof),
        CountFlags(set.smooth_outlier, set.count));
  }
  std::printf("%3s %12s %9s %9s %8s%s\n",
              "#",
              "period_s",
              "log_rho",
              "smoothed",
              "slope",
              o.res_phs ? " phase_from_res" : "");
  for (int k = 0; k < set.count; ++k) {
    std::printf("%3d %12.5e %9.5f %9.5f %8.5f",
                k + 1,
                static_cast<double>(period[k]),
                static_cast<double>(set.log_rho[k]),
                static_cast<double>(set.smoothed_log_rho[k]),
                static_cast<double>(set.smoothed_slope[k]));
    if (o.res_phs) {
      std::printf(" %14.4f", static_cast<double>(set.phase_from_rho[k]));
    }
    std::printf("\n");
  }
  return kExitOk;
}

namespace {

// Appends the set's block to the TRF file; a set without a value, a
// position that does not fit the header line, or a failed write end it.
int AppendTrf(FieldSet& set, const std::string& path, const std::string& name) {
  if (!name.empty()) set.label = name;
  std::string problem = TrfBlockProblem(set);
  if (problem.empty() && !HasTransformation(set)) {
    problem = "no point of the transformation of '" + set.label +
              "' has a resistivity";
  }
  if (!problem.empty()) {
    if (problem.back() == '.') problem.pop_back();
    std::fprintf(stderr,
                 "mtvuk-cli depth: %s; nothing was appended to %s\n",
                 problem.c_str(),
                 path.c_str());
    return kExitFailure;
  }
  ConsoleUi ui;
  if (!AppendToTrfFile(path, FormatTrfBlock(set), ui)) return kExitFailure;
  std::fprintf(stderr,
               "depth: appended the block of '%s' (%d depths) to %s\n",
               set.label.c_str(),
               TransformationCount(set),
               path.c_str());
  return kExitOk;
}

}  // namespace

int RunDepthOfFile(const SmoothOptions& o) {
  std::string trf_path;
  if (!o.trf.empty()) {
    std::string error;
    if (!CommandLineTrfPath(o.trf, trf_path, error)) {
      std::fprintf(stderr, "mtvuk-cli depth: %s\n", error.c_str());
      return kExitUsage;
    }
  }
  SmoothedSet s;
  if (const int code = Smooth(o, s); code != kExitOk) return code;
  FieldSet& set = *s.set;
  TransformFieldSet(set, o.physics);
  const int appended =
      trf_path.empty() ? kExitOk : AppendTrf(set, trf_path, o.name);
  const PointArray& period = s.stores->workspace.period_axis;
  if (o.json) {
    nlohmann::ordered_json j;
    j["physics"] = PhysicsName(o.physics);
    j["static_shift"] = set.static_shift;
    AddSmoothingJson(j, set);
    j["points"] = nlohmann::json::array();
    for (int k = 0; k < set.count; ++k) {
      nlohmann::ordered_json p;
      p["period"] = JsonFloat(period[k]);
      p["depth_m"] = JsonFloat(set.depth[k]);
      p["log_res"] = JsonFloat(set.log_res[k]);
      p["log_s"] = JsonFloat(set.log_s[k]);
      if (set.smooth_outlier[k]) p["downweighted"] = true;
      j["points"].push_back(p);
    }
    std::printf("%s\n", JsonText(j).c_str());
    return appended;
  }
  PrintWarnings("depth", set);
  std::printf("# %s  Res(h), S(h)  (%d points, %s smoother)\n",
              set.label.c_str(),
              set.count,
              SmootherName(set.smoothed_with));
  std::printf("%3s %12s %12s %9s %9s\n",
              "#",
              "period_s",
              "depth_m",
              "log_res",
              "log_s");
  for (int k = 0; k < set.count; ++k) {
    std::printf("%3d %12.5e %12.2f %9.5f %9.5f\n",
                k + 1,
                static_cast<double>(period[k]),
                static_cast<double>(set.depth[k]),
                static_cast<double>(set.log_res[k]),
                static_cast<double>(set.log_s[k]));
  }
  return appended;
}

int RunDepthOfModel(const std::string& layers,
                    const std::string& model_file,
                    bool json,
                    Physics physics) {
  auto stores = std::make_unique<Stores>();
  ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
  stores->workspace.physics = physics;
  LayerModel model;
  std::string error;
  const bool ok = model_file.empty()
                      ? ModelFromLayerSpec(layers, model, error)
                      : ModelFromJsonFile(model_file, model, error);
  const double tmin = model.period_min, tmax = model.period_max;
  if (ok && (!(tmin > 0.0) || !(tmax > tmin) ||
             PeriodGridCount(tmin, tmax) > MaxCurvePeriods)) {
    error =
        "the period range of the model must satisfy 0 < tmin < tmax "
        "and span at most 12.4 decades";
  }
  if (!ok || !error.empty()) {
    std::fprintf(stderr, "mtvuk-cli depth: %s\n", error.c_str());
    return kExitUsage;
  }
  stores->models[0] = model;
  stores->models[0].shown = 1;
  stores->workspace.current_model = 0;
  ConsoleUi ui;
  ModelCurveDriver(DriverMode::kPlain, stores->workspace, stores->models, ui);
  LayerModel& m = stores->models[0];
  ModelSlopes(m);
  TransformModel(m, physics);
  const auto& p = m.depth_profile;
  if (json) {
    nlohmann::ordered_json j;
    j["physics"] = PhysicsName(physics);
    j["points"] = nlohmann::json::array();
    for (int i = 0; i < m.curve.count; ++i) {
      nlohmann::ordered_json e;
      e["period"] = JsonFloat(static_cast<float>(
          std::pow(10.0, static_cast<double>(m.curve.log_period[i]))));
      e["depth_m"] = JsonFloat(p.depth[i]);
      e["log_res"] = JsonFloat(p.log_res[i]);
      e["log_s"] = JsonFloat(p.log_s[i]);
      e["slope"] = JsonFloat(p.slope[i]);
      j["points"].push_back(e);
    }
    std::printf("%s\n", JsonText(j).c_str());
    return kExitOk;
  }
  std::printf(
      "# %s  Res(h), S(h)  (%d periods)\n", m.name.c_str(), m.curve.count);
  std::printf("%3s %12s %8s %12s %9s %9s\n",
              "#",
              "period_s",
              "slope",
              "depth_m",
              "log_res",
              "log_s");
  for (int i = 0; i < m.curve.count; ++i) {
    std::printf("%3d %12.5e %8.5f %12.2f %9.5f %9.5f\n",
                i + 1,
                std::pow(10.0, static_cast<double>(m.curve.log_period[i])),
                static_cast<double>(p.slope[i]),
                static_cast<double>(p.depth[i]),
                static_cast<double>(p.log_res[i]),
                static_cast<double>(p.log_s[i]));
  }
  return kExitOk;
}

}  // namespace mtvuk::cli
