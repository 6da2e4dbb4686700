#include "core/fielddata/field_file_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/number_line.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

using testing::HasSubstr;

// Value of block b at point k: unique per block, exact in %12.3e.
float PltValue(int b, int k) {
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

constexpr char kNoKeywords[] =
    "Can't find keywords:\n'>SPECTRA' for EDI-file\n'>ZXXR' for PLT-file";
constexpr char kNoHead[] = "Can't finf MT-data\n error keyword: '>HEAD'";
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

Read ReadText(const std::string& text, const std::string& suffix = ".plt") {
  Read r;
  test::TempFile file(text, suffix);
  r.ok = ReadFieldFile(file.path(), r.stores->workspace, r.ui, &r.kind);
  return r;
}

std::string Place(const SoundingBuffer& sb) {
  return sb.station + "|" + sb.lat + "|" + sb.lon + "|" + sb.elev;
}

// The text of the one "Invalid MT-file" message that refuses `text`.
std::string Refusal(const std::string& text,
                    Icon icon = Icon::kStop,
                    const std::string& suffix = ".plt") {
  Read r = ReadText(text, suffix);
  EXPECT_FALSE(r.ok);
  if (r.ui.prompts().size() != 1u) return "(not one message)";
  EXPECT_EQ(r.ui.prompts()[0].caption, "Invalid MT-file");
  EXPECT_EQ(r.ui.prompts()[0].icon, icon);
  return r.ui.prompts()[0].text;
}

void ExpectPltValues(const SoundingBuffer& sb, int n) {
  for (int b = 0; b < kSoundingArrays; ++b) {
    for (int k = 0; k < n; ++k)
      EXPECT_FLOAT_EQ(sb.Array(b)[k], PltValue(b, k)) << kSoundingKeywords[b];
  }
}

TEST(FieldFileReader, PltBlocksHeaderStationAndListing) {
  Read r = ReadText(PltText(3));
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.ui.prompts().empty());
  EXPECT_EQ(r.kind, FieldFileKind::kPlt);
  EXPECT_EQ(r.sb().nfreq, 3);
  ExpectPltValues(r.sb(), 3);
  EXPECT_EQ(r.sb().header, kHead);
  EXPECT_EQ(r.stores->workspace.header_present, 1);
  // Twelve characters after the marker, quote marks made blanks.
  EXPECT_EQ(Place(r.sb()), "SITE 042 ABC|-22:22:14|139:11:19|200");
  // The listing; imaginary parts with their sign reversed.
  const std::pair<int, const char*> listed[] = {
      {7, ">FREQ ROT=ZROT //3"},
      {11, "NFREQ =  3"},
      {12,
       "Imaginary parts ZXYI, ZYXI, ZXXI, ZYYI are listed with reversed sign"},
      {15,
       " 1   1.00e+04      3.01e+02     4.01e+02      5.01e+02     6.01e+02"},
      {24,
       "     F [Hz]       RHO_ERR_XY  PHS_ERR_XY    RHO_ERR_YX    PHS_ERR_YX"},
      {25,
       " 1   1.00e+04      9.01e+02     1.10e+03     -1.00e+03    -1.20e+03"}};
  for (const auto& [line, text] : listed) EXPECT_EQ(r.sb().listing[line], text);
  EXPECT_EQ(r.sb().listing_count, 31);
  EXPECT_EQ(r.stores->workspace.files.field_extension, "plt");

  // 30 head lines before the first keyword: the header keeps 23 of them.
  std::string head = ">HEAD\n";
  for (int i = 1; i <= 30; ++i) head += "  LINE" + std::to_string(i) + "\n";
  Read long_head = ReadText(head + PltText(3).substr(6));
  ASSERT_TRUE(long_head.ok);
  EXPECT_EQ(long_head.sb().header, head.substr(0, head.find("  LINE24")));

  // The station marker counts in the first 50 positions of its line.
  for (int blanks : {49, 50}) {
    std::string moved = PltText(3);
    moved.replace(moved.find("    DATAID"), 4, std::string(blanks, ' '));
    Read m = ReadText(moved);
    ASSERT_TRUE(m.ok) << blanks;
    EXPECT_EQ(m.sb().station, blanks == 49 ? "SITE 042 ABC" : "") << blanks;
  }
  // The last block ends at the end of the file; line ends do not matter.
  std::string text = PltText(5);
  text = text.substr(0, text.rfind("\n>END"));
  std::string crlf;
  for (char c : text)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& file : {text, crlf}) {
    Read f = ReadText(file);
    ASSERT_TRUE(f.ok);
    ExpectPltValues(f.sb(), 5);
    EXPECT_EQ(f.sb().header, kHead);
    EXPECT_EQ(Place(f.sb()), "SITE 042 ABC|-22:22:14|139:11:19|200");
  }
}

