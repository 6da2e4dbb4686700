#include "core/section/section_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr float kKmToM = 1000.0f;
// Layer counts beyond the record's arrays are never read.
constexpr int kMaxStationLayers = 102;
constexpr int kMaxCurveValues = 100;

// Sea water is 0.2..0.35 Ohm-m; a first layer up to 1 Ohm-m whose
// thickness is the water depth within 10 % (at least 50 m) is the sea.
constexpr double kSeaWaterMaxRho = 1.0;
constexpr double kSeaDepthTolerance = 0.1;
// Columns at one place are spread over this share of the gap to the next
// place along the profile (2 km when there is no other place).
constexpr double kSpreadShare = 0.6;
constexpr double kLonePlaceGapKm = 2.0;
// Where a depth transformation breaks down: beyond these resistivities, or
// a depth more than this factor below the one before.
constexpr double kResolvedRhoMin = 0.01;
constexpr double kResolvedRhoMax = 1e5;
constexpr double kResolvedDepthStep = 2.0;

bool UsableRho(double rho) { return std::isfinite(rho) && rho > 0.0; }

double ResolvedDepth(const std::vector<double>& depth,
                     const std::vector<double>& rho) {
  double resolved = 0.0;
  for (std::size_t i = 0; i < depth.size(); ++i) {
    if (rho[i] < kResolvedRhoMin || rho[i] > kResolvedRhoMax) break;
    if (i > 0 && depth[i - 1] > 0.0 &&
        depth[i] > kResolvedDepthStep * depth[i - 1]) {
      break;
    }
    resolved = depth[i];
  }
  return resolved;
}

SectionColumn IntColumn(const SectionStation& s) {
  SectionColumn c;
  const int n = std::clamp<int>(s.layer_count, 0, kMaxStationLayers);
  double top = 0.0;
  for (int j = 0; j < n; ++j) {
    const double rho = s.resistivity[j];
    const bool last = j == n - 1;
    const double h = s.thickness[j] * 0.001;  // metres in a section
    if (!last && !(std::isfinite(h) && h > 0.0)) continue;
    const double bottom = last ? kInf : top + h;
    if (UsableRho(rho)) c.layers.push_back({top, bottom, rho, std::log10(rho)});
    top = bottom;
  }
  // A layer left out (a bad value) leaves its place to the layer above.
  for (std::size_t j = 1; j < c.layers.size(); ++j)
    c.layers[j].top_km = c.layers[j - 1].bottom_km;
  if (!c.layers.empty()) {
    c.layers.front().top_km = 0.0;
    c.layers.back().bottom_km = kInf;
  }
  c.deepest_km = kInf;
  return c;
}

SectionColumn TrfColumn(const SectionStation& s) {
  SectionColumn c;
  const int n = std::clamp(s.depth_count, 0, kMaxCurveValues);
  std::vector<std::pair<double, double>> points;
  for (int i = 0; i < n; ++i) {
    const double depth = std::fabs(static_cast<double>(s.depth[i])) * 0.001;
    const double rho = s.depth_resistivity[i];
    if (std::isfinite(depth) && UsableRho(rho)) points.push_back({depth, rho});
  }
  std::stable_sort(points.begin(), points.end(), [](auto& a, auto& b) {
    return a.first < b.first;
  });
  for (const auto& [depth, rho] : points) {
    c.curve_depth_km.push_back(depth);
    c.curve_rho.push_back(rho);
    c.curve_log_rho.push_back(std::log10(rho));
  }
  c.deepest_km = points.empty() ? 0.0 : points.back().first;
  c.resolved_km = ResolvedDepth(c.curve_depth_km, c.curve_rho);
  return c;
}

// A sea layer: the first layer of a station below sea level, as
// conductive as sea water and about as thick as the water above the
// station.
bool IsSeaLayer(const SectionColumn& c) {
  if (!(c.elevation_m < 0.0) || c.layers.size() < 2) return false;
  const SectionLayer& top = c.layers.front();
  const double water_km = -c.elevation_m * 0.001;
  const double tolerance = std::max(kSeaDepthTolerance * water_km, 0.05);
  return top.rho <= kSeaWaterMaxRho &&
         std::fabs(top.bottom_km - water_km) <= tolerance;
}

// The sea layer leaves the model: the layers below rise by its thickness,
// so that the column starts at the seafloor.
double RemoveSeaLayer(SectionColumn& c) {
  const double h = c.layers.front().bottom_km;
  c.layers.erase(c.layers.begin());
  for (SectionLayer& l : c.layers) {
    l.top_km -= h;
    l.bottom_km -= h;
  }
  c.layers.front().top_km = 0.0;
  return h;
}

}  // namespace

