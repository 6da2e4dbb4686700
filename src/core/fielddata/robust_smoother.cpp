#include "core/fielddata/robust_smoother.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_eigen.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

// Knot intervals per decade of period, and at most this many: MT curves
// bend over about half a decade (the skin depth averages), so a quarter of a
// decade leaves the penalty, not the knots, to decide the smoothness.
constexpr double kIntervalsPerDecade = 4.0;
constexpr int kMaxIntervals = 24;
// GCV with the degrees of freedom counted 1.4 times (Kim & Gu 2004): plain
// GCV follows the noise of short soundings now and then.
constexpr double kGcvGamma = 1.4;
// Huber's and Tukey's tuning constants for 95 % efficiency under normal
// errors.
constexpr double kHuberK = 1.345;
constexpr double kTukeyC = 4.685;
constexpr int kMaxPhaseIterations = 12;
constexpr double kWeightTolerance = 1e-3;
// A point whose standardised residual exceeds this counts as down-weighted.
constexpr double kOutlierResidual = 3.0;
constexpr double kFarDecades = 0.5;
// The local hold: a tricube-weighted line through the kept data within half
// a decade; the curve stays within 3 standard errors or 0.15 decades of it.
constexpr double kHoldHalfWidth = 0.5;
constexpr double kHoldErrors = 3.0;
constexpr double kHoldMinimum = 0.15;

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  double m = *mid;
  if (v.size() % 2 == 0) m = (m + *std::max_element(v.begin(), mid)) / 2.0;
  return m;
}

// A dense q x q matrix, row-major, on a GSL view.
struct Square {
  explicit Square(int n) : q(n), v(static_cast<std::size_t>(n) * n, 0.0) {}
  double& operator()(int r, int c) {
    return v[static_cast<std::size_t>(r) * q + c];
  }
  double operator()(int r, int c) const {
    return v[static_cast<std::size_t>(r) * q + c];
  }
  gsl_matrix_view View() {
    return gsl_matrix_view_array(v.data(), static_cast<std::size_t>(q), q);
  }
  int q;
  std::vector<double> v;
};

// The second-difference penalty D'D on q coefficients.
Square DifferencePenalty(int q) {
  Square p(q);
  const int w[3] = {1, -2, 1};
  for (int r = 0; r + 2 < q; ++r) {
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) p(r + a, r + b) += w[a] * w[b];
    }
  }
  return p;
}

// One weighted penalised fit in Demmler-Reinsch form: with G = B'WB = LL'
// and L^-1 P L^-T = U S U', the fit for penalty weight lambda has the
// coefficients L^-T U (I + lambda S)^-1 z, z = U' L^-1 B'W y, the trace
// sum 1 / (1 + lambda s_k) and a residual sum of squares in closed form.
// Choosing lambda then costs O(q) per trial.
struct Decomposition {
  explicit Decomposition(int q) : a(q), s(q), z(q) {}
  Square a;               // U' L^-1
  std::vector<double> s;  // eigenvalues, >= 0
  std::vector<double> z;
  double yy = 0.0;  // y'Wy
  double zz = 0.0;
  bool ok = false;

  double Trace(double lambda) const {
    double t = 0.0;
    for (const double sk : s) t += 1.0 / (1.0 + lambda * sk);
    return t;
  }
  double Rss(double lambda) const {
    double sum = yy - zz;
    for (std::size_t k = 0; k < s.size(); ++k) {
      const double r = lambda * s[k] / (1.0 + lambda * s[k]);
      sum += z[k] * z[k] * r * r;
    }
    return std::max(0.0, sum);
  }
};

struct Problem {
  double lo = 0.0, hi = 1.0;
  int intervals = 1;
  int q = 4;
  std::vector<int> first;                // first basis index per point
  std::vector<std::array<double, 4>> b;  // the four basis values
  Square penalty{4};
};

