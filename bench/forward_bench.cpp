// Cost of the forward response per layer and period on its three paths.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>

#include "core/physics/anisotropic.h"
#include "core/physics/forward_1d.h"
#include "core/platform/console_ui.h"

namespace mtvuk {
namespace {

LayerModel BenchModel(int layers, bool dispersive, bool anisotropic) {
  LayerModel m;
  m.layer_count = static_cast<std::int16_t>(layers);
  for (int j = 0; j < MaxLayers; ++j) {
    m.resistivity[j] = 10.0 * std::pow(3.0, j % 4);
    m.thickness[j] = 0.2 + 0.3 * j;
    m.law = 2;
    m.ip_on[j] = dispersive ? 1 : 0;
    m.ip_p1[j][0] = 0.3f;
    m.ip_tau[j][0] = 0.5f;
    m.ip_c[j][0] = 0.5f;
    m.aniso_on[j] = anisotropic ? 1 : 0;
    m.aniso_rho1[j] = static_cast<float>(m.resistivity[j]);
    m.aniso_rho2[j] = static_cast<float>(m.resistivity[j] * 4.0);
    m.aniso_strike[j] = static_cast<float>(15.0 * j);
  }
  return m;
}

// Periods from 1 ms to 10000 s, computed once.
const double& Period(int i, int periods) {
  static std::array<std::array<double, 251>, 251> grid = [] {
    std::array<std::array<double, 251>, 251> g{};
    for (int n = 1; n <= 250; ++n)
      for (int k = 0; k < n; ++k)
        g[n][k] = 1e-3 * std::pow(10.0, 7.0 * k / std::max(1, n - 1));
    return g;
  }();
  return grid[periods][i];
}

void Report(benchmark::State& state) {
  state.counters["ns_per_layer_period"] =
      benchmark::Counter(static_cast<double>(state.range(0) * state.range(1)),
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
}

template <Physics kPhysics>
void NoDispersion(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int periods = static_cast<int>(state.range(1));
  LayerModel m = BenchModel(n, false, false);
  std::array<Response1D, 250> out;
  for (auto _ : state) {
    NoDispersionKernel kernel(
        m.resistivity.data(), m.thickness.data(), n, kPhysics);
    kernel.Evaluate(&Period(0, periods), periods, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  Report(state);
}
void BM_ForwardNoDispersion(benchmark::State& state) {
  NoDispersion<Physics::kPublished>(state);
}
void BM_ForwardNoDispersionCorrected(benchmark::State& state) {
  NoDispersion<Physics::kCorrected>(state);
}

template <bool kDispersive, Physics kPhysics = Physics::kPublished>
void Dispersion(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int periods = static_cast<int>(state.range(1));
  LayerModel m = BenchModel(n, kDispersive, false);
  std::array<Response1D, 250> out;
  for (auto _ : state) {
    DispersionKernel kernel(
        m, m.resistivity.data(), m.thickness.data(), n, kPhysics);
    kernel.Evaluate(&Period(0, periods), periods, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  Report(state);
}
void BM_ForwardDispersion(benchmark::State& state) { Dispersion<true>(state); }
void BM_ForwardDispersionNoDispersiveLayer(benchmark::State& state) {
  Dispersion<false>(state);
}
void BM_ForwardDispersionCorrected(benchmark::State& state) {
  Dispersion<true, Physics::kCorrected>(state);
}

void BM_ForwardAnisotropic(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int periods = static_cast<int>(state.range(1));
  LayerModel m = BenchModel(n, false, true);
  ConsoleUi ui;
  AnisotropicResponse r;
  for (auto _ : state) {
    for (int i = 0; i < periods; ++i) {
      benchmark::DoNotOptimize(ResponseAnisotropic(m,
                                                   m.resistivity.data(),
                                                   m.thickness.data(),
                                                   n,
                                                   Period(i, periods),
                                                   ui,
                                                   r));
    }
  }
  Report(state);
}

BENCHMARK(BM_ForwardNoDispersion)
    ->Args({16, 250})
    ->Args({16, 100})
    ->Args({5, 40});
BENCHMARK(BM_ForwardNoDispersionCorrected)
    ->Args({16, 250})
    ->Args({16, 100})
    ->Args({5, 40});
BENCHMARK(BM_ForwardDispersion)->Args({16, 250})->Args({5, 40});
BENCHMARK(BM_ForwardDispersionCorrected)->Args({16, 250})->Args({5, 40});
BENCHMARK(BM_ForwardDispersionNoDispersiveLayer)
    ->Args({16, 250})
    ->Args({5, 40});
BENCHMARK(BM_ForwardAnisotropic)->Args({16, 250})->Args({5, 40});

}  // namespace
}  // namespace mtvuk
