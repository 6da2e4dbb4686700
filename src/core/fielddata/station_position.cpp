#include "core/fielddata/station_position.h"

#include <proj.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/formats/format_text.h"
#include "core/platform/c_number.h"

namespace mtvuk {
namespace {

using format_text::Trim;

// Projects a point with one PROJ operation; false when PROJ cannot.
bool ProjectUtm(double lat, double lon, StationPosition& out) {
  const int zone = UtmZone(lon);
  const bool south = lat < 0.0;
  char definition[96];
  std::snprintf(definition,
                sizeof definition,
                "+proj=utm +zone=%d%s +ellps=WGS84 +units=m",
                zone,
                south ? " +south" : "");
  PJ_CONTEXT* context = proj_context_create();
  if (context == nullptr) return false;
  proj_log_level(context, PJ_LOG_NONE);
  PJ* utm = proj_create(context, definition);
  bool ok = false;
  if (utm != nullptr) {
    const PJ_COORD xy = proj_trans(
        utm, PJ_FWD, proj_coord(proj_torad(lon), proj_torad(lat), 0.0, 0.0));
    if (std::isfinite(xy.enu.e) && std::isfinite(xy.enu.n)) {
      out.easting = xy.enu.e;
      out.northing = xy.enu.n;
      out.zone = zone;
      out.south = south;
      out.kind = PositionKind::kUtm;
      ok = true;
    }
    proj_destroy(utm);
  }
  proj_context_destroy(context);
  return ok;
}

}  // namespace

bool ParsePlainNumber(std::string_view text, double& value) {
  text = Trim(text);
  return ParseNumber(text, value) && std::isfinite(value);
}

bool ParseDegrees(std::string_view text, double& degrees) {
  text = Trim(text);
  double hemisphere = 1.0;
  if (!text.empty()) {
    const char h = static_cast<char>(
        std::toupper(static_cast<unsigned char>(text.back())));
    if (h == 'N' || h == 'S' || h == 'E' || h == 'W') {
      hemisphere = (h == 'S' || h == 'W') ? -1.0 : 1.0;
      text = Trim(text.substr(0, text.size() - 1));
    }
  }
  if (text.empty()) return false;
  const bool negative = text.front() == '-';
  double parts[3] = {0.0, 0.0, 0.0};
  int count = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t colon = text.find(':', start);
    const std::string_view part = text.substr(
        start, colon == std::string_view::npos ? colon : colon - start);
    if (count == 3 || !ParsePlainNumber(part, parts[count])) return false;
    ++count;
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  // Minutes and seconds count away from zero like the degrees before them.
  const double magnitude =
      std::fabs(parts[0]) + std::fabs(parts[1]) / 60.0 + parts[2] / 3600.0;
  if (count > 1 && (parts[1] < 0.0 || parts[2] < 0.0 || parts[1] >= 60.0 ||
                    parts[2] >= 60.0)) {
    return false;
  }
  degrees = hemisphere * (negative || parts[0] < 0.0 ? -magnitude : magnitude);
  return std::isfinite(degrees);
}

int UtmZone(double longitude) {
  const double wrapped =
      longitude - 360.0 * std::floor((longitude + 180.0) / 360.0);
  const int zone = static_cast<int>(std::floor((wrapped + 180.0) / 6.0)) + 1;
  return zone < 1 ? 1 : zone > 60 ? 60 : zone;
}

StationPosition PositionFromTexts(std::string_view lat,
                                  std::string_view lon,
                                  std::string_view elev) {
  StationPosition p;
  p.elevation = AtoF(elev);
  if (!std::isfinite(p.elevation)) p.elevation = 0.0;
  double a = 0.0, b = 0.0;
  if (ParseDegrees(lat, a) && ParseDegrees(lon, b) && std::fabs(a) <= 90.0 &&
      std::fabs(b) <= 180.0) {
    // 0, 0 are the default texts of a file without coordinates.
    if (a != 0.0 || b != 0.0) ProjectUtm(a, b, p);
    return p;
  }
  if (ParsePlainNumber(lat, a) && ParsePlainNumber(lon, b)) {
    p.northing = a;
    p.easting = b;
    p.kind = PositionKind::kMetres;
  }
  return p;
}

}  // namespace mtvuk
