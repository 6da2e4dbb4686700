#include "core/section/section_model.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/section/tomography_grid.h"
#include "section_stations.h"

namespace mtvuk {
namespace {

using test::Curve;
using test::Layered;

TEST(SectionModelTest, StationsAreSortedInMetresAndHangFromTheHighest) {
  const auto s =
      SectionStationsFromFile({Layered("B", 4000, 0, {{10, 0.5f}, {100, 0}}),
                               Layered("OFF", -1, 0, {{10, 1}, {100, 0}}),
                               Layered("A", 0, 0, {{20, 1.5f}, {300, 0}})},
                              SectionSource::kInt);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].name, "A");
  EXPECT_FLOAT_EQ(s[0].thickness[0], 1500.0f);
  EXPECT_FLOAT_EQ(s[1].thickness[0], 500.0f);
  // Saved as a profile of its own: the distance is the first coordinate.
  EXPECT_FLOAT_EQ(StationsForSaving(s)[1].x, 4000.0f);
  EXPECT_FLOAT_EQ(
      SectionStationsFromFile({Curve(10, {{0.25f, 5}})}, SectionSource::kTrf)[0]
          .depth[0],
      250.0f);

  const std::vector<SectionStation> stations = {
      Layered("HIGH", 0, 400, {{200, 200}, {5, 1000}, {2000, 0}}),
      Layered("LOW", 2000, 250, {{100, 500}, {3000, 0}})};
  const SectionModel m(stations, SectionSource::kInt, true);
  ASSERT_EQ(m.columns().size(), 2u);
  const SectionColumn& high = m.columns()[0];
  const SectionColumn& low = m.columns()[1];
  EXPECT_DOUBLE_EQ(high.surface_km, 0.0);
  EXPECT_NEAR(low.surface_km, 0.15, 1e-9);
  EXPECT_DOUBLE_EQ(low.position_km, 2.0);
  EXPECT_NEAR(high.layers[1].top_km, 0.2, 1e-6);
  EXPECT_NEAR(high.layers[1].bottom_km, 1.2, 1e-6);
  EXPECT_TRUE(std::isinf(low.layers[1].bottom_km));
  EXPECT_NEAR(m.SurfaceAt(1.0), 0.075, 1e-9);
  EXPECT_EQ(m.ValueRange(), std::make_pair(5.0, 3000.0));
  // The median station's deepest interface and half again, below the datum.
  EXPECT_NEAR(m.AutoDepthKm(), (1.5 * 1.2 + 0.15 + 1.5 * 0.5) / 2.0, 1e-6);
  EXPECT_DOUBLE_EQ(SectionModel(stations, SectionSource::kInt, false)
                       .columns()[1]
                       .surface_km,
                   0.0);
}

TEST(SectionModelTest, DamagedStationsNeitherCrashNorInventValues) {
  SectionStation huge = Layered("HUGE", 100, NAN, {{50, 1}, {60, 0}});
  huge.layer_count = 30000;  // the reader does not check the count
  SectionStation none = Layered("NONE", 200, 0, {{50, 1}});
  none.layer_count = -3;
  const SectionModel m(
      {Layered("BAD", 0, 0, {{-5, 1}, {NAN, 1}, {0, 0}}), huge, none},
      SectionSource::kInt,
      true);
  ASSERT_EQ(m.columns().size(), 1u);  // only HUGE has a usable value
  EXPECT_EQ(m.columns()[0].name, "HUGE");
  EXPECT_DOUBLE_EQ(m.columns()[0].elevation_m, 0.0);
  const auto [lo, hi] = m.ValueRange();
  EXPECT_TRUE(std::isfinite(lo) && std::isfinite(hi) && lo > 0.0 && hi > lo);
  // No values at all: a range that colours can still be read from.
  EXPECT_EQ(SectionModel({}, SectionSource::kInt, true).ValueRange(),
            std::make_pair(1.0, 1000.0));
}

TEST(SectionModelTest, CurvesAreLogLinearAndEndAtTheirDeepestDepth) {
  const SectionModel m({Curve(0, {{2000, 1000}, {500, 10}, {1000, 100}})},
                       SectionSource::kTrf,
                       true);
  const SectionColumn& c = m.columns()[0];
  ASSERT_EQ(c.curve_depth_km.size(), 3u);  // sorted by depth
  EXPECT_DOUBLE_EQ(c.deepest_km, 2.0);
  EXPECT_NEAR(SectionModel::LogRhoAt(c, 0.1), 1.0, 1e-6);     // first value
  EXPECT_NEAR(SectionModel::LogRhoAt(c, 0.625), 1.25, 1e-6);  // a quarter
  EXPECT_NEAR(SectionModel::LogRhoAt(c, 1.75), 2.75, 1e-6);
  EXPECT_TRUE(std::isnan(SectionModel::LogRhoAt(c, 2.1)));  // below
  EXPECT_NEAR(m.AutoDepthKm(), 2.0, 1e-6);

  // A tomography of curves ends between their deepest depths.
  const SectionModel two({Curve(0, {{100, 10}, {1000, 100}}),
                          Curve(1000, {{100, 10}, {3000, 100}})},
                         SectionSource::kTrf,
                         false);
  const TomographyGrid g = BuildTomographyGrid(two, 2, 40, 0.0, 4.0, false);
  // Column at 0.75 km: the curves tell down to 0.25 * 1 + 0.75 * 3 = 2.5 km.
  for (int iy = 0; iy < g.ny; ++iy) {
    EXPECT_EQ(std::isnan(g.At(1, iy)), g.CellDepth(iy) > 2.5) << iy;
    if (!std::isnan(g.At(1, iy))) {
      EXPECT_GE(g.At(1, iy), 1.0);
      EXPECT_LE(g.At(1, iy), 2.0 + 1e-12);
    }
  }
}

TEST(SectionModelTest, ColourBandsDivideTheLogRangeFromTheLowEnd) {
  ColourRamps ramps;
  SectionColourBlock block;
  ResetColourList(block);
  EXPECT_EQ(block.count, 217);
  EXPECT_EQ(block.bytes[216], 216);
  const std::pair<double, int> full[] = {
      {1.0, 0}, {1000.0, 216}, {std::sqrt(1000.0), 108}, {0.01, 0}, {1e9, 216}};
  for (const auto& [rho, index] : full)  // floor(t * 217)
    EXPECT_EQ(SectionColour(block, ramps, rho, 1.0, 1000.0), ramps.a[index]);
  // Three bands of a shortened list on the blue-white-red ramp.
  block.bytes = {10, 100, 200};
  block.bytes[kPaletteByte] = 2;
  block.count = 3;
  EXPECT_EQ(SectionColour(block, ramps, 2.0, 1.0, 1000.0), ramps.b[10]);
  EXPECT_EQ(SectionColour(block, ramps, 20.0, 1.0, 1000.0), ramps.b[100]);
  EXPECT_EQ(SectionColour(block, ramps, 200.0, 1.0, 1000.0), ramps.b[200]);
  EXPECT_EQ(ColourBand(10.0, 1.0, 1000.0, 3), 1);  // a band's lower edge
  EXPECT_EQ(ColourBand(NAN, 1.0, 1000.0, 3), 0);
  EXPECT_EQ(ColourBand(5.0, 5.0, 5.0, 3), 1);  // one value: the middle
  // An empty list reads the whole walk.
  block.count = 0;
  EXPECT_EQ(SectionColour(block, ramps, 1000.0, 1.0, 1000.0), ramps.b[216]);
}

}  // namespace
}  // namespace mtvuk
