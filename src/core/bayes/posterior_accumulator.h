// The counts one chain at temperature 1 gathers from its kept samples, and
// their summary over all such chains.
#pragma once

#include <cstdint>
#include <vector>

#include "core/bayes/bayes_options.h"
#include "core/bayes/posterior.h"

namespace mtvuk {

class PosteriorAccumulator {
 public:
  // The depth cells are spaced evenly in log10 depth between z_min and
  // z_max (log10 km).
  PosteriorAccumulator(const BayesOptions& options, double z_min, double z_max);

  void AddTrace(double chi2) { trace_.push_back(chi2); }
  // `log_depth` holds the sample's k interfaces in log10 km.
  void AddSample(const double* log_depth, const LayeredSample& sample);

 private:
  friend void SummarisePosterior(
      const std::vector<PosteriorAccumulator*>& chains,
      const BayesOptions& options,
      double min_km,
      double max_km,
      BayesResult& result);

  int cells_, bins_;
  double z_min_, z_max_, v_min_, v_max_;
  std::vector<std::int64_t> counts_;      // cells x bins
  std::vector<std::int64_t> interfaces_;  // cells
  std::vector<std::int64_t> layers_;      // index: layers - 1
  std::vector<double> trace_;             // chi2, every thin-th iteration
  std::vector<double> kept_chi2_, kept_layers_, noise_;
  LayeredSample best_;
  bool has_best_ = false;
};

// Sums the chains' counts into `result` (grids, percentiles, histograms,
// traces, split R-hat and the warning when the chains disagree).
void SummarisePosterior(const std::vector<PosteriorAccumulator*>& chains,
                        const BayesOptions& options,
                        double min_km,
                        double max_km,
                        BayesResult& result);

}  // namespace mtvuk
