#include "core/inversion/robust_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <utility>

#include "core/inversion/bostick.h"
#include "core/inversion/least_squares.h"
#include "core/physics/forward_1d.h"

namespace mtvuk {
namespace {

constexpr int kPerturbedStarts = 2;
constexpr double kBostickDepthScales[] = {1.0, 1.0 / 3.0, 0.1};
// Perturbations of the perturbed starts: factors of about 3 in a
// resistivity and 2 in a thickness (one standard deviation).
constexpr double kRhoSpread = 1.0986122886681098;
constexpr double kThicknessSpread = 0.6931471805599453;
// Beyond this fraction of the start's misfit the data are fitted exactly
// and further starts cannot do better.
constexpr double kExactFit = 1e-12;

}  // namespace

bool BostickStart(const FieldSet& set,
                  int used,
                  const LayerModel& model,
                  std::vector<double>& p,
                  double depth_scale) {
  struct LogPoint {
    double depth_km;
    double log_rho;
  };
  std::vector<LogPoint> points;
  for (const BostickSample& b : BostickTransform(set, used))
    points.push_back({b.depth_km, std::log(b.rho)});
  if (points.size() < 2) return false;
  // The curve read at a depth: linear in log depth, held beyond its ends.
  auto read = [&](double depth) {
    if (depth <= points.front().depth_km) return points.front().log_rho;
    if (depth >= points.back().depth_km) return points.back().log_rho;
    std::size_t k = 1;
    while (points[k].depth_km < depth) ++k;
    const LogPoint& a = points[k - 1];
    const LogPoint& b = points[k];
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
      for (const LogPoint& b : points) {
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
                    const MisfitSettings& settings,
                    FieldSet& set,
                    int used,
                    const LayerModel& model,
                    Ui& ui,
                    const std::function<void(int, int, double)>& progress,
                    const std::vector<RobustStart>& extra) {
  ModelFitProblem problem(settings, set, used, model);
  const int m = problem.parameters();
  const int amount = std::clamp<int>(ws.iteration_amount, 1, 30);
  RobustRun best;
  best.misfit = INFINITY;

  int start_index = 0;
  double first_misfit = 0.0;
  auto run = [&](const std::string& name, const LmVector& p0) {
    const int index = start_index++;
    LmOptions options;
    options.amount = amount;
    LmOutcome o =
        RunLevenbergMarquardt(problem, p0, options, ui, [&](int t, double s) {
          if (progress) progress(index, t, s);
        });
    ++best.starts;
    if (index == 0 && !o.history.empty()) first_misfit = o.history.front();
    // The final misfit of the run (a cancelled run stops at its last
    // accepted point, which is still at least as good as its start).
    const double s = o.history.empty() ? INFINITY : o.history.back();
    best.candidates.push_back(
        {name,
         std::vector<double>(o.p.begin(), o.p.begin() + m),
         s,
         o.history});
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

  LmVector p{};
  for (int k = 0; k < m; ++k) p[k] = model.params.p[k];
  run("start model", p);
  for (const RobustStart& start : extra) {
    if (best.cancelled || static_cast<int>(start.p.size()) != m) continue;
    for (int k = 0; k < m; ++k)
      p[k] = std::clamp(start.p[k], problem.lower(k), problem.upper(k));
    run(start.name, p);
  }
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
