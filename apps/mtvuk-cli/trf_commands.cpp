#include "trf_commands.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "core/files/int_file.h"
#include "core/files/name_text.h"
#include "core/platform/console_ui.h"
#include "field_commands.h"
#include "json_output.h"

namespace mtvuk::cli {

int RunTrfList(const std::string& path, bool json) {
  ConsoleUi ui;
  std::vector<SectionStation> stations;
  ResultFileKind kind = ResultFileKind::kNone;
  if (!ReadStationFile(path, ui, stations, kind)) return kExitFailure;
  if (kind != ResultFileKind::kTrf) {
    std::fprintf(stderr,
                 "mtvuk-cli trf list: %s is an INT file; 'mtvuk-cli int "
                 "stations' lists its stations\n",
                 path.c_str());
    return kExitFailure;
  }
  if (json) {
    nlohmann::ordered_json j;
    j["stations"] = nlohmann::ordered_json::array();
    for (const SectionStation& s : stations) {
      nlohmann::ordered_json o;
      o["name"] = s.name;
      o["x"] = JsonFloat(s.x);
      o["y"] = JsonFloat(s.y);
      o["z"] = JsonFloat(s.z);
      o["depths"] = nlohmann::ordered_json::array();
      o["res"] = nlohmann::ordered_json::array();
      for (int i = 0; i < s.depth_count; ++i) {
        o["depths"].push_back(nlohmann::ordered_json(JsonFloat(s.depth[i])));
        o["res"].push_back(
            nlohmann::ordered_json(JsonFloat(s.depth_resistivity[i])));
      }
      j["stations"].push_back(o);
    }
    std::printf("%s\n", JsonText(j).c_str());
    return kExitOk;
  }
  const std::vector<bool> dup = DuplicateStations(stations);
  std::printf("File: %s\n%s\n", path.c_str(), kStationListHeader);
  for (std::size_t i = 0; i < stations.size(); ++i)
    std::printf("%s\n",
                PrintableText(StationLine(stations[i], dup[i])).c_str());
  for (const SectionStation& s : stations) {
    std::printf("\n# %d %s: %d values\n# %10s %12s\n",
                s.number,
                PrintableText(s.name).c_str(),
                s.depth_count,
                "depth_km",
                "res_ohm_m");
    for (int i = 0; i < s.depth_count; ++i) {
      std::printf("  %10.3f %12.3f\n",
                  static_cast<double>(s.depth[i]),
                  static_cast<double>(s.depth_resistivity[i]));
    }
  }
  return kExitOk;
}

}  // namespace mtvuk::cli
