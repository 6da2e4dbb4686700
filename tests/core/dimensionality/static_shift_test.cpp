#include "core/dimensionality/static_shift.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "core/dimensionality/dplus.h"
#include "core/dimensionality/profile_shift.h"
#include "synthetic_tensor.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// An earth 1-D down to 2 km, anisotropic below; errors from 1.5 % to 6 %.
std::unique_ptr<Stores> TwoPolarisations(unsigned seed) {
  return test::TwoCurves(
      {{80, 0, 0, 2.0}, {5, 200, 0, 10.0}, {300, 0, 0, 0}},
      {.n = 48, .err_lo = 0.015, .err_hi = 0.06, .seed = seed});
}

TEST(StaticShift, FactorNearSurfaceResistivityAndProfileMedian) {
  auto stores = TwoPolarisations(5);
  FieldSet& xy = stores->sets[0];
  const FieldSet before = xy;
  // The factor a fresh set has changes nothing, bit for bit.
  ASSERT_TRUE(SetStaticShift(xy, 1.0));
  EXPECT_EQ(
      std::memcmp(xy.log_rho.data(), before.log_rho.data(), sizeof xy.log_rho),
      0);
  EXPECT_EQ(std::memcmp(xy.re_z.data(), before.re_z.data(), sizeof xy.re_z), 0);
  ASSERT_TRUE(SetStaticShift(xy, 3.0));
  EXPECT_FLOAT_EQ(xy.static_shift, 3.0f);
  for (int k : {0, 23, 47}) {
    EXPECT_NEAR(xy.log_rho[k], before.log_rho[k] + std::log10(3.0), 1e-5);
    EXPECT_NEAR(xy.log_rho_lower[k] - xy.log_rho[k],
                before.log_rho_lower[k] - before.log_rho[k],
                1e-5);
    EXPECT_NEAR(xy.re_z[k],
                before.re_z[k] * std::sqrt(3.0),
                1e-6 * std::fabs(before.re_z[k]));
    EXPECT_EQ(xy.phase[k], before.phase[k]);
    EXPECT_EQ(xy.err_re[k], before.err_re[k]);
    // Restoring the points as read keeps the shift.
    EXPECT_EQ(xy.as_read[k].log_rho, xy.log_rho[k]);
  }
  // Points beyond the curve keep their marks.
  EXPECT_EQ(xy.log_rho[60], before.log_rho[60]);
  // A shifted 1-D curve is still 1-D: its D+ misfit hardly moves.
  const double chi_before = FitDPlus(ImpedanceDataOf(before)).chi2;
  EXPECT_NEAR(
      FitDPlus(ImpedanceDataOf(xy)).chi2, chi_before, 0.02 * chi_before + 0.5);
  // The factor is absolute: back to 1 gives the curve as loaded.
  ASSERT_TRUE(SetStaticShift(xy, 1.0));
  EXPECT_NEAR(xy.log_rho[10], before.log_rho[10], 1e-5);
  // Bad factors (1e-50 and 1e40 would be stored as 0 and inf) are refused.
  for (double bad : {0.0, -2.0, std::nan(""), HUGE_VAL, 1e-50, 1e40}) {
    EXPECT_FALSE(SetStaticShift(xy, bad));
    EXPECT_FLOAT_EQ(xy.static_shift, 1.0f);
  }
  SetStaticShift(xy, 0.5);
  xy.static_shift = 1.0f;  // a shift of 0.5 in the data
  const ShiftEstimate e = ShiftFromNearSurface(xy, 80.0);
  ASSERT_TRUE(e.ok);
  EXPECT_NEAR(e.factor_xy, 2.0, 0.15);
  EXPECT_EQ(e.message.find("not near 45"), std::string::npos);
  EXPECT_FALSE(ShiftFromNearSurface(xy, -1.0).ok);
  // Along a profile every station is moved onto the median.
  const std::vector<double> f =
      ShiftsFromProfile({1.0, 2.0, std::nan(""), 3.0, 2.5});
  ASSERT_EQ(f.size(), 5u);
  EXPECT_NEAR(f[0], std::pow(10.0, 1.25), 1e-9);
  EXPECT_NEAR(f[1], std::pow(10.0, 0.25), 1e-9);
  EXPECT_EQ(f[2], 1.0);
  EXPECT_NEAR(f[3], std::pow(10.0, -0.75), 1e-9);
  EXPECT_NEAR(ShortestPeriodLogRho(stores->sets[1]), std::log10(80.0), 0.03);
}

TEST(StaticShift, PolarisationsRecoverAShiftOfTheXYCurve) {
  for (unsigned seed : {5u, 17u, 40u}) {
    auto stores = TwoPolarisations(seed);
    FieldSet& xy = stores->sets[0];
    FieldSet& yx = stores->sets[1];
    // A galvanic shift of 3 on XY alone, as the file would carry it.
    ASSERT_TRUE(SetStaticShift(xy, 3.0));
    xy.static_shift = 1.0f;  // now part of the data
    ShiftEstimate e = ShiftFromPolarisations(xy, yx, ShiftTarget::kOntoYX);
    ASSERT_TRUE(e.ok) << e.message;
    EXPECT_EQ(e.points, 5);
    EXPECT_NEAR(e.factor_xy, 1.0 / 3.0, 0.1 / 3.0) << seed;
    EXPECT_EQ(e.factor_yx, 1.0);
    e = ShiftFromPolarisations(xy, yx, ShiftTarget::kOntoXY);
    EXPECT_NEAR(e.factor_yx, 3.0, 0.3);
    e = ShiftFromPolarisations(xy, yx, ShiftTarget::kGeometricMean);
    EXPECT_NEAR(e.factor_xy * e.factor_yx, 1.0, 1e-12);
    EXPECT_NEAR(e.factor_yx, std::sqrt(3.0), 0.1 * std::sqrt(3.0));
    // Applied, the short periods of both curves coincide.
    SetStaticShift(xy, e.factor_xy);
    SetStaticShift(yx, e.factor_yx);
    EXPECT_NEAR(xy.log_rho[1], yx.log_rho[1], 0.06);
    // The estimate reads the curves as they are without their own shift.
    const ShiftEstimate again =
        ShiftFromPolarisations(xy, yx, ShiftTarget::kOntoYX);
    EXPECT_NEAR(again.factor_xy, 1.0 / 3.0, 0.1 / 3.0);
  }
  auto stores = TwoPolarisations(1);
  stores->sets[1].freq.fill(1e6f);
  EXPECT_FALSE(ShiftFromPolarisations(
                   stores->sets[0], stores->sets[1], ShiftTarget::kOntoYX)
                   .ok);
}

