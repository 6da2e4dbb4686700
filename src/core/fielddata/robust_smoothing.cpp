#include "core/fielddata/robust_smoothing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "core/fielddata/field_editing.h"
#include "core/fielddata/phase_quadrature.h"
#include "core/fielddata/robust_smoother.h"
#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

constexpr double kLog10TwoPi = 0.7981798683581150;
// The phase integral of the weighted spline: omega / 200 to 200 omega.

double LogPeriod(const FieldSet& set, int i) {
  return std::log10(1.0 / static_cast<double>(set.freq[i]));
}

// The points among the first n that are not switched off, and their data.
struct SetData {
  std::vector<int> used;
  std::vector<double> x, y, sigma;
};

// False (with the message shown) when a used point has no number.
bool CollectData(
    const FieldSet& set, int n, bool ignore_errors, SetData& d, Ui& ui) {
  for (int i = 0; i < n; ++i) {
    if (PointOff(set, i)) continue;
    const double x = LogPeriod(set, i);
    const double y = set.log_rho[i];
    if (!std::isfinite(x) || !std::isfinite(y)) {
      char text[64];
      std::snprintf(
          text, sizeof text, "Point %d has no period or value", i + 1);
      ui.Show(text, kRobustSmoothingCaption, Icon::kStop);
      return false;
    }
    d.used.push_back(i);
    d.x.push_back(x);
    d.y.push_back(y);
    d.sigma.push_back(LogRhoSigma(set, i, ignore_errors));
  }
  if (d.used.size() < 2) {
    ui.Show("Fewer than two points to smooth",
            kRobustSmoothingCaption,
            Icon::kStop);
    return false;
  }
  return true;
}

RobustSmootherResult FitSet(const SetData& d,
                            const SmoothingOptions& options,
                            Ui& ui) {
  std::optional<double> tension;
  if (options.tension_by_hand) tension = options.tension_percent;
  RobustSmootherResult fit = SmoothRobust(d.x, d.y, d.sigma, tension);
  if (!fit.ok) {
    ui.Show("The periods of the points span no range",
            kRobustSmoothingCaption,
            Icon::kStop);
  }
  return fit;
}

// ln rho against ln omega from the robust curve of log10 rho against
// log10 T (continued beyond the data by its end tangents).
struct RobustPhaseIntegrand {
  const PenalizedSpline* spline = nullptr;
  double omega = 0.0;
  double s0 = 0.0;   // ln rho at omega
  double ds0 = 0.0;  // d ln rho / d ln omega there

  double LnRho(double ln_omega) const {
    return kLn10 * spline->Value(kLog10TwoPi - ln_omega / kLn10);
  }
  static double Value(double x, void* params) {
    const auto* self = static_cast<const RobustPhaseIntegrand*>(params);
    const double omega = self->omega;
    if (std::fabs(x - omega) <= 1e-9 * omega) {
      return -self->ds0 / (2.0 * omega * omega);
    }
    return (self->s0 - self->LnRho(std::log(x))) / (x * x - omega * omega);
  }
};

}  // namespace

double LogRhoSigma(const FieldSet& set, int i, bool ignore_errors) {
  const double floor = LogRhoErrorFloor();
  if (ignore_errors) return floor;
  // The upper bound is log10(rho + e); the lower one loses its meaning when
  // e exceeds rho, so the relative error comes from the upper one.
  const double relative =
      std::pow(10.0,
               static_cast<double>(set.log_rho_upper[i]) - set.log_rho[i]) -
      1.0;
  const double sigma = relative / kLn10;
  return std::isfinite(sigma) ? std::max(sigma, floor) : floor;
}

bool SmoothFieldSetRobust(FieldSet& set,
                          const SmoothingOptions& options,
                          Ui& ui) {
  const int n = std::clamp(set.effective_count, 2, MaxFreq);
  for (int i = 0; i < n; ++i) {
    set.smoothed_log_rho[i] = -14.0f;
    set.smoothed_log_rho_copy[i] = -14.0f;
    set.smoothed_slope[i] = 0.0f;
  }
  set.smooth_outlier.fill(0);
  set.smoothing_dof = 0.0f;
  SetData d;
  if (!CollectData(set, n, options.ignore_errors, d, ui)) return false;
  const RobustSmootherResult fit = FitSet(d, options, ui);
  if (!fit.ok) return false;
  // Every point from the first to the last used one gets a value; a point
  // switched off inside the band gets the held curve, one outside none:
  // the curve is not carried beyond the data.
  const double lo = fit.spline.lo(), hi = fit.spline.hi();
  std::size_t j = 0;
  for (int i = d.used.front(); i <= d.used.back(); ++i) {
    double value = 0.0, slope = 0.0;
    if (j < d.used.size() && d.used[j] == i) {
      value = fit.value[j];
      slope = fit.slope[j];
      set.smooth_outlier[i] = fit.outlier[j] ? 1 : 0;
      ++j;
    } else {
      const double xi = LogPeriod(set, i);
      if (!(xi >= lo && xi <= hi)) continue;
      value = fit.spline.Value(xi);
      slope = fit.spline.Slope(xi);
      HoldToData(d.x, d.y, d.sigma, fit, xi, value, slope);
    }
    set.smoothed_log_rho[i] = static_cast<float>(value);
    set.smoothed_log_rho_copy[i] = static_cast<float>(value);
    set.smoothed_slope[i] = static_cast<float>(BoundedSlope(slope));
  }
  set.smoothing_dof = static_cast<float>(fit.dof);
  set.effective_count = n;
  return true;
}

void RobustPhaseFromResistivity(FieldSet& set,
                                const SmoothingOptions& options,
                                Ui& ui) {
  const int n = EffectiveCount(set);
  for (int i = 0; i <= n && i < MaxFreq; ++i) set.phase_from_rho[i] = -100.0f;
  set.phase_from_rho_weak.fill(0);
  SetData d;
  if (!CollectData(set, n, options.ignore_errors, d, ui)) return;
  const RobustSmootherResult fit = FitSet(d, options, ui);
  if (!fit.ok) return;
  const double lo = fit.spline.lo(), hi = fit.spline.hi();

  RobustPhaseIntegrand f;
  f.spline = &fit.spline;
  PhaseQuadrature quadrature;
  const int first = d.used.front();
  for (int i = first; i <= d.used.back(); ++i) {
    const double xi = LogPeriod(set, i);
    if (PointOff(set, i) && !(xi >= lo && xi <= hi)) continue;
    f.omega = std::pow(10.0, kLog10TwoPi - xi);
    f.s0 = kLn10 * fit.spline.Value(xi);
    f.ds0 = -fit.spline.Slope(xi);
    gsl_function function{&RobustPhaseIntegrand::Value, &f};
    const double integral = quadrature.Integrate(function, f.omega);
    double phase = (kQuarterPi - integral * f.omega * kOneOverPi) * kDegPerRad;
    if (!std::isfinite(phase)) continue;
    if (phase < 0.0) phase = i > first ? set.phase_from_rho[i - 1] : 0.0;
    if (phase > 90.0) phase = 90.0;
    set.phase_from_rho[i] = static_cast<float>(phase);
    const bool near_end =
        xi - lo < kPhaseBandEndDecades || hi - xi < kPhaseBandEndDecades;
    set.phase_from_rho_weak[i] = near_end ? 1 : 0;
  }
}

}  // namespace mtvuk
