#include "core/fielddata/edi_import.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/fielddata/field_curve.h"
#include "core/fielddata/spectra.h"
#include "core/platform/c_number.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

struct Imported {
  std::unique_ptr<Stores> stores = test::NewStores();
  ScriptedUi ui;
  EdiImportReport report;
  bool ok = false;
  const SoundingBuffer& sb() const { return stores->workspace.sounding; }
};

Imported Import(const std::string& path) {
  Imported r;
  r.ok = ImportEdiFile(
      path, r.stores->workspace, r.ui, kDefaultImportError, &r.report);
  return r;
}

TEST(EdiImport, EveryRealFileOpensWithSensibleCurves) {
  const std::vector<std::string> files = test::RealFileNames(".edi");
  EXPECT_EQ(files.size(), 22u);
  for (const std::string& name : files) {
    SCOPED_TRACE(name);
    Imported r = Import(test::RealDataPath(name));
    ASSERT_TRUE(r.ok);
    ASSERT_GT(r.sb().nfreq, 5);
    EXPECT_FALSE(r.sb().station.empty());
    // Load the XY curve as the sounding list would; count sensible points.
    test::LoadSet(*r.stores, 0, CurveMode::XY);
    const FieldSet& s = r.stores->sets[0];
    int good = 0;
    for (int k = 0; k < s.count; ++k) {
      if (s.point_deleted[k]) continue;
      const double rho = std::pow(10.0, s.log_rho[k]);
      if (std::isfinite(rho) && rho > 0.0 && s.phase[k] >= 0.0f &&
          s.phase[k] <= 180.0f)
        ++good;
    }
    EXPECT_GE(good, s.count * 8 / 10);
  }
}

// tf_edi_spectra_out.edi holds Z and variances from tf_edi_spectra_in.edi.
TEST(EdiImport, SpectraVariancesQuantecLayoutAndMissingValues) {
  Imported in = Import(test::RealDataPath("tf_edi_spectra_in.edi"));
  Imported out = Import(test::RealDataPath("tf_edi_spectra_out.edi"));
  ASSERT_TRUE(in.ok && out.ok);
  EXPECT_EQ(in.report.error_source, "spectra");
  EXPECT_EQ(out.report.error_source, "Z .VAR");
  ASSERT_EQ(in.sb().nfreq, 33);
  for (int k = 0; k < 33; ++k) {
    for (int i = 1; i <= 8; ++i) {
      const double scale = std::hypot(out.sb().zxyr[k], out.sb().zxyi[k]);
      EXPECT_NEAR(
          in.sb().Array(i)[k], out.sb().Array(i)[k], 1e-6 * scale + 1e-6)
          << k << " " << i;
    }
    EXPECT_NEAR(in.sb().rhoxy_err[k] / out.sb().rhoxy_err[k], 1.0, 1e-3) << k;
    EXPECT_NEAR(in.sb().phsyx_err[k], out.sb().phsyx_err[k], 1e-3) << k;
  }

  // The Quantec layout, a value of 1.0E+32 and a file without errors.
  Imported q = Import(test::RealDataPath("IEA00184_Qut.edi"));
  ASSERT_TRUE(q.ok);
  EXPECT_EQ(q.sb().nfreq, 41);
  EXPECT_NEAR(q.sb().freq[0], 9939.1f, 1.0f);
  Imported cgg = Import(test::RealDataPath("tf_edi_cgg.edi"));
  EXPECT_EQ(cgg.report.missing_points, 1);
  ASSERT_EQ(cgg.sb().nfreq, 72);
  EXPECT_NEAR(cgg.sb().freq[0], 681.2921f, 1e-3f);
  EXPECT_EQ(cgg.sb().missing[0], 0);
  ASSERT_EQ(cgg.ui.prompts().size(), 1u);
  EXPECT_EQ(cgg.ui.prompts()[0].text,
            "1 of the file's frequencies are left out: their values are "
            "missing (EMPTY) or not numbers:\n825.4 Hz");
  Imported none = Import(test::RealDataPath("tf_edi_no_error.edi"));
  EXPECT_EQ(none.report.error_source, "default");
  ASSERT_EQ(none.ui.prompts().size(), 1u);
  EXPECT_EQ(none.ui.prompts()[0].text,
            "The file has no error blocks:\nthe impedance errors are set to 5 "
            "% of |Z|.");
  // 5 % of |Z| is a phase error of atan(0.05).
  EXPECT_NEAR(none.sb().phsxy_err[3], std::atan(0.05) * 180.0 / M_PI, 1e-4);
}

