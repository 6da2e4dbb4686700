// mtvuk-cli dplus and dimensionality: is a 1-D interpretation justified?
#pragma once

#include <string>

#include "core/dimensionality/tensor_invariants.h"
#include "core/store/workspace.h"

namespace mtvuk::cli {

struct DPlusCliOptions {
  std::string file;
  CurveMode mode = CurveMode::XY;
  double floor_percent = 1.0;  // least error of |Z|, % of |Z|
  double shift = 1.0;          // static-shift factor of the curve
  std::string layers;          // a layered model to measure alike
  std::string model_file;
  bool json = false;
  bool import = false;
  Physics physics = Physics::kPublished;
};
int RunDPlus(const DPlusCliOptions& options);

struct DimensionalityCliOptions {
  std::string file;
  DimensionalityThresholds limits;
  bool json = false;
  bool import = false;
};
int RunDimensionality(const DimensionalityCliOptions& options);

// shift FILE: the static-shift factors that make XY and YX coincide at
// their shortest periods.
struct ShiftCliOptions {
  std::string file;
  std::string onto = "mean";  // xy, yx or mean (their geometric mean)
  int periods = 5;            // shortest periods the estimate uses
  bool json = false;
  bool import = false;
};
int RunShift(const ShiftCliOptions& options);

}  // namespace mtvuk::cli