TEST(FieldFileReader, EveryMissingPltBlockHasItsOwnMessage) {
  // "Can't find " and the name each message gives its block, in order.
  std::istringstream names(
      "FREQ ZXXR ZXXI ZXYR ZXYI ZYXR >ZYXI ZYYR ZYYI RHOXY_ERR RHOYX_ERR "
      "PHSXY_ERR PHSYX_ERR");
  const std::vector<std::string> name{std::istream_iterator<std::string>(names),
                                      {}};
  ASSERT_EQ(name.size(), static_cast<std::size_t>(kSoundingArrays));
  // Without >ZXXR the file is not recognised as a PLT file at all.
  EXPECT_EQ(Refusal(PltText(4, 1), Icon::kExclamation), kNoKeywords);
  // Without an error block the message names the SEG EDI importer.
  const std::string hint = ImportHintText(ImportHint::kMenu);
  for (int b = 2; b < kSoundingArrays; ++b)
    EXPECT_EQ(Refusal(PltText(4, b)),
              "Can't find " + name[b] + (b >= 9 ? hint : ""));
  // Without >FREQ, or with an empty one, the data have no frequencies.
  const std::string text = PltText(4);
  const std::size_t at = text.find(">FREQ");
  EXPECT_EQ(Refusal(text.substr(0, text.find('\n', at) + 1) +
                    text.substr(text.find(">ZXXR"))),
            "Can't find FREQ");
  // No keyword at all, or valid data behind a first line that is not >HEAD.
  EXPECT_EQ(Refusal(">HEAD\n  DATAID=\"X\"\n>FREQ\n  1.000e+00\n>END\n",
                    Icon::kExclamation),
            kNoKeywords);
  EXPECT_EQ(Refusal(" " + PltText(3), Icon::kExclamation), kNoHead + hint);
  Read missing;
  EXPECT_FALSE(ReadFieldFile(
      "/no/such/file.edi", missing.stores->workspace, missing.ui));
  EXPECT_EQ(missing.ui.prompts()[0].caption, "CAN'T OPEN FILE");
  EXPECT_EQ(missing.ui.prompts()[0].text, "The file could not be located");
  EXPECT_EQ(missing.ui.prompts()[0].icon, Icon::kStop);
}

std::vector<float> Numbers(const std::string& line, int capacity = 100) {
  std::vector<float> out(static_cast<std::size_t>(capacity));
  int n = ReadNumbersOnLine(line, out.data(), capacity);
  out.resize(static_cast<std::size_t>(std::min(n, capacity)));
  return out;
}

