#include "core/dimensionality/dplus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/dimensionality/nnls.h"
#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "core/physics/forward_1d.h"
#include "core/platform/scripted_ui.h"
#include "synthetic_tensor.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

std::vector<Complex> LayeredResponse(const std::vector<ImpedanceDatum>& data,
                                     std::vector<double> rho,
                                     std::vector<double> h) {
  const int n = static_cast<int>(rho.size());
  rho.resize(MaxLayers, rho.back());
  h.resize(MaxLayers, 1.0);
  std::vector<Complex> z;
  for (const ImpedanceDatum& d : data) {
    const Complex f = ResponseNoDispersion(rho.data(), h.data(), n, d.period).z;
    z.push_back(Scale(f, 1.0 / kSiToField));
  }
  return z;
}

// Data of a layered earth with errors growing from 2 % to 9 % with period,
// noise of that size when `noisy`.
std::vector<ImpedanceDatum> LayeredData(bool noisy, unsigned seed) {
  std::vector<double> rho = {100.0, 8.0, 400.0, 20.0};
  std::vector<double> h = {0.4, 1.5, 12.0};
  std::vector<ImpedanceDatum> data;
  for (int i = 0; i < 40; ++i) {
    ImpedanceDatum d;
    d.period = 1e-3 * std::pow(10.0, 6.0 * i / 39.0);
    data.push_back(d);
  }
  const std::vector<Complex> z = LayeredResponse(data, rho, h);
  std::mt19937 rng(seed);
  std::normal_distribution<double> gauss(0.0, 1.0);
  for (size_t i = 0; i < data.size(); ++i) {
    data[i].sigma = (0.02 + 0.07 * i / 39.0) * Abs(z[i]);
    const double nr = noisy ? gauss(rng) : 0.0;
    const double ni = noisy ? gauss(rng) : 0.0;
    data[i].z = {z[i].re + nr * data[i].sigma, z[i].im + ni * data[i].sigma};
  }
  return data;
}

TEST(Nnls, KeepsTheSolutionNonNegativeAndOptimal) {
  // Columns (1,0,1) and (0,1,1); b = (2,-1,1). Unconstrained x2 < 0, so the
  // answer is x2 = 0 and x1 = 1.5 with residual 1.5.
  const NnlsResult r = SolveNnls({1, 0, 1, 0, 1, 1}, 3, 2, {2, -1, 1});
  ASSERT_TRUE(r.converged);
  EXPECT_NEAR(r.x[0], 1.5, 1e-12);
  EXPECT_EQ(r.x[1], 0.0);
  EXPECT_NEAR(r.residual_norm2, 1.5, 1e-12);
  // Columns of very different size: scale must not matter.
  const NnlsResult s = SolveNnls({1e6, 0, 1e6, 0, 1e-6, 1e-6}, 3, 2, {2, 1, 3});
  EXPECT_NEAR(s.x[0], 2e-6, 1e-15);
  EXPECT_NEAR(s.x[1], 1e6, 1e-3);
  EXPECT_NEAR(s.residual_norm2, 0.0, 1e-18);
}

TEST(DPlus, FitsLayeredDataAtLeastAsWellAsTheTrueModel) {
  // Noise-free: the D+ response reproduces the data.
  const std::vector<ImpedanceDatum> exact = LayeredData(false, 1);
  const DPlusResult e = FitDPlus(exact);
  ASSERT_TRUE(e.ok);
  EXPECT_EQ(e.data, 80);
  EXPECT_LT(e.chi2, 0.05);
  EXPECT_TRUE(e.one_d);
  // Noisy, with non-uniform errors, several noise draws.
  for (unsigned seed : {3u, 11u, 29u}) {
    const std::vector<ImpedanceDatum> data = LayeredData(true, seed);
    const DPlusResult r = FitDPlus(data);
    const double truth = ImpedanceChi2(
        data, LayeredResponse(data, {100.0, 8.0, 400.0, 20.0}, {0.4, 1.5, 12}));
    EXPECT_LE(r.chi2, truth * (1.0 + 1e-9)) << seed;
    EXPECT_TRUE(r.one_d) << r.message;
    EXPECT_NEAR(r.limit, 101.9, 0.5);  // 95 % point of chi^2 for 80 values
    EXPECT_NEAR(r.nrms, std::sqrt(r.chi2 / 80.0), 1e-12);
    // The D+ response at the data is what the chi^2 measures.
    EXPECT_NEAR(ImpedanceChi2(data, r.fitted), r.chi2, 1e-9 * r.chi2);
  }
}

