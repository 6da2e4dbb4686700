#include <gtest/gtest.h>

#include <cmath>

#include "core/dimensionality/dplus.h"
#include "core/dimensionality/nnls.h"
#include "core/dimensionality/tensor_invariants.h"
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

// The XY data of a layered earth, errors growing from 2 % to 9 % with period.
std::vector<ImpedanceDatum> LayeredData(bool noisy, unsigned seed) {
  const auto stores = test::TwoCurves(
      {{100, 0, 0, 0.4}, {8, 0, 0, 1.5}, {400, 0, 0, 12.0}, {20, 0, 0, 0}},
      {.err_lo = 0.02, .err_hi = 0.09, .noisy = noisy, .seed = seed});
  return ImpedanceDataOf(stores->sets[0]);
}

TEST(Nnls, KeepsTheSolutionNonNegativeAndOptimal) {
  // Columns (1,0,1), (0,1,1), b = (2,-1,1): x2 would be < 0, so x = (1.5, 0).
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

TEST(DPlus, LayeredEarthsFitHalfSpaceAndNoLayeredEarth) {
  // Noise-free: the D+ response reproduces the data.
  const std::vector<ImpedanceDatum> exact = LayeredData(false, 1);
  const DPlusResult e = FitDPlus(exact);
  ASSERT_TRUE(e.ok);
  EXPECT_EQ(e.data, 80);
  EXPECT_LT(e.chi2, 0.05);
  EXPECT_TRUE(e.one_d);
  const std::vector<double> rho = {100.0, 8.0, 400.0, 20.0}, h = {0.4, 1.5, 12};
  EXPECT_LT(ImpedanceChi2(exact, LayeredResponse(exact, rho, h)), 0.01);
  // Noisy, with non-uniform errors, several noise draws.
  for (unsigned seed : {3u, 11u, 29u}) {
    const std::vector<ImpedanceDatum> data = LayeredData(true, seed);
    const DPlusResult r = FitDPlus(data);
    const double truth = ImpedanceChi2(data, LayeredResponse(data, rho, h));
    EXPECT_LE(r.chi2, truth * (1.0 + 1e-9)) << seed;
    EXPECT_TRUE(r.one_d) << r.message;
    EXPECT_NEAR(r.limit, 101.9, 0.5);  // 95 % point of chi^2 for 80 values
    EXPECT_NEAR(r.nrms, std::sqrt(r.chi2 / 80.0), 1e-12);
    // The D+ response at the data is what the chi^2 measures.
    EXPECT_NEAR(ImpedanceChi2(data, r.fitted), r.chi2, 1e-9 * r.chi2);
  }
  // A half-space is 1-D; phases above 90 degrees are no layered earth.
  auto curve = [](double middle_phase) {
    std::vector<ImpedanceDatum> data;
    for (int i = 0; i < 30; ++i) {
      const double t = 1e-2 * std::pow(10.0, 4.0 * i / 29.0);
      const double phase = i >= 12 && i < 18 ? middle_phase : 45.0;
      data.push_back(DatumFromRhoPhase(t, 30.0, phase, 0.02 + 0.001 * i));
    }
    return data;
  };
  std::vector<ImpedanceDatum> data = curve(45.0);
  // The datum follows the workstation's sign of time.
  EXPECT_GT(data[0].z.im, 0.0);
  EXPECT_NEAR(data[0].z.re, data[0].z.im, 1e-12 * data[0].z.re);
  DPlusResult r = FitDPlus(data);
  ASSERT_TRUE(r.one_d);
  for (double t : {0.05, 1.0, 30.0}) {
    const Complex z = r.model.Impedance(t);
    EXPECT_NEAR(Abs2(z) / (kTwoPi / t * kMu0), 30.0, 0.3) << t;
    EXPECT_NEAR(std::atan2(z.im, z.re) * kDegPerRad, 45.0, 0.3) << t;
  }
  r = FitDPlus(curve(100.0));
  EXPECT_FALSE(r.one_d);
  EXPECT_GT(r.chi2, r.limit);
  EXPECT_NE(r.message.find("No 1-D model fits"), std::string::npos);
  // rho_a rising as T^0.5 (1-D: phases near 22 degrees) with phases of 70.
  data.clear();
  for (int i = 0; i < 30; ++i) {
    const double t = 1e-2 * std::pow(10.0, 4.0 * i / 29.0);
    data.push_back(DatumFromRhoPhase(t, 10.0 * std::sqrt(t), 70.0, 0.03));
  }
  r = FitDPlus(data);
  EXPECT_FALSE(r.one_d);
  EXPECT_GT(r.nrms, 3.0);
  EXPECT_FALSE(FitDPlus({data[0]}).ok);
}

TEST(DPlus, BothPolarisationsOfAnAnisotropicEarthAreOneD) {
  // Strike along x: XY and YX are the 1-D responses of rho1 and rho2.
  auto stores =
      test::TwoCurves({{50, 0, 0, 0.5}, {10, 300, 0, 3.0}, {100, 0, 0, 0}},
                      {.n = 36, .err_lo = 0.015, .err_hi = 0.06});
  for (int s = 0; s < 2; ++s) {
    const std::vector<ImpedanceDatum> data = ImpedanceDataOf(stores->sets[s]);
    ASSERT_EQ(data.size(), 36u);
    EXPECT_NEAR(data[0].sigma / Abs(data[0].z), 0.015, 0.002);
    EXPECT_NEAR(data[35].sigma / Abs(data[35].z), 0.06, 0.01);
    const DPlusResult r = FitDPlus(data);
    EXPECT_TRUE(r.one_d) << s << " " << r.message;
  }
  stores->sets[0].point_deleted[4] = 1;
  EXPECT_EQ(ImpedanceDataOf(stores->sets[0]).size(), 35u);
}

// A real AMT station: no layered model beats the D+ bound; some periods 1-D.
TEST(DPlus, RealSoundingBoundAndInvariants) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  ASSERT_TRUE(ReadFieldFile(
      test::RealDataPath("15125A_imp.edi"), stores->workspace, ui));
  const std::vector<TensorInvariants> d =
      DimensionalityOf(stores->workspace.sounding);
  ASSERT_EQ(d.size(), 60u);
  int one_d = 0;
  for (const TensorInvariants& t : d) {
    EXPECT_TRUE(t.valid);
    EXPECT_GE(t.ellipticity, 0.0);
    EXPECT_LE(std::fabs(t.beta_deg), 90.0);
    one_d += t.one_d ? 1 : 0;
  }
  EXPECT_GT(one_d, 0);
  EXPECT_LT(one_d, 60);
  test::LoadSet(*stores, 0, CurveMode::XY);
  test::LoadSet(*stores, 1, CurveMode::YX);
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

// C Z with a real distortion matrix C.
ImpedanceTensor Distort(const ImpedanceTensor& z, const double c[2][2]) {
  return {Add(Scale(z.xx, c[0][0]), Scale(z.yx, c[0][1])),
          Add(Scale(z.xy, c[0][0]), Scale(z.yy, c[0][1])),
          Add(Scale(z.xx, c[1][0]), Scale(z.yx, c[1][1])),
          Add(Scale(z.xy, c[1][0]), Scale(z.yy, c[1][1]))};
}

ImpedanceTensor Transposed(const ImpedanceTensor& z) {
  return {z.xx, z.yx, z.xy, z.yy};
}

// R Z R^T for a rotation of the axes by `deg`.
ImpedanceTensor Rotate(const ImpedanceTensor& z, double deg) {
  const double c = std::cos(deg * 0.017453292519943295);
  const double s = std::sin(deg * 0.017453292519943295);
  const double r[2][2] = {{c, s}, {-s, c}};
  return Transposed(Distort(Transposed(Distort(z, r)), r));
}

TEST(TensorInvariants, OneDTwoDDistortedAndRotatedTensors) {
  // 1-D, phase 60 degrees: Phi = tan(60) I.
  const Complex z1{1.0, std::sqrt(3.0)};
  const TensorInvariants one =
      InvariantsOf({{0, 0}, z1, Scale(z1, -1.0), {0, 0}}, 2.0);
  EXPECT_NEAR(one.phi_max_deg, 60.0, 1e-9);
  EXPECT_NEAR(one.phi_min_deg, 60.0, 1e-9);
  EXPECT_EQ(one.swift_skew, 0.0);
  EXPECT_TRUE(one.one_d);
  // 2-D regional tensor (TE 60, TM 35 deg) at strike 25 deg, distorted.
  const Complex te{1.0, std::tan(60.0 * 0.017453292519943295)};
  const Complex tm = Scale({1.0, std::tan(35.0 * 0.017453292519943295)}, -2.5);
  const ImpedanceTensor regional = Rotate({{0, 0}, te, tm, {0, 0}}, 25.0);
  const double c[2][2] = {{1.3, 0.4}, {-0.2, 0.7}};
  const ImpedanceTensor distorted = Distort(regional, c);
  const TensorInvariants a = InvariantsOf(regional, 1.0);
  const TensorInvariants b = InvariantsOf(distorted, 1.0);
  // Caldwell et al.: distortion leaves the phase tensor alone.
  EXPECT_NEAR(b.phi_max_deg, 60.0, 1e-9);
  EXPECT_NEAR(b.phi_min_deg, 35.0, 1e-9);
  EXPECT_NEAR(b.beta_deg, 0.0, 1e-9);
  EXPECT_NEAR(b.ellipticity,
              (std::tan(1.0471975511965976) - std::tan(0.6108652381980153)) /
                  (std::tan(1.0471975511965976) + std::tan(0.6108652381980153)),
              1e-12);
  EXPECT_FALSE(b.one_d);  // 2-D: ellipticity 0.42
  // Bahr's skew stays near zero for distorted 2-D data; Swift's does not.
  EXPECT_NEAR(a.swift_skew, 0.0, 1e-12);
  EXPECT_GT(b.swift_skew, 0.1);
  EXPECT_NEAR(b.bahr_skew, 0.0, 1e-6);
  // A 3-D tensor: rotation invariants.
  const ImpedanceTensor z{{0.5, 0.4}, {1.0, 0.2}, {-0.3, -1.5}, {0.2, -0.6}};
  const TensorInvariants t = InvariantsOf(z, 1.0);
  EXPECT_GT(std::fabs(t.beta_deg), 3.0);
  EXPECT_GT(t.bahr_skew, 0.3);
  EXPECT_FALSE(t.one_d);
  for (double deg : {17.0, 63.0, -40.0}) {
    const TensorInvariants r = InvariantsOf(Rotate(z, deg), 1.0);
    EXPECT_NEAR(r.beta_deg, t.beta_deg, 1e-9) << deg;
    EXPECT_NEAR(r.ellipticity, t.ellipticity, 1e-9) << deg;
    EXPECT_NEAR(r.bahr_skew, t.bahr_skew, 1e-9) << deg;
    // alpha turns with the axes (modulo 90 degrees).
    EXPECT_NEAR(
        std::remainder(r.alpha_deg - (t.alpha_deg - deg), 90.0), 0.0, 1e-9)
        << deg;
  }
  // The user's thresholds decide.
  DimensionalityThresholds wide;
  wide.beta_deg = 90.0;
  wide.ellipticity = 10.0;
  EXPECT_TRUE(InvariantsOf(z, 1.0, wide).one_d);
  // A singular real part is no result.
  EXPECT_FALSE(InvariantsOf({{0, 1}, {0, 1}, {0, 1}, {0, 1}}, 1.0).valid);
}

TEST(TensorInvariants, AnisotropicEarthIsMarkedWhereItsAnisotropyIsSeen) {
  // Anisotropy (strike 30) from 0.5 to 3.5 km: 1-D at short periods only.
  auto stores =
      test::TwoCurves({{50, 0, 0, 0.5}, {10, 300, 30, 3.0}, {100, 0, 0, 0}},
                      {.n = 30, .tmin = 1e-4, .noisy = false});
  const std::vector<TensorInvariants> d =
      DimensionalityOf(stores->workspace.sounding);
  ASSERT_EQ(d.size(), 30u);
  EXPECT_TRUE(d[0].one_d);
  EXPECT_NEAR(d[0].ellipticity, 0.0, 1e-3);
  EXPECT_FALSE(d[20].one_d);
  EXPECT_GT(d[20].ellipticity, 0.1);
  EXPECT_NEAR(d[20].beta_deg, 0.0, 0.05);  // float storage of the tensor
  // A YX set keeps ZYX negated; its dimensionality is the sounding's.
  const std::vector<TensorInvariants> y = DimensionalityOf(stores->sets[1]);
  for (int k : {0, 20, 29}) {
    EXPECT_NEAR(y[k].beta_deg, d[k].beta_deg, 1e-12);
    EXPECT_NEAR(y[k].ellipticity, d[k].ellipticity, 1e-12);
  }
  // One click leaves the non-1-D periods out of the fit, once.
  FieldSet& set = stores->sets[1];
  int non_1d = 0;
  for (const TensorInvariants& t : y) non_1d += t.one_d ? 0 : 1;
  EXPECT_GT(non_1d, 5);
  EXPECT_EQ(LeaveOutNon1D(set, y), non_1d);
  EXPECT_EQ(set.point_deleted[20], 1);
  EXPECT_EQ(set.point_deleted[0], 0);
  EXPECT_EQ(LeaveOutNon1D(set, y), 0);
}

}  // namespace
}  // namespace mtvuk
