#include "core/dimensionality/tensor_invariants.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "core/platform/scripted_ui.h"
#include "synthetic_tensor.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// R Z R^T for a rotation of the axes by `deg`.
ImpedanceTensor Rotate(const ImpedanceTensor& z, double deg) {
  const double c = std::cos(deg * 0.017453292519943295);
  const double s = std::sin(deg * 0.017453292519943295);
  const Complex m[2][2] = {{z.xx, z.xy}, {z.yx, z.yy}};
  const double r[2][2] = {{c, s}, {-s, c}};
  Complex out[2][2] = {};
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j)
      for (int k = 0; k < 2; ++k)
        for (int l = 0; l < 2; ++l)
          out[i][j] = Add(out[i][j], Scale(m[k][l], r[i][k] * r[j][l]));
  return {out[0][0], out[0][1], out[1][0], out[1][1]};
}

// C Z with a real distortion matrix C.
ImpedanceTensor Distort(const ImpedanceTensor& z, const double c[2][2]) {
  return {Add(Scale(z.xx, c[0][0]), Scale(z.yx, c[0][1])),
          Add(Scale(z.xy, c[0][0]), Scale(z.yy, c[0][1])),
          Add(Scale(z.xx, c[1][0]), Scale(z.yx, c[1][1])),
          Add(Scale(z.xy, c[1][0]), Scale(z.yy, c[1][1]))};
}

TEST(TensorInvariants, OneDTwoDAndDistortedTensors) {
  // 1-D, phase 60 degrees: Phi = tan(60) I.
  const Complex z1{1.0, std::sqrt(3.0)};
  const TensorInvariants one =
      InvariantsOf({{0, 0}, z1, Scale(z1, -1.0), {0, 0}}, 2.0);
  EXPECT_NEAR(one.phi_max_deg, 60.0, 1e-9);
  EXPECT_NEAR(one.phi_min_deg, 60.0, 1e-9);
  EXPECT_EQ(one.swift_skew, 0.0);
  EXPECT_TRUE(one.one_d);
  // 2-D regional tensor (TE 60 deg, TM 35 deg, different sizes) at strike
  // 25 deg, galvanically distorted.
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
}

TEST(TensorInvariants, RotationInvariantsOfAThreeDTensor) {
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
  // An anisotropic layer at a strike of 30 degrees between 0.5 and 3.5 km:
  // short periods see only the isotropic top (1-D), long ones the
  // anisotropy (a symmetric phase tensor, beta = 0, ellipticity > 0.1).
  auto stores = test::NewStores();
  SoundingBuffer& sb = stores->workspace.sounding;
  test::FillSounding(sb,
                     {{50, 0, 0, 0.5}, {10, 300, 30, 3.0}, {100, 0, 0, 0}},
                     30,
                     1e-4,
                     1e3,
                     0.02,
                     0.02,
                     false);
  const std::vector<TensorInvariants> d = DimensionalityOf(sb);
  ASSERT_EQ(d.size(), 30u);
  EXPECT_TRUE(d[0].one_d);
  EXPECT_NEAR(d[0].ellipticity, 0.0, 1e-3);
  EXPECT_FALSE(d[20].one_d);
  EXPECT_GT(d[20].ellipticity, 0.1);
  EXPECT_NEAR(d[20].beta_deg, 0.0, 0.05);  // float storage of the tensor
  // A YX set keeps ZYX negated; its dimensionality is the sounding's.
  LoadFieldSet(
      1, CurveMode::YX, stores->workspace, stores->sets, stores->models);
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

TEST(TensorInvariants, RealSoundingHasFiniteInvariantsAtEveryPeriod) {
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
  // An audio-magnetotelluric station: some periods 1-D, not all.
  EXPECT_GT(one_d, 0);
  EXPECT_LT(one_d, 60);
}

}  // namespace
}  // namespace mtvuk
