#include "core/inversion/smooth_inversion.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "core/inversion/bostick.h"
#include "core/inversion/error_floor.h"
#include "core/inversion/fit_misfit.h"
#include "core/inversion/fit_warnings.h"
#include "core/inversion/inversion.h"
#include "core/inversion/sensitivity.h"
#include "core/physics/forward_1d.h"
#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// The coarse scan of log10 mu: whole decades from kScanBelow below the
// centre to kScanAbove above it, widened by up to kScanWiden decades.
constexpr int kScanBelow = 5;
constexpr int kScanAbove = 4;
constexpr int kScanWiden = 6;
constexpr double kGolden = 0.6180339887498949;
constexpr double kGoldenTolerance = 0.02;  // log10 mu
// A crossing of the target is close enough when the misfit lies within
// this fraction below it.
constexpr double kRootTolerance = 2e-3;
constexpr int kMaxHalvings = 8;
constexpr int kEscapeEvery = 5;
// A fall of the rms or of the roughness by less than this fraction is no
// fall.
constexpr double kLeastFall = 0.01;
// Where the bottoms of the layers start and end, relative to the shallowest
// and the deepest Bostick depth of the data.
constexpr double kGridTop = 1.0 / 3.0;
constexpr double kGridBottom = 3.0;
constexpr char kCaption[] = "INVALID SMOOTH INVERSION";

using Eigen::MatrixXd;
using Eigen::VectorXd;

// The misfit, residuals and Jacobian of a profile: the data's terms of the
// target (4 or 5) and their normalized rms. The set is copied, so that the
// caller's stays as it was.
class SmoothProblem {
 public:
  SmoothProblem(const FieldSet& set,
                int used,
                const std::vector<double>& thickness_km,
                const SmoothInversionOptions& options)
      : set_(set),
        parameters_(static_cast<int>(thickness_km.size()) + 1),
        h_(thickness_km),
        rho_(parameters_),
        ignore_(options.ignore_error_bars) {
    settings_.target = options.target;
    settings_.ignore_error_bars = options.ignore_error_bars;
    settings_.physics = options.physics;
    settings_.error_floor = options.error_floor_percent;
    h_.push_back(1.0);  // the half-space's; never used
    fit_.count = std::clamp(set.count, 0, MaxFreq);
    used_ = std::clamp(used, 0, fit_.count);
    periods_.resize(used_);
    for (int i = 0; i < used_; ++i) periods_[i] = 1.0 / set.freq[i];
    sens_.resize(used_);
    response_.resize(used_);
  }

  int parameters() const { return parameters_; }
  int used() const { return used_; }
  const std::vector<double>& periods() const { return periods_; }
  const FitTerms& terms() const { return terms_; }
  const FitResponse& fit() const { return fit_; }
  double misfit() const { return misfit_; }

  // The normalized rms of the profile with log10 resistivities m.
  double Rms(const VectorXd& m) {
    SetLayers(m);
    ProfileKernel(rho_.data(), h_.data(), parameters_, settings_.physics)
        .Evaluate(periods_.data(), used_, response_.data());
    for (int i = 0; i < used_; ++i) Store(i, response_[i]);
    return Terms();
  }

  // The same, with the weighted residuals W r and the weighted Jacobian
  // W J of the terms that have a standard error (d / d log10 rho).
  double Linearise(const VectorXd& m, MatrixXd& wj, VectorXd& we) {
    SetLayers(m);
    ProfileSensitivity(rho_.data(), h_.data(), parameters_, settings_.physics)
        .Evaluate(periods_.data(), used_, sens_.data());
    for (int i = 0; i < used_; ++i) Store(i, sens_[i].response);
    const double rms = Terms();
    int rows = 0;
    for (int k = 0; k < terms_.count; ++k) rows += Row(k) ? 1 : 0;
    wj.resize(rows, parameters_);
    we.resize(rows);
    int r = 0;
    for (int k = 0; k < terms_.count; ++k) {
      if (!Row(k)) continue;
      const double w = ignore_ ? 1.0 : 1.0 / terms_.sigma[k];
      we(r) = w * terms_.residual[k];
      const auto& d = sens_[terms_.period[k]].d[terms_.quantity[k]];
      for (int j = 0; j < parameters_; ++j) {
        wj(r, j) = w * kLn10 * d[ProfilePeriodSensitivity::RhoColumn(j)];
      }
      ++r;
    }
    return rms;
  }

