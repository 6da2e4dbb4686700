#include "core/physics/dispersion.h"

#include <cmath>

namespace mtvuk {
namespace {

constexpr double kEps0 = 8.841941282883075e-12;  // 1/(36 pi) 1e-9 F/m
constexpr double kHalfPi = 1.5707963267948966;

// (i w)^c.
Complex PowerOfIw(double w, double c) {
  double m = std::pow(w, c);
  return {m * std::cos(c * kHalfPi), m * std::sin(c * kHalfPi)};
}

// (1 + i w)^c.
Complex PowerOfOnePlusIw(double w, double c) {
  double m = std::pow(1.0 + w * w, c / 2.0);
  double phi = std::atan2(w, 1.0);
  return {m * std::cos(c * phi), m * std::sin(c * phi)};
}

}  // namespace

const char* const kDispersionLawShortNames[kDispersionLaws] = {
    "Classical DD", "Special   DD", "Cola-Cola RD", "Davidson  RD"};
const char* const kDispersionLawNames[kDispersionLaws] = {
    "Classical Dielectric Dispersion",
    "Special Dielectric Dispersion",
    "Cola-Cola Resistivity Dispersion",
    "Davidson Resistivity Dispersion"};

namespace {

// M for the time factor exp(+i omega t), with the displacement term of laws
// 0 and 1 as `physics` writes it.
Complex LawMultiplier(double omega,
                      const LayerModel& model,
                      int layer,
                      Physics physics) {
  const Complex one{1.0, 0.0};
  if (model.ip_on[layer] == 0) return one;
  const double p1 = model.ip_p1[layer][0];
  const double tau = model.ip_tau[layer][0];
  const double c = model.ip_c[layer][0];
  if (!(p1 > 0.0001)) return one;  // also for NaN
  const double w = omega * tau;
  // As published the displacement term carries omega T, which leaves K
  // with the unit of seconds; sigma0 + i omega e eps0 is the textbook term.
  const double k_frequency = physics == Physics::kCorrected ? omega : w;
  switch (model.law) {
    case 0: {  // Classical DD
      const double rho0 = model.resistivity[layer];
      Complex u = PowerOfIw(w, c);
      Complex d = Add(one, Scale(u, 1.0 / p1));
      Complex n = Add(one, u);
      double k = k_frequency * (p1 * kEps0 * rho0);
      return Add(one, Mul({0.0, k}, Div(d, n)));
    }
    case 1: {  // Special DD
      const double rho0 = model.resistivity[layer];
      Complex n = PowerOfOnePlusIw(w, c);
      double k = k_frequency * (p1 * kEps0 * rho0);
      return Add(one, Div({0.0, k}, n));
    }
    case 2: {  // Cola-Cola RD
      double g = 1.0 / (1.0 - p1);
      Complex u = PowerOfIw(w, c);
      return Add(one, Div(Scale(u, g - 1.0), Add({g, 0.0}, u)));
    }
    case 3: {  // Davidson RD
      double g = 1.0 / (1.0 - p1);
      Complex n1 = Sub(PowerOfOnePlusIw(w, c), one);
      return Add(one, Div(Scale(n1, g - 1.0), Add(n1, {g, 0.0})));
    }
    default:
      return one;
  }
}

}  // namespace

Complex DispersionMultiplier(double omega,
                             const LayerModel& model,
                             int layer,
                             Physics physics) {
  const Complex m = LawMultiplier(omega, model, layer, physics);
  // The laws hold for exp(+i omega t); the dispersive response is written
  // for exp(-i omega t), in which every law is the complex conjugate (all
  // its parameters are real). As published the two are mixed, and a
  // chargeable layer raises the phase instead of lowering it.
  return physics == Physics::kCorrected ? Conj(m) : m;
}

}  // namespace mtvuk
