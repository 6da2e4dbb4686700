#include "core/modelform/modeling_dialogs.h"

#include <gtest/gtest.h>

#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

TEST(ModelingSettings, SilentCorrectionsOnOk) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  ModelingSettings s =
      ModelingSettings::Load(stores->workspace, stores->models);
  EXPECT_EQ(s.names[2], "MODEL 3");
  s.resistivity_step = 1.0;
  s.thickness_step = 0.0001;
  s.period_max = 50.0;
  s.period_min = 5.0;
  s.pen_width = 4;
  s.names[1] = "CRUST";
  s.shown = {0, 1, 0, 0, 0, 0};
  ASSERT_FALSE(s.Validate().has_value());
  EXPECT_TRUE(s.Apply(stores->workspace, stores->models, ui));
  EXPECT_FLOAT_EQ(stores->workspace.resistivity_step, 1.01f);
  EXPECT_FLOAT_EQ(stores->workspace.thickness_step, 0.1f);
  EXPECT_EQ(stores->workspace.pen_width, 4);
  for (const LayerModel& m : stores->models) {
    EXPECT_EQ(m.period_max, 100.0f);
    EXPECT_EQ(m.period_min, 1.0f);
  }
  EXPECT_EQ(stores->models[1].name, "CRUST");
  EXPECT_EQ(stores->models[0].shown, 0);
  EXPECT_EQ(stores->workspace.any_model_shown, 1);
  ASSERT_EQ(ui.posts().size(), 1u);
  EXPECT_EQ(ui.posts()[0].message, Um::UM_MODELSCHANGED);
  // Not posted while the model editor is open; the same pen is no change.
  stores->workspace.model_form_open = true;
  EXPECT_FALSE(s.Apply(stores->workspace, stores->models, ui));
  EXPECT_EQ(ui.posts().size(), 1u);
}

TEST(ModelingSettings, RangesRefuseTheOk) {
  auto stores = test::NewStores();
  ModelingSettings s =
      ModelingSettings::Load(stores->workspace, stores->models);
  s.resistivity_step = 2.5;
  auto error = s.Validate();
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->first, 0);
  EXPECT_EQ(error->second, "Please enter a number between 1 and 2.");
  s.resistivity_step = 1.5;
  s.pen_width = 6;
  EXPECT_EQ(s.Validate()->second, "Please enter an integer between 1 and 5.");
  s.pen_width = 5;
  s.period_min = 1e-7;
  EXPECT_EQ(s.Validate()->first, 2);
}

TEST(ModelChoice, HiddenModelsCannotBeChosen) {
  auto stores = test::NewStores();
  stores->models[3].shown = 0;
  ModelChoice c = ModelChoice::Load(stores->workspace, stores->models);
  EXPECT_EQ(c.chosen[3], 0);
  EXPECT_EQ(c.enabled[3], 0);
  EXPECT_EQ(c.chosen[0], 1);
  c.Toggle(3);
  EXPECT_EQ(c.chosen[3], 0);
  c.Toggle(0);
  EXPECT_EQ(c.chosen[0], 0);
  c.period_min = 2.0;
  EXPECT_EQ(c.Validate()->second, "Please enter a number between 1e-06 and 1.");
  c.period_min = 0.01;
  ASSERT_FALSE(c.Validate().has_value());
  c.Apply(stores->workspace, stores->models);
  EXPECT_EQ(stores->models[0].export_flag, 0);
  EXPECT_EQ(stores->models[1].export_flag, 1);
  EXPECT_EQ(stores->workspace.export_period_min, 0.01);
}

}  // namespace
}  // namespace mtvuk
