#include "core/files/synthetic_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "core/physics/model_curve.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

using ::testing::HasSubstr;

LayerModel HalfSpace(double rho) {
  LayerModel m;
  m.name = "HALF SPACE";
  m.layer_count = 2;
  m.resistivity.fill(rho);
  return m;
}

LayerModel ThreeLayers(const char* name,
                       std::array<double, 3> rho,
                       double h0,
                       double h1) {
  LayerModel m;
  m.name = name;
  m.layer_count = 3;
  for (int j = 0; j < 3; ++j) m.resistivity[j] = rho[j];
  m.thickness[0] = h0;
  m.thickness[1] = h1;
  return m;
}

LayerModel Dispersive() {
  LayerModel m = ThreeLayers("IP MODEL", {50.0, 5.0, 200.0}, 0.3, 1.0);
  m.dispersion_on = 1;
  m.law = 2;
  m.ip_on[1] = 1;
  m.ip_p1[1][0] = 0.4f;
  m.ip_tau[1][0] = 0.5f;
  m.ip_c[1][0] = 0.6f;
  return m;
}

LayerModel Anisotropic() {
  LayerModel m = ThreeLayers("ANISO CRUST", {200.0, 30.0, 20.0}, 0.5, 2.0);
  m.anisotropy_on = 1;
  m.aniso_on[1] = 1;
  m.aniso_rho1[1] = 10.0f;
  m.aniso_rho2[1] = 300.0f;
  m.aniso_strike[1] = 30.0f;
  return m;
}

using test::Lines;

// The block after a keyword line: its values in file order.
std::vector<double> Block(const std::string& text, const std::string& key) {
  const std::vector<std::string> lines = Lines(text);
  std::vector<double> values;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind(key + " ", 0) != 0) continue;
    for (std::size_t j = i + 1; j < lines.size() && lines[j][0] != '>'; ++j) {
      std::stringstream numbers(lines[j]);
      for (double v; numbers >> v;) values.push_back(v);
    }
    break;
  }
  return values;
}

std::string Exported(const LayerModel& m, const SyntheticOptions& o = {}) {
  ScriptedUi ui;
  SyntheticSounding s;
  EXPECT_TRUE(ComputeSynthetic(m, o, ui, s));
  return o.format == SyntheticFormat::kSeg ? FormatSegEdi(s, o.place)
                                           : FormatPltSounding(s, o.place);
}

