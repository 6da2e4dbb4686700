// One inversion: a 5-layer model (9 free parameters) against 40 periods,
// 30 iterations, target 5 (resistivity and phase).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "core/inversion/inversion.h"
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

void BM_Inversion(benchmark::State& state) {
  auto stores = std::make_unique<Stores>();
  ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
  FillSynthetic(stores->sets[0]);
  Workspace& ws = stores->workspace;
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
BENCHMARK(BM_Inversion)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mtvuk
