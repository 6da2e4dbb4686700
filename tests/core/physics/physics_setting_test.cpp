// Corrected physics against textbook values; published as it always was.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "core/depth/depth_transform.h"
#include "core/fielddata/field_curve.h"
#include "core/files/synthetic_export.h"
#include "core/inversion/inversion.h"
#include "core/inversion/synthetic_sounding.h"
#include "core/physics/anisotropic.h"
#include "core/physics/dispersion.h"
#include "core/physics/forward_1d.h"
#include "core/physics/model_curve.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

using cd = std::complex<double>;
constexpr Physics kPub = Physics::kPublished;
constexpr Physics kCor = Physics::kCorrected;
constexpr double kMu0Si = 4e-7 * 3.14159265358979323846;
constexpr double kDeg = 57.29577951308232;

// -arg Z of a half-space of complex rho, Z = sqrt(-i omega mu0 rho).
double TextbookHalfSpacePhase(cd rho, double omega) {
  return -std::arg(std::sqrt(cd(0.0, -omega * kMu0Si) * rho)) * kDeg;
}

// A model whose layer `ip` disperses by `law`.
LayerModel Chargeable(int ip, int law, float p1, float tau, float c) {
  LayerModel m;
  m.dispersion_on = 1;
  m.law = law;
  m.ip_on[ip] = 1;
  m.ip_p1[ip][0] = p1;
  m.ip_tau[ip][0] = tau;
  m.ip_c[ip][0] = c;
  return m;
}

LayerModel IpHalfSpace(int law, float p1, float tau, float c, double rho) {
  LayerModel m = Chargeable(0, law, p1, tau, c);
  m.layer_count = 1;
  m.resistivity.fill(rho);
  return m;
}

// The dispersive path's response of the top n layers of m.
Response1D Dispersive(int n,
                      const LayerModel& m,
                      double period,
                      Physics physics) {
  return ResponseDispersion(
      m, m.resistivity.data(), m.thickness.data(), n, period, physics);
}

cd Multiplier(double omega, const LayerModel& m, Physics physics) {
  const Complex z = DispersionMultiplier(omega, m, 0, physics);
  return {z.re, z.im};
}

TEST(PhysicsSetting, ChargeableAndDielectricHalfSpacesWhenCorrected) {
  // Cole-Cole, m = 0.5, c = 1, omega T = 1.
  const double omega = 1.0, period = kTwoPi / omega;
  const LayerModel m = IpHalfSpace(2, 0.5f, 1.0f, 1.0f, 100.0);
  const Response1D pub = Dispersive(1, m, period, kPub);
  const Response1D cor = Dispersive(1, m, period, kCor);
  EXPECT_NEAR(pub.phase, 54.2175, 1e-4);
  EXPECT_NEAR(cor.phase, 35.7825, 1e-4);
  // rho(omega) = rho0 [1 - m (1 - 1 / (1 + (-i omega T)^c))].
  const cd rho = 100.0 * (1.0 - 0.5 * (1.0 - 1.0 / (1.0 + cd(0.0, -1.0))));
  EXPECT_NEAR(cor.phase, TextbookHalfSpacePhase(rho, omega), 1e-9);
  EXPECT_NEAR(cor.rho_a, 100.0 * std::sqrt(0.625), 1e-9);
  EXPECT_NEAR(pub.rho_a, cor.rho_a, 1e-9);  // only the sign of time differs
  Response1D batch;
  DispersionKernel(m, m.resistivity.data(), m.thickness.data(), 1, kCor)
      .Evaluate(&period, 1, &batch);
  EXPECT_EQ(batch.phase, cor.phase);

  // The setting reaches the model curve and the synthetic export.
  for (Physics physics : {kPub, kCor}) {
    auto stores = test::NewStores();
    stores->workspace.physics = physics;
    stores->models[0] = m;
    stores->models[0].period_min = static_cast<float>(period);
    stores->models[0].period_max = 1000.0f;
    ScriptedUi ui;
    ModelCurveDriver(DriverMode::kPlain, stores->workspace, stores->models, ui);
    const double expected = physics == kCor ? 35.7825 : 54.2175;
    EXPECT_NEAR(stores->models[0].curve.phase[0], expected, 2e-3);
    SyntheticOptions options;
    options.period_min = kTwoPi / 1.0;
    options.physics = physics;
    SyntheticSounding s;
    ASSERT_TRUE(ComputeSynthetic(m, options, ui, s));
    EXPECT_NEAR(s.phs_xy[0], expected, 2e-3);
  }
  // Special DD with c = 0: M = 1 + i K exactly.
  const double w = 100.0, e = 1000.0, rho0 = 1e4, eps0 = 8.841941282883075e-12;
  const LayerModel special = IpHalfSpace(1, 1000.0f, 10.0f, 0.0f, rho0);
  const double k = w * e * eps0 * rho0;
  EXPECT_LT(std::abs(Multiplier(w, special, kPub) - cd(1, 10.0 * k)), 1e-12);
  // sigma(omega) / sigma0 = 1 - i omega e eps0 / sigma0 for exp(-i w t).
  EXPECT_LT(std::abs(Multiplier(w, special, kCor) - cd(1, -k)), 1e-12);
  // The half-space of a conductor with displacement currents.
  const cd sigma = 1.0 / rho0 - cd(0.0, w * e * eps0);
  EXPECT_NEAR(Dispersive(1, special, kTwoPi / w, kCor).phase,
              TextbookHalfSpacePhase(1.0 / sigma, w),
              1e-9);
  // Classical DD with c = 0: T no longer enters at all.
  const LayerModel a = IpHalfSpace(0, 1000.0f, 10.0f, 0.0f, rho0);
  const LayerModel b = IpHalfSpace(0, 1000.0f, 0.1f, 0.0f, rho0);
  EXPECT_EQ(Multiplier(w, a, kCor), Multiplier(w, b, kCor));
  EXPECT_LT(std::abs(Multiplier(w, a, kPub) - 1.0 -
                     100.0 * (Multiplier(w, b, kPub) - 1.0)),
            1e-9);
}

