#include "core/inversion/inversion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/inversion/fit_warnings.h"
#include "core/inversion/least_squares.h"
#include "core/inversion/robust_fit.h"
#include "core/physics/forward_1d.h"
#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

constexpr double kPivotGuard = 1e-50;
constexpr double kMaxLogStep = 2.302585092994046;  // a factor 10 per step
constexpr double kMinDerivative = 1e-30;

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

// Keeps every component of a trial step within a factor 10 on its own, so
// that a parameter without sensitivity (and so a huge step) cannot shrink
// the steps of the others, and a thickness from growing by more than the
// model's thickness step limit.
void LimitStep(const LayerModel& model, std::vector<double>& step) {
  for (double& s : step) s = std::clamp(s, -kMaxLogStep, kMaxLogStep);
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
  // With `data`, the terms of that misfit of the same response are kept
  // in `data_terms` too.
  double Evaluate(FitTerms& terms,
                  bool store_grid = false,
                  const MisfitSettings* data = nullptr,
                  FitTerms* data_terms = nullptr) {
    MisfitFunction misfit = [&](const FieldSet&, FitResponse& fit) {
      if (data && data_terms) FitMisfit(*data, set_, used_, fit, data_terms);
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

namespace {

using Progress = std::function<void(const InversionStep&)>;

// The classic method: forward differences with the step 1.03 in log units,
// Marquardt's multiplicative damping, two trials per round. Leaves the best
// entry of its history in the model's parameters (unless cancelled).
void RunClassic(Workspace& ws,
                LayerModel& model,
                Fitter& fitter,
                Ui& ui,
                const Progress& progress,
                InversionResult& result) {
  char text[256];
  // 4, 5.
  const double delta = 1.03;
  ws.derivative_step = static_cast<float>(delta);
  double lambda = 0.01;

  InversionParameters& P = model.params;
  const int m = P.count;
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
  }
}

// The messages of a computation that must not be stopped halfway: Esc is
// left for the caller's next poll.
class WithoutEscape : public Ui {
 public:
  explicit WithoutEscape(Ui& ui) : ui_(ui) {}
  void Post(Window w, Um m, std::intptr_t a, std::intptr_t b) override {
    ui_.Post(w, m, a, b);
  }
  Answer MessageBox(std::string_view text,
                    std::string_view caption,
                    Icon icon,
                    Buttons buttons,
                    Answer default_button) override {
    return ui_.MessageBox(text, caption, icon, buttons, default_button);
  }
  void Repaint(Window w) override { ui_.Repaint(w); }
  bool EscapePending() override { return false; }
  bool LeftButtonDown() override { return ui_.LeftButtonDown(); }
  std::int64_t ClockMs() override { return ui_.ClockMs(); }

 private:
  Ui& ui_;
};

// The robust method. It minimises the misfit weighted by the data, and
// never ends worse by the classic misfit S than the classic method from
// the same start: the classic fit runs first, its end is one more start,
// and of all the ends whose S is not above the classic's the one of least
// data misfit wins (the classic end itself if no other). The history of
// the winner becomes the result's history. Esc leaves the best model found
// so far.
void RunRobust(Workspace& ws,
               LayerModel& model,
               Fitter& fitter,
               FieldSet& set,
               int used,
               Ui& ui,
               const Progress& progress,
               InversionResult& result) {
  InversionParameters& P = model.params;
  const int m = P.count;
  const std::vector<double> p_start(P.p.begin(), P.p.begin() + m);
  const float step_before = ws.derivative_step;
  // The classic fit is short and runs whole; Esc stops the runs after it.
  InversionResult classic;
  WithoutEscape classic_ui(ui);
  RunClassic(ws, model, fitter, classic_ui, {}, classic);
  ws.derivative_step = step_before;
  const std::vector<double> p_classic(P.p.begin(), P.p.begin() + m);
  std::copy(p_start.begin(), p_start.end(), P.p.begin());
  ApplyParameters(model);

  const MisfitSettings data = MisfitSettingsOf(ws, FitMethod::kRobust);
  RobustRun run = FitRobust(ws,
                            data,
                            set,
                            used,
                            model,
                            ui,
                            [&](int start, int iteration, double s) {
                              if (progress) progress({iteration, s, start});
                            },
                            {{"classic method's result", p_classic}});

  // The classic misfit of every end, by one computation each.
  ModelFitProblem classic_problem(MisfitSettingsOf(ws), set, used, model);
  ModelFitProblem data_problem(data, set, used, model);
  FitResiduals residuals;
  auto classic_s = [&](const std::vector<double>& p) {
    return classic_problem.Evaluate(p.data(), residuals);
  };
  const double s_classic = classic_s(p_classic);
  const double allowed = s_classic + 1e-9 * std::fabs(s_classic);
  std::vector<double> chosen = p_classic;
  double chosen_data = data_problem.Evaluate(p_classic.data(), residuals);
  std::string chosen_start = "classic method";
  // The history is of the data misfit: the start's and the classic end's
  // when the classic end wins.
  std::vector<double> chosen_history;
  if (!run.candidates.empty() && !run.candidates[0].history.empty())
    chosen_history.push_back(run.candidates[0].history.front());
  chosen_history.push_back(chosen_data);
  for (const RobustCandidate& c : run.candidates) {
    if (static_cast<int>(c.p.size()) != m || !(c.misfit < chosen_data))
      continue;
    if (!(classic_s(c.p) <= allowed)) continue;
    chosen = c.p;
    chosen_data = c.misfit;
    chosen_start = c.start;
    chosen_history = c.history;
  }
  for (int k = 0; k < m; ++k) P.p[k] = chosen[k];
  ApplyParameters(model);
  result.starts = run.starts + 1;
  result.start_used = chosen_start;
  for (std::size_t t = 0; t < chosen_history.size(); ++t)
    result.history.push_back({static_cast<int>(t), chosen_history[t]});
  result.iterations_run = static_cast<int>(chosen_history.size()) - 1;
  result.best_iteration = result.iterations_run;
  result.misfit = run.misfit;
  if (run.cancelled) {
    char text[96];
    std::snprintf(text,
                  sizeof text,
                  "EXECUTION CANCELED BY USER\nDONE: %i STEPS",
                  run.cancelled_at);
    ui.Show(text, "AUTO INVERSION", Icon::kStop);
    result.cancelled = true;
  }
}

}  // namespace

std::string UnfittableCause(const FitTerms& terms, double misfit, int set) {
  char text[256];
  if (terms.Weighted() == 0) {
    std::snprintf(text,
                  sizeof text,
                  "No data to fit\nField set No %i has no point that the "
                  "target can use\n(every point is removed, or its signs "
                  "exclude it)",
                  set + 1);
    return text;
  }
  if (!std::isfinite(misfit)) {
    std::snprintf(text,
                  sizeof text,
                  "The misfit of the start model is not a number\nField set "
                  "No %i holds values or error bars\nthat are not finite "
                  "(or a zero phase)",
                  set + 1);
    return text;
  }
  return "";
}

double InversionResult::Rms() const {
  return data_used > 0 ? std::sqrt(misfit / data_used) : 0.0;
}

std::string IsotropicFitNote(const LayerModel& model) {
  const int n = std::clamp<int>(model.layer_count, 1, MaxLayers);
  bool anisotropic = false;
  for (int j = 0; j < n; ++j) anisotropic = anisotropic || model.aniso_on[j];
  const bool dispersive = !HasNoDispersiveLayer(model, n);
  if (!dispersive && !anisotropic) return "";
  std::string what = dispersive && anisotropic ? "IP (dispersive) and "
                                                 "anisotropic layers"
                     : dispersive              ? "IP (dispersive) layers"
                                               : "anisotropic layers";
  return "The start model has " + what +
         "; the fit uses the isotropic response without dispersion and "
         "changes only resistivities and thicknesses.";
}

InversionResult RunInversion(Workspace& ws,
                             FieldSets& sets,
                             LayerModels& models,
                             Ui& ui,
                             const Progress& progress) {
  InversionResult result;
  result.method = ws.fit_method;
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
  result.medium_note = IsotropicFitNote(model);
  // A fit that cannot start changes nothing.
  const LayerModel before = model;
  const std::int32_t count_before = set.effective_count;
  const float misfit_before = set.last_misfit;

  // 2, 3. Periods used, the period range of the fit, the field identity.
  const int n = EffectivePeriods(set);
  set.effective_count = n;
  const float saved_min = model.period_min, saved_max = model.period_max;
  double t_short = 1e30, t_long = 0.0;
  for (int i = 0; i < n; ++i) {
    if (set.point_deleted[i]) continue;  // a switched-off point is not used
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

  BuildParameters(model);
  ApplyParameters(model);
  Fitter fitter(ws, models, set, ui, n);
  const bool robust = ws.fit_method != FitMethod::kClassic;
  // The data misfit: the one the robust method minimises, and the one of
  // every method's nrms (with no floor for the classic method).
  MisfitSettings data = MisfitSettingsOf(ws, FitMethod::kRobust);
  if (!robust) data.error_floor = 0.0;
  result.error_floor = data.error_floor;
  FitTerms terms, data_terms;
  const double start_misfit = fitter.Evaluate(terms, false, &data, &data_terms);
  std::string cause = UnfittableCause(terms, start_misfit, k);
  if (cause.empty() && robust) {
    double chi2 = 0.0;
    for (int t = 0; t < data_terms.count; ++t) {
      const double e = data_terms.weight[t] * data_terms.residual[t];
      if (data_terms.weight[t] != 0.0) chi2 += data_terms.share[t] * e * e;
    }
    cause = UnfittableCause(data_terms, chi2, k);
    if (cause.empty() && data_terms.Weighted() < model.params.count) {
      std::snprintf(text,
                    sizeof text,
                    "Too few data for the model\nField set No %i has %i "
                    "usable data for %i free parameters\nFix parameters or "
                    "use fewer layers",
                    k + 1,
                    data_terms.Weighted(),
                    static_cast<int>(model.params.count));
      cause = text;
    }
  }
  if (!cause.empty()) {
    model = before;
    set.effective_count = count_before;
    set.last_misfit = misfit_before;
    ui.Show(cause, "INVALID AUTO INVERSION", Icon::kStop);
    ui.Post(Window::kModelForm, Um::UM_MODELSYNC, current, current);
    return result;
  }
  result.ran = true;

  if (robust) {
    RunRobust(ws, model, fitter, set, n, ui, progress, result);
  } else {
    RunClassic(ws, model, fitter, ui, progress, result);
  }
  if (!result.cancelled) {
    ws.last_misfit = result.misfit;
    ws.inversion_done = 1;
  }
  // 9. Restore the period range and compute the model curve once more.
  model.period_min = saved_min;
  model.period_max = saved_max;
  result.misfit = fitter.Evaluate(terms, true, &data, &data_terms);
  result.data_used = terms.Weighted();
  const NormalizedRms nrms = NormalizedMisfit(data_terms);
  result.nrms = nrms.value;
  result.nrms_terms = nrms.terms;
  result.noise_level = nrms.value <= kNoiseLevelNrms;
  result.data_misfit = 0.0;
  for (int t = 0; t < data_terms.count; ++t) {
    const double e = data_terms.weight[t] * data_terms.residual[t];
    if (data_terms.weight[t] != 0.0)
      result.data_misfit += data_terms.share[t] * e * e;
  }
  result.warnings = FitWarnings(set,
                                n,
                                robust ? data_terms : terms,
                                model,
                                ws.inversion_target,
                                nrms.value,
                                data.error_floor);
  ModelCurveDriver(DriverMode::kPlain, ws, models, ui);
  ui.Post(Window::kView, Um::UM_REDRAW, 0, 0);
  ui.Post(Window::kModelForm, Um::UM_MODELSYNC, current, current);
  return result;
}

}  // namespace mtvuk
