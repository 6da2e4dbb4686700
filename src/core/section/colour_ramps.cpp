#include "core/section/colour_ramps.h"

#include <algorithm>
#include <cmath>

namespace mtvuk {
namespace {

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(v); }

// A ramp of the walked entries 0..216 through evenly spaced colours,
// linear in RGB between them; the entries beyond repeat the last.
template <std::size_t N>
ColourRamp Through(const std::array<Rgb, N>& stops) {
  ColourRamp ramp{};
  for (int i = 0; i < kRampWalk; ++i) {
    const double t = static_cast<double>(i) / (kRampWalk - 1) * (N - 1);
    const std::size_t k =
        std::min<std::size_t>(static_cast<std::size_t>(t), N - 2);
    const double f = t - static_cast<double>(k);
    auto mix = [f](std::uint8_t a, std::uint8_t b) {
      return Byte(static_cast<int>(std::lround(a + f * (b - a))));
    };
    ramp[i] = {mix(stops[k].r, stops[k + 1].r),
               mix(stops[k].g, stops[k + 1].g),
               mix(stops[k].b, stops[k + 1].b)};
  }
  for (int i = kRampWalk; i < kRampSize; ++i) ramp[i] = ramp[kRampWalk - 1];
  return ramp;
}

}  // namespace

ColourRamp MakeRampA() {
  ColourRamp ramp{};
  for (int i = 0; i <= 63; ++i) ramp[i] = {0, Byte(4 * i), 255};
  for (int i = 64; i <= 114; ++i) ramp[i] = {0, 255, Byte(255 - 4 * (i - 64))};
  for (int i = 115; i <= 153; ++i)
    ramp[i] = {Byte(100 + 4 * (i - 115)), 255, 0};
  for (int i = 154; i <= 217; ++i)
    ramp[i] = {255, Byte(255 - 4 * (i - 154)), 0};
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

ColourRamp MakeRampViridis() {
  // The published map at ninths of its length.
  static constexpr std::array<Rgb, 9> kStops = {{{68, 1, 84},
                                                 {71, 45, 123},
                                                 {59, 82, 139},
                                                 {44, 114, 142},
                                                 {33, 144, 140},
                                                 {39, 173, 129},
                                                 {92, 200, 99},
                                                 {170, 220, 50},
                                                 {253, 231, 37}}};
  return Through(kStops);
}

ColourRamp MakeRampCoolWarm() {
  // The published map at sixteenths of its length, from its warm end.
  static constexpr std::array<Rgb, 17> kStops = {{{180, 4, 38},
                                                  {203, 62, 56},
                                                  {222, 96, 77},
                                                  {236, 127, 99},
                                                  {244, 154, 123},
                                                  {247, 177, 148},
                                                  {245, 196, 173},
                                                  {236, 211, 197},
                                                  {221, 221, 221},
                                                  {204, 217, 238},
                                                  {184, 208, 249},
                                                  {163, 194, 255},
                                                  {141, 176, 254},
                                                  {119, 154, 247},
                                                  {98, 130, 234},
                                                  {77, 104, 215},
                                                  {59, 76, 192}}};
  return Through(kStops);
}

const ColourRamp& PaletteRamp(const ColourRamps& ramps, int palette) {
  switch (palette) {
    case 2:
    case 3:
      return ramps.b;
    case 4:
      return ramps.viridis;
    case 5:
      return ramps.cool_warm;
    default:
      return ramps.a;
  }
}

bool PaletteReversed(int palette) { return palette == 1 || palette == 3; }

}  // namespace mtvuk