FieldSet OnePoint() {
  FieldSet s;
  ResetFieldSet(s);
  s.in_use = 1;
  s.count = 1;
  s.freq[0] = 1.0f;
  return s;
}

TEST(PhysicsSetting, StoredPointsErrorsAndPhasesBeyondNinetyWhenCorrected) {
  // Im Z -1.26 Ohm: every candidate is below the published search's -1.0.
  auto err_im = [](double im, Physics physics) {
    FieldSet s = OnePoint();
    StoreFieldPoint(s, 0, CurveMode::XY, 1000.0, im, 50.0, 3.0, physics);
    return s.err_im[0];
  };
  EXPECT_EQ(err_im(1000.0, kPub), err_im(1000.0, kCor));
  EXPECT_FLOAT_EQ(err_im(-1000.0, kCor), err_im(1000.0, kCor));
  EXPECT_GT(std::fabs(err_im(-1000.0, kPub) - err_im(1000.0, kCor)), 0.01);

  // An error larger than the value: the lower bound 1 % of it when corrected.
  for (Physics physics : {kPub, kCor}) {
    FieldSet s = OnePoint();
    StoreFieldPoint(s, 0, CurveMode::XY, 30.0, 20.0, 1e4, 40.0, physics);
    const double rho = std::pow(10.0, s.log_rho[0]);
    ASSERT_GT(1e4, 2.0 * rho);
    if (physics == kCor) {
      EXPECT_NEAR(s.log_rho_lower[0], std::log10(0.01 * rho), 1e-5);
      EXPECT_NEAR(s.log_phase_lower[0], std::log10(0.01 * s.phase[0]), 1e-5);
      EXPECT_TRUE(std::isfinite(s.err_re[0]) && s.err_re[0] >= 0.01f);
      EXPECT_TRUE(std::isfinite(s.err_im[0]) && s.err_im[0] >= 0.01f);
    } else {
      EXPECT_NEAR(s.log_rho_lower[0], std::log10(1e4 - rho), 1e-5);
      EXPECT_GT(s.log_rho_lower[0], s.log_rho[0]);
    }
  }
  // Second and third quadrants; a ZYXI of 0 negated for YX (sign -1: any).
  const struct {
    CurveMode mode;
    double re, im;
    Physics physics;
    float phase;
    int sign;
  } kCases[] = {{CurveMode::XY, -1000.0, 500.0, kPub, 89.0f, 0},
                {CurveMode::XY, -1000.0, -500.0, kPub, 153.43495f, 0},
                {CurveMode::XY, -1000.0, 500.0, kCor, 89.0f, 1},
                {CurveMode::XY, -1000.0, -500.0, kCor, 89.0f, 0},
                {CurveMode::YX, -1000.0, -0.0, kPub, 180.0f, 0},
                {CurveMode::YX, -1000.0, 0.0, kPub, 89.0f, -1},
                {CurveMode::YX, -1000.0, -0.0, kCor, 89.0f, 1},
                {CurveMode::YX, -1000.0, 0.0, kCor, 89.0f, 1}};
  for (const auto& c : kCases) {
    FieldSet s = OnePoint();
    StoreFieldPoint(s, 0, c.mode, c.re, c.im, 1.0, 1.0, c.physics);
    EXPECT_NEAR(s.phase[0], c.phase, 1e-3) << c.re << " " << c.im;
    if (c.sign >= 0) {
      EXPECT_EQ(s.phase_sign[0], c.sign) << c.re << " " << c.im;
    }
  }
  // The derivation of a loaded set follows the workspace's physics.
  for (Physics physics : {kPub, kCor}) {
    auto stores = test::NewStores();
    stores->workspace.physics = physics;
    FieldSet s = OnePoint();
    s.zyxr[0] = 1000.0f;
    s.zyxi[0] = 0.0f;
    DeriveFieldCurve(s, stores->workspace, CurveMode::YX);
    EXPECT_EQ(s.phase[0], physics == kCor ? 89.0f : 180.0f);
    EXPECT_EQ(s.phase_sign[0], physics == kCor ? 1 : 0);
  }
  // Inside the quadrant nothing changes.
  FieldSet pub = OnePoint(), cor = OnePoint();
  StoreFieldPoint(pub, 0, CurveMode::XY, 700.0, 300.0, 1.0, 1.0, kPub);
  StoreFieldPoint(cor, 0, CurveMode::XY, 700.0, 300.0, 1.0, 1.0, kCor);
  EXPECT_EQ(pub.phase[0], cor.phase[0]);
}

