#include "core/files/trf_file.h"

#include <algorithm>
#include <cmath>

#include "core/files/file_writing.h"
#include "core/files/fixed_columns.h"
#include "core/platform/c_number.h"

namespace mtvuk {
namespace {

using columns::Columns;
using columns::Format;
using columns::NameField;
using columns::Resembles;
using columns::StartsWith;

constexpr char kHeaderFormat[] =
    ">TRANSFORMATION: %14s /%12.1f/%12.1f/%6.1f/%3d/\n";
constexpr char kDepthTitle[] = "Depth  (km)  ";
constexpr char kResTitle[] = "Res (Ohm-m)  ";
constexpr int kTitleWidth = 13;
constexpr int kValueWidth = 10;
constexpr int kHeadLines = 25;
// Profile values at or below this log10 carry the missing marker (-14).
constexpr float kLowestLog = -13.0f;
constexpr float kStationDepthToKm = 0.001f;

// "%10.3f" as the layout has it: a value of 1,000,000 or more takes more
// than ten characters and shifts the values after it on its line.
std::string Value(double v) { return Format("%10.3f", v); }

std::string EndLine() { return std::string(50, '*') + "\n\n"; }

bool HasValue(const FieldSet& set, int i) {
  return std::isfinite(set.log_res[i]) && set.log_res[i] > kLowestLog &&
         std::isfinite(set.depth[i]);
}

// A line that starts another block or section: the block before it was cut
// short.
bool StartsBlock(const std::string& line) {
  return StartsWith(line, ">") || Resembles(line, kTrfMarker, 16);
}

// The name of columns 17-28 without its leading blanks, in 12 characters.
std::string StationName(const std::string& line) {
  const std::string field = Columns(line, 17, 12);
  std::string name(12, ' ');
  const std::size_t first = field.find_first_not_of(' ');
  if (first != std::string::npos) name.replace(0, field.size() - first,
                                               field.substr(first));
  return name;
}

}  // namespace

int TransformationCount(const FieldSet& set) {
  const int n = std::clamp(set.count, 0, kTrfMaxValues);
  int values = 0;
  for (int i = 0; i < n; ++i) values += HasValue(set, i) ? 1 : 0;
  return values;
}

bool HasTransformation(const FieldSet& set) {
  return set.in_use > 0 && set.smoothed != 0 && set.depth_switch >= 1 &&
         set.count >= 1 && TransformationCount(set) > 0;
}

std::string FormatTrfBlock(const FieldSet& set) {
  const int n = std::clamp(set.count, 0, kTrfMaxValues);
  std::string depths = kDepthTitle, values = kResTitle;
  for (int i = 0; i < n; ++i) {
    if (!HasValue(set, i)) continue;
    depths += Value(std::fabs(static_cast<double>(set.depth[i])) * 0.001);
    values += Value(std::pow(10.0, static_cast<double>(set.log_res[i])));
  }
  std::string out = set.header;
  out += Format(kHeaderFormat,
                NameField(set.label).c_str(),
                static_cast<double>(set.coordinates[0]),
                static_cast<double>(set.coordinates[1]),
                static_cast<double>(set.coordinates[2]),
                TransformationCount(set));
  out += depths + "\n" + values + "\n" + EndLine();
  return out;
}

std::string FormatTrfSectionBlock(const SectionStation& s,
                                  float altitude_offset) {
  const int n = std::clamp(s.depth_count, 0, kTrfMaxValues);
  const float z = altitude_offset + s.z;
  std::string out = s.head_text;
  out += Format(kHeaderFormat,
                NameField(s.name).c_str(),
                static_cast<double>(s.x),
                0.0,
                static_cast<double>(z),
                n);
  out += kDepthTitle;
  for (int i = 0; i < n; ++i)
    out += Value(static_cast<double>(s.depth[i] * kStationDepthToKm));
  out += std::string("\n") + kResTitle;
  for (int i = 0; i < n; ++i)
    out += Value(static_cast<double>(s.depth_resistivity[i]));
  out += "\n" + EndLine();
  return out;
}

std::string TrfBlockProblem(const FieldSet& set) {
  if (std::string problem = columns::NameFieldProblem(set.label);
      !problem.empty()) {
    return problem;
  }
  const double x = set.coordinates[0], y = set.coordinates[1],
               z = set.coordinates[2];
  const bool fits = std::isfinite(x) && std::isfinite(y) && std::isfinite(z) &&
                    Format("%12.1f", x).size() == 12 &&
                    Format("%12.1f", y).size() == 12 &&
                    Format("%6.1f", z).size() == 6;
  if (fits) return {};
  return Format(
      "The position of '%s' (%.1f, %.1f, %.1f m) does not fit the columns "
      "of TRF files\n(12 characters for LAT and LONG, 6 for the altitude): "
      "the block could not be read back.",
      set.label.substr(0, 12).c_str(),
      x,
      y,
      z);
}

std::string TrfFilePath(const std::string& chosen) {
  return PathWithExtension(chosen, ".trf");
}

bool CommandLineTrfPath(const std::string& given,
                        std::string& path,
                        std::string& error) {
  return CommandLinePath(given, ".trf", "a TRF", path, error);
}

bool AppendToTrfFile(const std::string& path,
                     const std::string& blocks,
                     Ui& ui) {
  return AppendToFile(
      path, blocks, {"CAN'T OPEN FILE", "CAN'T OPEN FILE", "CAN'T WRITE FILE"},
      ui);
}

int ReadTrfStations(TextFile& file, std::vector<SectionStation>* stations) {
  const std::int64_t length = file.Length();
  file.Rewind();
  std::string head;  // carried over to blocks without their own
  std::string line, depth_line, res_line;
  bool pending = false;  // `line` still has to be tested
  std::int64_t at = 0;
  int count = 0;
  while (pending || file.Position() < length) {
    if (!pending) {
      at = file.Position();
      if (!file.ReadLine(line)) break;
    }
    pending = false;
    if (StartsWith(line, ">HEAD")) {
      head = ">HEAD\n";
      for (int i = 0; i < kHeadLines; ++i) {
        at = file.Position();
        if (!file.ReadLine(line)) break;
        if (line.compare(0, 7, ">TRANSF") == 0) break;
        head += line + "\n";
      }
    }
    if (!Resembles(line, kTrfMarker, 16)) continue;

    const std::int64_t header_at = at;
    const std::string header = line;
    // The two lines of values. A block cut short before them is skipped,
    // and the line that cut it is read again as the start of the next one.
    bool cut = false;
    for (std::string* target : {&depth_line, &res_line}) {
      at = file.Position();
      if (at >= length || !file.ReadLine(*target)) return count;
      if (StartsBlock(*target)) {
        line = *target;
        pending = cut = true;
        break;
      }
    }
    if (cut) continue;

    SectionStation s;
    s.x = ToF32(AtoF(Columns(header, 33, 12)));
    s.y = ToF32(AtoF(Columns(header, 46, 12)));
    s.z = ToF32(AtoF(Columns(header, 59, 6)));
    const int declared = AtoI(Columns(header, 66, 3));
    bool damaged = declared < 0 || !std::isfinite(s.x) ||
                   !std::isfinite(s.y) || !std::isfinite(s.z);
    s.depth.fill(1e8f);
    s.depth_resistivity.fill(-16.0f);
    // At most 100 values; a line that ends early ends the values, so that
    // no zero stands in for a value that is not there.
    const int wanted = std::clamp(declared, 0, kTrfMaxValues);
    int n = 0;
    for (; n < wanted && !damaged; ++n) {
      const std::size_t column = kTitleWidth + kValueWidth * n;
      if (column >= depth_line.size() || column >= res_line.size()) break;
      const float d = ToF32(AtoF(Columns(depth_line, column, kValueWidth)));
      const float r = ToF32(AtoF(Columns(res_line, column, kValueWidth)));
      damaged = !std::isfinite(d) || !std::isfinite(r);
      s.depth[n] = d;
      s.depth_resistivity[n] = r;
    }
    if (damaged) continue;
    ++count;
    if (stations == nullptr) continue;
    s.file_position = static_cast<std::int32_t>(header_at);
    s.layer_count = 1;
    s.name = StationName(header);
    s.head_text = head;
    s.depth_count = n;
    for (int j = 0; j < MaxLayers; ++j) {
      s.resistivity[j] = 100.0f;
      s.thickness[j] = 100.0f;
    }
    stations->push_back(s);
  }
  return count;
}

}  // namespace mtvuk

