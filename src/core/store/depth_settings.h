// Settings of smoothing and of the depth window that live in the workspace
// for the whole session, and the designed model handed to the model records.
#pragma once

#include <array>
#include <cstdint>

#include "core/store/capacities.h"

namespace mtvuk {

// Which smoother turns a field curve into its smoothed curve: the weighted
// least-squares spline with tension-set knots, or the robust penalised
// spline whose smoothness comes from the data.
enum class Smoother : std::int32_t { kClassic = 0, kRobust = 1 };

// What the "Smoothing" window stores on OK.
struct SmoothingSettings {
  std::int32_t ignore_errors = 0;      // "&Ignore err": weights all 1
  std::int32_t res_to_phase = 0;       // "Res->Phs": also the phase from rho
  std::int32_t free_fit = 1;           // "&Free" / "&Limited" (pair hidden)
  std::int16_t tension_position = 32;  // pixels from the left of the bar
  std::int16_t tension_width = 126;    // pixels, width of the bar
  Smoother smoother = Smoother::kRobust;
  // 1 once the user moved the tension marker: the robust smoother then takes
  // its smoothness from the marker instead of from the data.
  std::int32_t tension_by_hand = 0;
};

// Which profile the depth graph draws.
enum class DepthQuantity : std::int32_t { kResistivity = 0, kConductance = 1 };

// State of the depth window, copied in when it opens and back when it
// closes.
struct DepthWindowSettings {
  std::int32_t grid = 1;
  std::int32_t models = 1;           // "&Model": the models' profiles
  std::int32_t transformations = 1;  // "&Transf": the field sets' profiles
  DepthQuantity quantity = DepthQuantity::kResistivity;
  std::int32_t log_depth = 0;  // "&Log h"
  std::int32_t extra = 0;      // "&0": the smooth-inversion profiles
  // Visible ranges (depth in m, negative; values as log10); all zero: the
  // graph follows the data.
  std::array<double, 4> ranges{};
  std::int16_t font_size = 0;  // 0, 1, 2: width of the button column
};

// The model drawn in the depth window, on its way to "Set designed model".
struct DesignedModel {
  std::array<double, MaxLayers> resistivity{};  // Ohm-m
  std::array<double, MaxLayers> thickness{};    // km
};

}  // namespace mtvuk
