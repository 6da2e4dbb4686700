// The static shift along a profile: each station's shortest-period rho_a
// moved onto the median of the stations.
#include "core/dimensionality/profile_shift.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  // The shortest period of station 3 is edited far up, then deleted: the
  // estimate moves on to the next five periods.
  FieldSet& xy3 = p.stations[2]->sets[0];
  std::vector<int> order(xy3.count);
  for (int k = 0; k < xy3.count; ++k) order[k] = k;
  std::sort(order.begin(), order.end(), [&xy3](int a, int b) {
    return xy3.freq[a] > xy3.freq[b];
  });
  const std::vector<double> before = ShiftsFromProfile(p.LogRho(0));
  const double unedited = ShortestPeriodLogRho(xy3);
  xy3.log_rho[order[0]] += 2.0f;
  EXPECT_NEAR(ShortestPeriodLogRho(xy3) - unedited, 0.4, 1e-5);
  xy3.point_deleted[order[0]] = 1;
  double next_five = 0.0;
  for (int i = 1; i <= 5; ++i) next_five += xy3.log_rho[order[i]] / 5.0;
  EXPECT_NEAR(ShortestPeriodLogRho(xy3), next_five, 1e-6);
  xy3.point_deleted[order[0]] = 0;
  xy3.log_rho[order[0]] -= 2.0f;
  // A station without a used period takes no part and keeps factor 1;
  // the others keep theirs within the noise.
  FieldSet& xy5 = p.stations[4]->sets[0];
  for (int k = 0; k < xy5.count; ++k) xy5.point_deleted[k] = 1;
  EXPECT_TRUE(std::isnan(ShortestPeriodLogRho(xy5)));
  const std::vector<double> f = ShiftsFromProfile(p.LogRho(0));
  EXPECT_EQ(f[4], 1.0);
  for (int i : {0, 1, 2, 3, 5}) EXPECT_NEAR(f[i], before[i], 0.05 * before[i]);
}

TEST(ProfileShift, TheLoadedStationsOfOnePolarisationMakeTheMedian) {
  Profile p = BasinProfile();
  // The workstation's six slots: XY of stations 1 to 4 (3 shifted), the YX
  // of station 3 and station 1's XY again.
  FieldSets sets;
  auto load = [&sets](int slot, const FieldSet& from, int station) {
    sets[slot] = from;
    sets[slot].in_use = slot + 1;
    sets[slot].station = "P" + std::to_string(station);
  };
  for (int i = 0; i < 4; ++i) load(i, p.stations[i]->sets[0], i + 1);
  load(4, p.stations[2]->sets[1], 3);
  load(5, p.stations[0]->sets[0], 1);
  sets[5].log_rho[0] += 3.0f;  // would move the median if it counted twice
  ShiftEstimate e = ShiftFromLoadedStations(sets, 2);
  ASSERT_TRUE(e.ok) << e.message;
  EXPECT_EQ(e.points, 4);
  EXPECT_NEAR(e.factor_xy, 1.0 / 3.0, 0.1 / 3.0);
  EXPECT_NEAR(ShiftFromLoadedStations(sets, 0).factor_xy, 1.0, 0.1);
  // The YX of station 3 carries no shift, but only one YX station is
  // loaded: no median to move it onto.
  e = ShiftFromLoadedStations(sets, 4);
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.message,
            "Load the YX curves of at least 3 stations of the profile (1 "
            "loaded)");
  sets[3].in_use = -1;
  sets[1].in_use = -1;
  EXPECT_FALSE(ShiftFromLoadedStations(sets, 2).ok);
  EXPECT_FALSE(ShiftFromLoadedStations(sets, 1).ok);  // an empty slot
}

}  // namespace
}  // namespace mtvuk
