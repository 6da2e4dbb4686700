// Res(h) and S(h) of field sets and of model curves.
#include "core/depth/depth_transform.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/depth/depth_view_range.h"
#include "core/depth/designed_model.h"
#include "core/fielddata/field_curve.h"
#include "core/fielddata/smoothing.h"
#include "core/physics/model_curve.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// A smoothed set: n points at T = 10^(0.25 i), log rho and slope given.
FieldSet SmoothedSet(int n, double log_rho, double slope) {
  FieldSet set;
  set.in_use = 1;
  set.count = n;
  for (int i = 0; i < n; ++i) {
    set.freq[i] = static_cast<float>(std::pow(10.0, -0.25 * i));
    set.smoothed_log_rho[i] = static_cast<float>(log_rho);
    set.smoothed_slope[i] = static_cast<float>(slope);
  }
  return set;
}

TEST(DepthTransform, BostickPointFieldSetProfileAndConductance) {
  FieldSet set = SmoothedSet(5, 2.0, 0.0);
  TransformFieldSet(set);
  const double h0 = -1000.0 * std::sqrt(100.0 / (4.0 * M_PI));
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(set.log_res[i], 2.0, 1e-6);
    EXPECT_NEAR(set.depth[i], h0 * std::pow(10.0, 0.125 * i), 1e-2);
  }
  // The first point's log S stays missing; the sum starts at its depth.
  EXPECT_EQ(set.log_s[0], kMissingLog);
  EXPECT_NEAR(std::pow(10.0, set.log_s[1]), -set.depth[1] / 100.0, 1e-3);

  // A shallower point after a deeper one goes 10 m below it.
  FieldSet back = SmoothedSet(4, 2.0, 0.0);
  back.smoothed_log_rho[2] = 0.0f;
  TransformFieldSet(back);
  EXPECT_FLOAT_EQ(back.depth[2], back.depth[1] - 10.0f);
  EXPECT_LT(back.depth[3], back.depth[2]);
  EXPECT_NEAR(back.log_res[2], 0.0, 1e-6);

  // Switched-off points: no log Res or log S, but their slab counts.
  FieldSet off = SmoothedSet(5, 2.0, 0.0);
  off.point_deleted[0] = 1;
  off.point_deleted[2] = 1;
  TransformFieldSet(off);
  EXPECT_EQ(off.log_res[0], kMissingLog);
  EXPECT_EQ(off.log_s[1], kMissingLog);  // the first used point
  EXPECT_EQ(off.log_s[2], kMissingLog);
  EXPECT_NEAR(std::pow(10.0, off.log_s[3]), -off.depth[3] / 100.0, 1e-3);
  FieldSet all_off = SmoothedSet(5, 2.0, 0.0);
  all_off.point_deleted.fill(1);
  TransformFieldSet(all_off);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(all_off.log_res[i], kMissingLog);
    EXPECT_EQ(all_off.log_s[i], kMissingLog);
    EXPECT_FLOAT_EQ(all_off.depth[i], off.depth[i]);
  }
  // A resistivity that underflows: log Res -14, the depths still go down.
  FieldSet tiny = SmoothedSet(4, 2.0, 0.0);
  tiny.smoothed_log_rho[0] = -3.28e14f;
  TransformFieldSet(tiny);
  EXPECT_EQ(tiny.log_res[0], -14.0f);
  EXPECT_LT(tiny.depth[0], 0.0f);
  for (int i = 1; i < 4; ++i) {
    EXPECT_LT(tiny.depth[i], tiny.depth[i - 1]);
    EXPECT_GT(tiny.log_s[i], -5.0f);
  }

  // Sets without a curve or switched off keep their old profile.
  FieldSet skipped = SmoothedSet(3, 2.0, 0.0);
  skipped.depth_switch = 0;
  skipped.log_res[0] = 1.5f;
  TransformFieldSet(skipped);
  EXPECT_EQ(skipped.log_res[0], 1.5f);
  EXPECT_EQ(skipped.depth[0], 0.0f);
  // Bostick's resistivity and depth of one point.
  const BostickPoint flat = Bostick(2.0, 0.0, 1.0);
  EXPECT_NEAR(flat.res, 100.0, 1e-12);
  EXPECT_NEAR(flat.depth, -2820.948, 1e-3);  // 1000 sqrt(100 / (4 pi))
  EXPECT_NEAR(Bostick(2.0, 0.99, 1.0).res, 100.0 * 1.99 / 0.01, 1e-6);
  EXPECT_NEAR(Bostick(2.0, 1.5, 1.0).res, 100.0 * 2.5 / 0.01, 1e-6);
  EXPECT_NEAR(Bostick(2.0, -0.995, 1.0).res, 100.0 * 0.01 / 1.995, 1e-9);
  EXPECT_NEAR(Bostick(0.0, 0.0, 400.0).depth,
              -1000.0 * std::sqrt(400.0 / (4.0 * M_PI)),
              1e-9);
}

