#include "core/files/trf_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "core/depth/depth_transform.h"
#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/smoothing.h"
#include "core/files/fixed_columns.h"
#include "core/files/fixed_fields.h"
#include "core/files/int_file.h"
#include "core/files/name_text.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

using ::testing::HasSubstr;

// A transformed set of three points; the third has no resistivity.
FieldSet ThreePoints() {
  FieldSet s;
  s.in_use = 1;
  s.smoothed = 1;
  s.count = 3;
  s.label = "XY 15125A";
  s.header = ">HEAD\n  DATAID=\"S1\"\n";
  s.coordinates = {1234.5f, -20.0f, 310.0f};
  s.coordinate_text = {"12:30:00", "045:10:00", "310"};
  const float depth[3] = {-100.0f, -2500.0f, -12345.0f};
  const float log_res[3] = {2.0f, 1.0f, kMissingLog};
  for (int i = 0; i < 3; ++i) {
    s.depth[i] = depth[i];
    s.log_res[i] = log_res[i];
  }
  return s;
}

std::string CrLf(const std::string& text) {
  return std::regex_replace(text, std::regex("\n"), "\r\n");
}

TEST(TrfFile, BlockOfAFieldSetColumnByColumn) {
  const FieldSet s = ThreePoints();
  EXPECT_TRUE(HasTransformation(s));
  EXPECT_EQ(TransformationCount(s), 2);
  EXPECT_EQ(FormatTrfBlock(s),
            ">HEAD\n  DATAID=\"S1\"\n"
            ">TRANSFORMATION: XY 15125A      /      1234.5/       -20.0/ "
            "310.0/  2/\n"
            "Depth  (km)       0.100     2.500\n"
            "Res (Ohm-m)     100.000    10.000\n" +
                std::string(50, '*') + "\n\n");

  // 100 points; a name cut to 12; a value of 1e6 or more 11 characters.
  FieldSet full = ThreePoints();
  full.header.clear();
  full.count = 100;
  full.label = "ABCDEFGHIJKLMNOP";
  for (int i = 0; i < 100; ++i) {
    full.depth[i] = -100.0f * static_cast<float>(i + 1);
    full.log_res[i] = 1.5f;
  }
  full.log_res[7] = 6.5f;
  const std::string block = FormatTrfBlock(full);
  const std::size_t depth_line = block.find('\n') + 1;
  const std::size_t res_line = block.find('\n', depth_line) + 1;
  EXPECT_EQ(block.substr(0, 32), ">TRANSFORMATION: ABCDEFGHIJKL   ");
  EXPECT_EQ(block.substr(66, 5), "100/\n");
  EXPECT_EQ(res_line - depth_line - 1, 1013u);
  EXPECT_EQ(block.find('\n', res_line) - res_line, 1014u);
  EXPECT_EQ(block.substr(depth_line + 13 + 990, 10), "    10.000");
  EXPECT_EQ(block.substr(res_line + 13 + 70, 11), "3162277.660");
  EXPECT_EQ(block.substr(res_line + 13 + 81, 10), "    31.623");

  // Nothing to save: not transformed, switched off, all points missing.
  FieldSet off = ThreePoints();
  off.depth_switch = 0;
  EXPECT_FALSE(HasTransformation(off));
  off = ThreePoints();
  off.smoothed = 0;
  EXPECT_FALSE(HasTransformation(off));
  off = ThreePoints();
  off.log_res.fill(kMissingLog);
  EXPECT_FALSE(HasTransformation(off));

  EXPECT_EQ(TrfBlockProblem(ThreePoints()), "");
  FieldSet broken = ThreePoints();
  broken.label = "P1\nP2";  // would split the header line
  EXPECT_NE(TrfBlockProblem(broken).find("line break"), std::string::npos);
}

