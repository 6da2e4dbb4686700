#include "core/fielddata/sets_title.h"

#include <vector>

#include "core/fielddata/field_curve.h"

namespace mtvuk {
namespace {

std::string Trimmed(const std::string& s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

}  // namespace

std::string SetsTitle(const FieldSets& sets,
                      const std::array<bool, MaxSets>& shown) {
  std::vector<std::pair<std::string, std::string>> stations;
  for (int k = 0; k < MaxSets; ++k) {
    const FieldSet& s = sets[k];
    if (s.in_use <= 0 || !shown[k]) continue;
    std::string station = Trimmed(s.station);
    if (station.empty()) station = Trimmed(s.label);
    const std::string mode = Trimmed(ModeSlotText(s.mode));
    auto it = stations.begin();
    while (it != stations.end() && it->first != station) ++it;
    if (it == stations.end()) {
      stations.emplace_back(station, mode);
    } else {
      it->second += ", " + mode;
    }
  }
  std::string title;
  for (const auto& [station, modes] : stations) {
    if (!title.empty()) title += "; ";
    title += station + "  " + modes;
  }
  return title;
}

}  // namespace mtvuk