 private:
  // The rows of the system are the terms of the normalized rms.
  bool Row(int k) const {
    return terms_.weight[k] != 0.0 && terms_.sigma[k] > 0.0;
  }

  void SetLayers(const VectorXd& m) {
    for (int j = 0; j < parameters_; ++j) rho_[j] = std::pow(10.0, m(j));
  }

  void Store(int i, const Response1D& r) {
    fit_.re_z[i] = r.z.re;
    fit_.im_z[i] = r.z.im;
    fit_.rho_a[i] = r.rho_a;
    fit_.phase[i] = r.phase;
  }

  double Terms() {
    misfit_ = FitMisfit(settings_, set_, used_, fit_, &terms_);
    return NormalizedMisfit(terms_).value;
  }

  FieldSet set_;
  int parameters_;
  std::vector<double> h_;
  std::vector<double> rho_;
  bool ignore_;
  MisfitSettings settings_;
  int used_ = 0;
  std::vector<double> periods_;
  std::vector<ProfilePeriodSensitivity> sens_;
  std::vector<Response1D> response_;
  FitResponse fit_;
  FitTerms terms_;
  double misfit_ = 0.0;
};

// (mu R^T R + A) y = b, R the first differences; y held within the
// resistivities a profile may have. Not finite when the system is singular.
VectorXd SolveRegularised(const MatrixXd& a, const VectorXd& b, double mu) {
  const int n = static_cast<int>(b.size());
  MatrixXd m = a;
  for (int j = 0; j + 1 < n; ++j) {
    m(j, j) += mu;
    m(j + 1, j + 1) += mu;
    m(j, j + 1) -= mu;
    m(j + 1, j) -= mu;
  }
  VectorXd y;
  Eigen::LLT<MatrixXd> llt(m);
  if (llt.info() == Eigen::Success) {
    y = llt.solve(b);
  } else {
    Eigen::LDLT<MatrixXd> ldlt(m);
    if (ldlt.info() != Eigen::Success) {
      return VectorXd::Constant(n, std::nan(""));
    }
    y = ldlt.solve(b);
  }
  for (int j = 0; j < n; ++j) {
    if (std::isfinite(y(j)))
      y(j) = std::clamp(y(j), kSmoothLogRhoMin, kSmoothLogRhoMax);
  }
  return y;
}

double RoughnessOf(const VectorXd& m) {
  double sum = 0.0;
  for (int j = 0; j + 1 < m.size(); ++j) {
    const double d = m(j + 1) - m(j);
    sum += d * d;
  }
  return sum;
}

}  // namespace

std::string SmoothInversionOptionsError(const SmoothInversionOptions& o) {
  char text[160];
  if (o.layers < kMinSmoothLayers || o.layers > kMaxSmoothLayers) {
    std::snprintf(text,
                  sizeof text,
                  "The number of layers must be between %d and %d.",
                  kMinSmoothLayers,
                  kMaxSmoothLayers);
    return text;
  }
  if (o.target != 4 && o.target != 5)
    return "The smooth inversion fits target 4 (Ro) or 5 (Res+Phs).";
  if (!(o.target_rms >= kMinTargetRms && o.target_rms <= kMaxTargetRms)) {
    std::snprintf(text,
                  sizeof text,
                  "The target rms must be between %g and %g.",
                  kMinTargetRms,
                  kMaxTargetRms);
    return text;
  }
  if (o.max_iterations < 1) return "At least one iteration must be allowed.";
  if (*ErrorFloorProblem(o.error_floor_percent))
    return ErrorFloorProblem(o.error_floor_percent);
  return "";
}

bool SmoothGrid(const FieldSet& set,
                int used,
                int layers,
                std::vector<double>& thickness_km) {
  const std::vector<BostickSample> points = BostickTransform(set, used);
  if (points.size() < 2 || layers < 1) return false;
  const double top = kGridTop * points.front().depth_km;
  const double bottom = kGridBottom * points.back().depth_km;
  if (!(top > 0.0) || !std::isfinite(bottom)) return false;
  thickness_km.assign(layers, 0.0);
  double above = 0.0;
  for (int k = 0; k < layers; ++k) {
    const double f = layers > 1 ? static_cast<double>(k) / (layers - 1) : 1.0;
    const double z = top * std::pow(bottom / top, f);
    thickness_km[k] = z - above;
    above = z;
  }
  return true;
}

double Roughness(const std::vector<double>& log_rho) {
  return RoughnessOf(Eigen::Map<const VectorXd>(
      log_rho.data(), static_cast<Eigen::Index>(log_rho.size())));
}

