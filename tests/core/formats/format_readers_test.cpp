// The readers of the exchange formats on the real files of the survey
// archive: counts, first and last periods, one element with its error,
// station and position, read off the files by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "core/fielddata/field_curve.h"
#include "core/formats/field_data_import.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

struct Read {
  std::unique_ptr<Stores> stores = test::NewStores();
  ScriptedUi ui;
  EdiImportReport report;
  FieldFormat format = FieldFormat::kUnknown;
  bool ok = false;
  const SoundingBuffer& sb() const { return stores->workspace.sounding; }
};

std::unique_ptr<Read> ReadReal(const std::string& name) {
  auto r = std::make_unique<Read>();
  r->ok = ImportFieldDataFile(test::RealDataPath(name),
                              r->stores->workspace,
                              r->ui,
                              kDefaultImportError,
                              &r->report,
                              &r->format);
  return r;
}

// Period of point k, s.
double Period(const SoundingBuffer& sb, int k) { return 1.0 / sb.freq[k]; }

TEST(FormatReaders, EmtfXmlFilesOfTheArchives) {
  auto r = ReadReal("tf_xml.xml");
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(r->format, FieldFormat::kEmtfXml);
  const SoundingBuffer& sb = r->sb();
  ASSERT_EQ(sb.nfreq, 33);
  EXPECT_NEAR(Period(sb, 0), 4.65455, 1e-5);
  EXPECT_NEAR(Period(sb, 32), 29127.11, 0.02);
  EXPECT_EQ(sb.station, "NMX20");
  EXPECT_EQ(sb.lat, "34.470528");
  EXPECT_EQ(sb.lon, "-108.712288");
  EXPECT_EQ(sb.elev, "1940.05");
  // Zxy at 4.65455 s: 3.143284 + 1.101737i, VAR 1.790224e-3.
  EXPECT_FLOAT_EQ(sb.zxyr[0], 3.143284f);
  EXPECT_FLOAT_EQ(sb.zxyi[0], 1.101737f);
  EXPECT_FLOAT_EQ(sb.zyxr[0], -2.470717f);
  EXPECT_NEAR(sb.rhoxy_err[0], 0.259133, 1e-5);
  EXPECT_NEAR(sb.phsxy_err[0], 0.727793, 1e-5);
  EXPECT_EQ(r->report.error_source, "Z .VAR");

  // Damaged comments ("&" unescaped) outside the data: read all the same.
  auto bad = ReadReal("tf_xml_bad_comments.xml");
  ASSERT_TRUE(bad->ok);
  // 40 periods; NaN values at 76800, 307200 and 614400 s leave those out.
  ASSERT_EQ(bad->sb().nfreq, 37);
  EXPECT_EQ(bad->sb().station, "KAK");
  EXPECT_NEAR(Period(bad->sb(), 36), 460800.0, 1.0);
  EXPECT_EQ(bad->report.missing_points, 3);
  EXPECT_FLOAT_EQ(bad->sb().zxyi[0], 4.745337f);

  // Sparse metadata and no errors at all: the default error, and the site
  // id from the <Site> at the end of the file.
  auto poor = ReadReal("tf_poor_xml.xml");
  ASSERT_TRUE(poor->ok);
  EXPECT_EQ(poor->sb().nfreq, 33);
  EXPECT_EQ(poor->sb().station, "CAS04");
  EXPECT_EQ(poor->report.error_source, "default");
  EXPECT_EQ(poor->sb().elev, "329.39");
  // 5 % of |Z| = atan(0.05) in phase.
  EXPECT_NEAR(poor->sb().phsxy_err[0], 2.8624, 1e-3);

  auto iris = ReadReal("tf_xml_emtf_xml_iris.xml");
  ASSERT_TRUE(iris->ok);
  EXPECT_EQ(iris->sb().nfreq, 30);
  EXPECT_EQ(iris->sb().station, "PAL53");
  EXPECT_FLOAT_EQ(iris->sb().zxyr[0], 10.07529f);
}

// Z.VAR of an archive file is N_ii S_jj of its own covariance blocks: the
// variance the Z-file reader computes.
TEST(FormatReaders, VarianceIsResidualTimesInverseSignalPower) {
  const std::string text =
      test::ReadWholeFile(test::RealDataPath("tf_xml.xml"));
  TransferFunction with_var, from_cov;
  std::string error;
  ASSERT_TRUE(
      ReadTransferFunction(FieldFormat::kEmtfXml, text, with_var, error));
  // The same file without its Z.VAR blocks.
  std::string stripped = text;
  for (std::size_t at; (at = stripped.find("<Z.VAR")) != std::string::npos;) {
    const std::size_t end = stripped.find("</Z.VAR>", at);
    stripped.erase(at, end + 8 - at);
  }
  ASSERT_TRUE(
      ReadTransferFunction(FieldFormat::kEmtfXml, stripped, from_cov, error));
  ASSERT_EQ(with_var.points.size(), from_cov.points.size());
  for (std::size_t k = 0; k < with_var.points.size(); ++k) {
    for (int e = 0; e < 4; ++e) {
      EXPECT_NEAR(
          from_cov.points[k].var[e] / with_var.points[k].var[e], 1.0, 2e-3)
          << k << " " << e;
    }
  }
}

