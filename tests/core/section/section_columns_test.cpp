// Columns of a section: places, polarisations, labels, seafloor, depth.
#include <gtest/gtest.h>

#include <cmath>

#include "core/platform/scripted_ui.h"
#include "core/section/section_model.h"
#include "core/section/station_labels.h"
#include "core/section/tomography_grid.h"
#include "section_stations.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

using test::Layered;

// XY and YX of five stations 2 km apart, from 150 m down by 40 m each.
std::vector<SectionStation> XyAndYxOfFiveStations() {
  std::vector<SectionStation> stations;
  for (int i = 0; i < 5; ++i) {
    const std::string site = "S" + std::to_string(i + 1);
    const float z = 150.0f - 40.0f * i;
    stations.push_back(Layered(
        "XY " + site, 2000.0 * i, z, {{100, 300}, {5, 800}, {1000, 0}}, 2 * i));
    stations.push_back(Layered("YX " + site,
                               2000.0 * i,
                               z,
                               {{120, 500}, {8, 600}, {900, 0}},
                               2 * i + 1));
  }
  return stations;
}

TEST(SectionColumnsTest, EachSoundingAtOnePlaceKeepsItsColumnAndName) {
  const SectionModel m(XyAndYxOfFiveStations(), SectionSource::kInt, true);
  const auto& cols = m.columns();
  ASSERT_EQ(cols.size(), 10u);
  for (std::size_t i = 0; i < cols.size(); ++i) {
    EXPECT_EQ(cols[i].label,
              (i % 2 ? "YX S" : "XY S") + std::to_string(i / 2 + 1));
    EXPECT_TRUE(i == 0 || cols[i].draw_km > cols[i - 1].draw_km) << i;
    EXPECT_NEAR(cols[i].draw_km, cols[i].position_km, 0.3 + 1e-9);
  }
  // XY left of YX, evenly about the station, each with its own model.
  EXPECT_NEAR(cols[2].draw_km, 2.0 - 0.3, 1e-9);
  EXPECT_NEAR(cols[3].draw_km, 2.0 + 0.3, 1e-9);
  EXPECT_NEAR(cols[2].layers[0].rho, 100.0, 1e-3);
  EXPECT_NEAR(cols[3].layers[0].rho, 120.0, 1e-3);

  // Twins are told apart by their numbers; unnamed: the number alone.
  const SectionModel twins({Layered("A", 500, 0, {{10, 100}, {100, 0}}, 4),
                            Layered("A", 500, 0, {{20, 100}, {200, 0}}, 9),
                            Layered("", 900, 0, {{20, 100}, {200, 0}}, 11)},
                           SectionSource::kInt,
                           true);
  const auto& t = twins.columns();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].label + "," + t[1].label + "," + t[2].label, "A #4,A #9,#11");
  EXPECT_NEAR(t[1].draw_km - t[0].draw_km, 0.12, 1e-9);

  // A section of one polarisation draws its soundings alone.
  std::vector<SectionStation> stations = XyAndYxOfFiveStations();
  // A MEAN curve and a name without a mode belong to neither polarisation.
  stations.push_back(Layered("MN S3", 4000.0, 70, {{50, 300}, {500, 0}}, 11));
  stations.push_back(Layered("XYLO", 9000.0, 0, {{50, 300}, {500, 0}}, 12));
  EXPECT_EQ(SectionModel(stations, SectionSource::kInt, true).columns().size(),
            12u);
  struct Case {
    SectionPolarisation polarisation;
    const char* prefix;
    double rho1, conductor_top_km;
  };
  for (const Case& c : {Case{SectionPolarisation::kXy, "XY S", 100.0, 0.3},
                        Case{SectionPolarisation::kYx, "YX S", 120.0, 0.5}}) {
    const SectionModel one(stations, SectionSource::kInt, true, c.polarisation);
    EXPECT_EQ(one.polarisation(), c.polarisation);
    ASSERT_EQ(one.columns().size(), 5u) << c.prefix;
    for (int i = 0; i < 5; ++i) {
      const SectionColumn& col = one.columns()[i];
      EXPECT_EQ(col.label, c.prefix + std::to_string(i + 1));
      EXPECT_DOUBLE_EQ(col.draw_km, 2.0 * i);
      EXPECT_NEAR(col.layers[0].rho, c.rho1, 1e-3);
      EXPECT_NEAR(col.layers[1].top_km, c.conductor_top_km, 1e-6);
      EXPECT_NEAR(col.surface_km, 0.04 * i, 1e-6);
    }
  }
  // The names tell the polarisation, whatever their case and blanks.
  EXPECT_EQ(PolarisationOfName("  xy P01"), SectionPolarisation::kXy);
  EXPECT_EQ(PolarisationOfName("YX_7"), SectionPolarisation::kYx);
  EXPECT_EQ(PolarisationOfName("XY"), SectionPolarisation::kXy);
  for (const char* none : {"XYLO", "EF S1", "Y", "", "  ", "S1 XY"})
    EXPECT_EQ(PolarisationOfName(none), SectionPolarisation::kBoth) << none;
}

