// Smoothing and transforming hostile sets never crashes and never stores a
// NaN: a single point, identical periods, every point switched off, values
// that are not numbers, zero frequencies.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "core/depth/depth_transform.h"
#include "core/fielddata/smoothing.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

void ExpectNoNan(const FieldSet& set, const char* what) {
  for (int i = 0; i < MaxFreq; ++i) {
    EXPECT_FALSE(std::isnan(set.smoothed_log_rho[i])) << what << i;
    EXPECT_FALSE(std::isnan(set.smoothed_slope[i])) << what << i;
    EXPECT_FALSE(std::isnan(set.phase_from_rho[i])) << what << i;
    EXPECT_FALSE(std::isnan(set.depth[i])) << what << i;
    EXPECT_FALSE(std::isnan(set.log_res[i])) << what << i;
    EXPECT_FALSE(std::isnan(set.log_s[i])) << what << i;
  }
}

void SmoothAndTransform(const char* what,
                        const std::function<void(FieldSet&)>& shape) {
  auto stores = test::NewStores();
  FieldSet& set = stores->sets[0];
  set.in_use = 1;
  set.count = 20;
  for (int i = 0; i < 20; ++i) {
    set.freq[i] = static_cast<float>(std::pow(10.0, 2.0 - 0.2 * i));
    set.log_rho[i] = 2.0f;
    set.log_rho_upper[i] = 2.02f;
    set.log_rho_lower[i] = 1.98f;
  }
  shape(set);
  set.smoothing_mark = 1;
  ScriptedUi ui;
  for (bool ignore : {false, true}) {
    stores->workspace.smoothing.ignore_errors = ignore;
    PhaseFromResistivity(set, SmoothingOptions::From(stores->workspace), ui);
    RunSmoothingRequest(stores->workspace, stores->sets, ui);
    TransformAll(stores->sets, stores->models);
    ExpectNoNan(set, what);
  }
}

TEST(SmoothingRobustness, TransformOfAnUnderflowingCurve) {
  FieldSet set;
  set.in_use = 1;
  set.count = 4;
  for (int i = 0; i < 4; ++i) {
    set.freq[i] = static_cast<float>(std::pow(10.0, -i));
    set.smoothed_log_rho[i] = i == 0 ? -3.28e14f : 2.0f;
  }
  TransformFieldSet(set);
  ExpectNoNan(set, "underflow");
  EXPECT_EQ(set.log_res[0], -14.0f);
  EXPECT_LT(set.depth[0], 0.0f);
  EXPECT_LT(set.depth[1], set.depth[0]);
  EXPECT_GT(set.log_s[2], -5.0f);
}

TEST(SmoothingRobustness, HostileSetsStoreNoNan) {
  SmoothAndTransform("one point", [](FieldSet& s) { s.count = 1; });
  SmoothAndTransform("no point", [](FieldSet& s) { s.count = 0; });
  SmoothAndTransform("negative count", [](FieldSet& s) { s.count = -5; });
  SmoothAndTransform("huge count", [](FieldSet& s) { s.count = 1000; });
  SmoothAndTransform("same periods", [](FieldSet& s) { s.freq.fill(3.0f); });
  SmoothAndTransform("all off", [](FieldSet& s) {
    s.point_use.fill(0.0f);
    s.point_deleted.fill(1);
  });
  SmoothAndTransform("nan values", [](FieldSet& s) {
    s.log_rho[3] = NAN;
    s.log_rho_upper[5] = NAN;
  });
  SmoothAndTransform("zero and negative frequency", [](FieldSet& s) {
    s.freq[0] = 0.0f;
    s.freq[7] = -1.0f;
  });
  SmoothAndTransform("infinite values", [](FieldSet& s) {
    s.log_rho[0] = INFINITY;
    s.freq[19] = INFINITY;
  });
  SmoothAndTransform("an infinite period among four", [](FieldSet& s) {
    s.count = 5;
    const float f[5] = {3.83e15f, 3.82e15f, 3.82e15f, 3e-43f, 0.0f};
    for (int i = 0; i < 5; ++i) s.freq[i] = f[i];
  });
  SmoothAndTransform("a resistivity that underflows",
                     [](FieldSet& s) { s.log_rho[1] = -3.28e14f; });
  SmoothAndTransform("huge resistivity", [](FieldSet& s) {
    for (int i = 0; i < 20; ++i) s.log_rho[i] = i % 2 ? 30.0f : -30.0f;
  });
}

}  // namespace
}  // namespace mtvuk
