#include "core/dimensionality/static_shift.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/dimensionality/dplus.h"
#include "core/fielddata/field_curve.h"
#include "synthetic_tensor.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// XY and YX of an earth that is 1-D down to 2 km and anisotropic below:
// the curves coincide at short periods and part at long ones. Errors grow
// from 1.5 % to 6 %, with noise.
std::unique_ptr<Stores> TwoPolarisations(unsigned seed) {
  auto stores = test::NewStores();
  test::FillSounding(stores->workspace.sounding,
                     {{80, 0, 0, 2.0}, {5, 200, 0, 10.0}, {300, 0, 0, 0}},
                     48,
                     1e-3,
                     1e3,
                     0.015,
                     0.06,
                     true,
                     seed);
  LoadFieldSet(
      0, CurveMode::XY, stores->workspace, stores->sets, stores->models);
  LoadFieldSet(
      1, CurveMode::YX, stores->workspace, stores->sets, stores->models);
  return stores;
}

TEST(StaticShift, FactorMovesRhoAndKeepsThePhase) {
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
  // Bad factors are refused and change nothing.
  // 1e-50 and 1e40 would be stored as 0 and infinity.
  for (double bad : {0.0, -2.0, std::nan(""), HUGE_VAL, 1e-50, 1e40}) {
    EXPECT_FALSE(SetStaticShift(xy, bad));
    EXPECT_FLOAT_EQ(xy.static_shift, 1.0f);
  }
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
  // No common period.
  auto stores = TwoPolarisations(1);
  stores->sets[1].freq.fill(1e6f);
  EXPECT_FALSE(ShiftFromPolarisations(
                   stores->sets[0], stores->sets[1], ShiftTarget::kOntoYX)
                   .ok);
}

TEST(StaticShift, NearSurfaceResistivityAndProfileMedian) {
  auto stores = TwoPolarisations(9);
  FieldSet& xy = stores->sets[0];
  SetStaticShift(xy, 0.5);
  xy.static_shift = 1.0f;  // a shift of 0.5 in the data
  // The first layer is 80 Ohm-m.
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

}  // namespace
}  // namespace mtvuk
