#include "core/bayes/rj_sampler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "core/bayes/random_stream.h"
#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sounding_list.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

using testing::DoubleNear;
using testing::Pointwise;

std::vector<double> Periods(int count, double first, double last) {
  std::vector<double> t(count);
  for (int i = 0; i < count; ++i)
    t[i] = first * std::pow(last / first, i / (count - 1.0));
  return t;
}

BayesOptions SmallRun() {
  return {.iterations = 4000,
          .chains = 2,
          .hot_chains = 2,
          .seed = 11,
          .depth_cells = 40,
          .rho_bins = 60};
}

// Errors so large that every model fits: the posterior is the prior.
TEST(RjSampler, FlatLikelihoodReturnsThePrior) {
  BayesData d = SyntheticBayesData(
      {100.0, 10.0}, {1.0}, Periods(12, 0.01, 100.0), 0.0, 1);
  for (double& s : d.sigma_log_rho) s = 1e6;
  for (double& s : d.sigma_phase) s = 1e6;
  BayesOptions o = SmallRun();
  o.max_layers = 4;
  o.iterations = 40000;
  o.thin = 5;
  o.chains = 4;
  o.hot_chains = 0;
  // Wide steps: the chains must cross the whole prior many times.
  o.step_value = o.step_birth = 2.0;
  o.step_depth = 0.5;
  const BayesResult r = RunBayesSampler(d, o);
  ASSERT_EQ(r.layer_histogram.size(), 4u);
  for (double p : r.layer_histogram) EXPECT_NEAR(p, 0.25, 0.03);
  // Uniform resistivity between -1 and 5: percentiles at -0.7, 2, 4.7.
  const int mid = o.depth_cells / 2;
  EXPECT_NEAR(r.p05[mid], -0.7, 0.2);
  EXPECT_NEAR(r.p50[mid], 2.0, 0.2);
  EXPECT_NEAR(r.p95[mid], 4.7, 0.2);
  // Interfaces uniform in log depth, 1.5 of them on average.
  EXPECT_NEAR(r.interface_probability[5], 1.5 / o.depth_cells, 0.015);
  EXPECT_NEAR(r.interface_probability[30], 1.5 / o.depth_cells, 0.015);
  EXPECT_GT(r.moves[static_cast<int>(BayesMove::kBirth)].Rate(), 0.1);
}

// The seed, not the threads, decides; tempered chains keep the posterior.
TEST(RjSampler, SeedDecidesNotThreadsAndTemperingKeepsThePosterior) {
  const BayesData d = SyntheticBayesData(
      {30.0, 300.0, 3.0}, {0.5, 4.0}, Periods(16, 0.003, 3000.0), 0.05, 3);
  BayesOptions o = SmallRun();
  o.threads = 1;
  const BayesResult a = RunBayesSampler(d, o);
  o.threads = 3;
  const BayesResult b = RunBayesSampler(d, o);
  EXPECT_EQ(a.density, b.density);
  EXPECT_EQ(a.misfit_trace, b.misfit_trace);
  EXPECT_EQ(a.best.chi2, b.best.chi2);
  EXPECT_EQ(a.swaps.accepted, b.swaps.accepted);
  EXPECT_GT(a.swaps.proposed, 0);
  o.seed = 12;
  const BayesResult c = RunBayesSampler(d, o);
  EXPECT_NE(a.misfit_trace, c.misfit_trace);
  // Kept samples: chains x (iterations - burn-in) / thin.
  EXPECT_EQ(a.samples, 2 * 2000 / 10);
  EXPECT_EQ(a.misfit_trace[0].size(), 400u);

  o = SmallRun();
  o.iterations = 8000;
  o.max_temperature = 20.0;
  auto mean_misfit = [&](int hot) {
    o.hot_chains = hot;
    const BayesResult r = RunBayesSampler(d, o);
    double sum = 0.0, count = 0.0;
    for (const auto& trace : r.misfit_trace)
      for (std::size_t i = o.BurnIn() / o.thin; i < trace.size(); ++i)
        sum += trace[i], ++count;
    return sum / count;
  };
  const double cold = mean_misfit(0), tempered = mean_misfit(2);
  EXPECT_NEAR(tempered / cold, 1.0, 0.2) << cold << " " << tempered;
}

