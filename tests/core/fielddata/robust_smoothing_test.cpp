// The robust smoother on synthetic and real soundings; "Res->Phs" on it.
#include "core/fielddata/robust_smoothing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/depth/depth_transform.h"
#include "core/fielddata/edi_import.h"
#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/robust_smoother.h"
#include "core/fielddata/smoothing.h"
#include "core/fielddata/smoothing_check.h"
#include "core/fielddata/sounding_list.h"
#include "core/physics/forward_1d.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// rho_a of a layered earth at `period`, Ohm-m.
double TrueRhoA(const std::vector<double>& rho,
                const std::vector<double>& h,
                double period) {
  std::vector<double> r = rho, t = h;
  r.resize(MaxLayers, rho.back());
  t.resize(MaxLayers, 1.0);
  const Response1D z = ResponseNoDispersion(
      r.data(), t.data(), static_cast<int>(rho.size()), period);
  const double omega_mu = kTwoPi / period * kMu0;
  return (z.z.re * z.z.re + z.z.im * z.z.im) / (kSiToField * kSiToField) /
         omega_mu;
}

// n points from t0 to t1 s, 5 % Gaussian noise, error bars of 3 % to 8 %.
void NoisySet(FieldSet& s,
              const std::vector<double>& rho,
              const std::vector<double>& h,
              int n,
              double t0,
              double t1,
              unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> gauss(0.0, 1.0);
  std::uniform_real_distribution<double> bar(0.03, 0.08);
  ResetFieldSet(s);
  s.in_use = 1;
  s.count = n;
  s.label = "XY SYNTH";
  s.smoothed = 1;  // as the smoothing request marks it
  s.point_use.fill(1.0f);
  for (int i = 0; i < n; ++i) {
    const double period = t0 * std::pow(t1 / t0, i / (n - 1.0));
    const double rho_a = TrueRhoA(rho, h, period) * (1.0 + 0.05 * gauss(rng));
    const double e = bar(rng) * rho_a;
    s.freq[i] = static_cast<float>(1.0 / period);
    s.log_rho[i] = static_cast<float>(std::log10(rho_a));
    s.log_rho_upper[i] = static_cast<float>(std::log10(rho_a + e));
    s.log_rho_lower[i] = static_cast<float>(std::log10(rho_a - e));
  }
  s.effective_count = n;
}

// Largest departure from the true curve: mid-band, and within 0.5 of its ends.
struct Earth {
  std::vector<double> rho, h;
};

std::pair<double, double> Departure(const FieldSet& s, const Earth& e) {
  double middle = 0.0, ends = 0.0;
  const double x0 = std::log10(1.0 / s.freq[0]);
  const double x1 = std::log10(1.0 / s.freq[s.count - 1]);
  for (int i = 0; i < s.count; ++i) {
    const double x = std::log10(1.0 / s.freq[i]);
    const double off =
        std::fabs(s.smoothed_log_rho[i] -
                  std::log10(TrueRhoA(e.rho, e.h, 1 / s.freq[i])));
    double& worst = x - x0 < 0.5 || x1 - x < 0.5 ? ends : middle;
    worst = std::max(worst, off);
  }
  return {middle, ends};
}

const Earth kEarths[] = {
    {{100.0, 10.0, 1000.0}, {1.0, 3.0}},  // conductor between resistors
    {{30.0, 300.0, 3.0, 100.0}, {0.5, 5.0, 10.0}},  // four layers
    {{1000.0, 50.0}, {20.0}},                       // resistive cover
};

