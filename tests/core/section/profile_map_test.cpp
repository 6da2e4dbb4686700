#include "core/section/profile_map.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/platform/scripted_ui.h"
#include "core/section/profile.h"

namespace mtvuk {
namespace {

SectionStation Station(const char* name, float northing, float easting) {
  SectionStation s;
  s.name = name;
  s.x = northing;
  s.y = easting;
  s.selected = 1;
  s.layer_count = 4;
  return s;
}

TEST(ProfileMapTest, FrameWithNorthUpScalesAndGrid) {
  // 4 x 1 km in 500 x 300 px with a 50 px border: 10 m per pixel.
  const std::vector<MapPoint> points = {{500000, 7000000}, {504000, 7001000}};
  const MapFrame frame(points, 500, 300, 50);
  EXPECT_DOUBLE_EQ(frame.metres_per_pixel(), 10.0);
  const PixelPoint west = frame.ToPixel(points[0]);
  const PixelPoint east = frame.ToPixel(points[1]);
  EXPECT_DOUBLE_EQ(west.x, 50.0);
  EXPECT_DOUBLE_EQ(east.x, 450.0);
  EXPECT_DOUBLE_EQ(west.y, 200.0);  // south is lower on the screen
  EXPECT_DOUBLE_EQ(east.y, 100.0);
  const MapPoint back = frame.ToMap({123.0, 45.0});
  EXPECT_DOUBLE_EQ(frame.ToPixel(back).x, 123.0);
  EXPECT_DOUBLE_EQ(frame.ToPixel(back).y, 45.0);
  // One station, or none, still gives a usable frame.
  EXPECT_GT(MapFrame({{1, 2}}, 400, 400, 20).metres_per_pixel(), 0.0);
  EXPECT_GT(MapFrame({}, 0, 0, 20).metres_per_pixel(), 0.0);

  EXPECT_DOUBLE_EQ(MapScaleSpacing(1, 30000), 100.0);
  EXPECT_DOUBLE_EQ(MapScaleSpacing(3, 30000), 1000.0);
  EXPECT_DOUBLE_EQ(MapScaleSpacing(7, 30000), 100000.0);
  EXPECT_DOUBLE_EQ(MapScaleSpacing(kMapScaleNone, 30000), 0.0);
  // "Math": a round length near a fifth of the map.
  EXPECT_DOUBLE_EQ(MapScaleSpacing(kMapScaleMath, 30000), 5000.0);
  EXPECT_DOUBLE_EQ(MapScaleSpacing(kMapScaleMath, 9000), 1000.0);
  EXPECT_DOUBLE_EQ(MapScaleSpacing(kMapScaleMath, 0), 0.0);

  EXPECT_EQ(GridLines(1200, 5100, 1000, 10, 8),
            (std::vector<double>{2000, 3000, 4000, 5000}));
  EXPECT_EQ(GridLines(-1500, 1500, 1000, 10, 8),
            (std::vector<double>{-1000, 0, 1000}));
  // Lines closer than the gap are not drawn at all.
  EXPECT_TRUE(GridLines(0, 30000, 100, 60, 8).empty());
  EXPECT_TRUE(GridLines(0, 30000, 0, 60, 8).empty());
}

TEST(ProfileMapTest, DesignAddsUndoesAndFinishes) {
  ProfileDesign design;
  EXPECT_FALSE(design.AddPoint({0, 0}));  // Design is off
  design.SetDesigning(true);
  EXPECT_TRUE(design.AddPoint({0, 0}));
  EXPECT_FALSE(design.Finish());  // a single point is no profile
  design.AddPoint({1000, 0});
  design.AddPoint({1000, 500});
  EXPECT_TRUE(design.Undo());
  design.AddPoint({2000, 0});
  design.AddPoint({2000, 0});  // the double click on the last point
  EXPECT_TRUE(design.Finish());
  EXPECT_TRUE(design.Usable());
  EXPECT_EQ(design.points().size(), 3u);
  EXPECT_FALSE(design.AddPoint({3000, 0}));  // finished
  EXPECT_TRUE(design.Undo());                // opens it again
  EXPECT_FALSE(design.Usable());
  EXPECT_TRUE(design.AddPoint({2500, 0}));
  EXPECT_EQ(design.points()[2].east, 2500.0);
  design.SetDesigning(false);  // off keeps the points
  EXPECT_EQ(design.points().size(), 3u);
  design.SetDesigning(true);  // on again starts a new profile
  EXPECT_TRUE(design.points().empty());
  EXPECT_FALSE(design.Undo());
  // Auto: the straight line through the stations, west to east.
  EXPECT_FALSE(design.Auto({{5, 5}, {5, 5}}));
  EXPECT_TRUE(design.Auto({{3000, 10}, {1000, 10}, {2000, 10}}));
  ASSERT_EQ(design.points().size(), 2u);
  EXPECT_NEAR(design.points()[0].east, 1000, 1e-9);
  EXPECT_NEAR(design.points()[1].east, 3000, 1e-9);
  EXPECT_TRUE(design.Usable());
}

TEST(ProfileMapTest, SetProfilePositionsRefusesWhatCannotMakeASection) {
  ScriptedUi ui;
  ui.Allow("SET PROFILE");
  std::vector<SectionStation> stations = {Station("A", 7e6, 500000),
                                          Station("B", 7e6, 502000),
                                          Station("C", 7e6 + 300, 503000)};
  stations[1].selected = 0;
  ProfileDesign design;
  EXPECT_FALSE(SetProfilePositions(stations, design, ui));
  design.Auto(SelectedMapPoints(stations));
  stations[2].selected = 0;
  EXPECT_FALSE(SetProfilePositions(stations, design, ui));
  ASSERT_EQ(ui.prompts().size(), 2u);
  EXPECT_EQ(ui.prompts()[1].text,
            "Select at least two stations in the list of the file");
  for (const SectionStation& s : stations) EXPECT_EQ(s.profile_position, -1.0);

  // An unselected station loses the position of an earlier profile.
  stations[2].selected = 1;
  stations[1].profile_position = 42.0;
  EXPECT_TRUE(SetProfilePositions(stations, design, ui));
  EXPECT_NEAR(stations[0].profile_position, 0.0, 1e-6);
  EXPECT_EQ(stations[1].profile_position, -1.0);
  EXPECT_NEAR(stations[2].profile_position, std::hypot(3000.0, 300.0), 1e-6);

  // Stations across a profile all project onto one point of it.
  ProfileDesign across;
  ASSERT_TRUE(across.Auto({{501000, 6.9e6}, {501000, 7.1e6}}));
  std::vector<SectionStation> pair = {Station("A", 7e6, 500000),
                                      Station("B", 7e6, 502000)};
  EXPECT_FALSE(SetProfilePositions(pair, across, ui));
  EXPECT_EQ(pair[0].profile_position, -1.0);
}

TEST(ProfileMapTest, LabelsNeverOverlap) {
  // Each label takes the first free place: right, left, above, below.
  const std::vector<PixelPoint> anchors = {
      {100, 100}, {110, 100}, {105, 100}, {300, 300}};
  const auto boxes = PlaceLabels(
      anchors, std::vector<std::pair<double, double>>(4, {40, 12}), 6);
  ASSERT_TRUE(boxes[0] && boxes[1] && boxes[3]);
  EXPECT_DOUBLE_EQ(boxes[0]->left, 55.0);  // left: markers to the right
  EXPECT_DOUBLE_EQ(boxes[0]->top, 94.0);
  EXPECT_DOUBLE_EQ(boxes[1]->left, 115.0);  // right
  EXPECT_FALSE(boxes[2]);
  EXPECT_DOUBLE_EQ(boxes[3]->left, 305.0);
  EXPECT_FALSE(boxes[0]->Overlaps(*boxes[1]));

  SectionStation s = Station("P07         ", 0, 0);
  EXPECT_EQ(StationMapLabel(s, false, false), "P07");
  EXPECT_EQ(StationMapLabel(s, true, false), "P07 [4]");
  s.depth_count = 37;
  EXPECT_EQ(StationMapLabel(s, true, true), "P07 [37]");
}

TEST(ProfileTest, ProjectionAndAutoProfile) {
  // An L-shaped profile: 1000 m east, then 500 m north.
  const std::vector<MapPoint> l = {{0, 0}, {1000, 0}, {1000, 500}};
  const std::pair<MapPoint, ProfileProjection> cases[] = {
      {{400, 30}, {400, 30}},
      {{1100, 300}, {1300, 100}},
      {{-50, 0}, {0, 50}},
      {{1000, 900}, {1500, 400}}};
  for (const auto& [point, want] : cases) {
    const auto p = ProjectOntoPolyline(l, point);
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->position, want.position) << point.east;
    EXPECT_DOUBLE_EQ(p->offset, want.offset) << point.east;
  }
  // A repeated vertex (zero-length segment) changes nothing.
  EXPECT_DOUBLE_EQ(
      ProjectOntoPolyline({{0, 0}, {0, 0}, {0, 200}}, {10, 150})->position,
      150.0);
  EXPECT_FALSE(ProjectOntoPolyline({}, {1, 1}));
  EXPECT_DOUBLE_EQ(ProjectOntoPolyline({{5, 5}}, {8, 9})->offset, 5.0);

