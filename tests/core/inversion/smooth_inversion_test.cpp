#include "core/inversion/smooth_inversion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <numeric>
#include <vector>

#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sounding_list.h"
#include "core/inversion/bostick.h"
#include "core/inversion/smooth_profile_layers.h"
#include "core/inversion/smooth_setting.h"
#include "core/physics/forward_1d.h"
#include "core/platform/scripted_ui.h"
#include "core/store/smooth_profile.h"
#include "synthetic_sounding.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

using testing::HasSubstr;
using testing::StartsWith;

// log10 rho of the profile at a depth (km).
double ProfileAt(const SmoothInversionResult& r, double depth_km) {
  double top = 0.0;
  std::size_t j = 0;
  while (j < r.thickness_km.size() && depth_km >= top + r.thickness_km[j]) {
    top += r.thickness_km[j];
    ++j;
  }
  return r.log_rho[j];
}

// The rms of (d - m) / sigma, (mu R^T R + I / sigma^2) m = d / sigma^2.
double TikhonovRms(const std::vector<double>& d, double sigma, double mu) {
  const int n = static_cast<int>(d.size());
  Eigen::MatrixXd r = Eigen::MatrixXd::Zero(n - 1, n);
  for (int i = 0; i + 1 < n; ++i) {
    r(i, i) = -1.0;
    r(i, i + 1) = 1.0;
  }
  const Eigen::VectorXd data = Eigen::Map<const Eigen::VectorXd>(d.data(), n);
  const double w = 1.0 / (sigma * sigma);
  const Eigen::MatrixXd a =
      mu * r.transpose() * r + w * Eigen::MatrixXd::Identity(n, n);
  const Eigen::VectorXd m = a.ldlt().solve(w * data);
  return (data - m).norm() / std::sqrt(n) / sigma;
}

TEST(SmoothInversion, MuSearchOnKnownProblems) {
  // No mu meets the target: a parabola's minimum, even beyond the first scan.
  for (double centre : {0.0, 3.0}) {
    const MuChoice c = SearchMu(
        [](double x) { return 2.0 + (x - 1.3) * (x - 1.3); }, centre, 1.0);
    EXPECT_FALSE(c.meets_target);
    EXPECT_NEAR(c.log_mu, 1.3, 0.02) << centre;
    EXPECT_NEAR(c.misfit, 2.0, 1e-3);
  }
  // The rms rises with mu: the largest mu that meets the target, from below.
  const std::vector<double> d = {1.0, 3.0, 2.0, 5.0, 4.0, 4.5, 7.0, 6.0};
  const double sigma = 0.5;
  auto rms = [&](double x) { return TikhonovRms(d, sigma, std::pow(10.0, x)); };
  const double target = 1.0;
  double lo = -6.0, hi = 6.0;
  for (int i = 0; i < 200; ++i) {
    const double mid = 0.5 * (lo + hi);
    (rms(mid) <= target ? lo : hi) = mid;
  }
  const MuChoice c = SearchMu(rms, 0.0, target);
  EXPECT_TRUE(c.meets_target);
  EXPECT_LE(c.misfit, target);
  EXPECT_GE(c.misfit, 0.998 * target);
  EXPECT_NEAR(c.log_mu, lo, 0.01);
  EXPECT_LT(c.evaluations, 30);
  // Every mu meets a loose target: the largest one tried.
  const MuChoice loose = SearchMu(rms, 0.0, 100.0);
  EXPECT_TRUE(loose.meets_target);
  EXPECT_GE(loose.log_mu, 4.0);
  // A misfit that is not a number counts as too large.
  const MuChoice nan = SearchMu(
      [](double x) { return x < 0.5 ? std::nan("") : 3.0 + x; }, 0.0, 1.0);
  EXPECT_NEAR(nan.log_mu, 0.5, 0.03);
  EXPECT_NEAR(nan.misfit, 3.5, 0.03);
}

