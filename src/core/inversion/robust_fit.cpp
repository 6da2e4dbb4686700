#include "core/inversion/robust_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <utility>

#include "core/inversion/sensitivity.h"
#include "core/physics/forward_1d.h"

namespace mtvuk {
namespace {

constexpr int kMaxP = kMaxParameters;
constexpr double kInitialDamping = 1e-2;
constexpr double kMaxDamping = 1e14;
constexpr double kRelativeDecrease = 1e-6;
constexpr int kPerturbedStarts = 2;
constexpr double kBostickDepthScales[] = {1.0, 1.0 / 3.0, 0.1};
// Perturbations of the perturbed starts: factors of about 3 in a
// resistivity and 2 in a thickness (one standard deviation).
constexpr double kRhoSpread = 1.0986122886681098;
constexpr double kThicknessSpread = 0.6931471805599453;
// Beyond this fraction of the start's misfit the data are fitted exactly
// and further starts cannot do better.
constexpr double kExactFit = 1e-12;

using Matrix = std::array<double, kMaxP * kMaxP>;
using Vector = std::array<double, kMaxP>;

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

// Misfit, residuals and Jacobian of a parameter vector: the model's layers
// with the parameters written in, the response and its sensitivities at the
// used field periods. Trials are evaluated with their Jacobian, since most
// of them are accepted.
class Problem {
 public:
  Problem(const Workspace& ws, FieldSet& set, int used, const LayerModel& m)
      : ws_(ws), set_(set), model_(m), columns_(ColumnsOfParameters(m)) {
    fit_.count = std::clamp(set.count, 0, MaxFreq);
    used_ = std::min(used, fit_.count);
    for (int i = 0; i < used_; ++i) periods_[i] = 1.0 / set.freq[i];
    const InversionParameters& p = m.params;
    m_ = p.count;
    for (int k = 0; k < m_; ++k) {
      lower_[k] = std::log(static_cast<double>(p.lower[k]));
      upper_[k] = std::log(static_cast<double>(p.upper[k]));
    }
  }

  int parameters() const { return m_; }
  double lower(int k) const { return lower_[k]; }
  double upper(int k) const { return upper_[k]; }
  bool thickness(int k) const { return model_.params.kind[k] == 2; }

  double Evaluate(const double* p, FitResiduals& residuals) {
    LayerArray<double> rho = model_.resistivity;
    LayerArray<double> h = model_.thickness;
    const InversionParameters& ip = model_.params;
    for (int j = 0; j < MaxLayers; ++j) {
      if (ip.rho_index[j] >= 0) rho[j] = std::exp(p[ip.rho_index[j]]);
      if (j < MaxLayers - 1 && ip.h_index[j] >= 0)
        h[j] = std::exp(p[ip.h_index[j]]);
    }
    const int n = std::clamp<int>(model_.layer_count, 1, MaxLayers);
    for (int j = n; j < MaxLayers; ++j) rho[j] = rho[n - 1];
    NoDispersionSensitivity(rho.data(), h.data(), n)
        .Evaluate(periods_.data(), used_, sens_.data());
    for (int i = 0; i < used_; ++i) Store(i, sens_[i].response);
    const double s = FitMisfit(ws_, set_, used_, fit_, &terms_);
    ResidualsAndJacobian(terms_, sens_.data(), columns_, residuals);
    return s;
  }

 private:
  void Store(int i, const Response1D& r) {
    fit_.re_z[i] = r.z.re;
    fit_.im_z[i] = r.z.im;
    fit_.rho_a[i] = r.rho_a;
    fit_.phase[i] = r.phase;
  }