TEST(FormatReaders, DerivedQuantitiesOfAnXmlFileMatchItsCurves) {
  auto r = ReadReal("tf_xml_with_derived_quantities.xml");
  ASSERT_TRUE(r->ok);
  ASSERT_EQ(r->sb().nfreq, 20);
  EXPECT_EQ(r->sb().station, "SMG1");
  EXPECT_EQ(r->sb().lat, "-38.410000");
  // The file's RHOXY 3.166342 and PHSXY 22.09127 at 16 s; RHOYX 1.839334,
  // PHSYX -145.0606 (the YX curve turns it by 180 degrees).
  for (CurveMode mode : {CurveMode::XY, CurveMode::YX}) {
    test::LoadSet(*r->stores, 0, mode);
    const FieldSet& s = r->stores->sets[0];
    const bool xy = mode == CurveMode::XY;
    EXPECT_NEAR(std::pow(10.0, s.log_rho[0]), xy ? 3.166342 : 1.839334, 2e-4);
    EXPECT_NEAR(s.phase[0], xy ? 22.09127 : -145.0606 + 180.0, 2e-3);
  }
}

TEST(FormatReaders, ZFileWithFullCovariance) {
  auto r = ReadReal("tf_zmm.zmm");
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(r->format, FieldFormat::kZFile);
  const SoundingBuffer& sb = r->sb();
  ASSERT_EQ(sb.nfreq, 38);
  EXPECT_NEAR(Period(sb, 0), 1.16364, 1e-5);
  EXPECT_NEAR(Period(sb, 37), 10922.667, 0.01);
  EXPECT_EQ(sb.station, "300");
  EXPECT_EQ(sb.lat, "34.727000");
  EXPECT_EQ(sb.lon, "-115.735000");
  // Ex row of the first period: Zxx -5.991 - 5.955i, Zxy 17.27 + 12.72i;
  // Ey row: Zyx -51.59 - 23.03i. Var Zxy = N(Ex,Ex) S(Hy,Hy) =
  // 1.604e-2 * 130.4.
  EXPECT_FLOAT_EQ(sb.zxxr[0], -5.991f);
  EXPECT_FLOAT_EQ(sb.zxyr[0], 17.27f);
  EXPECT_FLOAT_EQ(sb.zxyi[0], 12.72f);
  EXPECT_FLOAT_EQ(sb.zyxr[0], -51.59f);
  EXPECT_FLOAT_EQ(sb.zyyi[0], 7.663f);
  EXPECT_NEAR(sb.rhoxy_err[0], 13.58065, 1e-3);
  EXPECT_NEAR(sb.phsxy_err[0], 3.857479, 1e-4);

  // Magnetic channels only: a message names the format and what is missing.
  auto tipper = ReadReal("tf_zss_tipper.zss");
  EXPECT_FALSE(tipper->ok);
  ASSERT_FALSE(tipper->ui.prompts().empty());
  EXPECT_EQ(tipper->ui.prompts().back().caption, "EMTF Z-FILE IMPORT");
  EXPECT_NE(tipper->ui.prompts().back().text.find("no electric channels"),
            std::string::npos);
  EXPECT_NE(tipper->ui.prompts().back().text.find("EMTF Z-file"),
            std::string::npos);
}

