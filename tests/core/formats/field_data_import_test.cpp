// The exchange-format readers: choice by content, refusals, units, rotation.
#include "core/formats/field_data_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/field_curve.h"
#include "core/formats/emtf_xml_writer.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

using testing::AllOf;
using testing::Contains;
using testing::Field;
using testing::HasSubstr;
using testing::StartsWith;

std::string Place(const SoundingBuffer& sb) {
  return sb.station + "|" + sb.lat + "|" + sb.lon + "|" + sb.elev;
}

auto MessageWith(const std::string& part) {
  return Contains(Field(&Prompt::text, HasSubstr(part)));
}

struct Read {
  std::unique_ptr<Stores> stores = test::NewStores();
  ScriptedUi ui;
  EdiImportReport report;
  FieldFormat format = FieldFormat::kUnknown;
  bool ok = false;
  const SoundingBuffer& sb() const { return stores->workspace.sounding; }
};

std::unique_ptr<Read> ReadPath(const std::string& path) {
  auto r = std::make_unique<Read>();
  r->ok = ImportFieldDataFile(path,
                              r->stores->workspace,
                              r->ui,
                              kDefaultImportError,
                              &r->report,
                              &r->format);
  return r;
}

std::unique_ptr<Read> ReadReal(const std::string& name) {
  return ReadPath(test::RealDataPath(name));
}

TEST(FieldDataImport, ContentDecidesTheReaderAndARefusalNamesTheFormat) {
  const std::pair<const char*, FieldFormat> cases[] = {
      {"tf_xml.xml", FieldFormat::kEmtfXml},
      {"tf_zmm.zmm", FieldFormat::kZFile},
      {"tf_zss_tipper.zss", FieldFormat::kZFile},
      {"tf_jfile.j", FieldFormat::kJFile},
      {"tf_avg.avg", FieldFormat::kZongeAvg},
      {"IEB0858A_metronix.edi", FieldFormat::kSegEdi},
      {"tf_edi_empower.edi", FieldFormat::kSegEdi},
      {"aushield.dat", FieldFormat::kUnknown}};
  for (const auto& [file, format] : cases) {
    EXPECT_EQ(SniffFieldFormat(test::ReadWholeFile(test::RealDataPath(file))),
              format)
        << file;
  }
  // A Z-file saved as ".txt" is read as a Z-file.
  test::TempFile renamed(test::ReadWholeFile(test::RealDataPath("tf_zmm.zmm")),
                         ".txt");
  auto r = ReadPath(renamed.path());
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(r->format, FieldFormat::kZFile);
  EXPECT_EQ(r->sb().nfreq, 38);
  Stores* stores = r->stores.get();

  // Refused files name the format and change no set.
  struct Case {
    const char *text, *suffix, *caption, *says;
  } refusals[] = {
      {"<?xml version=\"1.0\"?>\n<EM_TF><Site><Id>A</Id></Site></EM_TF>\n",
       ".xml",
       "EMTF XML IMPORT",
       "no <Data>"},
      {"<?xml version=\"1.0\"?>\n<EM_TF><Data><Period value=\"1\"><Z "
       "units=\"furlongs\"><value output=\"Ex\" input=\"Hy\">1 1</value></Z>"
       "</Period></Data></EM_TF>\n",
       ".xml",
       "EMTF XML IMPORT",
       "'furlongs'"},
      {"<?xml version=\"1.0\"?>\n<EM_TF><Data><Period value=\"1\"><Z><value "
       "output=\"Ex\" input=\"Hy\">1 1</value></Z>\n",
       ".xml",
       "EMTF XML IMPORT",
       "within the data"},
      {"#BIRRP\n>LATITUDE =\nS1\nZXX S.I.\n1\n 1.0 1.0 1.0 0.1\n",
       ".j",
       "BIRRP J-FILE IMPORT",
       "no ZXY block"},
      {"$Rx.Cmp = Zxx\nSkp,Freq,Z.mag,Z.phz\n2, 1, 1, 100\n",
       ".avg",
       "ZONGE AVG IMPORT",
       "no Zxy and Zyx"},
      {"just some numbers\n1 2 3\n",
       ".txt",
       "UNKNOWN FILE FORMAT",
       "none of the formats"},
  };
  stores->sets[0].in_use = 1;
  stores->sets[0].label = "XY kept";
  for (const Case& c : refusals) {
    SCOPED_TRACE(c.text);
    test::TempFile file(c.text, c.suffix);
    ScriptedUi said;
    EXPECT_FALSE(ImportFieldDataFile(file.path(), stores->workspace, said));
    ASSERT_EQ(said.prompts().size(), 1u);
    EXPECT_EQ(said.prompts()[0].caption, c.caption);
    EXPECT_THAT(said.prompts()[0].text, HasSubstr(c.says));
    EXPECT_EQ(stores->sets[0].label, "XY kept");
  }
}

