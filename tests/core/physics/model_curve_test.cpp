#include "core/physics/model_curve.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/physics/forward_1d.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

TEST(ModelCurve, PeriodGrid) {
  EXPECT_EQ(PeriodGridCount(1.0, 1000.0), 62);
  EXPECT_DOUBLE_EQ(GridPeriod(1.0, 0), 1.0);
  EXPECT_NEAR(GridPeriod(1.0, 61), std::pow(10.0, 3.05), 1e-9);
  EXPECT_EQ(PeriodGridCount(0.001f, 10000.0f), 142);
  EXPECT_EQ(PeriodGridCount(1e-6, 1e6), 242);
  EXPECT_EQ(PeriodGridCount(1e-9, 1e9),
            MaxCurvePeriods);  // never beyond the record
  EXPECT_EQ(PeriodGridCount(10.0, 1.0), 0);
}

TEST(ModelCurve, PlainRunStoresTheCurveAndCopiesThePolarisation) {
  auto stores = test::NewStores();
  Workspace& ws = stores->workspace;
  LayerModels& models = stores->models;
  ScriptedUi ui;
  ws.current_model = 2;  // 25, 10, 5 Ohm-m
  models[2].period_min = 1.0f;
  models[2].period_max = 1000.0f;
  EXPECT_EQ(ModelCurveDriver(DriverMode::kPlain, ws, models, ui), 0.0);
  const ModelCurve& c = models[2].curve;
  EXPECT_EQ(c.count, 62);
  EXPECT_EQ(c.computed, 1);
  EXPECT_FLOAT_EQ(c.log_period[0], 0.0f);
  EXPECT_FLOAT_EQ(c.log_period[61], 3.05f);
  Response1D r = ResponseNoDispersion(
      models[2].resistivity.data(), models[2].thickness.data(), 3, 10.0);
  EXPECT_NEAR(c.log_rho[20], std::log10(r.rho_a), 1e-6);
  EXPECT_NEAR(c.phase[20], r.phase, 1e-4);
  EXPECT_NEAR(c.mode[3].log_re_z[20], std::log10(r.z.re), 1e-6);
  EXPECT_EQ(c.phase_sign[20], 1);
  EXPECT_EQ(models[0].curve.computed, 0);

  // An anisotropic model: the selected polarisation becomes the main curve.
  ws.current_model = 4;
  LayerModel& m = models[4];
  m.anisotropy_on = 1;
  m.aniso_on[1] = 1;
  m.aniso_rho1[1] = 1000.0f;
  m.aniso_rho2[1] = 1.0f;
  m.period_min = 1.0f;
  m.period_max = 100.0f;
  ws.polarisation = 1;
  ModelCurveDriver(DriverMode::kPlain, ws, models, ui);
  EXPECT_TRUE(ui.prompts().empty());
  const ModelCurve& a = m.curve;
  EXPECT_EQ(a.log_rho[30], a.mode[1].log_rho[30]);
  EXPECT_NE(a.mode[0].log_rho[30], a.mode[1].log_rho[30]);
  EXPECT_LT(a.mode[1].log_re_z[30], 10.0f);
  // Every computed model was switched to YX, model 3 as well (1-D: equal).
  EXPECT_EQ(models[2].curve.log_rho[20], models[2].curve.mode[1].log_rho[20]);
  UpdateCurveFlags(ws, models);
  EXPECT_EQ(ws.any_curve_computed, 1);
}

TEST(ModelCurve, FittingIgnoresAnisotropyAndHandsTheFieldResponseToTheMisfit) {
  auto stores = test::NewStores();
  Workspace& ws = stores->workspace;
  ScriptedUi ui;
  ws.current_model = 0;
  LayerModel& m = stores->models[0];
  m.anisotropy_on = 1;
  m.aniso_on[0] = 1;
  m.aniso_rho1[0] = 1.0f;
  FieldSet& set = stores->sets[0];
  set.count = 3;
  set.freq[0] = 100.0f;
  set.freq[1] = 1.0f;
  set.freq[2] = 0.01f;
  int calls = 0;
  MisfitFunction misfit = [&](const FieldSet& s, FitResponse& fit) {
    ++calls;
    EXPECT_EQ(&s, &set);
    fit.weight_a[0] = 2.0;
    return fit.rho_a[1] + 1.0;
  };
  FitResponse fit;
  double s = ModelCurveDriver(
      DriverMode::kFitting, ws, stores->models, ui, &set, &fit, misfit);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(fit.count, 3);
  Response1D r =
      ResponseNoDispersion(m.resistivity.data(), m.thickness.data(), 7, 1.0);
  EXPECT_DOUBLE_EQ(fit.rho_a[1], r.rho_a);
  EXPECT_DOUBLE_EQ(fit.im_z[1], r.z.im);
  EXPECT_DOUBLE_EQ(s, r.rho_a + 1.0);
  EXPECT_EQ(fit.weight_a[0], 2.0);
  // The grid curve was computed on a 1-D path: XY and YX are equal.
  EXPECT_EQ(m.curve.mode[0].log_rho[10], m.curve.mode[1].log_rho[10]);
  EXPECT_EQ(ModelCurveDriver(
                DriverMode::kFitting, ws, stores->models, ui, &set, &fit),
            0.0);
}

}  // namespace
}  // namespace mtvuk
