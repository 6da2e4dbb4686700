// 3- and 4-layer soundings, 5 % noise: the truth inside a narrow 90 % band.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/bayes/rj_sampler.h"

namespace mtvuk {
namespace {

struct Case {
  std::vector<double> rho;
  std::vector<double> thickness_km;
  int periods;
  std::uint64_t seed;
};

double TrueLogRho(const Case& c, double depth_km) {
  double top = 0.0;
  for (std::size_t l = 0; l < c.thickness_km.size(); ++l) {
    top += c.thickness_km[l];
    if (depth_km < top) return std::log10(c.rho[l]);
  }
  return std::log10(c.rho.back());
}

class PosteriorStatistics : public ::testing::TestWithParam<Case> {};

TEST_P(PosteriorStatistics, TruthInsideTheBand) {
  const Case& c = GetParam();
  std::vector<double> t(c.periods);
  for (int i = 0; i < c.periods; ++i)
    t[i] = 1e-3 * std::pow(1e7, i / (c.periods - 1.0));
  const BayesData d =
      SyntheticBayesData(c.rho, c.thickness_km, t, 0.05, c.seed);
  const BayesOptions o{.iterations = 40000, .seed = c.seed};
  const BayesResult r = RunBayesSampler(d, o);
  // The resolved depths: between the data's shallowest and deepest Bostick.
  const double top = d.MinBostickDepthKm(), bottom = d.MaxBostickDepthKm();
  int resolved = 0, inside = 0;
  std::vector<double> widths;
  for (std::size_t k = 0; k < r.depth_km.size(); ++k) {
    const double z = r.depth_km[k];
    if (z < top || z > bottom) continue;
    ++resolved;
    const double truth = TrueLogRho(c, z);
    inside += truth >= r.p05[k] && truth <= r.p95[k] ? 1 : 0;
    widths.push_back(r.p95[k] - r.p05[k]);
  }
  ASSERT_GT(resolved, 20);
  std::nth_element(
      widths.begin(), widths.begin() + widths.size() / 2, widths.end());
  const int layers = static_cast<int>(c.rho.size());
  EXPECT_GE(inside, 0.85 * resolved) << inside << " of " << resolved;
  EXPECT_LT(widths[widths.size() / 2], 2.0) << "decades, median band";
  EXPECT_GE(r.layer_mode, layers - 1);
  EXPECT_LE(r.layer_mode, layers + 2);
  EXPECT_TRUE(r.warning.empty()) << r.warning;
}

INSTANTIATE_TEST_SUITE_P(
    Soundings,
    PosteriorStatistics,
    ::testing::Values(
        Case{{100.0, 10.0, 1000.0}, {1.0, 3.0}, 40, 21},
        Case{{30.0, 300.0, 3.0}, {0.4, 5.0}, 32, 22},
        Case{{500.0, 20.0, 2000.0, 5.0}, {0.6, 2.0, 15.0}, 40, 23},
        Case{{10.0, 100.0, 2.0, 300.0}, {0.2, 1.5, 3.0}, 40, 24}));

}  // namespace
}  // namespace mtvuk
