// What every refresh of the depth window costs: smoothing six field sets of
// 60 points and transforming them and the six model curves, with the robust
// smoother (argument 1, the default; under 1 ms per set) or the weighted
// spline (0).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "core/depth/depth_transform.h"
#include "core/fielddata/smoothing.h"
#include "core/physics/model_curve.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"

namespace mtvuk {
namespace {

void FillSet(FieldSet& s, int k) {
  ResetFieldSet(s);
  s.in_use = k + 1;
  s.count = 60;
  s.smoothing_mark = 1;
  for (int i = 0; i < 60; ++i) {
    const double log_t = -4.0 + 7.0 * i / 59.0;
    const double log_rho =
        1.5 + 0.6 * std::tanh(log_t - 0.5 * k) + 0.04 * std::sin(5.0 * i + k);
    s.freq[i] = static_cast<float>(std::pow(10.0, -log_t));
    s.log_rho[i] = static_cast<float>(log_rho);
    const double rho = std::pow(10.0, log_rho);
    const double err = (0.03 + 0.02 * (i % 4)) * rho;
    s.log_rho_upper[i] = static_cast<float>(std::log10(rho + err));
    s.log_rho_lower[i] = static_cast<float>(std::log10(rho - err));
  }
}

void BM_DepthRefresh(benchmark::State& state) {
  auto stores = std::make_unique<Stores>();
  ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
  ScriptedUi ui;
  for (int k = 0; k < MaxModels; ++k) {
    stores->workspace.current_model = static_cast<std::int16_t>(k);
    ModelCurveDriver(DriverMode::kPlain, stores->workspace, stores->models, ui);
  }
  for (int k = 0; k < MaxSets; ++k) FillSet(stores->sets[k], k);
  stores->workspace.smoothing.smoother =
      state.range(0) == 0 ? Smoother::kClassic : Smoother::kRobust;
  for (auto _ : state) {
    RunSmoothingRequest(stores->workspace, stores->sets, ui);
    TransformAll(stores->sets, stores->models);
    benchmark::DoNotOptimize(stores->sets[5].log_s[59]);
  }
  if (!ui.prompts().empty()) state.SkipWithError("a set was refused");
  state.counters["model_points"] = stores->models[0].curve.count;
  // Seconds per smoothed and transformed set.
  state.counters["per_set"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * MaxSets,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DepthRefresh)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mtvuk
