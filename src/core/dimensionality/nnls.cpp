#include "core/dimensionality/nnls.h"

#include <Eigen/Dense>
#include <cmath>
#include <limits>

namespace mtvuk {
namespace {

// Least-squares solution on the passive columns only.
Eigen::VectorXd SolvePassive(const Eigen::MatrixXd& a,
                             const Eigen::VectorXd& b,
                             const std::vector<int>& passive) {
  Eigen::MatrixXd ap(a.rows(), static_cast<Eigen::Index>(passive.size()));
  for (size_t j = 0; j < passive.size(); ++j) {
    ap.col(static_cast<Eigen::Index>(j)) = a.col(passive[j]);
  }
  return ap.colPivHouseholderQr().solve(b);
}

}  // namespace

NnlsResult SolveNnls(const std::vector<double>& a_data,
                     int rows,
                     int cols,
                     const std::vector<double>& b_data,
                     int max_iterations) {
  NnlsResult result;
  result.x.assign(static_cast<size_t>(cols), 0.0);
  if (rows <= 0 || cols <= 0) return result;
  Eigen::Map<const Eigen::MatrixXd> a_in(a_data.data(), rows, cols);
  Eigen::Map<const Eigen::VectorXd> b(b_data.data(), rows);
  // Unit columns; an empty column stays out of the solution.
  Eigen::VectorXd scale = a_in.colwise().norm().transpose();
  Eigen::MatrixXd a = a_in;
  for (int j = 0; j < cols; ++j) {
    if (scale(j) > 0.0) a.col(j) /= scale(j);
  }
  if (max_iterations <= 0) max_iterations = 3 * cols;
  const double tolerance = 10.0 * std::numeric_limits<double>::epsilon() *
                           std::max(1.0, b.norm()) * cols;

  std::vector<bool> in_passive(static_cast<size_t>(cols), false);
  std::vector<int> passive;
  Eigen::VectorXd x = Eigen::VectorXd::Zero(cols);
  Eigen::VectorXd w = a.transpose() * (b - a * x);
  int it = 0;
  for (; it < max_iterations; ++it) {
    // The most promising column that is still held at zero.
    int best = -1;
    double best_w = tolerance;
    for (int j = 0; j < cols; ++j) {
      if (!in_passive[j] && scale(j) > 0.0 && w(j) > best_w) {
        best = j;
        best_w = w(j);
      }
    }
    if (best < 0) {
      result.converged = true;
      break;
    }
    in_passive[best] = true;
    passive.push_back(best);
    // Inner loop: step back towards the feasible region until the passive
    // solution is positive.
    for (int inner = 0; inner <= cols; ++inner) {
      Eigen::VectorXd z = SolvePassive(a, b, passive);
      double alpha = 1.0;
      int leaving = -1;
      for (size_t k = 0; k < passive.size(); ++k) {
        if (z(static_cast<Eigen::Index>(k)) <= 0.0) {
          const double xj = x(passive[k]);
          const double t = xj / (xj - z(static_cast<Eigen::Index>(k)));
          if (t < alpha) {
            alpha = t;
            leaving = static_cast<int>(k);
          }
        }
      }
      if (leaving < 0) {
        x.setZero();
        for (size_t k = 0; k < passive.size(); ++k) {
          x(passive[k]) = z(static_cast<Eigen::Index>(k));
        }
        break;
      }
      for (size_t k = 0; k < passive.size(); ++k) {
        const int j = passive[k];
        x(j) += alpha * (z(static_cast<Eigen::Index>(k)) - x(j));
      }
      // Columns that reached zero go back to the active set.
      std::vector<int> kept;
      for (int j : passive) {
        if (x(j) > 0.0 && j != passive[leaving]) {
          kept.push_back(j);
        } else {
          x(j) = 0.0;
          in_passive[j] = false;
        }
      }
      passive.swap(kept);
      if (passive.empty()) break;
    }
    w = a.transpose() * (b - a * x);
  }
  result.iterations = it;
  const Eigen::VectorXd r = b - a * x;
  result.residual_norm2 = r.squaredNorm();
  for (int j = 0; j < cols; ++j) {
    result.x[j] = scale(j) > 0.0 ? x(j) / scale(j) : 0.0;
  }
  return result;
}

}  // namespace mtvuk