TEST(TrfFile, TheReaderFillsStationsFromIndependentlyWrittenBlocks) {
  const std::string stars(50, '*');
  std::string text = ">HEAD\r\n    DATAID=\"A1\"\r\n";
  text +=
      ">TRANSFORMATION:   LEADING      /       100.0/       200.0/  10.0/  "
      "3/\r\n"
      "Depth  (km)       0.100     0.250     1.000\r\n"
      "Res (Ohm-m)      50.000    20.000   300.000\r\n" +
      stars + "\r\n\r\n";
  // A sea-floor altitude written without its decimal.
  auto block = [&stars](const std::string& name,
                        const std::string& count,
                        const std::string& d,
                        const std::string& r) {
    return ">TRANSFORMATION: " + columns::NameField(name) +
           " /      1500.0/      2500.0/ -3000/" + count + "/\n" +
           "Depth  (km)  " + d + "\nRes (Ohm-m)  " + r + "\n" + stars + "\n\n";
  };
  // One wrong character in the header: still a block.
  std::string b2 = block("B2", "  1", "     0.000", "     0.000");
  b2[14] = 'X';
  text += b2;
  // Cut short: the next block's header follows the depth line.
  text +=
      ">TRANSFORMATION: CUT            /         0.0/         0.0/   0.0/  "
      "2/\n"
      "Depth  (km)       0.100     0.200\n";
  // 120 values announced: 100 are kept. The head block before carries over.
  std::string depths = "Depth  (km)  ", res = "Res (Ohm-m)  ";
  for (int i = 0; i < 120; ++i) {
    char v[16];
    std::snprintf(v, sizeof v, "%10.3f", 0.1 * (i + 1));
    depths += v;
    std::snprintf(v, sizeof v, "%10.3f", 10.0 + i);
    res += v;
  }
  text +=
      ">TRANSFORMATION: MANY           /         1.0/         2.0/-412.5/"
      "120/\n" +
      depths + "\n" + res + "\n" + stars + "\n\n";
  text += block("SHORT", "  3", "     0.500     0.900", "    10.000    20.000");
  text += block("NAN", "  1", "       nan", "    10.000");
  const std::string two = "     0.100     1.000";
  text += block("GOOD", "  2", two, "    50.000   300.000");
  text +=
      block("GARBLED", "  2", "     0.100     1.00x", "    50.000   300.000");
  text += block("BLANK", "  2", "     0.100          ", "    50.000   300.000");
  text += block("SHORT", "  2", two, "    50.000");
  text += block("WIDE", "  2", two, "189095.1854224540479.340");
  text += block("COUNT", " 2x", two, "    50.000   300.000");
  test::TempFile file(text, ".trf");
  TextFile f;
  ASSERT_TRUE(f.Open(file.path(), TextFile::Mode::kRead));
  std::vector<RefusedBlock> refused;
  EXPECT_EQ(ReadTrfStations(f, nullptr, &refused), 3);
  const std::pair<int, const char*> expected[] = {
      {10, "value 1: a resistivity of 0 Ohm-m"},  // B2
      {13, "the block ends before its depth and resistivity lines"},
      {21, nullptr},  // SHORT's depth line
      {26, nullptr},
      {36,
       "depths: value 2: columns 24-33 ('     1.00x') hold no single number"},
      {41, "depths: value 2: columns 24-33 are blank"},
      {47,
       "resistivities: value 2: the line ends at column 23, inside or before "
       "columns 24-33"},
      {52,
       "resistivities: the values run past column 33 ('.340' from column 34): "
       "a value is wider than its column"},
      {55, "columns 67-69 (' 2x') hold no whole number"}};
  ASSERT_EQ(refused.size(), std::size(expected));
  for (std::size_t i = 0; i < refused.size(); ++i) {
    EXPECT_EQ(refused[i].line, expected[i].first) << i;
    if (expected[i].second) {
      EXPECT_EQ(refused[i].problem, expected[i].second);
    }
  }
  std::vector<SectionStation> st;
  ASSERT_EQ(ReadTrfStations(f, &st), 3);
  EXPECT_EQ(st[2].name, "GOOD        ");
  EXPECT_FLOAT_EQ(st[2].z, -3000.0f);
  EXPECT_FLOAT_EQ(st[2].depth_resistivity[1], 300.0f);

  EXPECT_EQ(st[0].name, "LEADING     ");
  EXPECT_EQ(st[0].head_text, ">HEAD\n    DATAID=\"A1\"\n");
  EXPECT_EQ((std::array{st[0].x, st[0].y, st[0].z}),
            (std::array{100.0f, 200.0f, 10.0f}));
  EXPECT_EQ(st[0].depth_count, 3);
  EXPECT_EQ(st[0].layer_count, 1);
  EXPECT_FLOAT_EQ(st[0].depth[1], 0.25f);
  EXPECT_FLOAT_EQ(st[0].depth_resistivity[2], 300.0f);
  EXPECT_FLOAT_EQ(st[0].depth[3], 1e8f);
  EXPECT_FLOAT_EQ(st[0].depth_resistivity[99], -16.0f);
  EXPECT_FLOAT_EQ(st[0].resistivity[15], 100.0f);
  EXPECT_FLOAT_EQ(st[0].thickness[0], 100.0f);

  EXPECT_EQ(st[1].name, "MANY        ");
  EXPECT_EQ(st[1].head_text, st[0].head_text);  // carried over
  EXPECT_FLOAT_EQ(st[1].z, -412.5f);            // below sea level
  EXPECT_EQ(st[1].depth_count, 100);
  EXPECT_FLOAT_EQ(st[1].depth[99], 10.0f);
  EXPECT_FLOAT_EQ(st[1].depth_resistivity[99], 109.0f);
}

