#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include "core/inversion/inversion.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"
#include "synthetic_sounding.h"
namespace mtvuk {
TEST(Scratch, Quality) {
  std::mt19937 rng(77);
  std::uniform_real_distribution<double> lr(0.0, 3.5), lh(-1.0, 1.3);
  int bad = 0, total = 0;
  for (int trial = 0; trial < 30; ++trial) {
    int n = 3 + trial % 3;
    std::vector<double> rho(n), h(n - 1);
    for (auto& r : rho) r = std::pow(10.0, lr(rng));
    for (auto& x : h) x = std::pow(10.0, lh(rng));
    for (int target : {1, 4, 5}) {
      auto stores = test::NewStores();
      ScriptedUi ui;
      test::SyntheticSounding(stores->sets[0], rho, h, 40, 0.05, 0.0, 1);
      LayerModel& m = stores->models[0];
      m.layer_count = n;
      for (int j = 0; j < MaxLayers; ++j) { m.resistivity[j] = 100; m.thickness[j] = 0.5 * std::pow(4.0, j); }
      stores->workspace.inversion_target = target;
      InversionResult r = RunInversion(stores->workspace, stores->sets, stores->models, ui);
      ++total;
      if (!(r.Rms() < 0.01)) { ++bad; printf("bad trial %d target %d n %d rms %g start %s its %d\n", trial, target, n, r.Rms(), r.start_used.c_str(), r.iterations_run);
        for (int j = 0; j < n; ++j) printf("   %10.4g %10.4g   | %10.4g %10.4g\n", rho[j], j < n-1 ? h[j] : 0.0, m.resistivity[j], j < n-1 ? m.thickness[j] : 0.0);
        for (auto& st : r.history) { printf("%g ", st.misfit); }
        printf("\n"); }
    }
  }
  printf("noise-free: %d bad of %d\n", bad, total);
  int reached = 0;
  for (int trial = 0; trial < 30; ++trial) {
    std::vector<double> rho(5), h(4);
    for (auto& r : rho) r = std::pow(10.0, lr(rng));
    for (auto& x : h) x = std::pow(10.0, lh(rng));
    auto stores = test::NewStores();
    ScriptedUi ui;
    test::SyntheticSounding(stores->sets[0], rho, h, 40, 0.03, 0.03, trial + 5);
    LayerModel& m = stores->models[0];
    m.layer_count = 5;
    for (int j = 0; j < MaxLayers; ++j) { m.resistivity[j] = j < 5 ? rho[j] : rho[4]; m.thickness[j] = j < 4 ? h[j] : 1; }
    stores->workspace.iteration_amount = 1;
    // true misfit: evaluate via a fit of 1 iteration? use history front
    InversionResult t0 = RunInversion(stores->workspace, stores->sets, stores->models, ui);
    double truth = t0.history.front().misfit;
    for (int j = 0; j < MaxLayers; ++j) { m.resistivity[j] = 100; m.thickness[j] = j < 4 ? h[j] : 1; }
    // uniform start with thickness guess
    for (int j = 0; j < 4; ++j) m.thickness[j] = 0.5 * std::pow(3.0, j);
    stores->workspace.iteration_amount = 30;
    InversionResult r = RunInversion(stores->workspace, stores->sets, stores->models, ui);
    bool ok = r.misfit <= 1.1 * truth;
    reached += ok;
    if (!ok) printf("noisy trial %d: %g vs truth %g (start %s)\n", trial, r.misfit, truth, r.start_used.c_str());
  }
  printf("noisy reached %d of 30\n", reached);
}
}
