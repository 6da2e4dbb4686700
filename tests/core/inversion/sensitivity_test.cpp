#include "core/inversion/sensitivity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace mtvuk {
namespace {

// The four quantities of a fit from the forward kernel itself.
std::array<double, kSensQuantities> Quantities(const std::vector<double>& rho,
                                               const std::vector<double>& h,
                                               int n,
                                               double period,
                                               Physics physics) {
  Response1D r = ResponseNoDispersion(rho.data(), h.data(), n, period, physics);
  return {std::log10(std::fabs(r.z.re) + 1e-14),
          std::log10(std::fabs(r.z.im) + 1e-14),
          std::log10(r.rho_a + 1e-14),
          r.phase * 0.017453292519943295};
}

// Every derivative against a central difference in the log parameter.
void ExpectCentralDifferences(std::vector<double> rho,
                              std::vector<double> h,
                              const std::vector<double>& periods,
                              Physics physics = Physics::kPublished) {
  const int n = static_cast<int>(rho.size());
  rho.resize(MaxLayers, rho.back());
  h.resize(MaxLayers, 1.0);
  NoDispersionSensitivity sens(rho.data(), h.data(), n, physics);
  std::vector<PeriodSensitivity> out(periods.size());
  sens.Evaluate(periods.data(), static_cast<int>(periods.size()), out.data());
  const double step = 1e-5;
  const int kernel_n = std::max(n, 2);
  for (std::size_t i = 0; i < periods.size(); ++i) {
    const Response1D plain =
        ResponseNoDispersion(rho.data(), h.data(), n, periods[i], physics);
    EXPECT_EQ(out[i].response.rho_a, plain.rho_a);
    EXPECT_EQ(out[i].response.z.im, plain.z.im);
    for (int col = 0; col < 2 * MaxLayers; ++col) {
      const bool thickness = col >= MaxLayers;
      const int j = thickness ? col - MaxLayers : col;
      if (j >= (thickness ? kernel_n - 1 : kernel_n)) continue;
      std::vector<double>& v = thickness ? h : rho;
      const double keep = v[j];
      v[j] = keep * std::exp(step);
      const auto up = Quantities(rho, h, n, periods[i], physics);
      v[j] = keep * std::exp(-step);
      const auto down = Quantities(rho, h, n, periods[i], physics);
      v[j] = keep;
      for (int q = 0; q < kSensQuantities; ++q) {
        const double numeric = (up[q] - down[q]) / (2.0 * step);
        const double exact = out[i].d[q][col];
        EXPECT_NEAR(exact, numeric, 1e-6 * std::fabs(exact) + 1e-9)
            << "period " << periods[i] << " column " << col << " quantity " << q
            << " layers " << n;
      }
    }
  }
}

TEST(NoDispersionSensitivity, MatchesCentralDifferences) {
  const std::vector<double> periods = {1e-4, 3e-3, 0.1, 2.0, 70.0, 3000.0};
  // Random models of 1 to 16 layers.
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> log_rho(-1.0, 5.0);
  std::uniform_real_distribution<double> log_h(-2.0, 2.5);
  for (int trial = 0; trial < 24; ++trial) {
    const int n = 1 + trial % 16;
    std::vector<double> rho(n), h(n);
    for (int j = 0; j < n; ++j) {
      rho[j] = std::pow(10.0, log_rho(rng));
      h[j] = std::pow(10.0, log_h(rng));
    }
    ExpectCentralDifferences(rho, h, periods);
  }
  // Contrasts of six decades, alternating.
  ExpectCentralDifferences(
      {0.1, 1e5, 0.1, 1e5, 0.2}, {0.5, 3.0, 0.02, 40.0}, periods);
  // A 1 m layer and a 2000 km conductor that hides what lies below it.
  ExpectCentralDifferences(
      {100, 1, 1000, 0.5, 300}, {0.001, 2.0, 2000.0, 5.0}, periods);
  // A layer below the top one that is thicker than the kernel's flat limit
  // at short periods only.
  ExpectCentralDifferences({10, 1000, 10}, {200.0, 10.0}, periods);
  // Corrected physics: layers of zero thickness are no layers, their
  // columns are zero and the others those of the model without them.
  ExpectCentralDifferences({10, 500, 100, 3, 30},
                           {0.5, 0.0, 2.0, 0.0, 1.0},
                           {1e-3, 0.05, 2.0, 300.0},
                           Physics::kCorrected);
}

TEST(NoDispersionSensitivity, HiddenLayersHaveNoSensitivity) {
  const std::vector<double> rho = {1.0, 50.0, 1000.0};
  const std::vector<double> h = {100.0, 5.0, 1.0};
  NoDispersionSensitivity sens(rho.data(), h.data(), 3);
  const double period = 1e-3;  // x = 2 pi 100 / sqrt(0.01) > 300
  PeriodSensitivity s;
  sens.Evaluate(&period, 1, &s);
  for (int q = 0; q < kSensQuantities; ++q) {
    EXPECT_EQ(s.d[q][SensRhoColumn(1)], 0.0);
    EXPECT_EQ(s.d[q][SensRhoColumn(2)], 0.0);
    EXPECT_EQ(s.d[q][SensThicknessColumn(0)], 0.0);
  }
  // The half-space term of rho_a = rho_0 |Y|^2 with Y = 1.
  EXPECT_NEAR(s.d[kSensRho][SensRhoColumn(0)], 1.0 / std::log(10.0), 1e-12);
}

}  // namespace
}  // namespace mtvuk
