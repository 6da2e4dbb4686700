// Cost of the trans-dimensional sampler: the layered response on its scalar
// and vectorised paths (40 periods), and one million model evaluations of a
// 40-period sounding by the sampler on all cores.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <vector>

#include "core/bayes/rj_sampler.h"
#include "core/physics/layered_response.h"

namespace mtvuk {
namespace {

std::vector<double> Periods40() {
  std::vector<double> t(40);
  for (int i = 0; i < 40; ++i) t[i] = 1e-3 * std::pow(10.0, 7.0 * i / 39.0);
  return t;
}

// A model of `layers` layers as the sampler meets them.
void SamplerModel(int layers,
                  std::vector<double>& rho,
                  std::vector<double>& h) {
  rho.resize(layers);
  h.resize(layers);
  for (int l = 0; l < layers; ++l) {
    rho[l] = 10.0 * std::pow(3.0, l % 4);
    h[l] = 0.2 + 0.3 * l;
  }
}

template <bool kSimd>
void LayeredResponse40(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> rho, h;
  SamplerModel(n, rho, h);
  const std::vector<double> t = Periods40();
  std::vector<double> r(40), p(40);
  for (auto _ : state) {
    if (kSimd) {
      LayeredResponseSimd(
          rho.data(), h.data(), n, t.data(), 40, r.data(), p.data());
    } else {
      LayeredResponseScalar(
          rho.data(), h.data(), n, t.data(), 40, r.data(), p.data());
    }
    benchmark::DoNotOptimize(r.data());
  }
  state.counters["ns_per_layer_period"] =
      benchmark::Counter(static_cast<double>(n * 40),
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
}
void BM_LayeredResponseScalar(benchmark::State& state) {
  LayeredResponse40<false>(state);
}
void BM_LayeredResponseSimd(benchmark::State& state) {
  LayeredResponse40<true>(state);
}
// The plain compiled loop the kernels are measured against: the textbook
// impedance recursion in std::complex, one period after another.
void BM_LayeredResponsePlainLoop(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> rho, h;
  SamplerModel(n, rho, h);
  const std::vector<double> t = Periods40();
  std::vector<double> r(40), p(40);
  constexpr double kMu0 = 1.2566370614359173e-6;
  for (auto _ : state) {
    for (int i = 0; i < 40; ++i) {
      const double omega = 6.283185307179586 / t[i];
      const std::complex<double> iwm(0.0, omega * kMu0);
      std::complex<double> z = std::sqrt(iwm * rho[n - 1]);
      for (int l = n - 2; l >= 0; --l) {
        const std::complex<double> k = std::sqrt(iwm / rho[l]);
        const std::complex<double> z0 = iwm / k;
        const std::complex<double> th = std::tanh(k * (1000.0 * h[l]));
        z = z0 * (z + z0 * th) / (z0 + z * th);
      }
      r[i] = std::log10(std::norm(z) / (omega * kMu0));
      p[i] = std::arg(z);
    }
    benchmark::DoNotOptimize(r.data());
  }
  state.counters["ns_per_layer_period"] =
      benchmark::Counter(static_cast<double>(n * 40),
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
}
BENCHMARK(BM_LayeredResponsePlainLoop)->Arg(2)->Arg(5)->Arg(12);
BENCHMARK(BM_LayeredResponseScalar)->Arg(2)->Arg(5)->Arg(12);
BENCHMARK(BM_LayeredResponseSimd)->Arg(2)->Arg(5)->Arg(12);

// One million model evaluations (8 chains x 125000 iterations) of a
// 40-period 4-layer sounding on two threads; reports seconds per million.
void BM_SamplerMillionEvaluations(benchmark::State& state) {
  const BayesData d = SyntheticBayesData(
      {100.0, 10.0, 1000.0, 5.0}, {1.0, 3.0, 20.0}, Periods40(), 0.05, 1);
  BayesOptions o;
  o.iterations = 125000;
  o.chains = 4;
  o.hot_chains = 4;
  o.threads = static_cast<int>(state.range(0));
  std::int64_t evaluations = 0;
  for (auto _ : state) {
    const BayesResult r = RunBayesSampler(d, o);
    evaluations += r.evaluations;
    benchmark::DoNotOptimize(r.p50.data());
  }
  state.counters["evaluations"] =
      static_cast<double>(evaluations) / state.iterations();
}
BENCHMARK(BM_SamplerMillionEvaluations)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
}  // namespace mtvuk
