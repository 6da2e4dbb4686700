// Settings of smoothing and of the depth window that live in the workspace
// for the whole session, and the designed model handed to the model records.
#pragma once

#include <array>
#include <cstdint>

#include "core/store/capacities.h"

namespace mtvuk {

// What the "Smoothing" window stores on OK.
struct SmoothingSettings {
  std::int32_t ignore_errors = 0;      // "&Ignore err": weights all 1
  std::int32_t res_to_phase = 0;       // "Res->Phs": also the phase from rho
  std::int32_t free_fit = 1;           // "&Free" / "&Limited" (pair hidden)
  std::int16_t tension_position = 32;  // pixels from the left of the bar
  std::int16_t tension_width = 126;    // pixels, width of the bar
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
