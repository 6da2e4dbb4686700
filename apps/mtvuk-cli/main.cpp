// mtvuk-cli: the headless, scriptable face of MT-VUK.
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

#include "bayes_command.h"
#include "core/platform/text_file.h"
#include "depth_commands.h"
#include "dimensionality_commands.h"
#include "export_command.h"
#include "field_commands.h"
#include "forward_command.h"
#include "int_commands.h"
#include "invert_command.h"
#include "mode_option.h"
#include "occam_command.h"
#include "profile_shift_command.h"
#include "section_command.h"
#include "survey_output.h"
#include "trf_commands.h"

using mtvuk::CurveMode;
using mtvuk::cli::AddModeOption;
using mtvuk::cli::AddModesOption;

int main(int argc, char** argv) {
  mtvuk::TextFile::LetWritesFailAtSizeLimit();
  CLI::App app{
      "MT-VUK command-line tool: MT field data, curves and layered models"};
  app.set_version_flag("--version", std::string("mtvuk-cli ") + MTVUK_VERSION);
  app.require_subcommand(1);
  app.footer(
      "Exit status: 0 on success, 1 when a file or a fit failed, 2 on a "
      "usage error.");
  // CLI11's ranges let NaN through (every comparison with it is false).
  const CLI::Validator number(
      [](std::string& text) {
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        return std::isfinite(v) ? std::string()
                                : "'" + text + "' is not a finite number";
      },
      "NUMBER");

  std::string file;
  bool json = false;
  CurveMode mode = CurveMode::XY;

  CLI::App* read = app.add_subcommand(
      "read",
      "Read a field data file (EDI, PLT, EMTF XML, Z-file, j-file, AVG) and "
      "print its listing");
  read->add_option("FILE", file, "Field data file")->required();
  read->add_flag("--json", json, "Print the sounding as JSON");
  bool import = false;
  double default_error = 5.0;
  read->add_flag("--import", import, "Read with the SEG EDI importer");
  std::string emtf_xml;
  read->add_option("--emtf-xml",
                   emtf_xml,
                   "Also write the sounding as EMTF XML to this file");
  read->add_option("--default-error",
                   default_error,
                   "With --import: error of |Z| in % for files without errors "
                   "(default 5)")
      ->check(CLI::Range(0.01, 100.0));

  CLI::App* curve = app.add_subcommand(
      "curve", "Load one polarisation into slot 1 and print its curve");
  curve->add_option("FILE", file, "Field data file")->required();
  AddModeOption(*curve, mode)->required();
  curve->add_flag("--json", json, "Print the curve as JSON");
  curve->add_flag("--import", import, "Read with the SEG EDI importer");
  curve
      ->add_option("--default-error",
                   default_error,
                   "With --import: error of |Z| in % for files without errors "
                   "(default 5)")
      ->check(CLI::Range(0.01, 100.0));

  mtvuk::cli::ForwardOptions forward_options;
  double tmin = 0.0;
  double tmax = 0.0;
  CLI::App* forward = app.add_subcommand(
      "forward",
      "Compute the response of a layered model over its period grid");
  auto* layers_option =
      forward->add_option("--layers",
                          forward_options.layers,
                          "Layers as rho1:h1,rho2:h2,...,rhoN (Ohm-m and km; "
                          "the last is the half-space)");
  auto* model_option =
      forward->add_option("--model",
                          forward_options.model_file,
                          "Model file (JSON, see docs/model-json.md)");
  layers_option->excludes(model_option);
  auto* tmin_option = forward->add_option("--tmin", tmin, "Shortest period, s");
  auto* tmax_option = forward->add_option("--tmax", tmax, "Longest period, s");
  forward->add_flag(
      "--json", forward_options.json, "Print the response as JSON");

  mtvuk::cli::InvertOptions invert_options;
  CLI::App* invert = app.add_subcommand(
      "invert",
      "Fit a layered model to polarisations of field files (several files "
      "and modes are fitted in parallel)");
  invert->add_option("FILE", invert_options.files, "Field data files")
      ->required();
  AddModesOption(*invert, invert_options.modes);
  const std::map<std::string, mtvuk::FitMethod> methods = {
      {"robust", mtvuk::FitMethod::kRobust},
      {"classic", mtvuk::FitMethod::kClassic}};
  invert
      ->add_option("--method",
                   invert_options.method,
                   "robust (exact derivatives, several starts; default) or "
                   "classic (Marquardt)")
      ->transform(CLI::CheckedTransformer(methods, CLI::ignore_case));
  invert
      ->add_option(
          "--threads", invert_options.threads, "Fits at once (default: cores)")
      ->check(CLI::Range(1, 4096));
  invert
      ->add_option("--error-floor",
                   invert_options.error_floor,
                   "Least standard error of a datum, % of |Z| (robust "
                   "method; default 5)")
      ->check(number & CLI::Range(0.0, 100.0));
  auto* inv_layers = invert->add_option(
      "--layers", invert_options.layers, "Start model as rho1:h1,...,rhoN");
  auto* inv_model =
      invert->add_option("--model",
                         invert_options.model_file,
                         "Start model file (JSON, see docs/model-json.md)");
  inv_layers->excludes(inv_model);
  invert
      ->add_option("--target",
                   invert_options.target,
                   "1 RE+IM, 2 RE, 3 IM, 4 Ro, 5 Res+Phs (default 1)")
      ->check(CLI::Range(1, 5));
  invert
      ->add_option(
          "--iterations", invert_options.iterations, "1..30 (default 30)")
      ->check(CLI::Range(1, 30));
  invert->add_flag(
      "--ignore-errors", invert_options.ignore_errors, "Weight every point 1");
  invert->add_flag("--json", invert_options.json, "Print the result as JSON");
  invert->add_flag(
      "--import", invert_options.import, "Read with the SEG EDI importer");
  invert
      ->add_option("--shift",
                   invert_options.shift,
                   "Static-shift factor of rho_a (default 1)")
      ->check(CLI::PositiveNumber);
  invert->add_option("--int",
                     invert_options.int_file,
                     "Append the fitted models' blocks to this INT file, in "
                     "the order of the files and modes (a name ending in "
                     ".int, or without extension)");
  invert->add_option("--name",
                     invert_options.name,
                     "Name of the block of a single fit (default: the "
                     "model's)");

  invert->add_flag("--equivalence",
                   invert_options.equivalence,
                   "Add the equivalence ranges of each fitted layer: models "
                   "whose misfit S stays within S_min + max(A, R S_min)");
  invert
      ->add_option("--equivalence-abs",
                   invert_options.equivalence_options.absolute,
                   "A of the equivalence threshold (default 1)")
      ->check(CLI::NonNegativeNumber);
  invert
      ->add_option("--equivalence-rel",
                   invert_options.equivalence_options.relative,
                   "R of the equivalence threshold (default 0.1)")
      ->check(CLI::NonNegativeNumber);

  mtvuk::cli::OccamOptions occam_options;
  invert->add_option("--shard",
                     invert_options.shard,
                     "K/N: fit the K-th of N equal parts of the inputs");
  invert->add_option("--out-dir",
                     invert_options.out_dir,
                     "Write one result file per fit into this folder");
  mtvuk::cli::BayesCliOptions bayes_options;
  CLI::App* bayes = mtvuk::cli::AddBayesCommand(app, bayes_options);
  mtvuk::cli::MergeOptions merge_options;
  CLI::App* merge = mtvuk::cli::AddMergeCommand(app, merge_options);

  CLI::App* occam = app.add_subcommand(
      "occam",
      "Smooth (Occam) inversion: the smoothest resistivity profile of many "
      "thin layers that fits one polarisation to a target rms");
  occam->add_option("FILE", occam_options.file, "Field data file")->required();
  AddModeOption(*occam, occam_options.mode)->required();
  occam
      ->add_option("--target",
                   occam_options.smooth.target,
                   "4 Ro (apparent resistivity) or 5 Res+Phs (default 5)")
      ->check(CLI::IsMember({4, 5}));
  occam
      ->add_option("--target-rms",
                   occam_options.smooth.target_rms,
                   "Normalized rms to reach (default 1)")
      ->check(CLI::Range(mtvuk::kMinTargetRms, mtvuk::kMaxTargetRms));
  occam
      ->add_option("--layers",
                   occam_options.smooth.layers,
                   "Layers above the half-space, 2..100 (default 50)")
      ->check(CLI::Range(mtvuk::kMinSmoothLayers, mtvuk::kMaxSmoothLayers));
  occam
      ->add_option("--error-floor",
                   occam_options.smooth.error_floor_percent,
                   "Least standard error of a datum, % of |Z| (default 5)")
      ->check(number & CLI::Range(0.0, 100.0));
  occam->add_flag("--ignore-errors",
                  occam_options.smooth.ignore_error_bars,
                  "Weigh every datum 1 in the fit (the rms still uses the "
                  "error bars)");
  occam->add_flag("--json", occam_options.json, "Print the result as JSON");
  occam->add_flag(
      "--import", occam_options.import, "Read with the SEG EDI importer");
  occam
      ->add_option("--shift",
                   occam_options.shift,
                   "Static-shift factor of rho_a (default 1)")
      ->check(CLI::PositiveNumber);

  CLI::App* int_command = app.add_subcommand("int", "Read INT result files");
  int_command->require_subcommand(1);
  std::string int_file;
  CLI::App* int_list =
      int_command->add_subcommand("list", "List the valid result blocks");
  int_list->add_option("FILE", int_file, "INT file")->required();
  int_list->add_flag("--json", json, "Print the blocks as JSON");
  CLI::App* int_stations = int_command->add_subcommand(
      "stations", "List the stations as a section would take them");
  int_stations->add_option("FILE", int_file, "INT file")->required();
  int_stations->add_flag("--json", json, "Print the stations as JSON");

  mtvuk::cli::SmoothOptions smooth_options;
  CLI::App* smooth = app.add_subcommand(
      "smooth", "Smooth one polarisation of a field file by a cubic spline");
  smooth->add_option("FILE", smooth_options.file, "Field data file")
      ->required();
  AddModeOption(*smooth, smooth_options.mode)->required();
  smooth
      ->add_option("--tension",
                   smooth_options.tension,
                   "Tension marker in % of the bar (default 32 of 126)")
      ->check(number & CLI::Range(0.0, 100.0));
  smooth->add_flag(
      "--ignore-errors", smooth_options.ignore_errors, "Weight every point 1");
  smooth->add_flag("--res-phs",
                   smooth_options.res_phs,
                   "Also derive the phase from the resistivity curve");
  smooth->add_flag("--json", smooth_options.json, "Print the curve as JSON");
  smooth->add_flag(
      "--import", smooth_options.import, "Read with the SEG EDI importer");
  mtvuk::cli::AddSmootherOption(*smooth, smooth_options);
  smooth
      ->add_option("--shift",
                   smooth_options.shift,
                   "Static-shift factor of rho_a (default 1)")
      ->check(CLI::PositiveNumber);

  mtvuk::cli::SmoothOptions depth_options;
  std::string depth_layers, depth_model;
  CLI::App* depth = app.add_subcommand(
      "depth",
      "Resistivity and conductance against depth of a smoothed field curve "
      "or of a model");
  depth->add_option("FILE", depth_options.file, "Field data file");
  auto* depth_mode = AddModeOption(*depth, depth_options.mode);
  depth
      ->add_option("--tension",
                   depth_options.tension,
                   "Tension marker in % of the bar (default 32 of 126)")
      ->check(number & CLI::Range(0.0, 100.0));
  depth->add_flag(
      "--ignore-errors", depth_options.ignore_errors, "Weight every point 1");
  auto* depth_layers_option = depth->add_option(
      "--layers", depth_layers, "A model instead: rho1:h1,...,rhoN");
  auto* depth_model_option =
      depth->add_option("--model", depth_model, "A model file instead (JSON)");
  depth_layers_option->excludes(depth_model_option);
  depth->add_flag("--json", depth_options.json, "Print the profile as JSON");
  depth->add_flag(
      "--import", depth_options.import, "Read with the SEG EDI importer");
  mtvuk::cli::AddSmootherOption(*depth, depth_options);
  depth
      ->add_option("--shift",
                   depth_options.shift,
                   "Static-shift factor of rho_a (default 1)")
      ->check(CLI::PositiveNumber);
  auto* depth_trf = depth->add_option(
      "--trf",
      depth_options.trf,
      "With FILE: append the set's transformation block to this TRF file "
      "(.trf is added to a name without an extension)");
  depth
      ->add_option("--name",
                   depth_options.name,
                   "Name of the TRF block (default: the set's label)")
      ->needs(depth_trf);

  mtvuk::cli::ExportOptions export_options;
  CLI::App* export_command = app.add_subcommand(
      "export",
      "Write a model's response at 72 frequencies as a synthetic sounding "
      "file (PLT, or SEG EDI)");
  auto* export_layers = export_command->add_option(
      "--layers", export_options.layers, "Layers as rho1:h1,...,rhoN");
  auto* export_model = export_command->add_option(
      "--model", export_options.model_file, "Model file (JSON)");
  export_layers->excludes(export_model);
  export_command
      ->add_option("--out", export_options.out, "The file to write (replaced)")
      ->required();
  export_command->add_option("--tmin",
                             export_options.tmin,
                             "Shortest period, 1e-6..1 s (default 0.001)");
  export_command->add_option("--tmax",
                             export_options.tmax,
                             "Longest period, 1..1e6 s (default 10000)");
  export_command->add_option(
      "--noise",
      export_options.noise,
      "Complex Gaussian noise in % of |Z| (with --seed); errors to match");
  export_command->add_option(
      "--seed", export_options.seed, "Seed of the noise (with --noise)");
  export_command
      ->add_option("--format", export_options.format, "plt (default) or seg")
      ->transform(CLI::IsMember({"plt", "seg"}, CLI::ignore_case));
  export_command->add_option(
      "--name", export_options.name, "Station name (default: the model's)");
  export_command->add_option(
      "--lat", export_options.lat, "Station latitude, degrees (north +)");
  export_command->add_option(
      "--long", export_options.lon, "Station longitude, degrees (east +)");
  export_command->add_option(
      "--elev", export_options.elev, "Station elevation, m");

  CLI::App* trf_command =
      app.add_subcommand("trf", "Read TRF transformation files");
  trf_command->require_subcommand(1);
  std::string trf_file;
  CLI::App* trf_list = trf_command->add_subcommand(
      "list", "List the stations as a section takes them");
  trf_list->add_option("FILE", trf_file, "TRF file")->required();
  trf_list->add_flag("--json", json, "Print the stations as JSON");

  mtvuk::cli::DPlusCliOptions dplus_options;
  CLI::App* dplus = app.add_subcommand(
      "dplus",
      "D+: the best fit any 1-D model reaches to one polarisation, against "
      "the misfit its error bars lead one to expect");
  dplus->add_option("FILE", dplus_options.file, "Field data file")->required();
  AddModeOption(*dplus, dplus_options.mode)->required();
  dplus->add_option("--floor",
                    dplus_options.floor_percent,
                    "Least error of |Z| in % of |Z| (default 1)");
  dplus->add_option("--shift",
                    dplus_options.shift,
                    "Static-shift factor of rho_a (default 1)");
  auto* dplus_layers = dplus->add_option(
      "--layers", dplus_options.layers, "Also measure this model: rho1:h1,...");
  auto* dplus_model = dplus->add_option(
      "--model", dplus_options.model_file, "Also measure this model (JSON)");
  dplus_layers->excludes(dplus_model);
  dplus->add_flag("--json", dplus_options.json, "Print the result as JSON");
  dplus->add_flag(
      "--import", dplus_options.import, "Read with the SEG EDI importer");

  mtvuk::cli::DimensionalityCliOptions dim_options;
  CLI::App* dimensionality = app.add_subcommand(
      "dimensionality",
      "Swift and Bahr skews and the phase tensor per period of the full "
      "impedance tensor, with the periods that are not 1-D");
  dimensionality->add_option("FILE", dim_options.file, "Field data file")
      ->required();
  dimensionality
      ->add_option("--beta",
                   dim_options.limits.beta_deg,
                   "1-D while |beta| is below this, degrees (default 3)")
      ->check(CLI::PositiveNumber);
  dimensionality
      ->add_option("--ellipticity",
                   dim_options.limits.ellipticity,
                   "1-D while the ellipticity is below this (default 0.1)")
      ->check(CLI::PositiveNumber);
  dimensionality->add_flag(
      "--json", dim_options.json, "Print the invariants as JSON");
  dimensionality->add_flag(
      "--import", dim_options.import, "Read with the SEG EDI importer");

  mtvuk::cli::ShiftCliOptions shift_options;
  mtvuk::cli::ProfileShiftCliOptions profile_shift;
  std::vector<std::string> shift_files;
  CLI::App* shift = app.add_subcommand(
      "shift",
      "Static-shift factors that bring XY and YX together at their "
      "shortest periods, or (--profile) each station of a profile onto "
      "the profile's median");
  shift
      ->add_option("FILE",
                   shift_files,
                   "Field data file (one per station with --profile)")
      ->required();
  CLI::Option* shift_onto =
      shift
          ->add_option("--onto", shift_options.onto, "xy, yx or mean (default)")
          ->check(CLI::IsMember({"xy", "yx", "mean"}));
  bool shift_along_profile = false;
  CLI::Option* shift_profile = shift->add_flag(
      "--profile",
      shift_along_profile,
      "The files are the stations of a profile: each one's shortest-period "
      "rho_a against their median");
  CLI::Option* shift_mode =
      AddModeOption(*shift,
                    profile_shift.mode,
                    "Polarisation of --profile: xy, yx, mean or eff");
  shift
      ->add_option("--periods",
                   shift_options.periods,
                   "Shortest periods the estimate uses (default 5)")
      ->check(CLI::Range(1, 60));
  shift->add_flag("--json", shift_options.json, "Print the factors as JSON");
  shift->add_flag(
      "--import", shift_options.import, "Read with the SEG EDI importer");

  // The physics of the commands that compute (docs/physics.md).
  mtvuk::Physics physics = mtvuk::Physics::kPublished;
  const std::map<std::string, mtvuk::Physics> physics_names = {
      {"published", mtvuk::Physics::kPublished},
      {"corrected", mtvuk::Physics::kCorrected}};
  for (CLI::App* command :
       {curve, forward, invert, occam, smooth, depth, export_command, dplus}) {
    command
        ->add_option("--physics",
                     physics,
                     "published (default) or corrected: the textbook form "
                     "of six formulas (docs/physics.md)")
        ->transform(CLI::CheckedTransformer(physics_names, CLI::ignore_case));
  }
  CLI::App* section = app.add_subcommand(
      "section",
      "Draw the section of an INT or TRF file as a picture: FILE "
      "[--profile auto|X0,Y0,X1,Y1] [--logging|--tomography] [--palette "
      "0..5] [--interpolation layers|level|nearest] [--polarisation "
      "both|xy|yx] [--depth-max KM] "
      "[--log-depth] --out OUT.png|pdf|svg "
      "[--size WxH]");
  section->prefix_command();

  try {
    app.parse(argc, argv);
    if (depth->parsed()) {
      const bool model =
          depth_layers_option->count() + depth_model_option->count() > 0;
      if (model == !depth_options.file.empty()) {
        throw CLI::RequiredError("FILE --mode, or --layers or --model");
      }
      if (!model && depth_mode->count() == 0) {
        throw CLI::RequiredError("--mode");
      }
    }
    if (depth->parsed() && depth_trf->count() > 0 &&
        depth_options.file.empty()) {
      throw CLI::ValidationError("--trf", "takes the profile of a FILE");
    }
    if (export_command->parsed() &&
        export_layers->count() + export_model->count() != 1) {
      throw CLI::RequiredError("--layers or --model");
    }
    if (invert->parsed() && inv_layers->count() + inv_model->count() != 1) {
      throw CLI::RequiredError("--layers or --model");
    }
    if (shift->parsed() && shift_profile->count() == 0) {
      if (shift_files.size() != 1) {
        throw CLI::ValidationError("FILE", "one file, or --profile");
      }
      if (shift_mode->count() > 0) {
        throw CLI::ValidationError("--mode", "goes with --profile");
      }
    }
    if (shift->parsed() && shift_profile->count() > 0) {
      if (shift_onto->count() > 0) {
        throw CLI::ValidationError("--onto", "compares XY with YX of one file");
      }
      if (shift_mode->count() == 0) {
        throw CLI::RequiredError("--mode (with --profile)");
      }
    }
    if (forward->parsed() &&
        layers_option->count() + model_option->count() != 1) {
      throw CLI::RequiredError("--layers or --model");
    }
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? mtvuk::cli::kExitOk : mtvuk::cli::kExitUsage;
  }
  mtvuk::cli::SetImportDefaultError(default_error / 100.0);
  forward_options.physics = physics;
  invert_options.physics = physics;
  occam_options.smooth.physics = physics;
  smooth_options.physics = physics;
  depth_options.physics = physics;
  export_options.physics = physics;
  dplus_options.physics = physics;
  if (dplus->parsed()) return mtvuk::cli::RunDPlus(dplus_options);
  if (shift->parsed() && shift_profile->count() > 0) {
    profile_shift.files = shift_files;
    profile_shift.periods = shift_options.periods;
    profile_shift.json = shift_options.json;
    profile_shift.import = shift_options.import;
    return mtvuk::cli::RunProfileShift(profile_shift);
  }
  if (shift->parsed()) {
    shift_options.file = shift_files.front();
    return mtvuk::cli::RunShift(shift_options);
  }
  if (dimensionality->parsed())
    return mtvuk::cli::RunDimensionality(dim_options);
  if (read->parsed()) return mtvuk::cli::RunRead(file, json, import, emtf_xml);
  if (curve->parsed())
    return mtvuk::cli::RunCurve(file, mode, json, import, physics);
  if (invert->parsed()) return mtvuk::cli::RunInvert(invert_options);
  if (bayes->parsed()) return mtvuk::cli::RunBayes(bayes_options);
  if (merge->parsed()) return mtvuk::cli::RunMerge(merge_options);
  if (occam->parsed()) return mtvuk::cli::RunOccam(occam_options);
  if (smooth->parsed()) return mtvuk::cli::RunSmooth(smooth_options);
  if (depth->parsed()) {
    if (!depth_options.file.empty()) {
      return mtvuk::cli::RunDepthOfFile(depth_options);
    }
    return mtvuk::cli::RunDepthOfModel(
        depth_layers, depth_model, depth_options.json, physics);
  }
  if (int_list->parsed()) return mtvuk::cli::RunIntList(int_file, json);
  if (export_command->parsed()) return mtvuk::cli::RunExport(export_options);
  if (trf_list->parsed()) return mtvuk::cli::RunTrfList(trf_file, json);
  if (section->parsed())
    return mtvuk::cli::RunSection(section->remaining(), argv[0]);
  if (int_stations->parsed()) return mtvuk::cli::RunIntStations(int_file, json);
  if (forward->parsed()) {
    if (tmin_option->count()) forward_options.tmin = tmin;
    if (tmax_option->count()) forward_options.tmax = tmax;
    return mtvuk::cli::RunForward(forward_options);
  }
  return mtvuk::cli::kExitUsage;
}