TEST(PhysicsSetting, BostickDepthIsTheTextbookOneWhenCorrected) {
  const double textbook = std::sqrt(100.0 * 1.0 / (kTwoPi * kMu0Si));
  EXPECT_NEAR(textbook, 3558.8127, 1e-4);
  EXPECT_NEAR(Bostick(2.0, 0.0, 1.0, kCor).depth, -textbook, 1e-6);
  EXPECT_EQ(Bostick(2.0, 0.3, 1.0, kPub).res, Bostick(2.0, 0.3, 1.0, kCor).res);

  // Field sets and model curves alike, through TransformAll.
  auto stores = test::NewStores();
  FieldSet& set = stores->sets[0];
  set.in_use = 1;
  set.count = 2;
  set.depth_switch = 1;
  for (int i = 0; i < 2; ++i) {
    set.freq[i] = i == 0 ? 1.0f : 0.25f;
    set.smoothed_log_rho[i] = 2.0f;
    set.smoothed_slope[i] = 0.0f;
  }
  ScriptedUi ui;
  stores->models[0].shown = 1;
  ModelCurveDriver(DriverMode::kPlain, stores->workspace, stores->models, ui);
  for (Physics physics : {kPub, kCor}) {
    TransformAll(stores->sets, stores->models, physics);
    const double scale =
        physics == kCor ? 1.0 / (kTwoPi * kMu0Si) : 1e6 / (2.0 * kTwoPi);
    EXPECT_NEAR(set.depth[0], -std::sqrt(100.0 * scale), 0.01);
    EXPECT_NEAR(set.depth[1], -std::sqrt(400.0 * scale), 0.01);
    const ModelCurve& c = stores->models[0].curve;
    const double t = std::pow(10.0, c.log_period[10]);
    EXPECT_NEAR(stores->models[0].depth_profile.depth[10],
                -std::sqrt(std::pow(10.0, c.log_rho[10]) * t * scale),
                1e-3 * std::fabs(stores->models[0].depth_profile.depth[10]));
  }
}

