#include "core/section/section_options.h"

#include <gtest/gtest.h>

namespace mtvuk {
namespace {

TEST(SectionOptionsTest, ArgumentsReadBackAsWritten) {
  SectionPictureOptions o;
  std::string error;
  ASSERT_TRUE(ParseSectionArguments({"--size", "1200X700", "a.int", "--out",
                                     "s.SVG", "--tomography", "--palette",
                                     "3", "--depth-max", "6.5", "--log-depth",
                                     "--profile", "500000,7.5e6,530000,7.5e6"},
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
  // Defaults: logging, auto profile, 1600 x 900.
  ASSERT_TRUE(ParseSectionArguments({"b.trf", "--out", "b.png"}, back, error));
  EXPECT_FALSE(back.tomography);
  EXPECT_EQ(back.width, 1600);
  EXPECT_EQ(back.height, 900);
  EXPECT_EQ(back.profile, "auto");
}

TEST(SectionOptionsTest, BadArgumentsAreRefusedWithTheirReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"a.int", "--out", "a.png", "--palette", "4"},
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

}  // namespace
}  // namespace mtvuk
