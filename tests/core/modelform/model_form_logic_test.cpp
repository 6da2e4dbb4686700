#include "core/modelform/model_form_logic.h"

#include <gtest/gtest.h>

#include "core/modelform/modeling_dialogs.h"
#include "core/modelform/number_rounding.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

class ModelFormTest : public testing::Test {
 protected:
  std::unique_ptr<Stores> stores_ = test::NewStores();
  ScriptedUi ui_;
  ModelFormLogic Form() {
    return ModelFormLogic(stores_->workspace, stores_->models, ui_);
  }
};

// The first cell out of range: its row, column and message.
void ExpectCellError(const std::optional<CellError>& e,
                     int row,
                     Column column,
                     const std::string& message) {
  ASSERT_TRUE(e.has_value()) << message;
  EXPECT_EQ(e->row, row);
  EXPECT_EQ(e->column, column);
  EXPECT_EQ(e->message, message);
}

TEST(NumberRounding, FiveAndSixCharacterTexts) {
  EXPECT_EQ(RoundFive(12345.6), 12346.0);
  EXPECT_EQ(RoundFive(123.456), 123.5);
  EXPECT_EQ(RoundFive(0.01234), 0.012);
  EXPECT_EQ(RoundFive(5.678), 5.68);
  EXPECT_EQ(RoundFive(0.0004), 0.001);
  EXPECT_EQ(RoundFive(123456.0), 99999.0);
  EXPECT_EQ(RoundFive(0.0004, false), 0.0004);
  EXPECT_EQ(RoundSix(123.45), 123.5);  // " 123.5" reads back as 123.5
  EXPECT_EQ(RoundSix(5.678), 5.68);
  EXPECT_EQ(RoundSix(0.12345), 0.123);
  EXPECT_EQ(RoundSix(1234.5678), 1234.5678);
}

TEST_F(ModelFormTest, OutOfRangeCellsStopTheTransferAndStoreNothing) {
  ModelFormLogic form = Form();
  const LayerModel before = stores_->models[0];
  form.cells()[2].rho = 2e6;
  form.cells()[0].rho = 77.0;
  ExpectCellError(form.FormToModel(0),
                  2,
                  Column::kResistivity,
                  "Please enter a number between 1e-10 and 999999.");
  EXPECT_EQ(stores_->models[0].resistivity, before.resistivity);
  form.cells()[2].rho = 20.0;
  form.cells()[7].h = 0.0005;  // row 8 starts at 0.001
  ExpectCellError(form.FormToModel(0),
                  7,
                  Column::kThickness,
                  "Please enter a number between 0.001 and 999999.");
  form.cells()[7].h = 0.5;
  form.cells()[4].rho1 = 5e-5f;  // rows 5 and 6 start at 1e-4
  ExpectCellError(form.FormToModel(0),
                  4,
                  Column::kRho1,
                  "Please enter a number between 0.0001 and 1e+06.");
  form.cells()[4].rho1 = 10.0f;
  form.cells()[3].angle = 181.0f;
  EXPECT_EQ(form.FormToModel(0)->column, Column::kAngle);
  form.cells()[3].angle = 0.0f;
  EXPECT_FALSE(form.FormToModel(0).has_value());
  EXPECT_EQ(stores_->models[0].resistivity[0], 77.0);
}

