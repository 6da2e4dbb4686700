// Every real field file beside the project, read as a user would read it.
#include <gtest/gtest.h>

#include <cmath>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/field_file_reader.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

struct Expectation {
  const char* file;
  int nfreq;            // -1: refused
  const char* station;  // when read
  const char* message;  // text of the first message, "" for none
};

constexpr char kNoKeywords[] =
    "Can't find keywords:\n'>SPECTRA' for EDI-file\n'>ZXXR' for PLT-file";
constexpr char kNoHead[] = "Can't finf MT-data\n error keyword: '>HEAD'";
constexpr char kNoErr[] = "Can't find RHOXY_ERR";
// "FREQ= 9.9391E+03": the value ends at the blank after "=".
constexpr char kNoFreq[] =
    "'>SPECTRA' block 1: the value after FREQ= ('', up to the next blank) is "
    "not a positive frequency";

const Expectation kFiles[] = {
    {"15125A_spe.edi", 60, "15125A ", ""},
    {"IEB0537A_Phoenix.edi", 80, "14-IEB0537A ", ""},
    {"15125A_imp.edi", 60, "15125A ", ""},
    {"ET001.edi", 88, "ET001 ", ""},
    {"ET010.edi", 99, "", ""},
    {"EGC020A_pho.edi", 65, "", ""},
    {"EGC022_CGG.edi", 73, "", ""},
    {"tf_edi_cgg.edi", 73, "TEST01 ", ""},
    {"IEA00184_Qut.edi", -1, "", kNoFreq},
    {"tf_edi_quantec.edi", -1, "", kNoFreq},
    // No quoted DATAID: the search for blocks starts at the end of the file.
    {"tf_edi_spectra_in.edi",
     0,
     "",
     "No frequency blocks were read (NFREQ = 0):\nthe file has no station "
     "line 'DATAID=\"'"},
    {"tf_edi_rho_only.edi", -1, "", kNoKeywords},
    {"VIC100_ANSIR.edi", -1, "", kNoKeywords},
    {"IEB0858A_metronix.edi", -1, "", kNoErr},
    {"tf_edi_metronix.edi", -1, "", kNoErr},
    {"tf_edi_no_error.edi", -1, "", kNoErr},
    {"pb23c.edi", -1, "", kNoErr},
    {"11_LF_z.edi", -1, "", kNoErr},
    {"tf_edi_spectra_out.edi", -1, "", kNoErr},
    {"BP02.edi", -1, "", kNoErr},
    {"tf_edi_empower.edi", -1, "", kNoHead},
    {"c07cp1.edi", -1, "", kNoHead},
    {"aushield.dat", -1, "", kNoKeywords},
};

TEST(RealFiles, EachFileIsReadOrRefusedWithItsMessage) {
  for (const Expectation& e : kFiles) {
    SCOPED_TRACE(e.file);
    auto stores = test::NewStores();
    ScriptedUi ui;
    const FieldSets sets_before = stores->sets;
    bool ok = ReadFieldFile(test::RealDataPath(e.file), stores->workspace, ui);
    EXPECT_EQ(ok, e.nfreq >= 0);
    if (e.message[0] == '\0') {
      EXPECT_TRUE(ui.prompts().empty());
    } else {
      ASSERT_EQ(ui.prompts().size(), 1u);
      // Every refusal of an EDI file points to the SEG EDI importer.
      const bool edi = std::string(e.file).find(".edi") != std::string::npos;
      EXPECT_EQ(ui.prompts()[0].text,
                e.message +
                    std::string(edi ? ImportHintText(ImportHint::kMenu) : ""));
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

// The spectra and the impedance file of one site give one tensor, whether
// the reader or the SEG EDI importer reads them.
TEST(RealFiles, SpectraAndImpedanceFilesOfOneSiteAgree) {
  auto spe = test::NewStores(), imp = test::NewStores();
  auto spe_import = test::NewStores(), imp_import = test::NewStores();
  ScriptedUi ui;
  EdiImportReport spe_report, imp_report;
  const std::string spe_path = test::RealDataPath("15125A_spe.edi");
  const std::string imp_path = test::RealDataPath("15125A_imp.edi");
  ASSERT_TRUE(ReadFieldFile(spe_path, spe->workspace, ui));
  ASSERT_TRUE(ReadFieldFile(imp_path, imp->workspace, ui));
  ASSERT_TRUE(ImportEdiFile(
      spe_path, spe_import->workspace, ui, kDefaultImportError, &spe_report));
  ASSERT_TRUE(ImportEdiFile(
      imp_path, imp_import->workspace, ui, kDefaultImportError, &imp_report));
  EXPECT_TRUE(spe_report.spectra);
  EXPECT_EQ(imp_report.error_source, "RHO/PHS .ERR");
  const SoundingBuffer* s[4] = {&spe->workspace.sounding,
                                &imp->workspace.sounding,
                                &spe_import->workspace.sounding,
                                &imp_import->workspace.sounding};
  const SoundingBuffer& b = *s[1];
  for (const SoundingBuffer* a : s) {
    ASSERT_EQ(a->nfreq, 60);
    for (int k = 0; k < 60; ++k) {
      EXPECT_NEAR(a->freq[k], b.freq[k], 1e-5 * b.freq[k]);
      // Each tensor element against the size of its own element.
      for (int e = 0; e < 4; ++e) {
        const double re_b = b.Array(1 + 2 * e)[k], im_b = b.Array(2 + 2 * e)[k];
        EXPECT_LT(std::hypot(a->Array(1 + 2 * e)[k] - re_b,
                             a->Array(2 + 2 * e)[k] - im_b) /
                      std::hypot(re_b, im_b),
                  1.1e-5)
            << "element " << e << " point " << k;
      }
    }
  }
  EXPECT_EQ(s[0]->lat, "-22:22:14");
  EXPECT_EQ(s[0]->elev, "200");
  EXPECT_EQ(s[0]->listing[0], "    DATAID=\"15125A\"");
  EXPECT_EQ(s[0]->listing[11], "NFREQ = 60");
}

}  // namespace
}  // namespace mtvuk
