#include "core/section/profile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mtvuk {

MapPoint StationMapPoint(const SectionStation& station) {
  return {station.y, station.x};
}

std::optional<ProfileProjection> ProjectOntoPolyline(
    const std::vector<MapPoint>& polyline, MapPoint p) {
  if (polyline.empty()) return std::nullopt;
  if (polyline.size() == 1) {
    return ProfileProjection{0.0, std::hypot(p.east - polyline[0].east,
                                             p.north - polyline[0].north)};
  }
  ProfileProjection best{0.0, std::numeric_limits<double>::infinity()};
  double start = 0.0;
  for (std::size_t i = 0; i + 1 < polyline.size(); ++i) {
    const MapPoint a = polyline[i];
    const MapPoint b = polyline[i + 1];
    const double dx = b.east - a.east;
    const double dy = b.north - a.north;
    const double length = std::hypot(dx, dy);
    double t = 0.0;
    if (length > 0.0) {
      t = ((p.east - a.east) * dx + (p.north - a.north) * dy) /
          (length * length);
      t = std::clamp(t, 0.0, 1.0);
    }
    const double distance =
        std::hypot(a.east + t * dx - p.east, a.north + t * dy - p.north);
    // Strictly nearer only: a station at a vertex belongs to the earlier
    // segment, which gives the same position.
    if (distance < best.offset) best = {start + t * length, distance};
    start += length;
  }
  return best;
}

std::optional<std::array<MapPoint, 2>> AutoProfile(
    const std::vector<MapPoint>& points) {
  if (points.size() < 2) return std::nullopt;
  double ce = 0.0, cn = 0.0;
  for (const MapPoint& p : points) {
    ce += p.east;
    cn += p.north;
  }
  ce /= static_cast<double>(points.size());
  cn /= static_cast<double>(points.size());
  double see = 0.0, snn = 0.0, sen = 0.0;
  for (const MapPoint& p : points) {
    const double de = p.east - ce;
    const double dn = p.north - cn;
    see += de * de;
    snn += dn * dn;
    sen += de * dn;
  }
  if (see + snn <= 0.0) return std::nullopt;
  // Direction of the larger eigenvalue of the 2 x 2 scatter matrix.
  const double angle = 0.5 * std::atan2(2.0 * sen, see - snn);
  double ue = std::cos(angle);
  double un = std::sin(angle);
  if (ue < 0.0 || (ue == 0.0 && un < 0.0)) {
    ue = -ue;
    un = -un;
  }
  double lo = std::numeric_limits<double>::infinity();
  double hi = -lo;
  for (const MapPoint& p : points) {
    const double s = (p.east - ce) * ue + (p.north - cn) * un;
    lo = std::min(lo, s);
    hi = std::max(hi, s);
  }
  return std::array<MapPoint, 2>{MapPoint{ce + lo * ue, cn + lo * un},
                                 MapPoint{ce + hi * ue, cn + hi * un}};
}

int AssignProfilePositions(std::vector<SectionStation>& stations,
                           const std::vector<MapPoint>& polyline) {
  int placed = 0;
  for (SectionStation& station : stations) {
    station.profile_position = -1.0;
    if (station.selected == 0) continue;
    const auto projection =
        ProjectOntoPolyline(polyline, StationMapPoint(station));
    if (!projection) continue;
    station.profile_position = projection->position;
    ++placed;
  }
  return placed;
}

}  // namespace mtvuk
