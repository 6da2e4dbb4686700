#include "core/section/colour_ramps.h"

namespace mtvuk {
namespace {

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }

}  // namespace

ColourRamp MakeRampA() {
  ColourRamp ramp{};
  for (int i = 0; i <= 63; ++i) ramp[i] = {0, Byte(4 * i), 255};
  for (int i = 64; i <= 114; ++i) ramp[i] = {0, 255, Byte(255 - 4 * (i - 64))};
  for (int i = 115; i <= 153; ++i) ramp[i] = {Byte(100 + 4 * (i - 115)), 255, 0};
  for (int i = 154; i <= 217; ++i) ramp[i] = {255, Byte(255 - 4 * (i - 154)), 0};
  ramp[218] = ramp[217];
  ramp[219] = ramp[217];
  return ramp;
}

ColourRamp MakeRampB() {
  ColourRamp ramp{};
  for (int i = 0; i <= 127; ++i) ramp[i] = {Byte(2 * i), Byte(2 * i), 255};
  for (int i = 128; i < kRampSize; ++i) {
    const auto v = Byte(255 - 2 * (i - 128));
    ramp[i] = {255, v, v};
  }
  return ramp;
}

const ColourRamp& PaletteRamp(const ColourRamps& ramps, int palette) {
  return palette == 2 || palette == 3 ? ramps.b : ramps.a;
}

bool PaletteReversed(int palette) { return palette == 1 || palette == 3; }

}  // namespace mtvuk
