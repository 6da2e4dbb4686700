// Inversions: a 5-layer model (9 free parameters) against 40 periods, 30
// iterations, target 5 (resistivity and phase), by the classic and the
// robust method; the exact sensitivities; 200 soundings fitted on all cores.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "core/inversion/inversion.h"
#include "core/inversion/sensitivity.h"
#include "core/physics/forward_1d.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"

namespace mtvuk {
namespace {

void FillSynthetic(FieldSet& s) {
  const double rho[MaxLayers] = {
      50, 200, 10, 500, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30};
  const double h[MaxLayers] = {
      0.3, 1.0, 2.0, 10.0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  ResetFieldSet(s);
  s.in_use = 1;
  s.count = 40;
  for (int i = 0; i < 40; ++i) {
    const double period = 1e-3 * std::pow(10.0, 6.0 * i / 39.0);
    Response1D z = ResponseNoDispersion(rho, h, 5, period);
    const double wobble = 1.0 + 0.03 * std::sin(7.0 * i);
    s.freq[i] = static_cast<float>(1.0 / period);
    s.re_z[i] = static_cast<float>(z.z.re);
    s.im_z[i] = static_cast<float>(z.z.im);
    s.err_re[i] = s.err_im[i] = 0.05f;
    s.log_rho[i] = static_cast<float>(std::log10(z.rho_a * wobble));
    s.log_rho_upper[i] = static_cast<float>(std::log10(z.rho_a * 1.1));
    s.log_rho_lower[i] = static_cast<float>(std::log10(z.rho_a * 0.9));
    s.phase[i] = static_cast<float>(z.phase);
    s.log_phase_upper[i] = static_cast<float>(std::log10(z.phase + 2.0));
    s.log_phase_lower[i] = static_cast<float>(std::log10(z.phase - 2.0));
    s.phase_sign[i] = s.re_z_sign[i] = s.im_z_sign[i] = 1;
  }
}

void RunInversionCase(benchmark::State& state, FitMethod method) {
  auto stores = std::make_unique<Stores>();
  ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
  FillSynthetic(stores->sets[0]);
  Workspace& ws = stores->workspace;
  ws.fit_method = method;
  ws.inversion_target = 5;
  ws.iteration_amount = 30;
  ScriptedUi ui;
  int iterations = 0;
  for (auto _ : state) {
    LayerModel& m = stores->models[0];
    m.layer_count = 5;
    const double start_rho[5] = {100, 100, 100, 100, 100};
    const double start_h[4] = {0.5, 1.0, 3.0, 5.0};
    for (int j = 0; j < MaxLayers; ++j) {
      m.resistivity[j] = j < 5 ? start_rho[j] : 100.0;
      m.thickness[j] = j < 4 ? start_h[j] : 1.0;
      m.resistivity_min[j] = 0.1f;
      m.resistivity_max[j] = 10000.0f;
    }
    InversionResult r = RunInversion(ws, stores->sets, stores->models, ui);
    iterations = r.iterations_run;
    benchmark::DoNotOptimize(r.misfit);
  }
  state.counters["iterations"] = iterations;
  state.counters["free_parameters"] = stores->models[0].params.count;
}

void BM_Inversion(benchmark::State& state) {
  RunInversionCase(state, FitMethod::kClassic);
}
BENCHMARK(BM_Inversion)->Unit(benchmark::kMillisecond);

// The same case with all starts of the robust method.
void BM_InversionRobust(benchmark::State& state) {
  RunInversionCase(state, FitMethod::kRobust);
}
BENCHMARK(BM_InversionRobust)->Unit(benchmark::kMillisecond);

// All sensitivities of a model of range(0) layers at range(1) periods;
// compare with BM_ForwardNoDispersion of the same arguments.
void BM_Jacobian(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int count = static_cast<int>(state.range(1));
  std::vector<double> rho(MaxLayers), h(MaxLayers), periods(count);
  for (int j = 0; j < MaxLayers; ++j) {
    rho[j] = 10.0 * std::pow(3.0, j % 4);
    h[j] = 0.2 + 0.3 * j;
  }
  for (int i = 0; i < count; ++i)
    periods[i] = 1e-3 * std::pow(10.0, 7.0 * i / std::max(1, count - 1));
  std::vector<PeriodSensitivity> out(count);
  for (auto _ : state) {
    NoDispersionSensitivity sens(rho.data(), h.data(), n);
    sens.Evaluate(periods.data(), count, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["ns_per_layer_period"] =
      benchmark::Counter(static_cast<double>(n * count),
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
}
BENCHMARK(BM_Jacobian)->Args({16, 100})->Args({5, 40});

// 200 soundings of 60 periods, 5-layer earths, fitted by the robust method
// from a uniform start, one fit per thread at a time on every core; each
// fit has stores of its own.
void BM_InversionBatch(benchmark::State& state) {
  constexpr int kSoundings = 200;
  constexpr int kPeriods = 60;
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  for (auto _ : state) {
    std::atomic<int> next{0};
    auto work = [&] {
      auto stores = std::make_unique<Stores>();
      for (int k = next++; k < kSoundings; k = next++) {
        ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
        FieldSet& s = stores->sets[0];
        ResetFieldSet(s);
        s.in_use = 1;
        s.count = kPeriods;
        s.attached[0] = 1;
        double rho[MaxLayers], h[MaxLayers];
        for (int j = 0; j < MaxLayers; ++j) {
          rho[j] = 10.0 * std::pow(10.0, std::sin(1.7 * k + 2.3 * j) * 1.2);
          h[j] = 0.3 * std::pow(4.0, j) * (1.0 + 0.5 * std::cos(k + j));
        }
        for (int i = 0; i < kPeriods; ++i) {
          const double period = 1e-3 * std::pow(10.0, 6.0 * i / 59.0);
          Response1D z = ResponseNoDispersion(rho, h, 5, period);
          s.freq[i] = static_cast<float>(1.0 / period);
          s.re_z[i] = static_cast<float>(z.z.re);
          s.im_z[i] = static_cast<float>(z.z.im);
          s.err_re[i] = s.err_im[i] = 0.05f;
          s.log_rho[i] = static_cast<float>(std::log10(z.rho_a));
          s.phase[i] = static_cast<float>(z.phase);
          s.log_rho_upper[i] = static_cast<float>(std::log10(z.rho_a * 1.1));
          s.log_rho_lower[i] = static_cast<float>(std::log10(z.rho_a * 0.9));
          s.log_phase_upper[i] = static_cast<float>(std::log10(z.phase + 2));
          s.log_phase_lower[i] = static_cast<float>(std::log10(z.phase - 2));
        }
        LayerModel& m = stores->models[0];
        m.layer_count = 5;
        for (int j = 0; j < MaxLayers; ++j) {
          m.resistivity[j] = 100.0;
          m.thickness[j] = 0.5 * std::pow(3.0, j);
        }
        ScriptedUi ui;
        InversionResult r = RunInversion(
            stores->workspace, stores->sets, stores->models, ui);
        benchmark::DoNotOptimize(r.misfit);
      }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
  }
  state.counters["threads"] = threads;
  state.counters["ms_per_fit"] =
      benchmark::Counter(kSoundings,
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
}
BENCHMARK(BM_InversionBatch)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace mtvuk