// The real sounding 15125A smoothed, transformed, saved twice, read back.
TEST(TrfFile, SavedTransformationsReadBackAsStations) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  ASSERT_TRUE(ReadFieldFile(
      test::RealDataPath("15125A_spe.edi"), stores->workspace, ui));
  test::LoadSet(*stores, 0, CurveMode::YX);
  FieldSet& set = stores->sets[0];
  set.effective_count = EffectiveCount(set);
  ASSERT_TRUE(SmoothMarkedSet(
      stores->workspace, set, SmoothingOptions::From(stores->workspace), ui));
  TransformFieldSet(set);

  TrfSaveLogic logic(stores->workspace, stores->sets, ui);
  ASSERT_EQ(logic.current(), 0);
  EXPECT_EQ(logic.saveable()[1], 0);
  EXPECT_EQ(logic.LatText(), set.coordinate_text[0]);
  logic.Click(1);  // nothing to save there
  EXPECT_EQ(logic.current(), 0);
  logic.name = "  SITE 15125A LONG NAME";
  logic.Update();
  EXPECT_EQ(set.label, "  SITE 15125A LONG NAME");

  test::TempFile file("kept line\r\n", ".trf");
  const std::string chosen = file.path().substr(0, file.path().size() - 4);
  ASSERT_TRUE(logic.Save(chosen + ".txt", false));
  ASSERT_TRUE(logic.Save(file.path(), true));
  EXPECT_EQ(stores->workspace.files.trf_saved, file.path());
  const std::string block = CrLf(FormatTrfBlock(set));
  EXPECT_EQ(test::ReadWholeFile(file.path()), "kept line\r\n" + block + block);

  std::vector<SectionStation> stations;
  ResultFileKind kind = ResultFileKind::kNone;
  ASSERT_TRUE(ReadStationFile(file.path(), ui, stations, kind));
  EXPECT_EQ(kind, ResultFileKind::kTrf);
  ASSERT_EQ(stations.size(), 2u);
  EXPECT_EQ(stations[1].number, 2);
  const SectionStation& s = stations[0];
  EXPECT_EQ(s.name, "SITE 15125  ");
  ASSERT_EQ(s.depth_count, TransformationCount(set));
  ASSERT_GT(s.depth_count, 50);
  for (int i = 0, k = 0; i < set.count; ++i) {
    if (set.log_res[i] <= -13.0f) continue;
    EXPECT_NEAR(s.depth[k], std::fabs(set.depth[i]) * 0.001, 0.0005) << i;
    const double res = std::pow(10.0, static_cast<double>(set.log_res[i]));
    ASSERT_LT(res, 1e6);
    EXPECT_NEAR(s.depth_resistivity[k], res, 0.0005 + res * 1e-7) << i;
    EXPECT_TRUE(k == 0 || s.depth[k] >= s.depth[k - 1]) << i;
    ++k;
  }
  EXPECT_TRUE(ui.prompts().empty());
}

