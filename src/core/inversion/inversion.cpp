#include "core/inversion/inversion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/physics/forward_1d.h"

namespace mtvuk {
namespace {

constexpr double kTiny = 1e-14;
constexpr double kRadPerDeg = 0.017453292519943295;
constexpr double kPivotGuard = 1e-50;
constexpr double kMaxLogStep = 2.302585092994046;  // a factor 10 per step
constexpr double kMinDerivative = 1e-30;

double Log10Abs(double v) { return std::log10(std::fabs(v) + kTiny); }

bool PointUsable(const FieldSet& s, int i) { return s.point_deleted[i] == 0; }

// Solves A x = g for the symmetric damped normal matrix by Gaussian
// elimination; every pivot is guarded by 1e-50.
void SolveNormal(int m,
                 std::vector<double> a,
                 std::vector<double> g,
                 std::vector<double>& x) {
  for (int k = 0; k < m; ++k) {
    const double pivot = a[k * m + k] + kPivotGuard;
    for (int r = k + 1; r < m; ++r) {
      const double f = a[r * m + k] / pivot;
      if (f == 0.0) continue;
      for (int c = k; c < m; ++c) a[r * m + c] -= f * a[k * m + c];
      g[r] -= f * g[k];
    }
  }
  x.assign(m, 0.0);
  for (int k = m - 1; k >= 0; --k) {
    double s = g[k];
    for (int c = k + 1; c < m; ++c) s -= a[k * m + c] * x[c];
    x[k] = s / (a[k * m + k] + kPivotGuard);
  }
}

// Keeps a trial step within a factor 10 for every parameter (the whole step
// is scaled, so its direction is kept), and a thickness from growing by
// more than the model's thickness step limit.
void LimitStep(const LayerModel& model, std::vector<double>& step) {
  double largest = 0.0;
  for (double s : step) largest = std::max(largest, std::fabs(s));
  if (largest > kMaxLogStep) {
    for (double& s : step) s *= kMaxLogStep / largest;
  }
  const InversionParameters& p = model.params;
  for (int j = 0; j < MaxLayers; ++j) {
    const int k = p.h_index[j];
    if (k < 0 || step[k] <= 0.0) continue;
    const double h = std::exp(p.p[k]);
    const double cap = std::log((h + model.thickness_step_max[j]) / h);
    step[k] = std::min(step[k], cap);
  }
  for (double& s : step) {
    if (!std::isfinite(s)) s = 0.0;
  }
}

class Fitter {
 public:
  Fitter(Workspace& workspace,
         LayerModels& models,
         FieldSet& set,
         Ui& ui,
         int used)
      : ws_(workspace), models_(models), set_(set), ui_(ui), used_(used) {}

  // The misfit of the model as it stands. The grid curves of the trial
  // models are never shown (the run ends by computing the curve of the best
  // model), so they are skipped unless asked for.
  double Evaluate(FitTerms& terms, bool store_grid = false) {
    MisfitFunction misfit = [&](const FieldSet&, FitResponse& fit) {
      return FitMisfit(ws_, set_, used_, fit, &terms);
    };
    FitResponse fit;
    return ModelCurveDriver(DriverMode::kFitting,
                            ws_,
                            models_,
                            ui_,
                            &set_,
                            &fit,
                            misfit,
                            store_grid);
  }

