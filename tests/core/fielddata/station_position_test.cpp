#include "core/fielddata/station_position.h"

#include <gtest/gtest.h>

#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

TEST(StationPosition, DegreesInEitherNotation) {
  double d = 0.0;
  ASSERT_TRUE(ParseDegrees("-22:22:14.9", d));
  EXPECT_NEAR(d, -(22.0 + 22.0 / 60.0 + 14.9 / 3600.0), 1e-12);
  ASSERT_TRUE(ParseDegrees(" 139:11:19 ", d));
  EXPECT_NEAR(d, 139.0 + 11.0 / 60.0 + 19.0 / 3600.0, 1e-12);
  ASSERT_TRUE(ParseDegrees("-0:30", d));  // the sign of a zero degree
  EXPECT_NEAR(d, -0.5, 1e-12);
  ASSERT_TRUE(ParseDegrees("22:30:00 S", d));
  EXPECT_NEAR(d, -22.5, 1e-12);
  ASSERT_TRUE(ParseDegrees("1:15 W", d));
  EXPECT_NEAR(d, -1.25, 1e-12);
  ASSERT_TRUE(ParseDegrees("1:15E", d));
  EXPECT_NEAR(d, 1.25, 1e-12);
  ASSERT_TRUE(ParseDegrees("-33.5", d));
  EXPECT_EQ(d, -33.5);
  for (const char* bad : {"", "abc", "12:75:00", "1:2:3:4", "12::", "nan"})
    EXPECT_FALSE(ParseDegrees(bad, d)) << bad;
  EXPECT_EQ(UtmZone(139.19), 54);
  EXPECT_EQ(UtmZone(-180.0), 1);
  EXPECT_EQ(UtmZone(179.99), 60);
  EXPECT_EQ(UtmZone(12.0), 33);  // a zone's western edge belongs to it
}

// Reference values from an independent Krueger-series transverse Mercator
// on WGS84, which gives 691875.632 E, 6098907.825 N for 55 N 12 E in zone
// 32 as the PROJ documentation does (within 1 cm).
TEST(StationPosition, GeographicCoordinatesBecomeUtmMetres) {
  StationPosition p = PositionFromTexts("-22:22:14", "139:11:19", "200");
  EXPECT_EQ(p.kind, PositionKind::kUtm);
  EXPECT_EQ(p.zone, 54);
  EXPECT_TRUE(p.south);
  EXPECT_NEAR(p.northing, 7525034.495, 0.01);
  EXPECT_NEAR(p.easting, 313494.332, 0.01);
  EXPECT_EQ(p.elevation, 200.0);
  p = PositionFromTexts("55.0", "9.0", "12 M");
  EXPECT_EQ(p.zone, 32);
  EXPECT_FALSE(p.south);
  EXPECT_NEAR(p.northing, 6094791.421, 0.01);
  EXPECT_NEAR(p.easting, 500000.0, 0.01);  // the central meridian
  EXPECT_EQ(p.elevation, 12.0);
  // Metres stay as they are; no coordinates give none.
  p = PositionFromTexts("7525000.5", "313000", "0");
  EXPECT_EQ(p.kind, PositionKind::kMetres);
  EXPECT_EQ(p.northing, 7525000.5);
  EXPECT_EQ(p.easting, 313000.0);
  for (const auto& texts : {std::pair{"00:00:00", "000:00:00"},
                            std::pair{"N/A", "139:11:19"},
                            std::pair{"95:00:00", "139:11:19"}}) {
    p = PositionFromTexts(texts.first, texts.second, "0000");
    EXPECT_EQ(p.kind, PositionKind::kNone) << texts.first;
    EXPECT_EQ(p.northing, 0.0);
    EXPECT_EQ(p.easting, 0.0);
  }
}

// A loaded set carries its station's place, so the INT blocks of the
// command line do not all sit on one spot.
TEST(StationPosition, LoadedSetsCarryTheirStationsPosition) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  ASSERT_TRUE(ReadFieldFile(
      test::RealDataPath("IEB0537A_Phoenix.edi"), stores->workspace, ui));
  test::LoadSet(*stores, 1, CurveMode::XY);  // f32 holds the metre
  const auto& b = stores->sets[1].coordinates;
  EXPECT_NEAR(b[0], 7474995.491, 1.0);
  EXPECT_NEAR(b[1], 324967.581, 0.1);
  EXPECT_EQ(b[2], 158.0f);
}

}  // namespace
}  // namespace mtvuk