// IEB0858A_metronix.edi has VAR 0 at 436.7 s: the default error, with a word.
TEST(FieldDataImport, VarianceOfZeroIsAMissingErrorNotAnErrorOfZero) {
  auto r = ReadReal("IEB0858A_metronix.edi");
  ASSERT_TRUE(r->ok);
  const SoundingBuffer& sb = r->sb();
  int k436 = -1;
  for (int k = 0; k < sb.nfreq; ++k) {
    if (std::fabs(1.0 / sb.freq[k] - 436.7) < 0.5) k436 = k;
  }
  ASSERT_GE(k436, 0);
  // 5 % of |Z|: atan(0.05) in phase.
  EXPECT_NEAR(sb.phsxy_err[k436], 2.862405, 1e-4);
  EXPECT_NEAR(sb.phsyx_err[k436], 2.862405, 1e-4);
  EXPECT_GT(sb.rhoxy_err[k436], 0.0f);
  // Its neighbours keep the file's variances (1.462769e-3 at the next one).
  const int next = k436 + 1;
  const double abs_z = std::hypot(sb.zxyr[next], sb.zxyi[next]);
  EXPECT_NEAR(
      sb.phsxy_err[next],
      std::atan2(std::sqrt(1.462769047808e-03), abs_z) * 57.29577951308232,
      1e-4);
  EXPECT_THAT(r->ui.prompts(), MessageWith("0 or below"));
}

