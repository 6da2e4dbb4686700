#include "profile_shift_command.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "core/dimensionality/profile_shift.h"
#include "core/fielddata/sounding_list.h"
#include "core/platform/console_ui.h"
#include "core/store/store_defaults.h"
#include "field_commands.h"
#include "json_output.h"

namespace mtvuk::cli {
namespace {

using Json = nlohmann::ordered_json;

struct Station {
  std::string file;
  std::string label;
  double log_rho = 0.0;  // mean log10 rho_a at the shortest periods
};

// The station of one file: its curve of the chosen polarisation, as read
// (a shift the file carries is part of the data).
bool ReadStation(const std::string& file,
                 const ProfileShiftCliOptions& o,
                 Station& station) {
  auto stores = std::make_unique<Stores>();
  Workspace& ws = stores->workspace;
  ApplyStartDefaults(ws, stores->sets, stores->models);
  ConsoleUi ui;
  if (!ReadSounding(file, ws, ui, o.import)) return false;
  SoundingList list(ws, stores->sets, stores->models, ui);
  if (!list.SetTick(o.mode, true) || !list.Ok()) return false;
  const FieldSet& set = stores->sets[list.chosen_slot(o.mode)];
  station.file = file;
  station.label = set.label;
  station.log_rho = ShortestPeriodLogRho(set, o.periods);
  if (!std::isfinite(station.log_rho)) {
    std::fprintf(stderr,
                 "mtvuk-cli shift: %s: the %s curve has no used period\n",
                 file.c_str(),
                 ModeName(o.mode));
    return false;
  }
  return true;
}

}  // namespace

int RunProfileShift(const ProfileShiftCliOptions& o) {
  if (static_cast<int>(o.files.size()) < kMinProfileStations) {
    std::fprintf(stderr,
                 "mtvuk-cli shift: --profile needs the files of at least %d "
                 "stations (%zu given)\n",
                 kMinProfileStations,
                 o.files.size());
    return kExitUsage;
  }
  std::vector<Station> stations(o.files.size());
  std::vector<double> log_rho;
  for (std::size_t i = 0; i < o.files.size(); ++i) {
    if (!ReadStation(o.files[i], o, stations[i])) return kExitFailure;
    log_rho.push_back(stations[i].log_rho);
  }
  const std::vector<double> factors = ShiftsFromProfile(log_rho);
  // Every station moved by its factor lies on the median.
  const double median = log_rho[0] + std::log10(factors[0]);
  if (o.json) {
    Json j;
    j["method"] = "profile median";
    j["mode"] = ModeName(o.mode);
    j["periods"] = o.periods;
    j["median_rho_a"] = std::pow(10.0, median);
    j["stations"] = Json::array();
    for (std::size_t i = 0; i < stations.size(); ++i) {
      j["stations"].push_back({{"file", stations[i].file},
                               {"label", stations[i].label},
                               {"rho_a", std::pow(10.0, stations[i].log_rho)},
                               {"static_shift", factors[i]}});
    }
    std::printf("%s\n", JsonText(j).c_str());
    return kExitOk;
  }
  std::printf(
      "# static shift along the profile: %s rho_a at the %d shortest "
      "periods of %zu stations onto their median %.5g Ohm-m\n",
      ModeName(o.mode),
      o.periods,
      stations.size(),
      std::pow(10.0, median));
  std::printf("%-14s %12s %10s  %s\n", "label", "rho_a", "shift", "file");
  for (std::size_t i = 0; i < stations.size(); ++i) {
    std::printf("%-14s %12.5g %10.4f  %s\n",
                stations[i].label.c_str(),
                std::pow(10.0, stations[i].log_rho),
                factors[i],
                stations[i].file.c_str());
  }
  return kExitOk;
}

}  // namespace mtvuk::cli
