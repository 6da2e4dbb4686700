#include "core/fielddata/field_file_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// Value of block b at point k in the synthetic files: unique per block.
float PltValue(int b, int k) {
  // Values with four significant digits survive the %12.3e columns exactly.
  return b == 0 ? 10000.0f - 50.0f * static_cast<float>(k)
                : static_cast<float>(b * 100 + k + 1) * (b % 2 ? 1.0f : -1.0f);
}

std::string Values(int b, int n) {
  std::string out;
  char field[32];
  for (int k = 0; k < n; ++k) {
    std::snprintf(
        field, sizeof field, "%12.3e", static_cast<double>(PltValue(b, k)));
    out += field;
    if (k % 6 == 5 || k == n - 1) out += " \n";
  }
  return out;
}

const char kHead[] =
    ">HEAD\n"
    "    DATAID=\"SITE\"042\"ABCDEFG\"\n"
    "    ACQBY=\"MT-SONDRAKE\"\n"
    "    LAT=-22:22:14.9\n"
    "    LONG=139:11:19.1\n"
    "    ELEV=200 M\n"
    "\n";

// A PLT file with n points in every block; `skip` leaves one block out.
std::string PltText(int n, int skip = -1) {
  std::string text = kHead;
  text += ">!****FREQUENCIES****!\n";
  for (int b = 0; b < kSoundingArrays; ++b) {
    if (b == skip) continue;
    text += std::string(kSoundingKeywords[b]) + " ROT=ZROT //" +
            std::to_string(n) + "\n";
    text += Values(b, n);
  }
  return text + "\n>END\n";
}

struct Read {
  std::unique_ptr<Stores> stores = test::NewStores();
  ScriptedUi ui;
  bool ok = false;
  FieldFileKind kind = FieldFileKind::kEdi;
  const SoundingBuffer& sb() const { return stores->workspace.sounding; }
};

void ReadText(Read& r,
              const std::string& text,
              const std::string& suffix = ".plt") {
  test::TempFile file(text, suffix);
  r.ok = ReadFieldFile(file.path(), r.stores->workspace, r.ui, &r.kind);
}

TEST(FieldFileReader, PltBlocksHeaderStationAndListing) {
  Read r;
  ReadText(r, PltText(3));
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.ui.prompts().empty());
  EXPECT_EQ(r.kind, FieldFileKind::kPlt);
  EXPECT_EQ(r.sb().nfreq, 3);
  for (int b = 0; b < kSoundingArrays; ++b) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_FLOAT_EQ(r.sb().Array(b)[k], PltValue(b, k))
          << kSoundingKeywords[b];
    }
  }
  EXPECT_EQ(
      r.sb().header,
      ">HEAD\n    DATAID=\"SITE\"042\"ABCDEFG\"\n    ACQBY=\"MT-SONDRAKE\"\n"
      "    LAT=-22:22:14.9\n    LONG=139:11:19.1\n    ELEV=200 M\n\n");
  EXPECT_EQ(r.stores->workspace.header_present, 1);
  // Twelve characters after the marker, quote marks made blanks.
  EXPECT_EQ(r.sb().station, "SITE 042 ABC");
  EXPECT_EQ(r.sb().lat, "-22:22:14");
  EXPECT_EQ(r.sb().lon, "139:11:19");
  EXPECT_EQ(r.sb().elev, "200");
  // The nine lines after the station line are listed whatever they hold;
  // imaginary parts are listed with their sign reversed.
  const std::pair<int, const char*> listed[] = {
      {0, "    DATAID=\"SITE\"042\"ABCDEFG\""},
      {6, ">!****FREQUENCIES****!"},
      {7, ">FREQ ROT=ZROT //3"},
      {10, "*****************************"},
      {11, "NFREQ =  3"},
      {12,
       "Imaginary parts ZXYI, ZYXI, ZXXI, ZYYI are listed with reversed sign"},
      {14,
       "     F [Hz]         ZXYR         ZXYI         ZYXR         ZYXI   "},
      {15,
       " 1   1.00e+04      3.01e+02     4.01e+02      5.01e+02     6.01e+02"},
      {19,
       "     F [Hz]         ZXXR         ZXXI         ZYYR         ZYYI   "},
      {24,
       "     F [Hz]       RHO_ERR_XY  PHS_ERR_XY    RHO_ERR_YX    PHS_ERR_YX"},
      {25,
       " 1   1.00e+04      9.01e+02     1.10e+03     -1.00e+03    -1.20e+03"}};
  for (const auto& [line, text] : listed) EXPECT_EQ(r.sb().listing[line], text);
  EXPECT_EQ(r.sb().listing_count, 31);
  EXPECT_EQ(r.stores->workspace.files.field_extension, "plt");
}

