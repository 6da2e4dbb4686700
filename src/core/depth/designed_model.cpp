#include "core/depth/designed_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/modelform/modeling_dialogs.h"
#include "core/physics/numeric.h"
#include "core/platform/c_number.h"
#include "core/store/store_defaults.h"

namespace mtvuk {
namespace {

constexpr double kBottomThicknessKm = 100.0;
constexpr double kMetresToKm = 0.001;

}  // namespace

bool DepthDesign::Add(double depth, double log_value, DepthQuantity quantity) {
  if (count_ >= kMaxDesignedPoints || !std::isfinite(depth) ||
      !std::isfinite(log_value)) {
    return false;
  }
  const DesignedPoint* last = count_ > 0 ? &points_[count_ - 1] : nullptr;
  const double above = last != nullptr ? last->depth : 0.0;
  if (!(depth < above)) return false;
  const double previous_s = last != nullptr ? last->conductance : 0.0;
  DesignedPoint p;
  p.depth = depth;
  p.thickness = above - depth;
  if (quantity == DepthQuantity::kResistivity) {
    p.log_res = log_value;
    p.conductance = previous_s + p.thickness / std::pow(10.0, log_value);
    p.log_s = std::log10(p.conductance);
  } else {
    p.conductance = std::pow(10.0, log_value);
    if (!(p.conductance > previous_s)) return false;
    p.log_s = log_value;
    const double layer =
        std::max(p.conductance - previous_s, kMinLayerConductance);
    p.log_res = std::log10(std::fabs(p.thickness / layer) + kTiny);
  }
  points_[count_++] = p;
  return true;
}

std::pair<double, double> DepthDesign::DragLimits(int i, double deepest) const {
  const double above = i > 0 ? points_[i - 1].depth : 0.0;
  const double below = i + 1 < count_ ? points_[i + 1].depth : deepest;
  return {below, above};
}

void DepthDesign::Move(int i,
                       double depth,
                       double log_value,
                       DepthQuantity quantity) {
  if (i < 0 || i >= count_ || !std::isfinite(log_value)) return;
  DesignedPoint& p = points_[i];
  const double above = i > 0 ? points_[i - 1].depth : 0.0;
  const bool has_below = i + 1 < count_;
  const double below = has_below ? points_[i + 1].depth : -HUGE_VAL;
  if (std::isfinite(depth) && depth < above && depth > below) p.depth = depth;
  if (quantity == DepthQuantity::kResistivity) {
    p.log_res = log_value;
  } else {
    p.conductance = std::pow(10.0, log_value);
  }
  Recompute(quantity);
}

void DepthDesign::Recompute(DepthQuantity quantity) {
  double above = 0.0;
  double previous_s = 0.0;
  for (int i = 0; i < count_; ++i) {
    DesignedPoint& p = points_[i];
    p.thickness = above - p.depth;
    if (quantity == DepthQuantity::kResistivity) {
      p.conductance = previous_s + p.thickness / std::pow(10.0, p.log_res);
    } else {
      const double layer =
          std::max(p.conductance - previous_s, kMinLayerConductance);
      p.log_res = std::log10(std::fabs(p.thickness / layer) + kTiny);
    }
    p.log_s = std::log10(p.conductance);
    above = p.depth;
    previous_s = p.conductance;
  }
}

void DepthDesign::RemoveLast() {
  if (count_ > 0) --count_;
}

void DepthDesign::Transfer(DesignedModel& model) const {
  if (count_ <= 0) return;
  model.resistivity.fill(std::pow(10.0, points_[count_ - 1].log_res));
  model.thickness.fill(kBottomThicknessKm);
  for (int k = 0; k < count_; ++k) {
    model.resistivity[k] = std::pow(10.0, points_[k].log_res);
    model.thickness[k] = points_[k].thickness * kMetresToKm;
  }
  model.thickness[count_ - 1] = kBottomThicknessKm;
}

std::string DesignedModelText(double value) {
  const char* format = "%9.2e";
  int keep = 9;
  if (value >= 1000.0) {
    format = "%5.0f";
    keep = 5;
  } else if (value >= 10.0) {
    format = "%6.2f";
    keep = 6;
  } else if (value >= 1.0) {
    format = "%5.3f";
    keep = 5;
  } else if (value >= 0.001) {
    format = "%6.4f";
    keep = 6;
  }
  char text[400];
  std::snprintf(text, sizeof text, format, value);
  if (std::strlen(text) > static_cast<std::size_t>(keep)) text[keep] = '\0';
  return text;
}

double DesignedModelRounding(double value) {
  return AtoF(DesignedModelText(value));
}

DesignedModelDialogLogic::DesignedModelDialogLogic(Workspace& workspace,
                                                   LayerModels& models,
                                                   Ui& ui)
    : workspace_(workspace), models_(models), ui_(ui) {
  const DesignedModel& d = workspace.designed_model;
  for (int r = 0; r < kRows; ++r) {
    resistivity[r] = DesignedModelRounding(d.resistivity[r]);
  }
  for (int r = 0; r < kThicknessRows; ++r) {
    thickness[r] = DesignedModelRounding(d.thickness[r]);
  }
  target = std::clamp<int>(workspace.current_model, 0, MaxModels - 1);
}

std::pair<double, double> DesignedModelDialogLogic::ResistivityRange(int row) {
  return {row < 8 ? 1e-9 : 1e-5, 1000000.0};
}

std::pair<double, double> DesignedModelDialogLogic::ThicknessRange(int row) {
  // Rows 1-7, 11 and 12 (1-based) accept thinner layers than the others.
  const int r = row + 1;
  const bool fine = r <= 7 || r == 11 || r == 12;
  return {fine ? 0.0001 : 0.001, 1000000.0};
}

std::optional<std::pair<int, std::string>> DesignedModelDialogLogic::Validate()
    const {
  auto outside = [](double v, std::pair<double, double> range) {
    return !(v >= range.first && v <= range.second);
  };
  for (int r = 0; r < kRows; ++r) {
    const auto range = ResistivityRange(r);
    if (outside(resistivity[r], range)) {
      return std::make_pair(
          r, NumberRangeMessage(range.first, range.second, false));
    }
  }
  for (int r = 0; r < kThicknessRows; ++r) {
    const auto range = ThicknessRange(r);
    if (outside(thickness[r], range)) {
      return std::make_pair(
          kRows + r, NumberRangeMessage(range.first, range.second, false));
    }
  }
  return std::nullopt;
}

bool DesignedModelDialogLogic::Apply() {
  if (Validate()) return false;
  const int t = std::clamp(target, 0, MaxModels - 1);
  LayerModel& m = models_[t];
  for (int r = 0; r < kRows; ++r) m.resistivity[r] = resistivity[r];
  for (int r = 0; r < kThicknessRows; ++r) m.thickness[r] = thickness[r];
  workspace_.current_model = static_cast<std::int16_t>(t);
  m.layer_count = static_cast<std::int16_t>(CountModelLayers(m.resistivity));
  if (workspace_.model_form_open) {
    ui_.Post(Window::kModelForm, Um::UM_MODELSYNC, 0, 0);
  } else {
    ui_.Post(Window::kView, Um::UM_MODELSCHANGED, 0, 0);
  }
  return true;
}

DepthWindowLogic::DepthWindowLogic(Workspace& workspace, Ui& ui)
    : state(workspace.depth), workspace_(workspace), ui_(ui) {}

void DepthWindowLogic::ClickQuantity() {
  state.quantity = state.quantity == DepthQuantity::kResistivity
                       ? DepthQuantity::kConductance
                       : DepthQuantity::kResistivity;
}

bool DepthWindowLogic::PressDesign() {
  if (!design) {
    design = true;
    points.Clear();
    return false;
  }
  bool open = false;
  if (points.count() > 0) {
    points.Transfer(workspace_.designed_model);
    open = ui_.MessageBox("Set designed model?",
                          "END DESIGN",
                          Icon::kQuestion,
                          Buttons::kYesNo,
                          Answer::kNo) == Answer::kYes;
  }
  design = false;
  return open;
}

bool DepthWindowLogic::SetModel() {
  if (!design || points.count() <= 0) return false;
  points.Transfer(workspace_.designed_model);
  return true;
}

void DepthWindowLogic::StoreState() { workspace_.depth = state; }

}  // namespace mtvuk