  const Workspace& ws_;
  FieldSet& set_;
  const LayerModel& model_;
  ParameterColumns columns_;
  int used_ = 0;
  int m_ = 0;
  std::array<double, MaxFreq> periods_{};
  std::array<PeriodSensitivity, MaxFreq> sens_;
  FitResponse fit_;
  FitTerms terms_;
  Vector lower_{}, upper_{};
};

struct LmOutcome {
  Vector p{};
  std::vector<double> history;
  int cancelled_at = 0;  // the iteration Esc stopped, 0 if none
};

// One Levenberg-Marquardt run from p0. Damping is added to the normal
// matrix in proportion to its diagonal (Marquardt's scaling); a trial that
// does not lower the misfit is refused and the damping raised; the gain
// ratio of an accepted step lowers it (Nielsen 1999).
LmOutcome RunLm(Problem& problem,
                const Vector& p0,
                int amount,
                Ui& ui,
                const std::function<void(int, double)>& step) {
  const int m = problem.parameters();
  LmOutcome out;
  out.p = p0;
  FitResiduals now, trial;
  double s = problem.Evaluate(out.p.data(), now);
  out.history.push_back(s);
  step(0, s);
  double mu = kInitialDamping, nu = 2.0;
  Matrix a{};
  Vector g{}, d{}, delta{}, p_trial{};
  for (int t = 1; t <= amount && m > 0 && s > 0.0; ++t) {
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
    step(t, s);
    if (decrease < kRelativeDecrease) break;
  }
  return out;
}

struct BostickPoint {
  double depth_km;
  double log_rho;
};

}  // namespace

bool BostickStart(const FieldSet& set,
                  int used,
                  const LayerModel& model,
                  std::vector<double>& p,
                  double depth_scale) {
  std::vector<BostickPoint> points;
  const int count = std::min(used, std::clamp(set.count, 0, MaxFreq));
  for (int i = 0; i < count; ++i) {
    if (set.point_deleted[i] || !(set.freq[i] > 0.0f)) continue;
    const double rho = std::pow(10.0, set.log_rho[i]);
    const double phase = std::fabs(static_cast<double>(set.phase[i]));
    if (!std::isfinite(rho) || !(rho > 0.0) || !(phase > 0.0 && phase < 90.0))
      continue;
    const double period = 1.0 / set.freq[i];
    // Phases near 0 or 90 degrees would give resistivities of 0 or
    // infinity.
    const double phi = std::clamp(phase, 5.0, 85.0) * 0.017453292519943295;
    const double depth = std::sqrt(rho * period / (kTwoPi * kMu0)) / 1000.0;
    const double bostick = rho * (1.5707963267948966 / phi - 1.0);
    points.push_back({depth, std::log(bostick)});
  }
  if (points.size() < 2) return false;
  std::sort(points.begin(), points.end(), [](auto& a, auto& b) {
    return a.depth_km < b.depth_km;
  });
  // The curve read at a depth: linear in log depth, held beyond its ends.
  auto read = [&](double depth) {
    if (depth <= points.front().depth_km) return points.front().log_rho;
    if (depth >= points.back().depth_km) return points.back().log_rho;
    std::size_t k = 1;
    while (points[k].depth_km < depth) ++k;
    const BostickPoint& a = points[k - 1];
    const BostickPoint& b = points[k];
    const double f =
        std::log(depth / a.depth_km) / std::log(b.depth_km / a.depth_km);
    return a.log_rho + f * (b.log_rho - a.log_rho);
  };
  const InversionParameters& ip = model.params;
  const int n = std::clamp<int>(model.layer_count, 1, MaxLayers);
  p.assign(ip.p.begin(), ip.p.begin() + ip.count);
  double top = 0.0;
  for (int j = 0; j < n; ++j) {
    double h = model.thickness[j];
    if (ip.h_index[j] >= 0 && j + 1 < n) {
      const int k = ip.h_index[j];
      p[k] = std::clamp(ip.p[k] + std::log(depth_scale),
                        std::log(static_cast<double>(ip.lower[k])),
                        std::log(static_cast<double>(ip.upper[k])));
      h = std::exp(p[k]);
    }
    const bool last = j + 1 == n;
    const double bottom = last ? 1e30 : top + h;
    if (ip.rho_index[j] >= 0) {
      double sum = 0.0;
      int inside = 0;
      for (const BostickPoint& b : points) {
        if (b.depth_km >= top && b.depth_km < bottom) {
          sum += b.log_rho;
          ++inside;
        }
      }
      const double middle =
          last ? 2.0 * std::max(top, points.front().depth_km)
               : (j == 0 ? bottom / 2.0 : std::sqrt(top * bottom));
      const double log_rho = inside > 0 ? sum / inside : read(middle);
      const int k = ip.rho_index[j];
      p[k] = std::clamp(log_rho,
                        std::log(static_cast<double>(ip.lower[k])),
                        std::log(static_cast<double>(ip.upper[k])));
    }
    top = bottom;
  }
  return true;
}

RobustRun FitRobust(const Workspace& ws,
                    FieldSet& set,
                    int used,
                    const LayerModel& model,
                    Ui& ui,
                    const std::function<void(int, int, double)>& progress) {
  Problem problem(ws, set, used, model);
  const int m = problem.parameters();
  const int amount = std::clamp<int>(ws.iteration_amount, 1, 30);
  RobustRun best;
  best.misfit = INFINITY;

  int start_index = 0;
  double first_misfit = 0.0;
  auto run = [&](const std::string& name, const Vector& p0) {
    const int index = start_index++;
    LmOutcome o = RunLm(problem, p0, amount, ui, [&](int t, double s) {
      if (progress) progress(index, t, s);
    });
    ++best.starts;
    if (index == 0 && !o.history.empty()) first_misfit = o.history.front();
    // The final misfit of the run (a cancelled run stops at its last
    // accepted point, which is still at least as good as its start).
    const double s = o.history.empty() ? INFINITY : o.history.back();
    if (s < best.misfit || best.p.empty()) {
      best.misfit = s;
      best.p.assign(o.p.begin(), o.p.begin() + m);
      best.history = o.history;
      best.start = name;
    }
    if (o.cancelled_at > 0) {
      best.cancelled = true;
      best.cancelled_at = o.cancelled_at;
    }
  };
  auto exact = [&] { return best.misfit <= kExactFit * first_misfit; };

  Vector p{};
  for (int k = 0; k < m; ++k) p[k] = model.params.p[k];
  run("start model", p);
  // The data's start at the model's interface depths, and at a third and a
  // tenth of them: thin layers near the surface are where a start with
  // layers a decade thick most often misses the data's own minimum.
  std::vector<double> bostick;
  for (double scale : kBostickDepthScales) {
    if (best.cancelled || exact() ||
        !BostickStart(set, used, model, bostick, scale))
      break;
    std::copy(bostick.begin(), bostick.end(), p.begin());
    char name[48];
    if (scale == 1.0) {
      std::snprintf(name, sizeof name, "Bostick transform");
    } else {
      std::snprintf(
          name, sizeof name, "Bostick transform, depths / %g", 1.0 / scale);
    }
    run(name, p);
  }
  for (int c = 1; c <= kPerturbedStarts && !best.cancelled && !exact(); ++c) {
    std::mt19937 rng(1000u + static_cast<unsigned>(c));
    std::normal_distribution<double> gauss(0.0, 1.0);
    for (int k = 0; k < m; ++k) {
      const double spread =
          problem.thickness(k) ? kThicknessSpread : kRhoSpread;
      p[k] = std::clamp(
          best.p[k] + spread * gauss(rng), problem.lower(k), problem.upper(k));
    }
    run("perturbed copy " + std::to_string(c), p);
  }
  return best;
}

}  // namespace mtvuk