namespace mtvuk {

TrfSaveLogic::TrfSaveLogic(Workspace& workspace, FieldSets& sets, Ui& ui)
    : workspace_(workspace), sets_(sets), ui_(ui) {
  for (int i = 0; i < MaxSets; ++i)
    saveable_[i] = HasTransformation(sets_[i]) ? 1 : 0;
  const auto first = std::find(saveable_.begin(), saveable_.end(), 1);
  if (first != saveable_.end()) Click(static_cast<int>(first - saveable_.begin()));
}

std::string TrfSaveLogic::LatText() const {
  return current_ < 0 ? std::string() : sets_[current_].coordinate_text[0];
}

std::string TrfSaveLogic::LongText() const {
  return current_ < 0 ? std::string() : sets_[current_].coordinate_text[1];
}

std::string TrfSaveLogic::AltText() const {
  return current_ < 0 ? std::string() : sets_[current_].coordinate_text[2];
}

void TrfSaveLogic::Click(int i) {
  if (i < 0 || i >= MaxSets || !saveable_[i]) return;
  current_ = i;
  flags_.fill(0);
  flags_[i] = 1;
  name = sets_[i].label.substr(0, kMaxName);
}

void TrfSaveLogic::Update() {
  if (current_ >= 0) sets_[current_].label = name.substr(0, kMaxName);
}

bool TrfSaveLogic::Save(const std::string& chosen, bool all) {
  if (current_ < 0) return false;
  Update();
  std::string blocks;
  for (int i = 0; i < MaxSets; ++i) {
    if (all ? !saveable_[i] : i != current_) continue;
    const std::string problem = TrfBlockProblem(sets_[i]);
    if (!problem.empty()) {
      ui_.Show(problem, "CAN'T SAVE TRANSFORMATION", Icon::kExclamation);
      return false;
    }
    blocks += FormatTrfBlock(sets_[i]);
  }
  const std::string path = TrfFilePath(chosen);
  if (!AppendToTrfFile(path, blocks, ui_)) return false;
  workspace_.files.trf_saved = path;
  return true;
}

}  // namespace mtvuk
