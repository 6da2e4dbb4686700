// The adaptive integration (GSL's QAGS) behind the phase that a smoothed
// resistivity curve implies: the integrand of either smoother over
// 0.005 omega to 200 omega, with one workspace for all periods of a set.
#pragma once

#include <gsl/gsl_integration.h>

namespace mtvuk {

class PhaseQuadrature {
 public:
  PhaseQuadrature();
  ~PhaseQuadrature();
  PhaseQuadrature(const PhaseQuadrature&) = delete;
  PhaseQuadrature& operator=(const PhaseQuadrature&) = delete;

  // The integral of `integrand` over the band around the angular frequency
  // `omega`; NaN when the workspace could not be allocated.
  double Integrate(const gsl_function& integrand, double omega);

 private:
  gsl_integration_workspace* work_;
};

}  // namespace mtvuk