TEST(FieldFileReader, HeaderKeepsTwentyThreeLinesAndStationLineItsColumns) {
  // 30 head lines before the first keyword: the header keeps 23 of them.
  std::string head = ">HEAD\n";
  for (int i = 1; i <= 30; ++i) head += "  LINE" + std::to_string(i) + "\n";
  std::string text = PltText(3);
  text.replace(0, std::string(">HEAD\n").size(), head);
  Read r;
  ReadText(r, text);
  ASSERT_TRUE(r.ok);
  std::string expected = ">HEAD\n";
  for (int i = 1; i <= 23; ++i) expected += "  LINE" + std::to_string(i) + "\n";
  EXPECT_EQ(r.sb().header, expected);

  // The station marker counts when it starts at one of the first 50
  // positions of its line.
  for (int blanks : {49, 50}) {
    std::string moved = PltText(3);
    moved.replace(moved.find("    DATAID"), 4, std::string(blanks, ' '));
    Read m;
    ReadText(m, moved);
    ASSERT_TRUE(m.ok) << blanks;
    EXPECT_EQ(m.sb().station, blanks == 49 ? "SITE 042 ABC" : "") << blanks;
  }
}

TEST(FieldFileReader, EveryMissingPltBlockHasItsOwnMessage) {
  const char* const kTexts[kSoundingArrays] = {"Can't find FREQ",
                                               "Can't find ZXXR",
                                               "Can't find ZXXI",
                                               "Can't find ZXYR",
                                               "Can't find ZXYI",
                                               "Can't find ZYXR",
                                               "Can't find >ZYXI",
                                               "Can't find ZYYR",
                                               "Can't find ZYYI",
                                               "Can't find RHOXY_ERR",
                                               "Can't find RHOYX_ERR",
                                               "Can't find PHSXY_ERR",
                                               "Can't find PHSYX_ERR"};
  // Without >ZXXR the file is not recognised as a PLT file at all.
  Read no_zxxr;
  ReadText(no_zxxr, PltText(4, 1));
  ASSERT_FALSE(no_zxxr.ok);
  EXPECT_EQ(no_zxxr.ui.prompts()[0].text.substr(0, 20), "Can't find keywords:");
  // Without an error block the SEG EDI importer reads the file (with its
  // default errors), and the message says so; without an impedance block
  // it does not.
  const std::string hint = ImportHintText(ImportHint::kMenu);
  for (int b = 2; b < kSoundingArrays; ++b) {
    Read r;
    ReadText(r, PltText(4, b));
    EXPECT_FALSE(r.ok) << b;
    ASSERT_EQ(r.ui.prompts().size(), 1u) << b;
    EXPECT_EQ(r.ui.prompts()[0].text, kTexts[b] + (b >= 9 ? hint : ""));
    EXPECT_EQ(r.ui.prompts()[0].caption, "Invalid MT-file");
    EXPECT_EQ(r.ui.prompts()[0].icon, Icon::kStop);
  }
  // Without >FREQ, or with an empty one, the data have no frequencies.
  std::string text = PltText(4);
  std::size_t at = text.find(">FREQ");
  Read empty_freq;
  ReadText(empty_freq,
           text.substr(0, text.find('\n', at) + 1) +
               text.substr(text.find(">ZXXR")));
  ASSERT_FALSE(empty_freq.ok);
  EXPECT_EQ(empty_freq.ui.prompts()[0].text, kTexts[0]);
}

TEST(FieldFileReader, RefusesFilesWithoutKeywordsOrHead) {
  Read none;
  ReadText(none, ">HEAD\n  DATAID=\"X\"\n>FREQ\n  1.000e+00\n>END\n");
  ASSERT_FALSE(none.ok);
  ASSERT_EQ(none.ui.prompts().size(), 1u);
  EXPECT_EQ(
      none.ui.prompts()[0].text,
      "Can't find keywords:\n'>SPECTRA' for EDI-file\n'>ZXXR' for PLT-file");
  EXPECT_EQ(none.ui.prompts()[0].caption, "Invalid MT-file");
  EXPECT_EQ(none.ui.prompts()[0].icon, Icon::kExclamation);

  // Valid data behind a first line that is not >HEAD.
  Read no_head;
  ReadText(no_head, " " + PltText(3));
  ASSERT_FALSE(no_head.ok);
  EXPECT_EQ(no_head.ui.prompts()[0].text,
            "Can't finf MT-data\n error keyword: '>HEAD'" +
                std::string(ImportHintText(ImportHint::kMenu)));
  EXPECT_EQ(no_head.ui.prompts()[0].icon, Icon::kExclamation);

  Read missing;
  ASSERT_FALSE(ReadFieldFile(
      "/no/such/file.edi", missing.stores->workspace, missing.ui));
  EXPECT_EQ(missing.ui.prompts()[0].caption, "CAN'T OPEN FILE");
  EXPECT_EQ(missing.ui.prompts()[0].text, "The file could not be located");
  EXPECT_EQ(missing.ui.prompts()[0].icon, Icon::kStop);
}