TEST_F(ModelFormTest, IpAndAnisotropyNeverCoexistLawSwitchResetsEh) {
  stores_->workspace.current_model = 2;  // three layers
  ModelFormLogic form = Form();
  EXPECT_FALSE(form.ToggleIp(4));  // row 5 of a three-layer model
  EXPECT_TRUE(form.ToggleIp(1));
  EXPECT_TRUE(form.Enabled(1, Column::kEh));
  EXPECT_FALSE(form.Enabled(0, Column::kEh));
  EXPECT_TRUE(form.ToggleAniso(2));
  for (const RowCells& c : form.cells()) EXPECT_EQ(c.ip, 0);
  EXPECT_TRUE(form.Enabled(2, Column::kAngle));
  // IP on row 1 clears the anisotropy of rows 1..7, so IP stays on.
  EXPECT_TRUE(form.ToggleIp(0));
  EXPECT_EQ(form.cells()[2].aniso, 0);
  EXPECT_FALSE(form.ToggleIp(0));
  EXPECT_FALSE(form.Enabled(15, Column::kThickness));
  LayerModel& m = stores_->models[2];
  m.ip_p1[3][0] = 0.5f;
  form.ChooseLaw(2);  // Cola-Cola RD
  EXPECT_STREQ(form.EhHeader(), "h");
  EXPECT_EQ(form.eh_max(), 0.99);
  EXPECT_EQ(form.c_max(), 1.99);
  EXPECT_EQ(m.law, 2);
  EXPECT_FLOAT_EQ(m.ip_p1[0][0], 0.1f);  // was 1000
  EXPECT_FLOAT_EQ(m.ip_p1[3][0], 0.5f);
  form.ChooseLaw(1);
  EXPECT_STREQ(form.EhHeader(), "e");
  EXPECT_EQ(form.eh_max(), 1e10);
  EXPECT_EQ(form.c_max(), 100.0);
  // Showing a model with an RD law resets e/h of 1.0 or more to 0.15.
  stores_->models[1].law = 3;
  stores_->workspace.current_model = 1;
  form.ModelToForm();
  EXPECT_FLOAT_EQ(stores_->models[1].ip_p1[5][0], 0.15f);
}

TEST_F(ModelFormTest, StepsInsertCutDeleteAndHeldButtons) {
  stores_->workspace.resistivity_step = 2.0f;
  stores_->workspace.thickness_step = 0.1f;
  ModelFormLogic form = Form();
  auto& c = form.cells();
  form.StepResistivity(0, true);
  EXPECT_EQ(c[0].rho, 100.0);
  form.StepResistivity(0, false);
  EXPECT_EQ(c[0].rho, 50.0);
  c[0].rho = 600000.0;
  form.StepResistivity(0, true);
  EXPECT_EQ(c[0].rho, 999999.0);
  c[2].h = 0.15;
  EXPECT_FALSE(form.StepThickness(2, false));  // would fall below the step
  EXPECT_FLOAT_EQ(c[2].h, 0.1f);
  EXPECT_TRUE(form.StepThickness(2, true));
  // Insert above row 2: new layer of twice row 2's resistivity and 0.1 km.
  const double rho2 = c[1].rho;
  const double h2 = c[1].h;
  form.InsertLayer(1);
  EXPECT_EQ(c[1].rho, rho2 * 2.0);
  EXPECT_FLOAT_EQ(c[1].h, 0.1f);
  EXPECT_EQ(c[2].rho, rho2);
  EXPECT_EQ(c[2].h, h2);
  form.DeleteLayer(1);
  EXPECT_EQ(c[1].rho, rho2);
  form.CutBelow(2);
  for (int j = 3; j < kFormRows; ++j) EXPECT_EQ(c[j].rho, c[2].rho);
  ASSERT_FALSE(form.FormToModel(0));
  EXPECT_EQ(stores_->models[0].layer_count, 3);
  c[4].aniso = 0;
  c[4].rho1 = 3.0f;
  form.Normalise();
  EXPECT_FLOAT_EQ(c[4].rho1, static_cast<float>(c[4].rho));
  // Held buttons repeat, quick clicks do nothing.
  int steps = 0;
  auto step = [&] {
    ++steps;
    return true;
  };
  ui_.SetPollStepMs(10);
  ui_.HoldLeftButtonUntil(300);  // released before 500 ms
  EXPECT_EQ(form.HoldStep(step, [] {}), 0);
  EXPECT_EQ(steps, 0);
  ui_.SetClockMs(0);
  ui_.HoldLeftButtonUntil(1000);  // held: steps every 100 ms after 500 ms
  int redraws = 0;
  int made = form.HoldStep(step, [&] { ++redraws; });
  EXPECT_EQ(made, 5);
  EXPECT_EQ(redraws, 5);
  // A thickness that reaches its floor ends the repetition.
  ui_.SetClockMs(0);
  ui_.HoldLeftButtonUntil(5000);
  stores_->workspace.thickness_step = 0.1f;
  form.cells()[0].h = 0.35;
  made = form.HoldStep([&] { return form.StepThickness(0, false); }, [] {});
  EXPECT_EQ(made, 3);
  EXPECT_FLOAT_EQ(form.cells()[0].h, 0.1f);
}