TEST(TrfFile, AFailedWriteLeavesTheFileAsItWas) {
  ScriptedUi ui;
  const std::string block = FormatTrfBlock(ThreePoints());
  test::TempFile plain("keep me", ".txt");
  EXPECT_FALSE(AppendToTrfFile(plain.path() + "/x.trf", block, ui));
  EXPECT_EQ(ui.prompts().back().caption, "CAN'T OPEN FILE");
  // A write stopped part-way by a file-size limit is cut back.
  test::TempFile file(block, ".trf");
  std::string large;
  for (int i = 0; i < 200; ++i) large += block;
  EXPECT_TRUE(test::UnderFileSizeLimit(block.size() + 100, [&] {
    ScriptedUi limited;
    return !AppendToTrfFile(file.path(), large, limited) &&
           limited.prompts().size() == 1 &&
           limited.prompts()[0].caption == "CAN'T WRITE FILE";
  }));
  EXPECT_EQ(test::ReadWholeFile(file.path()), block);
}

FieldSet Transformed(const std::string& label, double z) {
  FieldSet set = ThreePoints();
  set.label = label;
  set.coordinates = {7525034.5f, 313494.3f, static_cast<float>(z)};
  const float depth[] = {-10.0f, -541908.0f, -1200.0f};
  const float log_res[] = {1.2866f, 5.2767f, 2.0f};
  for (int i = 0; i < 3; ++i) {
    set.depth[i] = depth[i];
    set.log_res[i] = log_res[i];
  }
  return set;
}

