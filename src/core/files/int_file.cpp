#include "core/files/int_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/files/file_error_text.h"
#include "core/files/file_writing.h"
#include "core/files/fixed_columns.h"
#include "core/files/fixed_fields.h"
#include "core/files/trf_file.h"
#include "core/platform/c_number.h"
#include "core/store/store_defaults.h"

namespace mtvuk {
namespace {

constexpr char kResultMarker[] = ">INVERS: ";
constexpr std::size_t kNameText = 36;

using columns::Columns;
using columns::Format;
using columns::NameField;
using columns::Resembles;
using columns::StartsWith;

struct ResultLine {
  std::string name_field;
  float lat = 0.0f, lon = 0.0f, z = 0.0f;
  int layers = 0;
};

// Columns of a result line relative to its first "/". False with the
// reason when there is none among the first 40 characters (the name is then
// the text after the marker and the layer count 0, for the message) or when
// a field holds no single number.
bool ParseResultLine(const std::string& line,
                     ResultLine& out,
                     std::string& problem) {
  out = ResultLine{};
  const std::size_t slash = line.substr(0, 40).find('/');
  if (slash == std::string::npos) {
    out.name_field = Columns(line, 9, 31);
    problem = "no \"/\" among the first 40 characters of the result line";
    return false;
  }
  const std::size_t p = std::min<std::size_t>(slash, 38);
  out.name_field = p > 9 ? line.substr(9, p - 9) : std::string();
  double lat = 0.0, lon = 0.0, z = 0.0;
  int layers = 0;
  if (!columns::Separators(line, {p + 13, p + 26, p + 33}, problem) ||
      !columns::NumberField(line, p + 1, 12, lat, problem) ||
      !columns::NumberField(line, p + 14, 12, lon, problem) ||
      !columns::NumberField(line, p + 27, 6, z, problem) ||
      !columns::IntegerField(line, p + 34, 2, layers, problem)) {
    return false;
  }
  out.lat = ToF32(lat);
  out.lon = ToF32(lon);
  out.z = ToF32(z);
  out.layers = layers;
  // "inf" and "nan" read as numbers, but no model or map can use them.
  if (!(std::isfinite(out.lat) && std::isfinite(out.lon) &&
        std::isfinite(out.z))) {
    problem = "a coordinate of the result line is not a finite number";
    return false;
  }
  if (layers < 1 || layers > MaxLayers) {
    problem = Format("%i layers (1 to %i can be read)", layers, MaxLayers);
    return false;
  }
  return true;
}

// A layer line: the resistivity in the first nine columns, a blank, the
// thickness in the next nine, nothing after them. False with the reason
// when a field holds no single number or a value cannot be a layer's.
bool ParseLayerLine(const std::string& line,
                    float& rho,
                    float& h,
                    std::string& problem) {
  double r = 0.0, t = 0.0;
  if (!columns::NumberField(line, 0, 9, r, problem)) return false;
  if (line.size() > 9 && line[9] != ' ') {
    problem = Format(
        "column 10 ('%c') is not blank: the resistivity runs "
        "into the thickness",
        line[9]);
    return false;
  }
  if (!columns::NumberField(line, 10, 9, t, problem) ||
      !columns::BlankFrom(line, 19, problem)) {
    return false;
  }
  rho = ToF32(r);
  h = ToF32(t);
  if (!(rho > 1e-6f) || !std::isfinite(rho)) {
    problem = Format("a resistivity of %g Ohm-m", r);
    return false;
  }
  if (!(h > 0.001f) || !std::isfinite(h)) {
    problem = Format("a thickness of %g km", t);
    return false;
  }
  return true;
}

// Reads the layer lines of a block whose result line was just read. False
// with the reason (and `line_number` of the line that refused it) at the
// first bad line; the lines after it are left for the search of the next
// block.
bool ReadLayerLines(TextFile& file,
                    int layers,
                    std::array<float, 102>& rho,
                    std::array<float, 102>& h,
                    int& line_number,
                    std::string& problem) {
  std::string line;
  for (int j = 0; j < layers; ++j) {
    const std::int64_t at = file.Position();
    const int before = file.LineNumber();
    if (!file.ReadLine(line)) {
      line_number = file.LineNumber();
      problem =
          Format("the file ends after %i of its %i layer lines", j, layers);
      return false;
    }
    line_number = file.LineNumber();
    if (StartsWith(line, ">") || Resembles(line, kResultMarker, 8)) {
      // The next block (or its head) begins here: it is read again as such.
      file.Seek(at, before);
      problem =
          Format("the block ends after %i of its %i layer lines", j, layers);
      return false;
    }
    if (!ParseLayerLine(line, rho[j], h[j], problem)) {
      problem = Format("layer %i: ", j + 1) + problem;
      return false;
    }
  }
  return true;
}

std::string NameText(const std::string& field) {
  std::string text(kNameText, ' ');
  const std::string cut = field.substr(0, kNameText);
  text.replace(0, cut.size(), cut);
  return text;
}

}  // namespace

const char* TargetLabel(int target) {
  switch (target) {
    case 1:
      return " TARGET: RE+IM";
    case 2:
      return " TARGET: RE";
    case 3:
      return " TARGET: IM";
    case 4:
      return " TARGET: Ro";
    case 5:
      return " TARGET: Res+Phs";
    default:
      return "";
  }
}

std::string FormatModelBlock(const LayerModel& m, int target) {
  std::string out = m.head_text;
  const int n = std::clamp<int>(m.layer_count, 1, MaxLayers);
  out += Format(">INVERS: %14s /%12.1f/%12.1f/%s/%2d/%s\n",
                NameField(m.name).c_str(),
                m.coordinates[0],
                m.coordinates[1],
                columns::AltitudeText(m.coordinates[2]).c_str(),
                n,
                TargetLabel(target));
  for (int j = 0; j < n; ++j)
    out += Format("%9.2f %9.2f\n", m.resistivity[j], m.thickness[j]);
  out += std::string(56, '*') + "\n\n";
  return out;
}

std::string FormatSectionBlock(const SectionStation& s, float altitude_offset) {
  std::string out = s.head_text;
  const float z = altitude_offset + s.z;
  const int n = std::clamp<int>(s.layer_count, 0, 102);
  out += Format(">INVERS: %14s /%12.1f/%12.1f/%s/%2d/IDK\n",
                NameField(s.name).c_str(),
                static_cast<double>(s.x),
                0.0,
                columns::AltitudeText(z).c_str(),
                s.layer_count);
  const float kKm = 0.001f;
  for (int j = 0; j < n; ++j) {
    const float t = j == n - 1 ? 100.0f : s.thickness[j] * kKm;
    const float q = s.resistivity[j] * kKm;
    const char* format = q >= 1000.0f ? "%9.0f %9.2f\n"
                         : q >= 1.0f  ? "%9.2f %9.2f\n"
                                      : "%9.4f %9.2f\n";
    out += Format(
        format, static_cast<double>(s.resistivity[j]), static_cast<double>(t));
  }
  out += std::string(58, '*') + "\n\n";
  return out;
}

bool CommandLineIntPath(const std::string& given,
                        std::string& path,
                        std::string& error) {
  return CommandLinePath(given, ".int", "an INT", path, error);
}

std::string IntFilePath(const std::string& chosen) {
  return PathWithExtension(chosen, ".int");
}

bool AppendToIntFile(const std::string& path, const std::string& text, Ui& ui) {
  return AppendToFile(
      path,
      text,
      {"CAN'T CREATE INT-FILE", "CAN'T OPEN INT-FILE", kIntWriteCaption},
      ui);
}

std::string IntBlockProblem(const LayerModel& m) {
  const std::string name = columns::NameAsWritten(m.name);
  if (m.name.find('/') != std::string::npos) {
    return Format(
        "The name '%s' holds a \"/\", which separates the columns "
        "of INT files:\nno reader could find them. Choose another "
        "name.",
        m.name.c_str());
  }
  if (std::string problem = columns::NameFieldProblem(m.name);
      !problem.empty()) {
    return problem;
  }
  const int n = std::clamp<int>(m.layer_count, 1, MaxLayers);
  const std::string line =
      Format("%12.1f/%12.1f/%s/%2d/",
             m.coordinates[0],
             m.coordinates[1],
             columns::AltitudeField(m.coordinates[2]).c_str(),
             n);
  const bool finite = std::isfinite(m.coordinates[0]) &&
                      std::isfinite(m.coordinates[1]) &&
                      std::isfinite(m.coordinates[2]);
  if (!finite || line.size() != 12 + 1 + 12 + 1 + 6 + 1 + 2 + 1) {
    return Format(
        "The coordinates of '%s' (%.1f, %.1f, %.1f m) do not fit "
        "the columns of INT files\n(12 characters for LAT and "
        "LONG, 6 for ELEV, from -99999 to 999999 m): the block could "
        "not be read back.",
        name.c_str(),
        m.coordinates[0],
        m.coordinates[1],
        m.coordinates[2]);
  }
  for (int j = 0; j < n; ++j) {
    const std::string rho = Format("%9.2f", m.resistivity[j]);
    const std::string h = Format("%9.2f", m.thickness[j]);
    if (rho.size() > 9 || !(AtoF(rho) > 1e-6)) {
      return Format(
          "Layer %i of '%s' has a resistivity of %g Ohm-m, which "
          "INT files write as '%s':\nthe block could not be read "
          "back.",
          j + 1,
          name.c_str(),
          m.resistivity[j],
          rho.c_str());
    }
    if (h.size() > 9 || !(AtoF(h) > 0.001)) {
      return Format(
          "Layer %i of '%s' is %g km thick, which INT files write "
          "as '%s' km:\nthe block could not be read back. Make "
          "the layer at least 0.01 km thick, or remove it.",
          j + 1,
          name.c_str(),
          m.thickness[j],
          h.c_str());
    }
  }
  return {};
}

int ReadResultBlocks(TextFile& file,
                     Ui& ui,
                     std::vector<IntSet>* sets,
                     std::vector<std::int32_t>* positions) {
  const std::int64_t length = file.Length();
  file.Rewind();
  int valid = 0;
  std::string line;
  while (file.Position() < length) {
    const std::int64_t at = file.Position();
    if (!file.ReadLine(line)) break;
    if (!StartsWith(line, kResultMarker)) continue;
    int line_number = file.LineNumber();
    ResultLine head;
    std::string problem;
    std::array<float, 102> rho{}, h{};
    const bool ok =
        ParseResultLine(line, head, problem) &&
        ReadLayerLines(file, head.layers, rho, h, line_number, problem);
    if (!ok) {
      if (sets == nullptr) {
        const std::string text =
            Format("SET #%i:  %s\n%s\nSET WILL BE IGNORED",
                   valid + 1,
                   NameText(head.name_field.substr(0, 12)).c_str(),
                   Format("#layers=%d", head.layers).c_str()) +
            "\n" + columns::WhereInFile(file.path(), line_number, problem);
        ui.Show(text, "INVALID PARAMETERS", Icon::kExclamation);
      }
      continue;
    }
    if (sets != nullptr) {
      IntSet set;
      set.layer_count = static_cast<std::int16_t>(head.layers);
      set.lat = head.lat;
      set.lon = head.lon;
      set.z = head.z;
      set.name = NameText(head.name_field);
      for (int j = 0; j < MaxLayers; ++j) {
        const int from = std::min(j, head.layers - 1);
        set.resistivity[j] = rho[from];
        set.thickness[j] = h[from];
      }
      sets->push_back(set);
      if (positions != nullptr)
        positions->push_back(static_cast<std::int32_t>(at));
    }
    ++valid;
  }
  return valid;
}

bool LoadIntFile(const std::string& path,
                 Ui& ui,
                 std::vector<IntSet>& sets,
                 std::vector<std::int32_t>& positions) {
  sets.clear();
  positions.clear();
  if (!TextFile::Exists(path)) {
    ui.Show(FileErrorText(0), "CAN'T OPEN FILE", Icon::kStop);
    return false;
  }
  TextFile file;
  if (!file.Open(path, TextFile::Mode::kRead)) {
    ui.Show(FileErrorText(file.cause()), "CAN'T OPEN FILE", Icon::kStop);
    return false;
  }
  std::string line;
  bool structure = false;
  while (!structure && file.ReadLine(line))
    structure = StartsWith(line, kResultMarker);
  if (!structure) {
    ui.Show("Can't find INT-structure", "INVALID INT-FILE", Icon::kExclamation);
    return false;
  }
  if (ReadResultBlocks(file, ui, nullptr, nullptr) == 0) {
    ui.Show("Can't find data", "INVALID INT-FILE", Icon::kExclamation);
    return false;
  }
  ReadResultBlocks(file, ui, &sets, &positions);
  return true;
}

void InstallIntSet(const IntSet& set, LayerModel& m) {
  m.layer_count = set.layer_count;
  m.coordinates = {set.lat, set.lon, set.z};
  m.name = set.name;
  for (int j = 0; j < MaxLayers; ++j) {
    m.resistivity[j] = set.resistivity[j];
    m.thickness[j] = set.thickness[j];
  }
  SetMediumSwitches(m);  // the boxes of the new layer count decide
}

std::array<std::string, MaxLayers> DetailLines(const IntSet& set) {
  std::array<std::string, MaxLayers> lines;
  for (int i = 0; i < MaxLayers; ++i) {
    if (i >= set.layer_count) continue;  // absent layers are not shown
    const std::string first =
        Format("%2i  %8.2f", i + 1, static_cast<double>(set.resistivity[i]));
    std::string second;
    if (i == set.layer_count - 1) {
      second = "    - ";
    } else if (set.thickness[i] >= 999.99f) {
      second = Format(" %5.0f", static_cast<double>(set.thickness[i]));
    } else {
      second = Format(" %6.2f", static_cast<double>(set.thickness[i]));
    }
    lines[i] = Format("%8s  %s", first.c_str(), second.c_str());
  }
  return lines;
}

ResultFileKind DetectResultFile(TextFile& file) {
  file.Rewind();
  std::string line;
  while (file.ReadLine(line)) {
    if (Resembles(line, kResultMarker, 8)) return ResultFileKind::kInt;
    if (Resembles(line, kTrfMarker, 16)) return ResultFileKind::kTrf;
  }
  return ResultFileKind::kNone;
}

int ReadIntStations(TextFile& file,
                    std::vector<SectionStation>* stations,
                    std::vector<RefusedBlock>* refused) {
  const std::int64_t length = file.Length();
  file.Rewind();
  std::string head = ">HEAD\n";  // carried over to blocks without their own
  std::string line;
  int count = 0;
  while (file.Position() < length) {
    std::int64_t at = file.Position();
    if (!file.ReadLine(line)) break;
    if (StartsWith(line, ">HEAD")) {
      head = ">HEAD\n";
      for (int i = 0; i < 25; ++i) {
        at = file.Position();
        if (!file.ReadLine(line)) break;
        if (line.compare(0, 7, ">INVERS") == 0) break;
        head += line + "\n";
      }
    }
    if (!Resembles(line, kResultMarker, 8)) continue;
    // The rules of the result reader: a block it would refuse is left out.
    int line_number = file.LineNumber();
    ResultLine r{};
    std::string problem;
    SectionStation s;
    if (!ParseResultLine(line, r, problem) ||
        !ReadLayerLines(
            file, r.layers, s.resistivity, s.thickness, line_number, problem)) {
      if (refused != nullptr) refused->push_back({line_number, problem});
      continue;
    }
    s.file_position = static_cast<std::int32_t>(at);
    const int n = r.layers;
    s.layer_count = static_cast<std::int16_t>(n);
    s.x = r.lat;
    s.y = r.lon;
    s.z = r.z;
    s.name = r.name_field.substr(0, 12);
    s.head_text = head;
    const float last_h = s.thickness[n - 1];
    for (int j = n; j < MaxLayers; ++j) {
      s.resistivity[j] = s.resistivity[n - 1];
      s.thickness[j] = last_h;
    }
    s.thickness[n - 1] = 1e10f;
    if (stations != nullptr) stations->push_back(s);
    ++count;
  }
  return count;
}

std::vector<bool> DuplicateStations(
    const std::vector<SectionStation>& stations) {
  std::vector<bool> dup(stations.size(), false);
  for (std::size_t i = 0; i < stations.size(); ++i) {
    for (std::size_t j = 0; j < stations.size(); ++j) {
      if (i != j &&
          static_cast<long long>(stations[i].x) ==
              static_cast<long long>(stations[j].x) &&
          static_cast<long long>(stations[i].y) ==
              static_cast<long long>(stations[j].y)) {
        dup[i] = true;
      }
    }
  }
  return dup;
}

std::string StationLine(const SectionStation& s, bool duplicate) {
  return Format("%1s%4i %12s  %12.1f  %12.1f  %7.1f",
                duplicate ? "*" : " ",
                s.number,
                s.name.c_str(),
                static_cast<double>(s.x),
                static_cast<double>(s.y),
                static_cast<double>(s.z));
}

std::string RefusedBlocksText(const std::string& path,
                              int blocks,
                              const std::vector<RefusedBlock>& refused) {
  constexpr std::size_t kShown = 10;
  std::string text = Format("%zu of the %i blocks of %s %s left out:",
                            refused.size(),
                            blocks,
                            path.c_str(),
                            refused.size() == 1 ? "is" : "are");
  for (std::size_t i = 0; i < refused.size() && i < kShown; ++i) {
    text += "\n" +
            (refused[i].line > 0 ? "line " + std::to_string(refused[i].line)
                                 : std::string("at its end")) +
            ": " + refused[i].problem;
  }
  if (refused.size() > kShown)
    text += Format("\n... and %zu more", refused.size() - kShown);
  return text;
}

bool ReadStationFile(const std::string& path,
                     Ui& ui,
                     std::vector<SectionStation>& stations,
                     ResultFileKind& kind,
                     std::vector<RefusedBlock>* refused) {
  stations.clear();
  if (refused != nullptr) refused->clear();
  TextFile file;
  if (!file.Open(path, TextFile::Mode::kRead)) {
    ui.Show(FileErrorText(file.cause()), "CAN'T OPEN FILE", Icon::kStop);
    return false;
  }
  kind = DetectResultFile(file);
  if (kind == ResultFileKind::kNone) {
    ui.Show("Can't find INT or TRF-structures",
            "INVALID INT or TRF-FILE",
            Icon::kExclamation);
    return false;
  }
  const auto read = [&file, kind](std::vector<SectionStation>* out,
                                  std::vector<RefusedBlock>* why) {
    return kind == ResultFileKind::kTrf ? ReadTrfStations(file, out, why)
                                        : ReadIntStations(file, out, why);
  };
  std::vector<RefusedBlock> left_out;
  const int count = read(nullptr, &left_out);
  if (!left_out.empty()) {
    ui.Show(RefusedBlocksText(
                path, count + static_cast<int>(left_out.size()), left_out),
            kRefusedBlocksCaption,
            Icon::kExclamation);
  }
  if (refused != nullptr) *refused = left_out;
  if (count == 0) {
    ui.Show("Can't find data", "INVALID INT or TRF -FILE", Icon::kExclamation);
    return false;
  }
  read(&stations, nullptr);
  for (std::size_t i = 0; i < stations.size(); ++i) {
    stations[i].selected = 0;
    stations[i].number = static_cast<std::int32_t>(i + 1);
  }
  return true;
}

}  // namespace mtvuk

