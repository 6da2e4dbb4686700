#include "core/section/colour_scale.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

#include "core/files/fixed_columns.h"

namespace mtvuk {

namespace {

using columns::Format;

// A range the axis can be drawn for: positive, finite and increasing.
std::pair<double, double> UsableRange(double min, double max) {
  if (std::isfinite(min) && std::isfinite(max) && min > 0.0 && max > min)
    return {min, max};
  double v = 1.0;
  if (std::isfinite(min) && min > 0.0) {
    v = min;
  } else if (std::isfinite(max) && max > 0.0) {
    v = max;
  }
  const double half_decade = std::sqrt(10.0);
  return {v / half_decade, v * half_decade};
}

// Rows above the bottom of the field, truncated to whole pixels; values
// below the minimum give negative rows and are left out. The nudge keeps a
// decade that ends exactly at the top (1 to 1000) from rounding below it.
int Row(double value, double l_min, double pixels_per_decade) {
  return static_cast<int>(
      std::floor((std::log10(value) - l_min) * pixels_per_decade + 1e-9));
}

bool InField(int row) { return row >= 0 && row <= kScaleField; }

// The label of the maximum at the top of a scale of several decades, or
// empty where a decade label stands there or the maximum is near 1.
std::string TopLabel(double max) {
  const double l_max = std::log10(max);
  const int hundredths = static_cast<int>(100.0 * l_max);
  if (hundredths != 0 && hundredths % 100 == 0 && hundredths >= -400 &&
      hundredths <= 500) {
    return {};
  }
  if (static_cast<int>(l_max) == 0) return {};
  if (max >= 1000.0) return Format("%dK", static_cast<int>(max * 0.001));
  if (max >= 1.0) return Format("%d", static_cast<int>(max));
  if (max >= 0.1) return Format("%3.1f", max);
  if (max >= 0.01) return Format("%4.2f", max);
  if (max >= 0.001) return Format("%5.3f", max);
  return {};
}

void DecadeTicks(double l_min,
                 double pixels_per_decade,
                 double max,
                 std::vector<ScaleTick>& ticks) {
  static constexpr std::array<const char*, 9> kDecadeLabels = {
      "1m", "0.01", "0.1", "1", "10", "100", "1K", "10K", "100K"};
  for (int e = -3; e <= 5; ++e) {
    // 100000 carries its label only; the ticks end at 90000.
    const int last_multiple = e == 5 ? 1 : 9;
    for (int m = 1; m <= last_multiple; ++m) {
      const double value = m * std::pow(10.0, e);
      const int row = Row(value, l_min, pixels_per_decade);
      if (!InField(row)) continue;
      ticks.push_back({row, m == 1 ? kDecadeLabels[e + 3] : ""});
    }
  }
  const std::string top = TopLabel(max);
  if (!top.empty()) ticks.push_back({kScaleField, top});
}

// The step of a scale of at most one decade: a tenth of the power of ten
// at or above the maximum.
double OneDecadeStep(double l_max) {
  static constexpr std::array<std::pair<int, double>, 9> kSteps = {{{-3, 1e-4},
                                                                   {-2, 1e-3},
                                                                   {-1, 1e-2},
                                                                   {0, 0.1},
                                                                   {1, 1.0},
                                                                   {2, 10.0},
                                                                   {3, 100.0},
                                                                   {4, 1000.0},
                                                                   {5, 1e4}}};
  for (const auto& [bound, step] : kSteps) {
    if (l_max <= bound) return step;
  }
  return std::pow(10.0, std::ceil(l_max) - 1.0);
}

std::string OneDecadeLabel(double value) {
  if (value >= 1.0) return Format("%i", static_cast<int>(value));
  if (value >= 0.1) return Format("%.1f", value);
  if (value >= 0.01) return Format("%.2f", value);
  if (value >= 0.001) return Format("%.3f", value);
  return Format("%.4f", value);
}

void StepTicks(double min,
               double max,
               double l_min,
               double pixels_per_decade,
               std::vector<ScaleTick>& ticks) {
  const double step = OneDecadeStep(std::log10(max));
  // A step never exceeds the maximum, so a decade holds at most a hundred
  // ticks; the bound only guards against a range the caller made up.
  for (int i = 0; i < 1000; ++i) {
    const double value = min + i * step;
    if (value >= max) break;
    const int row = Row(value, l_min, pixels_per_decade);
    if (InField(row)) ticks.push_back({row, OneDecadeLabel(value)});
  }
}

}  // namespace

std::vector<ScaleTick> ScaleAxis(double min, double max) {
  std::tie(min, max) = UsableRange(min, max);
  const double l_min = std::log10(min);
  const double l_max = std::log10(max);
  const double pixels_per_decade = kScaleField / (l_max - l_min);
  std::vector<ScaleTick> ticks;
  if (l_max - l_min > 1.0) {
    DecadeTicks(l_min, pixels_per_decade, max, ticks);
  } else {
    StepTicks(min, max, l_min, pixels_per_decade, ticks);
  }
  return ticks;
}

ColourScale::ColourScale(double min, double max, int palette) {
  std::tie(min_, max_) = UsableRange(min, max);
  ChoosePalette(palette);
}

void ColourScale::ShiftDown() {
  shift_ = std::max(-kShiftLimit, shift_ - kShiftStep);
}

void ColourScale::ShiftUp() {
  shift_ = std::min(kShiftLimit, shift_ + kShiftStep);
}

void ColourScale::ResolutionDown() {
  resolution_index_ = std::max(0, resolution_index_ - 1);
}

void ColourScale::ResolutionUp() {
  resolution_index_ = std::min(kResolutionCount - 1, resolution_index_ + 1);
}

void ColourScale::ChoosePalette(int palette) {
  palette_ = palette >= 0 && palette < kPaletteCount ? palette : 0;
  reversed_ = PaletteReversed(palette_);
}

std::vector<ScaleLine> ColourScale::Lines() const {
  const int value = resolution();
  std::vector<int> entries;  // walked ramp entries, 0 the low end
  for (int i = 0; i < kRampWalk; ++i) {
    if (value < 0) {
      // A band of k lines in the colour of its first entry.
      entries.push_back(i - i % -value);
    } else if (i == 0 || i % value != 0) {
      entries.push_back(i);
    }
  }
  const int count = static_cast<int>(entries.size());
  const int base = (kScaleField - count) / 2 + shift_;
  std::vector<ScaleLine> lines;
  for (int j = 0; j < count; ++j) {
    const int row = base + j;
    if (row < 0 || row >= kScaleField) continue;
    const int entry = entries[j];
    lines.push_back({row, reversed_ ? kRampWalk - 1 - entry : entry});
  }
  return lines;
}

void ColourScale::WriteColourList(SectionColourBlock& block) const {
  const std::vector<ScaleLine> lines = Lines();
  std::fill(block.bytes.begin(), block.bytes.begin() + kColourListSize, 0);
  for (std::size_t j = 0; j < lines.size(); ++j) {
    block.bytes[j] = static_cast<std::uint8_t>(lines[j].ramp_index);
  }
  block.count = static_cast<std::int32_t>(lines.size());
}

void ColourScale::Apply(SectionColourBlock& block) const {
  block.bytes[kPaletteByte] = static_cast<std::uint8_t>(palette_);
  WriteColourList(block);
}

void ColourScale::SetDefault(SectionColourBlock& block) {
  resolution_index_ = kDefaultResolution;
  shift_ = 0;
  ChoosePalette(0);
  Apply(block);
}

}  // namespace mtvuk