TEST(RobustSmoother, FollowsTheTrueCurveAndIgnoresAWildPoint) {
  const SmoothingOptions options;  // robust, smoothness from the data
  for (const Earth& e : kEarths) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE(testing::Message()
                   << "rho0 " << e.rho[0] << " seed " << seed);
      ScriptedUi ui;
      FieldSet s;
      NoisySet(s, e.rho, e.h, 48, 1e-3, 1e3, seed);
      const int wild = 17 + static_cast<int>(seed);
      for (const bool with_wild_point : {false, true}) {
        if (with_wild_point) {  // one point of the middle multiplied by 10
          s.log_rho[wild] += 1.0f;
          s.log_rho_upper[wild] += 1.0f;
          s.log_rho_lower[wild] += 1.0f;
        }
        ASSERT_TRUE(SmoothFieldSetRobust(s, options, ui));
        const auto [middle, ends] = Departure(s, e);
        EXPECT_LT(middle, 0.05);
        EXPECT_LT(ends, 0.08);
        EXPECT_TRUE(with_wild_point || SmoothingWarnings(s).empty());
      }
      EXPECT_EQ(s.smooth_outlier[wild], 1);
      const SmoothingDeparture m = MeasureDeparture(s);
      EXPECT_GE(m.downweighted, 1);
      EXPECT_LE(m.downweighted, 2);
    }
  }
}

TEST(RobustSmoother, LineIsKeptSlopesBoundedPhaseMarkedNothingExtrapolated) {
  ScriptedUi ui;
  FieldSet s;
  NoisySet(s, {100.0}, {}, 30, 1e-2, 1e2, 7);
  for (int i = 0; i < s.count; ++i) {
    const double x = std::log10(1.0 / s.freq[i]);
    s.log_rho[i] = static_cast<float>(2.0 + 0.5 * x);
    s.log_rho_upper[i] = s.log_rho[i] + 0.02f;
  }
  // The last three points switched off: no curve beyond the 27th.
  for (int i = 27; i < 30; ++i) s.point_use[i] = 0.0f;
  s.point_use[10] = 0.0f;  // and one inside the band
  s.effective_count = EffectiveCount(s);
  EXPECT_EQ(s.effective_count, 27);
  for (const bool by_hand : {false, true}) {
    s.smoothed_log_rho.fill(-12.0f);
    SmoothingOptions o;
    o.tension_by_hand = by_hand;
    o.tension_percent = 100.0;
    ASSERT_TRUE(SmoothFieldSetRobust(s, o, ui));
    for (int i = 0; i < 27; ++i) {
      const double x = std::log10(1.0 / s.freq[i]);
      EXPECT_NEAR(s.smoothed_log_rho[i], 2.0 + 0.5 * x, 1e-4) << i;
      EXPECT_NEAR(s.smoothed_slope[i], 0.4638, 1e-4) << i;
    }
    EXPECT_EQ(s.smoothed_log_rho[27], -12.0f);
  }
  EXPECT_TRUE(ui.prompts().empty());

  // "Res->Phs" on the robust curve marks the ends of the band.
  NoisySet(s, {100.0}, {}, 41, 1e-2, 1e2, 5);
  for (const double m : {0.0, 0.5}) {
    for (int i = 0; i < s.count; ++i) {
      const double x = std::log10(1.0 / s.freq[i]);
      s.log_rho[i] = static_cast<float>(2.0 + m * x);
      s.log_rho_upper[i] = s.log_rho[i] + 0.02f;
    }
    RobustPhaseFromResistivity(s, SmoothingOptions{}, ui);
    // rho_a ~ T^m: 45 (1 - m) degrees, less 0.6 of the truncated integral.
    for (int i = 0; i < s.count; ++i) {
      EXPECT_NEAR(s.phase_from_rho[i], 45.0 * (1.0 - m), 0.8) << i;
      const double x = std::log10(1.0 / s.freq[i]);
      EXPECT_EQ(s.phase_from_rho_weak[i], (x < -1.5 || x > 1.5) ? 1 : 0) << i;
    }
  }
  // The weighted spline's phase carries no marks.
  SmoothingOptions classic;
  classic.smoother = Smoother::kClassic;
  DerivePhaseFromResistivity(s, classic, ui);
  for (int i = 0; i < s.count; ++i) EXPECT_EQ(s.phase_from_rho_weak[i], 0);
  EXPECT_TRUE(ui.prompts().empty());

  // Too few points: a message, the set keeps -14.
  FieldSet two = s;
  two.point_use.fill(0.0f);
  two.point_use[3] = 1.0f;
  EXPECT_FALSE(SmoothFieldSetRobust(two, SmoothingOptions{}, ui));
  ASSERT_EQ(ui.prompts().size(), 1u);
  EXPECT_EQ(ui.prompts()[0].caption, kRobustSmoothingCaption);
  EXPECT_EQ(two.smoothed_log_rho[3], -14.0f);
}

