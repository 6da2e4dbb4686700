// mtvuk-cli invert: fits a layered model to polarisations of field files,
// many files and modes at once in parallel.
#pragma once

#include <string>
#include <vector>

#include "core/inversion/equivalence.h"
#include "core/store/workspace.h"

namespace mtvuk::cli {

struct InvertOptions {
  std::vector<std::string> files;
  std::vector<CurveMode> modes = {CurveMode::XY};
  std::string layers;
  std::string model_file;
  int target = 0;      // 0: the workspace default
  int iterations = 0;  // 0: the workspace default
  FitMethod method = FitMethod::kRobust;
  bool ignore_errors = false;
  bool json = false;
  bool import = false;       // the SEG EDI importer reads the files
  std::string int_file;      // append the fitted blocks here
  std::string name;          // block name (one fit only)
  int threads = 0;           // 0: one per processor
  bool equivalence = false;  // the equivalence ranges of each fit
  EquivalenceOptions equivalence_options;
  Physics physics = Physics::kPublished;  // --physics
  std::string shard = "1/1";  // --shard K/N: the K-th of N parts of the fits
  std::string out_dir;        // one result file per fit here
  double error_floor = 5.0;   // % of |Z|, the robust method
  double shift = 1.0;  // static-shift factor of rho_a of every fitted set
};

int RunInvert(const InvertOptions& options);

}  // namespace mtvuk::cli
