// What the "Smooth inversion (Occam)" window offers, checks and stores: the
// field sets it can fit, its fields, the profile a run leaves with the set
// and the model a profile is installed as.
#pragma once

#include <vector>

#include "core/inversion/inversion_settings.h"
#include "core/inversion/smooth_inversion.h"
#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

struct SmoothInversionSetting {
  int set = -1;  // slot of the field set; -1 when no set holds data
  double target_rms = 1.0;
  int layers = kDefaultSmoothLayers;
  int model = 0;  // slot the profile is installed as

  // The first set that holds data, and the defaults.
  static SmoothInversionSetting Load(const FieldSets& sets);
  // The slots that hold data, in order.
  static std::vector<int> SetsInUse(const FieldSets& sets);
  // Field 0 target rms, 1 number of layers.
  FieldError Validate() const;
  // The run's options: the target and the error-bar setting of "Main
  // setting" (target 4 stays 4; every other target fits resistivity and
  // phase, 5).
  SmoothInversionOptions Options(const Workspace& workspace) const;
};

// Runs the smooth inversion of the chosen set and keeps its profile with
// the set (the profile of a refused run is left as it was). Posts the
// redraw of the windows that show profiles.
SmoothInversionResult RunSmoothInversionSetting(const SmoothInversionSetting& setting,
                              Stores& stores,
                              Ui& ui,
                              const std::function<void(const SmoothIteration&)>&
                                  progress = {});

// "Install as model": the set's profile merged into model `setting.model`,
// which is then shown; the model editor and the view are told. False (after
// a message) when the set has no profile of its current data.
bool InstallSmoothProfile(const SmoothInversionSetting& setting,
                          Stores& stores,
                          Ui& ui);

}  // namespace mtvuk
