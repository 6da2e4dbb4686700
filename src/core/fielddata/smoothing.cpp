#include "core/fielddata/smoothing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "core/fielddata/field_editing.h"
#include "core/fielddata/phase_quadrature.h"
#include "core/fielddata/robust_smoothing.h"
#include "core/fielddata/spline_fit.h"
#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

constexpr double kSlopeBound = 0.9;
constexpr double kSlopeScale = 1.2345679012345678;  // 1 / 0.81
constexpr double kTwoPi = 6.283185307179586;
// The phase integral runs from omega / 200 to 200 omega, to these
// tolerances, on at most this many subintervals.

// Relative errors of the resistivities of the points `used[0..m)`, divided
// by the smallest; the weights of the fit are their inverse squares (or 1).
void Weights(
    const FieldSet& set, const int* used, int m, bool ignore, double* w) {
  std::vector<double> e(static_cast<std::size_t>(m));
  double e_min = 1e10;
  for (int j = 0; j < m; ++j) {
    const int i = used[j];
    const double upper =
        std::pow(10.0, static_cast<double>(set.log_rho_upper[i]));
    const double lower =
        std::pow(10.0, static_cast<double>(set.log_rho_lower[i]));
    const double rho = std::pow(10.0, static_cast<double>(set.log_rho[i]));
    e[j] = std::fabs(upper - lower) * 0.5 / (rho + kTiny) + 0.01;
    if (e[j] < e_min) e_min = e[j];
  }
  for (int j = 0; j < m; ++j) {
    const double rel = e[j] / e_min;
    w[j] = ignore ? 1.0 : 1.0 / (rel * rel);
  }
}

// The points among the first n that the spline fits: those not switched
// off. A switched-off point inside the curve has no weight in the fit; it
// gets the value of the spline all the same.
int UsedPoints(const FieldSet& set, int n, std::array<int, MaxFreq>& used) {
  int m = 0;
  for (int i = 0; i < n; ++i) {
    if (!PointOff(set, i)) used[m++] = i;
  }
  return m;
}

// Entries 1..k of the knot vector, equally spaced from x_1 to x_n; the fit
// uses entries 5..k-4 as its interior knots.
void KnotVector(const double* x, int n, int k, double* knots) {
  const double first = x[0];
  const double last = x[n - 1];
  for (int j = 1; j <= k; ++j) {
    knots[j - 1] = first + (j - 1) * (last - first) / (k - 1);
  }
  knots[0] = first;
  knots[k - 1] = last;
}

// The fitted spline of ln(rho / rho_ref) against ln omega, continued
// beyond the data by straight lines with the end slopes, so that the phase
// integral may reach past the measured band.
struct PhaseIntegrand {
  int ncap7 = 0;
  const double* knots = nullptr;
  const double* c = nullptr;
  double u_lo = 0, u_hi = 0;  // ln omega at the ends of the data
  std::array<double, 4> at_lo{}, at_hi{};
  double omega = 0;
  double s0 = 0;   // spline at ln omega
  double ds0 = 0;  // its slope there
  int error = 0;

  double Spline(double u) {
    if (u < u_lo) return at_lo[0] + at_lo[1] * (u - u_lo);
    if (u > u_hi) return at_hi[0] + at_hi[1] * (u - u_hi);
    std::array<double, 4> s;
    const int ierror = E02bcf(ncap7, knots, c, u, 1, s);
    if (ierror != 0) {
      error = ierror;
      return s0;
    }
    return s[0];
  }

  static double Value(double x, void* params) {
    auto* self = static_cast<PhaseIntegrand*>(params);
    const double omega = self->omega;
    // The quotient has a finite limit at x = omega.
    if (std::fabs(x - omega) <= 1e-9 * omega) {
      return -self->ds0 / (2.0 * omega * omega);
    }
    return (self->s0 - self->Spline(std::log(x))) / (x * x - omega * omega);
  }
};

}  // namespace

SmoothingOptions SmoothingOptions::From(const Workspace& workspace) {
  SmoothingOptions o;
  o.tension_percent = TensionPercent(workspace.smoothing);
  o.ignore_errors = workspace.smoothing.ignore_errors != 0;
  o.smoother = workspace.smoothing.smoother;
  o.tension_by_hand = workspace.smoothing.tension_by_hand != 0;
  return o;
}