TEST(DPlus, HalfSpaceBoundCurveFollowsTheHalfSpace) {
  std::vector<ImpedanceDatum> data;
  for (int i = 0; i < 25; ++i) {
    const double t = 1e-2 * std::pow(10.0, 4.0 * i / 24.0);
    data.push_back(DatumFromRhoPhase(t, 30.0, 45.0, 0.03));
  }
  // The datum follows the workstation's sign of time.
  EXPECT_GT(data[0].z.im, 0.0);
  EXPECT_NEAR(data[0].z.re, data[0].z.im, 1e-12 * data[0].z.re);
  const DPlusResult r = FitDPlus(data);
  ASSERT_TRUE(r.one_d);
  for (double t : {0.05, 1.0, 30.0}) {
    const Complex z = r.model.Impedance(t);
    const double rho = Abs2(z) / (kTwoPi / t * kMu0);
    EXPECT_NEAR(rho, 30.0, 0.3) << t;
    EXPECT_NEAR(std::atan2(z.im, z.re) * kDegPerRad, 45.0, 0.3) << t;
  }
}

TEST(DPlus, RefusesDataNoLayeredEarthGives) {
  // Phases above 90 degrees in the middle of a half-space curve.
  std::vector<ImpedanceDatum> data;
  for (int i = 0; i < 30; ++i) {
    const double t = 1e-2 * std::pow(10.0, 4.0 * i / 29.0);
    const double phase = i >= 12 && i < 18 ? 100.0 : 45.0;
    data.push_back(DatumFromRhoPhase(t, 30.0, phase, 0.02 + 0.001 * i));
  }
  DPlusResult r = FitDPlus(data);
  EXPECT_FALSE(r.one_d);
  EXPECT_GT(r.chi2, r.limit);
  EXPECT_NE(r.message.find("No 1-D model fits"), std::string::npos);
  // rho_a rising as T^0.5 (1-D wants phases near 22 degrees) with a phase
  // of 70 degrees.
  data.clear();
  for (int i = 0; i < 30; ++i) {
    const double t = 1e-2 * std::pow(10.0, 4.0 * i / 29.0);
    data.push_back(DatumFromRhoPhase(t, 10.0 * std::sqrt(t), 70.0, 0.03));
  }
  r = FitDPlus(data);
  EXPECT_FALSE(r.one_d);
  EXPECT_GT(r.nrms, 3.0);
  // Too few data.
  EXPECT_FALSE(FitDPlus({data[0]}).ok);
}

TEST(DPlus, BothPolarisationsOfAnAnisotropicEarthAreOneD) {
  // With the strike along x, XY and YX are the 1-D responses of the two
  // principal resistivities: both must pass; the derived curve and its
  // error bars give the data.
  auto stores = test::NewStores();
  test::FillSounding(stores->workspace.sounding,
                     {{50, 0, 0, 0.5}, {10, 300, 0, 3.0}, {100, 0, 0, 0}},
                     36,
                     1e-3,
                     1e3,
                     0.015,
                     0.06,
                     true);
  LoadFieldSet(
      0, CurveMode::XY, stores->workspace, stores->sets, stores->models);
  LoadFieldSet(
      1, CurveMode::YX, stores->workspace, stores->sets, stores->models);
  for (int s = 0; s < 2; ++s) {
    const std::vector<ImpedanceDatum> data = ImpedanceDataOf(stores->sets[s]);
    ASSERT_EQ(data.size(), 36u);
    // The standard errors come back from the curve's error bars.
    EXPECT_NEAR(data[0].sigma / Abs(data[0].z), 0.015, 0.002);
    EXPECT_NEAR(data[35].sigma / Abs(data[35].z), 0.06, 0.01);
    const DPlusResult r = FitDPlus(data);
    EXPECT_TRUE(r.one_d) << s << " " << r.message;
  }
  // A deleted point is no datum.
  stores->sets[0].point_deleted[4] = 1;
  EXPECT_EQ(ImpedanceDataOf(stores->sets[0]).size(), 35u);
}

TEST(DPlus, RealSoundingNoLayeredModelBeatsTheBound) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  ASSERT_TRUE(ReadFieldFile(
      test::RealDataPath("15125A_imp.edi"), stores->workspace, ui));
  LoadFieldSet(
      0, CurveMode::XY, stores->workspace, stores->sets, stores->models);
  LoadFieldSet(
      1, CurveMode::YX, stores->workspace, stores->sets, stores->models);
  for (int s = 0; s < 2; ++s) {
    const std::vector<ImpedanceDatum> data = ImpedanceDataOf(stores->sets[s]);
    ASSERT_GE(data.size(), 50u);
    const DPlusResult r = FitDPlus(data);
    ASSERT_TRUE(r.ok);
    for (const auto& [rho, h] :
         std::vector<std::pair<std::vector<double>, std::vector<double>>>{
             {{100.0, 100.0}, {1.0}},
             {{300.0, 30.0, 1000.0}, {0.3, 2.0}},
             {{20.0, 200.0, 5.0, 50.0}, {0.05, 0.8, 6.0}}}) {
      EXPECT_LE(r.chi2, ImpedanceChi2(data, LayeredResponse(data, rho, h)));
    }
  }
}

}  // namespace
}  // namespace mtvuk
