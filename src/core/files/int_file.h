// INT result files: layered models, one block per sounding, appended block
// by block; read back into models and listed as the stations of a section.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/text_file.h"
#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

// One result block as the model-loading dialog reads it.
struct IntSet {
  std::array<float, MaxLayers> resistivity{};
  std::array<float, MaxLayers> thickness{};
  float lat = 0.0f, lon = 0.0f, z = 0.0f;
  std::string name;  // the name field as read, in 36 characters
  std::int16_t layer_count = 0;
};

// One station of an INT or TRF file; the stations of a section too.
struct SectionStation {
  std::int32_t number = 0;
  std::array<float, 102> resistivity{};
  std::array<float, 102> thickness{};
  float x = 0.0f, y = 0.0f, z = 0.0f;
  std::array<float, 100> depth{};
  std::array<float, 100> depth_resistivity{};
  std::int32_t depth_count = 0;
  std::string name;       // first 12 characters of the name field
  std::string head_text;  // ">HEAD\n" and the head lines
  std::int16_t layer_count = 0;
  std::int32_t selected = 0;
  std::int32_t file_position = 0;
  // Metres along the profile of a section; -1 while the station is not on
  // one.
  double profile_position = -1.0;
};

// Filter of the INT file dialogs: text, then patterns.
inline constexpr char kIntFileFilter[] =
    "INT files (*.int) (results of inversion)|*.int||";

// The label of the inversion target in a result line (" TARGET: RE+IM" ...),
// empty for any other value.
const char* TargetLabel(int target);

// The block of a model: its head text, the result line, the layers and the
// end line of 56 asterisks.
std::string FormatModelBlock(const LayerModel& model, int target);
// The block of a section station, with the section's altitude offset.
std::string FormatSectionBlock(const SectionStation& station,
                               float altitude_offset);

// The path the save command writes: the chosen folder and file title with
// ".int", whatever extension was typed.
std::string IntFilePath(const std::string& chosen);

// The command line takes an --int path as given when it ends in ".int" (in
// any letter case) and adds ".int" to a path without an extension; any other
// extension is refused with `error`.
bool CommandLineIntPath(const std::string& given,
                        std::string& path,
                        std::string& error);

inline constexpr char kIntWriteCaption[] = "CAN'T WRITE INT-FILE";
inline constexpr char kIntBlockCaption[] = "CAN'T SAVE MODEL";

// Appends text at the end of the file in one write, creating the file when
// it does not exist; an existing file is never truncated. On an open failure
// the file-error text is shown with "CAN'T CREATE INT-FILE" or "CAN'T OPEN
// INT-FILE"; when the write fails the file is cut back to its old length and
// the file-error text is shown with "CAN'T WRITE INT-FILE".
bool AppendToIntFile(const std::string& path, const std::string& text, Ui& ui);

// Why the block of a model could not be read back by the INT readers, or
// empty: a name with "/", coordinates wider than their columns, a layer
// written as 0.00 (thinner than 0.005 km, or below 0.005 Ohm-m) or wider
// than its nine columns.
std::string IntBlockProblem(const LayerModel& model);

// Reads the result blocks of an open file from its start. Counting pass
// (`sets` null): reports every invalid block and returns the valid ones'
// number. Filling pass: stores the valid blocks and their positions.
int ReadResultBlocks(TextFile& file,
                     Ui& ui,
                     std::vector<IntSet>* sets,
                     std::vector<std::int32_t>* positions);

// The model-loading dialog's reading of a file: existence, opening, the
// structure check, the counting and the filling pass. False after the
// message when nothing can be offered.
bool LoadIntFile(const std::string& path,
                 Ui& ui,
                 std::vector<IntSet>& sets,
                 std::vector<std::int32_t>& positions);

// "&Install": the set replaces the model's layers, coordinates and name.
void InstallIntSet(const IntSet& set, LayerModel& model);

// The 16 lines of the detail panel of a set.
std::array<std::string, MaxLayers> DetailLines(const IntSet& set);

enum class ResultFileKind { kNone, kInt, kTrf };

// The file-content dialog: type detection by the tolerant tests (8 of the
// first 9 characters of ">INVERS: ", 16 of the first 17 of
// ">TRANSFORMATION: ").
ResultFileKind DetectResultFile(TextFile& file);
// A block that a station reader left out: the line that refused it
// (counted from 1) and why.
struct RefusedBlock {
  int line = 0;
  std::string problem;
};
// "2 of the 7 blocks of PATH are left out:" and one line per block ("line
// 12: layer 3: columns 1-9 ('     5.0x') hold no single number"), at most
// ten of them.
std::string RefusedBlocksText(const std::string& path,
                              int blocks,
                              const std::vector<RefusedBlock>& refused);
inline constexpr char kRefusedBlocksCaption[] = "BLOCKS LEFT OUT";

// The INT station reader: header lines found by the tolerant test, each
// block then read by the rules of the result reader, which leave out a
// block with a bad field or layer (added to `refused`). Returns the number
// of stations.
int ReadIntStations(TextFile& file,
                    std::vector<SectionStation>* stations,
                    std::vector<RefusedBlock>* refused = nullptr);
// Reads the stations of an INT or TRF file with the reader of its kind
// (`kind` tells which) and numbers them. Blocks the reader leaves out are
// told in one message (kRefusedBlocksCaption) and listed in `refused`.
// False after a message.
bool ReadStationFile(const std::string& path,
                     Ui& ui,
                     std::vector<SectionStation>& stations,
                     ResultFileKind& kind,
                     std::vector<RefusedBlock>* refused = nullptr);
// True where another station shares the whole metres of x and y.
std::vector<bool> DuplicateStations(
    const std::vector<SectionStation>& stations);
// A line of the station list.
std::string StationLine(const SectionStation& station, bool duplicate);
inline constexpr char kStationListHeader[] =
    " =  #     Name            LAT(m)       LONG(m)      Z(m)";

}  // namespace mtvuk

namespace mtvuk {

// What the "SAVE MODEL'S DATA " dialog shows and stores.
struct SaveModelChoice {
  std::array<std::int32_t, MaxModels> active{};  // fitted to a field set
  std::array<std::int32_t, MaxModels> marked{};
  std::array<std::string, MaxModels> names, lat, lon, elev;

  static SaveModelChoice Load(const LayerModels& models);
  // A click on the box of a model: toggles the mark of an active model.
  void Toggle(int i);
  // "&Save": false after "Mark any set to save" when nothing is marked, or
  // after IntBlockProblem's text (caption "CAN'T SAVE MODEL") when a marked
  // model's block could not be read back; else the edited names and
  // coordinates go into the marked models.
  bool Apply(LayerModels& models, Ui& ui) const;
};

// "&Save Inversion's results" is enabled once a fit has completed and some
// model was fitted to a field set.
bool CanSaveResults(const Workspace& workspace, const LayerModels& models);

// The blocks of the marked models, in model order.
std::string MarkedBlocks(const SaveModelChoice& choice,
                         const LayerModels& models,
                         int target);

}  // namespace mtvuk
