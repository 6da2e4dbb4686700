#include "core/files/trf_file.h"

#include <algorithm>
#include <cmath>

#include "core/files/file_writing.h"
#include "core/files/fixed_columns.h"
#include "core/files/fixed_fields.h"
#include "core/platform/c_number.h"

namespace mtvuk {
namespace {

using columns::Columns;
using columns::Format;
using columns::NameField;
using columns::Resembles;
using columns::StartsWith;

constexpr char kHeaderFormat[] =
    ">TRANSFORMATION: %14s /%12.1f/%12.1f/%s/%3d/\n";
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
  if (first != std::string::npos)
    name.replace(0, field.size() - first, field.substr(first));
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
                columns::AltitudeText(set.coordinates[2]).c_str(),
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
                columns::AltitudeText(z).c_str(),
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
  const std::string name = columns::NameAsWritten(set.label);
  const double x = set.coordinates[0], y = set.coordinates[1],
               z = set.coordinates[2];
  const bool fits = std::isfinite(x) && std::isfinite(y) && std::isfinite(z) &&
                    Format("%12.1f", x).size() == 12 &&
                    Format("%12.1f", y).size() == 12 &&
                    !columns::AltitudeField(z).empty();
  if (!fits) {
    return Format(
        "The position of '%s' (%.1f, %.1f, %.1f m) does not fit the columns "
        "of TRF files\n(12 characters for LAT and LONG, 6 for the altitude, "
        "from -99999 to 999999 m): the block could not be read back.",
        name.c_str(),
        x,
        y,
        z);
  }
  // Every value must fill at most its ten characters: a wider one runs into
  // the next and the line is read back wrongly.
  const int n = std::clamp(set.count, 0, kTrfMaxValues);
  for (int i = 0; i < n; ++i) {
    if (!HasValue(set, i)) continue;
    const double depth = std::fabs(static_cast<double>(set.depth[i])) * 0.001;
    const double rho = std::pow(10.0, static_cast<double>(set.log_res[i]));
    const std::string depth_text = Value(depth), rho_text = Value(rho);
    if (depth_text.size() != std::size_t{kValueWidth} ||
        !std::isfinite(depth)) {
      return Format(
          "The depth of point %i of '%s' is %.3f km, which does not fit the "
          "ten characters of its column in TRF files (up to 999999.999):\nthe "
          "block could not be read back.",
          i + 1,
          name.c_str(),
          depth);
    }
    if (rho_text.size() != std::size_t{kValueWidth} || !std::isfinite(rho) ||
        !(AtoF(rho_text) > 0.0)) {
      return Format(
          "The resistivity of '%s' at %.3f km depth is %.3f Ohm-m, which "
          "does not fit the ten characters of its column in TRF files\n"
          "(0.001 to 999999.999 Ohm-m): the block could not be read back.",
          name.c_str(),
          depth,
          rho);
    }
  }
  return {};
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
      path,
      blocks,
      {"CAN'T OPEN FILE", "CAN'T OPEN FILE", "CAN'T WRITE FILE"},
      ui);
}

namespace {

// The fields of one value line: `n` values of ten characters after the
// title, nothing after them when the line is to hold them all.
bool ReadValueLine(const std::string& line,
                   int n,
                   bool whole,
                   std::array<float, kTrfMaxValues>& values,
                   std::string& problem) {
  for (int i = 0; i < n; ++i) {
    double v = 0.0;
    const std::size_t column = kTitleWidth + kValueWidth * i;
    if (!columns::NumberField(line, column, kValueWidth, v, problem)) {
      problem = Format("value %i: ", i + 1) + problem;
      return false;
    }
    values[i] = ToF32(v);
    if (!std::isfinite(values[i])) {
      problem = Format("value %i is not a finite number", i + 1);
      return false;
    }
  }
  return !whole ||
         columns::BlankFrom(line, kTitleWidth + kValueWidth * n, problem);
}

}  // namespace