TEST(FormatReaders, BirrpJFileInFieldUnitsDespiteItsTitles) {
  auto r = ReadReal("tf_jfile.j");
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(r->format, FieldFormat::kJFile);
  const SoundingBuffer& sb = r->sb();
  ASSERT_EQ(sb.nfreq, 12);  // 14 rows, two of them -999
  EXPECT_NEAR(Period(sb, 0), 1.333333, 1e-5);
  EXPECT_NEAR(Period(sb, 11), 64.55, 1e-3);
  EXPECT_EQ(sb.station, "BP05");
  // Empty coordinates stay unknown.
  EXPECT_EQ(sb.lat, "00:00:00");
  EXPECT_EQ(sb.lon, "000:00:00");
  // ZXY 24.26376 - 26.85942i in exp(-i omega t), error 2.303654.
  EXPECT_FLOAT_EQ(sb.zxyr[0], 24.26376f);
  EXPECT_FLOAT_EQ(sb.zxyi[0], 26.85942f);
  EXPECT_NEAR(sb.rhoxy_err[0], 41.96037, 1e-3);
  EXPECT_NEAR(sb.phsxy_err[0], 3.641603, 1e-4);
  // The curves equal the file's own RXY and RYX blocks (rho, phase) to
  // their printed precision: "S.I." in the titles, mV/km/nT in the values.
  const double rxy[3][3] = {{1.333333, 349.3755, -47.90656},
                            {8.050000, 79405.75 / 1.0, -74.49443},
                            {64.55, 0.1045799e8, -99.74355}};
  const int at[3] = {0, 5, 11};
  test::LoadSet(*r->stores, 0, CurveMode::XY);
  const FieldSet& s = r->stores->sets[0];
  for (int i = 0; i < 3; ++i) {
    const int k = at[i];
    EXPECT_NEAR(std::pow(10.0, s.log_rho[k]) / rxy[i][1], 1.0, 1e-5) << k;
    // exp(+i omega t): the phase of the file with its sign reversed.
    if (-rxy[i][2] < 90.0) {
      EXPECT_NEAR(s.phase[k], -rxy[i][2], 1e-3) << k;
    }
  }
  test::LoadSet(*r->stores, 1, CurveMode::YX);
  // RYX at 1.333333 s: 544.1006 Ohm-m, 122.4567 deg.
  EXPECT_NEAR(std::pow(10.0, r->stores->sets[1].log_rho[0]), 544.1006, 1e-2);
  EXPECT_NEAR(r->stores->sets[1].phase[0], 180.0 - 122.4567, 1e-3);
}

TEST(FormatReaders, ZongeAvgInBothLayouts) {
  auto r = ReadReal("tf_avg.avg");
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(r->format, FieldFormat::kZongeAvg);
  const SoundingBuffer& sb = r->sb();
  ASSERT_EQ(sb.nfreq, 28);
  EXPECT_NEAR(sb.freq[0], 2.3438e-2, 1e-7);
  EXPECT_NEAR(sb.freq[27], 1024.0, 1e-3);
  EXPECT_EQ(sb.station, "24");
  EXPECT_EQ(sb.lat, "32.833312");
  EXPECT_EQ(sb.lon, "-107.083057");
  // Zxy at 0.5 Hz (point 5): 16.252 at 482.1 mrad; ARes 105.65 +- 6.1 %,
  // phase error 30.3 mrad.
  EXPECT_NEAR(sb.freq[5], 0.5, 1e-7);
  EXPECT_NEAR(sb.zxyr[5], 14.39965, 1e-4);
  EXPECT_NEAR(sb.zxyi[5], 7.535091, 1e-4);
  EXPECT_NEAR(sb.rhoxy_err[5], 6.444711, 1e-4);
  EXPECT_NEAR(sb.phsxy_err[5], 1.736062, 1e-5);
  EXPECT_EQ(r->report.error_source, "RHO/PHS errors");
  test::LoadSet(*r->stores, 0, CurveMode::XY);
  EXPECT_NEAR(std::pow(10.0, r->stores->sets[0].log_rho[5]), 105.65, 0.01);

  // The newer layout: a header per block, XY phases in the third quadrant
  // (not flipped by MTEdit): the tensor is negated and the user told.
  auto n = ReadReal("tf_avg_newer.avg");
  ASSERT_TRUE(n->ok);
  const SoundingBuffer& nb = n->sb();
  ASSERT_EQ(nb.nfreq, 37);
  EXPECT_NEAR(nb.freq[0], 9.7656e-4, 1e-9);
  EXPECT_NEAR(nb.freq[36], 256.0, 1e-3);
  EXPECT_EQ(nb.station, "2813");
  EXPECT_EQ(nb.elev, "1954.24");
  EXPECT_EQ(nb.lat, "44.147916");
  // Zxy at 0.5 Hz (point 18): 7.53 at -2578.9 mrad, negated.
  EXPECT_NEAR(nb.freq[18], 0.5, 1e-7);
  EXPECT_NEAR(nb.zxyr[18], 6.369038, 1e-4);
  EXPECT_NEAR(nb.zxyi[18], 4.016996, 1e-4);
  EXPECT_NEAR(nb.rhoxy_err[18], 0.5443286, 1e-5);
  EXPECT_NEAR(nb.phsxy_err[18], 0.6818198, 1e-5);
  bool told = false;
  for (const auto& p : n->ui.prompts())
    told = told || p.text.find("negated") != std::string::npos;
  EXPECT_TRUE(told);
}

}  // namespace
}  // namespace mtvuk
