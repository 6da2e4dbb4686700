#include "core/fielddata/field_curve.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/station_position.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// One point at 2 Hz, ZXY = 10 + 10i: 20 Ohm-m, 45 degrees, errors 4 and 2.
void OnePointSounding(Workspace& ws) {
  SoundingBuffer& sb = ws.sounding;
  sb.nfreq = 1;
  sb.station = "TEST";
  sb.freq[0] = 2.0f;
  sb.zxyr[0] = 10.0f;
  sb.zxyi[0] = 10.0f;
  sb.zyxr[0] = -10.0f;
  sb.zyxi[0] = -10.0f;
  sb.rhoxy_err[0] = 4.0f;
  sb.phsxy_err[0] = 2.0f;
  sb.rhoyx_err[0] = 4.0f;
  sb.phsyx_err[0] = 2.0f;
  sb.elev = "312";
}

TEST(FieldCurve, XyPointYxNegatedMeanAndEffAgreeForA1dEarth) {
  auto stores = test::NewStores();
  OnePointSounding(stores->workspace);
  Workspace& ws = stores->workspace;
  // YX errors differ from the XY ones: each mode must take its own.
  ws.sounding.rhoyx_err[0] = 8.0f;
  ws.sounding.phsyx_err[0] = 5.0f;
  for (int slot = 0; slot < 4; ++slot)
    test::LoadSet(*stores, slot, static_cast<CurveMode>(slot));
  const FieldSets& s = stores->sets;
  // XY: rho 20 Ohm-m, 45 degrees, the file's errors.
  EXPECT_EQ(s[0].count, 1);
  EXPECT_EQ(s[0].in_use, 1);
  EXPECT_FLOAT_EQ(s[0].log_rho[0], 1.30103f);
  EXPECT_FLOAT_EQ(s[0].phase[0], 45.0f);
  EXPECT_FLOAT_EQ(s[0].log_phase[0],
                  static_cast<float>(std::log10(45.00000076761725)));
  EXPECT_EQ(s[0].phase_sign[0], 1);
  EXPECT_FLOAT_EQ(s[0].re_z[0], 10.0f);
  EXPECT_FLOAT_EQ(ws.period_axis[0], 0.5f);
  EXPECT_FLOAT_EQ(s[0].log_phase_upper[0], 1.6720978650f);
  EXPECT_FLOAT_EQ(s[0].log_phase_lower[0], 1.6334684633f);
  EXPECT_FLOAT_EQ(s[0].log_rho_upper[0], 1.3802112417f);
  EXPECT_FLOAT_EQ(s[0].log_rho_lower[0], 1.2041199827f);
  EXPECT_NEAR(s[0].err_re[0], 0.2703410101, 1e-6);
  EXPECT_NEAR(s[0].err_im[0], 0.2703410101, 1e-6);
  EXPECT_FLOAT_EQ(s[0].coordinates[2], 312.0f);
  EXPECT_FLOAT_EQ(s[1].zyxr[0], 10.0f);  // stored negated
  EXPECT_FLOAT_EQ(s[1].re_z[0], 10.0f);
  // The sign flags follow the negated ZYX (the file's is -10 - 10i).
  EXPECT_EQ(s[1].re_z_sign[0], 1);
  EXPECT_EQ(s[1].im_z_sign[0], 1);
  EXPECT_FLOAT_EQ(s[1].phase_error[0], 5.0f);
  EXPECT_NEAR(s[1].log_rho_upper[0], std::log10(28.0), 1e-6);
  EXPECT_NEAR(s[1].log_rho_lower[0], std::log10(12.0), 1e-6);
  EXPECT_NEAR(s[1].log_phase_upper[0], std::log10(50.0), 1e-6);
  EXPECT_FLOAT_EQ(s[0].phase_error[0], 2.0f);
  EXPECT_FLOAT_EQ(s[2].zyxr[0], -10.0f);  // MEAN keeps the file's sign
  for (int slot = 1; slot < 4; ++slot) {
    EXPECT_FLOAT_EQ(s[slot].log_rho[0], s[0].log_rho[0]) << slot;
    EXPECT_FLOAT_EQ(s[slot].phase[0], s[0].phase[0]) << slot;
  }
  // EFF: sqrt(-ZXY ZYX) = sqrt((10+10i)^2) = 10 + 10i.
  EXPECT_NEAR(s[3].re_z[0], 10.0f, 1e-5);
  EXPECT_NEAR(s[3].im_z[0], 10.0f, 1e-5);
  // MEAN and EFF: the relative XY and YX errors add in squares and halve.
  auto relative = [](double rho_err, double phs_err_deg) {
    const double s_rho = rho_err / 20.0;
    const double k = s_rho + std::sqrt(s_rho * s_rho + 1.0);
    return std::max(std::tan(phs_err_deg * M_PI / 180.0), (k - 1.0) / 2.0);
  };
  const double rel = 0.5 * std::hypot(relative(4.0, 2.0), relative(8.0, 5.0));
  for (int slot : {2, 3}) {
    EXPECT_NEAR(s[slot].phase_error[0], std::atan(rel) * 180.0 / M_PI, 1e-4)
        << slot;
    double kf = 1.0 + 2.0 * rel;
    double rho_err = 0.5 * (kf * 20.0 - 20.0 / kf);
    EXPECT_NEAR(s[slot].log_rho_upper[0], std::log10(20.0 + rho_err), 1e-5)
        << slot;
    EXPECT_NEAR(s[slot].log_rho_lower[0], std::log10(20.0 - rho_err), 1e-5)
        << slot;
    EXPECT_GT(s[slot].err_re[0], 0.01f);
  }
  // However different the two factors: ZYX of 320 Ohm-m, error 32.
  ws.sounding.zyxr[0] = ws.sounding.zyxi[0] = -40.0f;
  ws.sounding.rhoyx_err[0] = 32.0f;
  ws.sounding.phsxy_err[0] = ws.sounding.phsyx_err[0] = 0.01f;
  test::LoadSet(*stores, 0, CurveMode::EFF);
  const double mixed =
      0.5 * std::hypot(relative(4.0, 0.01), relative(2.0, 0.01));
  EXPECT_NEAR(s[0].phase_error[0], std::atan(mixed) * 180 / M_PI, 1e-4);
  EXPECT_NEAR(s[0].log_rho[0], std::log10(80.0), 1e-5);
  // The impedance errors span the corners of the error box.
  // Without a phase error only the modulus varies.
  ImpedanceError e = ImpedanceErrors(1.0, 0.0, 0.0, 4.0, 1.0);
  double c = 7.895683251499808e-6;
  EXPECT_NEAR(e.re, std::sqrt(c * 4.0) - std::sqrt(c * 1.0), 1e-15);
  EXPECT_NEAR(e.im, 0.0, 1e-18);
  // A negative lower bound gives NaN corners, which the search passes over.
  e = ImpedanceErrors(1.0, 0.1, -0.1, 4.0, -1.0);
  EXPECT_NEAR(e.re, 0.0, 1e-18);
  EXPECT_NEAR(e.im, 2.0 * std::sin(0.1) * std::sqrt(c * 4.0), 1e-15);
  // The searches start at -1 and 1e12; at 180 degrees all corners are < -1.
  const double pi = 3.141592653589793;
  e = ImpedanceErrors(1e6, pi, pi, 4.0, 1.0);
  EXPECT_NEAR(e.re, std::fabs(-1.0 + std::sqrt(c * 1e6 * 4.0)), 1e-12);
  // 1e24 and 4e24 Ohm-m: corners of 2.8e12 and 5.6e12.
  e = ImpedanceErrors(1e6, 0.0, 0.0, 4e24, 1e24);
  EXPECT_NEAR(e.re, std::sqrt(c * 1e6 * 4e24) - 1e12, 1e-3);
}

