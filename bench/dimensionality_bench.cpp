// Cost of the 1-D existence test (D+) and of the tensor invariants.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/dimensionality/dplus.h"
#include "core/dimensionality/tensor_invariants.h"
#include "core/physics/forward_1d.h"

namespace mtvuk {
namespace {

// A four-layer earth at n periods from 1 ms to 1000 s with 2-8 % noise.
std::vector<ImpedanceDatum> LayeredData(int n) {
  std::vector<double> rho = {100.0, 8.0, 400.0, 20.0};
  std::vector<double> h = {0.4, 1.5, 12.0};
  rho.resize(MaxLayers, 20.0);
  h.resize(MaxLayers, 1.0);
  std::mt19937 rng(3);
  std::normal_distribution<double> gauss(0.0, 1.0);
  std::vector<ImpedanceDatum> data;
  for (int i = 0; i < n; ++i) {
    const double t = 1e-3 * std::pow(10.0, 6.0 * i / (n - 1));
    const Complex z = Scale(ResponseNoDispersion(rho.data(), h.data(), 4, t).z,
                            1.0 / kSiToField);
    const double sigma = (0.02 + 0.06 * i / (n - 1)) * Abs(z);
    data.push_back(
        {t, {z.re + sigma * gauss(rng), z.im + sigma * gauss(rng)}, sigma, i});
  }
  return data;
}

void BM_DPlus(benchmark::State& state) {
  const std::vector<ImpedanceDatum> data =
      LayeredData(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    DPlusResult r = FitDPlus(data);
    benchmark::DoNotOptimize(r.chi2);
  }
  state.SetLabel("periods");
}
BENCHMARK(BM_DPlus)->Arg(60)->Unit(benchmark::kMillisecond);

void BM_TensorDimensionality(benchmark::State& state) {
  SoundingBuffer sb;
  const int n = static_cast<int>(state.range(0));
  sb.nfreq = n;
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  for (int k = 0; k < n; ++k) {
    sb.freq[k] = static_cast<float>(std::pow(10.0, 3.0 - 6.0 * k / (n - 1)));
    for (PointArray* a : {&sb.zxxr, &sb.zxxi, &sb.zyyr, &sb.zyyi}) {
      (*a)[k] = 0.2f * u(rng);
    }
    sb.zxyr[k] = 1.0f + 0.1f * u(rng);
    sb.zxyi[k] = 1.0f + 0.1f * u(rng);
    sb.zyxr[k] = -1.5f + 0.1f * u(rng);
    sb.zyxi[k] = -1.2f + 0.1f * u(rng);
  }
  for (auto _ : state) {
    std::vector<TensorInvariants> d = DimensionalityOf(sb);
    benchmark::DoNotOptimize(d.data());
  }
}
BENCHMARK(BM_TensorDimensionality)->Arg(60)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mtvuk