Decomposition Decompose(const Problem& p,
                        const std::vector<double>& y,
                        const std::vector<double>& w) {
  const int q = p.q;
  Decomposition d(q);
  Square g(q);
  std::vector<double> by(static_cast<std::size_t>(q), 0.0);
  for (std::size_t i = 0; i < y.size(); ++i) {
    if (!(w[i] > 0.0)) continue;
    const int f = p.first[i];
    for (int r = 0; r < 4; ++r) {
      by[static_cast<std::size_t>(f + r)] += w[i] * p.b[i][r] * y[i];
      for (int c = 0; c < 4; ++c) {
        g(f + r, f + c) += w[i] * p.b[i][r] * p.b[i][c];
      }
    }
    d.yy += w[i] * y[i] * y[i];
  }
  // A faint ridge keeps G positive definite where knots have no data (gaps,
  // points given weight 0).
  double trace = 0.0;
  for (int k = 0; k < q; ++k) trace += g(k, k);
  const double ridge = 1e-9 * std::max(trace / q, 1e-300);
  for (int k = 0; k < q; ++k) g(k, k) += ridge;
  gsl_set_error_handler_off();
  gsl_matrix_view gv = g.View();
  if (gsl_linalg_cholesky_decomp1(&gv.matrix) != GSL_SUCCESS) return d;
  // L^-1, then M = L^-1 P L^-T.
  Square l_inv(q);
  for (int k = 0; k < q; ++k) l_inv(k, k) = 1.0;
  gsl_matrix_view lv = l_inv.View();
  gsl_blas_dtrsm(CblasLeft,
                 CblasLower,
                 CblasNoTrans,
                 CblasNonUnit,
                 1.0,
                 &gv.matrix,
                 &lv.matrix);
  Square penalty = p.penalty;
  gsl_matrix_view pv = penalty.View();
  Square lp(q), m(q);
  gsl_matrix_view lpv = lp.View(), mv = m.View();
  gsl_blas_dgemm(CblasNoTrans,
                 CblasNoTrans,
                 1.0,
                 &lv.matrix,
                 &pv.matrix,
                 0.0,
                 &lpv.matrix);
  gsl_blas_dgemm(
      CblasNoTrans, CblasTrans, 1.0, &lpv.matrix, &lv.matrix, 0.0, &mv.matrix);
  gsl_vector_view sv = gsl_vector_view_array(d.s.data(), d.s.size());
  Square u(q);
  gsl_matrix_view uv = u.View();
  gsl_eigen_symmv_workspace* ws =
      gsl_eigen_symmv_alloc(static_cast<std::size_t>(q));
  const int status = gsl_eigen_symmv(&mv.matrix, &sv.vector, &uv.matrix, ws);
  gsl_eigen_symmv_free(ws);
  if (status != GSL_SUCCESS) return d;
  for (double& sk : d.s) sk = std::max(sk, 0.0);
  gsl_matrix_view av = d.a.View();
  gsl_blas_dgemm(
      CblasTrans, CblasNoTrans, 1.0, &uv.matrix, &lv.matrix, 0.0, &av.matrix);
  d.zz = 0.0;
  for (int k = 0; k < q; ++k) {
    double v = 0.0;
    for (int j = 0; j < q; ++j)
      v += d.a(k, j) * by[static_cast<std::size_t>(j)];
    d.z[static_cast<std::size_t>(k)] = v;
    d.zz += v * v;
  }
  d.ok = std::all_of(
      d.s.begin(), d.s.end(), [](double v) { return std::isfinite(v); });
  return d;
}

// The lambda of least GCV score: a scan of 60 steps over the range where
// the fit changes, then golden-section search around the best step.
double GcvLambda(const Decomposition& d, double n_eff) {
  const double s_max = *std::max_element(d.s.begin(), d.s.end());
  double s_min = s_max;
  for (const double sk : d.s) {
    if (sk > 1e-10 * s_max) s_min = std::min(s_min, sk);
  }
  const double lo = std::log10(1e-3 / s_max), hi = std::log10(1e3 / s_min);
  auto score = [&](double log_lambda) {
    const double lambda = std::pow(10.0, log_lambda);
    const double denom = n_eff - kGcvGamma * d.Trace(lambda);
    if (denom <= 0.0) return std::numeric_limits<double>::infinity();
    return n_eff * d.Rss(lambda) / (denom * denom);
  };
  constexpr int kSteps = 60;
  int best = kSteps;
  double best_score = score(hi);
  for (int k = kSteps - 1; k >= 0; --k) {
    const double v = score(lo + (hi - lo) * k / kSteps);
    if (v < best_score) best_score = v, best = k;
  }
  double a = lo + (hi - lo) * std::max(best - 1, 0) / kSteps;
  double b = lo + (hi - lo) * std::min(best + 1, kSteps) / kSteps;
  constexpr double kGolden = 0.6180339887498949;
  double c1 = b - kGolden * (b - a), c2 = a + kGolden * (b - a);
  double f1 = score(c1), f2 = score(c2);
  for (int it = 0; it < 30 && b - a > 1e-3; ++it) {
    if (f1 < f2) {
      b = c2, c2 = c1, f2 = f1;
      c1 = b - kGolden * (b - a), f1 = score(c1);
    } else {
      a = c1, c1 = c2, f1 = f2;
      c2 = a + kGolden * (b - a), f2 = score(c2);
    }
  }
  return std::pow(10.0, (a + b) / 2.0);
}

