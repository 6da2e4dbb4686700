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
// impedances that the four corners of the error box give. As published the
// search for the largest candidate starts at -1.0, which is wrong when every
// candidate lies below it; corrected it starts below every candidate.
ImpedanceError ImpedanceErrors(double f,
                               double phase_upper,
                               double phase_lower,
                               double rho_upper,
                               double rho_lower,
                               Physics physics = Physics::kPublished);

// Derives the curve of `mode` from the tensor in the slot, for its count of
// points. For YX the slot's ZYX arrays are negated in place. Errors of XY and
// YX come from the sounding's error arrays; MEAN and EFF propagate them.
// The workspace's physics decides the rules of StoreFieldPoint.
void DeriveFieldCurve(FieldSet& set, Workspace& workspace, CurveMode mode);

// Derives point k of a set of `mode` from its impedance (file units), the
// error of its apparent resistivity (Ohm-m) and of its phase (degrees): the
// impedance, the sign flags (XY, YX), log rho, the phase, the error bounds
// and the relative errors of Re Z and Im Z, as the derivation stores them.
// As published a phase of 90 degrees or more becomes -89 while one of -90 or
// less is kept, and a resistivity error above the value gives a lower bound
// |rho - error| (above the value, or without a square root in the errors of
// Re Z and Im Z). Corrected, phases beyond +-90 become +-89 (the sign of
// Im Z kept, a signed zero taken as zero) and the lower bound of rho is at
// least 1 % of rho.
void StoreFieldPoint(FieldSet& set,
                     int k,
                     CurveMode mode,
                     double re,
                     double im,
                     double rho_err,
                     double phs_err,
                     Physics physics = Physics::kPublished);

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
