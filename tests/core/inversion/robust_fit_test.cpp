#include "core/inversion/robust_fit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/inversion/sensitivity.h"
#include "core/physics/forward_1d.h"
#include "fit_fixture.h"

namespace mtvuk {
namespace {

using testing::HasSubstr;
using testing::StartsWith;

constexpr double kRad = 0.017453292519943295;

using RobustFitTest = test::FitTest;

TEST_F(RobustFitTest, MisfitOfEachTargetByHand) {
  FieldSet& s = set();
  s.count = 2;
  const float re[2] = {10, 1}, im[2] = {10, 2}, err_re[2] = {0.09f, 0.01f},
              err_im[2] = {0.19f, 0.01f};
  const double log_rho[2] = {2, 1}, up[2] = {110, 12}, low[2] = {90, 8};
  const double phase[2] = {45, 30}, p_up[2] = {47, 33}, p_low[2] = {43, 27};
  for (int i = 0; i < 2; ++i) {
    s.re_z[i] = re[i];
    s.im_z[i] = im[i];
    s.err_re[i] = err_re[i];
    s.err_im[i] = err_im[i];
    s.log_rho[i] = static_cast<float>(log_rho[i]);
    s.log_rho_upper[i] = static_cast<float>(std::log10(up[i]));
    s.log_rho_lower[i] = static_cast<float>(std::log10(low[i]));
    s.phase[i] = static_cast<float>(phase[i]);
    s.log_phase_upper[i] = static_cast<float>(std::log10(p_up[i]));
    s.log_phase_lower[i] = static_cast<float>(std::log10(p_low[i]));
  }
  FitResponse fit;
  fit.count = 2;
  fit.re_z = {100, 1};
  fit.im_z = {1, 20};
  fit.rho_a = {1000, 10};
  fit.phase = {50, 30};
  // Weights: Re 10, 50; Im 5, 50; rho 20/1000, 4/10 -> 50, 2.5; phase 11.25, 5.
  const double sr = 100.0 * 100.0 + 2.5 * 2.5;
  const double sp = std::pow(11.25 * 45 * kRad, 2) + std::pow(5 * 30 * kRad, 2);
  const double expected[6] = {
      0,
      0.5 * 100 + 0.5 * 25 + 0.5 * 2500,  // RE+IM
      100,                                // RE
      25 + 2500,                          // IM
      2500,                               // Ro
      0.5 * 2500 + 0.5 * std::sqrt(sr / sp) * std::pow(11.25 * 5 * kRad, 2)};
  // Without error bars every weight is 1.
  const double phases = std::pow(45 * kRad, 2) + std::pow(30 * kRad, 2);
  const double phase_term = std::sqrt(5 / phases) * std::pow(5 * kRad, 2);
  const double ignored[6] = {0, 1.5, 1, 2, 1, 0.5 + 0.5 * phase_term};
  for (int target = 1; target <= 5; ++target) {
    ws().inversion_target = static_cast<std::int16_t>(target);
    ws().ignore_error_bars = 0;
    FitTerms terms;
    const double got = FitMisfit(ws(), s, 2, fit, &terms);
    // The set stores its values as floats: agreement to 1e-5.
    EXPECT_NEAR(got, expected[target], 1e-5 * expected[target]) << target;
    EXPECT_FLOAT_EQ(s.last_misfit, static_cast<float>(got));
    ws().ignore_error_bars = 1;
    EXPECT_NEAR(FitMisfit(ws(), s, 2, fit, nullptr),
                ignored[target],
                1e-5 * ignored[target])
        << target;
  }
  // The nrms: each residual over half its bar (phase: to its upper bound).
  ws().ignore_error_bars = 0;
  ws().inversion_target = 5;
  FitTerms t5;
  FitMisfit(ws(), s, 2, fit, &t5);
  const double r_rho = 1.0 / ((std::log10(110.0) - std::log10(90.0)) / 2.0);
  const NormalizedRms nrms = NormalizedMisfit(t5);
  EXPECT_EQ(nrms.terms, 4);
  EXPECT_NEAR(nrms.value, std::sqrt((r_rho * r_rho + 2.5 * 2.5) / 4.0), 1e-4);
  // Other shares of Re and Im, and of resistivity and phase.
  ws().re_weight = 0.8;
  ws().rho_weight = 0.8;
  ws().inversion_target = 1;
  const double re_im = 0.8 * 100 + 0.2 * (25 + 2500);
  EXPECT_NEAR(FitMisfit(ws(), s, 2, fit, nullptr), re_im, 1e-5 * re_im);
  ws().inversion_target = 5;
  const double res_phs =
      0.8 * 2500 + 0.2 * std::sqrt(sr / sp) * std::pow(11.25 * 5 * kRad, 2);
  EXPECT_NEAR(FitMisfit(ws(), s, 2, fit, nullptr), res_phs, 1e-5 * res_phs);
  ws().re_weight = ws().rho_weight = 0.5;
  // A removed point and a negative Re Z drop their terms.
  ws().inversion_target = 1;
  s.point_deleted[1] = 1;
  s.re_z[0] = -10;
  FitTerms terms;
  EXPECT_NEAR(FitMisfit(ws(), s, 2, fit, &terms), 12.5, 1e-5);
  EXPECT_EQ(terms.Weighted(), 1);
}

// The residuals' Jacobian is the exact derivative where weights are fixed.
TEST_F(RobustFitTest, GradientOfTheMisfitMatchesDifferences) {
  test::SyntheticSounding(
      set(), {100, 10, 1000, 30}, {1.0, 2.0, 5.0}, 30, 0.05, 0.05, 3);
  LayerModel& m = model();
  test::UniformLayers(m, 4, 50, 0.5, 3.0);
  m.resistivity[1] = 200;
  m.resistivity[3] = 5;
  m.fix_thickness[1] = 1;
  BuildParameters(m);
  const ParameterColumns columns = ColumnsOfParameters(m);
  ASSERT_EQ(columns.count, 6);
  auto misfit = [&](const std::vector<double>& p, FitResiduals* res) {
    LayerModel trial = m;
    for (int k = 0; k < trial.params.count; ++k) trial.params.p[k] = p[k];
    ApplyParameters(trial);
    std::vector<double> periods(30);
    for (int i = 0; i < 30; ++i) periods[i] = 1.0 / set().freq[i];
    std::vector<PeriodSensitivity> sens(30);
    NoDispersionSensitivity(
        trial.resistivity.data(), trial.thickness.data(), trial.layer_count)
        .Evaluate(periods.data(), 30, sens.data());
    FitResponse fit;
    fit.count = 30;
    for (int i = 0; i < 30; ++i) {
      fit.re_z[i] = sens[i].response.z.re;
      fit.im_z[i] = sens[i].response.z.im;
      fit.rho_a[i] = sens[i].response.rho_a;
      fit.phase[i] = sens[i].response.phase;
    }
    FitTerms terms;
    const double s = FitMisfit(ws(), set(), 30, fit, &terms);
    if (res != nullptr) ResidualsAndJacobian(terms, sens.data(), columns, *res);
    return s;
  };
  std::vector<double> p(m.params.p.begin(), m.params.p.begin() + 6);
  for (int target : {1, 2, 3, 4, 5}) {
    ws().inversion_target = static_cast<std::int16_t>(target);
    ws().ignore_error_bars = target >= 4 ? 1 : 0;
    FitResiduals res;
    const double s = misfit(p, &res);
    double sum = 0.0;
    for (int r = 0; r < res.rows; ++r) sum += res.e[r] * res.e[r];
    EXPECT_NEAR(sum, s, 1e-10 * s);
    EXPECT_GT(res.rows, 20);
    EXPECT_GT(s, 0.1);
    for (int k = 0; k < 6; ++k) {
      double grad = 0.0;
      for (int r = 0; r < res.rows; ++r)
        grad += 2.0 * res.e[r] * res.j[r * 6 + k];
      std::vector<double> q = p;
      q[k] += 1e-6;
      const double up = misfit(q, nullptr);
      q[k] -= 2e-6;
      const double down = misfit(q, nullptr);
      const double numeric = (up - down) / 2e-6;
      EXPECT_NEAR(grad, numeric, 1e-5 * std::fabs(numeric) + 1e-7 * s)
          << "target " << target << " parameter " << k;
    }
  }
}

TEST_F(RobustFitTest, BostickStartReadsTheDataAtTheLayers) {
  test::SyntheticSounding(set(), {100, 10, 1000}, {1.0, 4.0}, 40, 0.05, 0.0, 1);
  LayerModel& m = model();
  test::UniformLayers(m, 3, 1.0, 1.0, 3.0);
  m.thickness[1] = 4.0;
  m.fix_resistivity[1] = 1;
  BuildParameters(m);
  std::vector<double> p;
  ASSERT_TRUE(BostickStart(set(), 40, m, p));
  ASSERT_EQ(p.size(), 4u);  // rho 1, rho 3, h 1, h 2
  EXPECT_NEAR(std::exp(p[0]) / 100.0, 1.0, 0.3);
  EXPECT_GT(std::exp(p[1]), 150.0);       // the resistive basement
  EXPECT_DOUBLE_EQ(p[2], m.params.p[2]);  // thicknesses stay
  for (int i = 1; i < 40; ++i) set().point_deleted[i] = 1;
  EXPECT_FALSE(BostickStart(set(), 40, m, p));
}

TEST(IsotropicFitNote, NamesWhatTheFitLeavesOut) {
  LayerModel m;
  m.layer_count = 3;
  EXPECT_EQ(IsotropicFitNote(m), "");
  m.ip_on[1] = 1;
  m.ip_p1[1][0] = 0.3f;
  EXPECT_THAT(IsotropicFitNote(m), HasSubstr("IP (dispersive) layers"));
  m.aniso_on[2] = 1;
  EXPECT_THAT(IsotropicFitNote(m),
              HasSubstr("IP (dispersive) and anisotropic"));
  m.ip_on[1] = 0;
  EXPECT_THAT(IsotropicFitNote(m),
              StartsWith("The start model has anisotropic layers; t"));
  m.aniso_on[2] = 0;
  m.aniso_on[5] = 1;  // below the layer count: not part of the model
  EXPECT_EQ(IsotropicFitNote(m), "");
}

// The four quantities of a fit from the forward kernel itself.
std::array<double, kSensQuantities> Quantities(const std::vector<double>& rho,
                                               const std::vector<double>& h,
                                               int n,
                                               double period,
                                               Physics physics) {
  Response1D r = ResponseNoDispersion(rho.data(), h.data(), n, period, physics);
  return {std::log10(std::fabs(r.z.re) + 1e-14),
          std::log10(std::fabs(r.z.im) + 1e-14),
          std::log10(r.rho_a + 1e-14),
          r.phase * 0.017453292519943295};
}

// Every derivative against a central difference in the log parameter.
void ExpectCentralDifferences(std::vector<double> rho,
                              std::vector<double> h,
                              const std::vector<double>& periods,
                              Physics physics = Physics::kPublished) {
  const int n = static_cast<int>(rho.size());
  rho.resize(MaxLayers, rho.back());
  h.resize(MaxLayers, 1.0);
  NoDispersionSensitivity sens(rho.data(), h.data(), n, physics);
  std::vector<PeriodSensitivity> out(periods.size());
  sens.Evaluate(periods.data(), static_cast<int>(periods.size()), out.data());
  const double step = 1e-5;
  const int kernel_n = std::max(n, 2);
  for (std::size_t i = 0; i < periods.size(); ++i) {
    const Response1D plain =
        ResponseNoDispersion(rho.data(), h.data(), n, periods[i], physics);
    EXPECT_EQ(out[i].response.rho_a, plain.rho_a);
    EXPECT_EQ(out[i].response.z.im, plain.z.im);
    for (int col = 0; col < 2 * MaxLayers; ++col) {
      const bool thickness = col >= MaxLayers;
      const int j = thickness ? col - MaxLayers : col;
      if (j >= (thickness ? kernel_n - 1 : kernel_n)) continue;
      std::vector<double>& v = thickness ? h : rho;
      const double keep = v[j];
      v[j] = keep * std::exp(step);
      const auto up = Quantities(rho, h, n, periods[i], physics);
      v[j] = keep * std::exp(-step);
      const auto down = Quantities(rho, h, n, periods[i], physics);
      v[j] = keep;
      for (int q = 0; q < kSensQuantities; ++q) {
        const double numeric = (up[q] - down[q]) / (2.0 * step);
        const double exact = out[i].d[q][col];
        EXPECT_NEAR(exact, numeric, 1e-6 * std::fabs(exact) + 1e-9)
            << "period " << periods[i] << " column " << col << " quantity " << q
            << " layers " << n;
      }
    }
  }
}

TEST(NoDispersionSensitivity, MatchesCentralDifferencesHiddenLayersNone) {
  const std::vector<double> periods = {1e-4, 3e-3, 0.1, 2.0, 70.0, 3000.0};
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> log_rho(-1.0, 5.0);
  std::uniform_real_distribution<double> log_h(-2.0, 2.5);
  for (int trial = 0; trial < 24; ++trial) {
    const int n = 1 + trial % 16;
    std::vector<double> rho(n), h(n);
    for (int j = 0; j < n; ++j) {
      rho[j] = std::pow(10.0, log_rho(rng));
      h[j] = std::pow(10.0, log_h(rng));
    }
    ExpectCentralDifferences(rho, h, periods);
  }
  // Contrasts of six decades, alternating.
  ExpectCentralDifferences(
      {0.1, 1e5, 0.1, 1e5, 0.2}, {0.5, 3.0, 0.02, 40.0}, periods);
  // A 1 m layer and a 2000 km conductor that hides what lies below it.
  ExpectCentralDifferences(
      {100, 1, 1000, 0.5, 300}, {0.001, 2.0, 2000.0, 5.0}, periods);
  // A layer beyond the kernel's flat limit at short periods only.
  ExpectCentralDifferences({10, 1000, 10}, {200.0, 10.0}, periods);
  // Corrected physics: layers of zero thickness are no layers.
  ExpectCentralDifferences({10, 500, 100, 3, 30},
                           {0.5, 0.0, 2.0, 0.0, 1.0},
                           {1e-3, 0.05, 2.0, 300.0},
                           Physics::kCorrected);
  // Layers hidden below a thick conductor have no sensitivity.
  const std::vector<double> rho = {1.0, 50.0, 1000.0};
  const std::vector<double> h = {100.0, 5.0, 1.0};
  NoDispersionSensitivity sens(rho.data(), h.data(), 3);
  const double period = 1e-3;  // x = 2 pi 100 / sqrt(0.01) > 300
  PeriodSensitivity s;
  sens.Evaluate(&period, 1, &s);
  for (int q = 0; q < kSensQuantities; ++q) {
    EXPECT_EQ(s.d[q][SensRhoColumn(1)], 0.0);
    EXPECT_EQ(s.d[q][SensRhoColumn(2)], 0.0);
    EXPECT_EQ(s.d[q][SensThicknessColumn(0)], 0.0);
  }
  // The half-space term of rho_a = rho_0 |Y|^2 with Y = 1.
  EXPECT_NEAR(s.d[kSensRho][SensRhoColumn(0)], 1.0 / std::log(10.0), 1e-12);
}

}  // namespace
}  // namespace mtvuk