// Short blocks, frequencies not positive and non-numbers refuse the file.
TEST(FieldFileReader, NumbersInFixedFieldsShortBlocksAndNonNumbers) {
  // >ZXXR keeps only its first line of six values.
  std::string seven = PltText(7);
  const std::size_t first_line = seven.find('\n', seven.find(">ZXXR"));
  const std::size_t cut = seven.find('\n', first_line + 1) + 1;
  seven.erase(cut, seven.find(">ZXXI") - cut);
  const std::string hint = ImportHintText(ImportHint::kMenu);
  EXPECT_EQ(Refusal(seven),
            "Block '>ZXXR' holds 6 values for 7 frequencies" + hint);

  // One value replaced by a text of the same width.
  auto with = [](int b_index, int k, const char* text) {
    std::string t = PltText(3);
    char field[32];
    std::snprintf(field,
                  sizeof field,
                  "%12.3e",
                  static_cast<double>(PltValue(b_index, k)));
    const std::size_t at = t.find(field, t.find(kSoundingKeywords[b_index]));
    return t.replace(at, 12, text);
  };
  const std::pair<std::string, std::string> refused[] = {
      {with(0, 1, "   0.000e+00"),
       "Frequency 2 of block '>FREQ' is not a positive number (0 Hz)"},
      {with(0, 0, "   +infinity"),
       "Frequency 1 of block '>FREQ' is not a positive number (inf Hz)"},
      {with(4, 1, "   nan(1234)"),
       "Value 2 of block '>ZXYI' is not a finite number (nan)"},
      {with(10, 2, "  -1.000e+39"),
       "Value 3 of block '>RHOYX.ERR' is not a finite number (-inf)"}};
  for (const auto& [text, says] : refused)
    EXPECT_EQ(Refusal(text), says + hint);
  // A garbled digit, a blank field or two numbers in one field.
  const std::pair<const char*, const char*> damages[] = {
      {"   3.02es+02", "13-24 (block '>ZXYR'): '3.02es+02' is not one number"},
      {"            ",
       "13-17 (block '>ZXYR'): a blank field where a number must stand"},
      {" 3.0 1234567",
       "13-24 (block '>ZXYR'): '3.0 1234567' is not one number"}};
  for (const auto& [field, says] : damages) {
    EXPECT_THAT(Refusal(with(3, 1, field)),
                HasSubstr(", line 16, columns " + std::string(says) +
                          "\nEach number stands alone in a field of at least "
                          "five characters, counting its leading blanks."));
  }
  // A byte-order mark before ">HEAD" is no refusal.
  Read bom = ReadText("\xEF\xBB\xBF" + PltText(3));
  EXPECT_TRUE(bom.ok);
  EXPECT_EQ(bom.sb().header, kHead);
  // The fields of a line: fixed widths, short numbers and odd text.
  const std::pair<std::string, std::vector<float>> lines[] = {
      {"   1.000e+03   2.500e-01  -3.000e+00 \n", {1000.0f, 0.25f, -3.0f}},
      {"  1.52125E-09 -6.65692E-12", {1.52125e-9f, -6.65692e-12f}},
      {" 12345 6789", {12345.0f, 6789.0f}},
      {"", {}},
      {"   ", {}},
      // "1 2 3" is one field of five characters: it reads as 1.
      {"1 2 3 45678", {1.0f, 45678.0f}},
      // A four-character field at the end of a line is not read at all.
      {"12345 678", {12345.0f}},
      // Five blanks make a field of their own that reads as 0.
      {"1.0e+03       ", {1000.0f, 0.0f}},
      // Tabs are not blanks.
      {"1.0e+03\t2.0e+03\t3.0e+03", {1000.0f}},
      // A NUL byte ends the line as it would a C string.
      {std::string("  1.0e+00\0  2.0e+00", 19), {1.0f}}};
  for (const auto& [line, numbers] : lines) EXPECT_EQ(Numbers(line), numbers);
  // Such fields, and garbled ones, are counted for the user.
  float out[8];
  OddFields odd;
  EXPECT_EQ(ReadNumbersOnLine("   2.773es02   1.0e+00       ", out, 8, &odd),
            3);
  EXPECT_EQ(out[0], 2.773f);
  EXPECT_EQ(odd.count, 2);  // the garbled number and the five blanks
  EXPECT_EQ(odd.first, "2.773es02");
  ReadNumbersOnLine("1 2 3 45678", out, 8, &odd);
  EXPECT_EQ(odd.count, 3);
  EXPECT_EQ(odd.first, "2.773es02");

  std::string many;
  for (int i = 0; i < 130; ++i) many += "  1.0e+00";
  float hundred[100];
  EXPECT_EQ(ReadNumbersOnLine(many, hundred, 100), 130);
  std::vector<float> wild =
      Numbers("   nan    inf   1e400  -1e400  1e-50  abcde");
  ASSERT_EQ(wild.size(), 6u);
  EXPECT_TRUE(std::isnan(wild[0]));
  EXPECT_TRUE(std::isinf(wild[1]));
  EXPECT_TRUE(std::isinf(wild[2]) && wild[2] > 0);
}

