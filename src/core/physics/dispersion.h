// Frequency-dependent (complex) resistivity of a layer: the four dispersion
// laws of induced polarisation and dielectric dispersion.
#pragma once

#include "core/physics/complex.h"
#include "core/store/layer_model.h"
#include "core/store/physics_setting.h"

namespace mtvuk {

inline constexpr int kDispersionLaws = 4;
// Short names of the law list of the model editor (padded to 12 characters).
extern const char* const kDispersionLawShortNames[kDispersionLaws];
// Long names of export headers and help.
extern const char* const kDispersionLawNames[kDispersionLaws];

// The ratio sigma(i omega) / sigma0 of a layer's complex conductivity to its
// zero-frequency conductivity, at angular frequency `omega` (rad/s), for the
// 0-based `layer` of `model` under the model's law. 1 + 0i when the layer
// does not disperse. The complex resistivity is rho0 / M.
// As published the laws are those of the help page, written for the time
// factor exp(+i omega t), and laws 0 and 1 take omega T in their
// displacement term. Corrected, M is given in the convention of the
// dispersive response (exp(-i omega t)), that is the complex conjugate, and
// the displacement term is omega e eps0 rho0.
Complex DispersionMultiplier(double omega,
                             const LayerModel& model,
                             int layer,
                             Physics physics = Physics::kPublished);

}  // namespace mtvuk