// Each label takes the lowest row where it overlaps no label before it.
TEST(SectionColumnsTest, StaggeredLabelsTakeTheLowestFreeRow) {
  const std::vector<double> c = {0, 20, 40, 60, 80};
  const std::vector<double> w(5, 30.0);
  EXPECT_EQ(StaggerLabels(c, w, 6.0), (std::vector<int>{0, 1, 0, 1, 0}));
  // A gap of 12 px: every third label returns to the axis.
  EXPECT_EQ(StaggerLabels(c, w, 12.0), (std::vector<int>{0, 1, 2, 0, 1}));
  EXPECT_EQ(StaggerLabels({0, 100, 200}, {30, 30, 30}, 6.0),
            (std::vector<int>(3, 0)));
  EXPECT_TRUE(StaggerLabels({}, {}, 6.0).empty());
}

TEST(SectionColumnsTest, SeafloorStationsHangBelowTheSeaAndTheSeaIsWater) {
  // Land, a shelf starting at the seafloor, deep sea with a water layer.
  const std::vector<SectionStation> stations = {
      Layered("LAND", 0, 100, {{300, 400}, {30, 0}}),
      Layered("SHELF", 5000, -500, {{50, 300}, {5, 0}}),
      Layered("DEEP", 10000, -2000, {{0.3f, 1980}, {2, 700}, {200, 0}})};
  const SectionModel m(stations, SectionSource::kInt, true);
  const auto& cols = m.columns();
  ASSERT_EQ(cols.size(), 3u);
  EXPECT_NEAR(m.SeaLevelKm(), 0.1, 1e-9);
  EXPECT_NEAR(cols[0].surface_km, 0.0, 1e-9);
  EXPECT_NEAR(cols[1].surface_km, 0.6, 1e-9);
  EXPECT_FALSE(cols[1].sea_layer);
  // The sea layer leaves the model: the seafloor lies where it ends.
  EXPECT_TRUE(cols[2].sea_layer);
  EXPECT_NEAR(cols[2].surface_km, 0.1 + 1.98, 1e-6);
  ASSERT_EQ(cols[2].layers.size(), 2u);
  EXPECT_NEAR(cols[2].layers[0].rho, 2.0, 1e-6);
  EXPECT_NEAR(cols[2].layers[1].top_km, 0.7, 1e-6);
  EXPECT_NEAR(m.ValueRange().first, 2.0, 1e-6);  // no 0.3 Ohm-m anywhere
  // The tomography leaves the water empty and starts at the seafloor.
  const TomographyGrid g = BuildTomographyGrid(m, 101, 200, 0.0, 4.0, false);
  const int ix = 100;  // next to DEEP, 1 % of the way towards SHELF
  const double w = (g.CellX(ix) - 5.0) / 5.0;
  auto blend = [w](double shelf, double deep) {
    return std::log10(shelf) + w * (std::log10(deep) - std::log10(shelf));
  };
  for (int iy = 0; iy < g.ny; ++iy) {
    const double d = g.CellDepth(iy), v = g.At(ix, iy);
    if (d < 2.05) {
      EXPECT_TRUE(std::isnan(v)) << d;
    } else if (d > 2.1 && d < 2.7) {
      EXPECT_NEAR(v, blend(50.0, 2.0), 1e-6) << d;
    } else if (d > 2.8) {
      EXPECT_NEAR(v, blend(5.0, 200.0), 1e-6) << d;
    }
  }
  // Only seafloor stations: the datum is the sea surface.
  const SectionModel abyss({Layered("A", 0, -6000, {{0.25f, 6000}, {10, 0}}),
                            Layered("B", 3000, -4200, {{0.5f, 300}, {10, 0}})},
                           SectionSource::kInt,
                           true);
  EXPECT_NEAR(abyss.SeaLevelKm(), 0.0, 1e-12);
  EXPECT_NEAR(abyss.columns()[0].surface_km, 6.0, 1e-6);
  EXPECT_TRUE(abyss.columns()[0].sea_layer);
  EXPECT_FALSE(abyss.columns()[1].sea_layer);  // thinner than the water
  EXPECT_NEAR(abyss.columns()[1].surface_km, 4.2, 1e-6);
  EXPECT_NEAR(abyss.ValueRange().first, 0.5, 1e-6);
  // Nothing lies under the sea without elevation, or on land only.
  EXPECT_LT(SectionModel(stations, SectionSource::kInt, false).SeaLevelKm(),
            0.0);
  EXPECT_LT(SectionModel({stations[0]}, SectionSource::kInt, true).SeaLevelKm(),
            0.0);
}