TEST(PhysicsSetting, ZeroThicknessLayerIsNoLayerWhenCorrected) {
  const double rho[4] = {10.0, 500.0, 100.0, 30.0};
  const double h[4] = {0.5, 0.0, 2.0, 1.0};
  const double kept_rho[3] = {10.0, 100.0, 30.0};
  const double kept_h[3] = {0.5, 2.0, 1.0};
  const double top_rho[3] = {500.0, 100.0, 30.0};
  const double top_h[3] = {0.0, 2.0, 1.0};
  const double none_h[3] = {0.0, 0.0, 1.0};
  for (double period : {1e-3, 0.2, 30.0, 5000.0}) {
    EXPECT_TRUE(std::isnan(ResponseNoDispersion(rho, h, 4, period).rho_a));
    const Response1D with = ResponseNoDispersion(rho, h, 4, period, kCor);
    const Response1D without =
        ResponseNoDispersion(kept_rho, kept_h, 3, period, kCor);
    EXPECT_NEAR(with.rho_a, without.rho_a, 1e-12 * without.rho_a);
    EXPECT_NEAR(with.phase, without.phase, 1e-10);
    // A zero layer on top; only the half-space left.
    const Response1D top =
        ResponseNoDispersion(top_rho, top_h, 3, period, kCor);
    const Response1D below =
        ResponseNoDispersion(kept_rho + 1, kept_h + 1, 2, period, kCor);
    EXPECT_NEAR(top.rho_a, below.rho_a, 1e-12 * below.rho_a);
    const Response1D none = ResponseNoDispersion(rho, none_h, 3, period, kCor);
    EXPECT_NEAR(none.rho_a, 100.0, 1e-9);  // the half-space rho[2]
    EXPECT_NEAR(none.phase, 45.0, 1e-9);
  }
  // The dispersive and anisotropic paths take it so under both settings.
  LayerModel m = Chargeable(2, 2, 0.4f, 0.3f, 0.5f);
  LayerModel k = Chargeable(1, 2, 0.4f, 0.3f, 0.5f);
  test::SetLayers(m, {rho, rho + 4}, {h, h + 4});
  test::SetLayers(k, {kept_rho, kept_rho + 3}, {kept_h, kept_h + 3});
  ScriptedUi ui;
  for (Physics physics : {kPub, kCor}) {
    const Response1D a = Dispersive(4, m, 0.5, physics);
    const Response1D b = Dispersive(3, k, 0.5, physics);
    EXPECT_NEAR(a.rho_a, b.rho_a, 1e-10 * b.rho_a);
    EXPECT_NEAR(a.phase, b.phase, 1e-9);
  }
  AnisotropicResponse a, b;
  ASSERT_TRUE(ResponseAnisotropic(
      m, m.resistivity.data(), m.thickness.data(), 4, 0.5, ui, a));
  ASSERT_TRUE(ResponseAnisotropic(
      k, k.resistivity.data(), k.thickness.data(), 3, 0.5, ui, b));
  EXPECT_NEAR(a.table[kRhoXy], b.table[kRhoXy], 1e-10 * b.table[kRhoXy]);
}

TEST(PhysicsSetting, FitsWithAZeroThicknessLayerRunWhenCorrected) {
  for (FitMethod method : {FitMethod::kRobust, FitMethod::kClassic}) {
    for (Physics physics : {kPub, kCor}) {
      auto stores = test::NewStores();
      Workspace& ws = stores->workspace;
      ws.physics = physics;
      ws.fit_method = method;
      ws.iteration_amount = 5;
      test::SyntheticSounding(
          stores->sets[0], {30.0, 3.0, 100.0}, {1.0, 2.0}, 30, 0.05, 0.0, 3);
      LayerModel& m = stores->models[0];
      test::SetLayers(m, {20.0, 50.0, 5.0, 50.0}, {0.0, 0.5, 3.0, 1.0});
      m.fix_thickness[0] = 1;
      m.attached_set = 0;
      ws.current_model = 0;
      ScriptedUi ui;
      ui.Allow("INVALID AUTO INVERSION");
      const InversionResult r =
          RunInversion(ws, stores->sets, stores->models, ui);
      if (physics == kCor) {
        ASSERT_TRUE(r.ran) << static_cast<int>(method);
        // The fit moves: its Jacobian is that of the corrected forward.
        EXPECT_LT(r.misfit, 0.1 * r.history.front().misfit)
            << static_cast<int>(method);
        EXPECT_EQ(m.thickness[0], 0.0);
      } else {
        EXPECT_FALSE(r.ran && std::isfinite(r.misfit));
      }
    }
  }
}

}  // namespace
}  // namespace mtvuk