 private:
  Workspace& ws_;
  LayerModels& models_;
  FieldSet& set_;
  Ui& ui_;
  int used_;
};

}  // namespace

int FitTerms::Weighted() const {
  int n = 0;
  for (int i = 0; i < count; ++i) n += weight[i] != 0.0 ? 1 : 0;
  return n;
}

int EffectivePeriods(const FieldSet& set) {
  int n = std::clamp(set.count, 0, MaxFreq);
  while (n > 0 && set.point_deleted[n - 1]) --n;
  return std::clamp(n, 2, MaxFreq);
}

double FitMisfit(const Workspace& ws,
                 FieldSet& s,
                 int used,
                 const FitResponse& fit,
                 FitTerms* terms) {
  const int target = ws.inversion_target;
  const bool ignore = ws.ignore_error_bars != 0;
  const double w_re = ws.re_weight;
  const double w_rho = ws.rho_weight;
  used = std::min(used, fit.count);
  FitTerms local;
  FitTerms& t = terms ? *terms : local;
  t.count = 0;
  auto add = [&t](double model, double field, double weight, double share) {
    t.model[t.count] = model;
    t.field[t.count] = field;
    t.weight[t.count] = weight;
    t.share[t.count] = share;
    ++t.count;
  };
  double sum = 0.0;
  if (target >= 1 && target <= 3) {
    for (int i = 0; i < used; ++i) {
      const double re_f = s.re_z[i], im_f = s.im_z[i];
      double wre = ignore ? 1.0 : 1.0 / (std::fabs(s.err_re[i]) + 0.01);
      double wim = ignore ? 1.0 : 1.0 / (std::fabs(s.err_im[i]) + 0.01);
      if (!PointUsable(s, i) || !(s.re_z_sign[i] && s.im_z_sign[i]))
        wre = wim = 0.0;
      if (re_f <= 0.0) wre = 0.0;
      if (im_f <= 0.0) wim = 0.0;
      const double dre =
          std::log10(std::fabs(fit.re_z[i]) / std::fabs(re_f) + kTiny);
      const double dim =
          std::log10(std::fabs(fit.im_z[i]) / std::fabs(im_f) + kTiny);
      if (target == 1) {
        sum += w_re * (wre * dre) * (wre * dre) +
               (1.0 - w_re) * (wim * dim) * (wim * dim);
        add(Log10Abs(fit.re_z[i]), Log10Abs(re_f), wre, w_re);
        add(Log10Abs(fit.im_z[i]), Log10Abs(im_f), wim, 1.0 - w_re);
      } else if (target == 2) {
        sum += (wre * dre) * (wre * dre);
        add(Log10Abs(fit.re_z[i]), Log10Abs(re_f), wre, 1.0);
      } else {
        sum += (wim * dim) * (wim * dim);
        add(Log10Abs(fit.im_z[i]), Log10Abs(im_f), wim, 1.0);
      }
    }
  } else if (target == 4 || target == 5) {
    auto rel_rho = [&](int i) {
      double rel = std::fabs(std::pow(10.0, s.log_rho_upper[i]) -
                             std::pow(10.0, s.log_rho_lower[i])) /
                   (std::fabs(fit.rho_a[i]) + kTiny);
      return rel < 0.01 ? 0.01 : rel;
    };
    if (target == 4) {
      for (int i = 0; i < used; ++i) {
        double w = ignore ? 1.0 : 1.0 / rel_rho(i);
        if (!PointUsable(s, i)) w = 0.0;
        const double model = std::log10(std::fabs(fit.rho_a[i]) + kTiny);
        const double d = model - s.log_rho[i];
        sum += (w * d) * (w * d);
        add(model, s.log_rho[i], w, 1.0);
      }
    } else {
      std::array<double, MaxFreq> wr{}, wp{};
      double sr = 0.0, sp = 0.0;
      for (int i = 0; i < used; ++i) {
        double relp = std::fabs(std::pow(10.0, s.log_phase_upper[i]) -
                                std::pow(10.0, s.log_phase_lower[i])) /
                      s.phase[i];
        if (!(relp >= 0.01)) relp = std::isnan(relp) ? relp : 0.01;
        wr[i] = ignore ? 1.0 : 1.0 / rel_rho(i);
        wp[i] = ignore ? 1.0 : 1.0 / relp;
        if (!PointUsable(s, i) || !s.phase_sign[i]) wr[i] = wp[i] = 0.0;
        sr += (wr[i] * s.log_rho[i]) * (wr[i] * s.log_rho[i]);
        sp += (wp[i] * s.phase[i] * kRadPerDeg) *
              (wp[i] * s.phase[i] * kRadPerDeg);
      }
      const double scale = std::sqrt(sr / sp);
      for (int i = 0; i < used; ++i) {
        const double model_rho = std::log10(std::fabs(fit.rho_a[i]) + kTiny);
        const double dr = model_rho - s.log_rho[i];
        const double dp = (fit.phase[i] - s.phase[i]) * kRadPerDeg;
        sum += w_rho * (wr[i] * dr) * (wr[i] * dr) +
               (1.0 - w_rho) * scale * (wp[i] * dp) * (wp[i] * dp);
        add(model_rho, s.log_rho[i], wr[i], w_rho);
        // The phase term carries the scale of the misfit into the normal
        // equations too, so the two see the same balance.
        add(fit.phase[i] * kRadPerDeg,
            s.phase[i] * kRadPerDeg,
            wp[i],
            (1.0 - w_rho) * scale);
      }
    }
  }
  s.last_misfit = static_cast<float>(sum);
  return sum;
}

void BuildParameters(LayerModel& m, bool clamp_model) {
  InversionParameters& p = m.params;
  p.rho_index.fill(-1);
  p.h_index.fill(-1);
  const int n = std::clamp<int>(m.layer_count, 1, MaxLayers);
  int k = 0;
  for (int j = 0; j < n; ++j) {
    if (m.fix_resistivity[j]) continue;
    double rho = m.resistivity[j];
    rho = std::min<double>(rho, m.resistivity_max[j]);
    rho = std::max<double>(rho, m.resistivity_min[j]);
    if (clamp_model) m.resistivity[j] = rho;
    p.rho_index[j] = static_cast<std::int16_t>(k);
    p.upper[k] = m.resistivity_max[j];
    p.lower[k] = m.resistivity_min[j];
    p.kind[k] = 1;
    p.p[k] = std::log(std::fabs(rho) + kTiny);
    ++k;
  }
  for (int j = 0; j + 1 < n; ++j) {
    if (m.fix_thickness[j]) continue;
    double h = m.thickness[j];
    h = std::min<double>(h, m.thickness_max[j]);
    h = std::max<double>(h, m.thickness_min[j]);
    if (clamp_model) m.thickness[j] = h;
    p.h_index[j] = static_cast<std::int16_t>(k);
    p.upper[k] = m.thickness_max[j];
    p.lower[k] = m.thickness_min[j];
    p.kind[k] = 2;
    p.p[k] = std::log(std::fabs(h) + kTiny);
    ++k;
  }
  p.count = static_cast<std::int16_t>(k);
}

bool ApplyParameters(LayerModel& m) {
  const InversionParameters& p = m.params;
  int applied = 0;
  for (int j = 0; j < MaxLayers; ++j) {
    if (p.rho_index[j] >= 0) {
      m.resistivity[j] = std::exp(p.p[p.rho_index[j]]);
      ++applied;
    }
    if (j < MaxLayers - 1 && p.h_index[j] >= 0) {
      m.thickness[j] = std::exp(p.p[p.h_index[j]]);
      ++applied;
    }
  }
  const int n = std::clamp<int>(m.layer_count, 1, MaxLayers);
  for (int j = n; j < MaxLayers; ++j) m.resistivity[j] = m.resistivity[n - 1];
  return applied == p.count;
}

void ClampParameters(InversionParameters& p) {
  for (int k = 0; k < p.count; ++k) {
    if (p.p[k] < std::log(p.lower[k])) p.p[k] = std::log(p.lower[k]);
    if (p.p[k] > std::log(p.upper[k])) p.p[k] = std::log(p.upper[k]);
  }
}

bool CanInvert(const FieldSets& sets, int index) {
  for (const FieldSet& s : sets) {
    if (s.attached[index]) return s.in_use > 0;
  }
  return false;
}

InversionResult RunInversion(
    Workspace& ws,
    FieldSets& sets,
    LayerModels& models,
    Ui& ui,
    const std::function<void(const InversionStep&)>& progress) {
  InversionResult result;
  const int current = std::clamp<int>(ws.current_model, 0, MaxModels - 1);
  LayerModel& model = models[current];
  char text[256];

  // 1. The attached field set.
  int k = -1;
  for (int s = 0; s < MaxSets && k < 0; ++s) {
    if (sets[s].attached[current]) k = s;
  }
  if (k < 0) {
    std::snprintf(text,
                  sizeof text,
                  "Model No %i is not attached to Field data\nUse "
                  "Setting->Inversion->Attach..",
                  current + 1);
    ui.Show(text, "INVALID ATTACH", Icon::kStop);
    return result;
  }
  FieldSet& set = sets[k];
  if (set.in_use <= 0) {
    std::snprintf(text,
                  sizeof text,
                  "Can't find   data for inversion\nThis model No %i attached "
                  "to Field set No "
                  "%i\nLoad field data or change attaching\nUse: "
                  "Setting->Inversion->Attach...",
                  current + 1,
                  k + 1);
    ui.Show(text, "INVALID AUTO INVERSION", Icon::kStop);
    ui.Post(Window::kModelForm, Um::UM_MODELSYNC, current, current);
    return result;
  }
  result.ran = true;

  // 2, 3. Periods used, the period range of the fit, the field identity.
  const int n = EffectivePeriods(set);
  set.effective_count = n;
  const float saved_min = model.period_min, saved_max = model.period_max;
  double t_short = 1e30, t_long = 0.0;
  for (int i = 0; i < n; ++i) {
    const double t = 1.0 / set.freq[i];
    if (t < t_short) t_short = t;
    if (t > t_long) t_long = t;
  }
  if (t_long > 0.0 && t_short < 1e30) {
    model.period_min = static_cast<float>(0.5 * t_short);
    model.period_max = static_cast<float>(2.0 * t_long);
  }
  model.name = set.label;
  model.site = set.station;
  model.remark = set.remark;
  model.head_text = set.header;
  model.coordinates = {
      set.coordinates[0], set.coordinates[1], set.coordinates[2]};
  model.fitted_set = static_cast<std::int16_t>(k);

  // 4, 5.
  const double delta = 1.03;
  ws.derivative_step = static_cast<float>(delta);
  double lambda = 0.01;

  BuildParameters(model);
  InversionParameters& P = model.params;
  const int m = P.count;
  ApplyParameters(model);
  Fitter fitter(ws, models, set, ui, n);
  const int amount = std::clamp<int>(ws.iteration_amount, 1, 30);
  std::vector<double> history_s(amount + 1, 1e300);
  std::vector<std::array<float, kMaxParameters>> history_p(amount + 1);
  auto record = [&](int t, double s) {
    history_s[t] = s;
    for (int i = 0; i < m; ++i) history_p[t][i] = static_cast<float>(P.p[i]);
    result.history.push_back({t, s});
    if (progress) progress({t, s});
  };

  FitTerms base, moved;
  std::vector<double> jac;
  std::vector<double> a(m * m), g(m), step;
  auto cancel = [&](int t) {
    std::snprintf(
        text, sizeof text, "EXECUTION CANCELED BY USER\nDONE: %i STEPS", t);
    ui.Show(text, "AUTO INVERSION", Icon::kStop);
    result.cancelled = true;
  };

  int t = 1;
  for (; t <= amount && !result.cancelled; ++t) {
    // a.
    const double s_now = fitter.Evaluate(base);
    if (t == 1) record(0, s_now);
    // b.
    if (ui.EscapePending()) {
      cancel(t);
      break;
    }
    // c. Jacobian by forward differences.
    const int terms = base.count;
    jac.assign(static_cast<std::size_t>(terms) * m, 0.0);
    for (int q = 0; q < m && !result.cancelled; ++q) {
      if (ui.EscapePending()) {
        cancel(t);
        break;
      }
      const double keep = P.p[q];
      P.p[q] += delta;
      ApplyParameters(model);
      fitter.Evaluate(moved);
      for (int i = 0; i < terms; ++i) {
        double d = (moved.model[i] - base.model[i]) / delta;
        if (std::fabs(d) < kMinDerivative)
          d = d < 0.0 ? -kMinDerivative : kMinDerivative;
        jac[static_cast<std::size_t>(i) * m + q] = d;
      }
      P.p[q] = keep;
      ApplyParameters(model);
    }
    if (result.cancelled) break;
    // d. Normal equations; the weights enter once.
    std::fill(a.begin(), a.end(), 0.0);
    std::fill(g.begin(), g.end(), 0.0);
    for (int i = 0; i < terms; ++i) {
      const double sw = base.share[i] * base.weight[i];
      if (sw == 0.0) continue;
      const double r = base.field[i] - base.model[i];
      const double* row = &jac[static_cast<std::size_t>(i) * m];
      for (int u = 0; u < m; ++u) {
        g[u] += sw * row[u] * r;
        for (int v = 0; v < m; ++v) a[u * m + v] += sw * row[u] * row[v];
      }
    }
    // e. Marquardt search with two trials per round.
    const std::vector<double> p0(P.p.begin(), P.p.begin() + m);
    std::array<double, 2> s_trial{};
    std::array<std::vector<double>, 2> p_trial;
    for (;;) {
      const double lambda0 = lambda;
      for (int j = 0; j < 2; ++j) {
        std::vector<double> damped = a;
        for (int u = 0; u < m; ++u) damped[u * m + u] *= 1.0 + lambda;
        SolveNormal(m, damped, g, step);
        LimitStep(model, step);
        for (int u = 0; u < m; ++u) P.p[u] = p0[u] + step[u];
        ClampParameters(P);
        ApplyParameters(model);
        s_trial[j] = fitter.Evaluate(moved);
        p_trial[j].assign(P.p.begin(), P.p.begin() + m);
        if (j == 0) lambda *= 0.1;
      }
      const double previous = history_s[t - 1];
      if (s_trial[0] <= previous || s_trial[1] <= previous) break;
      // Neither trial is better: more damping than trial 0 had.
      lambda = lambda0 * 10.0;
      if (!(lambda < 1.0)) break;
    }
    // f. The better trial.
    const int best = s_trial[0] < s_trial[1] ? 0 : 1;
    if (best == 0) lambda *= 10.0;
    std::copy(p_trial[best].begin(), p_trial[best].end(), P.p.begin());
    ApplyParameters(model);
    if (best == 0) fitter.Evaluate(moved);
    record(t, s_trial[best]);
    result.iterations_run = t;
    // g.
    if (ui.EscapePending()) {
      cancel(t);
      break;
    }
  }

  if (!result.cancelled) {
    // 7. The best entry of the history (the later one on equal misfits).
    int best_t = 0;
    double best_s = 1e20;
    for (int i = 0; i <= result.iterations_run; ++i) {
      if (history_s[i] <= best_s) {
        best_s = history_s[i];
        best_t = i;
      }
    }
    for (int i = 0; i < m; ++i) P.p[i] = history_p[best_t][i];
    ApplyParameters(model);
    result.best_iteration = best_t;
    result.misfit = best_s;
    ws.last_misfit = best_s;
    ws.inversion_done = 1;
  }
  // 9. Restore the period range and compute the model curve once more.
  model.period_min = saved_min;
  model.period_max = saved_max;
  result.misfit = fitter.Evaluate(base, true);
  result.data_used = base.Weighted();
  ModelCurveDriver(DriverMode::kPlain, ws, models, ui);
  ui.Post(Window::kView, Um::UM_REDRAW, 0, 0);
  ui.Post(Window::kModelForm, Um::UM_MODELSYNC, current, current);
  return result;
}

}  // namespace mtvuk