TEST(SectionColumnsTest, ASectionOpensAtTheDeepestDepthTheDataResolve) {
  // The bundled 15125A transformation: XY to 7.955 km, YX to 8.846 km.
  ScriptedUi ui;
  std::vector<SectionStation> read;
  ResultFileKind kind = ResultFileKind::kNone;
  ASSERT_TRUE(ReadStationFile(test::ExamplePath("15125A.trf"), ui, read, kind));
  ASSERT_EQ(kind, ResultFileKind::kTrf);
  for (SectionStation& s : read) s.profile_position = 0.0;
  const SectionModel m(SectionStationsFromFile(read, SectionSource::kTrf),
                       SectionSource::kTrf,
                       true);
  ASSERT_EQ(m.columns().size(), 2u);
  EXPECT_NEAR(m.columns()[0].resolved_km, 7.955, 1e-3);
  EXPECT_NEAR(m.columns()[0].deepest_km, 7.955, 1e-3);
  EXPECT_NEAR(m.columns()[1].resolved_km, 8.846, 1e-3);
  EXPECT_NEAR(m.AutoDepthKm(), 8.846, 1e-3);
  // A curve ends before a value beyond 0.01 .. 1e5 Ohm-m or a depth jump x2.
  auto curve = [](std::vector<std::pair<float, float>> points) {
    return SectionModel(
        {test::Curve(0.0, std::move(points))}, SectionSource::kTrf, true);
  };
  EXPECT_NEAR(
      curve({{100, 10}, {180, 20}, {300, 0.001f}, {500, 30}}).AutoDepthKm(),
      0.18,
      1e-6);
  EXPECT_NEAR(
      curve({{100, 10}, {180, 20}, {300, 2e5f}}).AutoDepthKm(), 0.18, 1e-6);
  const SectionModel jump = curve({{100, 10}, {150, 20}, {400, 30}});
  EXPECT_NEAR(jump.columns()[0].resolved_km, 0.15, 1e-6);
  EXPECT_NEAR(jump.columns()[0].deepest_km, 0.4, 1e-6);
}

}  // namespace
}  // namespace mtvuk