TEST(SmoothInversion, GridFromTheBostickDepths) {
  FieldSet s;
  test::SyntheticSounding(s, {100, 10, 1000}, {1.0, 5.0}, 40, 0.03, 0.0, 1);
  s.point_deleted[0] = 1;  // removed points do not count
  const std::vector<BostickSample> b = BostickTransform(s, 40);
  ASSERT_EQ(b.size(), 39u);
  std::vector<double> h;
  ASSERT_TRUE(SmoothGrid(s, 40, 50, h));
  ASSERT_EQ(h.size(), 50u);
  std::vector<double> bottom(50);
  double z = 0.0;
  for (int k = 0; k < 50; ++k) bottom[k] = z += h[k];
  EXPECT_NEAR(bottom.front(), b.front().depth_km / 3.0, 1e-12);
  EXPECT_NEAR(bottom.back(), 3.0 * b.back().depth_km, 1e-9);
  const double ratio = bottom[1] / bottom[0];
  for (int k = 1; k < 50; ++k)
    EXPECT_NEAR(bottom[k] / bottom[k - 1], ratio, 1e-9);
  FieldSet empty;
  empty.count = 5;
  EXPECT_FALSE(SmoothGrid(empty, 5, 50, h));
}

// Earths of three to five layers with 3 % noise, default options.
TEST(SmoothInversion, ReachesTheTargetOnLayeredEarths) {
  const SmoothInversionOptions o;
  EXPECT_EQ(o.target, 5);
  EXPECT_EQ(o.max_iterations, 30);
  EXPECT_FALSE(o.ignore_error_bars);
  EXPECT_EQ(o.physics, Physics::kPublished);
  struct Case {
    std::vector<double> rho, h;
    int conductor;  // a conductive thick layer the profile resolves
  };
  const Case cases[] = {{{100, 10, 1000}, {1.0, 5.0}, 1},
                        {{30, 300, 10, 100}, {0.5, 2.0, 10.0}, 2},
                        {{200, 20, 500, 5, 100}, {0.3, 1.5, 5.0, 20.0}, 3}};
  for (const Case& c : cases) {
    FieldSet s;
    test::SyntheticSounding(s, c.rho, c.h, 40, 0.03, 0.03, 11);
    ScriptedUi ui;
    int reached = -1;
    const SmoothInversionResult r =
        RunSmoothInversion(s, 0, o, ui, [&](const SmoothIteration& it) {
          if (reached < 0 && it.rms <= o.target_rms) reached = it.iteration;
        });
    ASSERT_TRUE(r.ran);
    EXPECT_TRUE(r.converged) << r.reason;
    EXPECT_GE(reached, 1);
    EXPECT_LE(reached, 10);
    // Exact derivatives: a handful of iterations to the smoothest profile.
    EXPECT_LE(r.iterations, 6);
    EXPECT_NEAR(r.rms, 1.0, 0.02);
    EXPECT_EQ(r.log_rho.size(), 51u);  // 50 layers and the half-space
    double rough = 0.0;
    for (std::size_t j = 1; j < r.log_rho.size(); ++j)
      rough += std::pow(r.log_rho[j] - r.log_rho[j - 1], 2);
    EXPECT_NEAR(r.roughness, rough, 1e-12);
    EXPECT_NEAR(ProfileAt(r, c.h[0] / 2.0), std::log10(c.rho[0]), 0.3);
    const int k = c.conductor;
    const double top = std::accumulate(c.h.begin(), c.h.begin() + k, 0.0);
    EXPECT_NEAR(ProfileAt(r, top + c.h[k] / 2.0), std::log10(c.rho[k]), 0.3);
    EXPECT_TRUE(ui.prompts().empty());
    // The history starts at the half-space of the mean log10 rho_a.
    EXPECT_EQ(r.history.front().iteration, 0);
    EXPECT_EQ(r.history.front().roughness, 0.0);
    EXPECT_GT(r.history.front().rms, r.rms);
    EXPECT_FALSE(r.history.back().trials.empty());
  }
}

