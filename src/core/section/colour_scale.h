// The colour scale of a section as the "Scale" dialog shows and sets it: the
// bar of ramp colours, its logarithmic value axis, the resolution and shift
// arrows, the palette, and the section's list of colours.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/section/colour_ramps.h"
#include "core/store/section_store.h"

namespace mtvuk {

// Height of the bar's field in pixels: one line per ramp entry walked.
inline constexpr int kScaleField = 217;
inline constexpr int kResolutionCount = 16;
inline constexpr int kDefaultResolution = 15;
// -k: one band every k ramp colours; k: every k-th colour shares the line of
// its neighbour; 217 shows the whole ramp.
inline constexpr std::array<int, kResolutionCount> kResolutionTable = {
    -10, -9, -8, -7, -6, -5, -4, -3, 2, 3, 4, 5, 7, 10, 20, 217};
inline constexpr int kShiftLimit = 200;
inline constexpr int kShiftStep = 10;

// One line of the bar: its row in the field (0 the bottom row) and the ramp
// entry it is drawn in.
struct ScaleLine {
  int row = 0;
  int ramp_index = 0;
};

// A tick of the value axis, `row` pixels above the bottom of the field; an
// empty label marks an unlabelled tick.
struct ScaleTick {
  int row = 0;
  std::string label;
};

// The ticks and labels beside the bar for values from `min` to `max`
// (Ohm-m), including the label of the maximum at the top of the field when
// it has one. A range that is not positive and increasing is shown as the
// decade around its value.
std::vector<ScaleTick> ScaleAxis(double min, double max);

class ColourScale {
 public:
  // The section's palette comes from its colour block.
  ColourScale(double min, double max, int palette);

  double min() const { return min_; }
  double max() const { return max_; }
  int resolution_index() const { return resolution_index_; }
  int resolution() const { return kResolutionTable[resolution_index_]; }
  int shift() const { return shift_; }
  int palette() const { return palette_; }
  bool reversed() const { return reversed_; }

  // The arrows: a click past a limit leaves the value at the limit.
  void ShiftDown();
  void ShiftUp();
  void ResolutionDown();
  void ResolutionUp();
  // A palette chosen in the list; nothing is stored until Apply.
  void ChoosePalette(int palette);

  // The lines of the bar from the bottom upward, only those inside the
  // field.
  std::vector<ScaleLine> Lines() const;
  // The ramp indices of the drawn lines, from the low end upward, as the
  // section's colour list (its palette byte is left alone).
  void WriteColourList(SectionColourBlock& block) const;
  // "Apply": the palette and the colour list go to the section.
  void Apply(SectionColourBlock& block) const;
  // "Set default": full resolution, no shift, palette 0, stored.
  void SetDefault(SectionColourBlock& block);

 private:
  double min_;
  double max_;
  int resolution_index_ = kDefaultResolution;
  int shift_ = 0;
  int palette_ = 0;
  bool reversed_ = false;
};

}  // namespace mtvuk
