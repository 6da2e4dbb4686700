#include "invert_command.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "core/dimensionality/fit_bound.h"
#include "core/dimensionality/static_shift.h"
#include "core/fielddata/sounding_list.h"
#include "core/files/fixed_columns.h"
#include "core/files/int_file.h"
#include "core/inversion/inversion.h"
#include "core/platform/console_ui.h"
#include "core/store/store_defaults.h"
#include "field_commands.h"
#include "json_output.h"
#include "model_json.h"
#include "survey_output.h"

namespace mtvuk::cli {
namespace {

// The messages of one fit, kept until its turn to be printed (fits run in
// parallel; their messages appear in input order). Questions take their
// default answer.
class BufferedUi : public Ui {
 public:
  void Post(Window, Um, std::intptr_t, std::intptr_t) override {}
  Answer MessageBox(std::string_view text,
                    std::string_view caption,
                    Icon,
                    Buttons,
                    Answer default_button) override {
    messages_ += std::string(caption) + ": " + std::string(text) + "\n";
    return default_button;
  }
  void Repaint(Window) override {}
  bool EscapePending() override { return false; }
  bool LeftButtonDown() override { return false; }
  std::int64_t ClockMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  const std::string& messages() const { return messages_; }

 private:
  std::string messages_;
};

nlohmann::ordered_json RangeBound(const EquivalenceRange& r, bool upper) {
  if (!r.defined) return nullptr;
  return upper ? r.max : r.min;
}

// The ranges of each layer, and which bounds reach a limit of the fit.
nlohmann::ordered_json EquivalenceJson(const EquivalenceResult& e) {
  nlohmann::ordered_json layers = nlohmann::ordered_json::array();
  for (const LayerEquivalence& l : e.layers) {
    nlohmann::ordered_json limited = nlohmann::ordered_json::array();
    const std::pair<const char*, const EquivalenceRange*> kRanges[] = {
        {"rho", &l.rho},
        {"h", &l.thickness},
        {"s", &l.conductance},
        {"t", &l.transverse}};
    for (const auto& [name, r] : kRanges) {
      if (!r->defined) continue;
      if (r->min_at_limit) limited.push_back(std::string(name) + "_min");
      if (r->max_at_limit) limited.push_back(std::string(name) + "_max");
    }
    layers.push_back({{"layer", l.layer + 1},
                      {"rho_min", RangeBound(l.rho, false)},
                      {"rho_max", RangeBound(l.rho, true)},
                      {"h_min_km", RangeBound(l.thickness, false)},
                      {"h_max_km", RangeBound(l.thickness, true)},
                      {"s_min", RangeBound(l.conductance, false)},
                      {"s_max", RangeBound(l.conductance, true)},
                      {"t_min", RangeBound(l.transverse, false)},
                      {"t_max", RangeBound(l.transverse, true)},
                      {"bounded_by_limit", l.BoundedByLimit()},
                      {"limited", limited}});
  }
  return layers;
}

std::string RangeText(const EquivalenceRange& r) {
  if (!r.defined) return "-";
  char text[64];
  std::snprintf(text,
                sizeof text,
                "%s%.4g - %.4g%s",
                r.min_at_limit ? "*" : "",
                r.min,
                r.max,
                r.max_at_limit ? "*" : "");
  return text;
}

struct FitJob {
  std::string file;
  CurveMode mode;
};

struct Outcome {
  bool ok = false;
  std::string messages;  // for standard error
  std::string text;      // for standard output
  nlohmann::ordered_json json;
  std::string int_block;  // empty: nothing to append
  std::string block_name;
};

// One fit with stores of its own, so that fits can run side by side.
Outcome FitOne(const InvertOptions& o,
               const LayerModel& start,
               const FitJob& job) {
  Outcome out;
  auto stores = std::make_unique<Stores>();
  Workspace& ws = stores->workspace;
  ApplyStartDefaults(ws, stores->sets, stores->models);
  ws.physics = o.physics;
  BufferedUi ui;
  auto finish = [&] {
    out.messages = ui.messages();
    if (!out.ok) {
      out.json = {{"file", job.file},
                  {"mode", ModeName(job.mode)},
                  {"failed", true},
                  {"message", out.messages}};
    }
    return out;
  };
  if (!ReadSounding(job.file, ws, ui, o.import)) return finish();
  SoundingList list(ws, stores->sets, stores->models, ui);
  if (!list.SetTick(job.mode, true) || !list.Ok()) return finish();
  FieldSet& fitted = stores->sets[list.chosen_slot(job.mode)];
  if (!SetStaticShift(fitted, o.shift)) {
    ui.Show("the static-shift factor must be positive", "invert", Icon::kStop);
    return finish();
  }
  // Model 1 takes the given layers; loading slot 1 named it after the set.
  const std::string name = stores->models[0].name;
  stores->models[0] = start;
  stores->models[0].name = name;
  stores->models[0].attached_set = 0;
  ws.current_model = 0;
  if (o.target) ws.inversion_target = static_cast<std::int16_t>(o.target);
  if (o.iterations)
    ws.iteration_amount = static_cast<std::int16_t>(o.iterations);
  if (o.ignore_errors) ws.ignore_error_bars = 1;
  ws.fit_method = o.method;
  ws.error_floor_percent = o.error_floor;

  const auto clock = std::chrono::steady_clock::now();
  InversionResult r = RunInversion(ws, stores->sets, stores->models, ui);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - clock)
          .count();
  if (!r.ran) return finish();
  out.ok = !r.cancelled;