TEST(SyntheticExport, TheFixedLayoutLineByLineAndItsMedia) {
  const std::string text = Exported(HalfSpace(100.0));
  EXPECT_EQ(
      text.substr(0, text.find(">FREQ=72 //72\n")),
      ">HEAD\n    DATAID=\"HALF SPACE\"\n    ACQBY=\"MT-SONDRAKE\"\n    "
      "FILEBY=\"MT-1D MEDIUM\"\n    ACQDATE=\n    FILEDATE=\n    "
      "COUNTRY=NETHERLAND\n    STATE=MODELING\n    LAT=00:00:00\n    "
      "LONG=00:00:00\n    ELEV=0\n    UNIT=M\n\n\n>!****FREQUENCIES****!\n");
  const std::vector<std::string> lines = Lines(text);
  // 17 blocks of 13 lines, three title lines, the empty line and >END.
  EXPECT_EQ(lines.size(), 14u + 17u * 13u + 3u + 2u);
  EXPECT_EQ(text.substr(text.size() - 6), "\n>END\n");
  EXPECT_EQ(lines[16],
            "   1.000e+03   7.969e+02   6.351e+02   5.061e+02   "
            "4.033e+02   3.214e+02 ");
  const std::string keys[] = {">!****IMPEDANCES****!",
                              ">ZXXR ROT=ZROT //72",
                              ">!**** APPARENT RESISTIVITIES AND PHASES****!",
                              ">RHOXY ROT=RHOROT //72",
                              ">PHSYX.ERR ROT=RHOROT //72"};
  for (const std::string& key : keys)
    EXPECT_NE(text.find("\n" + key + "\n"), std::string::npos) << key;

  // A half-space: 100 Ohm-m, 45 degrees, Z = |Z| (cos 45, sin 45) mV/km/nT.
  const std::vector<double> f = Block(text, ">FREQ=72");
  const std::vector<double> xyr = Block(text, ">ZXYR"),
                            xyi = Block(text, ">ZXYI");
  const std::vector<double> yxr = Block(text, ">ZYXR"),
                            yxi = Block(text, ">ZYXI");
  ASSERT_EQ(f.size(), 72u);
  ASSERT_EQ(xyr.size(), 72u);
  auto written = [](double v) {  // as the file writes a value
    char out[16];
    std::snprintf(out, sizeof out, "%12.3e", v);
    return std::string(out);
  };
  for (int k = 0; k < 72; ++k) {
    const double exact_f = 1000.0 * std::pow(10.0, -7.0 * k / 71.0);
    EXPECT_EQ(written(f[k]), written(exact_f));
    const double z = std::sqrt(100.0 * 2.0 * M_PI * exact_f * 4e-7 * M_PI) /
                     (4e-4 * M_PI) * std::sqrt(0.5);
    EXPECT_EQ(written(xyr[k]), written(z)) << k;
    EXPECT_EQ(yxr[k], -xyr[k]);
    EXPECT_EQ(yxi[k], -xyi[k]);
  }
  for (const char* key :
       {">ZXXR", ">ZXXI", ">ZYYR", ">ZYYI", ">RHOXY.ERR", ">PHSYX.ERR"}) {
    for (double v : Block(text, key)) EXPECT_EQ(v, 0.0) << key;
  }
  for (double v : Block(text, ">RHOYX")) EXPECT_NEAR(v, 100.0, 0.05);
  for (double v : Block(text, ">PHSXY")) EXPECT_NEAR(v, 45.0, 0.005);

  // Twelve lines of 73 characters per block, whatever the medium.
  EXPECT_EQ(FormatBlockLines(f.data(), 72),
            text.substr(text.find(">FREQ=72 //72\n") + 14, 12 * 74));
  EXPECT_EQ(FormatBlockLines(f.data(), 11).size(), 74u);  // count / 6 lines

  // One FILEBY line for each medium.
  LayerModel both = Anisotropic();
  both.dispersion_on = 1;
  EXPECT_THAT(Exported(both),
              HasSubstr("    ACQBY=\"MT-SONDRAKE\"\n"
                        "    FILEBY=\"MT-ANISOTROPIC MEDIUM\"\n"
                        "    FILEBY=\"MT-POLARIZATION MEDIUM\"\n"
                        "    ACQDATE=\n"));
  EXPECT_EQ(MediumNames(Dispersive()),
            std::vector<std::string>{"MT-POLARIZATION MEDIUM"});
}

