// Every real field file beside the project, read as a user would read it.
#include <gtest/gtest.h>

#include <cmath>

#include "core/fielddata/field_file_reader.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

struct Expectation {
  const char* file;
  bool reads;
  int nfreq;            // when read
  const char* station;  // when read
  const char* message;  // text or caption of the first message, "" for none
};

const Expectation kFiles[] = {
    {"15125A_spe.edi", true, 60, "15125A ", ""},
    {"IEB0537A_Phoenix.edi", true, 80, "14-IEB0537A ", ""},
    {"15125A_imp.edi", true, 60, "15125A ", ""},
    {"ET001.edi", true, 88, "ET001 ", ""},
    {"ET010.edi", true, 99, "", ""},
    {"EGC020A_pho.edi", true, 65, "", ""},
    {"EGC022_CGG.edi", true, 73, "", ""},
    {"tf_edi_cgg.edi", true, 73, "TEST01 ", ""},
    // Five numbers per line: the seven-line matrices are misread.
    {"IEA00184_Qut.edi", true, 41, "Geoscience A", "CHECK MT-FILE"},
    {"tf_edi_quantec.edi", true, 41, "TEST 01 ", "CHECK MT-FILE"},
    // No quoted DATAID: the search for blocks starts at the end of the file.
    {"tf_edi_spectra_in.edi", true, 0, "", "CHECK MT-FILE"},
    {"tf_edi_rho_only.edi",
     false,
     0,
     "",
     "Can't find keywords:\n'>SPECTRA' for EDI-file\n'>ZXXR' for PLT-file"},
    {"VIC100_ANSIR.edi",
     false,
     0,
     "",
     "Can't find keywords:\n'>SPECTRA' for EDI-file\n'>ZXXR' for PLT-file"},
    {"IEB0858A_metronix.edi", false, 0, "", "Can't find RHOXY_ERR"},
    {"tf_edi_metronix.edi", false, 0, "", "Can't find RHOXY_ERR"},
    {"tf_edi_no_error.edi", false, 0, "", "Can't find RHOXY_ERR"},
    {"pb23c.edi", false, 0, "", "Can't find RHOXY_ERR"},
    {"11_LF_z.edi", false, 0, "", "Can't find RHOXY_ERR"},
    {"tf_edi_spectra_out.edi", false, 0, "", "Can't find RHOXY_ERR"},
    {"BP02.edi", false, 0, "", "Can't find RHOXY_ERR"},
    {"tf_edi_empower.edi",
     false,
     0,
     "",
     "Can't finf MT-data\n error keyword: '>HEAD'"},
    {"c07cp1.edi", false, 0, "", "Can't finf MT-data\n error keyword: '>HEAD'"},
    {"aushield.dat",
     false,
     0,
     "",
     "Can't find keywords:\n'>SPECTRA' for EDI-file\n'>ZXXR' for PLT-file"},
};

TEST(RealFiles, EachFileIsReadOrRefusedWithItsMessage) {
  for (const Expectation& e : kFiles) {
    SCOPED_TRACE(e.file);
    auto stores = test::NewStores();
    ScriptedUi ui;
    const FieldSets sets_before = stores->sets;
    bool ok = ReadFieldFile(test::RealDataPath(e.file), stores->workspace, ui);
    EXPECT_EQ(ok, e.reads);
    if (e.message[0] == '\0') {
      EXPECT_TRUE(ui.prompts().empty());
    } else {
      ASSERT_FALSE(ui.prompts().empty());
      const Prompt& p = ui.prompts()[0];
      EXPECT_TRUE(p.text == e.message || p.caption == e.message)
          << p.caption << ": " << p.text;
    }
    if (ok) {
      EXPECT_EQ(stores->workspace.sounding.nfreq, e.nfreq);
      EXPECT_EQ(stores->workspace.sounding.station, e.station);
    }
    // Reading never touches the field sets.
    for (int k = 0; k < MaxSets; ++k) {
      EXPECT_EQ(stores->sets[k].in_use, sets_before[k].in_use);
      EXPECT_EQ(stores->sets[k].freq, sets_before[k].freq);
    }
  }
}

TEST(RealFiles, SpectraAndImpedanceFilesOfOneSiteAgree) {
  auto spe = test::NewStores();
  auto imp = test::NewStores();
  ScriptedUi ui;
  ASSERT_TRUE(
      ReadFieldFile(test::RealDataPath("15125A_spe.edi"), spe->workspace, ui));
  ASSERT_TRUE(
      ReadFieldFile(test::RealDataPath("15125A_imp.edi"), imp->workspace, ui));
  const SoundingBuffer& a = spe->workspace.sounding;
  const SoundingBuffer& b = imp->workspace.sounding;
  ASSERT_EQ(a.nfreq, 60);
  ASSERT_EQ(b.nfreq, 60);
  double worst = 0.0;
  for (int k = 0; k < 60; ++k) {
    EXPECT_NEAR(a.freq[k], b.freq[k], 1e-5 * b.freq[k]);
    // Each tensor element against the size of its own element.
    for (int e = 0; e < 4; ++e) {
      double re_a = a.Array(1 + 2 * e)[k], im_a = a.Array(2 + 2 * e)[k];
      double re_b = b.Array(1 + 2 * e)[k], im_b = b.Array(2 + 2 * e)[k];
      double size = std::hypot(re_b, im_b);
      double diff = std::hypot(re_a - re_b, im_a - im_b) / size;
      worst = std::max(worst, diff);
      EXPECT_LT(diff, 1.1e-5) << "element " << e << " point " << k;
    }
  }
  RecordProperty("worst_relative_difference", std::to_string(worst));
  EXPECT_EQ(a.lat, "-22:22:14");
  EXPECT_EQ(a.elev, "200");
  EXPECT_EQ(a.listing[0], "    DATAID=\"15125A\"");
  EXPECT_EQ(a.listing[11], "NFREQ = 60");
}

}  // namespace
}  // namespace mtvuk