  LayerModel& m = stores->models[0];
  if (!o.name.empty()) m.name = o.name;
  if (out.ok && (!o.int_file.empty() || !o.out_dir.empty())) {
    // A block the INT readers could not read back is not written.
    const std::string problem = IntBlockProblem(m);
    if (problem.empty()) {
      out.int_block = FormatModelBlock(m, ws.inversion_target);
      out.block_name = m.name;
    } else {
      ui.Show(problem, kIntBlockCaption, Icon::kStop);
      out.ok = false;
    }
  }
  const bool robust = r.method == FitMethod::kRobust;
  const char* method = robust ? "robust" : "classic";
  const double nrms = r.nrms;
  nlohmann::ordered_json& j = out.json;
  j["file"] = job.file;
  j["mode"] = ModeName(job.mode);
  j["method"] = method;
  j["physics"] = PhysicsName(ws.physics);
  j["target"] = ws.inversion_target;
  j["iterations_run"] = r.iterations_run;
  j["history"] = nlohmann::ordered_json::array();
  for (const InversionStep& s : r.history) {
    j["history"].push_back({{"iteration", s.iteration}, {"misfit", s.misfit}});
  }
  j["best_iteration"] = r.best_iteration;
  j["start_used"] = robust ? nlohmann::ordered_json(r.start_used)
                           : nlohmann::ordered_json("start model");
  j["starts"] = r.starts;
  j["misfit"] = r.misfit;
  j["rms"] = r.Rms();
  j["nrms"] = std::isfinite(nrms) ? nlohmann::ordered_json(nrms)
                                  : nlohmann::ordered_json(nullptr);
  j["noise_level"] = r.noise_level;
  j["error_floor"] = r.error_floor;
  if (robust) j["data_misfit"] = r.data_misfit;
  j["data_used"] = r.data_used;
  j["warnings"] = r.warnings;
  if (!r.medium_note.empty()) j["note"] = r.medium_note;
  j["layers"] = nlohmann::ordered_json::array();
  for (int k = 0; k < m.layer_count; ++k) {
    j["layers"].push_back(
        {{"rho", m.resistivity[k]}, {"thickness_km", m.thickness[k]}});
  }
  j["seconds"] = seconds;
  j["static_shift"] = fitted.static_shift;
  if (out.ok) {
    const FitBound b = BoundOfFit(fitted, m, ws.physics);
    if (b.dplus.ok) {
      j["dplus"] = {{"chi2", b.dplus.chi2},
                    {"nrms", b.dplus.nrms},
                    {"expected", b.dplus.expected},
                    {"chi2_95", b.dplus.limit},
                    {"one_d", b.dplus.one_d},
                    {"layered_chi2", b.layered_chi2},
                    {"layered_nrms", b.layered_nrms}};
    }
  }

  EquivalenceResult equivalence;
  if (o.equivalence && out.ok) {
    const int k = std::max<int>(m.fitted_set, 0);
    const FieldSet& set = stores->sets[k];
    equivalence = ComputeEquivalence(MisfitSettingsOf(ws),
                                     set,
                                     set.effective_count,
                                     m,
                                     o.equivalence_options,
                                     ui);
    out.ok = equivalence.ran && !equivalence.cancelled;
    j["equivalence_misfit_min"] = equivalence.misfit_min;
    j["equivalence_threshold"] = equivalence.threshold;
    j["equivalence"] = EquivalenceJson(equivalence);
  }