TEST(EdiImport, ManyFrequenciesRotationAndBadInput) {
  auto block = [](const char* key, int n, double v) {
    std::string s = std::string(">") + key + " //" + std::to_string(n) + "\n";
    for (int k = 0; k < n; ++k)
      s += "\t" + std::to_string(key[0] == 'F' ? 1000.0 / (k + 1) : v);
    return s + "\n";
  };
  std::string text = " >head\n  dataid=site7\n  lat=-33.5\n";
  text += block("FREQ", 120, 0);
  const char* keys[] = {
      "ZXXR", "ZXXI", "ZXYR", "ZXYI", "ZYXR", "ZYXI", "ZYYR", "ZYYI", "ZROT"};
  const double values[] = {0, 0, 10, 10, -20, -20, 0, 0, 90};
  for (int i = 0; i < 9; ++i) text += block(keys[i], 120, values[i]);
  test::TempFile file(text, ".edi");
  Imported r = Import(file.path());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.sb().nfreq, 100);
  EXPECT_EQ(r.sb().station, "site7");
  EXPECT_EQ(r.sb().lat, "-33.5");
  EXPECT_EQ(r.ui.prompts()[0].caption, "TOO MANY FREQUENCIES");
  // Axes turned by 90 degrees: ZXY and ZYX trade places and signs.
  EXPECT_NEAR(r.sb().zxyr[0], 20.0, 1e-4);
  EXPECT_NEAR(r.sb().zyxr[0], -10.0, 1e-4);
  EXPECT_NEAR(r.sb().zxxr[0], 0.0, 1e-4);

  for (const std::string& bad : {std::string(),
                                 std::string("garbage\n\x01\x02"),
                                 std::string(">HEAD\n>FREQ\n1 2 3\n"),
                                 std::string(">SPECTRA FREQ=1\n1 2 3\n")}) {
    test::TempFile f(bad, ".edi");
    Imported b;
    EXPECT_FALSE(ImportEdiFile(f.path(), b.stores->workspace, b.ui) &&
                 b.sb().nfreq == 0);
  }
}

// The example of docs/edi-import.md imports as the page says.
TEST(EdiImportPage, TheResistivityOnlyExampleImportsAsDescribed) {
  const std::string page =
      test::ReadWholeFile(test::ExamplePath("../docs/edi-import.md"));
  const std::size_t start = page.find("```edi\n");
  ASSERT_NE(start, std::string::npos);
  const std::size_t end = page.find("```", start + 7);
  const std::string example = page.substr(start + 7, end - start - 7);
  // The page tells what comes out.
  EXPECT_NE(page.find("the field-data reader refuses it"), std::string::npos);
  EXPECT_NE(page.find("ZXYR = 50.00"), std::string::npos);

  test::TempFile file(example, ".edi");
  Imported r = Import(file.path());
  ASSERT_TRUE(r.ok);
  const SoundingBuffer& sb = r.sb();
  EXPECT_EQ(sb.station.substr(0, 8), "RHO ONLY");
  ASSERT_EQ(sb.nfreq, 2);
  EXPECT_FLOAT_EQ(sb.freq[0], 10.0f);
  EXPECT_NEAR(std::hypot(sb.zxyr[0], sb.zxyi[0]), 70.71, 0.01);
  EXPECT_NEAR(std::hypot(sb.zyxr[0], sb.zyxi[0]), 70.71, 0.01);
  EXPECT_NEAR(sb.zxyr[0], 50.0, 0.01);
  EXPECT_FLOAT_EQ(sb.zxxr[0], 0.0f);
  EXPECT_FLOAT_EQ(sb.rhoxy_err[0], 5.0f);
  EXPECT_FLOAT_EQ(sb.phsyx_err[1], 1.5f);
}

// Adds the spectra of one set of channel amplitudes to `a`.
void AddSpectra(const Complex (&channels)[7], SpectraMatrix& a) {
  for (int p = 0; p < 7; ++p) {
    a[p][p] += Abs2(channels[p]);
    for (int q = p + 1; q < 7; ++q) {
      Complex c = Mul(channels[p], Conj(channels[q]));
      a[q][p] += c.re;  // C(p, q) = A(q, p) + i A(p, q)
      a[p][q] += c.im;
    }
  }
}

TEST(Spectra, NoiseFreeFieldsGiveBackTheImpedanceWithoutError) {
  // E = Z H, remote = local H; two source polarisations added incoherently.
  const Complex zxx{0.5, -0.2}, zxy{10, 8}, zyx{-12, -9}, zyy{0.3, 0.1};
  SpectraMatrix a = {};
  const Complex sources[2][2] = {{{1, 0}, {0.2, 0.1}}, {{-0.3, 0.4}, {1, 0.5}}};
  for (const auto& h : sources) {
    Complex hx = h[0], hy = h[1];
    Complex ex = Add(Mul(zxx, hx), Mul(zxy, hy));
    Complex ey = Add(Mul(zyx, hx), Mul(zyy, hy));
    Complex ch[7] = {hx, hy, {0.01, 0}, ex, ey, hx, hy};
    AddSpectra(ch, a);
  }
  SpectraEstimate z = EstimateImpedance(a, 10.0, 100.0);
  // The estimator stores the conjugates of Z.
  const Complex expected[4] = {zxx, zxy, zyx, zyy};
  const Complex got[4] = {z.zxx, z.zxy, z.zyx, z.zyy};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(got[i].re, expected[i].re, 1e-9) << i;
    EXPECT_NEAR(got[i].im, -expected[i].im, 1e-9) << i;
  }
  EXPECT_NEAR(z.exy, 0.0, 1e-6);
  EXPECT_NEAR(z.phsxy_err, 0.0, 1e-4);
  EXPECT_NEAR(z.rhoxy_err, 0.0, 1e-4);
}

}  // namespace
}  // namespace mtvuk
