#include "core/inversion/least_squares.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/physics/forward_1d.h"

namespace mtvuk {
namespace {

constexpr int kMaxP = kMaxParameters;
constexpr double kInitialDamping = 1e-2;
constexpr double kMaxDamping = 1e14;

using Matrix = std::array<double, kMaxP * kMaxP>;
using Vector = LmVector;

// Cholesky solve of the symmetric system `a` x = b restricted to the
// parameters marked in `use`; false when it is not positive definite.
bool SolveSpd(int m,
              const Matrix& a,
              const Vector& b,
              const std::array<bool, kMaxP>& use,
              Vector& x) {
  std::array<int, kMaxP> idx{};
  int r = 0;
  for (int k = 0; k < m; ++k)
    if (use[k]) idx[r++] = k;
  Matrix l{};
  for (int i = 0; i < r; ++i) {
    for (int j = 0; j <= i; ++j) {
      double s = a[idx[i] * m + idx[j]];
      for (int k = 0; k < j; ++k) s -= l[i * kMaxP + k] * l[j * kMaxP + k];
      if (i == j) {
        if (!(s > 0.0)) return false;
        l[i * kMaxP + i] = std::sqrt(s);
      } else {
        l[i * kMaxP + j] = s / l[j * kMaxP + j];
      }
    }
  }
  Vector y{};
  for (int i = 0; i < r; ++i) {
    double s = b[idx[i]];
    for (int k = 0; k < i; ++k) s -= l[i * kMaxP + k] * y[k];
    y[i] = s / l[i * kMaxP + i];
  }
  x.fill(0.0);
  for (int i = r - 1; i >= 0; --i) {
    double s = y[i];
    for (int k = i + 1; k < r; ++k) s -= l[k * kMaxP + i] * x[idx[k]];
    x[idx[i]] = s / l[i * kMaxP + i];
  }
  return true;
}

}  // namespace

ModelFitProblem::ModelFitProblem(const MisfitSettings& settings,
                                 const FieldSet& set,
                                 int used,
                                 const LayerModel& m)
    : settings_(settings),
      set_(set),
      model_(m),
      columns_(ColumnsOfParameters(m)) {
  fit_.count = std::clamp(set.count, 0, MaxFreq);
  used_ = std::clamp(used, 0, fit_.count);
  for (int i = 0; i < used_; ++i) periods_[i] = 1.0 / set.freq[i];
  const InversionParameters& p = m.params;
  m_ = p.count;
  for (int k = 0; k < m_; ++k) {
    lower_[k] = std::log(static_cast<double>(p.lower[k]));
    upper_[k] = std::log(static_cast<double>(p.upper[k]));
  }
}

void ModelFitProblem::Layers(const double* p,
                             LayerArray<double>& rho,
                             LayerArray<double>& h) const {
  rho = model_.resistivity;
  h = model_.thickness;
  const InversionParameters& ip = model_.params;
  for (int j = 0; j < MaxLayers; ++j) {
    if (ip.rho_index[j] >= 0) rho[j] = std::exp(p[ip.rho_index[j]]);
    if (j < MaxLayers - 1 && ip.h_index[j] >= 0)
      h[j] = std::exp(p[ip.h_index[j]]);
  }
  const int n = std::clamp<int>(model_.layer_count, 1, MaxLayers);
  for (int j = n; j < MaxLayers; ++j) rho[j] = rho[n - 1];
}

double ModelFitProblem::Evaluate(const double* p, FitResiduals& residuals) {
  LayerArray<double> rho, h;
  Layers(p, rho, h);
  const int n = std::clamp<int>(model_.layer_count, 1, MaxLayers);
  NoDispersionSensitivity(rho.data(), h.data(), n, settings_.physics)
      .Evaluate(periods_.data(), used_, sens_.data());
  for (int i = 0; i < used_; ++i) {
    const Response1D& r = sens_[i].response;
    fit_.re_z[i] = r.z.re;
    fit_.im_z[i] = r.z.im;
    fit_.rho_a[i] = r.rho_a;
    fit_.phase[i] = r.phase;
  }
  const double s = FitMisfit(settings_, set_, used_, fit_, &terms_);
  ResidualsAndJacobian(terms_, sens_.data(), columns_, residuals);
  return s;
}

LmOutcome RunLevenbergMarquardt(LeastSquaresProblem& problem,
                                 const LmVector& p0,
                                 const LmOptions& options,
                                 Ui& ui,
                                 const std::function<void(int, double)>& step) {
  const int m = problem.parameters();
  LmOutcome out;
  out.p = p0;
  FitResiduals now, trial;
  double s = problem.Evaluate(out.p.data(), now);
  out.history.push_back(s);
  if (step) step(0, s);
  double mu = kInitialDamping, nu = 2.0;
  Matrix a{};
  Vector g{}, d{}, delta{}, p_trial{};
  for (int t = 1; t <= options.amount && m > 0 && s > 0.0 &&
                  s > options.stop_below;
       ++t) {
    if (ui.EscapePending()) {
      out.cancelled_at = t;
      return out;
    }
    // Normal equations J^T J and J^T e of the used terms.
    a.fill(0.0);
    g.fill(0.0);
    for (int r = 0; r < now.rows; ++r) {
      const double* row = &now.j[static_cast<std::size_t>(r) * m];
      const double e = now.e[r];
      for (int u = 0; u < m; ++u) {
        if (row[u] == 0.0) continue;
        g[u] += row[u] * e;
        for (int v = 0; v <= u; ++v) a[u * m + v] += row[u] * row[v];
      }
    }
    double largest = 0.0;
    for (int u = 0; u < m; ++u) {
      for (int v = 0; v < u; ++v) a[v * m + u] = a[u * m + v];
      largest = std::max(largest, a[u * m + u]);
    }
    // A parameter the data do not see gets a little of the largest
    // diagonal, so it is damped rather than left singular.
    for (int u = 0; u < m; ++u)
      d[u] = std::max(a[u * m + u], largest > 0.0 ? 1e-12 * largest : 1.0);

    bool accepted = false;
    double s_new = s;
    while (!accepted && mu < kMaxDamping) {
      if (ui.EscapePending()) {
        out.cancelled_at = t;
        return out;
      }
      // Solve, holding parameters on a bound that the step would push
      // further out (projection onto the box).
      std::array<bool, kMaxP> use{};
      for (int u = 0; u < m; ++u) use[u] = true;
      Matrix damped = a;
      for (int u = 0; u < m; ++u) damped[u * m + u] += mu * d[u];
      Vector minus_g{};
      for (int u = 0; u < m; ++u) minus_g[u] = -g[u];
      bool solved = false;
      for (int round = 0; round <= m; ++round) {
        solved = SolveSpd(m, damped, minus_g, use, delta);
        if (!solved) break;
        bool changed = false;
        for (int u = 0; u < m; ++u) {
          if (!use[u]) continue;
          const bool at_low = out.p[u] <= problem.lower(u) && delta[u] < 0.0;
          const bool at_high = out.p[u] >= problem.upper(u) && delta[u] > 0.0;
          if (at_low || at_high) {
            use[u] = false;
            changed = true;
          }
        }
        if (!changed) break;
      }
      if (!solved) {
        mu *= nu;
        nu *= 2.0;
        continue;
      }
      bool moves = false;
      for (int u = 0; u < m; ++u) {
        p_trial[u] =
            std::clamp(out.p[u] + delta[u], problem.lower(u), problem.upper(u));
        delta[u] = p_trial[u] - out.p[u];
        moves = moves || delta[u] != 0.0;
      }
      if (!moves) break;
      // Predicted decrease of the linear model: -2 g.delta - delta.A.delta.
      double predicted = 0.0;
      for (int u = 0; u < m; ++u) {
        double ad = 0.0;
        for (int v = 0; v < m; ++v) ad += a[u * m + v] * delta[v];
        predicted -= 2.0 * g[u] * delta[u] + delta[u] * ad;
      }
      const double s_trial = problem.Evaluate(p_trial.data(), trial);
      if (std::isfinite(s_trial) && s_trial < s) {
        accepted = true;
        s_new = s_trial;
        if (predicted > 0.0) {
          const double rho = (s - s_trial) / predicted;
          const double f = 2.0 * rho - 1.0;
          mu *= std::max(1.0 / 3.0, 1.0 - f * f * f);
        } else {
          mu *= 2.0;
        }
        nu = 2.0;
      } else {
        mu *= nu;
        nu *= 2.0;
      }
    }
    if (!accepted) break;  // no step lowers the misfit: a minimum
    const double decrease = (s - s_new) / s;
    out.p = p_trial;
    std::swap(now, trial);
    s = s_new;
    out.history.push_back(s);
    if (step) step(t, s);
    if (decrease < options.relative_decrease) break;
  }
  return out;
}
}  // namespace mtvuk