// An EDI spectra block of a fixed matrix times `scale`.
std::string SpectraBlock(double freq, double scale) {
  char line[160];
  std::snprintf(line,
                sizeof line,
                ">SPECTRA  FREQ=%.3E ROTSPEC=0 AVGT=1.0000E+03 // 49\n",
                freq);
  std::string out = line;
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

TEST(FieldFileReader, EdiBlocksSortedHeaderValuesAndShortBlocks) {
  Read r = ReadText(EdiText(5), ".edi");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.kind, FieldFileKind::kEdi);
  ASSERT_EQ(r.sb().nfreq, 5);
  // The file's order is 1, 20, 1/3, 40, 0.2 Hz.
  const float freq[5] = {40.0f, 20.0f, 1.0f, 1.0f / 3, 0.2f};
  for (int k = 0; k < 5; ++k)
    EXPECT_NEAR(r.sb().freq[k], freq[k], 1e-3 * freq[k]);
  // Scaling the matrix leaves Z unchanged (the blocks of 1 and 40 Hz).
  EXPECT_NEAR(r.sb().zxyr[2], r.sb().zxyr[0], 1e-5 * std::fabs(r.sb().zxyr[0]));
  EXPECT_NE(r.sb().zxyr[0], 0.0f);
  EXPECT_EQ(r.sb().listing[11], "NFREQ =  5");

  // Header values carry over; short blocks are refused.
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
  // A block without FREQ= takes the previous 100 Hz; the first is kept.
  Read e = ReadText(text + tail, ".edi");
  ASSERT_TRUE(e.ok);
  ASSERT_EQ(e.sb().nfreq, 2);
  EXPECT_FLOAT_EQ(e.sb().freq[0], 100.0f);
  EXPECT_FLOAT_EQ(e.sb().freq[1], 3.0f);
  ASSERT_EQ(e.ui.prompts().size(), 1u);
  EXPECT_EQ(e.ui.prompts()[0].text,
            "Equal frequencies: the first point of each is kept, dropped 100 "
            "Hz (point 2)");
  EXPECT_NEAR(e.sb().zxyr[1], e.sb().zxyr[0], 1e-6 * std::fabs(e.sb().zxyr[0]));

  // A block of one matrix line ends at the next keyword and is refused.
  const std::string hint = ImportHintText(ImportHint::kMenu);
  EXPECT_EQ(Refusal(text + short_block + tail, Icon::kStop, ".edi"),
            "'>SPECTRA' block 3 (FREQ=7 Hz) holds 7 of the 49 values of its "
            "matrix" +
                hint);
  // Cut after a whole block: read, and the missing ">END" is noticed.
  Read no_end = ReadText(text + tail.substr(0, tail.find(">END")), ".edi");
  ASSERT_TRUE(no_end.ok);
  EXPECT_EQ(no_end.sb().nfreq, 2);
  ASSERT_EQ(no_end.ui.prompts().size(), 2u);
  EXPECT_EQ(no_end.ui.prompts()[1].text,
            "The file ends without '>END' after 3 '>SPECTRA' blocks:\nit may "
            "have been cut short.");
  // So does a first block without a frequency.
  EXPECT_EQ(Refusal(text.substr(0, text.find(">SPECTRA")) + no_freq + ">END\n",
                    Icon::kStop,
                    ".edi"),
            "'>SPECTRA' block 1: the value after FREQ= ('(none)', up to the "
            "next blank) is not a positive frequency");
}

