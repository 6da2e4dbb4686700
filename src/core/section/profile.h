// Geometry of a profile on the map: where a station lies along a polyline,
// and the straight line that best fits a set of stations.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "core/files/int_file.h"

namespace mtvuk {

// A point of the map in metres: easting to the right, northing up.
struct MapPoint {
  double east = 0.0;
  double north = 0.0;
};

// Result files hold the UTM northing in x and the easting in y.
MapPoint StationMapPoint(const SectionStation& station);

struct ProfileProjection {
  double position = -1.0;  // metres along the profile from its first point
  double offset = 0.0;     // distance of the station from the profile, m
};

// The nearest point of the polyline to p, as its arc length from the first
// vertex. A one-point polyline gives position 0; an empty one, nullopt.
std::optional<ProfileProjection> ProjectOntoPolyline(
    const std::vector<MapPoint>& polyline, MapPoint p);

// The straight profile through the centroid along the principal axis of the
// points (total least squares), from the first to the last projection. It
// runs west to east (south to north when it is exactly north-south). nullopt
// when fewer than two distinct points are given.
std::optional<std::array<MapPoint, 2>> AutoProfile(
    const std::vector<MapPoint>& points);

// Sets the profile position of every selected station to its projection
// onto the polyline and of every other station to -1. Returns how many got
// a position.
int AssignProfilePositions(std::vector<SectionStation>& stations,
                           const std::vector<MapPoint>& polyline);

}  // namespace mtvuk
