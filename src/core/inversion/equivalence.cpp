#include "core/inversion/equivalence.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/inversion/inversion.h"
#include "core/inversion/least_squares.h"

namespace mtvuk {
namespace {

constexpr char kCaption[] = "EQUIVALENCE";
// Iterations of one constrained fit; a fit stops as soon as its misfit is
// within the threshold, or when a step lowers it by less than 0.1 % (a
// hundredth of the rise the threshold allows).
constexpr int kRefitIterations = 20;
constexpr double kRefitDecrease = 1e-3;
// Ranges are closed to this width in natural-log units (about 1 %).
constexpr double kTolerance = 0.01;
constexpr double kMinStep = 0.02;
constexpr double kMaxStep = 2.302585092994046;  // a factor 10
constexpr int kMaxExpansions = 24;
constexpr int kMaxBracketSteps = 30;
constexpr std::size_t kMaxModels = 4000;

// What one search holds fixed: a parameter, or the logarithm of a layer's
// conductance (ln h - ln rho) or transverse resistance (ln h + ln rho).
enum class Kind { kParameter, kConductance, kTransverse };

struct Constraint {
  Kind kind = Kind::kParameter;
  int a = 0;   // the parameter, or the resistivity of the pair
  int b = -1;  // the thickness of the pair
  double sign() const { return kind == Kind::kConductance ? -1.0 : 1.0; }
  double Value(const double* p) const {
    return kind == Kind::kParameter ? p[a] : p[b] + sign() * p[a];
  }
};

// The model-fit problem with the constraint's value held: the other free
// parameters, and for a pair u = ln h - sign ln rho, so that
// ln h = (value + u) / 2 and ln rho = sign (value - u) / 2.
class ConstrainedProblem : public LeastSquaresProblem {
 public:
  ConstrainedProblem(ModelFitProblem& base, Constraint c)
      : base_(base), c_(c) {
    for (int k = 0; k < base.parameters(); ++k)
      if (k != c.a && k != c.b) free_.push_back(k);
    m_ = static_cast<int>(free_.size()) + (pair() ? 1 : 0);
  }

  bool pair() const { return c_.kind != Kind::kParameter; }

  // The values the constraint can take within the limits.
  double RangeLow() const {
    if (!pair()) return base_.lower(c_.a);
    return base_.lower(c_.b) +
           std::min(c_.sign() * base_.lower(c_.a),
                    c_.sign() * base_.upper(c_.a));
  }
  double RangeHigh() const {
    if (!pair()) return base_.upper(c_.a);
    return base_.upper(c_.b) +
           std::max(c_.sign() * base_.lower(c_.a),
                    c_.sign() * base_.upper(c_.a));
  }

  void SetValue(double value) {
    value_ = value;
    if (!pair()) return;
    // u from the limits of ln h and of ln rho.
    const double la = base_.lower(c_.a), ua = base_.upper(c_.a);
    double low = 2.0 * base_.lower(c_.b) - value;
    double high = 2.0 * base_.upper(c_.b) - value;
    if (c_.sign() > 0) {
      low = std::max(low, value - 2.0 * ua);
      high = std::min(high, value - 2.0 * la);
    } else {
      low = std::max(low, value + 2.0 * la);
      high = std::min(high, value + 2.0 * ua);
    }
    if (low > high) low = high = 0.5 * (low + high);
    u_low_ = low;
    u_high_ = high;
  }

  int parameters() const override { return m_; }
  double lower(int k) const override {
    return k < static_cast<int>(free_.size()) ? base_.lower(free_[k])
                                              : u_low_;
  }
  double upper(int k) const override {
    return k < static_cast<int>(free_.size()) ? base_.upper(free_[k])
                                              : u_high_;
  }

  void Full(const double* q, double* p) const {
    for (std::size_t i = 0; i < free_.size(); ++i) p[free_[i]] = q[i];
    if (!pair()) {
      p[c_.a] = value_;
      return;
    }
    const double u = q[m_ - 1];
    p[c_.b] = 0.5 * (value_ + u);
    p[c_.a] = c_.sign() * 0.5 * (value_ - u);
  }

  void Reduced(const double* p, double* q) const {
    for (std::size_t i = 0; i < free_.size(); ++i) q[i] = p[free_[i]];
    if (pair()) q[m_ - 1] = p[c_.b] - c_.sign() * p[c_.a];
  }

