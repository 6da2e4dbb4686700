// Reversible-jump Markov chain Monte Carlo over layered models (Green 1995;
// Malinverno 2002; Bodin and Sambridge 2009) with parallel tempering: the
// number of layers is one of the unknowns. Chains advance independently
// between exchange steps, each with its own random stream, so a seed gives
// the same result on any number of threads.
#pragma once

#include <functional>

#include "core/bayes/bayes_data.h"
#include "core/bayes/bayes_options.h"
#include "core/bayes/posterior.h"

namespace mtvuk {

// Called between blocks of iterations with the share done (0..1); returns
// false to stop the run (the result is then marked cancelled).
using BayesProgress = std::function<bool(double)>;

// Runs the sampler. `options` must be valid (Problem() empty).
BayesResult RunBayesSampler(const BayesData& data,
                            const BayesOptions& options,
                            const BayesProgress& progress = {});

// The prior's depth limits for the data (the options' or the defaults).
void BayesDepthLimits(const BayesData& data,
                      const BayesOptions& options,
                      double& min_km,
                      double& max_km);

}  // namespace mtvuk
