// The tomography image between stations, in each of its three fillings.
#include "core/section/tomography_grid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "section_stations.h"

namespace mtvuk {
namespace {

using test::Layered;

// Depth (km) of the first cell of column ix with a value in [lo, hi].
double FirstDepthWithin(const TomographyGrid& g, int ix, double lo, double hi) {
  for (int iy = 0; iy < g.ny; ++iy) {
    if (g.At(ix, iy) >= lo - 1e-12 && g.At(ix, iy) <= hi + 1e-12)
      return g.CellDepth(iy);
  }
  return NAN;
}

TEST(TomographyGridTest, AnInterfaceThatChangesDepthIsAStraightSlope) {
  // The 10 Ohm-m base: 1.5 km down in the west (300 m up), 3.5 km east.
  const std::vector<SectionStation> stations = {
      Layered("S", 0, 300, {{100, 500}, {10, 1000}, {1000, 0}}),
      Layered("S", 4000, 50, {{100, 500}, {10, 3000}, {1000, 0}})};
  const SectionModel m(stations, SectionSource::kInt, true);
  const int nx = 41, ny = 500;
  const double bottom = 5.0, cell = bottom / ny;
  // Every filling: air above ground, below it only the stations' values.
  for (int method = 0; method < kTomographyMethodCount; ++method) {
    const TomographyGrid t = BuildTomographyGrid(
        m, nx, 100, 0.0, bottom, false, static_cast<TomographyMethod>(method));
    ASSERT_EQ(t.nx, nx);
    EXPECT_DOUBLE_EQ(t.left_km, 0.0);
    EXPECT_DOUBLE_EQ(t.right_km, 4.0);
    for (int ix = 0; ix < t.nx; ++ix) {
      for (int iy = 0; iy < t.ny; ++iy) {
        const double v = t.At(ix, iy);
        if ((iy + 1) * bottom / t.ny <= m.SurfaceAt(t.CellX(ix))) {
          EXPECT_TRUE(std::isnan(v)) << ix << " " << iy;  // air
        } else {
          ASSERT_TRUE(std::isfinite(v)) << ix << " " << iy;  // no gap
          EXPECT_GE(v, 1.0 - 1e-12);
          EXPECT_LE(v, 3.0 + 1e-12);
          // Following the layers: one of the layers' values, none between.
          if (method == 0) {
            EXPECT_NEAR(v, std::round(v), 1e-9) << ix << " " << iy;
          }
        }
      }
    }
  }
  const TomographyGrid g = BuildTomographyGrid(m, nx, ny, 0.0, bottom, false);
  for (int ix = 0; ix < nx; ++ix) {
    const double w = g.CellX(ix) / 4.0;
    const double surface = 0.25 * w;
    // The basement top slopes from 1.5 to 3.5 km; the conductor's top stays.
    EXPECT_NEAR(
        FirstDepthWithin(g, ix, 3.0, 3.0), surface + 1.5 + 2.0 * w, cell)
        << ix;
    EXPECT_NEAR(FirstDepthWithin(g, ix, 1.0, 1.0), surface + 0.5, cell) << ix;
  }

  // Level depths fade: 2.5 km down, a quarter of the way from 3 (west) to 1.
  const TomographyGrid level = BuildTomographyGrid(
      m, nx, ny, 0.0, bottom, false, TomographyMethod::kLevelDepths);
  const int mid = 20, quarter = 10;
  const double w = level.CellX(quarter) / 4.0;
  const int iy = static_cast<int>((0.25 * w + 2.5) / cell);
  EXPECT_NEAR(level.At(quarter, iy), 3.0 - 2.0 * w, 1e-9);
  // The stitched columns take the nearer station's model.
  const TomographyGrid nearest = BuildTomographyGrid(
      m, nx, ny, 0.0, bottom, false, TomographyMethod::kNearestStation);
  const double w_left = nearest.CellX(mid - 1) / 4.0;
  EXPECT_NEAR(
      FirstDepthWithin(nearest, mid - 1, 3.0, 3.0), 0.25 * w_left + 1.5, cell);
  const double w_right = nearest.CellX(mid + 1) / 4.0;
  EXPECT_NEAR(
      FirstDepthWithin(nearest, mid + 1, 3.0, 3.0), 0.25 * w_right + 3.5, cell);

  // Log depth rows: evenly spaced decades.
  const SectionModel flat(stations, SectionSource::kInt, false);
  const TomographyGrid lg = BuildTomographyGrid(flat, 10, 30, 0.01, 10.0, true);
  EXPECT_NEAR(lg.CellDepth(0), std::pow(10.0, -2.0 + 0.05), 1e-12);
  EXPECT_TRUE(std::isfinite(lg.At(0, 0)));
  // Nothing to draw, nothing built.
  EXPECT_EQ(BuildTomographyGrid(m, 10, 10, 0.0, 0.0, false).nx, 0);
  EXPECT_EQ(BuildTomographyGrid(m, 10, 10, 0.0, 1.0, true).nx, 0);
}

TEST(TomographyGridTest, ModelsOfDifferentLayerCountsJoinEqualFractions) {
  // West: 100 / 10 / basement from 1.5 km; east: 100 / basement from 2 km.
  const SectionModel m({Layered("S", 0, 0, {{100, 500}, {10, 1000}, {1000, 0}}),
                        Layered("S", 2000, 0, {{100, 2000}, {1000, 0}})},
                       SectionSource::kInt,
                       true);
  auto joined = [&m](double w, double depth_km) {
    return BlendedLogRho(m.columns()[0],
                         m.columns()[1],
                         w,
                         depth_km,
                         TomographyMethod::kFollowLayers);
  };
  for (double w : {0.0, 0.25, 0.5, 0.9, 1.0}) {
    const double base = 1.5 + 0.5 * w;  // the joined basement top
    EXPECT_NEAR(joined(w, base * 1.001), 3.0, 1e-9) << w;
    // Just above it: the west's conductor blended with the east's cover.
    EXPECT_NEAR(joined(w, base * 0.999), 1.0 + w, 1e-9) << w;
    // A fifth of the way down: cover on both sides.
    EXPECT_NEAR(joined(w, base * 0.2), 2.0, 1e-9) << w;
  }
  // A half-space beside a layered model follows the layered one.
  const SectionModel h({Layered("S", 0, 0, {{50, 0}}),
                        Layered("S", 1000, 0, {{10, 800}, {1000, 0}})},
                       SectionSource::kInt,
                       true);
  EXPECT_NEAR(BlendedLogRho(h.columns()[0],
                            h.columns()[1],
                            0.5,
                            0.9,
                            TomographyMethod::kFollowLayers),
              0.5 * (std::log10(50.0) + 3.0),
              1e-9);
}

}  // namespace
}  // namespace mtvuk