// The lambda whose curve has `dof` degrees of freedom (2 .. q).
double LambdaForDof(const Decomposition& d, double dof) {
  const double s_max = *std::max_element(d.s.begin(), d.s.end());
  double lo = std::log10(1e-6 / s_max), hi = std::log10(1e12 / s_max);
  for (int it = 0; it < 60; ++it) {
    const double mid = (lo + hi) / 2.0;
    if (d.Trace(std::pow(10.0, mid)) > dof) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return std::pow(10.0, (lo + hi) / 2.0);
}

struct Fit {
  std::vector<double> c;
  std::vector<double> f, h;  // fitted values and leverages
  double dof = 0.0;
  double lambda = 0.0;
};

Fit Solve(const Problem& p,
          const Decomposition& d,
          const std::vector<double>& w,
          double lambda) {
  Fit fit;
  fit.lambda = lambda;
  fit.dof = d.Trace(lambda);
  const int q = p.q;
  std::vector<double> shrink(static_cast<std::size_t>(q));
  for (int k = 0; k < q; ++k) {
    shrink[static_cast<std::size_t>(k)] =
        1.0 / (1.0 + lambda * d.s[static_cast<std::size_t>(k)]);
  }
  fit.c.assign(static_cast<std::size_t>(q), 0.0);
  for (int k = 0; k < q; ++k) {
    const double t =
        shrink[static_cast<std::size_t>(k)] * d.z[static_cast<std::size_t>(k)];
    for (int j = 0; j < q; ++j)
      fit.c[static_cast<std::size_t>(j)] += d.a(k, j) * t;
  }
  const std::size_t n = w.size();
  fit.f.resize(n);
  fit.h.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const int f = p.first[i];
    double v = 0.0;
    for (int r = 0; r < 4; ++r) {
      v += p.b[i][r] * fit.c[static_cast<std::size_t>(f + r)];
    }
    // The leverage w_i b_i' (G + lambda P)^-1 b_i through a = U' L^-1.
    double h = 0.0;
    for (int k = 0; k < q; ++k) {
      double ck = 0.0;
      for (int r = 0; r < 4; ++r) ck += p.b[i][r] * d.a(k, f + r);
      h += ck * ck * shrink[static_cast<std::size_t>(k)];
    }
    fit.f[i] = v;
    fit.h[i] = w[i] * h;
  }
  return fit;
}

}  // namespace

PenalizedSpline::PenalizedSpline(double lo,
                                 double hi,
                                 int intervals,
                                 std::vector<double> c)
    : lo_(lo), hi_(hi), intervals_(intervals), c_(std::move(c)) {}

int PenalizedSpline::Basis(
    double lo, double hi, int intervals, double x, double b[4], double db[4]) {
  const double h = (hi - lo) / intervals;
  const double u = (x - lo) / h;
  const int j = std::clamp(static_cast<int>(std::floor(u)), 0, intervals - 1);
  const double t = u - j, s = 1.0 - t;
  b[0] = s * s * s / 6.0;
  b[1] = (3.0 * t * t * t - 6.0 * t * t + 4.0) / 6.0;
  b[2] = (-3.0 * t * t * t + 3.0 * t * t + 3.0 * t + 1.0) / 6.0;
  b[3] = t * t * t / 6.0;
  db[0] = -s * s / 2.0 / h;
  db[1] = (3.0 * t * t - 4.0 * t) / 2.0 / h;
  db[2] = (-3.0 * t * t + 2.0 * t + 1.0) / 2.0 / h;
  db[3] = t * t / 2.0 / h;
  return j;
}

