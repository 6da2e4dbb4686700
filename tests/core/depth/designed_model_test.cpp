// Designing a model with the mouse and handing it to a model.
#include "core/depth/designed_model.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

TEST(DepthDesign, AddMoveRemoveInResAndSMode) {
  DepthDesign d;
  const auto res = DepthQuantity::kResistivity;
  EXPECT_FALSE(d.Add(10.0, 2.0, res));  // above the surface
  ASSERT_TRUE(d.Add(-500.0, 2.0, res));
  EXPECT_FALSE(d.Add(-500.0, 1.0, res));  // not deeper than the last point
  ASSERT_TRUE(d.Add(-2000.0, 1.0, res));
  EXPECT_DOUBLE_EQ(d.point(0).thickness, 500.0);
  EXPECT_DOUBLE_EQ(d.point(1).thickness, 1500.0);
  EXPECT_DOUBLE_EQ(d.point(0).conductance, 5.0);
  EXPECT_DOUBLE_EQ(d.point(1).conductance, 155.0);
  EXPECT_NEAR(d.point(1).log_s, std::log10(155.0), 1e-12);

  // In S(h) the horizontal value is the cumulative conductance.
  const auto s = DepthQuantity::kConductance;
  EXPECT_FALSE(d.Add(-3000.0, std::log10(100.0), s));  // less than 155 S
  ASSERT_TRUE(d.Add(-3000.0, std::log10(165.0), s));
  EXPECT_NEAR(d.point(2).log_res, 2.0, 1e-9);  // 1000 m / 10 S
  ASSERT_TRUE(d.Add(-3000.5, std::log10(165.0 + 1e-7), s));
  EXPECT_NEAR(d.point(3).log_res, std::log10(0.5 / 1e-5), 1e-6);

  // A dragged point stays between its neighbours; layers follow.
  d.Move(1, -5000.0, 0.0, res);  // below point 3: the depth stays
  EXPECT_DOUBLE_EQ(d.point(1).depth, -2000.0);
  d.Move(1, -1000.0, 0.0, res);
  EXPECT_DOUBLE_EQ(d.point(1).thickness, 500.0);
  EXPECT_DOUBLE_EQ(d.point(2).thickness, 2000.0);
  EXPECT_DOUBLE_EQ(d.point(1).conductance, 505.0);
  const auto limits = d.DragLimits(1, -1e5);
  EXPECT_DOUBLE_EQ(limits.first, -3000.0);
  EXPECT_DOUBLE_EQ(limits.second, -500.0);
  EXPECT_DOUBLE_EQ(d.DragLimits(3, -1e5).first, -1e5);

  d.RemoveLast();
  EXPECT_EQ(d.count(), 3);
  d.RemoveLast();
  d.RemoveLast();
  d.RemoveLast();
  d.RemoveLast();
  EXPECT_EQ(d.count(), 0);
  for (int i = 0; i < 20; ++i) d.Add(-100.0 * (i + 1), 1.0, res);
  EXPECT_EQ(d.count(), kMaxDesignedPoints);
}

TEST(DesignedModel, ExampleGivesAThreeLayerModel) {
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
}

TEST(DesignedModel, RoundingFormsAndRanges) {
  EXPECT_DOUBLE_EQ(DesignedModelRounding(0.0005), 0.0005);  // 5.00e-04
  EXPECT_DOUBLE_EQ(DesignedModelRounding(0.000123456), 0.000123);
  EXPECT_DOUBLE_EQ(DesignedModelRounding(0.123456), 0.1235);
  EXPECT_DOUBLE_EQ(DesignedModelRounding(5.67891), 5.679);
  EXPECT_DOUBLE_EQ(DesignedModelRounding(123.456), 123.46);
  EXPECT_DOUBLE_EQ(DesignedModelRounding(1234.6), 1235.0);
  EXPECT_DOUBLE_EQ(DesignedModelRounding(123456.0), 12345.0);  // 5 characters

  auto stores = test::NewStores();
  ScriptedUi ui;
  DesignedModelDialogLogic dialog(stores->workspace, stores->models, ui);
  dialog.resistivity.fill(10.0);
  dialog.thickness.fill(1.0);
  EXPECT_FALSE(dialog.Validate());
  dialog.resistivity[7] = 1e-9;   // row 8 accepts it
  dialog.thickness[6] = 0.0001;   // row 7 too
  dialog.thickness[10] = 0.0001;  // row 11 too
  EXPECT_FALSE(dialog.Validate());
  dialog.resistivity[8] = 1e-6;  // row 9 does not
  auto refused = dialog.Validate();
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->first, 8);
  EXPECT_EQ(refused->second,
            "Please enter a number between 1e-05 and 1000000.");
  dialog.resistivity[8] = 10.0;
  dialog.thickness[7] = 0.0005;  // row 8 needs 0.001
  refused = dialog.Validate();
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->first, 16 + 7);
  const LayerModel before = stores->models[0];
  EXPECT_FALSE(dialog.Apply());
  EXPECT_EQ(stores->models[0].resistivity, before.resistivity);
  EXPECT_TRUE(ui.posts().empty());
}

}  // namespace
}  // namespace mtvuk
