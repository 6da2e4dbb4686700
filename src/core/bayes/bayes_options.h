// The settings of the trans-dimensional sampler, with their defaults.
#pragma once

#include <cstdint>
#include <string>

#include "core/bayes/bayes_data.h"

namespace mtvuk {

struct BayesOptions {
  int max_layers = 12;  // with the half-space; at most MaxLayers
  // Prior of the resistivities: uniform in log10 between these (the fit's
  // default limits 0.1 and 100000 Ohm-m).
  double log_rho_min = -1.0;
  double log_rho_max = 5.0;
  // Prior of the interfaces: uniform in log depth between these, km;
  // 0 takes a quarter of the shallowest and twice the deepest Bostick depth.
  double min_depth_km = 0.0;
  double max_depth_km = 0.0;
  int iterations = 50000;  // per chain, with the burn-in
  int burn_in = -1;        // -1: half of the iterations
  int thin = 10;           // keep every thin-th sample after the burn-in
  int chains = 4;          // chains at temperature 1 (the samples kept)
  int hot_chains = 4;      // tempered chains beside them
  double max_temperature = 5.0;
  int swap_interval = 10;    // iterations between exchange proposals
  bool noise_scale = false;  // sample a scale of the standard errors
  std::uint64_t seed = 1;
  int threads = 0;  // 0: one per processor
  double error_floor_percent = kDefaultErrorFloorPercent;
  // Posterior grids: depth cells (log-spaced) and log10 rho bins.
  int depth_cells = 100;
  int rho_bins = 120;
  // Proposal widths: a resistivity (log10), the value of a new layer around
  // the one it splits (log10), an interface (log10 of depth).
  double step_value = 0.25;
  double step_birth = 0.6;
  double step_depth = 0.08;

  int BurnIn() const { return burn_in < 0 ? iterations / 2 : burn_in; }
  // The first setting out of range, or empty.
  std::string Problem() const;
};

}  // namespace mtvuk