TEST(FieldFileReader, LastBlockEndsAtTheEndOfTheFileAndLineEndsDoNotMatter) {
  std::string text = PltText(5);
  text = text.substr(0, text.rfind("\n>END"));  // no line after the last block
  Read lf;
  ReadText(lf, text);
  ASSERT_TRUE(lf.ok);
  EXPECT_FLOAT_EQ(lf.sb().phsyx_err[4], PltValue(12, 4));

  std::string crlf;
  for (char c : text)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  Read r;
  ReadText(r, crlf);
  ASSERT_TRUE(r.ok);
  for (int b = 0; b < kSoundingArrays; ++b) {
    for (int k = 0; k < 5; ++k)
      ASSERT_EQ(r.sb().Array(b)[k], lf.sb().Array(b)[k]);
  }
  EXPECT_EQ(r.sb().header, lf.sb().header);
  EXPECT_EQ(r.sb().station, lf.sb().station);
}

// Nothing may stand in for a value the file does not give: a block shorter
// than the frequency list, a frequency that is not positive, and a value
// that is not a number refuse the file, and the message says where.
TEST(FieldFileReader, ShortBlocksBadFrequenciesAndNonNumbersAreRefused) {
  auto refusal = [](const std::string& text) {
    Read r;
    ReadText(r, text);
    EXPECT_FALSE(r.ok);
    if (r.ui.prompts().size() != 1u) return std::string("(no message)");
    EXPECT_EQ(r.ui.prompts()[0].caption, "Invalid MT-file");
    EXPECT_EQ(r.ui.prompts()[0].icon, Icon::kStop);
    return r.ui.prompts()[0].text;
  };
  // >ZXXR keeps only its first line of six values for seven frequencies.
  std::string seven = PltText(7);
  std::size_t a = seven.find(">ZXXR");
  std::size_t b = seven.find(">ZXXI");
  std::string block = seven.substr(a, b - a);
  std::size_t second = block.find('\n', block.find('\n') + 1);
  seven.replace(a, b - a, block.substr(0, second + 1));
  // The SEG EDI importer leaves such points out, so the message points there.
  const std::string hint = ImportHintText(ImportHint::kMenu);
  EXPECT_EQ(refusal(seven),
            "Block '>ZXXR' holds 6 values for 7 frequencies" + hint);

  // One value replaced by a text of the same width (a run of five blanks
  // would be read as a number of its own).
  auto with = [](int b_index, int k, const char* text) {
    std::string t = PltText(3);
    char field[32];
    std::snprintf(field,
                  sizeof field,
                  "%12.3e",
                  static_cast<double>(PltValue(b_index, k)));
    const std::size_t at = t.find(field, t.find(kSoundingKeywords[b_index]));
    t.replace(at, 12, text);
    return t;
  };
  EXPECT_EQ(
      refusal(with(0, 1, "   0.000e+00")),
      "Frequency 2 of block '>FREQ' is not a positive number (0 Hz)" + hint);
  EXPECT_EQ(
      refusal(with(0, 2, "  -1.000e+02")),
      "Frequency 3 of block '>FREQ' is not a positive number (-100 Hz)" + hint);
  EXPECT_EQ(
      refusal(with(0, 0, "   +infinity")),
      "Frequency 1 of block '>FREQ' is not a positive number (inf Hz)" + hint);
  EXPECT_EQ(refusal(with(4, 1, "   nan(1234)")),
            "Value 2 of block '>ZXYI' is not a finite number (nan)" + hint);
  EXPECT_EQ(
      refusal(with(10, 2, "  -1.000e+39")),
      "Value 3 of block '>RHOYX.ERR' is not a finite number (-inf)" + hint);
  // A garbled digit, a blank field or two numbers in one field refuse the
  // file, with the line and the columns (the path of the temporary file
  // stands first); a run of blanks is cut into fields of five characters.
  const std::pair<const char*, const char*> damages[] = {
      {"   3.02es+02", "13-24 (block '>ZXYR'): '3.02es+02' is not one number"},
      {"            ",
       "13-17 (block '>ZXYR'): a blank field where a number must stand"},
      {" 3.0 1234567",
       "13-24 (block '>ZXYR'): '3.0 1234567' is not one number"}};
  for (const auto& [field, says] : damages) {
    const std::string shown = refusal(with(3, 1, field));
    EXPECT_NE(shown.find(", line 16, columns " + std::string(says) + "\n"),
              std::string::npos)
        << shown;
  }
  EXPECT_NE(refusal(with(3, 1, "   3.02es+02"))
                .find("\nEach number stands alone in a field of at least five "
                      "characters, counting its leading blanks."),
            std::string::npos);
  // A byte-order mark before ">HEAD" is no refusal.
  Read bom;
  ReadText(bom, "\xEF\xBB\xBF" + PltText(3));
  EXPECT_TRUE(bom.ok);
  EXPECT_EQ(bom.sb().header.substr(0, 6), ">HEAD\n");
}