namespace mtvuk {

SaveModelChoice SaveModelChoice::Load(const LayerModels& models) {
  SaveModelChoice c;
  for (int i = 0; i < MaxModels; ++i) {
    const LayerModel& m = models[i];
    c.active[i] = m.fitted_set >= 0 ? 1 : 0;
    c.marked[i] = c.active[i];
    c.names[i] = m.name;
    c.lat[i] = Format("%.1f", m.coordinates[0]);
    c.lon[i] = Format("%.1f", m.coordinates[1]);
    c.elev[i] = Format("%.1f", m.coordinates[2]);
  }
  return c;
}

void SaveModelChoice::Toggle(int i) {
  if (active[i]) marked[i] = marked[i] ? 0 : 1;
}

bool SaveModelChoice::Apply(LayerModels& models, Ui& ui) const {
  bool any = false;
  for (int i = 0; i < MaxModels; ++i) any = any || marked[i];
  if (!any) {
    ui.Show("Mark any set to save", "Nothing selected...", Icon::kExclamation);
    return false;
  }
  // Every marked model as it would be written; one that the readers could
  // not read back stops the save before anything is stored or written.
  for (int i = 0; i < MaxModels; ++i) {
    if (!marked[i]) continue;
    LayerModel edited = models[i];
    edited.name = names[i];
    edited.coordinates = {AtoF(lat[i]), AtoF(lon[i]), AtoF(elev[i])};
    const std::string problem = IntBlockProblem(edited);
    if (!problem.empty()) {
      ui.Show(Format("Model %i: %s", i + 1, problem.c_str()),
              kIntBlockCaption,
              Icon::kExclamation);
      return false;
    }
  }
  std::vector<std::string> marked_names;
  for (int i = 0; i < MaxModels; ++i) {
    if (marked[i]) marked_names.push_back(names[i]);
  }
  if (const std::string same = columns::SameNameProblem(marked_names);
      !same.empty()) {
    ui.Show(same, kIntBlockCaption, Icon::kExclamation);
    return false;
  }
  for (int i = 0; i < MaxModels; ++i) {
    if (!marked[i]) continue;
    LayerModel& m = models[i];
    m.name = names[i];
    m.coordinates = {AtoF(lat[i]), AtoF(lon[i]), AtoF(elev[i])};
  }
  return true;
}

bool CanSaveResults(const Workspace& workspace, const LayerModels& models) {
  if (!workspace.inversion_done) return false;
  for (const LayerModel& m : models) {
    if (m.fitted_set >= 0) return true;
  }
  return false;
}

std::string MarkedBlocks(const SaveModelChoice& choice,
                         const LayerModels& models,
                         int target) {
  std::string out;
  for (int i = 0; i < MaxModels; ++i) {
    if (choice.marked[i]) out += FormatModelBlock(models[i], target);
  }
  return out;
}

}  // namespace mtvuk
