// mtvuk-cli occam: the smooth (Occam) inversion of one polarisation of a
// field file.
#pragma once

#include <string>

#include "core/inversion/smooth_inversion.h"
#include "core/store/workspace.h"

namespace mtvuk::cli {

struct OccamOptions {
  std::string file;
  CurveMode mode = CurveMode::XY;
  SmoothInversionOptions smooth;
  bool json = false;
  bool import = false;  // the SEG EDI importer reads the file
  double shift = 1.0;   // static-shift factor of rho_a
};

int RunOccam(const OccamOptions& options);

}  // namespace mtvuk::cli
