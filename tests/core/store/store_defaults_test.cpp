#include "core/store/store_defaults.h"

#include <gtest/gtest.h>

#include "util/test_util.h"

namespace mtvuk {
namespace {

TEST(StoreDefaults, ResetSlotStartModelsAndLayerCount) {
  auto stores = test::NewStores();
  FieldSet& set = stores->sets[2];
  set.freq[5] = 33.0f;
  set.zxyr[99] = 7.0f;
  set.in_use = 3;
  set.point_deleted[4] = 1;
  set.label = "XY OLD";
  ResetFieldSet(set);
  EXPECT_EQ(set.count, 48);
  EXPECT_EQ(set.in_use, -1);
  EXPECT_EQ(set.site_name, "  ");
  EXPECT_EQ(set.label, "");
  for (int k = 0; k < MaxFreq; ++k) {
    ASSERT_EQ(set.point_use[k], 1.0f);  // every point in use
    ASSERT_EQ(set.phase_sign[k], 1);
  }
  EXPECT_EQ(set.coordinate_text[1], "000:00:00");
  // Start models continue their half-space below the layer count.
  const LayerModels& m = stores->models;
  const int counts[MaxModels] = {7, 6, 3, 3, 4, 4};
  const double half_space[MaxModels] = {100, 20, 5, 100, 100, 1};
  for (int i = 0; i < MaxModels; ++i) {
    EXPECT_EQ(m[i].layer_count, counts[i]);
    EXPECT_EQ(CountModelLayers(m[i].resistivity), counts[i]);
    EXPECT_EQ(m[i].name, "MODEL " + std::to_string(i + 1));
    for (int j = counts[i]; j < MaxLayers; ++j)
      EXPECT_EQ(m[i].resistivity[j], half_space[i]) << "model " << i;
    // Wide limits, so that a first fit moves the resistivities.
    EXPECT_EQ(m[i].resistivity_min[15], 0.1f);
    EXPECT_EQ(m[i].resistivity_max[0], 100000.0f);
    EXPECT_EQ(m[i].attached_set, -1);
  }
  // Thicknesses below the start sections keep the generic 100 km.
  EXPECT_EQ(m[1].thickness[1], 5.0);
  EXPECT_EQ(m[2].thickness[2], 100.0);
  EXPECT_EQ(m[3].ip_p1[0][0], 1000.0f);
  EXPECT_EQ(stores->workspace.any_set_in_use, 0);
  // The layer count ends at the deepest resistivity change.
  LayerArray<double> rho = FilledLayers(50.0);
  rho[0] = 100;
  rho[1] = 100;
  EXPECT_EQ(CountModelLayers(rho), 3);  // 100, 100, 50...: three layers
  EXPECT_EQ(CountModelLayers(FilledLayers(7.0)), 1);
  // A step of 2 % is a layer boundary, one of less than 1 % is not.
  LayerArray<double> step = FilledLayers(100.0);
  step[4] = 102.0;
  EXPECT_EQ(CountModelLayers(step), 6);
  LayerArray<double> near = FilledLayers(100.0);
  for (int k = 10; k < MaxLayers; ++k) near[k] = 100.9;
  EXPECT_EQ(CountModelLayers(near), 1);
  near[15] = 103.0;
  EXPECT_EQ(CountModelLayers(near), 16);
  LayerArray<double> all_differ{};
  for (int k = 0; k < MaxLayers; ++k) all_differ[k] = 10.0 * (k + 1);
  EXPECT_EQ(CountModelLayers(all_differ), 16);
}

}  // namespace
}  // namespace mtvuk