SmoothingOptions SmoothingOptions::ForSet(const Workspace& workspace,
                                          const FieldSet& set) {
  SmoothingOptions o = From(workspace);
  if (set.smoothed) o.smoother = set.smoothed_with;
  return o;
}

const char* SmootherName(Smoother smoother) {
  return smoother == Smoother::kClassic ? "classic" : "robust";
}

const char* SmootherCaption(Smoother smoother) {
  return smoother == Smoother::kClassic ? "Weighted spline (classic)"
                                        : "Robust spline (from the data)";
}

double TensionPercent(const SmoothingSettings& settings) {
  if (settings.tension_width <= 0) return 0.0;
  return settings.tension_position * 100.0 / settings.tension_width;
}

int KnotCount(double tension_percent, int n) {
  const double v = std::ceil(tension_percent * (n - 8) * 0.01 + 8.0);
  int k = v <= n ? static_cast<int>(std::max(v, 0.0)) : n;
  if (k < 8) k = 8;
  return k;
}

double BoundedSlope(double m) {
  const double bounded =
      kSlopeBound * std::sqrt(1.0 - std::exp(-m * m * kSlopeScale));
  return m < 0.0 ? -bounded : bounded;
}

int EffectiveCount(const FieldSet& set) {
  int n = std::clamp(set.count, 0, MaxFreq);
  while (n > 0 && set.point_use[n - 1] == 0.0f) --n;
  return std::clamp(n, 2, MaxFreq);
}

bool SmoothFieldSet(FieldSet& set, const SmoothingOptions& options, Ui& ui) {
  const int n = std::clamp(set.effective_count, 2, MaxFreq);
  for (int i = 0; i < n; ++i) {
    set.smoothed_log_rho[i] = -14.0f;
    set.smoothed_log_rho_copy[i] = -14.0f;
    set.smoothed_slope[i] = 0.0f;
  }
  std::array<int, MaxFreq> used{};
  const int m = UsedPoints(set, n, used);
  const int k = KnotCount(options.tension_percent, m);
  std::array<double, MaxFreq> x{}, y{}, w{};
  Weights(set, used.data(), m, options.ignore_errors, w.data());
  for (int j = 0; j < m; ++j) {
    const int i = used[j];
    x[j] = std::log10(1.0 / static_cast<double>(set.freq[i]));
    y[j] = set.log_rho[i];
    if (!std::isfinite(y[j])) {
      char text[64];
      std::snprintf(text, sizeof text, "Y[%d] is not a number", i + 1);
      ui.Show(text, kSplineFitCaption, Icon::kStop);
      return false;
    }
  }
  std::array<double, MaxFreq> knots{}, c{};
  if (m > 0) KnotVector(x.data(), m, k, knots.data());
  const SplineFitStatus fit =
      E02baf(m, k, x.data(), y.data(), w.data(), knots.data(), c.data());
  if (!fit.ok()) {
    ui.Show(fit.test, kSplineFitCaption, Icon::kStop);
    return false;
  }
  // Every point from the first to the last fitted one gets the spline's
  // value and slope; points switched off before or after them keep -14.
  std::array<double, MaxFreq> value{}, slope{};
  std::array<bool, MaxFreq> evaluated{};
  for (int i = used[0]; i <= used[m - 1]; ++i) {
    const double xi = std::log10(1.0 / static_cast<double>(set.freq[i]));
    if (PointOff(set, i) && !(xi >= x[0] && xi <= x[m - 1])) continue;
    std::array<double, 4> s;
    const int ierror = E02bcf(k, knots.data(), c.data(), xi, 1, s);
    if (ierror != 0) {
      char text[32];
      std::snprintf(text, sizeof text, "IERROR=%d", ierror);
      ui.Show(text, kSplineEvalCaption, Icon::kStop);
      return false;
    }
    value[i] = s[0];
    slope[i] = BoundedSlope(s[1]);
    evaluated[i] = true;
    if (!(std::fabs(value[i]) <= std::numeric_limits<float>::max()) ||
        !std::isfinite(slope[i])) {
      // Values so large that the fit overflowed.
      char text[64];
      std::snprintf(
          text, sizeof text, "The spline is not a number at X[%d]", i + 1);
      ui.Show(text, kSplineEvalCaption, Icon::kStop);
      return false;
    }
  }
  for (int i = 0; i < n; ++i) {
    if (!evaluated[i]) continue;
    set.smoothed_log_rho[i] = static_cast<float>(value[i]);
    set.smoothed_log_rho_copy[i] = static_cast<float>(value[i]);
    set.smoothed_slope[i] = static_cast<float>(slope[i]);
  }
  set.effective_count = n;
  return true;
}

