// The colour ramps of the section pictures: the two classic ramps, read in
// either direction by the palettes 0..3, and two perceptually uniform ones
// (palettes 4 and 5).
#pragma once

#include <array>
#include <cstdint>

namespace mtvuk {

inline constexpr int kRampSize = 220;
// Entries a scale walks: 0..216 upward, or 216..0 downward.
inline constexpr int kRampWalk = 217;
inline constexpr int kPaletteCount = 6;

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

using ColourRamp = std::array<Rgb, kRampSize>;

// Blue - cyan - green - yellow - red.
ColourRamp MakeRampA();
// Blue - white - red.
ColourRamp MakeRampB();
// Viridis (van der Walt and Smith 2015): dark violet - blue - green -
// yellow, its lightness rising evenly.
ColourRamp MakeRampViridis();
// Cool-warm (Moreland 2009): red - light grey - blue, its lightness rising
// evenly to the grey middle and falling evenly beyond it. Low values red,
// as conductors are usually drawn.
ColourRamp MakeRampCoolWarm();

struct ColourRamps {
  ColourRamp a = MakeRampA();
  ColourRamp b = MakeRampB();
  ColourRamp viridis = MakeRampViridis();
  ColourRamp cool_warm = MakeRampCoolWarm();
};

// Names of the palettes 0..5 as the palette list shows them; the names
// read from the top of the scale (high values) to its bottom.
inline constexpr std::array<const char*, kPaletteCount> kPaletteNames = {
    "R->G->B", "B->G->R", "Red-Blue", "Blue-Red", "Viridis", "Cool-Warm"};

// The ramp a palette reads (palettes 0, 1 ramp A; 2, 3 ramp B; 4 viridis;
// 5 cool-warm); any other number reads ramp A.
const ColourRamp& PaletteRamp(const ColourRamps& ramps, int palette);
// Palettes 1 and 3 read their ramp from the high end: low values red.
bool PaletteReversed(int palette);

}  // namespace mtvuk
