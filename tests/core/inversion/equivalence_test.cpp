#include "core/inversion/equivalence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "core/inversion/fit_misfit.h"
#include "core/physics/forward_1d.h"
#include "core/platform/scripted_ui.h"
#include "synthetic_sounding.h"

namespace mtvuk {
namespace {

LayerModel ModelOf(const std::vector<double>& rho,
                   const std::vector<double>& h) {
  LayerModel m;
  test::SetLayers(m, rho, h);
  m.resistivity_min.fill(0.1f);
  m.resistivity_max.fill(100000.0f);
  m.fitted_set = 0;
  return m;
}

double Ratio(const EquivalenceRange& r) { return r.max / r.min; }

// The ranges against a scan of the models within the threshold on a grid.
TEST(Equivalence, TwoLayerRangesMatchABruteForceScan) {
  FieldSet s;
  test::SyntheticSounding(s, {100, 10}, {1.0}, 30, 0.01, 0.05, 4);
  MisfitSettings settings;  // target 1: weights that do not follow the model
  const LayerModel m = ModelOf({100, 10}, {1.0});
  ScriptedUi ui;
  const EquivalenceResult r = ComputeEquivalence(settings, s, 30, m, {}, ui);
  ASSERT_TRUE(r.ran);
  ASSERT_EQ(r.layers.size(), 2u);
  EXPECT_GT(r.misfit_min, 10.0);  // the relative threshold applies
  EXPECT_NEAR(r.threshold, 1.1 * r.misfit_min, 1e-9);

  const EquivalentModel& best = r.models.front();
  constexpr int kSteps = 25;
  constexpr double kHalfWidth = 0.15;  // ln units about the best fit
  std::array<double, 5> lo, hi;
  lo.fill(INFINITY);
  hi.fill(0.0);
  bool on_edge = false;
  FitResponse fit;
  fit.count = 30;
  std::vector<double> periods(30);
  for (int i = 0; i < 30; ++i) periods[i] = 1.0 / s.freq[i];
  std::vector<Response1D> out(30);
  FieldSet scratch = s;
  for (int a = 0; a < kSteps; ++a) {
    for (int b = 0; b < kSteps; ++b) {
      for (int c = 0; c < kSteps; ++c) {
        auto at = [&](double v, int k) {
          return v * std::exp(kHalfWidth * (2.0 * k / (kSteps - 1) - 1.0));
        };
        const double rho[2] = {at(best.rho[0], a), at(best.rho[1], c)};
        const double h[2] = {at(best.h_km[0], b), 1.0};
        NoDispersionKernel(rho, h, 2).Evaluate(periods.data(), 30, out.data());
        for (int i = 0; i < 30; ++i) {
          fit.re_z[i] = out[i].z.re;
          fit.im_z[i] = out[i].z.im;
          fit.rho_a[i] = out[i].rho_a;
          fit.phase[i] = out[i].phase;
        }
        if (FitMisfit(settings, scratch, 30, fit, nullptr) > r.threshold)
          continue;
        on_edge = on_edge || a == 0 || b == 0 || c == 0 || a == kSteps - 1 ||
                  b == kSteps - 1 || c == kSteps - 1;
        const double m1 = 1000.0 * h[0];  // in m
        const double v[5] = {rho[0], h[0], rho[1], m1 / rho[0], m1 * rho[0]};
        for (int q = 0; q < 5; ++q) {
          lo[q] = std::min(lo[q], v[q]);
          hi[q] = std::max(hi[q], v[q]);
        }
      }
    }
  }
  ASSERT_FALSE(on_edge) << "the scan must hold the whole set";
  const LayerEquivalence& top = r.layers[0];
  const EquivalenceRange* ranges[5] = {&top.rho,
                                       &top.thickness,
                                       &r.layers[1].rho,
                                       &top.conductance,
                                       &top.transverse};
  // Grid step 1.25 % and the search's 1 %.
  for (int q = 0; q < 5; ++q) {
    EXPECT_NEAR(ranges[q]->min / lo[q], 1.0, 0.03) << q;
    EXPECT_NEAR(ranges[q]->max / hi[q], 1.0, 0.03) << q;
    EXPECT_FALSE(ranges[q]->min_at_limit || ranges[q]->max_at_limit);
  }
  EXPECT_FALSE(r.layers[1].thickness.defined);
  EXPECT_FALSE(top.BoundedByLimit());
  for (const EquivalentModel& e : r.models) EXPECT_LE(e.misfit, r.threshold);
}

// Of a thin conductor only S is known; of a thick resistor only its h.
TEST(Equivalence, ThinConductorAndResistor) {
  FieldSet s;
  test::SyntheticSounding(s, {100, 1, 100}, {1.0, 0.01}, 40, 0.03, 0.0, 7);
  const MisfitSettings settings{.target = 5};
  ScriptedUi ui;
  EquivalenceResult r = ComputeEquivalence(
      settings, s, 40, ModelOf({100, 1, 100}, {1.0, 0.01}), {}, ui);
  ASSERT_TRUE(r.ran);
  const LayerEquivalence& conductor = r.layers[1];
  EXPECT_GT(Ratio(conductor.rho), 30.0);
  EXPECT_GT(Ratio(conductor.thickness), 30.0);
  EXPECT_LT(Ratio(conductor.conductance), 5.0);
  EXPECT_LT(conductor.conductance.min, 10.0);  // the true S is 10 S
  EXPECT_GT(conductor.conductance.max, 10.0);
  EXPECT_GT(Ratio(conductor.transverse), 100.0);
  // Thin enough to reach the lower limits of resistivity and thickness.
  EXPECT_TRUE(conductor.rho.min_at_limit);
  EXPECT_NEAR(conductor.rho.min, 0.1, 1e-6);
  EXPECT_TRUE(conductor.BoundedByLimit());
  EXPECT_FALSE(r.layers[0].BoundedByLimit());
  EXPECT_FALSE(r.layers[2].conductance.defined);

  test::SyntheticSounding(s, {10, 1000, 10}, {1.0, 2.0}, 40, 0.03, 0.0, 7);
  r = ComputeEquivalence(
      settings, s, 40, ModelOf({10, 1000, 10}, {1.0, 2.0}), {}, ui);
  const LayerEquivalence& resistor = r.layers[1];
  EXPECT_LT(Ratio(resistor.thickness), 3.0);
  EXPECT_GT(Ratio(resistor.rho), 100.0);
  EXPECT_GT(Ratio(resistor.transverse), 100.0);
  EXPECT_TRUE(resistor.rho.max_at_limit);
  EXPECT_TRUE(ui.prompts().empty());
}

// A fixed thickness: its range is its value, S and T follow rho's range.
TEST(Equivalence, FixedParametersThresholdAndRefusals) {
  FieldSet s;
  test::SyntheticSounding(s, {100, 10}, {1.0}, 30, 0.03, 0.0, 4);
  LayerModel m = ModelOf({100, 10}, {1.0});
  m.fix_thickness[0] = 1;
  m.resistivity_max[0] = 105.0f;  // the range (up to 112) reaches it
  ScriptedUi ui;
  const EquivalenceOptions wide{.absolute = 4.0};
  const EquivalenceResult r =
      ComputeEquivalence(MisfitSettings{}, s, 30, m, wide, ui);
  ASSERT_TRUE(r.ran);
  EXPECT_NEAR(r.threshold, r.misfit_min + 4.0, 1e-12);
  const LayerEquivalence& top = r.layers[0];
  EXPECT_TRUE(top.thickness.fixed);
  EXPECT_EQ(top.thickness.min, 1.0);
  EXPECT_EQ(top.thickness.max, 1.0);
  EXPECT_NEAR(top.conductance.min, 1000.0 / top.rho.max, 1e-9);
  EXPECT_NEAR(top.conductance.max, 1000.0 / top.rho.min, 1e-9);
  EXPECT_NEAR(top.transverse.max, 1000.0 * top.rho.max, 1e-6);
  EXPECT_LT(top.rho.min, 100.0);
  EXPECT_NEAR(top.rho.max, 105.0, 1e-3);
  // The limit bounds the high end of rho and T, the low end of S.
  EXPECT_TRUE(top.rho.max_at_limit && top.transverse.max_at_limit);
  EXPECT_TRUE(top.conductance.min_at_limit);
  EXPECT_FALSE(top.rho.min_at_limit || top.conductance.max_at_limit);

  // A fixed resistivity: S and T follow the thickness's range.
  LayerModel fixed_rho = ModelOf({100, 10}, {1.0});
  fixed_rho.fix_resistivity[0] = 1;
  const LayerEquivalence t =
      ComputeEquivalence(MisfitSettings{}, s, 30, fixed_rho, wide, ui)
          .layers[0];
  EXPECT_TRUE(t.rho.fixed);
  EXPECT_LT(t.thickness.min, 1.0);
  EXPECT_NEAR(t.conductance.min, 1000.0 * t.thickness.min / 100.0, 1e-6);
  EXPECT_NEAR(t.transverse.max, 1000.0 * t.thickness.max * 100.0, 1e-3);

  // The band holds the best staircase and widens around it.
  std::vector<double> depth = {0.5, 2.0}, low, high;
  EquivalenceBand(r, depth, low, high);
  EXPECT_NEAR(low[0], top.rho.min, 1e-6 * top.rho.min);
  EXPECT_NEAR(high[0], top.rho.max, 1e-6 * top.rho.max);
  EXPECT_LE(low[1], r.models.front().rho[1]);

  EXPECT_DOUBLE_EQ(EquivalenceThreshold(50.0, {}), 55.0);
  EXPECT_DOUBLE_EQ(EquivalenceThreshold(2.0, {}), 3.0);
  EXPECT_NE(EquivalenceOptionsError({0.0, 0.0}), "");
  EXPECT_NE(EquivalenceOptionsError({-1.0, 0.1}), "");

  ui.Allow("EQUIVALENCE");
  FieldSet none = s;
  for (int i = 0; i < 30; ++i) none.point_deleted[i] = 1;
  EXPECT_FALSE(ComputeEquivalence(MisfitSettings{}, none, 30, m, {}, ui).ran);
  ASSERT_EQ(ui.prompts().size(), 1u);
  EXPECT_THAT(ui.prompts()[0].text,
              testing::StartsWith("No data to fit\nField set No 1"));
  // Esc stops the search and returns no ranges.
  ui.PressEscapeAfter(5);
  const EquivalenceResult stopped =
      ComputeEquivalence(MisfitSettings{}, s, 30, m, {}, ui);
  EXPECT_TRUE(stopped.cancelled);
  EXPECT_TRUE(stopped.layers.empty());
  EXPECT_EQ(ui.prompts().back().text, "EXECUTION CANCELED BY USER");
}

}  // namespace
}  // namespace mtvuk
