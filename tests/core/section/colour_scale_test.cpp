#include "core/section/colour_scale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mtvuk {
namespace {

// Runs of equal ramp indices in a colour list: the bands a section shows.
int Bands(const SectionColourBlock& block) {
  int bands = 0;
  for (int i = 0; i < block.count; ++i) {
    if (i == 0 || block.bytes[i] != block.bytes[i - 1]) ++bands;
  }
  return bands;
}

std::string LabelAt(const std::vector<ScaleTick>& ticks, int row) {
  for (const ScaleTick& t : ticks) {
    if (t.row == row && !t.label.empty()) return t.label;
  }
  return {};
}

std::vector<std::string> Labels(const std::vector<ScaleTick>& ticks) {
  std::vector<std::string> labels;
  for (const ScaleTick& t : ticks) {
    if (!t.label.empty()) labels.push_back(t.label);
  }
  return labels;
}

TEST(ColourScaleTest, ResolutionAndShiftDecideTheBands) {
  ColourScale scale(1.0, 1000.0, 0);
  SectionColourBlock block;
  block.bytes[kPaletteByte] = 2;
  EXPECT_EQ(scale.resolution(), 217);
  scale.WriteColourList(block);
  // Full resolution: every ramp colour, low end first.
  ASSERT_EQ(block.count, 217);
  for (int i = 0; i < 217; ++i) ASSERT_EQ(block.bytes[i], i);
  EXPECT_EQ(block.bytes[kPaletteByte], 2);  // a repaint stores no palette

  for (int i = 0; i < 20; ++i) scale.ResolutionDown();
  EXPECT_EQ(scale.resolution_index(), 0);
  EXPECT_EQ(scale.resolution(), -10);
  scale.WriteColourList(block);
  EXPECT_EQ(block.count, 217);
  EXPECT_EQ(Bands(block), 22);
  EXPECT_EQ(block.bytes[9], 0);
  EXPECT_EQ(block.bytes[10], 10);
  EXPECT_EQ(block.bytes[216], 210);

  // k = 2 drops about every second colour, k = 3 every third.
  for (int i = 0; i < 8; ++i) scale.ResolutionUp();
  EXPECT_EQ(scale.resolution(), 2);
  scale.WriteColourList(block);
  EXPECT_EQ(block.count, 109);
  EXPECT_EQ(Bands(block), 109);
  scale.ResolutionUp();
  scale.WriteColourList(block);
  EXPECT_EQ(block.count, 145);
  for (int i = 0; i < 20; ++i) scale.ResolutionUp();
  EXPECT_EQ(scale.resolution_index(), 15);

  // The shift stays within its limits and cuts the bar.
  for (int i = 0; i < 25; ++i) scale.ShiftUp();
  EXPECT_EQ(scale.shift(), 200);
  for (int i = 0; i < 50; ++i) scale.ShiftDown();
  EXPECT_EQ(scale.shift(), -200);
  scale.ShiftUp();
  EXPECT_EQ(scale.shift(), -190);

  // Moved down by 190 rows: the 27 highest colours stay, at the bottom.
  const auto lines = scale.Lines();
  ASSERT_EQ(lines.size(), 27u);
  EXPECT_EQ(lines.front().row, 0);
  EXPECT_EQ(lines.front().ramp_index, 190);
  EXPECT_EQ(lines.back().ramp_index, 216);

  // A short bar is centred: 109 lines start at row 54.
  ColourScale half(1.0, 1000.0, 0);
  for (int i = 0; i < 7; ++i) half.ResolutionDown();
  EXPECT_EQ(half.Lines().front().row, 54);
  half.ShiftUp();
  EXPECT_EQ(half.Lines().front().row, 64);
}

TEST(ColourScaleTest, PalettesAndTheirStoring) {
  SectionColourBlock block;
  ColourScale scale(10.0, 500.0, 1);
  EXPECT_TRUE(scale.reversed());
  scale.WriteColourList(block);
  // Reversed palettes walk the ramp from 216 down: low values red.
  EXPECT_EQ(block.bytes[0], 216);
  EXPECT_EQ(block.bytes[216], 0);

  // Choosing a palette is not storing it.
  scale.ChoosePalette(3);
  EXPECT_TRUE(scale.reversed());
  EXPECT_EQ(block.palette(), 0);
  scale.Apply(block);
  EXPECT_EQ(block.palette(), 3);
  scale.ChoosePalette(2);
  EXPECT_FALSE(scale.reversed());
  scale.ShiftUp();
  scale.ResolutionDown();
  scale.SetDefault(block);
  EXPECT_EQ(block.palette(), 0);
  EXPECT_EQ(scale.shift(), 0);
  EXPECT_EQ(scale.resolution_index(), 15);
  EXPECT_EQ(block.count, 217);
  EXPECT_EQ(block.bytes[0], 0);

  // A palette byte out of range reads as palette 0.
  EXPECT_EQ(ColourScale(1.0, 10.0, 9).palette(), 0);
}

TEST(ColourScaleTest, AxisLabels) {
  auto ticks = ScaleAxis(1.0, 2000.0);
  EXPECT_EQ(Labels(ticks),
            (std::vector<std::string>{"1", "10", "100", "1K", "2K"}));
  EXPECT_EQ(LabelAt(ticks, kScaleField), "2K");
  EXPECT_EQ(ticks.front().row, 0);
  // 10 Ohm-m lies a decade of 217 / log10(2000) pixels up.
  EXPECT_EQ(LabelAt(ticks, 65), "10");
  // Ticks at 1..9 of each decade: 9 + 9 + 9 + 2 (1000, 2000) + the top.
  EXPECT_EQ(ticks.size(), 30u);

  ticks = ScaleAxis(1.0, 1000.0);
  EXPECT_EQ(LabelAt(ticks, kScaleField), "1K");
  EXPECT_EQ(Labels(ticks), (std::vector<std::string>{"1", "10", "100", "1K"}));

  // Top labels below 1000 and the rule of a maximum near 1.
  EXPECT_EQ(LabelAt(ScaleAxis(1.0, 350.0), kScaleField), "350");
  EXPECT_EQ(LabelAt(ScaleAxis(0.001, 0.25), kScaleField), "");
  EXPECT_EQ(LabelAt(ScaleAxis(0.0001, 0.05), kScaleField), "0.05");
  EXPECT_EQ(LabelAt(ScaleAxis(0.1, 5.0), kScaleField), "");
  EXPECT_EQ(LabelAt(ScaleAxis(1.0, 25000.0), kScaleField), "25K");

  // One decade, 200 to 900: step 100 from the minimum, below the maximum.
  ticks = ScaleAxis(200.0, 900.0);
  EXPECT_EQ(Labels(ticks),
            (std::vector<std::string>{
                "200", "300", "400", "500", "600", "700", "800"}));
  EXPECT_EQ(ticks.front().row, 0);
  ticks = ScaleAxis(0.02, 0.09);
  EXPECT_EQ(Labels(ticks).front(), "0.02");
  EXPECT_EQ(Labels(ticks).back(), "0.08");
  EXPECT_EQ(Labels(ScaleAxis(0.3, 0.95)).front(), "0.3");
  EXPECT_EQ(Labels(ScaleAxis(2.0, 9.5)).size(), 8u);

  // Equal, zero or missing limits still give an axis without NaN rows.
  for (auto [lo, hi] : {std::pair{50.0, 50.0},
                        std::pair{0.0, 0.0},
                        std::pair{-1.0, 10.0},
                        std::pair{std::nan(""), 3.0}}) {
    ticks = ScaleAxis(lo, hi);
    EXPECT_FALSE(ticks.empty()) << lo << " " << hi;
    for (const ScaleTick& t : ticks) {
      EXPECT_GE(t.row, 0);
      EXPECT_LE(t.row, kScaleField);
    }
  }
}

}  // namespace
}  // namespace mtvuk
