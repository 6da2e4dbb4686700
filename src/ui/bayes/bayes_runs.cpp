#include "ui/bayes/bayes_runs.h"

#include "core/store/smooth_profile.h"

namespace mtvuk {

const BayesRun* CurrentBayesRun(const BayesRuns& runs,
                                const FieldSets& sets,
                                int k) {
  if (k < 0 || k >= MaxSets || !runs[k] || sets[k].in_use <= 0) return nullptr;
  const BayesRun& run = *runs[k];
  if (run.result.cancelled || run.result.p50.empty() ||
      run.data_key != DataKey(sets[k])) {
    return nullptr;
  }
  return &run;
}

bool BayesPercentileProfile(const BayesRuns& runs,
                            const FieldSets& sets,
                            int k,
                            ExtraProfile& profile) {
  const BayesRun* run = CurrentBayesRun(runs, sets, k);
  if (run == nullptr) return false;
  const BayesResult& r = run->result;
  profile.percentile_depth.clear();
  for (double km : r.depth_km) profile.percentile_depth.push_back(-1000.0 * km);
  profile.p05 = r.p05;
  profile.p50 = r.p50;
  profile.p95 = r.p95;
  return true;
}

}  // namespace mtvuk
