// The labelled ticks of the colour bar beside a section picture.
#pragma once

#include <string>
#include <vector>

namespace mtvuk {

struct ColourBarTick {
  double value = 0.0;  // Ohm-m
  std::string label;
};

// Ticks for resistivities from `min` to `max` (Ohm-m), all labels in one
// format. A range that holds two powers of ten or more is labelled at its
// decades: as
// plain numbers ("0.01" .. "100000") while every decade lies within
// 0.001 .. 100000, else every label as a power of ten ("10^-4", "10^6").
// A narrower range gets 3 to 7 plain values at a step of 1, 2 or 5 times a
// power of ten, all with the step's decimals. A range that is not positive
// and increasing gets no ticks.
std::vector<ColourBarTick> ColourBarTicks(double min, double max);

}  // namespace mtvuk