double PenalizedSpline::ValueInside(double x, double* slope) const {
  double b[4], db[4];
  const int j = Basis(lo_, hi_, intervals_, x, b, db);
  double v = 0.0, dv = 0.0;
  for (int r = 0; r < 4; ++r) {
    v += b[r] * c_[static_cast<std::size_t>(j + r)];
    dv += db[r] * c_[static_cast<std::size_t>(j + r)];
  }
  if (slope) *slope = dv;
  return v;
}

double PenalizedSpline::Value(double x) const {
  if (c_.empty()) return 0.0;
  const double end = std::clamp(x, lo_, hi_);
  double slope = 0.0;
  const double v = ValueInside(end, &slope);
  return v + slope * (x - end);
}

double PenalizedSpline::Slope(double x) const {
  if (c_.empty()) return 0.0;
  double slope = 0.0;
  ValueInside(std::clamp(x, lo_, hi_), &slope);
  return slope;
}

double LogRhoErrorFloor(double percent) {
  return 2.0 * percent / 100.0 / kLn10;
}

RobustSmootherResult SmoothRobust(const std::vector<double>& x,
                                  const std::vector<double>& y,
                                  const std::vector<double>& sigma,
                                  std::optional<double> tension_percent) {
  RobustSmootherResult out;
  const std::size_t n = x.size();
  if (n < 2 || y.size() != n || sigma.size() != n) return out;
  const auto [xmin, xmax] = std::minmax_element(x.begin(), x.end());
  Problem p;
  p.lo = *xmin;
  p.hi = *xmax;
  if (!(p.hi - p.lo > 1e-9) || !std::isfinite(p.hi - p.lo)) return out;
  p.intervals = std::clamp(
      static_cast<int>(std::ceil((p.hi - p.lo) * kIntervalsPerDecade)),
      1,
      kMaxIntervals);
  p.q = p.intervals + 3;
  p.penalty = DifferencePenalty(p.q);
  p.first.resize(n);
  p.b.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    double db[4];
    p.first[i] = PenalizedSpline::Basis(
        p.lo, p.hi, p.intervals, x[i], p.b[i].data(), db);
  }

  std::vector<double> rw(n, 1.0), w(n);
  Fit fit;
  std::vector<double> u(n);
  double scale = 1.0;
  // Phase 0: plain weights; 1: Huber; 2: Tukey, started from Huber's fit.
  int phase = 0;
  // The fit with the robust weights `rw`, its smoothness chosen anew.
  auto fit_with = [&](Fit& result) {
    double n_eff = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      w[i] = rw[i] / (sigma[i] * sigma[i]);
      if (rw[i] > 0.0) n_eff += 1.0;
    }
    const Decomposition d = Decompose(p, y, w);
    if (!d.ok) return false;
    double lambda = 0.0;
    if (tension_percent) {
      const double t = std::clamp(*tension_percent, 0.0, 100.0) / 100.0;
      const double top = std::min<double>(p.q, std::max(2.0, n_eff - 1.0));
      lambda = LambdaForDof(d, 2.0 + (top - 2.0) * t);
    } else {
      lambda = GcvLambda(d, n_eff);
    }
    result = Solve(p, d, w, lambda);
    return true;
  };
  for (int iteration = 0;; ++iteration) {
    if (!fit_with(fit)) return out;
    double n_eff = 0.0;
    for (std::size_t i = 0; i < n; ++i) n_eff += rw[i] > 0.0 ? 1.0 : 0.0;
    out.iterations = iteration + 1;
    for (std::size_t i = 0; i < n; ++i) {
      const double lev = std::clamp(1.0 - fit.h[i], 0.2, 1.0);
      u[i] = (y[i] - fit.f[i]) / (sigma[i] * std::sqrt(lev));
    }
    std::vector<double> abs_u(n);
    for (std::size_t i = 0; i < n; ++i) abs_u[i] = std::fabs(u[i]);
    scale = std::max(1.0, 1.4826 * Median(abs_u));
    if (phase == 2 && n_eff < 3.0) break;
    // New weights of the current phase; a phase ends when they settle.
    std::vector<double> next(n);
    for (std::size_t i = 0; i < n; ++i) {
      const double v = std::fabs(u[i]) / scale;
      if (phase <= 1) {
        next[i] = v <= kHuberK ? 1.0 : kHuberK / v;
      } else {
        const double r = v / kTukeyC;
        next[i] = r < 1.0 ? (1.0 - r * r) * (1.0 - r * r) : 0.0;
      }
    }
    double change = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      change = std::max(change, std::fabs(next[i] - rw[i]));
    }
    const int kept = static_cast<int>(std::count_if(
        next.begin(), next.end(), [](double v) { return v > 0; }));
    if (phase == 2 && kept < 3) break;  // keep the Huber fit
    rw = next;
    if (phase == 0) {
      phase = 1;
    } else if (change < kWeightTolerance ||
               iteration >= kMaxPhaseIterations * phase) {
      if (phase == 2) break;
      phase = 2;
    }
  }
  // The weights `rw` belong to the last fit only when the loop ended on a
  // settled Tukey phase; refit once so that the curve matches them.
  if (!fit_with(fit)) return out;

  out.spline = PenalizedSpline(p.lo, p.hi, p.intervals, fit.c);
  out.weight = rw;
  out.scale = scale;
  out.dof = fit.dof;
  out.lambda = fit.lambda;
  out.value.resize(n);
  out.slope.resize(n);
  out.outlier.assign(n, false);
  out.held.assign(n, false);
  for (std::size_t i = 0; i < n; ++i) {
    const double lev = std::clamp(1.0 - fit.h[i], 0.2, 1.0);
    const double v =
        std::fabs(y[i] - fit.f[i]) / (sigma[i] * std::sqrt(lev)) / scale;
    out.outlier[i] = v > kOutlierResidual;
    if (out.outlier[i]) ++out.outliers;
  }
  for (std::size_t i = 0; i < n; ++i) {
    double value = out.spline.Value(x[i]);
    double slope = out.spline.Slope(x[i]);
    out.held[i] = HoldToData(x, y, sigma, out, x[i], value, slope);
    if (out.held[i]) ++out.held_points;
    out.value[i] = value;
    out.slope[i] = slope;
  }
  // A point the curve leaves by more than half a decade because it counts
  // for little (its error bar or its robust weight make it worth less than
  // a quarter of a point at the error floor) is down-weighted as well.
  const double floor = LogRhoErrorFloor();
  for (std::size_t i = 0; i < n; ++i) {
    if (out.outlier[i]) continue;
    const double weight = rw[i] * floor * floor / (sigma[i] * sigma[i]);
    if (std::fabs(y[i] - out.value[i]) > kFarDecades && weight < 0.25) {
      out.outlier[i] = true;
      ++out.outliers;
    }
  }
  out.ok = std::all_of(out.value.begin(), out.value.end(), [](double v) {
    return std::isfinite(v);
  });
  return out;
}