int ReadTrfStations(TextFile& file,
                    std::vector<SectionStation>* stations,
                    std::vector<RefusedBlock>* refused) {
  const std::int64_t length = file.Length();
  file.Rewind();
  std::string head;  // carried over to blocks without their own
  std::string line, depth_line, res_line;
  bool pending = false;  // `line` still has to be tested
  int pending_number = 0;
  std::int64_t at = 0;
  int count = 0;
  auto refuse = [refused](int line_number, const std::string& problem) {
    if (refused != nullptr) refused->push_back({line_number, problem});
  };
  while (pending || file.Position() < length) {
    int line_number = pending_number;
    if (!pending) {
      at = file.Position();
      if (!file.ReadLine(line)) break;
      line_number = file.LineNumber();
    }
    pending = false;
    if (StartsWith(line, ">HEAD")) {
      head = ">HEAD\n";
      for (int i = 0; i < kHeadLines; ++i) {
        at = file.Position();
        if (!file.ReadLine(line)) break;
        line_number = file.LineNumber();
        if (line.compare(0, 7, ">TRANSF") == 0) break;
        head += line + "\n";
      }
    }
    if (!Resembles(line, kTrfMarker, 16)) continue;

    const std::int64_t header_at = at;
    const int header_number = line_number;
    const std::string header = line;
    // The two lines of values. A block cut short before them is left out,
    // and the line that cut it is read again as the start of the next one.
    bool cut = false;
    for (std::string* target : {&depth_line, &res_line}) {
      at = file.Position();
      if (at >= length || !file.ReadLine(*target)) {
        refuse(header_number,
               "the file ends before the depth and resistivity lines");
        return count;
      }
      if (StartsBlock(*target)) {
        line = *target;
        pending_number = file.LineNumber();
        pending = cut = true;
        break;
      }
    }
    if (cut) {
      refuse(header_number,
             "the block ends before its depth and resistivity lines");
      continue;
    }
    const int depth_number = file.LineNumber() - 1;
    const int res_number = file.LineNumber();

    SectionStation s;
    double x = 0.0, y = 0.0, z = 0.0;
    int declared = 0;
    std::string problem;
    if (!columns::Separators(header, {32, 45, 58, 65}, problem) ||
        !columns::NumberField(header, 33, 12, x, problem) ||
        !columns::NumberField(header, 46, 12, y, problem) ||
        !columns::NumberField(header, 59, 6, z, problem) ||
        !columns::IntegerField(header, 66, 3, declared, problem)) {
      refuse(header_number, problem);
      continue;
    }
    s.x = ToF32(x);
    s.y = ToF32(y);
    s.z = ToF32(z);
    if (!std::isfinite(s.x) || !std::isfinite(s.y) || !std::isfinite(s.z) ||
        declared < 0) {
      refuse(header_number,
             declared < 0 ? Format("a count of %i values", declared)
                          : std::string("a coordinate is not a finite number"));
      continue;
    }
    s.depth.fill(1e8f);
    s.depth_resistivity.fill(-16.0f);
    // At most 100 values; past them a longer line is not looked at.
    const int n = std::min(declared, kTrfMaxValues);
    const bool whole = declared <= kTrfMaxValues;
    if (!ReadValueLine(depth_line, n, whole, s.depth, problem)) {
      refuse(depth_number, "depths: " + problem);
      continue;
    }
    if (!ReadValueLine(res_line, n, whole, s.depth_resistivity, problem)) {
      refuse(res_number, "resistivities: " + problem);
      continue;
    }
    const auto negative_depth = std::find_if(
        s.depth.begin(), s.depth.begin() + n, [](float d) { return d < 0.0f; });
    if (negative_depth != s.depth.begin() + n) {
      refuse(depth_number,
             Format("value %i: a depth of %g km (depths are written without "
                    "their sign)",
                    static_cast<int>(negative_depth - s.depth.begin()) + 1,
                    static_cast<double>(*negative_depth)));
      continue;
    }
    const auto no_rho = std::find_if(s.depth_resistivity.begin(),
                                     s.depth_resistivity.begin() + n,
                                     [](float r) { return !(r > 0.0f); });
    if (no_rho != s.depth_resistivity.begin() + n) {
      refuse(res_number,
             Format("value %i: a resistivity of %g Ohm-m",
                    static_cast<int>(no_rho - s.depth_resistivity.begin()) + 1,
                    static_cast<double>(*no_rho)));
      continue;
    }
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
  if (first != saveable_.end())
    Click(static_cast<int>(first - saveable_.begin()));
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
  name = CutName(sets_[i].label, kMaxName);
}

void TrfSaveLogic::Update() {
  if (current_ >= 0) sets_[current_].label = CutName(name, kMaxName);
}

bool TrfSaveLogic::Save(const std::string& chosen, bool all) {
  if (current_ < 0) return false;
  Update();
  std::string blocks;
  std::vector<std::string> names;
  for (int i = 0; i < MaxSets; ++i) {
    if (all ? !saveable_[i] : i != current_) continue;
    names.push_back(sets_[i].label);
    std::string problem = TrfBlockProblem(sets_[i]);
    if (problem.empty()) problem = columns::SameNameProblem(names);
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
