#include "core/inversion/inversion_settings.h"

#include <algorithm>

#include "core/inversion/error_floor.h"
#include "core/modelform/modeling_dialogs.h"

namespace mtvuk {
namespace {

bool Outside(double v, double lo, double hi) { return !(v >= lo && v <= hi); }

}  // namespace

MainSetting MainSetting::Load(const Workspace& ws) {
  MainSetting s;
  s.target.fill(false);
  s.target[std::clamp<int>(ws.inversion_target, 1, 5) - 1] = true;
  s.ignore_error_bars = ws.ignore_error_bars != 0;
  s.amount = ws.iteration_amount;
  s.show_fit_result = ws.show_fit_result != 0;
  s.delta = ws.derivative_step;
  s.method = ws.fit_method;
  s.error_floor = ws.error_floor_percent;
  return s;
}

FieldError MainSetting::Validate() const {
  if (amount < 1 || amount > 30) {
    return std::make_pair(
        0, std::string("Please enter an integer between 1 and 30."));
  }
  if (Outside(delta, 1.0001, 1.5)) {
    return std::make_pair(1, NumberRangeMessage(1.0001, 1.5, true));
  }
  if (*ErrorFloorProblem(error_floor))
    return std::make_pair(2, std::string(ErrorFloorProblem(error_floor)));
  return std::nullopt;
}

int MainSetting::Target() const {
  int t = 1;
  for (int i = 0; i < 5; ++i) {
    if (target[i]) t = i + 1;
  }
  return t;
}

void MainSetting::Apply(Workspace& ws, Ui& ui) const {
  ws.inversion_target = static_cast<std::int16_t>(Target());
  ws.derivative_step = static_cast<float>(delta);
  ws.ignore_error_bars = ignore_error_bars ? 1 : 0;
  ws.iteration_amount = static_cast<std::int16_t>(amount);
  ws.show_fit_result = show_fit_result ? 1 : 0;
  ws.fit_method = method;
  ws.error_floor_percent = error_floor;
  if (ws.depth_window_open)
    ui.Post(Window::kDepthWindow, Um::UM_SETSCHANGED, 0, 0);
  ui.Post(Window::kMainFrame, Um::UM_SETSCHANGED, 0, 0);
  if (!show_fit_result) ui.Post(Window::kView, Um::UM_FITCLOSE, 0, 0);
  if (!ws.model_form_open) ui.Post(Window::kView, Um::UM_MODELSCHANGED, 0, 0);
  ui.Post(Window::kView, Um::UM_RATIOOPEN, 0, 0);
}

VariationLimits VariationLimits::Load(const LayerModel& m) {
  VariationLimits v;
  for (int j = 0; j < MaxLayers; ++j) {
    v.rows[j] = {m.fix_resistivity[j],
                 m.resistivity_min[j],
                 m.resistivity_max[j],
                 m.fix_thickness[j],
                 m.thickness_min[j],
                 m.thickness_max[j]};
  }
  return v;
}

void VariationLimits::SetDefault() {
  for (LayerLimits& r : rows) r.fix_rho = r.fix_h = 0;
}

void VariationLimits::SetInAllLayers(int row) {
  const LayerLimits from = rows[std::clamp(row, 0, MaxLayers - 1)];
  for (LayerLimits& r : rows) {
    r.rho_min = from.rho_min;
    r.rho_max = from.rho_max;
    r.h_min = from.h_min;
    r.h_max = from.h_max;
  }
}

FieldError VariationLimits::Validate() const {
  for (int j = 0; j < MaxLayers; ++j) {
    const LayerLimits& r = rows[j];
    if (Outside(r.rho_min, kRhoLow, kRhoHigh))
      return std::make_pair(j * 4, NumberRangeMessage(kRhoLow, kRhoHigh, true));
    if (Outside(r.rho_max, kRhoLow, kRhoHigh))
      return std::make_pair(j * 4 + 1,
                            NumberRangeMessage(kRhoLow, kRhoHigh, true));
    if (r.rho_min > r.rho_max)
      return std::make_pair(j * 4, std::string("Min must not be above Max."));
    if (j == MaxLayers - 1) continue;
    if (Outside(r.h_min, kHLow, kHHigh))
      return std::make_pair(j * 4 + 2, NumberRangeMessage(kHLow, kHHigh, true));
    if (Outside(r.h_max, kHLow, kHHigh))
      return std::make_pair(j * 4 + 3, NumberRangeMessage(kHLow, kHHigh, true));
    if (r.h_min > r.h_max)
      return std::make_pair(j * 4 + 2,
                            std::string("Min must not be above Max."));
  }
  return std::nullopt;
}

void VariationLimits::Apply(LayerModel& m) const {
  for (int j = 0; j < MaxLayers; ++j) {
    const LayerLimits& r = rows[j];
    m.fix_resistivity[j] = r.fix_rho;
    m.resistivity_min[j] = static_cast<float>(r.rho_min);
    m.resistivity_max[j] = static_cast<float>(r.rho_max);
    m.fix_thickness[j] = r.fix_h;
    m.thickness_min[j] = static_cast<float>(r.h_min);
    m.thickness_max[j] = static_cast<float>(r.h_max);
  }
}

IpLimits IpLimits::Load(const LayerModel& m) {
  IpLimits l;
  for (int j = 0; j < 7; ++j) {
    l.rows[j] = {m.ip_p1_free[j][0] ? 0 : 1,
                 m.ip_p1_min[j][0],
                 m.ip_p1_max[j][0],
                 m.ip_tau_free[j][0] ? 0 : 1,
                 m.ip_tau_min[j][0],
                 m.ip_tau_max[j][0]};
  }
  return l;
}

FieldError IpLimits::Validate() const {
  for (int j = 0; j < 7; ++j) {
    const Row& r = rows[j];
    if (!(r.p1_min >= 0.0) || r.p1_min > r.p1_max)
      return std::make_pair(j * 4, std::string("Min must not be above Max."));
    if (!(r.tau_min >= 0.0) || r.tau_min > r.tau_max)
      return std::make_pair(j * 4 + 2,
                            std::string("Min must not be above Max."));
  }
  return std::nullopt;
}

void IpLimits::Apply(LayerModel& m) const {
  for (int j = 0; j < 7; ++j) {
    const Row& r = rows[j];
    m.ip_p1_free[j][0] = r.fix_p1 ? 0 : 1;
    m.ip_p1_min[j][0] = static_cast<float>(r.p1_min);
    m.ip_p1_max[j][0] = static_cast<float>(r.p1_max);
    m.ip_tau_free[j][0] = r.fix_tau ? 0 : 1;
    m.ip_tau_min[j][0] = static_cast<float>(r.tau_min);
    m.ip_tau_max[j][0] = static_cast<float>(r.tau_max);
  }
}

Attachment Attachment::Load(const FieldSets& sets) {
  Attachment a;
  for (int s = 0; s < MaxSets; ++s) a.table[s] = sets[s].attached;
  return a;
}

void Attachment::SetDefault() {
  for (int s = 0; s < MaxSets; ++s) {
    for (int m = 0; m < MaxModels; ++m) table[s][m] = s == m ? 1 : 0;
  }
}

bool Attachment::Apply(FieldSets& sets, Ui& ui) const {
  for (int m = 0; m < MaxModels; ++m) {
    bool any = false;
    for (int s = 0; s < MaxSets; ++s) any = any || table[s][m];
    if (!any) {
      ui.Show(
          "Each model must be attached to Field set\nCheck attaching or Set "
          "default",
          "INVALID ATTACH",
          Icon::kStop);
      return false;
    }
  }
  for (int s = 0; s < MaxSets; ++s) sets[s].attached = table[s];
  return true;
}

}  // namespace mtvuk
