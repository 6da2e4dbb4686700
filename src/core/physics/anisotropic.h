// The magnetotelluric impedance tensor of a layered earth whose layers may be
// azimuthally anisotropic (two principal resistivities in the horizontal
// plane, at a strike angle).
#pragma once

#include <array>

#include "core/physics/complex.h"
#include "core/platform/ui.h"
#include "core/store/layer_model.h"

namespace mtvuk {

// Indices of the response table of the anisotropic path.
enum AnisoTable : int {
  kRhoXy = 0,    // apparent resistivities XY, YX, MEAN, EFF (Ohm-m)
  kPhaseXy = 4,  // phases XY, YX, MEAN, EFF (degrees)
  kReXy = 8,     // |Re Z| in field units (YX negative)
  kImXy = 12,    // |Im Z| in field units (YX negative)
  kZxxRe = 16,   // Zxx, Zyy: signed, field units
  kZxxIm = 17,
  kZyyRe = 18,
  kZyyIm = 19,
};
using AnisoResponseTable = std::array<double, 20>;

struct AnisotropicResponse {
  Complex zxx, zxy, zyx, zyy;  // surface tensor, field units
  Complex mean, eff;           // field units
  AnisoResponseTable table{};
};

// Layers 0..n-1 of `model`: an anisotropic layer (switch on) uses its two
// principal resistivities and strike angle, every other layer rho[j]
// isotropically; thicknesses h in km. Returns false, after telling the user,
// when an interface system is singular; `out` is then left unchanged.
// The impedances follow the convention of the dispersive path (negative
// imaginary part for a half-space).
bool ResponseAnisotropic(const LayerModel& model,
                         const double* rho,
                         const double* h,
                         int n,
                         double period,
                         Ui& ui,
                         AnisotropicResponse& out);

// Solves the complex system A x = b of size np (at most 4) by Gaussian
// elimination with partial pivoting by modulus. The matrix is given as real
// and imaginary parts, row-major; the solution replaces b. Returns the
// 1-based elimination step at which the largest pivot modulus was not above
// 1e-200, or 0 on success.
int SolveComplexSystem(int np, double* ar, double* ai, double* br, double* bi);

// Strike angle as the recursion uses it: negated and moved off the singular
// directions +-90 and +-270 degrees.
double EffectiveStrike(double strike_deg);

}  // namespace mtvuk