// Beyond 100 values (PLT) or blocks (EDI) the first 100 are read.
TEST(FieldFileReader, KeepsTheFirstHundredPointsAndTheFilterFollowsTheFile) {
  Read r = ReadText(PltText(130));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.sb().nfreq, 100);
  ExpectPltValues(r.sb(), 100);
  ASSERT_EQ(r.ui.prompts().size(), 1u);
  EXPECT_EQ(r.ui.prompts()[0].text,
            "Block '>FREQ' holds 130 values;\nonly the first 100 are read.");
  EXPECT_EQ(r.sb().listing_count, 14 + 3 * 101 + 2 + 3);
  Read edi = ReadText(EdiText(104), ".edi");
  ASSERT_TRUE(edi.ok);
  EXPECT_EQ(edi.sb().nfreq, 100);
  ASSERT_EQ(edi.ui.prompts().size(), 1u);
  EXPECT_EQ(
      edi.ui.prompts()[0].text,
      "The file holds 104 '>SPECTRA' blocks;\nonly the first 100 are read.");
  // The open dialog's filter follows the last extension read.
  EXPECT_STREQ(
      FieldFileFilter("plt"),
      "MT-files (*.PLT)|*.PLT|MT-files (*.EDI)|*.EDI|All Files (*.*)|*.*||");
  EXPECT_STREQ(FieldFileFilter("PlT"), FieldFileFilter("PLT"));
  EXPECT_STREQ(
      FieldFileFilter("edi"),
      "MT-files (*.EDI)|*.EDI|MT-files (*.PLT)|*.PLT|All Files (*.*)|*.*||");
  EXPECT_STREQ(FieldFileFilter(""), FieldFileFilter("EDI"));
}

// Bad input ends in a message or a complete read, the sets untouched.
TEST(ReaderRobustness, HostileFilesAndHugeValues) {
  std::string garbage;
  std::mt19937 rng(7);
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>(rng() & 0xff);
  for (const std::string& content :
       {std::string(),
        std::string(">HEAD\n>ZXXR"),
        std::string(">HEAD\n>SPECTRA"),
        std::string(">HEAD\n DATAID=\"\n>SPECTRA FREQ= AVGT=\n"),
        std::string(">HEAD\n DATAID=\"X\"\n>SPECTRA FREQ=1 AVGT=0\n1\n"),
        garbage,
        ">HEAD\n" + garbage + "\n>ZXXR\n" + garbage,
        ">HEAD\n DATAID=\"N\"\n>SPECTRA FREQ=nan AVGT=inf\n" +
            std::string(7, '\n') + ">END\n"}) {
    Read r = ReadText(content, ".edi");
    EXPECT_TRUE(r.ok || !r.ui.prompts().empty());
    EXPECT_GE(r.sb().nfreq, 0);
    EXPECT_LE(r.sb().nfreq, MaxFreq);
    EXPECT_LE(r.sb().listing_count, kListingLines);
    EXPECT_EQ(r.stores->sets[0].in_use, -1);
  }
  // Values beyond any sounding's range but finite are kept.
  std::string text = ">HEAD\n  DATAID=\"BIG\"\n";
  for (const char* k : kSoundingKeywords)
    text += std::string(k) + "\n  1.0e+00  2.0e+00  1.0e+32\n";
  Read r = ReadText(text);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.sb().zxyr[0], 1e32f);  // sorted by falling frequency: 1e32 Hz
  EXPECT_TRUE(r.ui.prompts().empty());
}

struct Expectation {
  const char* file;
  int nfreq;            // -1: refused
  const char* station;  // when read
  const char* message;  // text of the first message, "" for none
};

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

// The spectra and impedance files of one site, by both readers: one tensor.
TEST(RealFiles, SpectraAndImpedanceFilesOfOneSiteAgree) {
  // The reader on spe and imp, then the importer on spe and imp.
  std::unique_ptr<Stores> s[4];
  ScriptedUi ui;
  EdiImportReport report[2];
  for (int i = 0; i < 4; ++i) {
    const std::string path =
        test::RealDataPath(i % 2 ? "15125A_imp.edi" : "15125A_spe.edi");
    s[i] = test::NewStores();
    ASSERT_TRUE(i < 2 ? ReadFieldFile(path, s[i]->workspace, ui)
                      : ImportEdiFile(path,
                                      s[i]->workspace,
                                      ui,
                                      kDefaultImportError,
                                      &report[i - 2]));
  }
  EXPECT_TRUE(report[0].spectra);
  EXPECT_EQ(report[1].error_source, "RHO/PHS .ERR");
  const SoundingBuffer& b = s[1]->workspace.sounding;
  for (int i = 0; i < 4; ++i) {
    const SoundingBuffer* a = &s[i]->workspace.sounding;
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
  EXPECT_EQ(s[0]->workspace.sounding.listing[0], "    DATAID=\"15125A\"");
}

}  // namespace
}  // namespace mtvuk