TEST(DepthTransform, ModelSlopesProfilesAndAHalfSpace) {
  LayerModel m;
  m.curve.count = 6;
  m.curve.computed = 1;
  for (int i = 0; i < 6; ++i) {
    m.curve.log_period[i] = static_cast<float>(-1.0 + 0.5 * i);
    // A parabola: every triple gives its exact slope 0.2 + 0.2 x.
    const double x = m.curve.log_period[i];
    m.curve.log_rho[i] = static_cast<float>(1.0 + 0.2 * x + 0.1 * x * x);
  }
  ModelSlopes(m);
  for (int i = 0; i < 6; ++i) {
    const double x = m.curve.log_period[i];
    EXPECT_NEAR(m.depth_profile.slope[i], BoundedSlope(0.2 + 0.2 * x), 1e-6);
  }
  TransformModel(m);
  for (int i = 0; i < 6; ++i) {
    const BostickPoint b = Bostick(m.curve.log_rho[i],
                                   m.depth_profile.slope[i],
                                   std::pow(10.0, m.curve.log_period[i]));
    EXPECT_NEAR(m.depth_profile.log_res[i], std::log10(b.res), 1e-6);
    EXPECT_NEAR(m.depth_profile.depth[i], b.depth, 1e-2);
  }
  // S: the slab above the first point, then each slab at its top's Res.
  double s =
      -m.depth_profile.depth[0] / std::pow(10.0, m.depth_profile.log_res[0]);
  for (int i = 0; i < 5; ++i) {
    s += (m.depth_profile.depth[i] - m.depth_profile.depth[i + 1]) /
         std::pow(10.0, m.depth_profile.log_res[i]);
    EXPECT_NEAR(m.depth_profile.log_s[i], std::log10(s), 1e-5);
  }
  EXPECT_EQ(m.depth_profile.log_s[5], kMissingLog);

  // A cubic: the parabola of each point's triple (the ends: first, last).
  LayerModel cubic = m;
  for (int i = 0; i < 6; ++i) {
    const double x = cubic.curve.log_period[i];
    cubic.curve.log_rho[i] = static_cast<float>(0.3 * x * x * x);
  }
  ModelSlopes(cubic);
  auto parabola_slope = [&](int first, int at) {
    double x[3], y[3];
    for (int j = 0; j < 3; ++j) {
      x[j] = cubic.curve.log_period[first + j];
      y[j] = cubic.curve.log_rho[first + j];
    }
    const double d01 = (y[1] - y[0]) / (x[1] - x[0]);
    const double d12 = (y[2] - y[1]) / (x[2] - x[1]);
    const double s2 = (d12 - d01) / (x[2] - x[0]);
    return BoundedSlope(d01 +
                        s2 * (2.0 * cubic.curve.log_period[at] - x[0] - x[1]));
  };
  const int first_triple[6] = {0, 0, 1, 2, 3, 3};
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(
        cubic.depth_profile.slope[i], parabola_slope(first_triple[i], i), 1e-6)
        << i;
  }

  // Fewer than three points: the slopes stay.
  LayerModel two = m;
  two.curve.count = 2;
  ModelSlopes(two);
  EXPECT_EQ(two.depth_profile.slope, m.depth_profile.slope);

  // A half-space through its forward response: flat, Res = rho.
  auto stores = test::NewStores();
  ScriptedUi ui;
  LayerModel& half = stores->models[0];
  half.layer_count = 1;
  half.resistivity.fill(100.0);
  half.period_min = 0.01f;
  half.period_max = 1000.0f;
  ModelCurveDriver(DriverMode::kPlain, stores->workspace, stores->models, ui);
  stores->models[1].shown = 0;
  stores->models[1].depth_profile.log_res[0] = 7.0f;
  TransformAll(stores->sets, stores->models);
  const auto& p = half.depth_profile;
  ASSERT_GT(half.curve.count, 80);
  for (int i = 0; i < half.curve.count; ++i) {
    EXPECT_NEAR(p.slope[i], 0.0, 1e-6);
    EXPECT_NEAR(p.log_res[i], 2.0, 1e-5);
  }
  EXPECT_NEAR(
      p.depth[40], -1000.0 * std::sqrt(100.0 * 1.0 / (4.0 * M_PI)), 0.05);
  EXPECT_EQ(stores->models[1].depth_profile.log_res[0], 7.0f);  // not shown
}

