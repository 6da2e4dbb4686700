#include "core/fielddata/phase_quadrature.h"

#include <gsl/gsl_errno.h>

#include <cmath>

namespace mtvuk {
namespace {

constexpr double kLowerFactor = 0.005;
constexpr double kUpperFactor = 200.0;
constexpr double kAbsTolerance = 1e-10;
constexpr double kRelTolerance = 1e-6;
constexpr std::size_t kSubdivisions = 200;

}  // namespace

PhaseQuadrature::PhaseQuadrature()
    : work_(gsl_integration_workspace_alloc(kSubdivisions)) {
  // A band that does not converge keeps its best estimate; the caller
  // checks the result, GSL must not abort the program.
  gsl_set_error_handler_off();
}

PhaseQuadrature::~PhaseQuadrature() {
  if (work_ != nullptr) gsl_integration_workspace_free(work_);
}

double PhaseQuadrature::Integrate(const gsl_function& integrand, double omega) {
  if (work_ == nullptr) return NAN;
  gsl_function f = integrand;
  double integral = 0.0, abserr = 0.0;
  gsl_integration_qags(&f,
                       kLowerFactor * omega,
                       kUpperFactor * omega,
                       kAbsTolerance,
                       kRelTolerance,
                       kSubdivisions,
                       work_,
                       &integral,
                       &abserr);
  return integral;
}

}  // namespace mtvuk
