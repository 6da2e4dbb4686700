// What a fit says about itself: warnings, refusals, and the robust method
// against the classic one on field data.
#include "core/inversion/fit_warnings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/inversion/inversion.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"
#include "fit_fixture.h"
#include "synthetic_sounding.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

bool Has(const std::vector<std::string>& warnings, const std::string& part) {
  return std::any_of(warnings.begin(), warnings.end(), [&](const auto& w) {
    return w.find(part) != std::string::npos;
  });
}

using FitWarningsTest = test::FitTest;

// Edited points and points without a bar are named with their periods;
// a parameter pinned at its limit is named with the layer and the limit.
TEST_F(FitWarningsTest, LeftOutPointsAndLimitsAreNamed) {
  test::SyntheticSounding(set(), {100, 10, 1000}, {1.0, 8.0}, 30, 0.05, 0.0, 2);
  set().point_deleted[3] = set().point_deleted[7] = 1;
  set().point_deleted[29] = 1;  // trailing: beyond the periods used
  set().log_rho_upper[12] = set().log_rho[12];  // no resistivity bar
  set().log_phase_upper[12] = std::log10(set().phase[12]);
  test::UniformLayers(model(), 3, 100.0, 1.0, 4.0);
  model().resistivity_max[1] = 20.0f;  // the second layer wants 10
  model().resistivity_min[1] = 15.0f;
  ws().inversion_target = 4;
  InversionResult r = Run();
  ASSERT_TRUE(r.ran);
  char edited[160];
  std::snprintf(edited,
                sizeof edited,
                "3 points left out (edited away), periods %.3g %.3g %.3g s",
                1.0 / set().freq[3],
                1.0 / set().freq[7],
                1.0 / set().freq[29]);
  EXPECT_TRUE(Has(r.warnings, edited)) << ::testing::PrintToString(r.warnings);
  EXPECT_TRUE(Has(r.warnings, "1 point left out (no error bar)"));
  EXPECT_TRUE(
      Has(r.warnings, "layer 2 resistivity at its lower limit 15 Ohm-m"));
  // The classic method weighs the point without a bar, and names the
  // limit all the same.
  ws().fit_method = FitMethod::kClassic;
  test::UniformLayers(model(), 3, 100.0, 1.0, 4.0);
  r = Run();
  EXPECT_FALSE(Has(r.warnings, "no error bar"));
  EXPECT_TRUE(Has(r.warnings, "layer 2 resistivity at its lower limit"));
  EXPECT_DOUBLE_EQ(r.error_floor, 0.0);
}

// Fewer usable data than free parameters: the robust method refuses and
// changes nothing; the classic fit runs and says so.
TEST_F(FitWarningsTest, UnderDeterminedFitIsRefused) {
  test::SyntheticSounding(set(), {100, 10, 1000}, {1.0, 8.0}, 6, 0.05, 0.0, 4);
  for (int i = 2; i < 5; ++i) set().point_deleted[i] = 1;  // 3 points left
  ws().inversion_target = 4;
  test::UniformLayers(model(), 3, 100.0, 1.0, 4.0);  // 5 free parameters
  const LayerModel before = model();
  InversionResult r = Run();
  EXPECT_FALSE(r.ran);
  ASSERT_EQ(ui_.prompts().size(), 1u);
  EXPECT_EQ(ui_.prompts()[0].text,
            "Too few data for the model\nField set No 1 has 3 usable data "
            "for 5 free parameters\nFix parameters or use fewer layers");
  EXPECT_EQ(model().resistivity, before.resistivity);
  EXPECT_EQ(model().thickness, before.thickness);
  ws().fit_method = FitMethod::kClassic;
  r = Run();
  EXPECT_TRUE(r.ran);
  EXPECT_TRUE(
      Has(r.warnings, "fewer usable data (3) than free parameters (5)"));
  // Target 5 has two data per point: 6 terms for 5 parameters fit.
  ws().fit_method = FitMethod::kRobust;
  ws().inversion_target = 5;
  test::UniformLayers(model(), 3, 100.0, 1.0, 4.0);
  EXPECT_TRUE(Run().ran);
}

// ET001 claims 0.1 % error bars. The robust fit says so, and with no floor
// it says the model does not explain the data; with the floor it does not.
TEST_F(FitWarningsTest, TinyFieldBarsAreReported) {
  ASSERT_TRUE(Load("ET001.edi", CurveMode::XY));
  ws().inversion_target = 5;
  test::UniformLayers(model(), 4, 30.0, 0.3, 4.0);
  InversionResult r = Run();
  ASSERT_TRUE(r.ran);
  EXPECT_TRUE(Has(r.warnings, "error bars below 1 % of the value"));
  const double floored = r.nrms;
  ws().error_floor_percent = 0.0;
  test::UniformLayers(model(), 4, 30.0, 0.3, 4.0);
  r = Run();
  EXPECT_GT(r.nrms, 3.0 * floored);
  EXPECT_TRUE(Has(r.warnings, "the model does not explain the data"));
}

// On field data the robust method never ends worse than the classic one
// by the classic misfit S, from the same start, for every target.
TEST_F(FitWarningsTest, RobustNeverEndsWorseThanClassic) {
  struct Case {
    const char* file;
    CurveMode mode;
    bool import;
  };
  for (const Case& c : {Case{"VIC100_ANSIR.edi", CurveMode::YX, true},
                        Case{"ET010.edi", CurveMode::XY, false}}) {
    ASSERT_TRUE(Load(c.file, c.mode, c.import)) << c.file;
    for (int target = 1; target <= 5; ++target) {
      ws().inversion_target = static_cast<std::int16_t>(target);
      double s[2];
      for (FitMethod method : {FitMethod::kClassic, FitMethod::kRobust}) {
        ws().fit_method = method;
        test::UniformLayers(model(), 4, 100.0, 0.5, 4.0);
        const InversionResult r = Run();
        ASSERT_TRUE(r.ran) << c.file << " " << target;
        s[static_cast<int>(method == FitMethod::kClassic)] = r.misfit;
        if (method == FitMethod::kRobust && r.nrms > kPoorFitNrms) {
          EXPECT_TRUE(Has(r.warnings, "does not explain")) << c.file;
        }
      }
      EXPECT_LE(s[0], s[1] * (1.0 + 1e-6)) << c.file << " target " << target;
    }
  }
}

}  // namespace
}  // namespace mtvuk
