// Reading one MT sounding from an EDI (cross-spectra) or PLT (impedance)
// file into the sounding buffer of the workspace.
#pragma once

#include <string>
#include <string_view>

#include "core/fielddata/spectra.h"
#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

enum class FieldFileKind { kEdi, kPlt };

inline constexpr char kFieldFileDialogTitle[] = "Open MT-Files (Field data)";

// Filter of the open dialog: PLT first when the last file read was a PLT
// file (any letter case), else EDI first.
const char* FieldFileFilter(std::string_view last_extension);

// An empty sounding: zero arrays, no name, blank listing, the default
// coordinate texts.
void ClearSoundingBuffer(SoundingBuffer& sounding);
// Point k of the sounding from an estimate of the spectra.
void StoreSpectraEstimate(SoundingBuffer& sounding,
                          int k,
                          double freq,
                          const SpectraEstimate& estimate);

// Line 12 of the listing, under "NFREQ = n".
inline constexpr char kReversedSignNote[] =
    "Imaginary parts ZXYI, ZYXI, ZXXI, ZYYI are listed with reversed sign";

// Lines 11 on of the listing: "NFREQ = n", the note on the sign of the
// imaginary parts and the three tables of the sounding's values.
void BuildSoundingListing(SoundingBuffer& sounding);

// Keeps `path` as the field-data file of the workspace: the path, the name
// without folder and the extension without its dot.
void RememberFieldPath(const std::string& path, Workspace& workspace);

// Where a refused file can be read instead: the workstation's menu command
// or the command line's option of the SEG EDI importer.
enum class ImportHint { kMenu, kCommandLine };
// The sentence added to a refusal when the importer reads the file.
const char* ImportHintText(ImportHint hint);

// Reads the file into workspace.sounding and remembers its path, name and
// extension. On failure the user has been shown why and false is returned;
// when the SEG EDI importer reads the file, the message says so (`hint`).
// The sounding may then be partly overwritten, the field sets and models are
// never touched. Frequencies must be positive, values finite and every block
// as long as the frequency list.
bool ReadFieldFile(const std::string& path,
                   Workspace& workspace,
                   Ui& ui,
                   FieldFileKind* kind = nullptr,
                   ImportHint hint = ImportHint::kMenu);

}  // namespace mtvuk
