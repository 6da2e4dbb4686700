#include "core/section/section_options.h"

#include <gtest/gtest.h>

#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

TEST(SectionOptionsTest, ArgumentsReadBackAsWritten) {
  SectionPictureOptions o;
  std::string error;
  ASSERT_TRUE(ParseSectionArguments({"--size",
                                     "1200X700",
                                     "a.int",
                                     "--out",
                                     "s.SVG",
                                     "--tomography",
                                     "--palette",
                                     "3",
                                     "--depth-max",
                                     "6.5",
                                     "--log-depth",
                                     "--profile",
                                     "500000,7.5e6,530000,7.5e6"},
                                    o,
                                    error))
      << error;
  EXPECT_EQ(o.file, "a.int");
  EXPECT_EQ(o.out, "s.SVG");
  EXPECT_EQ(o.width, 1200);
  EXPECT_EQ(o.height, 700);
  EXPECT_EQ(o.palette, 3);
  EXPECT_DOUBLE_EQ(o.depth_max_km, 6.5);
  EXPECT_TRUE(o.tomography && o.log_depth);
  // What the command-line tool hands to the workstation means the same.
  SectionPictureOptions back;
  ASSERT_TRUE(ParseSectionArguments(SectionArguments(o), back, error));
  EXPECT_EQ(back.profile, o.profile);
  EXPECT_EQ(back.width, 1200);
  EXPECT_DOUBLE_EQ(back.depth_max_km, 6.5);
  EXPECT_TRUE(back.tomography && back.log_depth);
  EXPECT_EQ(back.palette, 3);
  EXPECT_EQ(back.interpolation, 0);
  // The viridis palette and level-depth blending read back as well.
  ASSERT_TRUE(ParseSectionArguments(
      {"c.int", "--out", "c.pdf", "--palette", "4", "--interpolation", "level"},
      o,
      error));
  ASSERT_TRUE(ParseSectionArguments(SectionArguments(o), back, error));
  EXPECT_EQ(back.palette, 4);
  EXPECT_EQ(back.interpolation, 1);
  // Defaults: logging, auto profile, 1600 x 900.
  ASSERT_TRUE(ParseSectionArguments({"b.trf", "--out", "b.png"}, back, error));
  EXPECT_FALSE(back.tomography);
  EXPECT_EQ(back.width, 1600);
  EXPECT_EQ(back.height, 900);
  EXPECT_EQ(back.profile, "auto");
}

TEST(SectionOptionsTest, BadArgumentsAreRefusedWithTheirReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"a.int", "--out", "a.png", "--palette", "6"},
      {"a.int", "--out", "a.png", "--interpolation", "smooth"},
      {"a.int", "--out", "a.png", "--interpolation"},
      {"a.int", "--out", "a.png", "--palette", "-1"},
      {"a.int", "--out", "a.png", "--palette", "1.5"},
      {"a.int", "--out", "a.png", "--size", "99x500"},
      {"a.int", "--out", "a.png", "--size", "800*600"},
      {"a.int", "--out", "a.png", "--size", "10001x500"},
      {"a.int", "--out", "a.png", "--depth-max", "0"},
      {"a.int", "--out", "a.png", "--depth-max", "inf"},
      {"a.int", "--out", "a.png", "--depth-max", "5km"},
      {"a.int", "--out", "a.png", "--profile", "1,2,3,x"},
      {"a.int", "--out", "a.png", "--profile", "5,5,5,5"},
      {"a.int", "--out", "a.png", "--logging", "--tomography"},
      {"a.int", "--out", "a.bmp"},
      {"a.int", "--out", "dir.png/a"},
      {"a.int", "--out"},
      {"a.int"},
      {"--out", "a.png"},
      {"a.int", "b.int", "--out", "a.png"},
      {"a.int", "--out", "a.png", "--colour"},
  };
  for (const auto& args : bad) {
    SectionPictureOptions o;
    std::string error;
    EXPECT_FALSE(ParseSectionArguments(args, o, error)) << args.back();
    EXPECT_FALSE(error.empty()) << args.back();
  }
}

// Three stations 2 km apart along an east-west line, and a station 18 km
// north of them whose block has no layers.
std::string LineWithAGhost() {
  std::string text;
  for (int i = 0; i < 3; ++i) {
    char line[160];
    std::snprintf(line,
                  sizeof line,
                  ">INVERS: S%02d            /   7500000.0/%12.1f/ 100.0/ 2/\n"
                  "    10.00      1.00\n   100.00    100.00\n",
                  i + 1,
                  500000.0 + 2000.0 * i);
    text += line;
  }
  text += ">INVERS: GHOST          /   7518000.0/    502000.0/ 100.0/ 0/\n";
  return text;
}

TEST(SectionOptionsTest, OnlyStationsWithValuesSteerTheProfile) {
  test::TempFile file(LineWithAGhost(), ".int");
  SectionPictureOptions o;
  o.file = file.path();
  ScriptedUi ui;
  ui.Allow(kRefusedBlocksCaption);
  ui.Allow("INVALID INT or TRF -FILE");
  std::vector<SectionStation> stations;
  ResultFileKind kind;
  std::string error;
  ASSERT_TRUE(PlaceSectionStations(o, ui, stations, kind, error)) << error;
  ASSERT_EQ(stations.size(), 3u);
  EXPECT_NEAR(stations[0].profile_position, 0.0, 1.0);
  EXPECT_NEAR(stations[2].profile_position, 4000.0, 1.0);
  // The block without layers is refused by the INT reader, with its line.
  ASSERT_EQ(ui.prompts().size(), 1u);
  EXPECT_EQ(ui.prompts()[0].text,
            "1 of the 4 blocks of " + file.path() +
                " is left out:\nline 10: 0 layers (1 to 16 can be read)");

  // A line across the stations puts them all on one point: refused.
  o.profile = "501000,7490000,501000,7510000";
  EXPECT_FALSE(PlaceSectionStations(o, ui, stations, kind, error));
  EXPECT_NE(error.find("all fall on one point"), std::string::npos);

  test::TempFile empty(
      ">INVERS: GHOST          /   7518000.0/    502000.0/ 100.0/ 0/\n",
      ".int");
  o.file = empty.path();
  o.profile = "auto";
  error.clear();
  EXPECT_FALSE(PlaceSectionStations(o, ui, stations, kind, error));
  EXPECT_EQ(error, "");  // the file's own message says it
  EXPECT_EQ(ui.prompts().back().text, "Can't find data");
}

}  // namespace
}  // namespace mtvuk
