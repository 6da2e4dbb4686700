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

void ExpectNoNan(const FieldSet& s, const std::string& what) {
  for (const PointArray* a : {&s.smoothed_log_rho,
                              &s.smoothed_slope,
                              &s.phase_from_rho,
                              &s.depth,
                              &s.log_res,
                              &s.log_s}) {
    for (int i = 0; i < MaxFreq; ++i)
      EXPECT_FALSE(std::isnan((*a)[i])) << what << " " << i;
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
  const std::pair<const char*, std::function<void(FieldSet&)>> shapes[] = {
      {"one point", [](FieldSet& s) { s.count = 1; }},
      {"no point", [](FieldSet& s) { s.count = 0; }},
      {"negative count", [](FieldSet& s) { s.count = -5; }},
      {"huge count", [](FieldSet& s) { s.count = 1000; }},
      {"same periods", [](FieldSet& s) { s.freq.fill(3.0f); }},
      {"all off",
       [](FieldSet& s) {
         s.point_use.fill(0.0f);
         s.point_deleted.fill(1);
       }},
      {"nan values",
       [](FieldSet& s) { s.log_rho[3] = s.log_rho_upper[5] = NAN; }},
      {"zero and negative frequency",
       [](FieldSet& s) { s.freq[0] = 0.0f, s.freq[7] = -1.0f; }},
      {"infinite values",
       [](FieldSet& s) { s.log_rho[0] = s.freq[19] = INFINITY; }},
      {"an infinite period among four",
       [](FieldSet& s) {
         s.count = 5;
         s.freq = {3.83e15f, 3.82e15f, 3.82e15f, 3e-43f, 0.0f};
       }},
      {"a resistivity that underflows",
       [](FieldSet& s) { s.log_rho[1] = -3.28e14f; }},
      {"huge resistivity", [](FieldSet& s) {
         for (int i = 0; i < 20; ++i) s.log_rho[i] = i % 2 ? 30.0f : -30.0f;
       }}};
  for (const auto& [what, shape] : shapes) {
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
}

}  // namespace
}  // namespace mtvuk