  // The auto profile follows the principal axis, west to east.
  // Stations on a line 30 degrees west of north, +-20 m across it.
  const double ue = -std::sin(M_PI / 6), un = std::cos(M_PI / 6);
  std::vector<MapPoint> pts;
  for (int i = 0; i < 11; ++i) {
    const double s = 500.0 * i;
    const double across = (i % 2 == 0 ? 20.0 : -20.0);
    pts.push_back({7e5 + s * ue + across * un, 7.5e6 + s * un - across * ue});
  }
  const auto ends = AutoProfile(pts);
  ASSERT_TRUE(ends);
  const double de = (*ends)[1].east - (*ends)[0].east;
  const double dn = (*ends)[1].north - (*ends)[0].north;
  EXPECT_GT(de, 0.0);  // runs west to east
  EXPECT_NEAR(std::atan2(dn, de), std::atan2(-un, -ue), 1e-3);
  EXPECT_NEAR(std::hypot(de, dn), 5000.0, 1.0);
  // The first station (the south-eastern end) lies at the far end.
  EXPECT_NEAR(ProjectOntoPolyline({(*ends)[0], (*ends)[1]}, pts[0])->position,
              5000.0,
              1.0);

  EXPECT_FALSE(AutoProfile({{1, 1}}));
  EXPECT_FALSE(AutoProfile({{1, 1}, {1, 1}, {1, 1}}));
  const auto north = AutoProfile({{0, 300}, {0, 0}, {0, 100}});
  ASSERT_TRUE(north);
  EXPECT_DOUBLE_EQ((*north)[0].north, 0.0);  // south to north
  EXPECT_DOUBLE_EQ((*north)[1].north, 300.0);
}

}  // namespace
}  // namespace mtvuk
