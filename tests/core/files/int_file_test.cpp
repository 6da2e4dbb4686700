#include "core/files/int_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "core/files/fixed_columns.h"
#include "core/files/trf_file.h"
#include "core/platform/scripted_ui.h"
#include "core/section/section_stations.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

using ::testing::HasSubstr;

LayerModel ThreeLayers(const std::string& name) {
  LayerModel m;
  m.name = name;
  m.head_text = ">HEAD\n  DATAID=\"S1\"\n";
  m.layer_count = 3;
  m.resistivity[0] = 100.0;
  m.resistivity[1] = 12.345;
  m.resistivity[2] = 1000.0;
  m.thickness[0] = 0.5;
  m.thickness[1] = 2.25;
  m.thickness[2] = 100.0;
  m.coordinates = {1234.5, -20.0, 310.0};
  return m;
}

TEST(IntFile, ModelAndSectionBlocksAreWrittenColumnByColumn) {
  EXPECT_EQ(FormatModelBlock(ThreeLayers("SITE 1"), 5),
            ">HEAD\n  DATAID=\"S1\"\n"
            ">INVERS: SITE 1         /      1234.5/       -20.0/ 310.0/ 3/ "
            "TARGET: Res+Phs\n"
            "   100.00      0.50\n"
            "    12.35      2.25\n"
            "  1000.00    100.00\n"
            "********************************************************\n\n");
  // A name of 30 characters is cut; no label for other targets.
  LayerModel plain = ThreeLayers("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
  plain.head_text.clear();
  EXPECT_EQ(FormatModelBlock(plain, 7).substr(0, 62),
            ">INVERS: ABCDEFGHIJKL   /      1234.5/       -20.0/ 310.0/ 3/\n");

  // A section's station saved with its altitude offset, as a model (four,
  // two or no decimals in nine characters) and as a curve in kilometres.
  SectionStation s = test::Layered(
      "P12", 0, 120, {{0.5f, 150}, {250, 2000}, {2.5e6f, 500}, {80, 0}});
  s.head_text = ">HEAD\n";
  s.x = 500.0f;
  s.y = 99.0f;
  EXPECT_EQ(FormatSectionBlock(s, 30.0f),
            ">HEAD\n"
            ">INVERS: P12            /       500.0/         0.0/ 150.0/ 4/IDK\n"
            "   0.5000      0.15\n"
            " 250.0000      2.00\n"
            "  2500000      0.50\n"
            "  80.0000    100.00\n"
            "**********************************************************\n\n");
  s.depth_count = 2;
  s.depth[0] = 150.0f;
  s.depth[1] = 2000.0f;
  s.depth_resistivity[0] = 12.5f;
  s.depth_resistivity[1] = 3000.0f;
  EXPECT_EQ(FormatTrfSectionBlock(s, -30.0f),
            ">HEAD\n"
            ">TRANSFORMATION: P12            /       500.0/         0.0/  "
            "90.0/  2/\n"
            "Depth  (km)       0.150     2.000\n"
            "Res (Ohm-m)      12.500  3000.000\n" +
                std::string(50, '*') + "\n\n");
}

TEST(IntFile, AppendedBlocksReadBackIntoModels) {
  test::TempFile file("", ".int");
  ScriptedUi ui;
  const std::string path = file.path();
  ASSERT_TRUE(
      AppendToIntFile(path, FormatModelBlock(ThreeLayers("FIRST"), 1), ui));
  const std::string after_one = test::ReadWholeFile(path);
  EXPECT_THAT(after_one, HasSubstr("\r\n"));  // written as text lines
  LayerModel second = ThreeLayers("SECOND");
  second.head_text.clear();
  second.coordinates[2] = -412.5;  // below sea level, all six columns
  second.thickness[1] = 0.006;     // written as 0.01: still read back
  ASSERT_TRUE(AppendToIntFile(path, FormatModelBlock(second, 4), ui));
  const std::string after_two = test::ReadWholeFile(path);
  EXPECT_EQ(after_two.substr(0, after_one.size()), after_one);
  std::vector<IntSet> sets;
  std::vector<std::int32_t> positions;
  ASSERT_TRUE(LoadIntFile(path, ui, sets, positions));
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(sets[0].name, "FIRST" + std::string(31, ' '));
  EXPECT_FLOAT_EQ(sets[0].resistivity[1], 12.35f);
  EXPECT_FLOAT_EQ(sets[0].thickness[1], 2.25f);
  EXPECT_EQ((std::array{sets[0].lat, sets[0].lon, sets[0].z}),
            (std::array{1234.5f, -20.0f, 310.0f}));
  EXPECT_FLOAT_EQ(sets[1].z, -412.5f);
  EXPECT_FLOAT_EQ(sets[1].thickness[1], 0.01f);
  EXPECT_FLOAT_EQ(sets[1].resistivity[15], 1000.0f);  // last layer copied
  EXPECT_EQ(after_two.substr(positions[1], 16), ">INVERS: SECOND ");
  LayerModel target;
  InstallIntSet(sets[1], target);
  EXPECT_EQ(target.layer_count, 3);
  EXPECT_EQ(target.resistivity[2], 1000.0);
  EXPECT_EQ(target.thickness[15], 100.0);
  EXPECT_EQ(target.coordinates[0], 1234.5);
  EXPECT_TRUE(ui.prompts().empty());
  EXPECT_EQ(DetailLines(sets[0])[0], " 1    100.00     0.50");
  EXPECT_EQ(DetailLines(sets[0])[2], " 3   1000.00      - ");
  EXPECT_EQ(DetailLines(sets[0])[3], "");
}

// Damaged INT blocks are reported (set, line, columns) and left out.
TEST(IntFile, InvalidBlocksAreReportedAndLeftOut) {
  auto block = [](const std::string& name, const std::string& layers) {
    return ">INVERS: " + columns::NameField(name) +
           " /      1500.0/     -2500.0/ 310.0/ 2/ TARGET: RE+IM\n" + layers +
           std::string(56, '*') + "\n\n";
  };
  std::string text =
      block("GOOD", "   100.00      0.75\n    12.34    100.00\n");
  text += block("GARBLED", "     5.0x      0.75\n    12.34    100.00\n");
  text += block("BLANK", "               0.75\n    12.34    100.00\n");
  text += block("RUNS ON", "123456789.00   0.75\n    12.34    100.00\n");
  text += block("TAIL", "   100.00      0.75\n    12.34    100.00  7\n");
  text += block("NEGATIVE", "  -100.00      0.75\n    12.34    100.00\n");
  // A block that claims more layers than it holds reaches its end line.
  std::string more =
      block("SHORT", "   100.00      0.75\n    12.34    100.00\n");
  more.replace(more.find("/ 2/"), 4, "/ 5/");
  text += more;
  text += block("LAST", "    20.00      1.50\n   300.00    100.00\n");
  LayerModel deep = ThreeLayers("DEEP");
  deep.coordinates[2] = -1000.0;  // written " -1000": read back whole
  text += ">INVERS: ZERO           /         0.0/         0.0/   0.0/ 0/\n";
  text += block("RHO0", "     0.00      1.00\n     5.00    100.00\n");
  text += FormatModelBlock(ThreeLayers("GOOD"), 1);
  text += block("THIN", "    10.00      0.00\n     5.00    100.00\n");
  text += FormatModelBlock(deep, 1);
  LayerModel many = ThreeLayers("MANY");
  many.layer_count = 16;
  std::string seventeen = FormatModelBlock(many, 1);
  seventeen.replace(seventeen.find("/16/"), 4, "/17/");
  text += seventeen;
  text += ">INVERS: NO SLASH AT ALL IN THE FIRST FORTY CHARACTERS OF IT\n";
  // "inf" and "nan" read as numbers but make no model.
  text += block("INF", "    10.00      1.00\n      inf    100.00\n");
  text +=
      ">INVERS: NAN            /         nan/         0.0/   0.0/ 1/\n"
      "    10.00    100.00\n";
  // A letter where the "/" between two coordinates stands ("1234.5o").
  std::string sep = FormatModelBlock(ThreeLayers("SEP"), 1);
  sep[sep.find('/') + 13] = 'o';
  text += sep;
  test::TempFile file(text, ".int");
  ScriptedUi ui;
  std::vector<IntSet> sets;
  std::vector<std::int32_t> positions;
  ASSERT_TRUE(LoadIntFile(file.path(), ui, sets, positions));
  ASSERT_EQ(sets.size(), 4u);
  EXPECT_EQ(sets[0].name.substr(0, 4), "GOOD");
  EXPECT_FLOAT_EQ(sets[0].resistivity[0], 100.0f);
  EXPECT_FLOAT_EQ(sets[0].lon, -2500.0f);
  EXPECT_EQ(sets[1].name.substr(0, 4), "LAST");
  EXPECT_FLOAT_EQ(sets[1].thickness[0], 1.5f);
  EXPECT_FLOAT_EQ(sets[3].z, -1000.0f);
  ASSERT_EQ(ui.prompts().size(), 14u);
  const std::string& p = file.path();
  // The message, then where in the file and why.
  EXPECT_EQ(ui.prompts()[0].text,
            "SET #2:  GARBLED                             \n#layers=2\nSET "
            "WILL BE IGNORED\n" +
                p +
                ", line 7: layer 1: columns 1-9 ('     5.0x') hold no "
                "single number");
  EXPECT_EQ(ui.prompts()[6].text,
            "SET #3:  ZERO                                \n#layers=0\nSET "
            "WILL BE IGNORED\n" +
                p + ", line 41: 0 layers (1 to 16 can be read)");
  const std::vector<std::string> names = test::Lines(
      "GARBLED\nBLANK\nRUNS ON\nTAIL\nNEGATIVE\nSHORT\nZERO\nRHO0\nTHIN\nMANY\n"
      "NO SLASH AT\nINF\nNAN\nSEP");
  for (int i = 0; i < 14; ++i) {
    const int set = i < 6 ? 2 : i < 8 ? 3 : i < 9 ? 4 : 5;  // sets loaded + 1
    EXPECT_EQ(ui.prompts()[i].text.rfind(
                  "SET #" + std::to_string(set) + ":  " + names[i] + " ", 0),
              0u)
        << i;
  }
  // No "/": the name is the text after the marker, no layers were read.
  EXPECT_EQ(ui.prompts()[10].text.substr(9, 47),
            "NO SLASH AT                         \n#layers=0\n");
  EXPECT_EQ(ui.prompts()[9].text.substr(46, 11), "#layers=17\n");
  const char* const where[] = {
      ", line 12: layer 1: columns 1-9 are blank",
      ", line 17: layer 1: column 10 ('.') is not blank",
      ", line 23: layer 2: the values run past column 19",
      ", line 27: layer 1: a resistivity of -100 Ohm-m",
      ", line 34: layer 3: columns 1-9 ('*********') hold"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_THAT(ui.prompts()[i + 1].text, HasSubstr(p + where[i]));
  }
  EXPECT_THAT(ui.prompts()[13].text,
              HasSubstr("('o') is not the \"/\" between two fields"));
}

TEST(IntFile, FileMessages) {
  ScriptedUi ui;
  std::vector<IntSet> sets;
  std::vector<std::int32_t> positions;
  EXPECT_FALSE(LoadIntFile("/no/such/file.int", ui, sets, positions));
  EXPECT_EQ(ui.prompts().back().text, "AN UNSPECIFIED ERROR OCCURRED");
  EXPECT_EQ(ui.prompts().back().caption, "CAN'T OPEN FILE");
  test::TempFile none(">HEAD\nnothing here\n", ".int");
  EXPECT_FALSE(LoadIntFile(none.path(), ui, sets, positions));
  EXPECT_EQ(ui.prompts().back().text, "Can't find INT-structure");
  EXPECT_EQ(ui.prompts().back().caption, "INVALID INT-FILE");
  test::TempFile empty(">INVERS: X              /0/0/0/ 0/\n", ".int");
  EXPECT_FALSE(LoadIntFile(empty.path(), ui, sets, positions));
  EXPECT_EQ(ui.prompts().back().text, "Can't find data");
  test::TempFile plain("keep me", ".txt");
  EXPECT_FALSE(AppendToIntFile(plain.path() + "/x.int", "text\n", ui));
  EXPECT_EQ(ui.prompts().back().caption, "CAN'T CREATE INT-FILE");
  EXPECT_EQ(ui.prompts().back().text, "All or part of the path is invalid");
  EXPECT_EQ(test::ReadWholeFile(plain.path()), "keep me");

  // A write that stops part-way (at a file-size limit) changes nothing.
  const std::string old_content = FormatModelBlock(ThreeLayers("OLD"), 1);
  test::TempFile file(old_content, ".int");
  std::string blocks;
  for (int i = 0; i < 20; ++i) blocks += old_content;
  EXPECT_TRUE(test::UnderFileSizeLimit(old_content.size() + 100, [&] {
    ScriptedUi limited;
    return !AppendToIntFile(file.path(), blocks, limited) &&
           limited.prompts().size() == 1 &&
           limited.prompts()[0].caption == "CAN'T WRITE INT-FILE" &&
           limited.prompts()[0].text ==
               "The disk is full\nNothing was added to " + file.path() + ".";
  }));
  EXPECT_EQ(test::ReadWholeFile(file.path()), old_content);
}

// A block the readers would drop or misread is refused before writing.
TEST(IntFile, BlocksTheReadersCouldNotReadAreRefused) {
  EXPECT_EQ(IntBlockProblem(ThreeLayers("FINE")), "");
  LayerModel thin = ThreeLayers("FIT 1");
  thin.thickness[1] = 0.004;  // a fitted 4 m layer
  EXPECT_EQ(IntBlockProblem(thin),
            "Layer 2 of 'FIT 1' is 0.004 km thick, which INT files write as "
            "'     0.00' km:\nthe block could not be read back. Make the layer "
            "at least 0.01 km thick, or remove it.");
  thin.thickness[1] = 0.006;  // written as 0.01 (read back: see above)
  EXPECT_EQ(IntBlockProblem(thin), "");
  EXPECT_THAT(IntBlockProblem(ThreeLayers("A\nB")), HasSubstr("line break"));
  EXPECT_NE(IntBlockProblem(ThreeLayers("A\rB")), "");
  LayerModel slash = ThreeLayers("A/B");
  EXPECT_NE(IntBlockProblem(slash).find("holds a \"/\""), std::string::npos);
  slash.name = "ABCDEFGHIJKLMN/";  // cut to 12 in the file, refused alike
  EXPECT_NE(IntBlockProblem(slash), "");
  LayerModel deep = ThreeLayers("DEEP");
  deep.coordinates[2] = -1000.0;  // written " -1000"
  EXPECT_EQ(IntBlockProblem(deep), "");
  deep.coordinates[2] = -100000.0;
  EXPECT_THAT(IntBlockProblem(deep), HasSubstr("do not fit the columns"));
  LayerModel wide = ThreeLayers("WIDE");
  wide.resistivity[2] = 1e6;  // "1000000.00": ten characters
  EXPECT_NE(IntBlockProblem(wide).find("Layer 3"), std::string::npos);
  wide.resistivity[2] = 0.004;
  EXPECT_NE(IntBlockProblem(wide).find("'     0.00'"), std::string::npos);
  // The save dialog refuses before it stores anything.
  LayerModels models;
  models[0] = thin;
  models[0].thickness[1] = 0.004;
  models[0].fitted_set = 0;
  SaveModelChoice choice = SaveModelChoice::Load(models);
  choice.names[0] = "EDITED";
  ScriptedUi ui;
  EXPECT_FALSE(choice.Apply(models, ui));
  EXPECT_EQ(models[0].name, "FIT 1");
  ASSERT_EQ(ui.prompts().size(), 1u);
  EXPECT_EQ(ui.prompts()[0].text.substr(0, 30),
            "Model 1: Layer 2 of 'EDITED' i");
  models[0].thickness[1] = 0.5;
  choice.names[0] = "X/Y";
  EXPECT_FALSE(choice.Apply(models, ui));
  choice.names[0] = "EDITED";
  EXPECT_TRUE(choice.Apply(models, ui));
  EXPECT_EQ(models[0].name, "EDITED");
}

// Names of result files given on the command line, INT and TRF alike.
TEST(ResultFiles, CommandLinePathsKeepTheirNameOrAreRefused) {
  const struct {
    bool (*check)(const std::string&, std::string&, std::string&);
    const char* given;
    const char* path;  // "" when refused
  } cases[] = {{CommandLineIntPath, "/data/profile.int", "/data/profile.int"},
               {CommandLineIntPath, "/data/profile.INT", "/data/profile.INT"},
               {CommandLineIntPath, "/data.v2/profile", "/data.v2/profile.int"},
               {CommandLineIntPath, "notes.txt", ""},
               {CommandLineTrfPath, "/d/profile", "/d/profile.trf"},
               {CommandLineTrfPath, "/d.v2/P.TRF", "/d.v2/P.TRF"},
               {CommandLineTrfPath, "/d/notes.txt", ""}};
  for (const auto& c : cases) {
    std::string path = "unchanged", error;
    EXPECT_EQ(c.check(c.given, path, error), c.path[0] != '\0') << c.given;
    EXPECT_EQ(path, c.path[0] ? c.path : "unchanged");
  }
  std::string path, error;
  CommandLineIntPath("notes.txt", path, error);
  EXPECT_EQ(error,
            "'notes.txt' is not an INT file name: give a name ending in .int "
            "(or none)");
  EXPECT_EQ(IntFilePath("/data/profile.txt"), "/data/profile.int");
  EXPECT_EQ(TrfFilePath("/d/profile.txt"), "/d/profile.trf");
}

TEST(IntFile, StationsOfTheTolerantReader) {
  std::string text = ">HEAD\n  DATAID=\"A\"\n";
  text +=
      ">INVERS: STATION-A      /       100.7/       200.2/  10.0/ 2/ TARGET: "
      "RE\n"
      "    10.00      1.50\n   100.00    100.00\n";
  text +=
      "+INVERS: STATION-B      /       100.2/       200.9/  20.0/ 1/IDK\n"
      "    55.00    100.00\n";
  text +=
      ">INVERS: STATION-C      /       300.0/       200.0/  30.0/ 2/\n"
      "    10.00      1.50\n   100.00    100.00\n";
  // Neither placed nor drawn: left out.
  text +=
      ">INVERS: STATION-INF    /       400.0/         inf/  30.0/ 1/\n"
      "   100.00    100.00\n"
      ">INVERS: STATION-NAN    /       500.0/       200.0/  30.0/ 1/\n"
      "      nan    100.00\n";
  test::TempFile file(text, ".int");
  ScriptedUi ui;
  std::vector<SectionStation> stations;
  ResultFileKind kind;
  ASSERT_TRUE(ReadStationFile(file.path(), ui, stations, kind));
  ASSERT_EQ(ui.prompts().size(), 1u);
  EXPECT_EQ(ui.prompts()[0].text,
            "2 of the 5 blocks of " + file.path() +
                " are left out:\nline 11: a coordinate of the result line is "
                "not a finite number\nline 14: layer 1: a resistivity of nan "
                "Ohm-m");
  EXPECT_EQ(kind, ResultFileKind::kInt);
  ASSERT_EQ(stations.size(), 3u);
  EXPECT_EQ(stations[1].name, "STATION-B   ");
  EXPECT_EQ(stations[1].head_text, ">HEAD\n  DATAID=\"A\"\n");  // carried over
  EXPECT_FLOAT_EQ(stations[0].thickness[1], 1e10f);
  EXPECT_FLOAT_EQ(stations[0].thickness[5], 100.0f);  // the last pair as read
  EXPECT_EQ(stations[2].number, 3);
  EXPECT_EQ(DuplicateStations(stations),
            (std::vector<bool>{true, true, false}));
  EXPECT_EQ(StationLine(stations[0], true),
            "*   1 STATION-A            100.7         200.2     10.0");

  test::TempFile trf(">TRANSFORMATION: P1\n", ".trf");
  EXPECT_FALSE(ReadStationFile(trf.path(), ui, stations, kind));
  EXPECT_EQ(kind, ResultFileKind::kTrf);
  EXPECT_EQ(ui.prompts().back().text, "Can't find data");
  test::TempFile other("plain text\n", ".int");
  EXPECT_FALSE(ReadStationFile(other.path(), ui, stations, kind));
  EXPECT_EQ(ui.prompts().back().text, "Can't find INT or TRF-structures");
}

}  // namespace
}  // namespace mtvuk
