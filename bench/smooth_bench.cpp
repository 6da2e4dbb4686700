// The smooth (Occam) inversion of range(0) layers against range(1) periods
// of a noisy five-layer earth, and the equivalence ranges of a five-layer
// fit (9 free parameters) against 40 periods.
#include <benchmark/benchmark.h>

#include "core/inversion/equivalence.h"
#include "core/inversion/smooth_inversion.h"
#include "core/platform/scripted_ui.h"
#include "tests/core/inversion/synthetic_sounding.h"

namespace mtvuk {
namespace {

const std::vector<double> kRho = {50, 200, 10, 500, 30};
const std::vector<double> kThickness = {0.3, 1.0, 2.0, 10.0};

void BM_Occam(benchmark::State& state) {
  FieldSet s;
  test::SyntheticSounding(
      s, kRho, kThickness, static_cast<int>(state.range(1)), 0.03, 0.03, 5);
  SmoothInversionOptions o;
  o.layers = static_cast<int>(state.range(0));
  ScriptedUi ui;
  SmoothInversionResult r;
  for (auto _ : state) {
    r = RunSmoothInversion(s, 0, o, ui);
    // (Not the double itself: this version's DoNotOptimize can clobber
    // a double it is given.)
    benchmark::DoNotOptimize(r.iterations);
  }
  int tried = 0;
  for (const SmoothIteration& it : r.history)
    tried += static_cast<int>(it.trials.size());
  state.counters["iterations"] = r.iterations;
  state.counters["nrms"] = r.rms;
  state.counters["mu_tried"] = tried;
}
BENCHMARK(BM_Occam)->Args({50, 40})->Args({100, 60})->Unit(
    benchmark::kMillisecond);

void BM_Equivalence(benchmark::State& state) {
  FieldSet s;
  test::SyntheticSounding(s, kRho, kThickness, 40, 0.03, 0.03, 5);
  LayerModel m;
  m.layer_count = 5;
  for (int j = 0; j < MaxLayers; ++j) {
    m.resistivity[j] = j < 5 ? kRho[j] : kRho.back();
    m.thickness[j] = j < 4 ? kThickness[j] : 1.0;
    m.resistivity_min[j] = 0.1f;
    m.resistivity_max[j] = 100000.0f;
  }
  MisfitSettings settings;
  settings.target = 5;
  ScriptedUi ui;
  EquivalenceResult r;
  for (auto _ : state) {
    r = ComputeEquivalence(settings, s, 40, m, {}, ui);
    benchmark::DoNotOptimize(r.refits);
  }
  state.counters["refits"] = r.refits;
  state.counters["free_parameters"] = 9;
}
BENCHMARK(BM_Equivalence)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mtvuk