std::vector<SectionStation> SectionStationsFromFile(
    const std::vector<SectionStation>& stations, SectionSource source) {
  std::vector<SectionStation> out;
  for (const SectionStation& s : stations) {
    if (!(s.profile_position >= 0.0) || !std::isfinite(s.profile_position))
      continue;
    SectionStation m = s;
    if (source == SectionSource::kInt) {
      for (float& h : m.thickness) h *= kKmToM;
    } else {
      for (float& d : m.depth) d *= kKmToM;
    }
    out.push_back(std::move(m));
  }
  std::stable_sort(out.begin(), out.end(), [](auto& a, auto& b) {
    return a.profile_position < b.profile_position;
  });
  return out;
}

std::vector<SectionStation> StationsForSaving(
    const std::vector<SectionStation>& section_stations) {
  std::vector<SectionStation> out = section_stations;
  for (SectionStation& s : out) s.x = static_cast<float>(s.profile_position);
  return out;
}

bool StationHasValues(const SectionStation& station, SectionSource source) {
  if (!std::isfinite(station.x) || !std::isfinite(station.y)) return false;
  const SectionColumn c =
      source == SectionSource::kInt ? IntColumn(station) : TrfColumn(station);
  return !c.layers.empty() || !c.curve_rho.empty();
}

SectionModel::SectionModel(const std::vector<SectionStation>& stations,
                           SectionSource source,
                           bool use_elevation,
                           SectionPolarisation polarisation)
    : source_(source), polarisation_(polarisation) {
  for (const SectionStation& s : stations) {
    if (!(s.profile_position >= 0.0) || !std::isfinite(s.profile_position))
      continue;
    if (polarisation != SectionPolarisation::kBoth &&
        PolarisationOfName(s.name) != polarisation) {
      continue;
    }
    SectionColumn c =
        source == SectionSource::kInt ? IntColumn(s) : TrfColumn(s);
    if (c.layers.empty() && c.curve_rho.empty()) continue;
    c.name = s.name;
    c.number = s.number;
    c.position_km = s.profile_position * 0.001;
    c.draw_km = c.position_km;
    c.elevation_m = std::isfinite(s.z) ? s.z : 0.0;
    columns_.push_back(std::move(c));
  }
  std::stable_sort(columns_.begin(), columns_.end(), [](auto& a, auto& b) {
    return a.position_km < b.position_km;
  });
  SpreadSamePlace();
  LabelColumns();
  // Depth of each station's top below its elevation: the model's sea
  // layer is water, not ground.
  std::vector<double> sea_km(columns_.size(), 0.0);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    SectionColumn& c = columns_[i];
    if (IsSeaLayer(c)) {
      c.sea_layer = true;
      sea_km[i] = RemoveSeaLayer(c);
    }
  }
  if (use_elevation && !columns_.empty()) {
    double highest = -kInf;
    bool below_sea = false;
    for (const SectionColumn& c : columns_) {
      highest = std::max(highest, c.elevation_m);
      below_sea = below_sea || c.elevation_m < 0.0;
    }
    // Under the sea the datum is the sea surface, so that the water shows.
    if (below_sea) highest = std::max(highest, 0.0);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      SectionColumn& c = columns_[i];
      // A model that holds the sea hangs from the sea surface; its seafloor
      // is where its sea layer ends.
      c.surface_km = c.sea_layer ? highest * 0.001 + sea_km[i]
                                 : (highest - c.elevation_m) * 0.001;
    }
    if (below_sea) sea_level_km_ = highest * 0.001;
  }
  double lo = kInf, hi = -kInf;
  for (const SectionColumn& c : columns_) {
    for (const SectionLayer& l : c.layers) {
      lo = std::min(lo, l.rho);
      hi = std::max(hi, l.rho);
    }
    for (double rho : c.curve_rho) {
      lo = std::min(lo, rho);
      hi = std::max(hi, rho);
    }
  }
  if (lo > hi) {
    range_ = {1.0, 1000.0};
  } else if (lo == hi) {
    range_ = {lo / std::sqrt(10.0), hi * std::sqrt(10.0)};
  } else {
    range_ = {lo, hi};
  }
}

void SectionModel::SpreadSamePlace() {
  std::size_t first = 0;
  while (first < columns_.size()) {
    std::size_t end = first + 1;
    while (end < columns_.size() &&
           columns_[end].position_km - columns_[first].position_km <=
               kSamePlaceKm) {
      ++end;
    }
    const std::size_t k = end - first;
    if (k > 1) {
      const double p = columns_[first].position_km;
      double gap = kInf;
      if (first > 0) gap = p - columns_[first - 1].position_km;
      if (end < columns_.size())
        gap = std::min(gap, columns_[end].position_km - p);
      if (!std::isfinite(gap)) gap = kLonePlaceGapKm;
      const double step = kSpreadShare * gap / static_cast<double>(k);
      for (std::size_t i = first; i < end; ++i) {
        const double offset =
            static_cast<double>(i - first) - (static_cast<double>(k) - 1) / 2;
        columns_[i].draw_km = p + offset * step;
      }
    }
    first = end;
  }
}

