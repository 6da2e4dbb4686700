// A section's colour bar labels, and the perceptually uniform palettes.
#include "core/section/colour_bar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/section/colour_ramps.h"

namespace mtvuk {
namespace {

std::vector<std::string> Labels(double lo, double hi) {
  std::vector<std::string> out;
  for (const ColourBarTick& t : ColourBarTicks(lo, hi)) out.push_back(t.label);
  return out;
}

TEST(ColourBarTest, EveryLabelOfABarIsInOneFormat) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Labels(1.0, 100000.0),
            (V{"1", "10", "100", "1000", "10000", "100000"}));
  EXPECT_EQ(Labels(0.0002, 50.0), (V{"0.001", "0.01", "0.1", "1", "10"}));
  // A decade beyond 100000 turns every label into a power of ten.
  EXPECT_EQ(Labels(3.0, 2e6),
            (V{"10^1", "10^2", "10^3", "10^4", "10^5", "10^6"}));
  EXPECT_EQ(Labels(2e-5, 0.5), (V{"10^-4", "10^-3", "10^-2", "10^-1"}));
  const auto ticks = ColourBarTicks(3.0, 2e6);
  EXPECT_DOUBLE_EQ(ticks.front().value, 10.0);
  EXPECT_DOUBLE_EQ(ticks.back().value, 1e6);
  // Fewer than two decades: evenly spaced values with the step's decimals.
  EXPECT_EQ(Labels(5.0, 50.0), (V{"10", "20", "30", "40", "50"}));
  EXPECT_EQ(Labels(5.0, 6.0), (V{"5.0", "5.2", "5.4", "5.6", "5.8", "6.0"}));
  EXPECT_EQ(Labels(0.31, 0.9), (V{"0.4", "0.5", "0.6", "0.7", "0.8", "0.9"}));
  EXPECT_EQ(Labels(2.0, 63.0), (V{"10", "20", "30", "40", "50", "60"}));
  // Nothing sensible to label.
  EXPECT_TRUE(ColourBarTicks(0.0, 10.0).empty());
  EXPECT_TRUE(ColourBarTicks(10.0, 10.0).empty());
  EXPECT_TRUE(ColourBarTicks(NAN, 10.0).empty());
}

// CIE L* and a* b* of an sRGB colour (D65).
struct Lab {
  double l, a, b;
};

Lab ToLab(Rgb c) {
  auto linear = [](double v) {
    v /= 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  const double r = linear(c.r), g = linear(c.g), b = linear(c.b);
  const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
  const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
  auto f = [](double t) {
    return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0;
  };
  return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

// Colour differences between neighbouring entries of the walk.
std::vector<double> Steps(const ColourRamp& ramp) {
  std::vector<double> out;
  for (int i = 1; i < kRampWalk; ++i) {
    const Lab p = ToLab(ramp[i - 1]), q = ToLab(ramp[i]);
    out.push_back(std::hypot(q.l - p.l, q.a - p.a, q.b - p.b));
  }
  return out;
}

double Mean(const std::vector<double>& v) {
  return std::accumulate(v.begin(), v.end(), 0.0) / v.size();
}

// Lightness from entry `from` to `to` never falls (or, `falling`, rises).
void ExpectEvenWalk(const ColourRamp& ramp, int from, int to, bool falling) {
  for (int i = from + 1; i <= to; ++i) {
    const double rise = ToLab(ramp[i]).l - ToLab(ramp[i - 1]).l;
    EXPECT_GE(falling ? -rise : rise, -0.1) << i;
  }
}

TEST(ColourBarTest, PalettesAndTheirRamps) {
  const ColourRamps r;
  const ColourRamp* ramps[] = {
      &r.a, &r.a, &r.b, &r.b, &r.viridis, &r.cool_warm};
  for (int p = 0; p < kPaletteCount; ++p) {
    EXPECT_EQ(&PaletteRamp(r, p), ramps[p]) << p;
    EXPECT_EQ(PaletteReversed(p), p == 1 || p == 3) << p;
  }
  EXPECT_STREQ(kPaletteNames[3], "Blue-Red");
  EXPECT_STREQ(kPaletteNames[5], "Cool-Warm");
  // The classic ends and middles, and the published ones of the new maps.
  const std::pair<const ColourRamp*, std::vector<std::pair<int, Rgb>>> ends[] =
      {{&r.a, {{0, {0, 0, 255}}, {64, {0, 255, 255}}, {217, {255, 3, 0}}}},
       {&r.b,
        {{127, {254, 254, 255}}, {128, {255, 255, 255}}, {219, {255, 73, 73}}}},
       {&r.viridis,
        {{0, {68, 1, 84}}, {216, {253, 231, 37}}, {219, {253, 231, 37}}}},
       {&r.cool_warm,
        {{0, {180, 4, 38}}, {108, {221, 221, 221}}, {216, {59, 76, 192}}}}};
  for (const auto& [ramp, entries] : ends) {
    for (const auto& [i, rgb] : entries) EXPECT_EQ((*ramp)[i], rgb) << i;
  }
  // Viridis and cool-warm never jump as the classic ramp does at 114.
  ExpectEvenWalk(r.viridis, 0, kRampWalk - 1, false);
  ExpectEvenWalk(r.cool_warm, 0, 108, false);
  ExpectEvenWalk(r.cool_warm, 108, kRampWalk - 1, true);
  for (const ColourRamp* ramp : {&r.viridis, &r.cool_warm}) {
    const auto v = Steps(*ramp);
    EXPECT_LT(*std::max_element(v.begin(), v.end()), 2.0 * Mean(v));
  }
  const auto a = Steps(r.a);
  EXPECT_EQ(a.size(), 216u);
  EXPECT_GT(a[114], 4.0 * Mean(a));
}

}  // namespace
}  // namespace mtvuk
