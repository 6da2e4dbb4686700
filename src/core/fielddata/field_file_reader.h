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

// Lines 11 on of the listing: "NFREQ = n" and the three tables of the
// sounding's values.
void BuildSoundingListing(SoundingBuffer& sounding);

// Reads the file into workspace.sounding and remembers its path, name and
// extension. On failure the user has been shown why and false is returned;
// the sounding may then be partly overwritten, the field sets and models are
// never touched.
bool ReadFieldFile(const std::string& path,
                   Workspace& workspace,
                   Ui& ui,
                   FieldFileKind* kind = nullptr);

}  // namespace mtvuk
