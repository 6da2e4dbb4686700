// The two colour ramps of the section pictures and the four palettes that
// read them in either direction.
#pragma once

#include <array>
#include <cstdint>

namespace mtvuk {

inline constexpr int kRampSize = 220;
// Entries a scale walks: 0..216 upward, or 216..0 downward.
inline constexpr int kRampWalk = 217;
inline constexpr int kPaletteCount = 4;

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

using ColourRamp = std::array<Rgb, kRampSize>;

// Blue - cyan - green - yellow - red.
ColourRamp MakeRampA();
// Blue - white - red.
ColourRamp MakeRampB();

struct ColourRamps {
  ColourRamp a = MakeRampA();
  ColourRamp b = MakeRampB();
};

// Names of the palettes 0..3 as the palette list shows them.
inline constexpr std::array<const char*, kPaletteCount> kPaletteNames = {
    "R->G->B", "B->G->R", "Red-Blue", "Blue-Red"};

// The ramp a palette reads (palettes 0, 1 ramp A; 2, 3 ramp B); any other
// number reads ramp A.
const ColourRamp& PaletteRamp(const ColourRamps& ramps, int palette);
// Palettes 1 and 3 read their ramp from the high end: low values red.
bool PaletteReversed(int palette);

}  // namespace mtvuk