// Six stations over a basin; station 3's XY carries a galvanic shift of 3.
struct Profile {
  std::vector<std::unique_ptr<Stores>> stations;
  std::vector<double> LogRho(int slot, int shortest = 5) const {
    std::vector<double> out;
    for (const auto& s : stations)
      out.push_back(ShortestPeriodLogRho(s->sets[slot], shortest));
    return out;
  }
};

TEST(ProfileShift, MedianOfTheStations) {
  Profile p;
  const double basin_km[] = {0.4, 1.1, 1.9, 2.4, 1.6, 0.7};
  for (int i = 0; i < 6; ++i) {
    p.stations.push_back(test::TwoCurves(
        {{150, 0, 0, 0.25},
         {6, 0, 0, basin_km[i]},
         {1000, 100, 30, 20.0},
         {50, 0, 0, 0}},
        {.err_lo = 0.01 + 0.005 * i, .err_hi = 0.05, .seed = 11u + i}));
  }
  FieldSet& xy3 = p.stations[2]->sets[0];
  EXPECT_TRUE(SetStaticShift(xy3, 3.0));
  xy3.static_shift = 1.0f;  // part of the data now
  // Slots: XY of stations 1 to 4, YX of station 3, station 1's XY again.
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
  // Only one YX station is loaded: no median to move it onto.
  e = ShiftFromLoadedStations(sets, 4);
  EXPECT_FALSE(e.ok);
  EXPECT_EQ(e.message,
            "Load the YX curves of at least 3 stations of the profile (1 "
            "loaded)");
  sets[3].in_use = -1;
  sets[1].in_use = -1;
  EXPECT_FALSE(ShiftFromLoadedStations(sets, 2).ok);
  EXPECT_FALSE(ShiftFromLoadedStations(sets, 1).ok);  // an empty slot

  // Station 3's shortest period edited up, then deleted: the next five count.
  ASSERT_TRUE(std::is_sorted(
      xy3.freq.begin(), xy3.freq.begin() + xy3.count, std::greater<>()));
  const std::vector<double> before = ShiftsFromProfile(p.LogRho(0));
  const double unedited = ShortestPeriodLogRho(xy3);
  xy3.log_rho[0] += 2.0f;
  EXPECT_NEAR(ShortestPeriodLogRho(xy3) - unedited, 0.4, 1e-5);
  xy3.point_deleted[0] = 1;
  double next_five = 0.0;
  for (int i = 1; i <= 5; ++i) next_five += xy3.log_rho[i] / 5.0;
  EXPECT_NEAR(ShortestPeriodLogRho(xy3), next_five, 1e-6);
  xy3.point_deleted[0] = 0;
  xy3.log_rho[0] -= 2.0f;
  // A station without a used period keeps factor 1, the others theirs.
  FieldSet& xy5 = p.stations[4]->sets[0];
  for (int k = 0; k < xy5.count; ++k) xy5.point_deleted[k] = 1;
  EXPECT_TRUE(std::isnan(ShortestPeriodLogRho(xy5)));
  const std::vector<double> left = ShiftsFromProfile(p.LogRho(0));
  EXPECT_EQ(left[4], 1.0);
  for (int i : {0, 1, 2, 3, 5})
    EXPECT_NEAR(left[i], before[i], 0.05 * before[i]);
  for (int k = 0; k < xy5.count; ++k) xy5.point_deleted[k] = 0;

  const std::vector<double> xy = ShiftsFromProfile(p.LogRho(0));
  ASSERT_EQ(xy.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    const double expected = i == 2 ? 1.0 / 3.0 : 1.0;
    EXPECT_NEAR(xy[i], expected, 0.1 * expected) << "station " << i + 1;
  }
  // The YX curves carry no shift: every factor stays near 1.
  for (double f : ShiftsFromProfile(p.LogRho(1))) EXPECT_NEAR(f, 1.0, 0.1);

  // Applied, every station is on one rho_a; asking again gives the same.
  for (int i = 0; i < 6; ++i)
    ASSERT_TRUE(SetStaticShift(p.stations[i]->sets[0], xy[i]));
  const std::vector<double> again = ShiftsFromProfile(p.LogRho(0));
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(again[i], xy[i], 1e-5 * xy[i]);
    EXPECT_NEAR(p.stations[i]->sets[0].log_rho[0],
                p.stations[0]->sets[0].log_rho[0],
                0.03);
  }
  // From one shortest period only: still near the shift.
  EXPECT_NEAR(ShiftsFromProfile(p.LogRho(0, 1))[2], 1.0 / 3.0, 0.05);
}

}  // namespace
}  // namespace mtvuk
