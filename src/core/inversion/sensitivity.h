// Exact sensitivities of the 1-D response without dispersion: the
// derivatives of the quantities a fit compares with the data with respect to
// the natural logarithms of every layer's resistivity and thickness.
#pragma once

#include <array>

#include "core/physics/forward_1d.h"

namespace mtvuk {

// The quantities, as the misfit takes them: log10(|Re Z| + 1e-14),
// log10(|Im Z| + 1e-14), log10(rho_a + 1e-14) and the phase in radians.
enum SensitivityQuantity { kSensReZ = 0, kSensImZ, kSensRho, kSensPhase };
inline constexpr int kSensQuantities = 4;

// Column of d/d ln rho_j is j; of d/d ln h_j, MaxLayers + j.
inline constexpr int SensRhoColumn(int layer) { return layer; }
inline constexpr int SensThicknessColumn(int layer) {
  return MaxLayers + layer;
}

// Derivatives of one period for a model of up to kCapacity layers: column
// j is d/d ln rho_j, column kCapacity + j is d/d ln h_j.
template <int kCapacity>
struct BasicPeriodSensitivity {
  static constexpr int RhoColumn(int layer) { return layer; }
  static constexpr int ThicknessColumn(int layer) { return kCapacity + layer; }
  Response1D response;  // identical to the forward kernel's
  std::array<std::array<double, 2 * kCapacity>, kSensQuantities> d;
};

// A reverse sweep through the layer recursion (adjoint of Y_l = (1 + A c) /
// (A + c)): O(layers) per period for all derivatives together. The
// derivatives are those of the function the kernel computes, including its
// clamps (a layer whose x = h / skin depth is 300 or more hides its own
// thickness and everything below). A one-layer model is evaluated, as by the
// kernel, as layer 0 over a half-space of resistivity rho[1]; its columns
// then are rho 0, rho 1 and h 0. With corrected physics a layer of zero
// thickness is no layer, as in the kernel: both of its columns are 0.
template <int kCapacity>
class BasicSensitivity {
 public:
  using Period = BasicPeriodSensitivity<kCapacity>;
  BasicSensitivity(const double* rho,
                   const double* h,
                   int n,
                   Physics physics = Physics::kPublished);
  int layers() const { return given_; }
  void Evaluate(const double* periods, int count, Period* out) const;

 private:
  // Moves the columns of the kept layers to the columns of the layers
  // given.
  void SpreadColumns(Period& s) const;

  int n_;      // layers of the recursion (kept)
  int given_;  // layers given (at least 2)
  bool dropped_ = false;
  std::array<int, kCapacity> source_{};  // given layer of each kept one
  double rho_top_;
  std::array<double, kCapacity> ratio_{};  // sqrt(rho[l+1] / rho[l])
  std::array<double, kCapacity> depth_{};  // 2 pi h[l] / sqrt(rho[l])
};
extern template class BasicSensitivity<MaxLayers>;
extern template class BasicSensitivity<kMaxProfileLayers>;

// The sensitivities of the models of the editor (16 layers) and of smooth
// profiles (up to 100 layers over a half-space).
using PeriodSensitivity = BasicPeriodSensitivity<MaxLayers>;
using NoDispersionSensitivity = BasicSensitivity<MaxLayers>;
using ProfilePeriodSensitivity = BasicPeriodSensitivity<kMaxProfileLayers>;
using ProfileSensitivity = BasicSensitivity<kMaxProfileLayers>;

}  // namespace mtvuk