// A real sounding turned by 90 degrees: XY becomes YX; MEAN, EFF stay.
TEST(FieldCurve, SwappingThePolarisationsSwapsTheCurves) {
  for (Physics physics : {Physics::kPublished, Physics::kCorrected}) {
    auto a = test::NewStores();
    auto b = test::NewStores();
    ScriptedUi ui;
    ASSERT_TRUE(
        ReadFieldFile(test::RealDataPath("15125A_spe.edi"), a->workspace, ui));
    b->workspace.sounding = a->workspace.sounding;
    SoundingBuffer& t = b->workspace.sounding;
    const SoundingBuffer& o = a->workspace.sounding;
    // In keyword order; ZXY and ZYX change sign.
    const int from[kSoundingArrays] = {
        0, 7, 8, 5, 6, 3, 4, 1, 2, 10, 9, 12, 11};
    for (int i = 0; i < kSoundingArrays; ++i) {
      for (int k = 0; k < o.nfreq; ++k)
        t.Array(i)[k] = (i >= 3 && i <= 6 ? -1 : 1) * o.Array(from[i])[k];
    }
    a->workspace.physics = b->workspace.physics = physics;
    const CurveMode modes[3][2] = {{CurveMode::YX, CurveMode::XY},
                                   {CurveMode::MEAN, CurveMode::MEAN},
                                   {CurveMode::EFF, CurveMode::EFF}};
    for (const auto& m : modes) {
      LoadFieldSet(0, m[0], a->workspace, a->sets, a->models);
      LoadFieldSet(0, m[1], b->workspace, b->sets, b->models);
      for (int k = 0; k < o.nfreq; ++k) {
        SCOPED_TRACE(testing::Message() << ModePrefix(m[0]) << k);
        const FieldPoint p = PointOf(a->sets[0], k), q = PointOf(b->sets[0], k);
        EXPECT_NEAR(p.log_rho, q.log_rho, 1e-5);
        EXPECT_NEAR(p.log_rho_upper, q.log_rho_upper, 1e-5);
        EXPECT_NEAR(p.log_rho_lower, q.log_rho_lower, 1e-5);
        EXPECT_NEAR(p.phase, q.phase, 1e-4);
        EXPECT_NEAR(p.phase_error, q.phase_error, 1e-4);
        EXPECT_NEAR(p.err_re, q.err_re, 1e-4);
        EXPECT_NEAR(p.err_im, q.err_im, 1e-4);
        EXPECT_EQ(p.phase_sign, q.phase_sign);
      }
    }
  }
}