TEST(SmoothInversion, StopsAndSaysWhy) {
  FieldSet s;
  test::SyntheticSounding(s, {100, 10, 1000}, {1.0, 5.0}, 30, 0.03, 0.03, 5);
  // Two layers cannot fit the data to rms 1: the misfit stops falling.
  SmoothInversionOptions coarse;
  coarse.layers = 2;
  ScriptedUi ui;
  SmoothInversionResult r = RunSmoothInversion(s, 0, coarse, ui);
  ASSERT_TRUE(r.ran);
  EXPECT_FALSE(r.converged);
  EXPECT_GT(r.rms, 1.0);
  EXPECT_THAT(r.reason, HasSubstr("cannot be reached"));
  SmoothInversionOptions one;
  one.max_iterations = 1;
  r = RunSmoothInversion(s, 0, one, ui);
  EXPECT_EQ(r.iterations, 1);
  EXPECT_EQ(r.reason, "the iteration limit (1) was reached");
  // Esc: the message of the fits and the profile reached so far.
  ui.PressEscapeAfter(10);
  ui.Allow("SMOOTH INVERSION");
  r = RunSmoothInversion(s, 0, SmoothInversionOptions{}, ui);
  EXPECT_TRUE(r.cancelled);
  EXPECT_FALSE(r.converged);
  ASSERT_EQ(ui.prompts().size(), 1u);
  EXPECT_THAT(ui.prompts()[0].text,
              StartsWith("EXECUTION CANCELED BY USER\nDONE: "));
  EXPECT_LT(r.rms, r.history.front().rms);
}

// The bundled example's XY curve: steps halved, the target not reached.
TEST(SmoothInversion, BundledExampleHalvesItsSteps) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  ASSERT_TRUE(ReadFieldFile(
      test::ExamplePath("15125A_imp.plt"), stores->workspace, ui));
  SoundingList list(stores->workspace, stores->sets, stores->models, ui);
  ASSERT_TRUE(list.SetTick(CurveMode::XY, true) && list.Ok());
  const FieldSet before = stores->sets[0];
  const SmoothInversionResult r =
      RunSmoothInversion(stores->sets[0], 0, SmoothInversionOptions{}, ui);
  ASSERT_TRUE(r.ran);
  EXPECT_FALSE(r.converged);
  EXPECT_LT(r.rms, 70.0);
  EXPECT_GT(r.rms, 1.0);
  int halved = 0;
  for (std::size_t i = 1; i < r.history.size(); ++i) {
    EXPECT_LT(r.history[i].rms, r.history[i - 1].rms);
    halved += r.history[i].halvings;
  }
  EXPECT_GT(halved, 0);
  EXPECT_EQ(DataKey(stores->sets[0]), DataKey(before));
  EXPECT_EQ(stores->sets[0].last_misfit, before.last_misfit);
}

TEST(SmoothInversion, RefusesWhatItCannotFit) {
  ScriptedUi ui;
  ui.Allow("INVALID SMOOTH INVERSION");
  FieldSet s;
  test::SyntheticSounding(s, {100, 10}, {1.0}, 20, 0.03, 0.0, 1);
  const FieldSet before = s;
  SmoothInversionOptions o;
  o.layers = 101;
  EXPECT_FALSE(RunSmoothInversion(s, 0, o, ui).ran);
  o.layers = 50;
  o.target_rms = 0.0;
  EXPECT_FALSE(RunSmoothInversion(s, 0, o, ui).ran);
  o.target_rms = 1.0;
  o.target = 1;
  EXPECT_FALSE(RunSmoothInversion(s, 2, o, ui).ran);
  o.target = 5;
  for (int i = 0; i < 20; ++i) s.point_deleted[i] = 1;
  EXPECT_FALSE(RunSmoothInversion(s, 2, o, ui).ran);
  s = before;
  s.in_use = -1;
  EXPECT_FALSE(RunSmoothInversion(s, 2, o, ui).ran);
  s = before;
  s.log_rho[3] = NAN;
  EXPECT_FALSE(RunSmoothInversion(s, 2, o, ui).ran);
  ASSERT_EQ(ui.prompts().size(), 6u);
  EXPECT_EQ(ui.prompts()[0].text,
            "The number of layers must be between 2 and 100.");
  EXPECT_THAT(ui.prompts()[3].text,
              StartsWith("No data to fit\nField set No 3"));
  EXPECT_THAT(ui.prompts()[4].text, StartsWith("Can't find   data"));
  EXPECT_THAT(ui.prompts()[5].text,
              StartsWith("The misfit of the start model"));
  for (const auto& p : ui.prompts())
    EXPECT_EQ(p.caption, "INVALID SMOOTH INVERSION");
  EXPECT_EQ(SmoothInversionOptionsError(SmoothInversionOptions{}), "");
}