// Written PLT (every mode) and SEG EDI (XY, YX) files read back as the model.
TEST(SyntheticExport, FilesReadBackAsTheModelsCurves) {
  ScriptedUi ui;
  for (const LayerModel& m : {HalfSpace(30.0), Dispersive(), Anisotropic()}) {
    SyntheticOptions o;
    o.period_min = 0.0001;
    o.period_max = 1000.0;
    o.place = {-22.370833, 139.188889, 152.0};
    const ExportArray f = ExportFrequencies(0.0001, 1000.0);
    std::array<double, 72> periods{};
    for (int k = 0; k < 72; ++k) periods[k] = 1.0 / f[k];
    std::array<PeriodResponse, 72> model{};
    ASSERT_TRUE(ComputeResponses(m,
                                 WorkingLayers(m),
                                 ChoosePath(m, false),
                                 periods.data(),
                                 72,
                                 ui,
                                 model.data()));
    for (const bool seg : {false, true}) {
      SCOPED_TRACE(m.name + (seg ? " SEG" : " PLT"));
      auto stores = test::NewStores();
      if (seg) {
        o.format = SyntheticFormat::kSeg;
        const std::string text = Exported(m, o);
        for (const char* key : {">=DEFINEMEAS\n",
                                ">HMEAS ID=1001.001 CHTYPE=HX",
                                ">EMEAS ID=1004.001 CHTYPE=EY",
                                ">ZYY.VAR ROT=ZROT // 72\n",
                                ">=MTSECT\n",
                                ">FREQ NFREQ=72 ORDER=DEC // 72\n",
                                "    LAT=-22:22:15.00\n",
                                "    LONG=139:11:20.00\n",
                                "    ELEV=152.0\n"}) {
          EXPECT_THAT(text, HasSubstr(key));
        }
        EXPECT_EQ(text.substr(text.size() - 5), ">END\n");
        test::TempFile file(text, ".edi");
        EdiImportReport report;
        ASSERT_TRUE(
            ImportEdiFile(file.path(), stores->workspace, ui, 0.05, &report));
        EXPECT_EQ(report.error_source, "Z .VAR");
        EXPECT_EQ(stores->workspace.sounding.lat, "-22:22:15.00");
      } else {
        test::TempFile file("", ".PLT");
        ASSERT_TRUE(ExportModel(m, o, file.path(), ui));
        ASSERT_TRUE(ReadFieldFile(file.path(), stores->workspace, ui));
        const SoundingBuffer& read = stores->workspace.sounding;
        EXPECT_EQ(read.station.substr(0, m.name.size()), m.name);
        EXPECT_EQ(read.lat + " " + read.lon + " " + read.elev,
                  "-22:22:15 139:11:20 152.0");
      }
      ASSERT_EQ(stores->workspace.sounding.nfreq, 72);
      for (int p = 0; p < (seg || !model[0].has_tensor ? 2 : 4); ++p) {
        test::LoadSet(*stores, 0, static_cast<CurveMode>(p));
        const FieldSet& set = stores->sets[0];
        for (int k = 0; k < 72; ++k) {
          const PolarisationResponse& r = model[k].mode[p];
          EXPECT_NEAR(set.log_rho[k], std::log10(r.rho_a), seg ? 2e-5 : 1e-3)
              << p << " " << k;
          EXPECT_NEAR(set.phase[k], std::fabs(r.phase), seg ? 2e-3 : 0.04)
              << p << " " << k;
          if (seg) {
            EXPECT_EQ(set.phase_sign[k], 1);
          }
        }
      }
    }
  }
  // Exact responses carry variances of 0: no error, said once per SEG file.
  ASSERT_EQ(ui.prompts().size(), 3u);
  for (const Prompt& p : ui.prompts())
    EXPECT_THAT(p.text, HasSubstr("0 or below"));
}

