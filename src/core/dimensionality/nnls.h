// Non-negative least squares: minimise |A x - b| subject to x >= 0.
#pragma once

#include <vector>

namespace mtvuk {

struct NnlsResult {
  std::vector<double> x;        // the solution, every entry >= 0
  double residual_norm2 = 0.0;  // |A x - b|^2
  int iterations = 0;           // outer iterations of the active-set loop
  bool converged = false;       // the Kuhn-Tucker conditions hold
};

// Lawson and Hanson (1974, ch. 23): the active-set method. `a` is the
// rows x cols matrix in column-major order. The unconstrained solves of the
// passive set use a column-pivoting QR decomposition. Columns are scaled to
// unit length inside (which does not change the sign constraints), so that
// columns of very different size do not spoil the tolerance.
NnlsResult SolveNnls(const std::vector<double>& a,
                     int rows,
                     int cols,
                     const std::vector<double>& b,
                     int max_iterations = 0);  // 0: 3 cols

}  // namespace mtvuk
