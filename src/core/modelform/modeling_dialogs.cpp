#include "core/modelform/modeling_dialogs.h"

#include <cstdio>

#include "core/modelform/model_form_logic.h"

namespace mtvuk {

std::string NumberRangeMessage(double min, double max, bool is_float) {
  char text[128];
  const int digits = is_float ? 6 : 15;
  std::snprintf(text,
                sizeof text,
                "Please enter a number between %.*g and %.*g.",
                digits,
                min,
                digits,
                max);
  return text;
}

ModelingSettings ModelingSettings::Load(const Workspace& workspace,
                                        const LayerModels& models) {
  ModelingSettings s;
  for (int i = 0; i < MaxModels; ++i) {
    s.names[i] = models[i].name;
    s.shown[i] = models[i].shown;
  }
  s.resistivity_step = workspace.resistivity_step;
  s.thickness_step = workspace.thickness_step;
  s.period_min = models[0].period_min;
  s.period_max = models[0].period_max;
  s.pen_width = workspace.pen_width;
  s.physics = workspace.physics;
  return s;
}

std::optional<std::pair<int, std::string>> ModelingSettings::Validate() const {
  auto outside = [](double v, double lo, double hi) {
    return !(v >= lo && v <= hi);
  };
  if (outside(resistivity_step, kRhoStepMin, kRhoStepMax)) {
    return std::make_pair(0,
                          NumberRangeMessage(kRhoStepMin, kRhoStepMax, true));
  }
  if (outside(thickness_step, kThicknessStepMin, kThicknessStepMax)) {
    return std::make_pair(
        1, NumberRangeMessage(kThicknessStepMin, kThicknessStepMax, true));
  }
  if (outside(period_min, kPeriodMinMin, kPeriodMinMax)) {
    return std::make_pair(
        2, NumberRangeMessage(kPeriodMinMin, kPeriodMinMax, true));
  }
  if (outside(period_max, kPeriodMaxMin, kPeriodMaxMax)) {
    return std::make_pair(
        3, NumberRangeMessage(kPeriodMaxMin, kPeriodMaxMax, true));
  }
  if (pen_width < kPenMin || pen_width > kPenMax) {
    char text[96];
    std::snprintf(text,
                  sizeof text,
                  "Please enter an integer between %d and %d.",
                  kPenMin,
                  kPenMax);
    return std::make_pair(4, std::string(text));
  }
  return std::nullopt;
}

bool ModelingSettings::Apply(Workspace& workspace,
                             LayerModels& models,
                             Ui& ui) const {
  workspace.resistivity_step =
      static_cast<float>(resistivity_step < 1.01 ? 1.01 : resistivity_step);
  workspace.thickness_step =
      static_cast<float>(thickness_step <= 0.0001 ? 0.1 : thickness_step);
  const int pen = pen_width < 1 ? 1 : pen_width;
  const bool pen_changed = pen != workspace.pen_width;
  workspace.pen_width = pen;
  double tmax = period_max < 100.0
                    ? 100.0
                    : (period_max > 1000000.0 ? 1000000.0 : period_max);
  double tmin =
      period_min > 1.0 ? 1.0 : (period_min < 1e-6 ? 1e-6 : period_min);
  for (int i = 0; i < MaxModels; ++i) {
    models[i].name = names[i];
    models[i].shown = shown[i];
    models[i].period_min = static_cast<float>(tmin);
    models[i].period_max = static_cast<float>(tmax);
  }
  UpdateShownFlag(workspace, models);
  const bool physics_changed = physics != workspace.physics;
  workspace.physics = physics;
  if (!workspace.model_form_open || physics_changed)
    ui.Post(Window::kView, Um::UM_MODELSCHANGED, 0, 0);
  return pen_changed;
}

ModelChoice ModelChoice::Load(const Workspace& workspace,
                              const LayerModels& models) {
  ModelChoice c;
  for (int i = 0; i < MaxModels; ++i) {
    c.names[i] = models[i].name;
    c.enabled[i] = models[i].shown;
    c.chosen[i] = models[i].shown;
  }
  c.period_min = workspace.export_period_min;
  c.period_max = workspace.export_period_max;
  return c;
}

void ModelChoice::Toggle(int i) {
  if (enabled[i]) chosen[i] = chosen[i] ? 0 : 1;
}

std::optional<std::pair<int, std::string>> ModelChoice::Validate() const {
  if (!(period_min >= kMinLow && period_min <= kMinHigh)) {
    return std::make_pair(0, NumberRangeMessage(kMinLow, kMinHigh, false));
  }
  if (!(period_max >= kMaxLow && period_max <= kMaxHigh)) {
    return std::make_pair(1, NumberRangeMessage(kMaxLow, kMaxHigh, false));
  }
  return std::nullopt;
}

void ModelChoice::Apply(Workspace& workspace, LayerModels& models) const {
  for (int i = 0; i < MaxModels; ++i) models[i].export_flag = chosen[i];
  workspace.export_period_min = period_min;
  workspace.export_period_max = period_max;
}

}  // namespace mtvuk