void PhaseFromResistivity(FieldSet& set,
                          const SmoothingOptions& options,
                          Ui& ui) {
  const int n = EffectiveCount(set);
  for (int i = 0; i <= n && i < MaxFreq; ++i) set.phase_from_rho[i] = -100.0f;
  std::array<int, MaxFreq> used{};
  const int m = UsedPoints(set, n, used);

  // Rising omega: the fitted points in reverse order.
  std::array<double, MaxFreq> w_points{}, u{}, v{}, w{};
  Weights(set, used.data(), m, options.ignore_errors, w_points.data());
  double log_ref = 0.0;  // ln of the geometric mean resistivity
  for (int j = 0; j < m; ++j) {
    log_ref +=
        std::log(std::pow(10.0, static_cast<double>(set.log_rho[used[j]])));
  }
  if (m > 0) log_ref /= m;
  std::array<double, MaxFreq> omega{};
  for (int i = 0; i < n; ++i) {
    const double period = 1.0 / static_cast<double>(set.freq[i]);
    omega[i] = kTwoPi / period;
  }
  for (int j = 0; j < m; ++j) {
    const int i = used[j];
    const int r = m - 1 - j;
    u[r] = std::log(omega[i]);
    v[r] = std::log(std::pow(10.0, static_cast<double>(set.log_rho[i])) /
                    std::exp(log_ref));
    w[r] = w_points[j];
  }
  const int k = KnotCount(options.tension_percent, m);
  std::array<double, MaxFreq> knots{}, c{};
  if (m > 0) KnotVector(u.data(), m, k, knots.data());
  const SplineFitStatus fit =
      E02baf(m, k, u.data(), v.data(), w.data(), knots.data(), c.data());
  if (!fit.ok()) {
    char text[32];
    std::snprintf(text, sizeof text, "E02BAF 2=%d", fit.ifail);
    ui.Show(text, "E02BAF-2 ERROR", Icon::kExclamation);
  }
  if (m == 0) return;

  PhaseIntegrand f;
  f.ncap7 = k;
  f.knots = knots.data();
  f.c = c.data();
  f.u_lo = u[0];
  f.u_hi = u[m - 1];
  int ierror = E02bcf(k, f.knots, f.c, f.u_lo, 1, f.at_lo);
  if (ierror == 0) ierror = E02bcf(k, f.knots, f.c, f.u_hi, 1, f.at_hi);
  if (ierror != 0 ||
      !std::isfinite(f.at_lo[0] + f.at_lo[1] + f.at_hi[0] + f.at_hi[1])) {
    char text[32];
    std::snprintf(text, sizeof text, "ERR=%d", ierror);
    ui.Show(text, "E02BCF in FUN", Icon::kStop);
    return;
  }

  PhaseQuadrature quadrature;
  const int first = used[0];
  for (int i = first; i <= used[m - 1]; ++i) {
    f.omega = omega[i];
    const double at = std::log(f.omega);
    // A switched-off point outside the fitted band gets no phase.
    if (PointOff(set, i) && !(at >= f.u_lo && at <= f.u_hi)) continue;
    std::array<double, 4> s;
    f.error = E02bcf(k, f.knots, f.c, at, 1, s);
    f.s0 = s[0];
    f.ds0 = s[1];
    gsl_function function{&PhaseIntegrand::Value, &f};
    const double integral = quadrature.Integrate(function, f.omega);
    if (f.error != 0) {
      char text[32];
      std::snprintf(text, sizeof text, "ERR=%d", f.error);
      ui.Show(text, "E02BCF in FUN", Icon::kStop);
      break;
    }
    double phase = (kQuarterPi - integral * f.omega * kOneOverPi) * kDegPerRad;
    if (!std::isfinite(phase)) continue;  // stays "not computed"
    if (phase < 0.0) phase = i > first ? set.phase_from_rho[i - 1] : 0.0;
    if (phase > 90.0) phase = 90.0;
    set.phase_from_rho[i] = static_cast<float>(phase);
  }
}