TEST(RobustSmoother, TensionErrorFloorAndHoldToTheData) {
  const Earth& e = kEarths[1];
  std::vector<double> x, y, sigma;
  FieldSet s;
  NoisySet(s, e.rho, e.h, 40, 1e-3, 1e3, 3);
  for (int i = 0; i < s.count; ++i) {
    x.push_back(std::log10(1.0 / s.freq[i]));
    y.push_back(s.log_rho[i]);
    sigma.push_back(LogRhoSigma(s, i, false));
  }
  const RobustSmootherResult stiff = SmoothRobust(x, y, sigma, 0.0);
  const RobustSmootherResult loose = SmoothRobust(x, y, sigma, 100.0);
  const RobustSmootherResult data = SmoothRobust(x, y, sigma);
  ASSERT_TRUE(stiff.ok && loose.ok && data.ok);
  EXPECT_NEAR(stiff.dof, 2.0, 0.05);
  // A straight line has one slope everywhere.
  EXPECT_NEAR(stiff.spline.Slope(-2.0), stiff.spline.Slope(2.0), 1e-3);
  EXPECT_GT(loose.dof, 20.0);
  EXPECT_GT(data.dof, stiff.dof + 3.0);
  EXPECT_LT(data.dof, loose.dof);

  // The error floor of 10 %, and the hold to the data.
  ResetFieldSet(s);
  s.log_rho[0] = 2.0f;
  s.log_rho_upper[0] = static_cast<float>(std::log10(100.0 * 1.01));  // 1 %
  s.log_rho[1] = 2.0f;
  s.log_rho_upper[1] = static_cast<float>(std::log10(100.0 * 1.2));  // 20 %
  EXPECT_NEAR(LogRhoSigma(s, 0, false), 0.1 / std::log(10.0), 1e-6);
  EXPECT_NEAR(LogRhoSigma(s, 1, false), 0.2 / std::log(10.0), 1e-5);
  EXPECT_NEAR(LogRhoSigma(s, 1, true), 0.1 / std::log(10.0), 1e-6);

  // 0.4 above flat data: back to the 0.15 band; 0.1 above or far off: kept.
  x.assign(9, 0.0);
  y.assign(9, 1.0);
  sigma.assign(9, 0.02);
  for (int i = 0; i < 9; ++i) x[i] = 0.1 * i;
  RobustSmootherResult fit = SmoothRobust(x, y, sigma);
  ASSERT_TRUE(fit.ok);
  double value = 1.4, slope = 3.0;
  EXPECT_TRUE(HoldToData(x, y, sigma, fit, 0.4, value, slope));
  EXPECT_NEAR(value, 1.15, 1e-9);
  EXPECT_NEAR(slope, 0.0, 1e-9);
  value = 1.1;
  EXPECT_FALSE(HoldToData(x, y, sigma, fit, 0.4, value, slope));
  EXPECT_EQ(value, 1.1);
  value = 5.0;
  EXPECT_FALSE(HoldToData(x, y, sigma, fit, 3.0, value, slope));
}

TEST(RobustSmoother, MarkedSetRemembersItsSmoother) {
  auto stores = std::make_unique<Stores>();
  ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
  EXPECT_EQ(stores->workspace.smoothing.smoother, Smoother::kRobust);
  ScriptedUi ui;
  FieldSet& s = stores->sets[0];
  NoisySet(s, {30.0, 300.0}, {2.0}, 30, 1e-2, 1e3, 11);
  // An outlier that only the robust smoother leaves.
  s.log_rho[12] -= 1.2f;
  s.log_rho_upper[12] -= 1.2f;
  s.log_rho_lower[12] -= 1.2f;
  SmoothingOptions o = SmoothingOptions::From(stores->workspace);
  ASSERT_TRUE(SmoothMarkedSet(stores->workspace, s, o, ui));
  EXPECT_EQ(s.smoothed_with, Smoother::kRobust);
  EXPECT_EQ(s.smooth_outlier[12], 1);
  const float robust_value = s.smoothed_log_rho[12];

  o.smoother = Smoother::kClassic;
  ASSERT_TRUE(SmoothMarkedSet(stores->workspace, s, o, ui));
  EXPECT_EQ(s.smoothed_with, Smoother::kClassic);
  EXPECT_EQ(s.smooth_outlier[12], 0);
  FieldSet direct = s;
  ASSERT_TRUE(SmoothFieldSet(direct, o, ui));
  EXPECT_EQ(s.smoothed_log_rho, direct.smoothed_log_rho);
  // The robust curve passes between the outlier's neighbours.
  EXPECT_NEAR(robust_value, (s.log_rho[11] + s.log_rho[13]) / 2.0f, 0.06);
  // Editing smooths again with the set's own smoother.
  stores->workspace.smoothing.smoother = Smoother::kRobust;
  EXPECT_EQ(SmoothingOptions::ForSet(stores->workspace, s).smoother,
            Smoother::kClassic);
}

