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
  const char* message;  // text of the first message, "" for none
  bool import_hint;     // the message points to the SEG EDI importer
};

constexpr char kNoKeywords[] =
    "Can't find keywords:\n'>SPECTRA' for EDI-file\n'>ZXXR' for PLT-file";
constexpr char kNoHead[] = "Can't finf MT-data\n error keyword: '>HEAD'";

const Expectation kFiles[] = {
    {"15125A_spe.edi", true, 60, "15125A ", "", false},
    {"IEB0537A_Phoenix.edi", true, 80, "14-IEB0537A ", "", false},
    {"15125A_imp.edi", true, 60, "15125A ", "", false},
    {"ET001.edi", true, 88, "ET001 ", "", false},
    {"ET010.edi", true, 99, "", "", false},
    {"EGC020A_pho.edi", true, 65, "", "", false},
    {"EGC022_CGG.edi", true, 73, "", "", false},
    {"tf_edi_cgg.edi", true, 73, "TEST01 ", "", false},
    // "FREQ= 9.9391E+03": the value ends at the blank after "=".
    {"IEA00184_Qut.edi",
     false,
     0,
     "",
     "'>SPECTRA' block 1: the value after FREQ= ('', up to the next blank) "
     "is not a positive frequency",
     true},
    {"tf_edi_quantec.edi",
     false,
     0,
     "",
     "'>SPECTRA' block 1: the value after FREQ= ('', up to the next blank) "
     "is not a positive frequency",
     true},
    // No quoted DATAID: the search for blocks starts at the end of the file.
    {"tf_edi_spectra_in.edi",
     true,
     0,
     "",
     "No frequency blocks were read (NFREQ = 0):\nthe file has no station "
     "line 'DATAID=\"'",
     true},
    {"tf_edi_rho_only.edi", false, 0, "", kNoKeywords, true},
    {"VIC100_ANSIR.edi", false, 0, "", kNoKeywords, true},
    {"IEB0858A_metronix.edi", false, 0, "", "Can't find RHOXY_ERR", true},
    {"tf_edi_metronix.edi", false, 0, "", "Can't find RHOXY_ERR", true},
    {"tf_edi_no_error.edi", false, 0, "", "Can't find RHOXY_ERR", true},
    {"pb23c.edi", false, 0, "", "Can't find RHOXY_ERR", true},
    {"11_LF_z.edi", false, 0, "", "Can't find RHOXY_ERR", true},
    {"tf_edi_spectra_out.edi", false, 0, "", "Can't find RHOXY_ERR", true},
    {"BP02.edi", false, 0, "", "Can't find RHOXY_ERR", true},
    {"tf_edi_empower.edi", false, 0, "", kNoHead, true},
    {"c07cp1.edi", false, 0, "", kNoHead, true},
    {"aushield.dat", false, 0, "", kNoKeywords, false},
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
      ASSERT_EQ(ui.prompts().size(), 1u);
      const std::string hint =
          e.import_hint ? ImportHintText(ImportHint::kMenu) : "";
      EXPECT_EQ(ui.prompts()[0].text, e.message + hint);
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