TEST_F(ModelFormTest, CopyKeepsTheTargetsNameAndPeriodRange) {
  LayerModels& m = stores_->models;
  m[4].period_min = 0.01f;
  m[4].period_max = 50.0f;
  m[1].ip_on[0] = 1;
  m[1].law = 3;
  stores_->workspace.current_model = 1;
  ModelFormLogic form = Form();
  ASSERT_FALSE(form.CopyModel(1, 4));
  EXPECT_EQ(m[4].resistivity, m[1].resistivity);
  EXPECT_EQ(m[4].layer_count, 6);
  EXPECT_EQ(m[4].name, "MODEL 5");
  EXPECT_EQ(m[4].period_min, 0.01f);
  EXPECT_EQ(m[4].period_max, 50.0f);
  EXPECT_EQ(form.current_index(), 4);
  // Onto itself: nothing changes but the current model.
  ASSERT_FALSE(form.CopyModel(2, 2));
  EXPECT_EQ(form.current_index(), 2);
}

TEST_F(ModelFormTest, RunRoundsStoresAndAsksTheView) {
  stores_->workspace.depth_window_open = true;
  ModelFormLogic form = Form();
  form.cells()[0].rho = 123.456;
  form.cells()[0].h = 0.12345;
  ASSERT_FALSE(form.Run());
  EXPECT_EQ(stores_->models[0].resistivity[0], 123.5);
  EXPECT_EQ(stores_->models[0].thickness[0], 0.123);
  ASSERT_EQ(ui_.posts().size(), 2u);
  EXPECT_EQ(ui_.posts()[0].message, Um::UM_MODELCHANGED);
  EXPECT_EQ(ui_.posts()[0].window, Window::kView);
  EXPECT_EQ(ui_.posts()[1].window, Window::kDepthWindow);
  ui_.ClearRecords();
  form.ToggleModelShown(3);
  EXPECT_EQ(stores_->models[3].shown, 0);
  EXPECT_EQ(ui_.posts()[0].message, Um::UM_REDRAW);
  // Switching models stores the cells first.
  form.cells()[0].rho = 33.0;
  ASSERT_FALSE(form.SwitchModel(3));
  EXPECT_EQ(stores_->models[0].resistivity[0], 33.0);
  EXPECT_EQ(form.cells()[0].rho, 25.0);
}

// Ranges refuse the OK; what passes is corrected silently.
TEST(ModelingSettings, RangesAndSilentCorrectionsOnOk) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  ModelingSettings s =
      ModelingSettings::Load(stores->workspace, stores->models);
  EXPECT_EQ(s.names[2], "MODEL 3");
  EXPECT_EQ(s.physics, Physics::kPublished);
  s.resistivity_step = 2.5;
  EXPECT_EQ(
      s.Validate(),
      std::pair(0, std::string("Please enter a number between 1 and 2.")));
  s.resistivity_step = 1.5;
  s.pen_width = 6;
  EXPECT_EQ(s.Validate()->second, "Please enter an integer between 1 and 5.");
  s.pen_width = 5;
  s.period_min = 1e-7;
  EXPECT_EQ(s.Validate()->first, 2);
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
  EXPECT_EQ(stores->workspace.pen_width, 4);
  EXPECT_FLOAT_EQ(stores->workspace.thickness_step, 0.1f);
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
  // The physics setting recomputes the curves even then.
  s.physics = Physics::kCorrected;
  s.Apply(stores->workspace, stores->models, ui);
  EXPECT_EQ(stores->workspace.physics, Physics::kCorrected);
  ASSERT_EQ(ui.posts().size(), 2u);
  EXPECT_EQ(ui.posts()[1].message, Um::UM_MODELSCHANGED);
  EXPECT_EQ(ModelingSettings::Load(stores->workspace, stores->models).physics,
            Physics::kCorrected);
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
  c.Toggle(0);  // the first model is no longer exported
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