// Reads a file as the user would and smooths `mode`; false if it won't open.
bool SmoothFile(const std::string& path,
                CurveMode mode,
                Smoother smoother,
                FieldSet& out) {
  auto stores = test::NewStores();
  ScriptedUi ui;  // every message answered with its default button
  if (!ReadFieldFile(path, stores->workspace, ui) &&
      !ImportEdiFile(path, stores->workspace, ui)) {
    return false;
  }
  SoundingList list(stores->workspace, stores->sets, stores->models, ui);
  if (!list.SetTick(mode, true) || !list.Ok()) return false;
  FieldSet& set = stores->sets[list.chosen_slot(mode)];
  SmoothingOptions options = SmoothingOptions::From(stores->workspace);
  options.smoother = smoother;
  set.effective_count = EffectiveCount(set);
  const std::size_t shown = ui.prompts().size();
  if (!SmoothMarkedSet(stores->workspace, set, options, ui)) return false;
  EXPECT_EQ(ui.prompts().size(), shown);  // smoothing says nothing
  out = set;
  return true;
}

// Both smoothers on every real file, XY and YX; the robust curve's depths.
TEST(RobustSmootherOnRealFiles, StaysOnTheDataItKept) {
  std::vector<std::string> paths;
  for (const std::string& f : test::RealFileNames(".edi"))
    paths.push_back(test::RealDataPath(f));
  paths.push_back(test::ExamplePath("15125A_imp.plt"));
  int sets = 0, far_sets = 0;
  for (const std::string& path : paths) {
    for (const CurveMode mode : {CurveMode::XY, CurveMode::YX}) {
      SCOPED_TRACE(path + (mode == CurveMode::XY ? " XY" : " YX"));
      FieldSet robust, classic;
      if (!SmoothFile(path, mode, Smoother::kRobust, robust)) continue;
      ++sets;
      const SmoothingDeparture r = MeasureDeparture(robust);
      EXPECT_LE(r.largest, 0.5);
      EXPECT_GT(r.points, 0);
      // Only a few points of a real sounding are left out.
      EXPECT_LE(r.downweighted, r.points / 5 + 1);
      TransformFieldSet(robust);
      for (int i = 0; i < robust.count; ++i) {
        ASSERT_TRUE(std::isfinite(robust.depth[i])) << i;
        EXPECT_GT(robust.log_res[i], -6.0f) << i;
        EXPECT_LT(robust.log_res[i], 11.0f) << i;
        if (i == 0) continue;
        EXPECT_LT(robust.depth[i], robust.depth[i - 1]) << i;
        EXPECT_GE(robust.log_s[i], robust.log_s[i - 1]) << i;
      }
      if (SmoothFile(path, mode, Smoother::kClassic, classic) &&
          MeasureDeparture(classic).largest > 1.0) {
        ++far_sets;
        EXPECT_LE(r.largest, MeasureDeparture(classic).largest / 3.0);
        EXPECT_FALSE(SmoothingWarnings(classic).empty());
      }
    }
  }
  // About forty sets; four lead the weighted spline over a decade away.
  EXPECT_GE(sets, 30);
  EXPECT_GE(far_sets, 4);
}

}  // namespace
}  // namespace mtvuk
