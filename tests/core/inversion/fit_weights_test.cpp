// Data-weighted misfits, the error floor, the nrms and a fit's warnings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "core/fielddata/field_curve.h"
#include "core/inversion/error_floor.h"
#include "core/inversion/fit_warnings.h"
#include "core/physics/forward_1d.h"
#include "core/store/store_defaults.h"
#include "fit_fixture.h"

namespace mtvuk {
namespace {

constexpr double kDegPerRad = 57.29577951308232;

// A sounding as the readers leave it: noise of `noise` |Z|, bars of a
// relative impedance error `bars[i % size]`, YX holding the negated Z.
void Sounding(FieldSet& s,
              const std::vector<double>& rho,
              const std::vector<double>& h,
              int n,
              double noise,
              const std::vector<double>& bars,
              unsigned seed,
              CurveMode mode = CurveMode::XY) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> gauss(0.0, 1.0);
  ResetFieldSet(s);
  s.in_use = 1;
  s.count = n;
  s.mode = mode;
  std::vector<double> r = rho, t = h;
  r.resize(MaxLayers, rho.back());
  t.resize(MaxLayers, 1.0);
  for (int i = 0; i < n; ++i) {
    const double period = 1e-3 * std::pow(10.0, 6.0 * i / (n - 1));
    const Response1D z = ResponseNoDispersion(
        r.data(), t.data(), static_cast<int>(rho.size()), period);
    const double zf = std::hypot(z.z.re, z.z.im);  // field units
    const double re = z.z.re + noise * zf * gauss(rng);
    const double im = z.z.im + noise * zf * gauss(rng);
    const double e = bars[i % bars.size()];
    const double k = 1.0 + 2.0 * e;
    const double rho_a = (re * re + im * im) / (kSiToField * kSiToField) /
                         (kTwoPi / period * kMu0);
    const double rho_err = 0.5 * (k * rho_a - rho_a / k);
    s.freq[i] = static_cast<float>(1.0 / period);
    StoreFieldPoint(s, i, mode, re, im, rho_err, std::atan(e) * kDegPerRad);
  }
}

bool Has(const std::vector<std::string>& warnings, const std::string& part) {
  return std::any_of(warnings.begin(), warnings.end(), [&](const auto& w) {
    return w.find(part) != std::string::npos;
  });
}

class FitWeightsTest : public test::FitTest {
 protected:
  // The data terms of the model as it stands (no iteration).
  FitTerms TermsOf(const MisfitSettings& settings) {
    FitTerms terms;
    FitResponse fit;
    auto misfit = [&](const FieldSet&, FitResponse& f) {
      return FitMisfit(settings, set(), set().count, f, &terms);
    };
    ModelCurveDriver(
        DriverMode::kFitting, ws(), stores_->models, ui_, &set(), &fit, misfit);
    return terms;
  }
};

TEST(ErrorFloorTest, OneConventionForImpedanceResistivityAndPhase) {
  // Small errors are raised, large ones kept, missing ones left missing.
  EXPECT_DOUBLE_EQ(FlooredImpedanceError(0.001, 5.0), 0.05);
  EXPECT_DOUBLE_EQ(FlooredImpedanceError(0.2, 5.0), 0.2);
  EXPECT_DOUBLE_EQ(FlooredRhoError(0.02, 3.0), 0.06);
  EXPECT_NEAR(FlooredPhaseError(0.1, 5.0), 2.8659839825988, 1e-9);
  EXPECT_EQ(FlooredImpedanceError(0.0, 5.0), 0.0);
  EXPECT_TRUE(std::isnan(FlooredRhoError(std::nan(""), 5.0)));
  for (double bad : {-1.0, 100.5, std::nan("")})
    EXPECT_STRNE(ErrorFloorProblem(bad), "") << bad;
  for (double good : {0.0, 5.0, 100.0})
    EXPECT_STREQ(ErrorFloorProblem(good), "");
}

TEST_F(FitWeightsTest, DatumErrorsWeightsAndTheFloorComeFromTheBars) {
  // The relative impedance error is found back from the stored bounds.
  const std::vector<double> bars = {0.001, 0.05, 0.3, 0.12};
  for (CurveMode mode : {CurveMode::XY, CurveMode::YX}) {
    Sounding(set(), {30, 300, 3}, {0.5, 5}, 8, 0.0, bars, 1, mode);
    for (int i = 0; i < 8; ++i)
      EXPECT_NEAR(
          DatumImpedanceError(set(), i), bars[i % 4], 2e-3 * bars[i % 4] + 1e-6)
          << i;
  }
  set().point_deleted[0] = 1;  // editing does not remove the bar itself
  EXPECT_GT(DatumImpedanceError(set(), 0), 0.0);
  // The robust misfit's weights come from the data alone.
  Sounding(set(), {100, 10, 1000}, {1, 10}, 30, 0.0, {0.02, 0.1}, 3);
  for (int target = 1; target <= 5; ++target) {
    const MisfitSettings data{
        .target = target, .data_weights = true, .error_floor = 3.0};
    test::SetLayers(model(), {100, 10, 1000}, {1, 10});
    const FitTerms a = TermsOf(data);
    test::SetLayers(model(), {0.2, 0.2, 0.2}, {1000, 1000});
    const FitTerms b = TermsOf(data);
    ASSERT_EQ(a.count, b.count);
    for (int k = 0; k < a.count; ++k) {
      EXPECT_DOUBLE_EQ(a.weight[k], b.weight[k]) << target << " " << k;
      if (a.weight[k] != 0.0) {
        EXPECT_NEAR(a.weight[k] * a.sigma[k], 1.0, 1e-12);
      }
    }
  }
  // A floor raises small bars only; a floor of 0 leaves them as they are.
  Sounding(set(), {100, 10}, {2}, 20, 0.0, {0.001, 0.2}, 5);
  test::SetLayers(model(), {100, 10}, {2});
  for (int target : {1, 4, 5}) {
    MisfitSettings s{.target = target, .data_weights = true};
    const FitTerms bare = TermsOf(s);
    s.error_floor = 5.0;
    const FitTerms floored = TermsOf(s);
    for (int k = 0; k < bare.count; ++k) {
      const bool small = bare.period[k] % 2 == 0;
      if (small) {
        EXPECT_GT(floored.sigma[k], 20.0 * bare.sigma[k]) << target << k;
      } else {
        EXPECT_DOUBLE_EQ(floored.sigma[k], bare.sigma[k]) << target << k;
      }
    }
    // The floored resistivity term: 10 % of rho_a, phase asin(0.05).
    if (target == 4) {
      EXPECT_NEAR(floored.sigma[0], 0.1 / std::log(10.0), 1e-9);
    }
    if (target == 5) {
      EXPECT_NEAR(floored.sigma[1], std::asin(0.05), 1e-9);
    }
  }
}

// With 5 % noise and bars that say so, the true model has an nrms near 1.
TEST_F(FitWeightsTest, NrmsOfTheTrueModelIsNearOneForEveryTarget) {
  const std::vector<double> rho = {100, 10, 1000, 30};
  const std::vector<double> h = {0.8, 3.0, 20.0};
  for (CurveMode mode : {CurveMode::XY, CurveMode::YX}) {
    for (int target = 1; target <= 5; ++target) {
      double sum = 0.0;
      int terms = 0;
      for (unsigned seed = 1; seed <= 12; ++seed) {
        Sounding(set(), rho, h, 40, 0.05, {0.05}, seed, mode);
        test::SetLayers(model(), rho, h);
        const NormalizedRms n =
            NormalizedMisfit(TermsOf({.target = target, .data_weights = true}));
        sum += n.value * n.value * n.terms;
        terms += n.terms;
      }
      const double nrms = std::sqrt(sum / terms);
      EXPECT_GT(nrms, 0.9) << "target " << target;
      EXPECT_LT(nrms, 1.1) << "target " << target;
    }
  }
}

// From a uniform start every target ends at the noise; limits are named.
TEST_F(FitWeightsTest, RobustFitOfEveryTargetEndsAtTheNoise) {
  struct Earth {
    std::vector<double> rho, h;
  };
  const Earth earths[] = {{{100, 10, 1000}, {1.0, 8.0}},
                          {{30, 300, 5, 200}, {0.3, 2.0, 6.0}},
                          {{200, 20, 500, 2, 100}, {0.2, 1.0, 4.0, 30.0}}};
  for (int target = 1; target <= 5; ++target) {
    for (int e = 0; e < 3; ++e) {
      const Earth& earth = earths[e];
      const CurveMode mode = e == 1 ? CurveMode::YX : CurveMode::XY;
      Sounding(
          set(), earth.rho, earth.h, 40, 0.05, {0.05}, 10u * target + e, mode);
      std::vector<double> start_h = earth.h;
      for (double& x : start_h) x *= 1.4;
      test::SetLayers(
          model(), std::vector<double>(earth.rho.size(), 100.0), start_h);
      ws().inversion_target = static_cast<std::int16_t>(target);
      InversionResult r = Run();
      ASSERT_TRUE(r.ran);
      EXPECT_GT(r.nrms, 0.7) << target << " earth " << e;
      EXPECT_LT(r.nrms, 1.4) << target << " earth " << e;
      EXPECT_TRUE(r.noise_level) << target << " earth " << e;
      EXPECT_DOUBLE_EQ(r.error_floor, 5.0);
      EXPECT_EQ(ParametersAtLimits(model()).empty(), !Has(r.warnings, "limit"));
    }
  }
}

// Edited points, points without a bar and pinned parameters are named.
TEST_F(FitWeightsTest, LeftOutPointsAndLimitsAreNamed) {
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
  // The classic method weighs the point without a bar, names the limit.
  ws().fit_method = FitMethod::kClassic;
  test::UniformLayers(model(), 3, 100.0, 1.0, 4.0);
  r = Run();
  EXPECT_FALSE(Has(r.warnings, "no error bar"));
  EXPECT_TRUE(Has(r.warnings, "layer 2 resistivity at its lower limit"));
  EXPECT_DOUBLE_EQ(r.error_floor, 0.0);
}

// ET001 claims 0.1 % error bars: said, and without the floor a poor fit.
TEST_F(FitWeightsTest, TinyFieldBarsAreReported) {
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

// On field data the robust method never ends worse by the classic misfit.
TEST_F(FitWeightsTest, RobustNeverEndsWorseThanClassic) {
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
