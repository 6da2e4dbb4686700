#include "mode_option.h"

#include <CLI/CLI.hpp>
#include <map>

namespace mtvuk::cli {
namespace {

const std::map<std::string, CurveMode>& ModeNames() {
  static const std::map<std::string, CurveMode> names = {
      {"xy", CurveMode::XY},
      {"yx", CurveMode::YX},
      {"mean", CurveMode::MEAN},
      {"eff", CurveMode::EFF}};
  return names;
}

}  // namespace

CLI::Option* AddModeOption(CLI::App& command,
                           CurveMode& mode,
                           const std::string& help) {
  return command.add_option("--mode", mode, help)
      ->transform(CLI::CheckedTransformer(ModeNames(), CLI::ignore_case));
}

CLI::Option* AddModesOption(CLI::App& command, std::vector<CurveMode>& modes) {
  return command
      .add_option("--mode",
                  modes,
                  "Polarisations: xy, yx, mean or eff, comma-separated")
      ->required()
      ->delimiter(',')
      ->transform(CLI::CheckedTransformer(ModeNames(), CLI::ignore_case));
}

}  // namespace mtvuk::cli
