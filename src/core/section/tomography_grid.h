// The interpolated image of a profile section ("as Tomography").
#pragma once

#include <vector>

#include "core/section/section_model.h"

namespace mtvuk {

// How the image is filled between two neighbouring columns.
enum class TomographyMethod {
  // Interfaces join: a layer boundary runs in a straight line from its
  // depth under one station to its depth under the next, and log10 rho is
  // blended along those lines. Models with the same number of layers join
  // layer by layer; others (and transformation curves) join equal fractions
  // of each station's deepest interface (deepest curve depth).
  kFollowLayers,
  // log10 rho blended at equal depths below the surface: an interface that
  // changes depth becomes a lateral fade.
  kLevelDepths,
  // Each cell takes the nearer station's value: the layered columns
  // stitched side by side.
  kNearestStation,
};

inline constexpr int kTomographyMethodCount = 3;

// The interpolated image of a section: nx x ny cells between the first and
// the last column and between `top_km` and `bottom_km` below the datum,
// the rows evenly spaced in depth or in log depth.
struct TomographyGrid {
  int nx = 0, ny = 0;
  double left_km = 0.0, right_km = 0.0;  // outer edges of the cells
  double top_km = 0.0, bottom_km = 0.0;
  bool log_depth = false;
  // log10 rho of cell (ix, iy) at ix * ny + iy; NaN above the surface, in
  // the sea and below the deepest depth of TRF curves.
  std::vector<double> log_rho;

  double CellX(int ix) const;      // centre, km along the profile
  double CellDepth(int iy) const;  // centre, km below the datum
  double At(int ix, int iy) const {
    return log_rho[static_cast<std::size_t>(ix) * ny + iy];
  }
};

// log10 rho between two columns, at the share `w` (0 at `a`, 1 at `b`) of
// the way and `depth_km` below the interpolated surface; NaN below what
// the stations tell.
double BlendedLogRho(const SectionColumn& a,
                     const SectionColumn& b,
                     double w,
                     double depth_km,
                     TomographyMethod method);

// The image, each column read at its drawn position. An image value always
// lies between its two stations' values. A cell counts as ground when its
// lower edge is below the surface (the picture covers the overshoot with
// the air above the surface line), so that no gap opens between the surface
// line and the image. With a single column the image is that column.
// log_depth needs top_km > 0.
TomographyGrid BuildTomographyGrid(
    const SectionModel& model,
    int nx,
    int ny,
    double top_km,
    double bottom_km,
    bool log_depth,
    TomographyMethod method = TomographyMethod::kFollowLayers);

}  // namespace mtvuk
