#include "bayes_command.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "core/bayes/rj_sampler.h"
#include "core/fielddata/sounding_list.h"
#include "core/files/int_file.h"
#include "core/platform/console_ui.h"
#include "core/store/store_defaults.h"
#include "core/survey/shard.h"
#include "field_commands.h"
#include "json_output.h"
#include "survey_output.h"

namespace mtvuk::cli {
namespace {

using Json = nlohmann::ordered_json;

// Numbers rounded to what the figures carry, so that the files stay small.
double Round(double v, double digits) {
  if (!std::isfinite(v)) return v;
  const double s = std::pow(10.0, digits);
  return std::round(v * s) / s;
}

Json Rounded(const std::vector<double>& values, double digits) {
  Json a = Json::array();
  for (double v : values) {
    if (std::isfinite(v)) {
      a.push_back(Round(v, digits));
    } else {
      a.push_back(nullptr);
    }
  }
  return a;
}

Json ResultJson(const BayesResult& r,
                const BayesOptions& o,
                const BayesData& d,
                bool density) {
  Json j;
  j["data"] = d.Size();
  j["error_floor_percent"] = o.error_floor_percent;
  j["seed"] = o.seed;
  j["iterations"] = o.iterations;
  j["burn_in"] = o.BurnIn();
  j["thin"] = o.thin;
  j["chains"] = o.chains;
  j["hot_chains"] = o.hot_chains;
  j["max_layers"] = o.max_layers;
  j["samples"] = r.samples;
  j["min_depth_km"] = r.min_depth_km;
  j["max_depth_km"] = r.max_depth_km;
  j["layer_mode"] = r.layer_mode;
  j["layer_histogram"] = Rounded(r.layer_histogram, 5);
  j["rhat_misfit"] =
      std::isfinite(r.rhat_misfit) ? Json(r.rhat_misfit) : Json(nullptr);
  j["rhat_layers"] =
      std::isfinite(r.rhat_layers) ? Json(r.rhat_layers) : Json(nullptr);
  j["warning"] = r.warning;
  Json moves;
  for (int m = 0; m < kBayesMoves; ++m) {
    if (r.moves[m].proposed == 0) continue;
    moves[BayesMoveName(static_cast<BayesMove>(m))] =
        Round(r.moves[m].Rate(), 4);
  }
  j["acceptance"] = moves;
  j["swap_acceptance"] = Round(r.swaps.Rate(), 4);
  j["best_chi2"] = r.best.chi2;
  Json best = Json::array();
  for (std::size_t l = 0; l < r.best.log_rho.size(); ++l) {
    Json layer;
    layer["rho"] = Round(std::pow(10.0, r.best.log_rho[l]), 4);
    const double top = l == 0 ? 0.0 : r.best.interface_km[l - 1];
    if (l < r.best.interface_km.size())
      layer["thickness_km"] = Round(r.best.interface_km[l] - top, 6);
    best.push_back(layer);
  }
  j["best_model"] = best;
  j["depth_km"] = Rounded(r.depth_km, 6);
  j["p05"] = Rounded(r.p05, 4);
  j["p50"] = Rounded(r.p50, 4);
  j["p95"] = Rounded(r.p95, 4);
  j["mean"] = Rounded(r.mean, 4);
  j["interface_probability"] = Rounded(r.interface_probability, 5);
  Json traces = Json::array();
  for (const auto& t : r.misfit_trace) traces.push_back(Rounded(t, 3));
  j["misfit_trace"] = traces;
  if (!r.noise_scale_trace.empty())
    j["noise_scale"] = Rounded(r.noise_scale_trace, 4);
  if (density) {
    j["log_rho_bins"] = Rounded(r.log_rho_bin, 5);
    Json rows = Json::array();
    const std::size_t bins = r.log_rho_bin.size();
    for (std::size_t c = 0; c < r.depth_km.size(); ++c) {
      rows.push_back(
          Rounded(std::vector<double>(r.density.begin() + c * bins,
                                      r.density.begin() + (c + 1) * bins),
                  5));
    }
    j["density"] = rows;
  }
  return j;
}

std::string SummaryText(const std::string& file,
                        CurveMode mode,
                        const BayesResult& r,
                        const BayesData& d,
                        double seconds) {
  std::string s;
  char line[256];
  auto add = [&](int n) {
    if (n > 0) s.append(line, std::min<std::size_t>(n, sizeof line - 1));
  };
  add(std::snprintf(line,
                    sizeof line,
                    "# %s %s: %d periods, %lld samples, %.2f s\n",
                    file.c_str(),
                    ModeName(mode),
                    d.Size(),
                    static_cast<long long>(r.samples),
                    seconds));
  add(std::snprintf(line,
                    sizeof line,
                    "layers: most probable %d; split R-hat misfit %.3f, layers "
                    "%.3f; best chi^2 %.4g over %d data\n",
                    r.layer_mode,
                    r.rhat_misfit,
                    r.rhat_layers,
                    r.best.chi2,
                    r.data_count));
  add(std::snprintf(line, sizeof line, "acceptance:"));
  for (int m = 0; m < kBayesMoves; ++m) {
    if (r.moves[m].proposed == 0) continue;
    add(std::snprintf(line,
                      sizeof line,
                      " %s %.3f",
                      BayesMoveName(static_cast<BayesMove>(m)),
                      r.moves[m].Rate()));
  }
  add(std::snprintf(line, sizeof line, "; swaps %.3f\n", r.swaps.Rate()));
  add(std::snprintf(line,
                    sizeof line,
                    "%12s %10s %10s %10s %12s\n",
                    "depth_km",
                    "rho_p05",
                    "rho_p50",
                    "rho_p95",
                    "p_interface"));
  // Every fifth depth cell: a readable profile.
  for (std::size_t c = 0; c < r.depth_km.size(); c += 5) {
    add(std::snprintf(line,
                      sizeof line,
                      "%12.5g %10.4g %10.4g %10.4g %12.4f\n",
                      r.depth_km[c],
                      std::pow(10.0, r.p05[c]),
                      std::pow(10.0, r.p50[c]),
                      std::pow(10.0, r.p95[c]),
                      r.interface_probability[c]));
  }
  return s;
}

struct Job {
  std::size_t index;
  std::string file;
  CurveMode mode;
};

}  // namespace

CLI::App* AddBayesCommand(CLI::App& app, BayesCliOptions& o) {
  CLI::App* bayes = app.add_subcommand(
      "bayes",
      "How well is each depth resolved? Sample layered models of any number "
      "of layers (reversible-jump MCMC with parallel tempering)");
  const std::map<std::string, CurveMode> modes = {{"xy", CurveMode::XY},
                                                  {"yx", CurveMode::YX},
                                                  {"mean", CurveMode::MEAN},
                                                  {"eff", CurveMode::EFF}};
  BayesOptions& s = o.sampler;
  bayes->add_option("FILE", o.files, "Field data files")->required();
  bayes
      ->add_option("--mode",
                   o.modes,
                   "Polarisations: xy, yx, mean or eff, comma-separated")
      ->required()
      ->delimiter(',')
      ->transform(CLI::CheckedTransformer(modes, CLI::ignore_case));
  bayes->add_flag("--json", o.json, "Print the posterior as JSON");
  bayes->add_flag("--import", o.import, "Read with the SEG EDI importer");
  bayes
      ->add_option("--max-layers",
                   s.max_layers,
                   "Most layers with the half-space (default 12)")
      ->check(CLI::Range(1, 16));
  bayes
      ->add_option(
          "--iterations", s.iterations, "Iterations per chain (default 50000)")
      ->check(CLI::Range(10, 100000000));
  bayes
      ->add_option("--burn-in",
                   s.burn_in,
                   "Iterations left out at the start (default half)")
      ->check(CLI::Range(0, 100000000));
  bayes->add_option("--thin", s.thin, "Keep every N-th sample (default 10)")
      ->check(CLI::Range(1, 1000000));
  bayes->add_option("--chains", s.chains, "Chains at temperature 1 (default 4)")
      ->check(CLI::Range(1, 256));
  bayes->add_option("--hot-chains", s.hot_chains, "Tempered chains (default 4)")
      ->check(CLI::Range(0, 256));
  bayes
      ->add_option("--max-temperature",
                   s.max_temperature,
                   "Temperature of the hottest chain (default 5)")
      ->check(CLI::Range(1.0, 1000.0));
  bayes->add_option("--seed",
                    s.seed,
                    "Random seed (default 1): the same seed gives "
                    "the same result on any number of threads");
  bayes->add_option("--threads", s.threads, "Threads (default: cores)")
      ->check(CLI::Range(0, 1024));
  bayes
      ->add_option("--error-floor",
                   s.error_floor_percent,
                   "Least standard error of |Z| in % of |Z| (default 5)")
      ->check(CLI::Range(0.01, 99.0));
  bayes->add_option(
      "--rho-min", s.log_rho_min, "Least log10 resistivity (default -1)");
  bayes->add_option(
      "--rho-max", s.log_rho_max, "Largest log10 resistivity (default 5)");
  bayes
      ->add_option("--min-depth",
                   s.min_depth_km,
                   "Shallowest interface, km (default: a quarter of the "
                   "shallowest Bostick depth)")
      ->check(CLI::PositiveNumber);
  bayes
      ->add_option("--max-depth",
                   s.max_depth_km,
                   "Deepest interface, km (default: twice the deepest "
                   "Bostick depth)")
      ->check(CLI::PositiveNumber);
  bayes
      ->add_option("--depth-cells",
                   s.depth_cells,
                   "Depth cells of the posterior (default 100)")
      ->check(CLI::Range(2, 2000));
  bayes
      ->add_option("--rho-bins",
                   s.rho_bins,
                   "Resistivity bins of the posterior (default 120)")
      ->check(CLI::Range(2, 2000));
  bayes->add_flag("--noise-scale",
                  s.noise_scale,
                  "Sample a common scale of the standard errors");
  bayes->add_option(
      "--shard", o.shard, "K/N: run the K-th of N equal parts of the inputs");
  bayes->add_option("--out-dir",
                    o.out_dir,
                    "Write one result file per sounding into this folder");
  bayes->add_option("--int",
                    o.int_file,
                    "Append the best-fitting sample of each sounding to this "
                    "INT file");
  return bayes;
}

int RunBayes(const BayesCliOptions& o) {
  const std::string problem = o.sampler.Problem();
  if (!problem.empty()) {
    std::fprintf(stderr, "mtvuk-cli bayes: %s\n", problem.c_str());
    return kExitUsage;
  }
  Shard shard;
  std::string error;
  if (!ParseShard(o.shard, shard, error)) {
    std::fprintf(stderr, "mtvuk-cli bayes: %s\n", error.c_str());
    return kExitUsage;
  }
  std::string int_path;
  if (!o.int_file.empty() && !CommandLineIntPath(o.int_file, int_path, error)) {
    std::fprintf(stderr, "mtvuk-cli bayes: %s\n", error.c_str());
    return kExitUsage;
  }
  if (!o.out_dir.empty() && !PrepareOutDir("bayes", o.out_dir))
    return kExitFailure;
  std::vector<Job> all;
  for (const std::string& f : o.files)
    for (CurveMode m : o.modes) all.push_back({all.size(), f, m});
  const ShardRange range = RangeOfShard(all.size(), shard);
  const bool live = isatty(fileno(stderr));
  int failed = 0;
  Json array = Json::array();
  for (std::size_t i = range.first; i < range.last; ++i) {
    const Job& job = all[i];
    auto stores = std::make_unique<Stores>();
    Workspace& ws = stores->workspace;
    ApplyStartDefaults(ws, stores->sets, stores->models);
    ConsoleUi ui;
    BayesData data;
    Json result;
    std::string int_block;
    bool ok = ReadSounding(job.file, ws, ui, o.import);
    if (ok) {
      SoundingList list(ws, stores->sets, stores->models, ui);
      ok = list.SetTick(job.mode, true) && list.Ok();
    }
    if (ok &&
        !BayesDataFromSet(
            stores->sets[0], o.sampler.error_floor_percent, data, error)) {
      std::fprintf(stderr,
                   "mtvuk-cli bayes: %s %s: %s\n",
                   job.file.c_str(),
                   ModeName(job.mode),
                   error.c_str());
      ok = false;
    }
    if (!ok) {
      ++failed;
      result = {
          {"file", job.file}, {"mode", ModeName(job.mode)}, {"failed", true}};
    } else {
      const auto clock = std::chrono::steady_clock::now();
      int last_percent = -1;
      const std::size_t done = i - range.first,
                        count = range.last - range.first;
      auto progress = [&](double share) {
        const int percent = static_cast<int>(100.0 * share);
        if (percent != last_percent && (live || percent % 25 == 0)) {
          last_percent = percent;
          std::fprintf(stderr,
                       "%sbayes: %zu/%zu %s %s %3d %%%s",
                       live ? "\r" : "",
                       done + 1,
                       count,
                       job.file.c_str(),
                       ModeName(job.mode),
                       percent,
                       live ? "" : "\n");
          std::fflush(stderr);
        }
        return true;
      };
      const BayesResult r = RunBayesSampler(data, o.sampler, progress);
      const double seconds = std::chrono::duration<double>(
                                 std::chrono::steady_clock::now() - clock)
                                 .count();
      if (live) std::fprintf(stderr, "\r%*s\r", 60, "");
      std::fprintf(stderr,
                   "bayes: %s %s: %lld samples in %.2f s\n",
                   job.file.c_str(),
                   ModeName(job.mode),
                   static_cast<long long>(r.samples),
                   seconds);
      if (!r.warning.empty())
        std::fprintf(stderr,
                     "bayes: %s %s: %s\n",
                     job.file.c_str(),
                     ModeName(job.mode),
                     r.warning.c_str());
      result = {{"file", job.file},
                {"mode", ModeName(job.mode)},
                {"station", stores->sets[0].station}};
      result.update(
          ResultJson(r, o.sampler, data, o.json || !o.out_dir.empty()));
      // The best-fitting sample as a layered model block. INT files hold
      // layers of 0.01 km and more: an interface closer than that to the
      // one above it is left out (the JSON keeps the sample as drawn).
      LayerModel& m = stores->models[0];
      constexpr double kThinnestIntLayerKm = 0.01;
      int layers = 0;
      double top = 0.0;
      m.resistivity[0] = std::pow(10.0, r.best.log_rho[0]);
      for (std::size_t l = 0;
           l < r.best.interface_km.size() && layers + 1 < MaxLayers;
           ++l) {
        const double z = r.best.interface_km[l];
        if (z - top < kThinnestIntLayerKm) continue;
        m.thickness[layers] = z - top;
        m.resistivity[++layers] = std::pow(10.0, r.best.log_rho[l + 1]);
        top = z;
      }
      m.layer_count = static_cast<std::int16_t>(layers + 1);
      const std::string block_problem = IntBlockProblem(m);
      if (block_problem.empty()) {
        int_block = FormatModelBlock(m, ws.inversion_target);
      } else if (!int_path.empty() || !o.out_dir.empty()) {
        std::fprintf(stderr,
                     "bayes: %s %s: no model block: %s\n",
                     job.file.c_str(),
                     ModeName(job.mode),
                     block_problem.c_str());
      }
      if (!o.json && o.out_dir.empty())
        std::fputs(SummaryText(job.file, job.mode, r, data, seconds).c_str(),
                   stdout);
    }
    if (!o.out_dir.empty() && !WriteResultFile(o.out_dir,
                                               "bayes",
                                               job.index,
                                               all.size(),
                                               job.file,
                                               ModeName(job.mode),
                                               result,
                                               int_block))
      return kExitFailure;
    if (!int_path.empty() && !int_block.empty() &&
        !AppendToIntFile(int_path, int_block, ui))
      return kExitFailure;
    if (o.json && o.out_dir.empty()) array.push_back(result);
  }
  if (o.json && o.out_dir.empty())
    std::printf("%s\n", JsonText(array.size() == 1 ? array[0] : array).c_str());
  return failed > 0 ? kExitFailure : kExitOk;
}

}  // namespace mtvuk::cli
