#include "core/physics/layered_response.h"

#include <algorithm>
#include <cmath>

#include "core/physics/forward_1d.h"

namespace mtvuk {

void LayeredResponseScalar(const double* rho,
                           const double* h,
                           int n,
                           const double* periods,
                           int count,
                           double* log_rho_a,
                           double* phase) {
  constexpr int kBlock = 32;
  const ProfileKernel kernel(rho, h, n, Physics::kCorrected);
  Response1D out[kBlock];
  for (int first = 0; first < count; first += kBlock) {
    const int m = std::min(kBlock, count - first);
    kernel.Evaluate(periods + first, m, out);
    for (int i = 0; i < m; ++i) {
      log_rho_a[first + i] = std::log10(out[i].rho_a);
      phase[first + i] = out[i].phase / kDegPerRad;
    }
  }
}

}  // namespace mtvuk
