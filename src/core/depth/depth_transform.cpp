#include "core/depth/depth_transform.h"

#include <algorithm>
#include <cmath>

#include "core/fielddata/smoothing.h"
#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

constexpr double kClamp = 0.01;
constexpr double kFallBack = 10.0;  // m below the previous point

float LogAbs(double v) {
  return static_cast<float>(std::log10(std::fabs(v) + kTiny));
}

// Slope at x of the parabola through three points.
double ParabolaSlope(const double* x, const double* y, double at) {
  const double d01 = (y[1] - y[0]) / (x[1] - x[0]);
  const double d12 = (y[2] - y[1]) / (x[2] - x[1]);
  const double s = (d12 - d01) / (x[2] - x[0]);
  return d01 + s * (2.0 * at - x[0] - x[1]);
}

}  // namespace

BostickPoint Bostick(double log_rho,
                     double slope,
                     double period,
                     Physics physics) {
  double a = 1.0 + slope;
  if (a <= kClamp) a = kClamp;
  double b = 1.0 - slope;
  if (b <= kClamp) b = kClamp;
  const double rho = std::pow(10.0, log_rho);
  BostickPoint p;
  p.res = rho * a / b;
  p.depth = physics == Physics::kCorrected
                ? -std::sqrt(rho * period * kOneOverTwoPiMu0)
                : -kDepthScale * std::sqrt(rho * period * kOneOverFourPi);
  return p;
}

void TransformFieldSet(FieldSet& set, Physics physics) {
  if (set.in_use <= 0 || set.depth_switch < 1) return;
  const int n = std::clamp(set.count, 0, MaxFreq);
  std::array<double, MaxFreq> res{}, h{};
  for (int i = 0; i < n; ++i) {
    set.log_res[i] = kMissingLog;
    set.log_s[i] = kMissingLog;
  }
  for (int i = 0; i < n; ++i) {
    const BostickPoint p = Bostick(set.smoothed_log_rho[i],
                                   set.smoothed_slope[i],
                                   1.0 / static_cast<double>(set.freq[i]),
                                   physics);
    res[i] = p.res;
    h[i] = p.depth;
    const bool usable =
        std::isfinite(p.res) && p.res > 0.0 && std::isfinite(p.depth);
    if (set.point_deleted[i] == 0 && usable) set.log_res[i] = LogAbs(p.res);
    if (!usable) {
      // A frequency that is no number (or a resistivity that underflows)
      // gives no depth: the point goes below its predecessor and adds no
      // conductance.
      res[i] = HUGE_VAL;
      h[i] = (i > 0 ? h[i - 1] : 0.0) - kFallBack;
    }
  }
  // Depths only go down: a point that falls back above its predecessor is
  // put ten metres below it.
  for (int i = 1; i < n; ++i) {
    if (h[i] > h[i - 1]) h[i] = h[i - 1] - kFallBack;
  }
  for (int i = 0; i < n; ++i) set.depth[i] = static_cast<float>(h[i]);

  int first = 0;
  while (first < n && set.point_deleted[first] != 0) ++first;
  if (first >= n) return;
  double s = std::fabs(std::fabs(h[first]) / res[first]);
  for (int i = first + 1; i < n; ++i) {
    s += std::fabs(h[i] - h[i - 1]) / res[i];
    if (set.point_deleted[i] == 0 && std::isfinite(res[i])) {
      set.log_s[i] = LogAbs(s);
    }
  }
}

void ModelSlopes(LayerModel& model) {
  const ModelCurve& c = model.curve;
  const int n = std::clamp<int>(c.count, 0, MaxCurvePeriods);
  if (n < 3) return;
  auto& slope = model.depth_profile.slope;
  for (int i = 0; i <= n - 3; ++i) {
    const double x[3] = {
        c.log_period[i], c.log_period[i + 1], c.log_period[i + 2]};
    const double y[3] = {c.log_rho[i], c.log_rho[i + 1], c.log_rho[i + 2]};
    auto store = [&](int point) {
      const double m = BoundedSlope(ParabolaSlope(x, y, c.log_period[point]));
      slope[point] = std::isfinite(m) ? static_cast<float>(m) : 0.0f;
    };
    if (i == 0) {
      store(0);
      store(1);
    }
    if (i >= 1 && i < n - 3) store(i + 1);
    if (i == n - 3) {
      store(n - 2);
      store(n - 1);
    }
  }
}

void TransformModel(LayerModel& model, Physics physics) {
  const ModelCurve& c = model.curve;
  const int n = std::clamp<int>(c.count, 0, MaxCurvePeriods);
  auto& p = model.depth_profile;
  std::array<double, MaxCurvePeriods> res{}, h{};
  for (int i = 0; i < n; ++i) {
    const BostickPoint b =
        Bostick(c.log_rho[i],
                p.slope[i],
                std::pow(10.0, static_cast<double>(c.log_period[i])),
                physics);
    res[i] = b.res;
    h[i] = b.depth;
    p.log_res[i] = LogAbs(b.res);
    p.log_s[i] = kMissingLog;
    if (!std::isfinite(b.res) || !(b.res > 0.0) || !std::isfinite(b.depth)) {
      res[i] = HUGE_VAL;
      h[i] = (i > 0 ? h[i - 1] : 0.0) - kFallBack;
      p.log_res[i] = kMissingLog;
    }
    p.depth[i] = static_cast<float>(h[i]);
  }
  if (n < 1) return;
  // Starts as the field sets do: the slab from the surface to the first
  // point.
  double s = std::fabs(h[0]) / res[0];
  if (!std::isfinite(s)) s = 0.0;
  for (int i = 0; i + 1 < n; ++i) {
    s += std::fabs(h[i + 1] - h[i]) / res[i];
    if (std::isfinite(res[i])) p.log_s[i] = LogAbs(s);
  }
}

void TransformAll(FieldSets& sets, LayerModels& models, Physics physics) {
  for (FieldSet& set : sets) TransformFieldSet(set, physics);
  for (LayerModel& model : models) {
    if (!model.shown || !model.curve.computed) continue;
    ModelSlopes(model);
    TransformModel(model, physics);
  }
}

}  // namespace mtvuk
