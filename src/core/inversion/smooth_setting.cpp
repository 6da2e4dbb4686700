#include "core/inversion/smooth_setting.h"

#include <cstdio>
#include <string>

#include "core/inversion/smooth_profile_layers.h"
#include "core/modelform/modeling_dialogs.h"

namespace mtvuk {

std::vector<int> SmoothInversionSetting::SetsInUse(const FieldSets& sets) {
  std::vector<int> out;
  for (int k = 0; k < MaxSets; ++k)
    if (sets[k].in_use > 0) out.push_back(k);
  return out;
}

SmoothInversionSetting SmoothInversionSetting::Load(const FieldSets& sets) {
  SmoothInversionSetting s;
  const std::vector<int> in_use = SetsInUse(sets);
  if (!in_use.empty()) s.set = s.model = in_use.front();
  return s;
}

FieldError SmoothInversionSetting::Validate() const {
  if (!(target_rms >= kMinTargetRms && target_rms <= kMaxTargetRms)) {
    return std::make_pair(
        0, NumberRangeMessage(kMinTargetRms, kMaxTargetRms, false));
  }
  if (layers < kMinSmoothLayers || layers > kMaxSmoothLayers) {
    char text[80];
    std::snprintf(text,
                  sizeof text,
                  "Please enter an integer between %d and %d.",
                  kMinSmoothLayers,
                  kMaxSmoothLayers);
    return std::make_pair(1, std::string(text));
  }
  return std::nullopt;
}

SmoothInversionOptions SmoothInversionSetting::Options(const Workspace& ws) const {
  SmoothInversionOptions o;
  o.layers = layers;
  o.target_rms = target_rms;
  o.target = ws.inversion_target == 4 ? 4 : 5;
  o.ignore_error_bars = ws.ignore_error_bars != 0;
  o.physics = ws.physics;
  return o;
}

SmoothInversionResult RunSmoothInversionSetting(
    const SmoothInversionSetting& setting,
    Stores& stores,
    Ui& ui,
    const std::function<void(const SmoothIteration&)>& progress) {
  if (setting.set < 0 || setting.set >= MaxSets) return {};
  const FieldSet& set = stores.sets[setting.set];
  const SmoothInversionOptions options = setting.Options(stores.workspace);
  SmoothInversionResult r =
      RunSmoothInversion(set, setting.set, options, ui, progress);
  if (r.ran) {
    StoreProfile(r, options, set, stores.profiles[setting.set]);
    if (stores.workspace.depth_window_open)
      ui.Post(Window::kDepthWindow, Um::UM_SETSCHANGED, 0, 0);
    ui.Post(Window::kView, Um::UM_REDRAW, 0, 0);
  }
  return r;
}

bool InstallSmoothProfile(const SmoothInversionSetting& setting,
                          Stores& stores,
                          Ui& ui) {
  const int k = setting.set;
  const SmoothProfile* profile =
      k >= 0 && k < MaxSets
          ? CurrentProfile(stores.profiles, stores.sets[k], k)
          : nullptr;
  if (profile == nullptr || setting.model < 0 || setting.model >= MaxModels) {
    char text[160];
    std::snprintf(text,
                  sizeof text,
                  "Field set No %i has no smooth profile of its data\nRun "
                  "the smooth inversion first",
                  k + 1);
    ui.Show(text, "INSTALL MODEL", Icon::kExclamation);
    return false;
  }
  LayerModel& m = stores.models[setting.model];
  InstallProfile(*profile, m);
  m.shown = 1;
  stores.workspace.current_model = static_cast<std::int16_t>(setting.model);
  ui.Post(Window::kView, Um::UM_MODELSCHANGED, 0, 0);
  ui.Post(Window::kModelForm, Um::UM_MODELSYNC, setting.model, setting.model);
  return true;
}

}  // namespace mtvuk
