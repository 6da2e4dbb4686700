#include "core/section/tomography_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

double Blend(double va, double vb, double w) {
  if (w == 0.0) return va;
  if (w == 1.0) return vb;
  return va + w * (vb - va);
}

// The depth scale of a column for joining equal fractions: its deepest
// interface, or the deepest depth of its curve; 0 for a half-space.
double JoiningDepth(const SectionColumn& c) {
  if (!c.layers.empty())
    return c.layers.size() > 1 ? c.layers.back().top_km : 0.0;
  return c.deepest_km;
}

// The deepest depth two columns tell about at share w; a layered model
// tells about every depth.
double DeepestBetween(const SectionColumn& a,
                      const SectionColumn& b,
                      double w) {
  if (std::isinf(a.deepest_km) || std::isinf(b.deepest_km))
    return std::numeric_limits<double>::infinity();
  return Blend(a.deepest_km, b.deepest_km, w);
}

double LevelDepths(const SectionColumn& a,
                   const SectionColumn& b,
                   double w,
                   double u) {
  const double va = SectionModel::LogRhoAt(a, std::min(u, a.deepest_km));
  const double vb = SectionModel::LogRhoAt(b, std::min(u, b.deepest_km));
  return Blend(va, vb, w);
}

double FollowLayers(const SectionColumn& a,
                    const SectionColumn& b,
                    double w,
                    double u) {
  const std::size_t n = a.layers.size();
  if (n > 0 && n == b.layers.size()) {
    // Layer k holds u when u lies between the joined interfaces k and k + 1.
    std::size_t k = 0;
    for (std::size_t j = 1; j < n; ++j) {
      if (u < Blend(a.layers[j].top_km, b.layers[j].top_km, w)) break;
      k = j;
    }
    return Blend(a.layers[k].log_rho, b.layers[k].log_rho, w);
  }
  double da = JoiningDepth(a), db = JoiningDepth(b);
  if (!(da > 0.0)) da = db;
  if (!(db > 0.0)) db = da;
  if (!(da > 0.0)) return LevelDepths(a, b, w, u);
  // The point lies at the fraction t of the joined depth scale; each
  // station is read at the same fraction of its own.
  const double t = u / Blend(da, db, w);
  const double va = SectionModel::LogRhoAt(a, std::min(t * da, a.deepest_km));
  const double vb = SectionModel::LogRhoAt(b, std::min(t * db, b.deepest_km));
  return Blend(va, vb, w);
}

}  // namespace

double TomographyGrid::CellX(int ix) const {
  return left_km + (ix + 0.5) * (right_km - left_km) / nx;
}

double TomographyGrid::CellDepth(int iy) const {
  if (!log_depth) return top_km + (iy + 0.5) * (bottom_km - top_km) / ny;
  const double a = std::log10(top_km), b = std::log10(bottom_km);
  return std::pow(10.0, a + (iy + 0.5) * (b - a) / ny);
}

double BlendedLogRho(const SectionColumn& a,
                     const SectionColumn& b,
                     double w,
                     double depth_km,
                     TomographyMethod method) {
  if (depth_km > DeepestBetween(a, b, w)) return kNaN;
  switch (method) {
    case TomographyMethod::kNearestStation: {
      const SectionColumn& c = w < 0.5 ? a : b;
      if (depth_km > c.deepest_km) return kNaN;
      return SectionModel::LogRhoAt(c, depth_km);
    }
    case TomographyMethod::kLevelDepths:
      return LevelDepths(a, b, w, depth_km);
    case TomographyMethod::kFollowLayers:
      break;
  }
  return FollowLayers(a, b, w, depth_km);
}

TomographyGrid BuildTomographyGrid(const SectionModel& model,
                                   int nx,
                                   int ny,
                                   double top_km,
                                   double bottom_km,
                                   bool log_depth,
                                   TomographyMethod method) {
  TomographyGrid g;
  const auto& cols = model.columns();
  if (cols.empty() || nx < 1 || ny < 1 || !(bottom_km > top_km) ||
      (log_depth && !(top_km > 0.0))) {
    return g;
  }
  g.nx = nx;
  g.ny = ny;
  g.left_km = cols.front().draw_km;
  g.right_km = cols.back().draw_km;
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
    const double x = cols.size() == 1 ? cols[0].draw_km : g.CellX(ix);
    auto it = std::upper_bound(
        cols.begin(), cols.end(), x, [](double p, const SectionColumn& c) {
          return p < c.draw_km;
        });
    std::size_t i = static_cast<std::size_t>(it - cols.begin());
    i = i == 0 ? 0 : std::min(i - 1, cols.size() - 1);
    const std::size_t j = std::min(i + 1, cols.size() - 1);
    const SectionColumn& a = cols[i];
    const SectionColumn& b = cols[j];
    const double span = b.draw_km - a.draw_km;
    const double w =
        span > 0.0 ? std::clamp((x - a.draw_km) / span, 0.0, 1.0) : 0.0;
    const double surface = Blend(a.surface_km, b.surface_km, w);
    for (int iy = 0; iy < ny; ++iy) {
      if (lower[iy] <= surface) continue;  // air or sea
      const double u = std::max(centre[iy] - surface, 0.0);
      g.log_rho[static_cast<std::size_t>(ix) * ny + iy] =
          BlendedLogRho(a, b, w, u, method);
    }
  }
  return g;
}

}  // namespace mtvuk