// The depth graph opens on what the data resolve, not on a wild point.
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

TEST(DesignedModel, MouseDesignRoundingAndAThreeLayerExampleSetOnAModel) {
  EXPECT_DOUBLE_EQ(DesignedModelRounding(0.0005), 0.0005);  // 5.00e-04
  EXPECT_DOUBLE_EQ(DesignedModelRounding(0.123456), 0.1235);
  EXPECT_DOUBLE_EQ(DesignedModelRounding(5.67891), 5.679);
  EXPECT_DOUBLE_EQ(DesignedModelRounding(123.456), 123.46);
  EXPECT_DOUBLE_EQ(DesignedModelRounding(1234.6), 1235.0);
  EXPECT_DOUBLE_EQ(DesignedModelRounding(123456.0), 12345.0);  // 5 characters

  auto stores = test::NewStores();
  ScriptedUi ui;
  DepthWindowLogic window(stores->workspace, ui);
  EXPECT_FALSE(window.PressDesign());
  EXPECT_TRUE(window.design);
  EXPECT_FALSE(window.SetModel());     // no point yet
  EXPECT_FALSE(window.PressDesign());  // twice without a point: no question
  EXPECT_FALSE(window.design);
  EXPECT_TRUE(ui.prompts().empty());

  window.PressDesign();
  const auto res = DepthQuantity::kResistivity;
  window.points.Add(-500.0, 2.0, res);
  window.points.Add(-2000.0, 1.0, res);
  window.points.Add(-2600.0, 3.0, res);
  ASSERT_TRUE(window.SetModel());
  EXPECT_TRUE(window.design);
  const DesignedModel& d = stores->workspace.designed_model;
  const double rho[5] = {100, 10, 1000, 1000, 1000};
  const double h[5] = {0.5, 1.5, 100, 100, 100};
  for (int k = 0; k < 5; ++k) {
    EXPECT_NEAR(d.resistivity[k], rho[k], 1e-9);
    EXPECT_NEAR(d.thickness[k], h[k], 1e-12);
  }
  EXPECT_NEAR(d.resistivity[15], 1000.0, 1e-9);

  ui.Expect("END DESIGN", Answer::kYes);
  EXPECT_TRUE(window.PressDesign());
  EXPECT_EQ(ui.prompts().back().text, "Set designed model?");
  EXPECT_EQ(ui.prompts().back().buttons, Buttons::kYesNo);
  EXPECT_FALSE(window.design);

  stores->workspace.current_model = 4;
  DesignedModelDialogLogic dialog(stores->workspace, stores->models, ui);
  EXPECT_EQ(dialog.target, 4);
  dialog.target = 2;
  ASSERT_TRUE(dialog.Apply());
  const LayerModel& m = stores->models[2];
  EXPECT_EQ(m.layer_count, 3);
  EXPECT_EQ(m.resistivity[1], 10.0);
  EXPECT_EQ(m.thickness[0], 0.5);
  EXPECT_EQ(m.thickness[14], 100.0);
  EXPECT_EQ(stores->workspace.current_model, 2);
  EXPECT_EQ(ui.posts().back().message, Um::UM_MODELSCHANGED);
  stores->workspace.model_form_open = true;
  ASSERT_TRUE(dialog.Apply());
  EXPECT_EQ(ui.posts().back().message, Um::UM_MODELSYNC);
  EXPECT_EQ(ui.posts().back().window, Window::kModelForm);

  window.ClickQuantity();
  EXPECT_EQ(window.state.quantity, DepthQuantity::kConductance);
  window.ClickQuantity();
  EXPECT_EQ(window.state.quantity, DepthQuantity::kResistivity);

  // A value out of its row's range: refused, nothing changes.
  const std::size_t posted = ui.posts().size();
  dialog.resistivity.fill(10.0);
  dialog.thickness.fill(1.0);
  EXPECT_FALSE(dialog.Validate());
  dialog.resistivity[7] = 1e-9;   // row 8 accepts it
  dialog.thickness[6] = 0.0001;   // row 7 too
  dialog.thickness[10] = 0.0001;  // row 11 too
  EXPECT_FALSE(dialog.Validate());
  dialog.resistivity[8] = 1e-6;  // row 9 does not
  using Refused = std::pair<int, std::string>;
  EXPECT_EQ(dialog.Validate(),
            Refused(8, "Please enter a number between 1e-05 and 1000000."));
  dialog.resistivity[8] = 10.0;
  dialog.thickness[7] = 0.0005;  // row 8 needs 0.001
  EXPECT_EQ(dialog.Validate().value_or(Refused()).first, 16 + 7);
  const LayerModel before = stores->models[2];
  EXPECT_FALSE(dialog.Apply());
  EXPECT_EQ(stores->models[2].resistivity, before.resistivity);
  EXPECT_EQ(ui.posts().size(), posted);

  // Designing with the mouse in Res(h) and S(h).
  DepthDesign design;
  EXPECT_FALSE(design.Add(10.0, 2.0, res));  // above the surface
  ASSERT_TRUE(design.Add(-500.0, 2.0, res));
  EXPECT_FALSE(design.Add(-500.0, 1.0, res));  // not deeper than the last point
  ASSERT_TRUE(design.Add(-2000.0, 1.0, res));
  EXPECT_DOUBLE_EQ(design.point(0).thickness, 500.0);
  EXPECT_DOUBLE_EQ(design.point(1).thickness, 1500.0);
  EXPECT_DOUBLE_EQ(design.point(0).conductance, 5.0);
  EXPECT_DOUBLE_EQ(design.point(1).conductance, 155.0);
  EXPECT_NEAR(design.point(1).log_s, std::log10(155.0), 1e-12);

  // In S(h) the horizontal value is the cumulative conductance.
  const auto s = DepthQuantity::kConductance;
  EXPECT_FALSE(design.Add(-3000.0, std::log10(100.0), s));  // less than 155 S
  ASSERT_TRUE(design.Add(-3000.0, std::log10(165.0), s));
  EXPECT_NEAR(design.point(2).log_res, 2.0, 1e-9);  // 1000 m / 10 S
  ASSERT_TRUE(design.Add(-3000.5, std::log10(165.0 + 1e-7), s));
  EXPECT_NEAR(design.point(3).log_res, std::log10(0.5 / 1e-5), 1e-6);

  // A dragged point stays between its neighbours; layers follow.
  design.Move(1, -5000.0, 0.0, res);  // below point 3: the depth stays
  EXPECT_DOUBLE_EQ(design.point(1).depth, -2000.0);
  design.Move(1, -1000.0, 0.0, res);
  EXPECT_DOUBLE_EQ(design.point(1).thickness, 500.0);
  EXPECT_DOUBLE_EQ(design.point(2).thickness, 2000.0);
  EXPECT_DOUBLE_EQ(design.point(1).conductance, 505.0);
  const auto limits = design.DragLimits(1, -1e5);
  EXPECT_DOUBLE_EQ(limits.first, -3000.0);
  EXPECT_DOUBLE_EQ(limits.second, -500.0);
  EXPECT_DOUBLE_EQ(design.DragLimits(3, -1e5).first, -1e5);

  design.RemoveLast();
  EXPECT_EQ(design.count(), 3);
  for (int i = 0; i < 4; ++i) design.RemoveLast();
  EXPECT_EQ(design.count(), 0);
  for (int i = 0; i < 20; ++i) design.Add(-100.0 * (i + 1), 1.0, res);
  EXPECT_EQ(design.count(), kMaxDesignedPoints);
}

}  // namespace
}  // namespace mtvuk
