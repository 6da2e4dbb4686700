// The Bayesian inversions run in the workstation: per field-set slot, the
// posterior of the last run, kept while the slot holds the data it was run
// on. The depth window draws their percentiles.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/bayes/bayes_options.h"
#include "core/bayes/posterior.h"
#include "core/store/workspace.h"
#include "ui/graph/depth_graph.h"

namespace mtvuk {

struct BayesRun {
  BayesOptions options;
  BayesResult result;
  std::uint64_t data_key = 0;  // DataKey of the set when it was run
  double seconds = 0.0;
};

using BayesRuns = std::array<std::optional<BayesRun>, MaxSets>;

// The run of slot k while the slot still holds its data; nullptr
// otherwise (also for a cancelled run, which keeps no posterior).
const BayesRun* CurrentBayesRun(const BayesRuns& runs,
                                const FieldSets& sets,
                                int k);

// The 5, 50 and 95 % percentiles of log10 resistivity of slot k's run
// against depth (m, negative) into `profile`; false when there is none.
bool BayesPercentileProfile(const BayesRuns& runs,
                            const FieldSets& sets,
                            int k,
                            ExtraProfile& profile);

}  // namespace mtvuk