  double Evaluate(const double* q, FitResiduals& r) override {
    LmVector p{};
    Full(q, p.data());
    const double s = base_.Evaluate(p.data(), full_);
    const int cols = full_.cols;
    r.rows = full_.rows;
    r.cols = m_;
    r.e = full_.e;
    r.j.assign(static_cast<std::size_t>(r.rows) * m_, 0.0);
    for (int row = 0; row < r.rows; ++row) {
      const double* from = &full_.j[static_cast<std::size_t>(row) * cols];
      double* to = &r.j[static_cast<std::size_t>(row) * m_];
      for (std::size_t i = 0; i < free_.size(); ++i) to[i] = from[free_[i]];
      if (pair()) to[m_ - 1] = 0.5 * (from[c_.b] - c_.sign() * from[c_.a]);
    }
    return s;
  }

 private:
  ModelFitProblem& base_;
  Constraint c_;
  std::vector<int> free_;
  int m_ = 0;
  double value_ = 0.0;
  double u_low_ = 0.0, u_high_ = 0.0;
  FitResiduals full_;
};

struct Side {
  double bound;
  bool at_limit;
};

// The searches of one equivalence run: along each constraint, outward from
// the best fit in both directions, until the misfit of the best model
// that holds the constraint's value exceeds the threshold.
class RangeSearch {
 public:
  RangeSearch(ModelFitProblem& base,
              const LmVector& best,
              double misfit_min,
              double threshold,
              Ui& ui,
              EquivalenceResult& result)
      : base_(base),
        best_(best),
        misfit_min_(misfit_min),
        threshold_(threshold),
        ui_(ui),
        result_(result) {
    // The covariance of the linearised problem predicts how far each
    // search first steps: S - S_min ~ dc^2 / (a^T (J^T J)^-1 a).
    const int m = base.parameters();
    FitResiduals r;
    base.Evaluate(best.data(), r);
    Eigen::MatrixXd h = Eigen::MatrixXd::Zero(m, m);
    for (int row = 0; row < r.rows; ++row) {
      Eigen::Map<const Eigen::VectorXd> g(
          &r.j[static_cast<std::size_t>(row) * m], m);
      h.noalias() += g * g.transpose();
    }
    Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> eigen(h);
    Eigen::VectorXd values = eigen.eigenvalues();
    const double largest = values.size() > 0 ? values.maxCoeff() : 0.0;
    for (int i = 0; i < values.size(); ++i)
      values(i) = 1.0 / std::max(values(i), 1e-10 * largest + 1e-300);
    covariance_ = eigen.eigenvectors() * values.asDiagonal() *
                  eigen.eigenvectors().transpose();
  }

  bool cancelled() const { return cancelled_; }

  // The range of the constraint's value.
  std::pair<Side, Side> Range(const Constraint& c) {
    ConstrainedProblem cp(base_, c);
    const double c0 = c.Value(best_.data());
    LmVector q0{};
    cp.Reduced(best_.data(), q0.data());
    double variance = covariance_(c.a, c.a);
    if (c.kind != Kind::kParameter) {
      variance += covariance_(c.b, c.b) +
                  2.0 * c.sign() * covariance_(c.a, c.b);
    }
    const double first = std::clamp(
        std::sqrt(std::max(0.0, (threshold_ - misfit_min_) * variance)),
        kMinStep,
        kMaxStep);
    const Side low = Walk(cp, c0, q0, -1.0, cp.RangeLow(), first);
    const Side high = Walk(cp, c0, q0, 1.0, cp.RangeHigh(), first);
    return {low, high};
  }

 private:
  double Refit(ConstrainedProblem& cp, double value, LmVector& q) {
    cp.SetValue(value);
    for (int k = 0; k < cp.parameters(); ++k)
      q[k] = std::clamp(q[k], cp.lower(k), cp.upper(k));
    LmOptions options;
    options.amount = kRefitIterations;
    options.stop_below = threshold_;
    options.relative_decrease = kRefitDecrease;
    const LmOutcome out = RunLevenbergMarquardt(cp, q, options, ui_);
    ++result_.refits;
    if (out.cancelled_at > 0) cancelled_ = true;
    q = out.p;
    const double s = out.history.empty() ? INFINITY : out.history.back();
    if (s <= threshold_) Keep(cp, q, s);
    return std::isfinite(s) ? s : INFINITY;
  }

  void Keep(const ConstrainedProblem& cp, const LmVector& q, double s) {
    if (result_.models.size() >= kMaxModels) return;
    LmVector p{};
    cp.Full(q.data(), p.data());
    result_.models.push_back(ModelOf(base_, p, s));
  }

  // Near the best fit the misfit rises as the square of the distance, so
  // g = sqrt(S - S_min) - sqrt(threshold - S_min) is nearly linear in the
  // constraint's value: steps and the final regula falsi work on g.
  double G(double s) const {
    return std::sqrt(std::max(s - misfit_min_, 0.0)) -
           std::sqrt(threshold_ - misfit_min_);
  }