TEST(SyntheticExport, NoiseIsReproducibleAndItsErrorsReadBack) {
  SyntheticOptions noisy;
  noisy.noise_percent = 5.0;
  noisy.seed = 7;
  const LayerModel m = Dispersive();
  const std::string a = Exported(m, noisy);
  EXPECT_EQ(Exported(m, noisy), a);
  noisy.seed = 8;
  EXPECT_NE(Exported(m, noisy), a);
  noisy.seed = 7;

  ScriptedUi ui;
  SyntheticSounding exact, s;
  ASSERT_TRUE(ComputeSynthetic(m, {}, ui, exact));
  ASSERT_TRUE(ComputeSynthetic(m, noisy, ui, s));
  double sum = 0.0;
  for (int b : {kZxyR, kZxyI, kZyxR, kZyxI}) {
    for (int k = 0; k < 72; ++k) {
      const double z = std::hypot(exact.z[b & ~1][k], exact.z[b | 1][k]);
      sum += std::pow((s.z[b][k] - exact.z[b][k]) / z, 2);
    }
  }
  EXPECT_NEAR(std::sqrt(sum / (4 * 72)), 0.05, 0.01);
  // The 1-D diagonal gets noise of the size of its row's |Z| too.
  EXPECT_NE(s.z[kZxxR][5], 0.0);
  EXPECT_NEAR(
      s.z_var[1][5],
      std::pow(0.05 * std::hypot(exact.z[kZxyR][5], exact.z[kZxyI][5]), 2),
      1e-12);

  // Read back, the error bars give the noise's size again.
  test::TempFile file("", ".PLT");
  ASSERT_TRUE(ExportModel(m, noisy, file.path(), ui));
  auto stores = test::NewStores();
  ASSERT_TRUE(ReadFieldFile(file.path(), stores->workspace, ui));
  test::LoadSet(*stores, 0, CurveMode::YX);
  const FieldSet& set = stores->sets[0];
  int outside = 0;
  for (int k = 0; k < 72; ++k) {
    const double noisy_z = std::hypot(s.z[kZyxR][k], s.z[kZyxI][k]);
    const double r =
        0.05 * std::hypot(exact.z[kZyxR][k], exact.z[kZyxI][k]) / noisy_z;
    EXPECT_NEAR(set.phase_error[k], std::atan(r) * 180.0 / M_PI, 0.01) << k;
    const double up = std::pow(10.0, set.log_rho_upper[k] - set.log_rho[k]);
    EXPECT_NEAR(up - 1.0, 0.5 * ((1 + 2 * r) - 1 / (1 + 2 * r)), 2e-3) << k;
    outside += std::fabs(set.phase[k] - exact.phs_yx[k]) > set.phase_error[k];
    // The file's own RHO and PHS blocks follow the noisy impedance.
    EXPECT_NEAR(set.phase[k], s.phs_yx[k], 0.04) << k;
    EXPECT_NEAR(set.log_rho[k], std::log10(s.rho_yx[k]), 1e-3) << k;
  }
  EXPECT_GT(outside, 5);   // noise that never leaves one bar is no noise
  EXPECT_LT(outside, 40);  // about a third of the points of a Gaussian
}

TEST(SyntheticExport, StationPositionsInTheHead) {
  EXPECT_EQ(DegreesText(-1.25, 0), "-01:15:00");
  EXPECT_EQ(DegreesText(7.9999999, 0), "08:00:00");
  EXPECT_EQ(DegreesText(-0.0001, 0), "00:00:00");
}

TEST(SyntheticExport, AFailedExportLeavesNothingBehind) {
  ScriptedUi ui;
  const LayerModel m = HalfSpace(10.0);
  test::TempFile plain("keep me", ".txt");
  EXPECT_FALSE(ExportModel(m, {}, plain.path() + "/x.PLT", ui));
  EXPECT_EQ(ui.prompts().back().caption, "CAN'T CREATE FILE");
  EXPECT_EQ(SyntheticFilePath("/d/model one.txt"), "/d/model one.PLT");

  // Stopped by a file-size limit: the old file stays, no part is left.
  test::TempFile old("an older sounding\r\n", ".PLT");
  EXPECT_TRUE(test::UnderFileSizeLimit(4000, [&] {
    ScriptedUi limited;
    return !ExportModel(m, {}, old.path(), limited) &&
           limited.prompts().size() == 1;
  }));
  EXPECT_EQ(test::ReadWholeFile(old.path()), "an older sounding\r\n");
  EXPECT_FALSE(std::filesystem::exists(old.path() + ".part0"));
  // Without a limit the same export replaces it.
  ASSERT_TRUE(ExportModel(m, {}, old.path(), ui));
  EXPECT_EQ(test::ReadWholeFile(old.path()).substr(0, 7), ">HEAD\r\n");
}

}  // namespace
}  // namespace mtvuk
