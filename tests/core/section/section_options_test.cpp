#include "core/section/section_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

auto Fields(const SectionPictureOptions& o) {
  return std::tie(o.file,
                  o.profile,
                  o.tomography,
                  o.palette,
                  o.interpolation,
                  o.polarisation,
                  o.depth_max_km,
                  o.log_depth,
                  o.out,
                  o.width,
                  o.height);
}

// The words of a command line.
std::vector<std::string> Args(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> args;
  for (std::string a; in >> a;) args.push_back(a);
  return args;
}

TEST(SectionOptionsTest, ArgumentsReadBackAsWritten) {
  SectionPictureOptions o, d, v;
  std::string error;
  ASSERT_TRUE(ParseSectionArguments(
      Args("--size 1200X700 a.int --out s.SVG --tomography --palette 3 "
           "--depth-max 6.5 --log-depth --polarisation YX --profile "
           "500000,7.5e6,530000,7.5e6"),
      o,
      error))
      << error;
  SectionPictureOptions want;
  want.file = "a.int";
  want.out = "s.SVG";
  want.profile = "500000,7.5e6,530000,7.5e6";
  want.width = 1200;
  want.height = 700;
  want.palette = 3;
  want.depth_max_km = 6.5;
  want.tomography = want.log_depth = true;
  want.polarisation = SectionPolarisation::kYx;
  EXPECT_TRUE(Fields(o) == Fields(want));
  // Defaults: logging of both polarisations, auto profile, 1600 x 900.
  want = SectionPictureOptions{};
  want.file = "b.trf";
  want.out = "b.png";
  ASSERT_TRUE(ParseSectionArguments(Args("b.trf --out b.png"), d, error));
  EXPECT_TRUE(Fields(d) == Fields(want));
  EXPECT_EQ(d.width, 1600);
  ASSERT_TRUE(ParseSectionArguments(
      Args("c.int --out c.pdf --palette 4 --interpolation level "
           "--polarisation xy"),
      v,
      error));
  EXPECT_EQ(v.polarisation, SectionPolarisation::kXy);
  EXPECT_EQ(v.interpolation, 1);
  // What the command-line tool hands to the workstation means the same.
  for (const SectionPictureOptions& given : {o, d, v}) {
    SectionPictureOptions back;
    ASSERT_TRUE(ParseSectionArguments(SectionArguments(given), back, error))
        << error;
    EXPECT_TRUE(Fields(back) == Fields(given)) << given.file;
  }
}

TEST(SectionOptionsTest, BadArgumentsAreRefusedWithTheirReason) {
  auto refused = [](const std::string& line) {
    SectionPictureOptions o;
    std::string error;
    EXPECT_FALSE(ParseSectionArguments(Args(line), o, error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  };
  // Bad options of an otherwise right command line, then bad lines.
  for (const std::string& option : test::Lines(
           "--palette 6\n--palette -1\n--palette 1.5\n--interpolation\n"
           "--interpolation smooth\n--size 99x500\n--size 800*600\n"
           "--size 10001x500\n--size 0x500\n--depth-max 0\n--depth-max -3\n"
           "--depth-max inf\n--depth-max nan\n--depth-max 5km\n"
           "--profile 1,2,3,x\n--profile 5,5,5,5\n--logging --tomography\n"
           "--polarisation mean\n--polarisation\n--colour\nb.int")) {
    refused("a.int --out a.png " + option);
  }
  for (const std::string& line : test::Lines(
           "a.int --out a.bmp\na.int --out dir.png/a\na.int --out\na.int\n"
           "--out a.png")) {
    refused(line);
  }
}

// Three stations 2 km apart east-west; 18 km north, a block without layers.
const char kGhost[] =
    ">INVERS: GHOST          /   7518000.0/    502000.0/ 100.0/ 0/\n";
std::string LineWithAGhost() {
  const std::string layers =
      "/ 100.0/ 2/\n    10.00      1.00\n   100.00    100.00\n";
  return ">INVERS: S01            /   7500000.0/    500000.0" + layers +
         ">INVERS: S02            /   7500000.0/    502000.0" + layers +
         ">INVERS: S03            /   7500000.0/    504000.0" + layers + kGhost;
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

  // Their names tell no polarisation: a section of XY has nothing to draw.
  o.polarisation = SectionPolarisation::kXy;
  EXPECT_FALSE(PlaceSectionStations(o, ui, stations, kind, error));
  EXPECT_NE(error.find(": no XY sounding to draw"), std::string::npos);
  o.polarisation = SectionPolarisation::kBoth;

  // A line across the stations puts them all on one point: refused.
  o.profile = "501000,7490000,501000,7510000";
  EXPECT_FALSE(PlaceSectionStations(o, ui, stations, kind, error));
  EXPECT_NE(error.find("all fall on one point"), std::string::npos);

  test::TempFile empty(kGhost, ".int");
  o.file = empty.path();
  o.profile = "auto";
  error.clear();
  EXPECT_FALSE(PlaceSectionStations(o, ui, stations, kind, error));
  EXPECT_EQ(error, "");  // the file's own message says it
  EXPECT_EQ(ui.prompts().back().text, "Can't find data");
}

}  // namespace
}  // namespace mtvuk
