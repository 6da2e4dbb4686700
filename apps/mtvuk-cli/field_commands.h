// Commands of mtvuk-cli that read field data: read, curve.
#pragma once

#include <string>

#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk::cli {

// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// With `import` the file is read by the tolerant SEG EDI importer instead
// of the field-data reader. A non-empty `emtf_xml` also writes the sounding
// to that file as EMTF XML.
int RunRead(const std::string& path,
            bool json,
            bool import = false,
            const std::string& emtf_xml = "");
int RunCurve(const std::string& path,
             CurveMode mode,
             bool json,
             bool import = false,
             Physics physics = Physics::kPublished);

// "xy", "yx", "mean" or "eff".
const char* ModeName(CurveMode mode);

// Reads a sounding by either reader. EMTF XML, Z-files, j-files and AVG
// files (known by their content) always go to their own readers; `kind`
// names what was read ("EDI", "PLT", "EMTF XML", ...).
bool ReadSounding(const std::string& path,
                  Workspace& workspace,
                  Ui& ui,
                  bool import,
                  bool* is_edi = nullptr,
                  std::string* kind = nullptr);

// Relative error of |Z| that the importer gives files without error blocks
// (--default-error, in percent on the command line).
void SetImportDefaultError(double fraction);

}  // namespace mtvuk::cli
