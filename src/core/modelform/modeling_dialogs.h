// What "SETTING PARAMETERS FOR MODELING" and "CHOOSE MODELS" load and store.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

// Fields of "SETTING PARAMETERS FOR MODELING".
struct ModelingSettings {
  std::array<std::string, MaxModels> names{
      "MODEL 1", "MODEL 2", "MODEL 3", "MODEL 4", "MODEL 5", "MODEL 6"};
  std::array<std::int32_t, MaxModels> shown{1, 1, 1, 1, 1, 1};
  double resistivity_step = 1.1;
  double thickness_step = 0.1;
  double period_min = 0.001;
  double period_max = 10000.0;
  int pen_width = 2;
  // "Physics: as published / corrected" (docs/physics.md).
  Physics physics = Physics::kPublished;

  // Accepted ranges of the fields; out of range stops the OK.
  static constexpr double kRhoStepMin = 1.0, kRhoStepMax = 2.0;
  static constexpr double kThicknessStepMin = 0.0001, kThicknessStepMax = 1.0;
  static constexpr double kPeriodMinMin = 1e-6, kPeriodMinMax = 1000000.0;
  static constexpr double kPeriodMaxMin = 0.001, kPeriodMaxMax = 1000000.0;
  static constexpr int kPenMin = 1, kPenMax = 5;

  static ModelingSettings Load(const Workspace& workspace,
                               const LayerModels& models);
  // The message of the first field out of range (0-based field order: step,
  // thickness step, min period, max period, pen width), or nothing.
  std::optional<std::pair<int, std::string>> Validate() const;
  // Stores the settings with the silent corrections. Returns whether the pen
  // width changed. Posts the settings-changed notice unless the model editor
  // is open; a change of the physics posts it also then, since every model
  // curve changes with it.
  bool Apply(Workspace& workspace, LayerModels& models, Ui& ui) const;
};

// Fields of "CHOOSE MODELS".
struct ModelChoice {
  std::array<std::string, MaxModels> names;
  std::array<std::int32_t, MaxModels> enabled{};  // the model is shown
  std::array<std::int32_t, MaxModels> chosen{};   // export flags
  double period_min = 0.001;
  double period_max = 10000.0;

  static constexpr double kMinLow = 1e-6, kMinHigh = 1.0;
  static constexpr double kMaxLow = 1.0, kMaxHigh = 1000000.0;

  static ModelChoice Load(const Workspace& workspace,
                          const LayerModels& models);
  // A click on the square of model i: toggles its flag when it is shown.
  void Toggle(int i);
  std::optional<std::pair<int, std::string>> Validate() const;
  // "&Save": stores the export flags and the period range.
  void Apply(Workspace& workspace, LayerModels& models) const;
};

// The framework's message for a number out of range.
std::string NumberRangeMessage(double min, double max, bool is_float);

}  // namespace mtvuk
