#include "core/section/section_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mtvuk {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr float kKmToM = 1000.0f;
// Layer counts beyond the record's arrays are never read.
constexpr int kMaxStationLayers = 102;
constexpr int kMaxCurveValues = 100;

bool UsableRho(double rho) { return std::isfinite(rho) && rho > 0.0; }

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
    if (UsableRho(rho))
      c.layers.push_back({top, bottom, rho, std::log10(rho)});
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
  return c;
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
  const SectionColumn c = source == SectionSource::kInt ? IntColumn(station)
                                                         : TrfColumn(station);
  return !c.layers.empty() || !c.curve_rho.empty();
}

SectionModel::SectionModel(const std::vector<SectionStation>& stations,
                           SectionSource source,
                           bool use_elevation)
    : source_(source) {
  for (const SectionStation& s : stations) {
    if (!(s.profile_position >= 0.0) || !std::isfinite(s.profile_position))
      continue;
    SectionColumn c = source == SectionSource::kInt ? IntColumn(s)
                                                     : TrfColumn(s);
    if (c.layers.empty() && c.curve_rho.empty()) continue;
    c.name = s.name;
    c.position_km = s.profile_position * 0.001;
    c.elevation_m = std::isfinite(s.z) ? s.z : 0.0;
    columns_.push_back(std::move(c));
  }
  std::stable_sort(columns_.begin(), columns_.end(), [](auto& a, auto& b) {
    return a.position_km < b.position_km;
  });
  if (use_elevation && !columns_.empty()) {
    double highest = -kInf;
    for (const SectionColumn& c : columns_)
      highest = std::max(highest, c.elevation_m);
    for (SectionColumn& c : columns_)
      c.surface_km = (highest - c.elevation_m) * 0.001;
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

double SectionModel::AutoDepthKm() const {
  std::vector<double> deepest;
  for (const SectionColumn& c : columns_) {
    if (source_ == SectionSource::kTrf) {
      deepest.push_back(c.surface_km + c.deepest_km);
    } else if (c.layers.size() > 1) {
      deepest.push_back(c.surface_km + c.layers.back().top_km);
    }
  }
  // A section of half-spaces has no depth scale of its own.
  if (deepest.empty()) return 1.0;
  std::sort(deepest.begin(), deepest.end());
  const std::size_t n = deepest.size();
  const double median = (deepest[(n - 1) / 2] + deepest[n / 2]) / 2.0;
  const double depth =
      source_ == SectionSource::kInt ? 1.5 * median : deepest.back();
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

double SectionModel::SurfaceAt(double position_km) const {
  if (columns_.empty()) return 0.0;
  if (position_km <= columns_.front().position_km)
    return columns_.front().surface_km;
  if (position_km >= columns_.back().position_km)
    return columns_.back().surface_km;
  const auto it = std::upper_bound(
      columns_.begin(),
      columns_.end(),
      position_km,
      [](double p, const SectionColumn& c) { return p < c.position_km; });
  const SectionColumn& b = *it;
  const SectionColumn& a = *(it - 1);
  const double span = b.position_km - a.position_km;
  const double w = span > 0.0 ? (position_km - a.position_km) / span : 0.0;
  return a.surface_km + w * (b.surface_km - a.surface_km);
}

double TomographyGrid::CellX(int ix) const {
  return left_km + (ix + 0.5) * (right_km - left_km) / nx;
}

double TomographyGrid::CellDepth(int iy) const {
  if (!log_depth) return top_km + (iy + 0.5) * (bottom_km - top_km) / ny;
  const double a = std::log10(top_km), b = std::log10(bottom_km);
  return std::pow(10.0, a + (iy + 0.5) * (b - a) / ny);
}

TomographyGrid BuildTomographyGrid(const SectionModel& model,
                                   int nx,
                                   int ny,
                                   double top_km,
                                   double bottom_km,
                                   bool log_depth) {
  TomographyGrid g;
  const auto& cols = model.columns();
  if (cols.empty() || nx < 1 || ny < 1 || !(bottom_km > top_km) ||
      (log_depth && !(top_km > 0.0))) {
    return g;
  }
  g.nx = nx;
  g.ny = ny;
  g.left_km = cols.front().position_km;
  g.right_km = cols.back().position_km;
  g.top_km = top_km;
  g.bottom_km = bottom_km;
  g.log_depth = log_depth;
  g.log_rho.assign(static_cast<std::size_t>(nx) * ny, kNaN);
  // Lower edges of the rows, for the ground test.
  std::vector<double> lower(ny), centre(ny);
  for (int iy = 0; iy < ny; ++iy) centre[iy] = g.CellDepth(iy);
  const double la = log_depth ? std::log10(top_km) : top_km;
  const double lb = log_depth ? std::log10(bottom_km) : bottom_km;
  for (int iy = 0; iy < ny; ++iy) {
    const double e = la + (iy + 1.0) * (lb - la) / ny;
    lower[iy] = log_depth ? std::pow(10.0, e) : e;
  }
  for (int ix = 0; ix < nx; ++ix) {
    const double x = cols.size() == 1 ? cols[0].position_km : g.CellX(ix);
    auto it = std::upper_bound(
        cols.begin(), cols.end(), x, [](double p, const SectionColumn& c) {
          return p < c.position_km;
        });
    std::size_t i = static_cast<std::size_t>(it - cols.begin());
    i = i == 0 ? 0 : std::min(i - 1, cols.size() - 1);
    const std::size_t j = std::min(i + 1, cols.size() - 1);
    const SectionColumn& a = cols[i];
    const SectionColumn& b = cols[j];
    const double span = b.position_km - a.position_km;
    const double w =
        span > 0.0 ? std::clamp((x - a.position_km) / span, 0.0, 1.0) : 0.0;
    const double surface = a.surface_km + w * (b.surface_km - a.surface_km);
    const double deepest = w == 0.0   ? a.deepest_km
                           : w == 1.0 ? b.deepest_km
                                      : a.deepest_km +
                                            w * (b.deepest_km - a.deepest_km);
    for (int iy = 0; iy < ny; ++iy) {
      if (lower[iy] <= surface) continue;  // air
      const double u = std::max(centre[iy] - surface, 0.0);
      if (u > deepest) continue;  // below what the curves tell
      const double va = SectionModel::LogRhoAt(a, std::min(u, a.deepest_km));
      const double vb = SectionModel::LogRhoAt(b, std::min(u, b.deepest_km));
      g.log_rho[static_cast<std::size_t>(ix) * ny + iy] =
          w == 0.0 ? va : w == 1.0 ? vb : va + w * (vb - va);
    }
  }
  return g;
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

std::vector<bool> ThinLabels(const std::vector<double>& centres,
                             const std::vector<double>& widths,
                             double gap) {
  std::vector<bool> shown(centres.size(), false);
  double end = -kInf;
  for (std::size_t i = 0; i < centres.size() && i < widths.size(); ++i) {
    const double start = centres[i] - widths[i] / 2.0;
    if (start >= end + gap) {
      shown[i] = true;
      end = centres[i] + widths[i] / 2.0;
    }
  }
  return shown;
}

}  // namespace mtvuk
