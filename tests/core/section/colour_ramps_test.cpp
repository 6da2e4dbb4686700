#include "core/section/colour_ramps.h"

#include <gtest/gtest.h>

#include "core/store/workspace.h"

namespace mtvuk {
namespace {

TEST(ColourRampsTest, RampAWalksBlueCyanGreenYellowRed) {
  const ColourRamp a = MakeRampA();
  EXPECT_EQ(a[0], (Rgb{0, 0, 255}));
  EXPECT_EQ(a[63], (Rgb{0, 252, 255}));
  EXPECT_EQ(a[64], (Rgb{0, 255, 255}));
  EXPECT_EQ(a[114], (Rgb{0, 255, 55}));
  EXPECT_EQ(a[115], (Rgb{100, 255, 0}));
  EXPECT_EQ(a[153], (Rgb{252, 255, 0}));
  EXPECT_EQ(a[154], (Rgb{255, 255, 0}));
  EXPECT_EQ(a[217], (Rgb{255, 3, 0}));
  EXPECT_EQ(a[218], a[217]);
  EXPECT_EQ(a[219], a[217]);
  // Neighbours within a stretch differ by one step of 4.
  EXPECT_EQ(a[100].b - a[101].b, 4);
}

TEST(ColourRampsTest, RampBWalksBlueWhiteRed) {
  const ColourRamp b = MakeRampB();
  EXPECT_EQ(b[0], (Rgb{0, 0, 255}));
  EXPECT_EQ(b[127], (Rgb{254, 254, 255}));
  EXPECT_EQ(b[128], (Rgb{255, 255, 255}));
  EXPECT_EQ(b[219], (Rgb{255, 73, 73}));
}

TEST(ColourRampsTest, PalettesReadTheirRampInTheirDirection) {
  const Workspace ws;
  EXPECT_EQ(&PaletteRamp(ws.colour_ramps, 0), &ws.colour_ramps.a);
  EXPECT_EQ(&PaletteRamp(ws.colour_ramps, 1), &ws.colour_ramps.a);
  EXPECT_EQ(&PaletteRamp(ws.colour_ramps, 2), &ws.colour_ramps.b);
  EXPECT_EQ(&PaletteRamp(ws.colour_ramps, 3), &ws.colour_ramps.b);
  EXPECT_FALSE(PaletteReversed(0));
  EXPECT_TRUE(PaletteReversed(1));
  EXPECT_FALSE(PaletteReversed(2));
  EXPECT_TRUE(PaletteReversed(3));
  EXPECT_STREQ(kPaletteNames[3], "Blue-Red");
  EXPECT_EQ(ws.colour_ramps.b[219], (Rgb{255, 73, 73}));
}

}  // namespace
}  // namespace mtvuk
