#include "core/section/profile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mtvuk {
namespace {

TEST(ProfileTest, ProjectionIsTheArcLengthOfTheNearestPoint) {
  // An L-shaped profile: 1000 m east, then 500 m north.
  const std::vector<MapPoint> l = {{0, 0}, {1000, 0}, {1000, 500}};
  auto p = ProjectOntoPolyline(l, {400, 30});
  ASSERT_TRUE(p);
  EXPECT_DOUBLE_EQ(p->position, 400.0);
  EXPECT_DOUBLE_EQ(p->offset, 30.0);
  p = ProjectOntoPolyline(l, {1100, 300});  // beside the second leg
  EXPECT_DOUBLE_EQ(p->position, 1300.0);
  EXPECT_DOUBLE_EQ(p->offset, 100.0);
  p = ProjectOntoPolyline(l, {-50, 0});  // before the start: clamped
  EXPECT_DOUBLE_EQ(p->position, 0.0);
  EXPECT_DOUBLE_EQ(p->offset, 50.0);
  p = ProjectOntoPolyline(l, {1000, 900});  // past the end
  EXPECT_DOUBLE_EQ(p->position, 1500.0);
  // A repeated vertex (zero-length segment) changes nothing.
  p = ProjectOntoPolyline({{0, 0}, {0, 0}, {0, 200}}, {10, 150});
  EXPECT_DOUBLE_EQ(p->position, 150.0);
  EXPECT_FALSE(ProjectOntoPolyline({}, {1, 1}));
  EXPECT_DOUBLE_EQ(ProjectOntoPolyline({{5, 5}}, {8, 9})->offset, 5.0);
}

TEST(ProfileTest, AutoProfileFollowsThePrincipalAxisWestToEast) {
  // Stations along a line running north-west at 30 degrees from north,
  // scattered +-20 m across it.
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