TEST(RjSampler, SplitRHatAndErrorFloor) {
  std::vector<std::vector<double>> same(3);
  RandomStream random(5, 0);
  for (auto& c : same)
    for (int i = 0; i < 2000; ++i) c.push_back(random.Normal());
  EXPECT_NEAR(SplitRHat(same), 1.0, 0.01);
  auto apart = same;
  for (double& v : apart[1]) v += 3.0;
  EXPECT_GT(SplitRHat(apart), 1.5);
  // A drift inside each chain shows in its halves.
  auto drift = same;
  for (auto& c : drift)
    for (std::size_t i = 0; i < c.size(); ++i) c[i] += 4.0 * i / c.size();
  EXPECT_GT(SplitRHat(drift), 1.2);
  EXPECT_EQ(SplitRHat({{2, 2, 2, 2}, {2, 2, 2, 2}}), 1.0);
  EXPECT_TRUE(std::isinf(SplitRHat({{2, 2, 2, 2}, {3, 3, 3, 3}})));
  // The error floor on |Z|: larger errors stay, missing ones take the floor.
  BayesData d;
  d.period = {1.0, 2.0, 3.0};
  d.log_rho = {1.0, 1.0, 1.0};
  d.phase = {0.7, 0.7, 0.7};
  d.sigma_log_rho = {0.01, 0.2, 0.0};
  d.sigma_phase = {0.3, 0.001, NAN};
  ApplyErrorFloor(5.0, d);
  const double rho = 0.1 / std::log(10.0), phase = std::asin(0.05);
  EXPECT_THAT(d.sigma_log_rho, Pointwise(DoubleNear(1e-12), {rho, 0.2, rho}));
  EXPECT_THAT(d.sigma_phase, Pointwise(DoubleNear(1e-15), {0.3, phase, phase}));
}

// A real sounding, XY and YX, points deleted: fitted to about the errors.
TEST(RjSampler, RealSounding) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  ui.Allow("CHECK MT-FILE");
  ASSERT_TRUE(
      ReadFieldFile(test::RealDataPath("ET001.edi"), stores->workspace, ui))
      << (ui.prompts().empty() ? "" : ui.prompts().back().text);
  SoundingList list(stores->workspace, stores->sets, stores->models, ui);
  ASSERT_TRUE(list.SetTick(CurveMode::XY, true) &&
              list.SetTick(CurveMode::YX, true) && list.Ok());
  for (int slot = 0; slot < 2; ++slot) {
    FieldSet& set = stores->sets[slot];
    BayesData all, edited;
    std::string error;
    ASSERT_TRUE(BayesDataFromSet(set, 5.0, all, error)) << error;
    set.point_deleted[3] = set.point_deleted[10] = 1;
    ASSERT_TRUE(BayesDataFromSet(set, 5.0, edited, error));
    EXPECT_EQ(edited.Size(), all.Size() - 2);
    EXPECT_EQ(edited.period[3], 1.0 / set.freq[4]);
    BayesOptions o = SmallRun();
    o.iterations = 3000;
    const BayesResult r = RunBayesSampler(edited, o);
    EXPECT_NEAR(r.max_depth_km, 2.0 * edited.MaxBostickDepthKm(), 1e-9);
    // The best sample fits to within a few times the data count.
    EXPECT_LT(r.best.chi2, 4.0 * r.data_count) << "slot " << slot;
    EXPECT_GE(r.layer_mode, 2);
  }
  BayesData none;
  std::string error;
  FieldSet empty;
  empty.count = 0;
  EXPECT_FALSE(BayesDataFromSet(empty, 5.0, none, error));
  EXPECT_NE(error.find("fewer than 3"), std::string::npos);
}

}  // namespace
}  // namespace mtvuk
