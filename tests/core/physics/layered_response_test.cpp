// The vectorised layered response against the scalar kernel it re-codes.
#include "core/physics/layered_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/bayes/random_stream.h"
#include "core/physics/forward_1d.h"

namespace mtvuk {
namespace {

constexpr double kQuarterPi = 0.7853981633974483;

// Random models of 1 to 101 layers (thin and thick layers, contrasts up to
// eight decades, now and then a layer of zero thickness) at period sets of
// every length up to 45 (so that every remainder of the lanes occurs), over
// 10 microseconds to 100000 s.
TEST(LayeredResponse, VectorisedEqualsScalar) {
  RandomStream random(7, 0);
  double worst_rho = 0.0, worst_phase = 0.0;
  for (int trial = 0; trial < 300; ++trial) {
    const int n = trial < 250 ? 1 + random.Index(16) : 1 + random.Index(101);
    std::vector<double> rho(std::max(n, 2)), h(std::max(n, 2));
    for (int l = 0; l < n; ++l) {
      rho[l] = std::pow(10.0, random.Uniform(-2.0, 6.0));
      h[l] = random.Uniform() < 0.05
                 ? 0.0
                 : std::pow(10.0, random.Uniform(-3.0, 2.5));
    }
    if (n == 1) rho[1] = rho[0];
    const int count = 1 + trial % 45;
    std::vector<double> periods(count);
    for (double& t : periods) t = std::pow(10.0, random.Uniform(-5.0, 5.0));
    std::vector<double> r1(count), p1(count), r2(count), p2(count);
    const int layers = std::max(n, 2);
    LayeredResponseScalar(rho.data(),
                          h.data(),
                          layers,
                          periods.data(),
                          count,
                          r1.data(),
                          p1.data());
    LayeredResponseSimd(rho.data(),
                        h.data(),
                        layers,
                        periods.data(),
                        count,
                        r2.data(),
                        p2.data());
    for (int i = 0; i < count; ++i) {
      ASSERT_TRUE(std::isfinite(r2[i]) && std::isfinite(p2[i]));
      // Relative difference of rho_a and of the phase.
      worst_rho =
          std::max(worst_rho, std::fabs(std::pow(10.0, r2[i] - r1[i]) - 1.0));
      worst_phase = std::max(worst_phase, std::fabs(p2[i] / p1[i] - 1.0));
    }
  }
  EXPECT_LT(worst_rho, 1e-12);
  EXPECT_LT(worst_phase, 1e-12);
}

// Both paths against the closed forms: a half-space gives its resistivity
// and 45 degrees; a thin conductive cover over a resistor gives the cover's
// resistivity at short periods and the resistor's beneath.
TEST(LayeredResponse, HalfSpaceAndLimits) {
  const double rho[3] = {250.0, 250.0, 0.0};
  const double h[3] = {1.0, 0.0, 0.0};
  const double periods[5] = {1e-4, 0.01, 1.0, 100.0, 1e4};
  double r[5], p[5];
  for (auto* f : {&LayeredResponseScalar, &LayeredResponseSimd}) {
    f(rho, h, 2, periods, 5, r, p);
    for (int i = 0; i < 5; ++i) {
      EXPECT_NEAR(r[i], std::log10(250.0), 1e-12);
      EXPECT_NEAR(p[i], kQuarterPi, 1e-12);
    }
    const double cover_rho[2] = {10.0, 1000.0};
    const double cover_h[2] = {0.1, 0.0};
    const double t[2] = {1e-5, 1e5};
    f(cover_rho, cover_h, 2, t, 2, r, p);
    EXPECT_NEAR(r[0], 1.0, 1e-3);
    EXPECT_NEAR(r[1], 3.0, 0.02);
  }
}

}  // namespace
}  // namespace mtvuk
