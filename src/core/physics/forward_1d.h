// The magnetotelluric response of a layered earth with isotropic layers.
#pragma once

#include <array>

#include "core/physics/complex.h"
#include "core/physics/numeric.h"
#include "core/store/layer_model.h"
#include "core/store/physics_setting.h"

namespace mtvuk {

inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kMu0 = 1.2566370614359173e-6;
// SI impedance (Ohm) to field units (mV/km per nT): 1 / (mu0 1000).
inline constexpr double kSiToField = 795.7747154594767;

struct Response1D {
  Complex z;           // impedance, field units
  double rho_a = 0.0;  // apparent resistivity, Ohm-m
  double phase = 0.0;  // degrees
};

// Layers 0..n-1 with resistivities in Ohm-m and thicknesses in km (the last
// layer is the half-space). A one-layer model is evaluated as layer 0 over a
// half-space of resistivity rho[1], so the arrays hold at least two entries.
// The impedance has a positive imaginary part for a half-space. As
// published a layer of zero thickness gives NaN; corrected it is no layer.
Response1D ResponseNoDispersion(const double* rho,
                                const double* h,
                                int n,
                                double period,
                                Physics physics = Physics::kPublished);

// The layers a response sees, of the `n` (at least 2) given: corrected, a
// layer of zero thickness above the half-space is left out. `source[j]` is
// the given layer that kept layer j is. A half-space left alone is kept as
// two layers, both the half-space (the kernels' form of a half-space).
// Returns the number kept, at least 2.
int KeptLayers(const double* h, int n, Physics physics, int* source);

// coth((1 - i) x) for x >= 0 as the layer recursion computes it: 1 beyond
// x = 10000, and with coth x = 1 from x = 300 on.
Complex CothOneMinusI(double x);

// Layers a kernel can hold beyond the 16 of a model: a smooth profile has
// up to 100 layers over its half-space.
inline constexpr int kMaxProfileLayers = 101;

// The same response for many periods of one model: the layer terms that do
// not depend on the period are computed once. `kCapacity` is the largest
// number of layers (with the half-space) the kernel holds.
template <int kCapacity>
class BasicNoDispersionKernel {
 public:
  BasicNoDispersionKernel(const double* rho,
                          const double* h,
                          int n,
                          Physics physics = Physics::kPublished);
  Response1D operator()(double period) const;
  // Responses of `count` periods at once (faster than one by one).
  void Evaluate(const double* periods, int count, Response1D* out) const;

 private:
  int n_;
  double rho_top_;
  std::array<double, kCapacity> ratio_{};  // sqrt(rho[l+1] / rho[l])
  std::array<double, kCapacity> depth_{};  // 2 pi h[l] / sqrt(rho[l])
};
extern template class BasicNoDispersionKernel<MaxLayers>;
extern template class BasicNoDispersionKernel<kMaxProfileLayers>;
using NoDispersionKernel = BasicNoDispersionKernel<MaxLayers>;
using ProfileKernel = BasicNoDispersionKernel<kMaxProfileLayers>;

// The same with the complex resistivities of the model's dispersion laws.
// The impedance has a negative imaginary part for a half-space (the phase
// is the same as on the path without dispersion).
// The dispersion laws follow `physics` (DispersionMultiplier); a layer of
// zero thickness is no layer on this path under both.
Response1D ResponseDispersion(const LayerModel& model,
                              const double* rho,
                              const double* h,
                              int n,
                              double period,
                              Physics physics = Physics::kPublished);

// True when no layer of the first n of the model disperses, whatever the
// frequency: then the dispersive response equals the plain one.
bool HasNoDispersiveLayer(const LayerModel& model, int n);

// The dispersive response for many periods of one model. A model none of
// whose layers disperses costs what the path without dispersion costs: its
// impedance is then the complex conjugate of that path's (the two paths
// differ only in the sign convention of time).
class DispersionKernel {
 public:
  DispersionKernel(const LayerModel& model,
                   const double* rho,
                   const double* h,
                   int n,
                   Physics physics = Physics::kPublished);
  void Evaluate(const double* periods, int count, Response1D* out) const;

 private:
  const LayerModel& model_;
  const double* rho_;
  const double* h_;
  int n_;
  Physics physics_;
  bool plain_;
  NoDispersionKernel kernel_;
};

}  // namespace mtvuk
