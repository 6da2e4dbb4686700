// Field curves: loading a polarisation of the sounding into a slot and
// deriving its apparent resistivity, phase and error bounds.
#pragma once

#include "core/store/workspace.h"

namespace mtvuk {

// Three-character label prefix of a mode: "XY ", "YX ", "MN ", "EF ".
const char* ModePrefix(CurveMode mode);
// Five-character text of a mode in the slot box: "XY   " ... "EFF  ".
const char* ModeSlotText(CurveMode mode);

struct ImpedanceError {
  double re = 0.0;  // absolute error of Re Z, SI
  double im = 0.0;  // absolute error of Im Z, SI
};

// Absolute errors of Re Z and Im Z from the phase bounds (radians) and the
// apparent-resistivity bounds (Ohm-m) at frequency f (Hz): the spread of the
// impedances that the four corners of the error box give.
ImpedanceError ImpedanceErrors(double f,
                               double phase_upper,
                               double phase_lower,
                               double rho_upper,
                               double rho_lower);

// Derives the curve of `mode` from the tensor in the slot, for its count of
// points. For YX the slot's ZYX arrays are negated in place. Errors of XY and
// YX come from the sounding's error arrays; MEAN and EFF propagate them.
void DeriveFieldCurve(FieldSet& set, Workspace& workspace, CurveMode mode);

// Derives point k of a set of `mode` from its impedance (file units), the
// error of its apparent resistivity (Ohm-m) and of its phase (degrees): the
// impedance, the sign flags (XY, YX), log rho, the phase, the error bounds
// and the relative errors of Re Z and Im Z, as the derivation stores them.
void StoreFieldPoint(FieldSet& set,
                     int k,
                     CurveMode mode,
                     double re,
                     double im,
                     double rho_err,
                     double phs_err);

// The values of point k that editing may change, and back.
FieldPoint PointOf(const FieldSet& set, int k);
void SetPoint(FieldSet& set, int k, const FieldPoint& point);

// Copies the sounding into slot `slot` as polarisation `mode`, derives its
// curve, and renames model `slot` and attaches it to the slot.
void LoadFieldSet(int slot,
                  CurveMode mode,
                  Workspace& workspace,
                  FieldSets& sets,
                  LayerModels& models);

}  // namespace mtvuk