MuChoice SearchMu(const std::function<double(double)>& misfit,
                  double centre,
                  double target) {
  MuChoice out;
  auto f = [&](double x) {
    ++out.evaluations;
    const double v = misfit(x);
    return std::isfinite(v) ? v : kInf;
  };
  auto meets = [&](double v) { return v <= target; };
  // The crossing between a (meets) and b (does not), from the side that
  // meets: regula falsi with the Illinois modification.
  auto crossing = [&](double a, double fa, double b, double fb) {
    double ga = fa - target, gb = fb - target;
    int side = 0;
    for (int i = 0; i < 40; ++i) {
      if (fa >= target * (1.0 - kRootTolerance) || std::fabs(b - a) < 1e-4)
        break;
      double x =
          std::isfinite(gb) ? b - gb * (b - a) / (gb - ga) : 0.5 * (a + b);
      if (!(x > std::min(a, b) && x < std::max(a, b))) x = 0.5 * (a + b);
      const double fx = f(x);
      if (meets(fx)) {
        a = x;
        fa = fx;
        ga = fx - target;
        if (side == -1) gb *= 0.5;
        side = -1;
      } else {
        b = x;
        gb = fx - target;
        if (side == 1) ga *= 0.5;
        side = 1;
      }
    }
    out.log_mu = a;
    out.misfit = fa;
    out.meets_target = true;
    return out;
  };

  // The scan, in ascending log10 mu.
  std::vector<std::pair<double, double>> scan;
  for (int k = -kScanBelow; k <= kScanAbove; ++k)
    scan.push_back({centre + k, f(centre + k)});
  auto above = [&](std::size_t i) {
    if (i + 1 < scan.size()) return scan[i + 1];
    const double x = scan[i].first + 1.0;
    scan.push_back({x, f(x)});
    return scan.back();
  };

  // The largest decade that meets the target, and the crossing above it.
  for (std::size_t i = scan.size(); i-- > 0;) {
    if (!meets(scan[i].second)) continue;
    for (int w = 0; w < kScanWiden && i + 1 == scan.size(); ++w) {
      const auto next = above(i);
      if (!meets(next.second)) break;
      ++i;
    }
    if (i + 1 == scan.size()) {
      out.log_mu = scan[i].first;
      out.misfit = scan[i].second;
      out.meets_target = true;
      return out;
    }
    return crossing(
        scan[i].first, scan[i].second, scan[i + 1].first, scan[i + 1].second);
  }

  // No decade meets it: the least misfit, widening at an edge while the
  // misfit still falls there.
  auto least = [&] {
    std::size_t best = 0;
    for (std::size_t i = 1; i < scan.size(); ++i)
      if (scan[i].second < scan[best].second) best = i;
    return best;
  };
  std::size_t best = least();
  for (int w = 0; w < kScanWiden && best == 0; ++w) {
    const double x = scan.front().first - 1.0;
    scan.insert(scan.begin(), {x, f(x)});
    best = least();
  }
  for (int w = 0; w < kScanWiden && best + 1 == scan.size(); ++w) {
    above(best);
    best = least();
  }
  double a = best > 0 ? scan[best - 1].first : scan[best].first;
  double b = best + 1 < scan.size() ? scan[best + 1].first : scan[best].first;
  double x_best = scan[best].first, f_best = scan[best].second;
  double c = b - kGolden * (b - a), d = a + kGolden * (b - a);
  double fc = f(c), fd = f(d);
  while (b - a > kGoldenTolerance) {
    if (fc < fd) {
      b = d;
      d = c;
      fd = fc;
      c = b - kGolden * (b - a);
      fc = f(c);
    } else {
      a = c;
      c = d;
      fc = fd;
      d = a + kGolden * (b - a);
      fd = f(d);
    }
  }
  for (auto [x, v] : {std::pair{c, fc}, std::pair{d, fd}}) {
    if (v < f_best) {
      x_best = x;
      f_best = v;
    }
  }
  if (meets(f_best)) {
    // The minimum lies below the target between two decades: the largest
    // mu that still meets it lies above the minimum.
    std::size_t i = 0;
    while (i < scan.size() && scan[i].first <= x_best) ++i;
    if (i == scan.size()) above(i - 1);
    return crossing(x_best, f_best, scan[i].first, scan[i].second);
  }
  out.log_mu = x_best;
  out.misfit = f_best;
  out.meets_target = false;
  return out;
}

