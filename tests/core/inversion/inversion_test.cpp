#include "core/inversion/inversion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "core/inversion/inversion_settings.h"
#include "fit_fixture.h"

namespace mtvuk {
namespace {

using testing::Contains;

void StartModel(LayerModel& m,
                const std::vector<double>& rho,
                const std::vector<double>& h) {
  test::SetLayers(m, rho, h);
  m.resistivity_min.fill(0.1f);
  m.resistivity_max.fill(10000.0f);
}

using InversionTest = test::FitTest;

TEST_F(InversionTest, RecoversNoiseFreeEarthsFromLayeredAndUniformStarts) {
  struct Case {
    std::vector<double> rho, h;
    int target;
  };
  const Case cases[] = {{{100, 10, 1000}, {1.0, 2.0}, 1},
                        {{100, 10, 1000}, {1.0, 2.0}, 4},
                        {{100, 10, 1000}, {1.0, 2.0}, 5},
                        {{30, 300, 3, 100}, {0.5, 2.0, 1.0}, 4},
                        {{200, 20, 500, 5, 100}, {0.3, 1.0, 4.0, 3.0}, 5}};
  for (const Case& c : cases) {
    const int n = static_cast<int>(c.rho.size());
    test::SyntheticSounding(set(), c.rho, c.h, 40, 0.05, 0.0, 1);
    for (bool uniform : {false, true}) {
      if (uniform ? n == 3 && c.target != 1 : n > 3) continue;
      StartModel(model(), {300, 30, 300}, {0.3, 5.0});
      if (uniform) test::UniformLayers(model(), n, 100.0, c.h[0], 3.0);
      ws().inversion_target = static_cast<std::int16_t>(c.target);
      InversionResult r = Run();
      ASSERT_TRUE(r.ran);
      if (uniform) {
        EXPECT_LT(r.Rms(), 0.01) << "target " << c.target << " layers " << n;
      } else {
        EXPECT_LT(r.misfit, 1e-3 * r.history.front().misfit) << c.target;
      }
      EXPECT_NEAR(model().resistivity[0] / c.rho[0], 1.0, 0.05) << c.target;
      EXPECT_NEAR(model().resistivity[n - 1] / c.rho[n - 1], 1.0, 0.05);
      if (!uniform) {
        EXPECT_NEAR(
            model().thickness[0] / model().resistivity[0] * 100, 1.0, 0.1)
            << c.target;
        EXPECT_NEAR(model().resistivity[1] / model().thickness[1], 5.0, 0.5)
            << c.target;  // conductance
      }
      EXPECT_FALSE(r.start_used.empty());
      EXPECT_TRUE(ui_.prompts().empty());
    }
  }
}

TEST_F(InversionTest, NoisyDataFixedParametersAndLimits) {
  test::SyntheticSounding(
      set(), {30, 300, 3, 100}, {0.5, 2.0, 1.0}, 36, 0.05, 0.03, 7);
  StartModel(model(), {100, 100, 10, 100}, {1.0, 1.0, 2.0});
  model().fix_resistivity[1] = 1;
  model().fix_thickness[0] = 1;
  model().resistivity_max[2] = 5.0f;   // the conductor may not exceed 5 Ohm-m
  model().resistivity_min[0] = 40.0f;  // nor the top go below 40
  InversionResult r = Run();
  ASSERT_TRUE(r.ran);
  EXPECT_EQ(model().resistivity[1], 100.0);  // fixed
  EXPECT_EQ(model().thickness[0], 1.0);      // fixed
  EXPECT_LE(model().resistivity[2], 5.0 * (1 + 1e-6));
  EXPECT_GE(model().resistivity[0], 40.0 * (1 - 1e-6));
  // Never worse than the start; the best entry of the history is kept.
  EXPECT_LE(r.data_misfit, r.history.front().misfit * (1 + 1e-6));
  double best = 1e300;
  for (const InversionStep& s : r.history) best = std::min(best, s.misfit);
  EXPECT_NEAR(r.data_misfit, best, 1e-3 * best);
  EXPECT_EQ(model().params.count, 4 + 3 - 2);
  EXPECT_EQ(static_cast<int>(r.history.size()), r.iterations_run + 1);
}

TEST_F(InversionTest, OneIterationKeepsTheBetterOfStartAndStep) {
  test::SyntheticSounding(set(), {100, 10, 1000}, {1.0, 2.0}, 30, 0.05, 0.0, 1);
  StartModel(model(), {120, 10, 1000}, {1.0, 2.0});
  ws().fit_method = FitMethod::kClassic;
  ws().iteration_amount = 1;
  InversionResult r = Run();
  ASSERT_EQ(r.history.size(), 2u);  // one iteration
  EXPECT_LE(r.misfit,
            std::min(r.history[0].misfit, r.history[1].misfit) * (1 + 1e-4));
  EXPECT_LT(std::fabs(model().resistivity[0] - 100.0), 20.0);
  // The period range of the model is restored and its curve computed.
  EXPECT_EQ(model().period_min, 0.001f);
  EXPECT_EQ(model().curve.count, 142);
}

// Each component of the step is limited, not the whole step (which stalled).
TEST_F(InversionTest, ClassicMethodLeavesAUniformStart) {
  ui_.Allow("CHECK MT-FILE");
  ASSERT_TRUE(Load("ET001.edi", CurveMode::XY));
  test::UniformLayers(model(), 4, 30.0, 0.3, 10.0);
  ws().fit_method = FitMethod::kClassic;
  InversionResult r = Run();
  ASSERT_TRUE(r.ran);
  EXPECT_EQ(static_cast<int>(r.history.size()), 31);
  EXPECT_LT(r.misfit, 0.01 * r.history.front().misfit);
  EXPECT_LT(r.Rms(), 1.0);
}

// A fit that cannot be made says why and changes nothing.
TEST_F(InversionTest, RefusalsSayWhyAndChangeNothing) {
  for (FieldSet& s : stores_->sets) s.attached.fill(0);
  const LayerModel before = model();
  ui_.Allow("INVALID ATTACH");
  ui_.Allow("INVALID AUTO INVERSION");
  EXPECT_FALSE(Run().ran);
  stores_->sets[2].attached[0] = 1;  // attached to an empty slot
  EXPECT_FALSE(Run().ran);
  stores_->sets[2].attached[0] = 0;
  stores_->sets[0].attached[0] = 1;
  test::SyntheticSounding(set(), {100, 10, 1000}, {1.0, 2.0}, 20, 0.05, 0.0, 1);
  for (int i = 0; i < 20; ++i) set().point_deleted[i] = 1;
  EXPECT_FALSE(Run().ran);
  EXPECT_EQ(model().name, before.name);
  EXPECT_EQ(model().resistivity, before.resistivity);
  EXPECT_EQ(model().period_min, before.period_min);
  EXPECT_EQ(set().effective_count, 0);
  for (int i = 0; i < 20; ++i) set().point_deleted[i] = 0;
  set().re_z[3] = NAN;
  EXPECT_FALSE(Run().ran);
  EXPECT_EQ(model().fitted_set, -1);
  test::SyntheticSounding(set(), {100, 10, 1000}, {1.0, 8.0}, 6, 0.05, 0.0, 4);
  for (int i = 2; i < 5; ++i) set().point_deleted[i] = 1;  // 3 points left
  ws().inversion_target = 4;
  test::UniformLayers(model(), 3, 100.0, 1.0, 4.0);  // 5 free parameters
  const LayerModel uniform = model();
  EXPECT_FALSE(Run().ran);
  EXPECT_EQ(model().resistivity, uniform.resistivity);
  EXPECT_EQ(model().thickness, uniform.thickness);
  const auto& p = ui_.prompts();
  ASSERT_EQ(p.size(), 5u);
  EXPECT_EQ(p[0].text,
            "Model No 1 is not attached to Field data\nUse "
            "Setting->Inversion->Attach..");
  EXPECT_EQ(p[0].icon, Icon::kStop);
  EXPECT_EQ(p[1].text,
            "Can't find   data for inversion\nThis model No 1 attached to "
            "Field set No 3\n"
            "Load field data or change attaching\nUse: "
            "Setting->Inversion->Attach...");
  EXPECT_EQ(p[2].text.substr(0, 14), "No data to fit");
  EXPECT_EQ(p[3].text.substr(0, 39), "The misfit of the start model is not a ");
  EXPECT_EQ(p[4].text,
            "Too few data for the model\nField set No 1 has 3 usable data "
            "for 5 free parameters\nFix parameters or use fewer layers");
  ws().fit_method = FitMethod::kClassic;
  const InversionResult r = Run();
  EXPECT_TRUE(r.ran);
  EXPECT_THAT(r.warnings,
              Contains("fewer usable data (3) than free parameters (5)"));
  // Target 5 has two data per point: 6 terms for 5 parameters fit.
  ws().fit_method = FitMethod::kRobust;
  ws().inversion_target = 5;
  test::UniformLayers(model(), 3, 100.0, 1.0, 4.0);
  EXPECT_TRUE(Run().ran);
}

TEST_F(InversionTest, EscCancelsAndSaysHowFarTheFitGot) {
  ui_.Allow("AUTO INVERSION");
  test::SyntheticSounding(
      set(), {100, 10, 1000}, {1.0, 2.0}, 30, 0.05, 0.02, 2);
  test::UniformLayers(model(), 3, 300.0, 0.5, 3.0);
  ui_.PressEscapeAfter(3);
  InversionResult r = Run();
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(ui_.prompts()[0].text, "EXECUTION CANCELED BY USER\nDONE: 2 STEPS");
  EXPECT_LT(r.misfit, r.history.front().misfit);
  ws().fit_method = FitMethod::kClassic;
  test::SyntheticSounding(set(), {100, 10, 1000}, {1.0, 2.0}, 30, 0.05, 0.0, 1);
  StartModel(model(), {300, 30, 300}, {0.3, 5.0});
  ui_.PressEscapeAfter(2);
  r = Run();
  EXPECT_TRUE(r.cancelled);
  ASSERT_EQ(ui_.prompts().size(), 2u);
  EXPECT_EQ(ui_.prompts()[1].text, "EXECUTION CANCELED BY USER\nDONE: 1 STEPS");
  EXPECT_EQ(ui_.prompts()[1].icon, Icon::kStop);
}

TEST_F(InversionTest, IgnoredErrorBarsMakeTheErrorsIrrelevant) {
  ws().ignore_error_bars = 1;
  for (FitMethod method : {FitMethod::kRobust, FitMethod::kClassic}) {
    for (int target : {1, 4, 5}) {
      ws().fit_method = method;
      ws().inversion_target = static_cast<std::int16_t>(target);
      std::vector<double> found[2];
      double misfit[2] = {};
      for (int pass = 0; pass < 2; ++pass) {
        test::SyntheticSounding(
            set(), {100, 10, 1000}, {1.0, 2.0}, 30, pass ? 0.3 : 0.02, 0.02, 1);
        StartModel(model(), {300, 30, 300}, {0.3, 5.0});
        misfit[pass] = Run().misfit;
        found[pass].assign(model().resistivity.begin(),
                           model().resistivity.begin() + 3);
      }
      EXPECT_EQ(found[0], found[1]) << "target " << target;
      EXPECT_EQ(misfit[0], misfit[1]) << "target " << target;
    }
  }
}

TEST(InversionParameters, EffectivePeriodsAndParameters) {
  auto stores = test::NewStores();
  FieldSet& s = stores->sets[0];
  s.count = 10;
  s.point_deleted[9] = s.point_deleted[8] = s.point_deleted[7] = 1;
  EXPECT_EQ(EffectivePeriods(s), 7);
  s.count = 1;
  EXPECT_EQ(EffectivePeriods(s), 2);
  LayerModel& m = stores->models[2];  // 25, 10, 5 Ohm-m; 0.5, 10 km
  m.resistivity_min.fill(1.0f);
  m.resistivity_max.fill(20.0f);
  BuildParameters(m);
  EXPECT_EQ(m.params.count, 5);
  EXPECT_EQ(m.resistivity[0], 20.0);  // clamped into its limits
  // Without clamping, a parameter refresh keeps the model as it is.
  m.resistivity[1] = 1e7;
  BuildParameters(m, false);
  EXPECT_EQ(m.resistivity[1], 1e7);
  BuildParameters(m);
  EXPECT_EQ(m.resistivity[1], 20.0);
  EXPECT_DOUBLE_EQ(m.params.p[0], std::log(20.0 + 1e-14));
  EXPECT_EQ(m.params.h_index[0], 3);
  m.params.p[4] = std::log(50000.0);  // beyond the thickness maximum
  ClampParameters(m.params);
  EXPECT_FLOAT_EQ(static_cast<float>(std::exp(m.params.p[4])), 2000.0f);
  m.params.p[2] = std::log(7.0);
  EXPECT_TRUE(ApplyParameters(m));
  EXPECT_NEAR(m.resistivity[2], 7.0, 1e-12);
  EXPECT_NEAR(m.resistivity[15], 7.0, 1e-12);  // the half-space continues
}

TEST(InversionSettings, AttachmentLimitsAndMainSetting) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  Attachment a = Attachment::Load(stores->sets);
  EXPECT_EQ(a.table[3][3], 1);
  EXPECT_EQ(a.table[3][2], 0);
  a.table[4][4] = 0;
  ui.Allow("INVALID ATTACH");
  EXPECT_FALSE(a.Apply(stores->sets, ui));
  EXPECT_EQ(ui.prompts()[0].text,
            "Each model must be attached to Field set\nCheck attaching or Set "
            "default");
  EXPECT_EQ(stores->sets[4].attached[4], 1);  // nothing stored
  a.table[0][4] = 1;
  EXPECT_TRUE(a.Apply(stores->sets, ui));
  EXPECT_EQ(stores->sets[0].attached[4], 1);
  EXPECT_EQ(stores->sets[4].attached[4], 0);
  a.SetDefault();
  EXPECT_EQ(a.table[4][4], 1);
  EXPECT_EQ(a.table[0][4], 0);
  LayerModel& m = stores->models[0];
  m.fix_resistivity[2] = 1;
  m.fix_thickness[4] = 1;
  VariationLimits v = VariationLimits::Load(m);
  EXPECT_EQ(v.rows[2].fix_rho, 1);
  EXPECT_FLOAT_EQ(v.rows[0].rho_min, 0.1);  // the limits of a new session
  EXPECT_EQ(v.rows[0].rho_max, 100000.0);
  v.SetDefault();
  for (const LayerLimits& r : v.rows) EXPECT_EQ(r.fix_rho + r.fix_h, 0);
  v.rows[3].rho_min = 0.5;
  v.rows[3].rho_max = 5000;
  v.SetInAllLayers(3);
  EXPECT_EQ(v.rows[15].rho_max, 5000.0);
  v.rows[7].h_max = 2e6;
  EXPECT_EQ(v.Validate()->first, 7 * 4 + 3);
  v.rows[7].h_max = 100;
  v.rows[1].rho_min = 6000;
  EXPECT_EQ(v.Validate(),
            FieldError({1 * 4 + 0, "Min must not be above Max."}));
  v.rows[1].rho_min = 1;
  ASSERT_FALSE(v.Validate());
  v.Apply(m);
  EXPECT_EQ(m.fix_resistivity[2], 0);
  EXPECT_EQ(m.resistivity_max[9], 5000.0f);
  MainSetting s = MainSetting::Load(stores->workspace);
  EXPECT_EQ(s.Target(), 1);
  s.Apply(stores->workspace, ui);  // nothing changed: target kept
  EXPECT_EQ(stores->workspace.inversion_target, 1);
  s.target = {false, false, false, false, false};
  EXPECT_EQ(s.Target(), 1);  // no box checked is target 1
  s.target = {true, false, false, true, true};
  EXPECT_EQ(s.Target(), 5);  // the later box wins
  s.amount = 31;
  EXPECT_EQ(s.Validate(),
            FieldError({0, "Please enter an integer between 1 and 30."}));
  s.amount = 0;
  EXPECT_EQ(s.Validate()->first, 0);
  s.amount = 12;
  s.delta = 1.6;
  EXPECT_EQ(s.Validate()->second,
            "Please enter a number between 1.0001 and 1.5.");
  s.delta = 1.2;
  ASSERT_FALSE(s.Validate());
  ui.ClearRecords();
  s.Apply(stores->workspace, ui);
  EXPECT_EQ(stores->workspace.inversion_target, 5);
  EXPECT_EQ(stores->workspace.iteration_amount, 12);
  std::vector<Um> posted;
  for (const PostedMessage& p : ui.posts()) posted.push_back(p.message);
  EXPECT_EQ(posted,
            (std::vector<Um>{Um::UM_SETSCHANGED,
                             Um::UM_FITCLOSE,
                             Um::UM_MODELSCHANGED,
                             Um::UM_RATIOOPEN}));
}

}  // namespace
}  // namespace mtvuk
