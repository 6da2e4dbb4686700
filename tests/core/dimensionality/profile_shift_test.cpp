// The static shift along a profile: each station's shortest-period rho_a
// moved onto the median of the stations.
#include <gtest/gtest.h>

#include <cmath>

#include "core/dimensionality/static_shift.h"
#include "core/fielddata/field_curve.h"
#include "synthetic_tensor.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// Six stations over a basin: a 150 Ohm-m cover 0.25 km thick, a 6 Ohm-m
// basin thickening from 0.4 to 2.4 km and thinning again, an anisotropic
// basement (the polarisations part at long periods). Station 3's XY curve
// carries a galvanic shift of 3, as its file would.
struct Profile {
  std::vector<std::unique_ptr<Stores>> stations;
  std::vector<double> LogRho(int slot, int shortest = 5) const {
    std::vector<double> out;
    for (const auto& s : stations)
      out.push_back(ShortestPeriodLogRho(s->sets[slot], shortest));
    return out;
  }
};

Profile BasinProfile() {
  Profile p;
  const double basin_km[] = {0.4, 1.1, 1.9, 2.4, 1.6, 0.7};
  for (int i = 0; i < 6; ++i) {
    auto stores = test::NewStores();
    test::FillSounding(stores->workspace.sounding,
                       {{150, 0, 0, 0.25},
                        {6, 0, 0, basin_km[i]},
                        {1000, 100, 30, 20.0},
                        {50, 0, 0, 0}},
                       40,
                       1e-3,
                       1e3,
                       0.01 + 0.005 * i,
                       0.05,
                       true,
                       11u + i);
    LoadFieldSet(
        0, CurveMode::XY, stores->workspace, stores->sets, stores->models);
    LoadFieldSet(
        1, CurveMode::YX, stores->workspace, stores->sets, stores->models);
    p.stations.push_back(std::move(stores));
  }
  FieldSet& xy3 = p.stations[2]->sets[0];
  EXPECT_TRUE(SetStaticShift(xy3, 3.0));
  xy3.static_shift = 1.0f;  // part of the data now
  return p;
}

TEST(ProfileShift, RecoversTheShiftOfOneStationAndLeavesTheOthers) {
  Profile p = BasinProfile();
  const std::vector<double> xy = ShiftsFromProfile(p.LogRho(0));
  ASSERT_EQ(xy.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    const double expected = i == 2 ? 1.0 / 3.0 : 1.0;
    EXPECT_NEAR(xy[i], expected, 0.1 * expected) << "station " << i + 1;
  }
  // The YX curves carry no shift: every factor stays near 1.
  for (double f : ShiftsFromProfile(p.LogRho(1))) EXPECT_NEAR(f, 1.0, 0.1);

  // Applied, the factors bring every station onto one rho_a, and the
  // estimate reads the curves without their own shift, so asking again
  // gives the same factors.
  for (int i = 0; i < 6; ++i)
    ASSERT_TRUE(SetStaticShift(p.stations[i]->sets[0], xy[i]));
  const std::vector<double> again = ShiftsFromProfile(p.LogRho(0));
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(again[i], xy[i], 1e-5 * xy[i]);
    EXPECT_NEAR(p.stations[i]->sets[0].log_rho[0],
                p.stations[0]->sets[0].log_rho[0],
                0.03);
  }
  // With one shortest period the estimate rests on the noise of one point,
  // still near the shift.
  EXPECT_NEAR(ShiftsFromProfile(p.LogRho(0, 1))[2], 1.0 / 3.0, 0.05);
}

TEST(ProfileShift, DeletedPointsAndEmptyCurvesAreLeftOut) {
  Profile p = BasinProfile();
  FieldSet& xy3 = p.stations[2]->sets[0];
  // The shortest period of station 3 is edited away: its estimate moves to
  // the next five, which carry the same shift.
  int shortest = 0;
  for (int k = 1; k < xy3.count; ++k)
    if (xy3.freq[k] > xy3.freq[shortest]) shortest = k;
  const double before = ShortestPeriodLogRho(xy3);
  xy3.log_rho[shortest] += 2.0f;
  EXPECT_GT(ShortestPeriodLogRho(xy3), before + 0.3);
  xy3.point_deleted[shortest] = 1;
  EXPECT_NEAR(ShortestPeriodLogRho(xy3), before, 0.03);
  // A station without a used period takes no part and keeps factor 1;
  // the median of the others does not move.
  FieldSet& xy5 = p.stations[4]->sets[0];
  for (int k = 0; k < xy5.count; ++k) xy5.point_deleted[k] = 1;
  EXPECT_TRUE(std::isnan(ShortestPeriodLogRho(xy5)));
  const std::vector<double> f = ShiftsFromProfile(p.LogRho(0));
  EXPECT_EQ(f[4], 1.0);
  EXPECT_NEAR(f[2], 1.0 / 3.0, 0.1 / 3.0);
}

}  // namespace
}  // namespace mtvuk
