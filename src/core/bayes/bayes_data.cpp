#include "core/bayes/bayes_data.h"

#include <algorithm>
#include <cmath>

#include "core/bayes/random_stream.h"
#include "core/physics/forward_1d.h"
#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

double BostickDepthKm(double log_rho, double period) {
  return std::sqrt(std::pow(10.0, log_rho) * period / (kTwoPi * kMu0)) / 1000.0;
}

double Floored(double sigma, double floor) {
  return std::isfinite(sigma) && sigma > floor ? sigma : floor;
}

}  // namespace

double BayesData::MinBostickDepthKm() const {
  double d = INFINITY;
  for (int i = 0; i < Size(); ++i)
    d = std::min(d, BostickDepthKm(log_rho[i], period[i]));
  return d;
}

double BayesData::MaxBostickDepthKm() const {
  double d = 0.0;
  for (int i = 0; i < Size(); ++i)
    d = std::max(d, BostickDepthKm(log_rho[i], period[i]));
  return d;
}

void ApplyErrorFloor(double percent, BayesData& data) {
  const double f = percent / 100.0;
  for (int i = 0; i < data.Size(); ++i) {
    data.sigma_log_rho[i] = Floored(data.sigma_log_rho[i], 2.0 * f / kLn10);
    data.sigma_phase[i] = Floored(data.sigma_phase[i], std::asin(f));
  }
}

bool BayesDataFromSet(const FieldSet& set,
                      double floor_percent,
                      BayesData& data,
                      std::string& error) {
  data = BayesData{};
  if (!(floor_percent > 0.0 && floor_percent < 100.0)) {
    error = "the error floor must lie between 0 and 100 %";
    return false;
  }
  const int count = std::clamp<int>(set.count, 0, MaxFreq);
  for (int i = 0; i < count; ++i) {
    const double freq = set.freq[i];
    const double log_rho = set.log_rho[i];
    const double phase = set.phase[i];
    if (set.point_deleted[i] != 0 || !(freq > 0.0) || !std::isfinite(freq) ||
        !std::isfinite(log_rho) || !(phase > 0.0 && phase < 90.0)) {
      continue;
    }
    // Half the bar of log10 rho_a; the upper half alone when the lower
    // bound is not below the value (an error larger than the value).
    const double up = set.log_rho_upper[i], low = set.log_rho_lower[i];
    const double sigma_rho =
        low < log_rho && up > log_rho ? (up - low) / 2.0 : up - log_rho;
    data.period.push_back(1.0 / freq);
    data.log_rho.push_back(log_rho);
    data.phase.push_back(phase * kRadPerDeg);
    data.sigma_log_rho.push_back(sigma_rho);
    data.sigma_phase.push_back(std::fabs(set.phase_error[i]) * kRadPerDeg);
  }
  if (data.Size() < 3) {
    error =
        "fewer than 3 usable points (not deleted, with a finite "
        "resistivity and a phase between 0 and 90 degrees)";
    data = BayesData{};
    return false;
  }
  ApplyErrorFloor(floor_percent, data);
  return true;
}

BayesData SyntheticBayesData(const std::vector<double>& rho,
                             const std::vector<double>& thickness_km,
                             const std::vector<double>& periods,
                             double noise,
                             unsigned long long seed) {
  BayesData d;
  RandomStream random(seed, 0);
  std::vector<double> r = rho, h = thickness_km;
  if (r.size() < 2) r.push_back(r.empty() ? 100.0 : r[0]);
  h.resize(r.size(), 0.0);
  const NoDispersionKernel kernel(
      r.data(), h.data(), static_cast<int>(r.size()), Physics::kCorrected);
  for (double t : periods) {
    const Response1D response = kernel(t);
    // Noise on Z of relative size `noise`, in each of its parts.
    const double re = response.z.re * (1.0 + noise * random.Normal());
    const double im = response.z.im * (1.0 + noise * random.Normal());
    const double abs2 = re * re + im * im;
    const double abs2_true =
        response.z.re * response.z.re + response.z.im * response.z.im;
    d.period.push_back(t);
    d.log_rho.push_back(std::log10(response.rho_a * abs2 / abs2_true));
    d.phase.push_back(std::atan2(im, re));
    d.sigma_log_rho.push_back(2.0 * noise / kLn10);
    d.sigma_phase.push_back(noise);
  }
  return d;
}

}  // namespace mtvuk
