// What the sampler tells: the posterior of log10 resistivity against depth,
// its percentiles, the probability of an interface against depth, the
// number of layers, misfit traces, move acceptance and the agreement of
// the chains.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mtvuk {

enum class BayesMove : int { kBirth, kDeath, kMove, kValue, kNoise };
inline constexpr int kBayesMoves = 5;
const char* BayesMoveName(BayesMove move);

struct MoveCount {
  std::int64_t proposed = 0;
  std::int64_t accepted = 0;
  double Rate() const {
    return proposed > 0 ? static_cast<double>(accepted) / proposed : 0.0;
  }
};

// One layered model: k interfaces (km) and k + 1 log10 resistivities.
struct LayeredSample {
  std::vector<double> interface_km;
  std::vector<double> log_rho;
  double chi2 = 0.0;
  double noise_scale = 1.0;
};

// Split R-hat (Gelman et al. 2013) of equally long chains: each chain is
// cut in halves and the halves compared. 1 when every value is the same;
// infinity when the halves are constant but differ.
double SplitRHat(const std::vector<std::vector<double>>& chains);

inline constexpr double kRHatWarning = 1.1;

struct BayesResult {
  bool cancelled = false;
  int data_count = 0;  // real data (2 per period)
  double min_depth_km = 0.0, max_depth_km = 0.0;
  std::vector<double> depth_km;     // centres of the depth cells
  std::vector<double> log_rho_bin;  // centres of the resistivity bins
  // depth_cells x rho_bins, row per depth, each row summing to 1.
  std::vector<double> density;
  std::vector<double> p05, p50, p95;  // log10 rho per depth cell
  std::vector<double> mean;           // log10 rho per depth cell
  // Per depth cell: the share of samples with an interface in it.
  std::vector<double> interface_probability;
  // Index: number of layers - 1.
  std::vector<double> layer_histogram;
  int layer_mode = 0;  // the most probable number of layers
  // Per chain at temperature 1: chi^2 of every thin-th iteration from the
  // first (burn-in included), and the layer count of the kept samples.
  std::vector<std::vector<double>> misfit_trace;
  std::vector<std::vector<double>> layer_trace;
  std::array<MoveCount, kBayesMoves> moves{};  // after the burn-in, T = 1
  MoveCount swaps;
  double rhat_misfit = 1.0;
  double rhat_layers = 1.0;
  std::string warning;  // empty when the chains agree
  std::int64_t samples = 0;
  std::int64_t evaluations = 0;
  LayeredSample best;  // the kept sample of the smallest misfit
  std::vector<double> noise_scale_trace;  // of the first chain, if sampled

  // The percentile of log10 rho at depth cell `cell` from the density.
  double Percentile(int cell, double fraction) const;
};

}  // namespace mtvuk