TEST(FieldCurve, LoadingResetsTheSlotNamesItAndTurnsPhasesOfNinety) {
  auto stores = test::NewStores();
  Workspace& ws = stores->workspace;
  OnePointSounding(ws);
  ws.sounding.nfreq = 5;
  for (int k = 0; k < 5; ++k) {
    ws.sounding.freq[k] = 2.0f + k;
    ws.sounding.zxyr[k] = ws.sounding.zxyi[k] = 10.0f;
    ws.sounding.zyxr[k] = ws.sounding.zyxi[k] = -10.0f;
  }
  ws.sounding.missing[3] = 1;
  test::LoadSet(*stores, 4, CurveMode::YX);
  ASSERT_EQ(stores->sets[4].point_deleted[3], 1);
  // A shorter sounding in the same slot: nothing of the first one stays.
  OnePointSounding(ws);
  ws.sounding.missing.fill(0);
  ws.sounding.header = ">HEAD\nX=1\n";
  test::LoadSet(*stores, 4, CurveMode::MEAN);
  const FieldSet& s = stores->sets[4];
  EXPECT_EQ(s.count, 1);
  EXPECT_EQ(s.in_use, 5);
  // The slot and the model attached to it take the station's name.
  EXPECT_EQ(s.label, "MN TEST");
  EXPECT_EQ(s.header, ">HEAD\nX=1\n");
  EXPECT_EQ(stores->models[4].name, "MN TEST");
  EXPECT_EQ(stores->models[4].attached_set, 4);
  EXPECT_EQ(stores->models[3].name, "MODEL 4");
  EXPECT_EQ(s.smoothed_log_rho[50], -10.0f);
  for (int k = 1; k < 5; ++k) {
    EXPECT_FLOAT_EQ(s.freq[k], 1.0f) << k;
    EXPECT_FLOAT_EQ(s.log_rho[k], -20.0f) << k;
    EXPECT_FLOAT_EQ(s.phase[k], -100.0f) << k;
    EXPECT_EQ(s.point_deleted[k], 0) << k;
  }
  // A phase of 90 degrees or more becomes 89.
  OnePointSounding(ws);
  ws.sounding.nfreq = 3;
  const float zr[3] = {0.0f, -5.0f, 3.0f};
  const float zi[3] = {10.0f, 10.0f, -4.0f};
  for (int k = 0; k < 3; ++k) {
    ws.sounding.freq[k] = 1.0f;
    ws.sounding.zxyr[k] = zr[k];
    ws.sounding.zxyi[k] = zi[k];
  }
  ws.sounding.rhoxy_err[2] = ws.sounding.phsxy_err[2] = 0.0f;
  test::LoadSet(*stores, 0, CurveMode::XY);
  const FieldSet& p = stores->sets[0];
  EXPECT_FLOAT_EQ(p.phase[0], 89.0f);  // exactly 90: replaced by -89
  EXPECT_EQ(p.phase_sign[0], 0);
  EXPECT_FLOAT_EQ(p.phase[1], 89.0f);  // 116.6: replaced as well
  EXPECT_EQ(p.phase_sign[1], 0);
  EXPECT_NEAR(p.phase[2], 53.1301f, 1e-3);  // -53.13 keeps its size
  EXPECT_EQ(p.re_z_sign[1], 0);
  EXPECT_EQ(p.im_z_sign[2], 0);
  EXPECT_EQ(p.phase_sign[2], 0);
  // Errors never fall below 1 % (the file gives none at point 2).
  EXPECT_FLOAT_EQ(p.err_re[2], 0.01f);
  EXPECT_FLOAT_EQ(p.err_im[2], 0.01f);
}

