// The posterior as JSON: what `mtvuk-cli bayes --json` prints and its
// result files hold, and the reading of it back (the pictures of the
// command line are drawn from it by the workstation binary).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "core/bayes/bayes_options.h"
#include "core/bayes/posterior.h"

namespace mtvuk {

// The figures of a run, rounded to what they carry. `density` adds the
// density image (depth cells x resistivity bins).
nlohmann::ordered_json BayesResultJson(const BayesResult& result,
                                       const BayesOptions& options,
                                       bool density);

// The result and the settings its pictures need, back from
// BayesResultJson(..., density = true). False with the reason when a
// figure is missing or the grids do not fit together.
bool ReadBayesResultJson(const nlohmann::ordered_json& json,
                         BayesResult& result,
                         BayesOptions& options,
                         std::string& error);

}  // namespace mtvuk
