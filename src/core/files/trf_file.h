// TRF files: depth transformations Res(h), one block per sounding, appended
// block by block from the depth window and read back as the stations of a
// section.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/files/int_file.h"
#include "core/platform/text_file.h"
#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

inline constexpr char kTrfFileFilter[] = "Transformation files (*.trf)|*.trf||";
inline constexpr char kTrfSectionFilter[] =
    "PseudoSection files (*.trf)|*.trf||";
inline constexpr char kTrfMarker[] = ">TRANSFORMATION: ";
// The most depth values a block holds (the points of a field set).
inline constexpr int kTrfMaxValues = 100;

// The field set holds a transformation that can be saved: a smoothed curve
// transformed with its depth switch on, with at least one point that has a
// resistivity.
bool HasTransformation(const FieldSet& set);

// The points of the set's transformation that have a resistivity, in depth
// order (deleted points and points without a usable depth are left out).
int TransformationCount(const FieldSet& set);

// The block of a field set: its head text, the header line, the depth line
// (km), the resistivity line (Ohm-m) and the end line of 50 asterisks.
std::string FormatTrfBlock(const FieldSet& set);

// The block of a section station: the first coordinate, 0.0 as second, the
// altitude with the section's offset, and the station's depths (m) in km.
std::string FormatTrfSectionBlock(const SectionStation& station,
                                  float altitude_offset);

// Why the set's block could not be read back (its header line does not fit
// its columns), or empty when it can.
std::string TrfBlockProblem(const FieldSet& set);

// The path "&Save as" writes: the chosen folder and title with ".trf".
std::string TrfFilePath(const std::string& chosen);

// The path of `--trf` on the command line: ".trf" is added to a path without
// an extension; another extension than ".trf" is refused (false, `error`).
bool CommandLineTrfPath(const std::string& given,
                        std::string& path,
                        std::string& error);

// Appends blocks to a TRF file, creating it when it does not exist; an
// existing file is never truncated, and a failed write leaves it as it was.
// False after the message ("CAN'T OPEN FILE").
bool AppendToTrfFile(const std::string& path,
                     const std::string& blocks,
                     Ui& ui);

// The TRF station reader from the start of an open file. Counting pass
// (`stations` null): returns the number of blocks. Filling pass: appends
// one station per block. A block with a field that holds no single number,
// a value line that ends early or runs past its last value, a negative
// depth or a resistivity that is not above 0 is left out (and added to
// `refused`).
int ReadTrfStations(TextFile& file,
                    std::vector<SectionStation>* stations,
                    std::vector<RefusedBlock>* refused = nullptr);

}  // namespace mtvuk

namespace mtvuk {

// What "Save transformation Res(h)" shows and stores.
class TrfSaveLogic {
 public:
  TrfSaveLogic(Workspace& workspace, FieldSets& sets, Ui& ui);

  // The set whose block "&Save as" writes; -1 when no set has a
  // transformation.
  int current() const { return current_; }
  // Sets whose box reacts: those with a transformation.
  const std::array<std::int32_t, MaxSets>& saveable() const {
    return saveable_;
  }
  // The box of the current set is filled.
  std::array<std::int32_t, MaxSets>& current_flags() { return flags_; }

  // The "&Name" edit (at most 30 characters) and the LOCATION texts.
  std::string name;
  std::string LatText() const;
  std::string LongText() const;
  std::string AltText() const;

  // A click on the box of set i: a set with a transformation becomes the
  // current one and the edit shows its name.
  void Click(int i);
  // "&Update": the edited name goes into the current set.
  void Update();
  // "&Save as" (all false) and "Save &All" (all true), once the file dialog
  // returned `chosen`: stores the name, appends the blocks, remembers the
  // path. False after a message; nothing is written then.
  bool Save(const std::string& chosen, bool all);

  static constexpr int kMaxName = 30;

 private:
  Workspace& workspace_;
  FieldSets& sets_;
  Ui& ui_;
  int current_ = -1;
  std::array<std::int32_t, MaxSets> saveable_{};
  std::array<std::int32_t, MaxSets> flags_{};
};

}  // namespace mtvuk