SmoothInversionResult RunSmoothInversion(
    const FieldSet& set,
    int set_index,
    const SmoothInversionOptions& o,
    Ui& ui,
    const std::function<void(const SmoothIteration&)>& progress) {
  SmoothInversionResult r;
  char text[400];
  auto refuse = [&](const std::string& why) {
    ui.Show(why, kCaption, Icon::kStop);
    return r;
  };
  const std::string options_error = SmoothInversionOptionsError(o);
  if (!options_error.empty()) return refuse(options_error);
  if (set.in_use <= 0) {
    std::snprintf(text,
                  sizeof text,
                  "Can't find   data for the smooth inversion\nField set No "
                  "%i holds no data\nLoad field data first",
                  set_index + 1);
    return refuse(text);
  }
  const int used = EffectivePeriods(set);
  std::vector<double> h;
  if (!SmoothGrid(set, used, o.layers, h)) {
    std::snprintf(text,
                  sizeof text,
                  "No data to fit\nField set No %i has fewer than two points "
                  "with a usable resistivity and phase\n(every point is "
                  "removed, or its values are not numbers)",
                  set_index + 1);
    return refuse(text);
  }
  SmoothProblem problem(set, used, h, o);
  const int n = problem.parameters();

  // The start: a half-space of the data's mean apparent resistivity (the
  // mean of log10 rho_a).
  double sum = 0.0;
  int count = 0;
  for (int i = 0; i < used; ++i) {
    if (set.point_deleted[i] || !std::isfinite(set.log_rho[i])) continue;
    sum += set.log_rho[i];
    ++count;
  }
  const double start = std::clamp(
      count > 0 ? sum / count : 2.0, kSmoothLogRhoMin, kSmoothLogRhoMax);
  VectorXd m = VectorXd::Constant(n, start);
  double rms = problem.Rms(m);
  const std::string cause =
      UnfittableCause(problem.terms(), problem.misfit(), set_index);
  if (!cause.empty()) return refuse(cause);
  if (!std::isfinite(rms)) {
    std::snprintf(text,
                  sizeof text,
                  "No error bars\nField set No %i has no error bars, so the "
                  "normalized rms that the smooth inversion aims at\ncannot "
                  "be computed",
                  set_index + 1);
    return refuse(text);
  }
  r.ran = true;

  auto record = [&](SmoothIteration it) {
    r.history.push_back(std::move(it));
    if (progress) progress(r.history.back());
  };
  SmoothIteration first;
  first.rms = rms;
  record(first);

  const double target = o.target_rms;
  const double reach = target * (1.0 + kTargetRmsTolerance);
  double rough = RoughnessOf(m);
  double mu = 0.0;
  bool cancelled = false;
  bool converged = false;
  std::string reason;
  // Esc is polled at every fifth forward computation: a poll lets the
  // workstation's event loop run, which costs more than a computation.
  int computations = 0;
  auto escape = [&] {
    if (!cancelled && computations++ % kEscapeEvery == 0)
      cancelled = ui.EscapePending();
    return cancelled;
  };
  MatrixXd wj, a;
  VectorXd we, b;
  int it = 1;
  for (; it <= o.max_iterations; ++it) {
    if (escape()) break;
    problem.Linearise(m, wj, we);
    // The model itself is solved for: W d_hat = W (J m - r).
    a = MatrixXd::Zero(n, n);
    a.selfadjointView<Eigen::Lower>().rankUpdate(wj.transpose());
    a.triangularView<Eigen::StrictlyUpper>() = a.transpose();
    b = wj.transpose() * (wj * m - we);
    // Around the mu that weighs both terms alike (trace of R^T R is
    // 2 (n - 1)).
    const double scale = a.trace() / (2.0 * (n - 1));
    const double centre = scale > 0.0 ? std::log10(scale) : 0.0;

    SmoothIteration step;
    step.iteration = it;
    std::vector<std::pair<double, VectorXd>> tried;
    auto misfit = [&](double x) {
      if (escape()) return kInf;
      VectorXd y = SolveRegularised(a, b, std::pow(10.0, x));
      if (!y.allFinite()) return kInf;
      const double v = problem.Rms(y);
      step.trials.push_back({std::pow(10.0, x), v, RoughnessOf(y)});
      tried.push_back({x, std::move(y)});
      return v;
    };
    const MuChoice choice = SearchMu(misfit, centre, target);
    if (cancelled) break;
    VectorXd y;
    for (const auto& [x, model] : tried)
      if (x == choice.log_mu) y = model;
    if (y.size() != n)
      y = SolveRegularised(a, b, std::pow(10.0, choice.log_mu));
    double rms_y = choice.misfit;

    // A step whose misfit neither falls nor meets the target is halved.
    auto acceptable = [&](double v) { return v <= target || v < rms; };
    const VectorXd full = y - m;
    int halvings = 0;
    while (!acceptable(rms_y) && halvings < kMaxHalvings && !escape()) {
      ++halvings;
      y = m + full * std::ldexp(1.0, -halvings);
      rms_y = problem.Rms(y);
    }
    if (cancelled) break;
    step.mu = std::pow(10.0, choice.log_mu);
    step.halvings = halvings;
    if (!acceptable(rms_y)) {
      std::snprintf(text,
                    sizeof text,
                    "the misfit does not fall: the step halved %d times gave "
                    "no smaller rms than %.4g",
                    kMaxHalvings,
                    rms);
      reason = text;
      converged = rms <= reach;
      break;
    }
    const double rough_y = RoughnessOf(y);
    step.rms = rms_y;
    step.roughness = rough_y;
    const bool met_before = rms <= reach;
    const bool meets = rms_y <= reach;
    if (met_before && meets && rough_y >= rough) {
      // Of two profiles that meet the target the smoother one is kept.
      record(std::move(step));
      converged = true;
      reason = "the target rms is met and the roughness no longer falls";
      break;
    }
    const double rms_before = rms, rough_before = rough;
    m = y;
    rms = rms_y;
    rough = rough_y;
    mu = step.mu;
    record(std::move(step));
    if (met_before && meets && rough > rough_before * (1.0 - kLeastFall)) {
      converged = true;
      reason = "the target rms is met and the roughness no longer falls";
      break;
    }
    if (!meets && rms > rms_before * (1.0 - kLeastFall)) {
      std::snprintf(text,
                    sizeof text,
                    "the target rms %.4g cannot be reached: the misfit no "
                    "longer falls (rms %.4g)",
                    target,
                    rms);
      reason = text;
      break;
    }
  }
  r.iterations = static_cast<int>(r.history.size()) - 1;
  if (cancelled) {
    std::snprintf(
        text, sizeof text, "EXECUTION CANCELED BY USER\nDONE: %i STEPS", it);
    ui.Show(text, "SMOOTH INVERSION", Icon::kStop);
    r.cancelled = true;
    reason = "cancelled by Esc; the profile is the last one reached";
  } else if (reason.empty()) {
    std::snprintf(text,
                  sizeof text,
                  "the iteration limit (%d) was reached",
                  o.max_iterations);
    reason = text;
  }
  r.converged = converged;
  r.reason = reason;
  r.rms = problem.Rms(m);
  r.rms_terms = NormalizedMisfit(problem.terms()).terms;
  r.error_floor = o.error_floor_percent;
  r.warnings = PointsLeftOut(set, used, problem.terms(), o.target);
  for (const std::string& w : {SmallErrorBars(set, problem.terms()),
                               PoorFit(r.rms, o.error_floor_percent)}) {
    if (!w.empty()) r.warnings.push_back(w);
  }
  r.roughness = RoughnessOf(m);
  r.mu = mu;
  r.thickness_km = h;
  r.log_rho.assign(m.data(), m.data() + n);
  r.periods = problem.periods();
  for (int i = 0; i < problem.used(); ++i) {
    r.rho_a.push_back(problem.fit().rho_a[i]);
    r.phase.push_back(problem.fit().phase[i]);
  }
  return r;
}

void StoreProfile(const SmoothInversionResult& r,
                  const SmoothInversionOptions& o,
                  const FieldSet& set,
                  SmoothProfile& p) {
  const int layers =
      std::min<int>(static_cast<int>(r.thickness_km.size()), kMaxSmoothLayers);
  p = SmoothProfile{};
  if (!r.ran || layers < 1 ||
      static_cast<int>(r.log_rho.size()) != layers + 1) {
    return;
  }
  p.layers = layers;
  for (int j = 0; j < layers; ++j) p.thickness[j] = r.thickness_km[j];
  for (int j = 0; j <= layers; ++j)
    p.resistivity[j] = std::pow(10.0, r.log_rho[j]);
  p.target = static_cast<std::int16_t>(o.target);
  p.target_rms = o.target_rms;
  p.rms = r.rms;
  p.roughness = r.roughness;
  p.mu = r.mu;
  p.iterations = r.iterations;
  p.converged = r.converged;
  p.reason = r.reason;
  p.data_key = DataKey(set);
}

}  // namespace mtvuk
