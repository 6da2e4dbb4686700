// mtvuk-cli: the headless, scriptable face of MT-VUK.
#include <CLI/CLI.hpp>
#include <map>
#include <string>

#include "field_commands.h"

using mtvuk::CurveMode;

int main(int argc, char** argv) {
  CLI::App app{
      "MT-VUK command-line tool: read MT field data and derive curves"};
  app.set_version_flag("--version", std::string("mtvuk-cli ") + MTVUK_VERSION);
  app.require_subcommand(1);

  std::string file;
  bool json = false;
  CurveMode mode = CurveMode::XY;
  const std::map<std::string, CurveMode> modes = {{"xy", CurveMode::XY},
                                                  {"yx", CurveMode::YX},
                                                  {"mean", CurveMode::MEAN},
                                                  {"eff", CurveMode::EFF}};

  CLI::App* read = app.add_subcommand(
      "read", "Read an EDI or PLT file and print its listing");
  read->add_option("FILE", file, "Field data file")->required();
  read->add_flag("--json", json, "Print the sounding as JSON");

  CLI::App* curve = app.add_subcommand(
      "curve", "Load one polarisation into slot 1 and print its curve");
  curve->add_option("FILE", file, "Field data file")->required();
  curve->add_option("--mode", mode, "Polarisation: xy, yx, mean or eff")
      ->required()
      ->transform(CLI::CheckedTransformer(modes, CLI::ignore_case));
  curve->add_flag("--json", json, "Print the curve as JSON");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? mtvuk::cli::kExitOk : mtvuk::cli::kExitUsage;
  }
  if (read->parsed()) return mtvuk::cli::RunRead(file, json);
  if (curve->parsed()) return mtvuk::cli::RunCurve(file, mode, json);
  return mtvuk::cli::kExitUsage;
}
