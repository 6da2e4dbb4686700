// The position of a station in metres, from the LAT, LONG and ELEV texts of
// its field-data file: geographic coordinates become UTM easting and
// northing, coordinates already in metres are kept.
#pragma once

#include <string_view>

namespace mtvuk {

// An angle written as degrees:minutes:seconds ("-22:22:14.9", "139:11:19")
// or as decimal degrees ("-33.5"); a trailing N, S, E or W gives the
// hemisphere. False when the text is neither.
bool ParseDegrees(std::string_view text, double& degrees);

// A plain decimal number with nothing after it but blanks; false otherwise.
bool ParsePlainNumber(std::string_view text, double& value);

// UTM zone 1..60 of a longitude in degrees.
int UtmZone(double longitude);

enum class PositionKind {
  kNone,    // no position in the file (or the default texts)
  kUtm,     // geographic coordinates projected into their UTM zone
  kMetres,  // the file's numbers, taken as metres
};

struct StationPosition {
  double northing = 0.0;   // m: x of the field set, "LAT(m)" of INT files
  double easting = 0.0;    // m: y, "LONG(m)"
  double elevation = 0.0;  // m
  PositionKind kind = PositionKind::kNone;
  int zone = 0;  // UTM zone, kUtm only
  bool south = false;
};

// Latitude and longitude in degrees (both within their ranges and not both
// zero) are projected with PROJ into the UTM zone of the longitude on WGS84
// (northing with the false northing of 10,000 km in the south). Plain
// numbers outside the ranges of degrees are metres and are kept. Anything
// else gives no position (0, 0). The elevation is the number its text
// starts with, in metres.
StationPosition PositionFromTexts(std::string_view lat,
                                  std::string_view lon,
                                  std::string_view elev);

}  // namespace mtvuk
