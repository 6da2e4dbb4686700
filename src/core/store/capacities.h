// Fixed capacities of the stores and the polarisation modes of field curves.
#pragma once

#include <array>
#include <cstdint>

namespace mtvuk {

inline constexpr int MaxSets = 6;            // field-set slots
inline constexpr int MaxModels = 6;          // layered models
inline constexpr int MaxLayers = 16;         // layers per model
inline constexpr int MaxFreq = 100;          // frequencies per sounding and set
inline constexpr int DispersionParams = 5;   // dispersion values per layer
inline constexpr int MaxCurvePeriods = 250;  // periods of a model curve

// Polarisation of a field or model curve, in this order everywhere.
enum class CurveMode : int { XY = 0, YX = 1, MEAN = 2, EFF = 3 };
inline constexpr int kCurveModes = 4;

using PointArray = std::array<float, MaxFreq>;
using PointFlags = std::array<std::int32_t, MaxFreq>;

constexpr PointArray FilledPoints(float v) {
  PointArray a{};
  a.fill(v);
  return a;
}

}  // namespace mtvuk