// The stored profile, its merge into 16 layers and its depth points.
TEST(SmoothInversion, ProfileStoreMergeAndDepthPoints) {
  FieldSet s;
  test::SyntheticSounding(
      s, {30, 300, 10, 100}, {0.5, 2.0, 10.0}, 40, 0.03, 0.03, 3);
  s.in_use = 2;
  ScriptedUi ui;
  SmoothInversionOptions o;
  o.layers = 60;
  const SmoothInversionResult r = RunSmoothInversion(s, 1, o, ui);
  ASSERT_TRUE(r.ran);
  SmoothProfiles profiles;
  StoreProfile(r, o, s, profiles[1]);
  const SmoothProfile* p = CurrentProfile(profiles, s, 1);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->layers, 60);
  EXPECT_DOUBLE_EQ(p->resistivity[60], std::pow(10.0, r.log_rho[60]));
  EXPECT_EQ(CurrentProfile(profiles, s, 0), nullptr);
  FieldSet changed = s;
  changed.point_deleted[7] = 1;
  EXPECT_EQ(CurrentProfile(profiles, changed, 1), nullptr);

  // The merged model's response is within the data's errors of the profile's.
  const MergedModel merged = MergeProfile(*p);
  ASSERT_EQ(merged.layers, 16);
  ASSERT_EQ(merged.thickness.size(), 15u);
  EXPECT_LT(
      std::accumulate(merged.thickness.begin(), merged.thickness.end(), 0.0),
      std::accumulate(p->thickness.begin(), p->thickness.begin() + 60, 0.0) +
          1e-9);
  std::vector<double> rho_p, phase_p;
  ProfileResponse(*p, r.periods, rho_p, phase_p);
  LayerModel m;
  InstallProfile(*p, m);
  EXPECT_EQ(m.layer_count, 16);
  EXPECT_EQ(m.resistivity[15], merged.resistivity[15]);
  EXPECT_EQ(m.thickness[3], merged.thickness[3]);
  for (std::size_t i = 0; i < r.periods.size(); ++i) {
    const Response1D z = ResponseNoDispersion(
        m.resistivity.data(), m.thickness.data(), 16, r.periods[i]);
    const double sigma_log_rho = std::log10(1.0 + 2 * 0.03) / 2.0;
    const double sigma_phase = 0.03 / test::kSyntheticRadPerDeg;
    EXPECT_LT(std::fabs(std::log10(z.rho_a / rho_p[i])), sigma_log_rho);
    EXPECT_LT(std::fabs(z.phase - phase_p[i]), sigma_phase);
    EXPECT_NEAR(rho_p[i], r.rho_a[i], 1e-9 * r.rho_a[i]);
  }
  // A staircase of exactly 16 steps is kept as it is; limits widen to it.
  SmoothProfile stairs;
  stairs.layers = 31;
  for (int j = 0; j <= 31; ++j) {
    stairs.resistivity[j] = std::pow(10.0, -2.0 + (j / 2) * 0.5);
    if (j < 31) stairs.thickness[j] = 0.1 * (j + 1);
  }
  const MergedModel exact = MergeProfile(stairs);
  ASSERT_EQ(exact.layers, 16);
  for (int k = 0; k < 16; ++k)
    EXPECT_NEAR(exact.resistivity[k], std::pow(10.0, -2.0 + k * 0.5), 1e-9);
  EXPECT_NEAR(exact.thickness[0], 0.1 + 0.2, 1e-12);
  LayerModel limited;
  InstallProfile(stairs, limited);
  EXPECT_LE(limited.resistivity_min[0], 0.01f);
  EXPECT_GE(limited.resistivity_max[15], 1e5f);

  // Depth points: a staircase downwards with the conductance from the top.
  const ProfilePoints pts = DepthProfilePoints(stairs);
  ASSERT_EQ(pts.depth.size(), 64u);
  double s_sum = 0.0, above = 0.0;
  for (int j = 0; j < 31; ++j) {
    const double h = stairs.thickness[j] * 1000.0;
    s_sum += h / stairs.resistivity[j];
    EXPECT_NEAR(pts.depth[2 * j + 1], -(above + h), 1e-6);
    EXPECT_NEAR(pts.log_s[2 * j + 1], std::log10(s_sum), 1e-9);
    EXPECT_NEAR(pts.log_res[2 * j], std::log10(stairs.resistivity[j]), 1e-9);
    above += h;
  }
  EXPECT_NEAR(pts.depth[0], -10.0, 1e-9);
}