  Side Walk(ConstrainedProblem& cp,
            double c0,
            const LmVector& q0,
            double dir,
            double limit,
            double first) {
    const double reach = std::sqrt(threshold_ - misfit_min_);
    double c_in = c0, g_in = -reach;
    LmVector q_in = q0;
    double distance = first;
    double c_out = NAN, g_out = INFINITY;
    for (int n = 0; n < kMaxExpansions && !cancelled_; ++n) {
      double c = c0 + dir * distance;
      const bool at_limit = dir * (c - limit) >= 0.0;
      if (at_limit) c = limit;
      if (dir * (c - c_in) <= 0.0) return {c_in, true};
      LmVector q = q_in;
      const double s = Refit(cp, c, q);
      if (s > threshold_) {
        c_out = c;
        g_out = G(s);
        break;
      }
      c_in = c;
      g_in = G(s);
      q_in = q;
      if (at_limit) return {c_in, true};
      // Past the predicted crossing (a little beyond, so that it is
      // bracketed), but at most a decade further per step.
      const double rise = g_in + reach;
      const double predicted =
          rise > 0.0 ? 1.05 * distance * reach / rise : 4.0 * distance;
      distance = std::clamp(
          predicted, 1.1 * distance, std::min(4.0 * distance, distance + kMaxStep));
    }
    if (std::isnan(c_out)) return {c_in, false};
    // Regula falsi (Illinois) on g between the last value inside and the
    // first outside.
    int side = 0;
    for (int n = 0; n < kMaxBracketSteps && !cancelled_ &&
                    std::fabs(c_out - c_in) > kTolerance;
         ++n) {
      double c = std::isfinite(g_out)
                     ? c_in - g_in * (c_out - c_in) / (g_out - g_in)
                     : 0.5 * (c_in + c_out);
      // Keep the trial inside the bracket.
      const double lo = std::min(c_in, c_out), hi = std::max(c_in, c_out);
      const double margin = 0.02 * (hi - lo);
      if (!(c > lo + margin && c < hi - margin)) c = 0.5 * (c_in + c_out);
      LmVector q = q_in;
      const double s = Refit(cp, c, q);
      if (s <= threshold_) {
        c_in = c;
        q_in = q;
        g_in = G(s);
        if (side == -1) g_out *= 0.5;
        side = -1;
      } else {
        c_out = c;
        g_out = G(s);
        if (side == 1) g_in *= 0.5;
        side = 1;
      }
    }
    return {c_in, false};
  }

 public:
  static EquivalentModel ModelOf(const ModelFitProblem& base,
                                 const LmVector& p,
                                 double s) {
    LayerArray<double> rho, h;
    base.Layers(p.data(), rho, h);
    const int n = std::clamp<int>(base.model().layer_count, 1, MaxLayers);
    EquivalentModel m;
    m.rho.assign(rho.begin(), rho.begin() + n);
    m.h_km.assign(h.begin(), h.begin() + (n - 1));
    m.misfit = s;
    return m;
  }