TEST(StationPosition, DegreesInEitherNotationBecomeUtmMetresOfTheSet) {
  const std::pair<const char*, double> read[] = {
      {"-22:22:14.9", -(22.0 + 22.0 / 60.0 + 14.9 / 3600.0)},
      {" 139:11:19 ", 139.0 + 11.0 / 60.0 + 19.0 / 3600.0},
      {"-0:30", -0.5},  // the sign of a zero degree
      {"22:30:00 S", -22.5},
      {"1:15 W", -1.25},
      {"-33.5", -33.5}};
  double d = 0.0;
  for (const auto& [text, degrees] : read) {
    ASSERT_TRUE(ParseDegrees(text, d)) << text;
    EXPECT_NEAR(d, degrees, 1e-12) << text;
  }
  for (const char* bad : {"", "abc", "12:75:00", "1:2:3:4", "12::", "nan"})
    EXPECT_FALSE(ParseDegrees(bad, d)) << bad;
  EXPECT_EQ(UtmZone(139.19), 54);
  EXPECT_EQ(UtmZone(-180.0), 1);
  EXPECT_EQ(UtmZone(12.0), 33);  // a zone's western edge belongs to it

  // From an independent Krueger-series TM on WGS84 (PROJ's example to 1 cm).
  StationPosition p = PositionFromTexts("-22:22:14", "139:11:19", "200");
  EXPECT_EQ(p.kind, PositionKind::kUtm);
  EXPECT_EQ(p.zone, 54);
  EXPECT_TRUE(p.south);
  EXPECT_NEAR(p.northing, 7525034.495, 0.01);
  EXPECT_NEAR(p.easting, 313494.332, 0.01);
  EXPECT_EQ(p.elevation, 200.0);
  p = PositionFromTexts("55.0", "9.0", "12 M");
  EXPECT_EQ(p.zone, 32);
  EXPECT_FALSE(p.south);
  EXPECT_NEAR(p.northing, 6094791.421, 0.01);
  EXPECT_NEAR(p.easting, 500000.0, 0.01);  // the central meridian
  EXPECT_EQ(p.elevation, 12.0);
  // Metres stay as they are; no coordinates give none.
  p = PositionFromTexts("7525000.5", "313000", "0");
  EXPECT_EQ(p.kind, PositionKind::kMetres);
  EXPECT_EQ(p.northing, 7525000.5);
  EXPECT_EQ(p.easting, 313000.0);
  for (const auto& texts : {std::pair{"00:00:00", "000:00:00"},
                            std::pair{"N/A", "139:11:19"},
                            std::pair{"95:00:00", "139:11:19"}}) {
    p = PositionFromTexts(texts.first, texts.second, "0000");
    EXPECT_EQ(p.kind, PositionKind::kNone) << texts.first;
    EXPECT_EQ(p.northing, 0.0);
    EXPECT_EQ(p.easting, 0.0);
  }
  // A loaded set carries its station's place.
  auto stores = test::NewStores();
  ScriptedUi ui;
  ASSERT_TRUE(ReadFieldFile(
      test::RealDataPath("IEB0537A_Phoenix.edi"), stores->workspace, ui));
  test::LoadSet(*stores, 1, CurveMode::XY);  // f32 holds the metre
  const auto& b = stores->sets[1].coordinates;
  EXPECT_NEAR(b[0], 7474995.491, 1.0);
  EXPECT_NEAR(b[1], 324967.581, 0.1);
  EXPECT_EQ(b[2], 158.0f);
}

}  // namespace
}  // namespace mtvuk
