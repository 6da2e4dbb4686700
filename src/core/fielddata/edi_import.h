// A tolerant reader of EDI files as the SEG/MT-EMAP standard (1987) writes
// them and as most processing programs export them: impedances with
// variances or resistivity/phase errors (or none), or cross-spectra in any
// layout. It fills the same sounding buffer as the field-data reader.
#pragma once

#include <string>

#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

// Filter of the import dialog: text, then patterns.
inline constexpr char kEdiImportFilter[] =
    "EDI files (*.edi)|*.edi|All Files (*.*)|*.*||";

inline constexpr double kDefaultImportError =
    0.05;  // of |Z|, without error blocks

struct EdiImportReport {
  bool spectra = false;      // read from >SPECTRA blocks
  std::string error_source;  // "RHO/PHS .ERR", "Z .VAR", "spectra", "default"
  int frequencies_in_file = 0;
  int missing_points = 0;  // points left out: EMPTY values, no frequency
};

// Reads `path` into workspace.sounding. `default_error` is the relative
// error of |Z| used when the file carries no errors (the user is told).
// False after a message when nothing can be read.
bool ImportEdiFile(const std::string& path,
                   Workspace& workspace,
                   Ui& ui,
                   double default_error = kDefaultImportError,
                   EdiImportReport* report = nullptr);

}  // namespace mtvuk