  for (const std::string& w : r.warnings) {
    ui.Show(m.name + " (" + ModeName(job.mode) + "): " + w,
            "warning",
            Icon::kExclamation);
  }

  static const char* const kTargets[] = {
      "", "RE+IM", "RE", "IM", "Ro", "Res+Phs"};
  char line[512];
  auto add = [&out, &line](int n) {
    if (n > 0) out.text.append(line, std::min<std::size_t>(n, sizeof line - 1));
  };
  add(std::snprintf(line,
                    sizeof line,
                    "# %s, target %d (%s), %s method, %d iterations in "
                    "%.3f s%s\n",
                    m.name.c_str(),
                    ws.inversion_target,
                    kTargets[std::clamp<int>(ws.inversion_target, 0, 5)],
                    method,
                    r.iterations_run,
                    seconds,
                    r.cancelled ? " (cancelled)" : ""));
  if (!r.medium_note.empty()) {
    add(std::snprintf(line, sizeof line, "# %s\n", r.medium_note.c_str()));
  }
  if (fitted.static_shift != 1.0f) {
    add(std::snprintf(line,
                      sizeof line,
                      "# rho_a carries a static shift of %g\n",
                      static_cast<double>(fitted.static_shift)));
  }
  for (const InversionStep& s : r.history) {
    add(std::snprintf(line,
                      sizeof line,
                      "iteration %2d  misfit %.6g\n",
                      s.iteration,
                      s.misfit));
  }
  if (robust) {
    add(std::snprintf(line,
                      sizeof line,
                      "winning start: %s (of %d)\n",
                      r.start_used.c_str(),
                      r.starts));
  }
  add(std::snprintf(
      line,
      sizeof line,
      "best iteration %d: misfit %.6g, rms %.4g over %d weighted terms\n",
      r.best_iteration,
      r.misfit,
      r.Rms(),
      r.data_used));
  if (std::isfinite(nrms)) {
    add(std::snprintf(line,
                      sizeof line,
                      "normalized rms %.4g over %d terms, error floor %g "
                      "%%: %s\n",
                      nrms,
                      r.nrms_terms,
                      r.error_floor,
                      r.noise_level ? "the fit reaches the noise level"
                                    : "the fit is above the noise level"));
  } else {
    add(std::snprintf(line,
                      sizeof line,
                      "normalized rms: none (the data have no error bars)\n"));
  }
  add(std::snprintf(line,
                    sizeof line,
                    "%5s %14s %14s\n",
                    "layer",
                    "rho_ohm_m",
                    "thickness_km"));
  for (int k = 0; k < m.layer_count; ++k) {
    if (k + 1 < m.layer_count) {
      add(std::snprintf(line,
                        sizeof line,
                        "%5d %14.6g %14.6g\n",
                        k + 1,
                        m.resistivity[k],
                        m.thickness[k]));
    } else {
      add(std::snprintf(line,
                        sizeof line,
                        "%5d %14.6g %14s\n",
                        k + 1,
                        m.resistivity[k],
                        "half-space"));
    }
  }
  if (o.equivalence && equivalence.ran && !equivalence.cancelled) {
    add(std::snprintf(line,
                      sizeof line,
                      "equivalence: models with misfit S <= %.6g (S_min %.6g "
                      "+ max(%g, %g S_min)), %d constrained fits; * a bound "
                      "at a limit of the fit\n",
                      equivalence.threshold,
                      equivalence.misfit_min,
                      o.equivalence_options.absolute,
                      o.equivalence_options.relative,
                      equivalence.refits));
    add(std::snprintf(line,
                      sizeof line,
                      "%5s %24s %24s %24s %24s\n",
                      "layer",
                      "rho_ohm_m",
                      "h_km",
                      "S_siemens",
                      "T_ohm_m2"));
    for (const LayerEquivalence& l : equivalence.layers) {
      add(std::snprintf(line,
                        sizeof line,
                        "%5d %24s %24s %24s %24s\n",
                        l.layer + 1,
                        RangeText(l.rho).c_str(),
                        RangeText(l.thickness).c_str(),
                        RangeText(l.conductance).c_str(),
                        RangeText(l.transverse).c_str()));
    }
  }
  return finish();
}

}  // namespace