void SectionModel::LabelColumns() {
  auto trimmed = [](const std::string& s) {
    const std::size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return std::string();
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
  };
  std::map<std::string, int> uses;
  for (SectionColumn& c : columns_) {
    c.label = trimmed(c.name);
    ++uses[c.label];
  }
  for (SectionColumn& c : columns_) {
    if (uses[c.label] > 1 || c.label.empty()) {
      c.label += (c.label.empty() ? "#" : " #") + std::to_string(c.number);
    }
  }
}

double SectionModel::AutoDepthKm() const {
  std::vector<double> deepest;
  for (const SectionColumn& c : columns_) {
    if (source_ == SectionSource::kTrf) {
      deepest.push_back(c.surface_km + c.resolved_km);
    } else if (c.layers.size() > 1) {
      deepest.push_back(c.surface_km + 1.5 * c.layers.back().top_km);
    }
  }
  // A section of half-spaces has no depth scale of its own.
  if (deepest.empty()) return 1.0;
  std::sort(deepest.begin(), deepest.end());
  // Layered models: the median station, so that one badly resolved
  // basement does not stretch the section; curves: the deepest resolved.
  const std::size_t n = deepest.size();
  const double depth = source_ == SectionSource::kInt
                           ? (deepest[(n - 1) / 2] + deepest[n / 2]) / 2.0
                           : deepest.back();
  if (!(depth > 0.0)) return 1.0;
  return std::clamp(depth, 0.1, kMaxAutoDepthKm);
}

double SectionModel::LogRhoAt(const SectionColumn& column, double depth_km) {
  if (!column.layers.empty()) {
    const auto it = std::upper_bound(
        column.layers.begin(),
        column.layers.end(),
        depth_km,
        [](double d, const SectionLayer& l) { return d < l.bottom_km; });
    const SectionLayer& l =
        it == column.layers.end() ? column.layers.back() : *it;
    return l.log_rho;
  }
  const auto& d = column.curve_depth_km;
  const auto& r = column.curve_log_rho;
  if (d.empty() || depth_km > column.deepest_km) return kNaN;
  if (depth_km <= d.front()) return r.front();
  const std::size_t i = static_cast<std::size_t>(
      std::upper_bound(d.begin(), d.end(), depth_km) - d.begin());
  if (i >= d.size()) return r.back();
  const double a = r[i - 1], b = r[i];
  const double span = d[i] - d[i - 1];
  if (!(span > 0.0)) return b;
  const double w = (depth_km - d[i - 1]) / span;
  return a + w * (b - a);
}

double SectionModel::SurfaceAt(double draw_km) const {
  if (columns_.empty()) return 0.0;
  if (draw_km <= columns_.front().draw_km) return columns_.front().surface_km;
  if (draw_km >= columns_.back().draw_km) return columns_.back().surface_km;
  const auto it = std::upper_bound(
      columns_.begin(),
      columns_.end(),
      draw_km,
      [](double p, const SectionColumn& c) { return p < c.draw_km; });
  const SectionColumn& b = *it;
  const SectionColumn& a = *(it - 1);
  const double span = b.draw_km - a.draw_km;
  const double w = span > 0.0 ? (draw_km - a.draw_km) / span : 0.0;
  return a.surface_km + w * (b.surface_km - a.surface_km);
}

int ColourBand(double rho, double rho_min, double rho_max, int count) {
  if (count <= 1) return 0;
  const double lo = std::log10(rho_min), hi = std::log10(rho_max);
  double t = 0.5;
  if (hi > lo) t = (std::log10(rho) - lo) / (hi - lo);
  if (std::isnan(t)) t = 0.0;  // no value: the low end
  const double band = std::floor(std::clamp(t, 0.0, 1.0) * count);
  return std::clamp(static_cast<int>(band), 0, count - 1);
}

Rgb SectionColour(const SectionColourBlock& block,
                  const ColourRamps& ramps,
                  double rho,
                  double rho_min,
                  double rho_max) {
  const ColourRamp& ramp = PaletteRamp(ramps, block.palette());
  const int count = std::clamp(block.count, 0, kColourListSize);
  if (count == 0) return ramp[ColourBand(rho, rho_min, rho_max, kRampWalk)];
  const int band = ColourBand(rho, rho_min, rho_max, count);
  return ramp[std::min<int>(block.bytes[band], kRampSize - 1)];
}

void ResetColourList(SectionColourBlock& block) {
  for (int i = 0; i < kRampWalk; ++i)
    block.bytes[i] = static_cast<std::uint8_t>(i);
  block.count = kRampWalk;
}

}  // namespace mtvuk
