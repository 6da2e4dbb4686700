// Defaults of the stores and the rules that keep them consistent.
#pragma once

#include "core/store/workspace.h"

namespace mtvuk {

// Resistivity limits of every layer in a new session, Ohm-m: wide, so that
// the first fit moves resistivities.
inline constexpr float kNewSessionRhoMin = 0.1f;
inline constexpr float kNewSessionRhoMax = 100000.0f;

// Clears one slot: FREQ = 1, tensor and impedance 0, logarithms -20,
// count 48, not in use.
void ResetFieldSet(FieldSet& set);

// Writes the defaults of a new session: the six starting models, every
// layer beyond a model's count continuing its half-space, the limits, and
// six empty field-set slots.
void ApplyStartDefaults(Workspace& workspace,
                        FieldSets& sets,
                        LayerModels& models);

// The default attachment: field set k is fitted by model k.
void SetDefaultAttachment(FieldSet& set, int slot);

// Number of layers of a model from its 16 resistivities: the bottom layers
// that differ from the layer above by less than 1 % are not layers.
int CountModelLayers(const LayerArray<double>& resistivity);

// The medium switches of a model follow its layers' boxes: dispersive when
// the IP box of one of its layers is on, anisotropic when the ANZ box of
// one is on (the response then takes the anisotropic path).
void SetMediumSwitches(LayerModel& model);

// Sets the workspace flags that some set is in use and some set is smoothed.
void UpdateSetFlags(Workspace& workspace, const FieldSets& sets);

}  // namespace mtvuk
