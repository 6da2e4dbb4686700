#include "bayes_command.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "core/bayes/bayes_json.h"
#include "core/bayes/rj_sampler.h"
#include "core/fielddata/sounding_list.h"
#include "core/files/int_file.h"
#include "core/platform/console_ui.h"
#include "core/store/store_defaults.h"
#include "core/survey/shard.h"
#include "field_commands.h"
#include "json_output.h"
#include "mode_option.h"
#include "section_command.h"
#include "survey_output.h"

namespace mtvuk::cli {
namespace {

using Json = nlohmann::ordered_json;

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

// The picture folder must exist and take a file: checked before any
// sampling, so that a long survey does not fail at its first picture.
bool CheckPictureFolder(const std::string& dir) {
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    std::fprintf(stderr,
                 "mtvuk-cli bayes: the picture folder '%s' %s\n",
                 dir.c_str(),
                 std::filesystem::exists(dir, ec) ? "is not a folder"
                                                  : "does not exist");
    return false;
  }
  std::string probe = (std::filesystem::path(dir) / ".mtvuk-XXXXXX").string();
  const int fd = mkstemp(probe.data());
  if (fd < 0) {
    std::fprintf(stderr,
                 "mtvuk-cli bayes: cannot write into the picture folder "
                 "'%s': %s\n",
                 dir.c_str(),
                 std::strerror(errno));
    return false;
  }
  close(fd);
  std::filesystem::remove(probe, ec);
  return true;
}

// The workstation binary that draws the pictures, or empty with a message.
std::string PictureDrawer() {
  const std::vector<std::string> candidates = WorkstationCandidates("");
  for (const std::string& c : candidates)
    if (Executable(c)) return c;
  std::string tried;
  for (const std::string& c : candidates) tried += "\n  " + c;
  std::fprintf(stderr,
               "mtvuk-cli bayes: the pictures are drawn by the workstation "
               "binary mtvuk, which was not found (set MTVUK_GUI to its "
               "path). Looked for:%s\n",
               tried.c_str());
  return {};
}

// Writes DIR/000000_STEM_MODE.png, the posterior drawn by the workstation
// binary from its JSON (the picture appears whole or not at all).
bool WritePicture(const std::string& gui,
                  const std::string& dir,
                  const std::string& name,
                  const std::string& title,
                  const Json& posterior) {
  std::string json_path =
      (std::filesystem::temp_directory_path() / "mtvuk-bayes-XXXXXX").string();
  const int fd = mkstemp(json_path.data());
  bool ok = fd >= 0;
  if (ok) {
    close(fd);
    std::ofstream out(json_path, std::ios::binary | std::ios::trunc);
    out << posterior.dump();
    ok = static_cast<bool>(out);
  }
  const std::string png = (std::filesystem::path(dir) / name).string();
  ok = ok &&
       RunWorkstation(
           gui,
           {"--export-bayes", json_path, "--out", png, "--title", title}) == 0;
  if (fd >= 0) std::remove(json_path.c_str());
  if (!ok)
    std::fprintf(stderr,
                 "mtvuk-cli bayes: cannot write the picture '%s'\n",
                 png.c_str());
  return ok;
}

struct BayesJob {
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
  BayesOptions& s = o.sampler;
  bayes->add_option("FILE", o.files, "Field data files")->required();
  AddModesOption(*bayes, o.modes);
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
  bayes->add_option("--png",
                    o.png_dir,
                    "Write a picture of each sounding's posterior into this "
                    "existing folder, named as the result files (drawn by "
                    "the workstation binary mtvuk)");
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
  std::string gui;
  if (!o.png_dir.empty() &&
      (!CheckPictureFolder(o.png_dir) || (gui = PictureDrawer()).empty()))
    return kExitFailure;
  std::vector<BayesJob> all;
  for (const std::string& f : o.files)
    for (CurveMode m : o.modes) all.push_back({all.size(), f, m});
  const ShardRange range = RangeOfShard(all.size(), shard);
  const bool live = isatty(fileno(stderr));
  int failed = 0;
  Json array = Json::array();
  for (std::size_t i = range.first; i < range.last; ++i) {
    const BayesJob& job = all[i];
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
          BayesResultJson(r, o.sampler, o.json || !o.out_dir.empty()));
      // The best-fitting sample as a layered model block. INT files hold
      // layers of 0.01 km and more: an interface closer than that to the
      // one above it is left out (the JSON keeps the sample as drawn).
      LayerModel& m = stores->models[0];
      m.name = stores->sets[0].label;  // the block names its sounding
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
      if (!gui.empty()) {
        std::string name =
            ResultFileName(job.index, job.file, ModeName(job.mode));
        name.replace(name.size() - 4, 4, "png");
        std::string mode = ModeName(job.mode), station;
        for (char& c : mode) c = static_cast<char>(std::toupper(c));
        for (char c : stores->sets[0].station)
          if (c != ' ') station += c;
        const std::string title =
            std::filesystem::path(job.file).filename().string() + "   " + mode +
            "   station " + station;
        if (!WritePicture(gui,
                          o.png_dir,
                          name,
                          title,
                          BayesResultJson(r, o.sampler, true)))
          return kExitFailure;
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