int RunInvert(const InvertOptions& o) {
  LayerModel model;
  std::string error;
  const bool ok = o.model_file.empty()
                      ? ModelFromLayerSpec(o.layers, model, error)
                      : ModelFromJsonFile(o.model_file, model, error);
  if (!ok) {
    std::fprintf(stderr, "mtvuk-cli invert: %s\n", error.c_str());
    return kExitUsage;
  }
  const std::string threshold_error =
      EquivalenceOptionsError(o.equivalence_options);
  if (o.equivalence && !threshold_error.empty()) {
    std::fprintf(stderr, "mtvuk-cli invert: %s\n", threshold_error.c_str());
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
  std::vector<FitJob> jobs;
  for (const std::string& f : o.files)
    for (CurveMode mode : o.modes) jobs.push_back({f, mode});
  // A part of a survey: the shard's fits, each written to --out-dir.
  Shard shard;
  if (!ParseShard(o.shard, shard, error)) {
    std::fprintf(stderr, "mtvuk-cli invert: %s\n", error.c_str());
    return kExitUsage;
  }
  if (!o.out_dir.empty() && !PrepareOutDir("invert", o.out_dir))
    return kExitFailure;
  const std::size_t all_jobs = jobs.size();
  const ShardRange range = RangeOfShard(all_jobs, shard);
  jobs = std::vector<FitJob>(jobs.begin() + range.first,
                             jobs.begin() + range.last);
  if (jobs.empty()) return kExitOk;
  if (jobs.size() > 1 && !o.name.empty()) {
    std::fprintf(stderr,
                 "mtvuk-cli invert: --name names one fit; with several the "
                 "blocks take their soundings' names\n");
    return kExitUsage;
  }

  // One fit per thread at a time; each fit owns its stores.
  std::vector<Outcome> outcomes(jobs.size());
  std::atomic<std::size_t> next{0}, done{0};
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t threads =
      std::min<std::size_t>(jobs.size(), o.threads > 0 ? o.threads : cores);
  const bool many = jobs.size() > 1;
  const bool live = many && isatty(fileno(stderr));
  std::mutex progress_lock;
  const auto clock = std::chrono::steady_clock::now();
  auto work = [&] {
    for (std::size_t i = next++; i < jobs.size(); i = next++) {
      outcomes[i] = FitOne(o, model, jobs[i]);
      const std::size_t finished = ++done;
      if (live) {
        std::lock_guard<std::mutex> hold(progress_lock);
        std::fprintf(stderr, "\rinvert: %zu/%zu fits", finished, jobs.size());
      }
    }
  };
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - clock)
          .count();

  int failed = 0;
  nlohmann::ordered_json array = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const Outcome& out = outcomes[i];
    std::fputs(out.messages.c_str(), stderr);
    if (!o.out_dir.empty() && !WriteResultFile(o.out_dir,
                                               "invert",
                                               range.first + i,
                                               all_jobs,
                                               jobs[i].file,
                                               ModeName(jobs[i].mode),
                                               out.json,
                                               out.int_block))
      return kExitFailure;
    if (!out.ok) ++failed;
    if (o.json) {
      array.push_back(out.json);
    } else if (!out.text.empty()) {
      std::fputs(out.text.c_str(), stdout);
      if (many) std::fputs("\n", stdout);
    }
  }
  if (o.json && (many || outcomes[0].ok))
    std::printf("%s\n", JsonText(many ? array : array[0]).c_str());
  // The blocks of all fits go into the file in one write, in input order:
  // when it fails the file is cut back to what it held, and nothing of this
  // command is left in it.
  if (!o.int_file.empty()) {
    std::string blocks;
    std::vector<std::string> names;
    for (const Outcome& out : outcomes) {
      if (out.int_block.empty()) continue;
      blocks += out.int_block;
      names.push_back(out.block_name);
    }
    ConsoleUi ui;
    if (const std::string same = columns::SameNameProblem(names);
        !same.empty()) {
      ui.Show(same + "\nNothing was added to " + int_path + ".",
              kIntBlockCaption,
              Icon::kStop);
      return kExitFailure;
    }
    if (!blocks.empty() && !AppendToIntFile(int_path, blocks, ui))
      return kExitFailure;
  }
  if (many) {
    std::fprintf(stderr,
                 "%sinvert: %zu fits (%zu files x %zu modes) in %.2f s on %zu "
                 "threads, %d failed\n",
                 live ? "\r" : "",
                 jobs.size(),
                 o.files.size(),
                 o.modes.size(),
                 seconds,
                 threads,
                 failed);
  }
  return failed > 0 ? kExitFailure : kExitOk;
}

}  // namespace mtvuk::cli