bool HoldToData(const std::vector<double>& x,
                const std::vector<double>& y,
                const std::vector<double>& sigma,
                const RobustSmootherResult& fit,
                double at,
                double& value,
                double& slope) {
  // Tricube-weighted line through the points the smoother kept.
  double sa = 0, sx = 0, sy = 0, sxx = 0, sxy = 0, svar = 0, st = 0;
  int count = 0;
  for (std::size_t j = 0; j < x.size(); ++j) {
    const double dist = std::fabs(x[j] - at) / kHoldHalfWidth;
    if (dist >= 1.0 || fit.outlier[j] || !(fit.weight[j] > 0.0)) continue;
    const double tri = std::pow(1.0 - dist * dist * dist, 3.0);
    const double a = tri * fit.weight[j] / (sigma[j] * sigma[j]);
    const double dx = x[j] - at;
    sa += a, sx += a * dx, sy += a * y[j];
    sxx += a * dx * dx, sxy += a * dx * y[j];
    svar += tri * fit.weight[j],
        st += tri * fit.weight[j] / (sigma[j] * sigma[j]);
    ++count;
  }
  if (count == 0 || !(sa > 0.0)) return false;
  double level = sy / sa, line_slope = 0.0;
  const double det = sa * sxx - sx * sx;
  if (count >= 3 && det > 1e-12 * sa * sa) {
    line_slope = (sa * sxy - sx * sy) / det;
    level = (sy - line_slope * sx) / sa;
  }
  // The typical standard error near `at`: the weighted mean variance.
  const double se = std::sqrt(svar / st);
  const double band = std::max(kHoldErrors * se * fit.scale, kHoldMinimum);
  if (std::fabs(value - level) <= band) return false;
  value = level + std::copysign(band, value - level);
  slope = line_slope;
  return true;
}

}  // namespace mtvuk