// Z-file channels at 30/120 degrees turned to N/E; EMTF XML units and sign.
TEST(FieldDataImport, ZFileChannelsTurnedAndXmlUnitsAndSignApplied) {
  auto zfile = [](double a) {
    char head[512];
    std::snprintf(head,
                  sizeof head,
                  " TRANSFER FUNCTIONS IN MEASUREMENT COORDINATES\n"
                  "station    :ROT\n"
                  "coordinate    -20.5   130.25 declination     4.00\n"
                  "number of channels   4   number of frequencies   1\n"
                  " orientations and tilts of each channel\n"
                  "    1 %8.2f     0.00 ROT  Hx\n"
                  "    2 %8.2f     0.00 ROT  Hy\n"
                  "    3 %8.2f     0.00 ROT  Ex\n"
                  "    4 %8.2f     0.00 ROT  Ey\n\n",
                  a,
                  a + 90.0,
                  a,
                  a + 90.0);
    return std::string(head);
  };
  // A 2-D tensor measured in axes turned by 30 degrees: Zm = R Z R^T.
  const std::complex<double> zxy(10.0, 6.0), zyx(-4.0, -3.0);
  const double a = 30.0 * 0.017453292519943295;
  const double c = std::cos(a), s = std::sin(a);
  const double r[2][2] = {{c, s}, {-s, c}};
  const std::complex<double> z[2][2] = {{0.0, zxy}, {zyx, 0.0}};
  std::string body =
      "period :      2.00000    decimation level   1\n"
      "number of data point 100 sampling freq. 8 Hz\n Transfer Functions\n";
  char value[64];
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 2; ++j) {
      const std::complex<double> zm =
          r[i][0] * zxy * r[j][1] + r[i][1] * zyx * r[j][0];
      std::snprintf(value, sizeof value, " %.9e %.9e", zm.real(), zm.imag());
      body += value;
    }
    body += "\n";
  }
  body +=
      " Inverse Coherent Signal Power Matrix\n"
      "  2.0000E-02  0.0000E+00\n  0.0000E+00  0.0000E+00  2.0000E-02  "
      "0.0000E+00\n Residual Covariance\n"
      "  1.0000E+00  0.0000E+00\n  0.0000E+00  0.0000E+00  1.0000E+00  "
      "0.0000E+00\n";
  TransferFunction tf;
  std::string error;
  ASSERT_TRUE(
      ReadTransferFunction(FieldFormat::kZFile, zfile(30.0) + body, tf, error))
      << error;
  ASSERT_EQ(tf.points.size(), 1u);
  const TfPoint& p = tf.points[0];
  for (int e : {kXx, kXy, kYx, kYy})
    EXPECT_NEAR(std::abs(p.z[e] - z[e / 2][e % 2]), 0.0, 1e-6) << e;
  // Equal noise on both channels and both inputs: variances unchanged.
  EXPECT_NEAR(p.var[kXy], 0.02, 1e-9);
  EXPECT_EQ(tf.station, "ROT");
  EXPECT_NEAR(*tf.declination, 4.0, 1e-12);
  // Read as if the channels were north and east, the tensor is not 2-D.
  ASSERT_TRUE(
      ReadTransferFunction(FieldFormat::kZFile, zfile(0.0) + body, tf, error));
  EXPECT_GT(std::abs(tf.points[0].z[kXx]), 1.0);
  // A channel count no integer holds is no channel list.
  std::string huge = zfile(0.0) + body;
  huge.replace(huge.find("channels   4"), 12, "channels   8E+113");
  EXPECT_FALSE(ReadTransferFunction(FieldFormat::kZFile, huge, tf, error));
  EXPECT_THAT(error, HasSubstr("no channel list"));

  // Ohm and exp(-i omega t) in EMTF XML become mV/km/nT and exp(+i omega t).
  const char* xml =
      "<?xml version=\"1.0\"?>\n<EM_TF><ProcessingInfo><SignConvention>exp(- "
      "i\\omega t)</SignConvention></ProcessingInfo><Site><Id>S1</Id>"
      "<Location><Latitude>-31.5</Latitude><Longitude>116.25</Longitude>"
      "<Elevation units=\"meters\">-12.5</Elevation></Location></Site>"
      "<Data><Period value=\"10\" units=\"secs\"><Z units=\"Ohm\">"
      "<value name=\"Zxx\">0 0</value><value name=\"Zxy\">1e-3 -2e-3</value>"
      "<value name=\"Zyx\">-1e-3 2e-3</value><value name=\"Zyy\">0 0</value>"
      "</Z><Z.VAR><value name=\"Zxy\">1e-8</value><value "
      "name=\"Zyx\">4e-8</value></Z.VAR></Period></Data></EM_TF>\n";
  TransferFunction xml_tf;
  std::string xml_error;
  ASSERT_TRUE(
      ReadTransferFunction(FieldFormat::kEmtfXml, xml, xml_tf, xml_error))
      << xml_error;
  ASSERT_EQ(xml_tf.points.size(), 1u);
  const TfPoint& x = xml_tf.points[0];
  EXPECT_NEAR(x.freq, 0.1, 1e-12);
  EXPECT_NEAR(x.z[kXy].real(), 1e-3 * kFieldUnitsPerOhm, 1e-9);
  EXPECT_NEAR(x.z[kXy].imag(), 2e-3 * kFieldUnitsPerOhm, 1e-9);
  EXPECT_NEAR(x.var[kYx], 4e-8 * kFieldUnitsPerOhm * kFieldUnitsPerOhm, 1e-9);
  EXPECT_NEAR(*xml_tf.elev, -12.5, 1e-12);
}

