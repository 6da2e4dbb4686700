// The robust smoother of field curves: a penalised cubic B-spline in log10
// apparent resistivity against log10 period (Eilers & Marx 1996) whose
// smoothness is chosen by generalized cross-validation (Craven & Wahba
// 1979), fitted by iteratively reweighted least squares with Huber and then
// Tukey bisquare weights (Huber 1981; Beaton & Tukey 1974), and held to a
// local weighted line through the data it kept (Cleveland 1979).
#pragma once

#include <optional>
#include <vector>

#include "core/inversion/error_floor.h"

namespace mtvuk {

// A cubic spline on equally spaced knots from `lo` to `hi`, continued
// beyond them by its end tangents.
class PenalizedSpline {
 public:
  PenalizedSpline() = default;
  PenalizedSpline(double lo, double hi, int intervals, std::vector<double> c);

  double Value(double x) const;
  double Slope(double x) const;
  double lo() const { return lo_; }
  double hi() const { return hi_; }
  int coefficients() const { return static_cast<int>(c_.size()); }

  // The four cubic B-splines that do not vanish at x (lo <= x <= hi), their
  // derivatives, and the index of the first of them.
  static int Basis(
      double lo, double hi, int intervals, double x, double b[4], double db[4]);

 private:
  double ValueInside(double x, double* slope) const;

  double lo_ = 0.0, hi_ = 1.0;
  int intervals_ = 1;
  std::vector<double> c_;
};

// The error floor of the smoothing: a standard error of the apparent
// resistivity of at least twice this percentage of it, the floor the robust
// fit of models uses too.
inline constexpr double kSmoothingErrorFloorPercent = kDefaultErrorFloorPercent;
// The same floor as a standard error of log10 rho_a: 2 * 0.05 / ln 10.
double LogRhoErrorFloor(double percent = kSmoothingErrorFloorPercent);

struct RobustSmootherResult {
  bool ok = false;
  PenalizedSpline spline;
  std::vector<double> value;   // at each input point, after the local hold
  std::vector<double> slope;   // d log10 rho / d log10 T there, unbounded
  std::vector<double> weight;  // final robust weight of each point, 0..1
  // Down-weighted: its standardised residual exceeds 3, or the curve leaves
  // it by more than half a decade while it counts less than a quarter of a
  // point at the error floor.
  std::vector<bool> outlier;
  std::vector<bool> held;  // the local hold moved the curve here
  double scale = 1.0;      // robust scale of the standardised residuals
  double dof = 0.0;        // effective degrees of freedom of the curve
  double lambda = 0.0;     // the penalty weight chosen
  int iterations = 0;
  int outliers = 0;
  int held_points = 0;
};

// Smooths y(x) with standard errors sigma (all > 0). With `tension_percent`
// the smoothness is set by hand: 0 % gives the straight line, 100 % the
// loosest curve of the basis; without it the data choose it by GCV. Points
// need not be sorted. Fewer than two distinct x give ok = false.
RobustSmootherResult SmoothRobust(const std::vector<double>& x,
                                  const std::vector<double>& y,
                                  const std::vector<double>& sigma,
                                  std::optional<double> tension_percent = {});

// The local hold: moves `value` at `at` onto the edge of the band of 3
// standard errors (at least 0.15 decades) around a tricube-weighted line
// through the points `fit` kept within half a decade, and `slope` to that
// line's slope. Returns whether it moved them; with no kept point near `at`
// nothing is held.
bool HoldToData(const std::vector<double>& x,
                const std::vector<double>& y,
                const std::vector<double>& sigma,
                const RobustSmootherResult& fit,
                double at,
                double& value,
                double& slope);

}  // namespace mtvuk