TEST(SmoothInversionSetting, FieldsRunAndInstall) {
  auto stores = test::NewStores();
  EXPECT_EQ(SmoothInversionSetting::Load(stores->sets).set, -1);
  EXPECT_EQ(SmoothInversionSetting{}.layers, 50);
  test::SyntheticSounding(
      stores->sets[2], {100, 10, 1000}, {1.0, 5.0}, 30, 0.03, 0.03, 2);
  stores->sets[2].in_use = 3;
  SmoothInversionSetting s = SmoothInversionSetting::Load(stores->sets);
  EXPECT_EQ(s.set, 2);
  EXPECT_EQ(s.model, 2);
  EXPECT_EQ(SmoothInversionSetting::SetsInUse(stores->sets),
            std::vector<int>{2});
  EXPECT_FALSE(s.Validate());
  EXPECT_EQ(s.target_rms, 1.0);
  s.target_rms = 0.05;
  EXPECT_EQ(
      s.Validate(),
      FieldError(std::pair(0, "Please enter a number between 0.1 and 100.")));
  s.target_rms = 1.0;
  s.layers = 1;
  EXPECT_EQ(s.Validate()->second, "Please enter an integer between 2 and 100.");
  s.layers = 20;
  Workspace& ws = stores->workspace;
  ws.inversion_target = 4;
  ws.ignore_error_bars = 1;
  SmoothInversionOptions o = s.Options(ws);
  EXPECT_EQ(o.target, 4);
  EXPECT_TRUE(o.ignore_error_bars);
  EXPECT_EQ(o.layers, 20);
  ws.inversion_target = 1;
  ws.ignore_error_bars = 0;
  EXPECT_EQ(s.Options(ws).target, 5);

  ScriptedUi ui;
  ui.Allow("INSTALL MODEL");
  s.model = 4;
  EXPECT_FALSE(InstallSmoothProfile(s, *stores, ui));
  ASSERT_EQ(ui.prompts().size(), 1u);
  EXPECT_EQ(ui.prompts()[0].text,
            "Field set No 3 has no smooth profile of its data\nRun the "
            "smooth inversion first");
  const SmoothInversionResult r = RunSmoothInversionSetting(s, *stores, ui);
  ASSERT_TRUE(r.ran);
  EXPECT_EQ(stores->profiles[2].layers, 20);
  EXPECT_EQ(stores->profiles[0].layers, 0);
  ASSERT_FALSE(ui.posts().empty());
  EXPECT_EQ(ui.posts().back().message, Um::UM_REDRAW);
  stores->models[4].shown = 0;
  EXPECT_TRUE(InstallSmoothProfile(s, *stores, ui));
  EXPECT_EQ(stores->models[4].shown, 1);
  EXPECT_EQ(ws.current_model, 4);
  EXPECT_EQ(stores->models[4].layer_count, 16);
  EXPECT_EQ(ui.posts().back().message, Um::UM_MODELSYNC);
}

}  // namespace
}  // namespace mtvuk