TEST(FieldDataImport, EmtfXmlWrittenAndReadBackIsTheSameSounding) {
  for (const char* name : {"tf_xml.xml", "tf_avg_newer.avg", "tf_jfile.j"}) {
    SCOPED_TRACE(name);
    auto first = ReadReal(name);
    ASSERT_TRUE(first->ok);
    const SoundingBuffer& a = first->sb();
    test::TempFile out("", ".xml");
    ASSERT_TRUE(ExportEmtfXml(a, out.path(), first->ui));
    auto second = ReadPath(out.path());
    ASSERT_TRUE(second->ok);
    const SoundingBuffer& b = second->sb();
    ASSERT_EQ(b.nfreq, a.nfreq);
    EXPECT_EQ(Place(b), Place(a));
    for (int k = 0; k < a.nfreq; ++k) {
      EXPECT_NEAR(b.freq[k] / a.freq[k], 1.0, 1e-7) << k;
      for (int i = 1; i <= 8; ++i)
        EXPECT_EQ(b.Array(i)[k], a.Array(i)[k]) << k << " " << i;
      // The file's errors from variances; from rho/phase errors, never less.
      if (std::string(name) != "tf_avg_newer.avg") {
        EXPECT_NEAR(b.phsxy_err[k], a.phsxy_err[k], 1e-4) << k;
        EXPECT_NEAR(b.phsyx_err[k], a.phsyx_err[k], 1e-4) << k;
        EXPECT_NEAR(b.rhoxy_err[k] / a.rhoxy_err[k], 1.0, 1e-4) << k;
        EXPECT_NEAR(b.rhoyx_err[k] / a.rhoyx_err[k], 1.0, 1e-4) << k;
      } else {
        EXPECT_GE(b.phsxy_err[k], a.phsxy_err[k] * (1.0f - 1e-5f)) << k;
        EXPECT_GE(b.rhoyx_err[k], a.rhoyx_err[k] * (1.0f - 1e-5f)) << k;
      }
    }
  }
}

// Values (or errors) beyond a float are left out with a message, never inf.
TEST(FieldDataImport, ValuesBeyondTheStoredRangeAreLeftOut) {
  TransferFunction tf;
  tf.format = "EMTF Z-file";
  tf.station = "RANGE";
  auto point = [](double freq, std::complex<double> zxy, double var = 1e-4) {
    TfPoint p;
    p.freq = freq;
    p.z = {0.1 * zxy, zxy, -zxy, 0.1 * zxy};
    p.var = {var, var, var, var};
    return p;
  };
  tf.points = {point(10.0, {3.0, 2.0}),
               point(1.0, {1e210, 1.0}),          // beyond a float
               point(1e-30, {1e30, 1e30}, 1e60),  // fits, its error does not
               point(1e-60, {1.0, 1.0}),  // a frequency that rounds to 0
               point(0.01, {2.0, 1.0})};
  SoundingBuffer sb;
  ScriptedUi ui;
  TfStoreReport report;
  ASSERT_TRUE(
      StoreTransferFunction(tf, sb, ui, "EMTF Z-FILE IMPORT", 0.05, &report));
  ASSERT_EQ(sb.nfreq, 2);
  EXPECT_EQ(sb.freq[0], 10.0f);
  EXPECT_EQ(sb.freq[1], 0.01f);
  EXPECT_EQ(sb.zxyr[1], 2.0f);
  for (int k = 0; k < 2; ++k) {
    for (int i = 0; i < kSoundingArrays; ++i)
      EXPECT_TRUE(std::isfinite(sb.Array(i)[k])) << k << " " << i;
  }
  EXPECT_EQ(report.missing_points, 3);
  EXPECT_THAT(ui.prompts(),
              Contains(Field(
                  &Prompt::text,
                  AllOf(StartsWith("3 of the file's frequencies are left out: "
                                   "a value"),
                        HasSubstr("1 Hz, 1e-30 Hz, 1e-60 Hz")))));
  // Nothing usable at all: refused with a reason.
  tf.points = {point(1.0, {1e210, 1.0})};
  ScriptedUi refused;
  EXPECT_FALSE(
      StoreTransferFunction(tf, sb, refused, "EMTF Z-FILE IMPORT", 0.05));
  EXPECT_THAT(refused.prompts(), MessageWith("out of range"));
}

