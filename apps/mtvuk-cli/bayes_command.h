// mtvuk-cli bayes: the posterior of layered models for polarisations of
// field files by trans-dimensional sampling, one sounding after another
// (the chains of each run in parallel).
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "core/bayes/bayes_options.h"
#include "core/store/workspace.h"

namespace mtvuk::cli {

struct BayesCliOptions {
  std::vector<std::string> files;
  std::vector<CurveMode> modes = {CurveMode::XY};
  BayesOptions sampler;
  bool json = false;
  bool import = false;
  std::string shard = "1/1";
  std::string out_dir;
  std::string int_file;  // append the best sample's block here
  std::string png_dir;   // a picture of each posterior into this folder
};

CLI::App* AddBayesCommand(CLI::App& app, BayesCliOptions& options);
int RunBayes(const BayesCliOptions& options);

}  // namespace mtvuk::cli
