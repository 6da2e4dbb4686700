// log10 apparent resistivity and phase of an isotropic layered model for
// many periods at once, the form the samplers use. Two paths: the scalar
// kernel of the forward response (the reference) and a vectorised one that
// runs several periods in the lanes of the processor's SIMD registers.
#pragma once

namespace mtvuk {

// `rho` in Ohm-m, `h` thicknesses in km, `n` (2..101) layers with the
// half-space; the phase in radians. Without dispersion, corrected physics
// (a layer of zero thickness is no layer).
void LayeredResponseScalar(const double* rho,
                           const double* h,
                           int n,
                           const double* periods,
                           int count,
                           double* log_rho_a,
                           double* phase);
void LayeredResponseSimd(const double* rho,
                         const double* h,
                         int n,
                         const double* periods,
                         int count,
                         double* log_rho_a,
                         double* phase);

// The vectorised path where it is built, else the scalar one.
inline void LayeredResponse(const double* rho,
                            const double* h,
                            int n,
                            const double* periods,
                            int count,
                            double* log_rho_a,
                            double* phase) {
  LayeredResponseSimd(rho, h, n, periods, count, log_rho_a, phase);
}

}  // namespace mtvuk