// Real archive files: values read off the files by hand.
double Period(const SoundingBuffer& sb, int k) { return 1.0 / sb.freq[k]; }

TEST(FormatReaders, EmtfXmlFilesOfTheArchives) {
  auto r = ReadReal("tf_xml.xml");
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(r->format, FieldFormat::kEmtfXml);
  const SoundingBuffer& sb = r->sb();
  ASSERT_EQ(sb.nfreq, 33);
  EXPECT_NEAR(Period(sb, 0), 4.65455, 1e-5);
  EXPECT_NEAR(Period(sb, 32), 29127.11, 0.02);
  EXPECT_EQ(Place(sb), "NMX20|34.470528|-108.712288|1940.05");
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
  EXPECT_EQ(bad->report.missing_points, 3);
  EXPECT_FLOAT_EQ(bad->sb().zxyi[0], 4.745337f);

  // No errors: the default; the site id from the <Site> at the file's end.
  auto poor = ReadReal("tf_poor_xml.xml");
  ASSERT_TRUE(poor->ok);
  EXPECT_EQ(poor->sb().nfreq, 33);
  EXPECT_EQ(poor->sb().station, "CAS04");
  EXPECT_EQ(poor->report.error_source, "default");
  // 5 % of |Z| = atan(0.05) in phase.
  EXPECT_NEAR(poor->sb().phsxy_err[0], 2.8624, 1e-3);

  auto iris = ReadReal("tf_xml_emtf_xml_iris.xml");
  ASSERT_TRUE(iris->ok);
  EXPECT_EQ(iris->sb().nfreq, 30);
  EXPECT_FLOAT_EQ(iris->sb().zxyr[0], 10.07529f);

  // Z.VAR equals N_ii S_jj of the file's own covariance blocks; an error
  // left from an earlier failed read does not stop a good read.
  const std::string text =
      test::ReadWholeFile(test::RealDataPath("tf_xml.xml"));
  TransferFunction with_var, from_cov;
  std::string error = "The file has no <EM_TF> element.";
  ASSERT_TRUE(
      ReadTransferFunction(FieldFormat::kEmtfXml, text, with_var, error))
      << error;
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

  auto d = ReadReal("tf_xml_with_derived_quantities.xml");
  ASSERT_TRUE(d->ok);
  ASSERT_EQ(d->sb().nfreq, 20);
  EXPECT_EQ(Place(d->sb()).substr(0, 16), "SMG1|-38.410000|");
  // RHOXY, PHSXY, RHOYX, PHSYX of the file at 16 s (YX turned by 180).
  for (CurveMode mode : {CurveMode::XY, CurveMode::YX}) {
    test::LoadSet(*d->stores, 0, mode);
    const FieldSet& s = d->stores->sets[0];
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
  EXPECT_EQ(Place(sb), "300|34.727000|-115.735000|0000");
  // First period; Var Zxy = N(Ex,Ex) S(Hy,Hy) = 1.604e-2 * 130.4.
  EXPECT_FLOAT_EQ(sb.zxxr[0], -5.991f);
  EXPECT_FLOAT_EQ(sb.zxyr[0], 17.27f);
  EXPECT_FLOAT_EQ(sb.zxyi[0], 12.72f);
  EXPECT_FLOAT_EQ(sb.zyxr[0], -51.59f);
  EXPECT_NEAR(sb.rhoxy_err[0], 13.58065, 1e-3);
  EXPECT_NEAR(sb.phsxy_err[0], 3.857479, 1e-4);

  // Magnetic channels only: a message names the format and what is missing.
  auto tipper = ReadReal("tf_zss_tipper.zss");
  EXPECT_FALSE(tipper->ok);
  ASSERT_FALSE(tipper->ui.prompts().empty());
  EXPECT_EQ(tipper->ui.prompts().back().caption, "EMTF Z-FILE IMPORT");
  EXPECT_THAT(
      tipper->ui.prompts().back().text,
      AllOf(HasSubstr("no electric channels"), HasSubstr("EMTF Z-file")));
}

TEST(FormatReaders, BirrpJFileInFieldUnitsDespiteItsTitles) {
  auto r = ReadReal("tf_jfile.j");
  ASSERT_TRUE(r->ok);
  EXPECT_EQ(r->format, FieldFormat::kJFile);
  const SoundingBuffer& sb = r->sb();
  ASSERT_EQ(sb.nfreq, 12);  // 14 rows, two of them -999
  EXPECT_NEAR(Period(sb, 0), 1.333333, 1e-5);
  EXPECT_NEAR(Period(sb, 11), 64.55, 1e-3);
  // Empty coordinates stay unknown.
  EXPECT_EQ(Place(sb), "BP05|00:00:00|000:00:00|0000");
  // ZXY 24.26376 - 26.85942i in exp(-i omega t), error 2.303654.
  EXPECT_FLOAT_EQ(sb.zxyr[0], 24.26376f);
  EXPECT_FLOAT_EQ(sb.zxyi[0], 26.85942f);
  EXPECT_NEAR(sb.rhoxy_err[0], 41.96037, 1e-3);
  EXPECT_NEAR(sb.phsxy_err[0], 3.641603, 1e-4);
  // The file's own RXY blocks (rho, phase): mV/km/nT despite "S.I.".
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
  EXPECT_EQ(Place(sb), "24|32.833312|-107.083057|0000");
  // Zxy at 0.5 Hz: 16.252 at 482.1 mrad; ARes 105.65 +- 6.1 %, 30.3 mrad.
  EXPECT_NEAR(sb.freq[5], 0.5, 1e-7);
  EXPECT_NEAR(sb.zxyr[5], 14.39965, 1e-4);
  EXPECT_NEAR(sb.zxyi[5], 7.535091, 1e-4);
  EXPECT_NEAR(sb.rhoxy_err[5], 6.444711, 1e-4);
  EXPECT_NEAR(sb.phsxy_err[5], 1.736062, 1e-5);
  EXPECT_EQ(r->report.error_source, "RHO/PHS errors");
  test::LoadSet(*r->stores, 0, CurveMode::XY);
  EXPECT_NEAR(std::pow(10.0, r->stores->sets[0].log_rho[5]), 105.65, 0.01);

  // The newer layout, XY phases in the third quadrant: negated, with a word.
  auto n = ReadReal("tf_avg_newer.avg");
  ASSERT_TRUE(n->ok);
  const SoundingBuffer& nb = n->sb();
  ASSERT_EQ(nb.nfreq, 37);
  EXPECT_NEAR(nb.freq[0], 9.7656e-4, 1e-9);
  EXPECT_NEAR(nb.freq[36], 256.0, 1e-3);
  EXPECT_EQ(Place(nb), "2813|44.147916|-111.049752|1954.24");
  // Zxy at 0.5 Hz (point 18): 7.53 at -2578.9 mrad, negated.
  EXPECT_NEAR(nb.freq[18], 0.5, 1e-7);
  EXPECT_NEAR(nb.zxyr[18], 6.369038, 1e-4);
  EXPECT_NEAR(nb.zxyi[18], 4.016996, 1e-4);
  EXPECT_NEAR(nb.rhoxy_err[18], 0.5443286, 1e-5);
  EXPECT_NEAR(nb.phsxy_err[18], 0.6818198, 1e-5);
  EXPECT_THAT(n->ui.prompts(), MessageWith("negated"));
}

}  // namespace
}  // namespace mtvuk
