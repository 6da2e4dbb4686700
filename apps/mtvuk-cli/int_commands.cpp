#include "int_commands.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "core/files/file_error_text.h"
#include "core/files/int_file.h"
#include "core/files/name_text.h"
#include "core/platform/console_ui.h"
#include "field_commands.h"
#include "json_output.h"

namespace mtvuk::cli {
namespace {

// Prints messages as the console does and keeps their texts.
class RecordingUi : public ConsoleUi {
 public:
  Answer MessageBox(std::string_view text,
                    std::string_view caption,
                    Icon icon,
                    Buttons buttons,
                    Answer default_button) override {
    texts.emplace_back(text);
    return ConsoleUi::MessageBox(text, caption, icon, buttons, default_button);
  }
  std::vector<std::string> texts;
};

std::string Trimmed(const std::string& s) {
  const std::size_t end = s.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

}  // namespace

int RunIntList(const std::string& path, bool json) {
  RecordingUi ui;
  // The workstation's loading command names no cause for a missing file;
  // on the command line the cause is the first thing a user needs.
  if (!TextFile::Exists(path)) {
    ui.Show(FileErrorText(static_cast<int>(FileCause::kFileNotFound)),
            "CAN'T OPEN FILE",
            Icon::kStop);
    return kExitFailure;
  }
  std::vector<IntSet> sets;
  std::vector<std::int32_t> positions;
  const bool ok = LoadIntFile(path, ui, sets, positions);
  if (json) {
    nlohmann::ordered_json j;
    j["blocks"] = nlohmann::ordered_json::array();
    for (const IntSet& s : sets) {
      nlohmann::ordered_json b;
      b["name"] = Trimmed(s.name);
      b["lat"] = JsonFloat(s.lat);
      b["long"] = JsonFloat(s.lon);
      b["z"] = JsonFloat(s.z);
      b["layers"] = nlohmann::ordered_json::array();
      for (int k = 0; k < s.layer_count; ++k) {
        b["layers"].push_back({{"rho", JsonFloat(s.resistivity[k])},
                               {"thickness_km", JsonFloat(s.thickness[k])}});
      }
      j["blocks"].push_back(b);
    }
    j["invalid"] = nlohmann::ordered_json::array();
    for (const std::string& t : ui.texts) {
      if (t.find("SET WILL BE IGNORED") != std::string::npos)
        j["invalid"].push_back(t);
    }
    std::printf("%s\n", JsonText(j).c_str());
  } else {
    for (std::size_t i = 0; i < sets.size(); ++i) {
      const IntSet& s = sets[i];
      std::printf(
          "%zu. %s  LAT %.1f  LONG %.1f  Z %.1f  (%d layers, at byte %d)\n",
          i + 1,
          PrintableText(Trimmed(s.name)).c_str(),
          s.lat,
          s.lon,
          s.z,
          s.layer_count,
          positions[i]);
      for (const std::string& line : DetailLines(s)) {
        if (!line.empty()) std::printf("    %s\n", line.c_str());
      }
    }
  }
  return ok ? kExitOk : kExitFailure;
}

int RunIntStations(const std::string& path, bool json) {
  ConsoleUi ui;
  std::vector<SectionStation> stations;
  ResultFileKind kind = ResultFileKind::kNone;
  if (!ReadStationFile(path, ui, stations, kind)) return kExitFailure;
  const std::vector<bool> dup = DuplicateStations(stations);
  if (json) {
    nlohmann::ordered_json j;
    j["kind"] = "INT";
    j["stations"] = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < stations.size(); ++i) {
      const SectionStation& s = stations[i];
      nlohmann::ordered_json o;
      o["number"] = s.number;
      o["name"] = s.name;
      o["x"] = JsonFloat(s.x);
      o["y"] = JsonFloat(s.y);
      o["z"] = JsonFloat(s.z);
      o["duplicate"] = static_cast<bool>(dup[i]);
      o["layers"] = nlohmann::ordered_json::array();
      for (int k = 0; k < std::min<int>(s.layer_count, 102); ++k) {
        o["layers"].push_back({{"rho", JsonFloat(s.resistivity[k])},
                               {"thickness_km", JsonFloat(s.thickness[k])}});
      }
      j["stations"].push_back(o);
    }
    std::printf("%s\n", JsonText(j).c_str());
  } else {
    std::printf("File: %s\n%s\n", path.c_str(), kStationListHeader);
    for (std::size_t i = 0; i < stations.size(); ++i) {
      std::printf("%s\n",
                  PrintableText(StationLine(stations[i], dup[i])).c_str());
    }
  }
  return kExitOk;
}

}  // namespace mtvuk::cli