bool SmoothMarkedSet(Workspace& workspace,
                     FieldSet& set,
                     const SmoothingOptions& options,
                     Ui& ui) {
  set.smoothed = 1;
  workspace.any_set_smoothed = 1;
  set.smooth_work.fill(0.0f);
  set.smoothed_log_rho.fill(-12.0f);
  set.smoothed_log_rho_copy.fill(-12.0f);
  set.smoothed_with = options.smoother;
  if (options.smoother == Smoother::kRobust) {
    return SmoothFieldSetRobust(set, options, ui);
  }
  set.smooth_outlier.fill(0);
  set.smoothing_dof = 0.0f;
  return SmoothFieldSet(set, options, ui);
}

void DerivePhaseFromResistivity(FieldSet& set,
                                const SmoothingOptions& options,
                                Ui& ui) {
  if (options.smoother == Smoother::kRobust) {
    RobustPhaseFromResistivity(set, options, ui);
    return;
  }
  set.phase_from_rho_weak.fill(0);
  PhaseFromResistivity(set, options, ui);
}

void RunSmoothingRequest(Workspace& workspace,
                         FieldSets& sets,
                         Ui& ui,
                         const std::function<void()>& repaint) {
  const SmoothingOptions options = SmoothingOptions::From(workspace);
  for (FieldSet& set : sets) {
    set.effective_count = EffectiveCount(set);
    if (set.in_use == 0 || set.smoothing_mark < 1) continue;
    if (repaint) repaint();
    SmoothMarkedSet(workspace, set, options, ui);
    if (repaint) repaint();
  }
  ui.Post(Window::kView, Um::UM_LINEREFRESH, 0, 0);
}

SmoothingWindowLogic::SmoothingWindowLogic(Workspace& workspace,
                                           FieldSets& sets,
                                           Ui& ui)
    : workspace_(workspace), sets_(sets), ui_(ui) {
  const SmoothingSettings& s = workspace.smoothing;
  ignore_errors = s.ignore_errors != 0;
  res_to_phase = s.res_to_phase != 0;
  limited = s.free_fit == 0;
  smoother = s.smoother;
  tension_by_hand = s.tension_by_hand != 0;
  tension_width = std::max<int>(1, s.tension_width);
  tension_position = std::clamp<int>(s.tension_position, 0, tension_width);
}

bool SmoothingWindowLogic::ToggleSlot(int k) {
  if (k < 0 || k >= MaxSets || sets_[k].in_use <= 0) return false;
  FieldSet& set = sets_[k];
  set.smoothing_mark = set.smoothing_mark == 1 ? 0 : 1;
  return true;
}

void SmoothingWindowLogic::MarkAll() {
  for (FieldSet& set : sets_) {
    if (set.in_use > 0) set.smoothing_mark = 1;
  }
}

void SmoothingWindowLogic::SetTension(int offset, int width) {
  tension_width = std::max(1, width);
  tension_position = std::clamp(offset, 0, tension_width);
  tension_by_hand = true;
}

bool SmoothingWindowLogic::Apply() {
  if (workspace_.graph_drawing) return false;
  bool any = false;
  for (const FieldSet& set : sets_) any = any || set.smoothing_mark > 0;
  if (!any) {
    ui_.Show("Mark any set to smooth", "Nothing selected...", Icon::kStop);
    return false;
  }
  SmoothingSettings& s = workspace_.smoothing;
  s.free_fit = limited ? 0 : 1;
  s.ignore_errors = ignore_errors ? 1 : 0;
  s.res_to_phase = res_to_phase ? 1 : 0;
  s.tension_position = static_cast<std::int16_t>(tension_position);
  s.tension_width = static_cast<std::int16_t>(tension_width);
  s.smoother = smoother;
  s.tension_by_hand = tension_by_hand ? 1 : 0;
  if (res_to_phase) {
    const SmoothingOptions options = SmoothingOptions::From(workspace_);
    for (FieldSet& set : sets_) {
      if (set.smoothing_mark > 0) {
        DerivePhaseFromResistivity(set, options, ui_);
      }
    }
  }
  ui_.Post(Window::kMainFrame, Um::UM_SMOOTH, 0, 0);
  if (workspace_.depth_window_open) {
    ui_.Post(Window::kDepthWindow, Um::UM_SETSCHANGED, 0, 0);
  }
  return true;
}

void SmoothingWindowLogic::Close() {
  for (FieldSet& set : sets_) set.smoothing_mark = -1;
  ui_.Post(Window::kMainFrame, Um::UM_SMOOTHCLOSED, 0, 0);
}

}  // namespace mtvuk
