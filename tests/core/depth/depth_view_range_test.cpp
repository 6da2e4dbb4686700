// The depth graph opens on what the data resolve: depths of the shown sets
// rounded out to decades, resistivities of their data with a margin, not
// the reach of a wild transformed point.
#include "core/depth/depth_view_range.h"

#include <gtest/gtest.h>

#include "core/store/store_defaults.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

void ProfileSet(FieldSet& s, double log_rho0, double depth0) {
  ResetFieldSet(s);
  s.in_use = 1;
  s.smoothed = 1;
  s.count = 5;
  s.point_use.fill(1.0f);
  for (int i = 0; i < 5; ++i) {
    s.log_rho[i] = static_cast<float>(log_rho0 + 0.2 * i);
    s.smoothed_log_rho[i] = s.log_rho[i];
    s.log_res[i] = s.log_rho[i];
    s.log_s[i] = static_cast<float>(-1.0 + 0.5 * i);
    s.depth[i] = static_cast<float>(-depth0 * (1 << i));
  }
}

TEST(DefaultDepthView, DataDecideTheRangesNotWildTransformedPoints) {
  auto stores = test::NewStores();
  FieldSets& sets = stores->sets;
  ProfileSet(sets[0], 1.1, 150.0);  // rho 12.6 .. 79, depths 150 .. 2400 m
  ProfileSet(sets[2], 0.2, 40.0);   // rho 1.6 .. 10, depths 40 .. 640 m
  sets[0].log_res[3] = 7.4f;        // a transformed point at 2.5e7 Ohm-m
  sets[2].log_rho[4] = 5.0f;        // a datum the robust smoother left out
  sets[2].smooth_outlier[4] = 1;
  DepthViewRange r = DefaultDepthView(sets, DepthQuantity::kResistivity);
  ASSERT_TRUE(r.found);
  EXPECT_DOUBLE_EQ(r.depth_top, 10.0);
  EXPECT_DOUBLE_EQ(r.depth_bottom, 10000.0);
  // log rho 0.2 .. 1.9 widened by a third of a decade, rounded out.
  EXPECT_DOUBLE_EQ(r.value_lo, 0.1);
  EXPECT_DOUBLE_EQ(r.value_hi, 1000.0);

  // A set switched off in the depth window does not count.
  sets[2].depth_switch = 0;
  r = DefaultDepthView(sets, DepthQuantity::kResistivity);
  EXPECT_DOUBLE_EQ(r.depth_top, 100.0);
  EXPECT_DOUBLE_EQ(r.value_lo, 1.0);
  // S(h): the conductances themselves, 0.1 .. 10 S.
  r = DefaultDepthView(sets, DepthQuantity::kConductance);
  EXPECT_DOUBLE_EQ(r.value_lo, 0.1);
  EXPECT_DOUBLE_EQ(r.value_hi, 10.0);
  // Nothing smoothed: nothing to decide.
  sets[0].smoothed = 0;
  EXPECT_FALSE(DefaultDepthView(sets, DepthQuantity::kResistivity).found);
}

}  // namespace
}  // namespace mtvuk