// An EDI spectra block whose matrix has ZXY = ZYX-like structure; the values
// only need to be distinct per block.
std::string SpectraBlock(double freq, double scale, bool with_avgt = true) {
  char line[160];
  std::string out;
  std::snprintf(line,
                sizeof line,
                ">SPECTRA  FREQ=%.3E ROTSPEC=0 %s// 49\n",
                freq,
                with_avgt ? "AVGT=1.0000E+03 " : "");
  out += line;
  const double m[7][7] = {{1, 0.1, 0.01, 2, -3, 0.9, 0.05},
                          {0.2, 1.2, 0.02, 4, 1, 0.1, 1.1},
                          {0.01, 0.02, 0.1, 0.1, 0.1, 0.01, 0.01},
                          {1, 0.5, 0.1, 30, 2, 1.5, 3.5},
                          {-2, 0.3, 0.1, 1, 25, -2.5, 0.8},
                          {0.95, 0.12, 0.01, 2.2, -2.9, 1.1, 0.07},
                          {0.04, 1.05, 0.01, 3.9, 1.1, 0.09, 1.3}};
  for (const auto& row : m) {
    for (double v : row) {
      std::snprintf(line, sizeof line, " %12.5E", v * scale);
      out += line;
    }
    out += "\n";
  }
  return out;
}

std::string EdiText(int blocks) {
  std::string text = kHead;
  text += "    STDVERS=\"SEG 1.0\"\n    X=1\n    Y=2\n    Z=3\n";
  text += ">=SPECTRASECT\n   NFREQ=" + std::to_string(blocks) + "\n";
  for (int k = 0; k < blocks; ++k) {
    text += SpectraBlock(k % 2 ? 10.0 * (k + 1) : 1.0 / (k + 1), 1.0 + k);
  }
  return text + ">END\n";
}

TEST(FieldFileReader, EdiBlocksAreSortedByFallingFrequency) {
  Read r;
  ReadText(r, EdiText(5), ".edi");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.kind, FieldFileKind::kEdi);
  ASSERT_EQ(r.sb().nfreq, 5);
  // The file's order is 1, 20, 1/3, 40, 0.2 Hz.
  const float freq[5] = {40.0f, 20.0f, 1.0f, 1.0f / 3, 0.2f};
  for (int k = 0; k < 5; ++k)
    EXPECT_NEAR(r.sb().freq[k], freq[k], 1e-3 * freq[k]);
  // Scaling the whole matrix leaves Z unchanged (the blocks of 1 and 40 Hz).
  EXPECT_NEAR(r.sb().zxyr[2], r.sb().zxyr[0], 1e-5 * std::fabs(r.sb().zxyr[0]));
  EXPECT_NE(r.sb().zxyr[0], 0.0f);
  EXPECT_EQ(r.sb().listing[11], "NFREQ =  5");
}