 private:
  ModelFitProblem& base_;
  const LmVector& best_;
  double misfit_min_;
  double threshold_;
  Ui& ui_;
  EquivalenceResult& result_;
  Eigen::MatrixXd covariance_;
  bool cancelled_ = false;
};

EquivalenceRange Fixed(double value) {
  EquivalenceRange r;
  r.defined = true;
  r.fixed = true;
  r.min = r.max = value;
  return r;
}

EquivalenceRange FromLog(const std::pair<Side, Side>& s, double scale = 1.0) {
  EquivalenceRange r;
  r.defined = true;
  r.min = scale * std::exp(s.first.bound);
  r.max = scale * std::exp(s.second.bound);
  r.min_at_limit = s.first.at_limit;
  r.max_at_limit = s.second.at_limit;
  return r;
}

// h / rho or h rho when only one of the two varies: the range follows the
// free one (turned round for 1 / rho).
EquivalenceRange Follow(const EquivalenceRange& free,
                        double factor,
                        bool inverse) {
  EquivalenceRange r = free;
  r.fixed = free.fixed;
  if (inverse) {
    r.min = factor / free.max;
    r.max = factor / free.min;
    r.min_at_limit = free.max_at_limit;
    r.max_at_limit = free.min_at_limit;
  } else {
    r.min = factor * free.min;
    r.max = factor * free.max;
  }
  return r;
}

}  // namespace

double EquivalenceThreshold(double misfit_min, const EquivalenceOptions& o) {
  return misfit_min + std::max(o.absolute, o.relative * misfit_min);
}

std::string EquivalenceOptionsError(const EquivalenceOptions& o) {
  if (!(o.absolute >= 0.0 && std::isfinite(o.absolute)) ||
      !(o.relative >= 0.0 && std::isfinite(o.relative)) ||
      !(o.absolute > 0.0 || o.relative > 0.0)) {
    return "The rise of the misfit that counts as equivalent must be a "
           "number of 0 or more, and not both 0.";
  }
  return "";
}

bool LayerEquivalence::BoundedByLimit() const {
  for (const EquivalenceRange* r : {&rho, &thickness, &conductance, &transverse})
    if (r->defined && (r->min_at_limit || r->max_at_limit)) return true;
  return false;
}

EquivalenceResult ComputeEquivalence(const MisfitSettings& settings,
                                     const FieldSet& set,
                                     int used,
                                     const LayerModel& fitted,
                                     const EquivalenceOptions& options,
                                     Ui& ui) {
  EquivalenceResult result;
  const std::string error = EquivalenceOptionsError(options);
  if (!error.empty()) {
    ui.Show(error, kCaption, Icon::kStop);
    return result;
  }
  LayerModel model = fitted;
  BuildParameters(model);
  ModelFitProblem base(settings, set, used, model);
  const int m = base.parameters();
  LmVector best{};
  for (int k = 0; k < m; ++k) best[k] = model.params.p[k];
  FitResiduals r;
  const double start = base.Evaluate(best.data(), r);
  const std::string cause = UnfittableCause(
      base.terms(), start, std::max<int>(fitted.fitted_set, 0));
  if (!cause.empty()) {
    ui.Show(cause, kCaption, Icon::kStop);
    return result;
  }
  result.ran = true;
  // The nearest minimum of the fit.
  double misfit = start;
  if (m > 0) {
    LmOptions polish;
    polish.amount = 30;
    const LmOutcome out = RunLevenbergMarquardt(base, best, polish, ui);
    if (out.cancelled_at > 0) {
      result.cancelled = true;
      ui.Show("EXECUTION CANCELED BY USER", kCaption, Icon::kStop);
      return result;
    }
    best = out.p;
    misfit = out.history.back();
  }
  result.misfit_min = misfit;
  result.threshold = EquivalenceThreshold(misfit, options);
  result.models.push_back(RangeSearch::ModelOf(base, best, misfit));

  RangeSearch search(base, best, misfit, result.threshold, ui, result);
  const InversionParameters& ip = model.params;
  const int n = std::clamp<int>(model.layer_count, 1, MaxLayers);
  LayerArray<double> rho, h;
  base.Layers(best.data(), rho, h);
  for (int j = 0; j < n && !search.cancelled(); ++j) {
    LayerEquivalence e;
    e.layer = j;
    const int ri = ip.rho_index[j];
    const int hi = j + 1 < n ? ip.h_index[j] : -1;
    e.rho = ri >= 0 ? FromLog(search.Range({Kind::kParameter, ri}))
                    : Fixed(rho[j]);
    if (j + 1 < n) {
      e.thickness = hi >= 0 ? FromLog(search.Range({Kind::kParameter, hi}))
                            : Fixed(h[j]);
      const double h_m = 1000.0 * h[j];
      if (ri >= 0 && hi >= 0) {
        e.conductance =
            FromLog(search.Range({Kind::kConductance, ri, hi}), 1000.0);
        e.transverse =
            FromLog(search.Range({Kind::kTransverse, ri, hi}), 1000.0);
      } else if (ri >= 0) {
        e.conductance = Follow(e.rho, h_m, true);
        e.transverse = Follow(e.rho, h_m, false);
      } else {
        e.conductance = Follow(e.thickness, 1000.0 / rho[j], false);
        e.transverse = Follow(e.thickness, 1000.0 * rho[j], false);
      }
    }
    result.layers.push_back(e);
  }
  if (search.cancelled()) {
    result.cancelled = true;
    result.layers.clear();
    ui.Show("EXECUTION CANCELED BY USER", kCaption, Icon::kStop);
  }
  return result;
}

void EquivalenceBand(const EquivalenceResult& result,
                     const std::vector<double>& depth_km,
                     std::vector<double>& rho_low,
                     std::vector<double>& rho_high) {
  rho_low.assign(depth_km.size(), INFINITY);
  rho_high.assign(depth_km.size(), 0.0);
  for (const EquivalentModel& m : result.models) {
    for (std::size_t i = 0; i < depth_km.size(); ++i) {
      double top = 0.0;
      std::size_t j = 0;
      while (j < m.h_km.size() && depth_km[i] >= top + m.h_km[j]) {
        top += m.h_km[j];
        ++j;
      }
      const double rho = m.rho[std::min(j, m.rho.size() - 1)];
      rho_low[i] = std::min(rho_low[i], rho);
      rho_high[i] = std::max(rho_high[i], rho);
    }
  }
}

}  // namespace mtvuk