// A field holds one number; values wider than ten characters are refused;
// seafloor altitudes are written without their decimal and read back.
TEST(StrictFields, AFieldHoldsOneNumberThatFitsIt) {
  double v = 0.0;
  int n = 0;
  std::string why;
  EXPECT_TRUE(columns::NumberField("1.5e+03   ", 0, 10, v, why));
  EXPECT_DOUBLE_EQ(v, 1500.0);
  EXPECT_FALSE(columns::NumberField("  1.0 2.0", 0, 9, v, why));
  EXPECT_FALSE(columns::NumberField(std::string("  1.0\0 7", 8), 0, 8, v, why));
  EXPECT_FALSE(columns::IntegerField("/1./", 1, 2, n, why));

  FieldSet set = Transformed("XY SEA-07", -3000.4);
  EXPECT_EQ(TrfBlockProblem(set), "");
  const std::string block = FormatTrfBlock(set);
  EXPECT_NE(block.find("/ -3000/  3/\n"), std::string::npos) << block;
  EXPECT_EQ(columns::AltitudeField(-999.94), "-999.9");
  EXPECT_EQ(columns::AltitudeField(-99999.0), "-99999");
  EXPECT_EQ(columns::AltitudeField(999999.0), "999999");
  EXPECT_EQ(columns::AltitudeField(-100000.0), "");
  EXPECT_EQ(columns::AltitudeField(1e6), "");

  test::TempFile file(block, ".trf");
  TextFile f;
  ASSERT_TRUE(f.Open(file.path(), TextFile::Mode::kRead));
  std::vector<SectionStation> st;
  ASSERT_EQ(ReadTrfStations(f, &st), 1);
  EXPECT_FLOAT_EQ(st[0].z, -3000.0f);
  EXPECT_FLOAT_EQ(st[0].depth[1], 541.908f);
  EXPECT_NEAR(st[0].depth_resistivity[1],
              std::pow(10.0, static_cast<double>(set.log_res[1])),
              0.02);

  set.log_res[1] = 9.6258f;  // 4.2e9 Ohm-m, fourteen characters
  const std::string wide = TrfBlockProblem(set);
  EXPECT_EQ(wide.substr(0, 56),
            "The resistivity of 'XY SEA-07' at 541.908 km depth is 42")
      << wide;
  EXPECT_THAT(wide,
              HasSubstr(" Ohm-m, which does not fit the ten characters of its "
                        "column in TRF files"));
  set.log_res[1] = -3.5f;  // writes as 0.000
  EXPECT_NE(TrfBlockProblem(set).find("0.000 Ohm-m"), std::string::npos);
  set = Transformed("XY SEA-07", -100000.0);
  EXPECT_NE(TrfBlockProblem(set).find("-100000.0 m"), std::string::npos);

  // "Save &All" with one set that does not fit writes nothing at all.
  auto stores = test::NewStores();
  stores->sets[0] = Transformed("XY FINE", 10.0);
  stores->sets[1] = Transformed("YX WIDE", 10.0);
  stores->sets[1].log_res[0] = 6.5f;
  test::TempFile out(">HEAD\nkept\n", ".trf");
  ScriptedUi ui;
  TrfSaveLogic logic(stores->workspace, stores->sets, ui);
  EXPECT_FALSE(logic.Save(out.path(), true));
  EXPECT_EQ(test::ReadWholeFile(out.path()), ">HEAD\nkept\n");
  ASSERT_EQ(ui.prompts().size(), 1u);
  EXPECT_THAT(ui.prompts()[0].text,
              HasSubstr("'YX WIDE' at 0.010 km depth is 3162277.660 Ohm-m"));
}

TEST(StrictFields, NamesAreCutWhereACharacterEndsAndShownAsText) {
  // "XY " and "Łódź-Ö1" (Ł, ó, ź and Ö take two bytes each): 15 bytes.
  const std::string name = "XY \u0141\u00f3d\u017a-\u00d61";
  EXPECT_EQ(CutName(name, 12), "XY \u0141\u00f3d\u017a-");
  EXPECT_EQ(columns::NameField(name), "XY \u0141\u00f3d\u017a-   ");
  EXPECT_EQ(PrintableText("A\xE9"
                          "B\x01"
                          "C\u00e9"),
            "A\uFFFDB?C\u00e9");
  EXPECT_EQ(PrintableText("\xED\xA0\x80"),  // a surrogate
            "\uFFFD\uFFFD\uFFFD");

  EXPECT_EQ(columns::SameNameProblem({"XY A1", "YX A1", "XY A2"}), "");
  EXPECT_EQ(columns::SameNameProblem({"XY STATION_0001", "XY STATION_0002"}),
            "Two blocks would be written under the name 'XY STATION_0' ('XY "
            "STATION_0001' and 'XY STATION_0002'):\nresult files keep the "
            "first 12 characters of a name. Give them names that differ "
            "within those.");

  // The save dialog refuses two marked models that would share a name.
  auto stores = test::NewStores();
  SaveModelChoice choice = SaveModelChoice::Load(stores->models);
  choice.marked = {1, 0, 1, 0, 0, 0};
  choice.names[0] = "XY STATION_0001";
  choice.names[2] = "XY STATION_0002";
  ScriptedUi ui;
  EXPECT_FALSE(choice.Apply(stores->models, ui));
  EXPECT_NE(stores->models[0].name, "XY STATION_0001");
  choice.names[2] = "YX STATION_0001";
  EXPECT_TRUE(choice.Apply(stores->models, ui));
}

}  // namespace
}  // namespace mtvuk