TEST(FieldFileReader, EdiHeaderValuesCarryOverAndShortBlocksAreRefused) {
  std::string text = kHead;
  text += "    X=1\n    Y=2\n    Z=3\n    W=4\n>=SPECTRASECT\n";
  text += SpectraBlock(100.0, 1.0);
  std::string no_freq = SpectraBlock(5.0, 2.0);
  no_freq.replace(no_freq.find("FREQ="), 5, "F_Q=");
  text += no_freq;
  std::string short_block = SpectraBlock(7.0, 1.0);
  short_block.erase(short_block.find('\n', short_block.find('\n') + 1) + 1);
  const std::string tail = SpectraBlock(3.0, 1.0) + ">END\n" +
                           SpectraBlock(99.0, 1.0);  // after >END: not data
  // The block without a frequency takes the previous block's 100 Hz; of
  // two equal frequencies the first is kept, and the user is told.
  Read r;
  ReadText(r, text + tail, ".edi");
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.sb().nfreq, 2);
  EXPECT_FLOAT_EQ(r.sb().freq[0], 100.0f);
  EXPECT_FLOAT_EQ(r.sb().freq[1], 3.0f);
  ASSERT_EQ(r.ui.prompts().size(), 1u);
  EXPECT_EQ(r.ui.prompts()[0].text,
            "Equal frequencies: the first point of each is kept, dropped 100 "
            "Hz (point 2)");
  EXPECT_NEAR(r.sb().zxyr[1], r.sb().zxyr[0], 1e-6 * std::fabs(r.sb().zxyr[0]));

  // A block of the header line and one matrix line ends at the next keyword;
  // its missing values refuse the file.
  Read cut;
  ReadText(cut, text + short_block + tail, ".edi");
  ASSERT_FALSE(cut.ok);
  ASSERT_EQ(cut.ui.prompts().size(), 1u);
  EXPECT_EQ(cut.ui.prompts()[0].text,
            "'>SPECTRA' block 3 (FREQ=7 Hz) holds 7 of the 49 values of its "
            "matrix" +
                std::string(ImportHintText(ImportHint::kMenu)));
  // Cut after a whole block: read, and the missing ">END" is noticed.
  Read no_end;
  ReadText(no_end, text + tail.substr(0, tail.find(">END")), ".edi");
  ASSERT_TRUE(no_end.ok);
  EXPECT_EQ(no_end.sb().nfreq, 2);
  ASSERT_EQ(no_end.ui.prompts().size(), 2u);
  EXPECT_EQ(no_end.ui.prompts()[1].text,
            "The file ends without '>END' after 3 '>SPECTRA' blocks:\nit may "
            "have been cut short.");
  // So does a first block without a frequency.
  Read first;
  ReadText(first,
           text.substr(0, text.find(">SPECTRA")) + no_freq + ">END\n",
           ".edi");
  ASSERT_FALSE(first.ok);
  EXPECT_EQ(first.ui.prompts()[0].text,
            "'>SPECTRA' block 1: the value after FREQ= ('(none)', up to the "
            "next blank) is not a positive frequency");
}

// Beyond 100 values (PLT) or blocks (EDI) the first 100 are read.
TEST(FieldFileReader, KeepsTheFirstHundredPointsAndSaysSo) {
  Read r;
  ReadText(r, PltText(130));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.sb().nfreq, 100);
  EXPECT_FLOAT_EQ(r.sb().freq[99], PltValue(0, 99));
  EXPECT_FLOAT_EQ(r.sb().phsyx_err[99], PltValue(12, 99));
  ASSERT_EQ(r.ui.prompts().size(), 1u);
  EXPECT_EQ(r.ui.prompts()[0].text,
            "Block '>FREQ' holds 130 values;\nonly the first 100 are read.");
  EXPECT_EQ(r.sb().listing_count, 14 + 3 * 101 + 2 + 3);
  Read edi;
  ReadText(edi, EdiText(104), ".edi");
  ASSERT_TRUE(edi.ok);
  EXPECT_EQ(edi.sb().nfreq, 100);
  ASSERT_EQ(edi.ui.prompts().size(), 1u);
  EXPECT_EQ(
      edi.ui.prompts()[0].text,
      "The file holds 104 '>SPECTRA' blocks;\nonly the first 100 are read.");
}

TEST(FieldFileReader, OpenDialogFilterFollowsTheLastExtension) {
  EXPECT_STREQ(
      FieldFileFilter("plt"),
      "MT-files (*.PLT)|*.PLT|MT-files (*.EDI)|*.EDI|All Files (*.*)|*.*||");
  EXPECT_STREQ(FieldFileFilter("PlT"), FieldFileFilter("PLT"));
  EXPECT_STREQ(
      FieldFileFilter("edi"),
      "MT-files (*.EDI)|*.EDI|MT-files (*.PLT)|*.PLT|All Files (*.*)|*.*||");
  EXPECT_STREQ(FieldFileFilter(""), FieldFileFilter("EDI"));
}

}  // namespace
}  // namespace mtvuk
