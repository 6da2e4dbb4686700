// mtvuk-cli invert: fits a layered model to one polarisation of a file.
#pragma once

#include <string>

#include "core/store/capacities.h"

namespace mtvuk::cli {

struct InvertOptions {
  std::string file;
  CurveMode mode = CurveMode::XY;
  std::string layers;
  std::string model_file;
  int target = 0;      // 0: the workspace default
  int iterations = 0;  // 0: the workspace default
  bool ignore_errors = false;
  bool json = false;
  bool import = false;   // the SEG EDI importer reads the file
  std::string int_file;  // append the fitted block here
  std::string name;      // block name
};

int RunInvert(const InvertOptions& options);

}  // namespace mtvuk::cli
