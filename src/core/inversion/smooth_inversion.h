// Smooth inversion (Constable, Parker and Constable 1987, "Occam's
// inversion"): the smoothest resistivity-against-depth profile whose
// normalized rms meets a target. The profile has many thin layers of fixed,
// log-spaced thickness over a half-space; the parameters are the decimal
// logarithms of their resistivities, and the roughness is the sum of the
// squared first differences of neighbouring layers.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/platform/ui.h"
#include "core/store/field_set.h"
#include "core/store/layer_model.h"
#include "core/store/physics_setting.h"
#include "core/store/smooth_profile.h"

namespace mtvuk {

inline constexpr int kMinSmoothLayers = 2;
inline constexpr int kDefaultSmoothLayers = 50;
inline constexpr int kMaxSmoothIterations = 30;
// Where the resistivities of a profile are held, log10 Ohm-m.
inline constexpr double kSmoothLogRhoMin = -3.0;
inline constexpr double kSmoothLogRhoMax = 7.0;
inline constexpr double kMinTargetRms = 0.1;
inline constexpr double kMaxTargetRms = 100.0;
// A final rms this fraction above the target still counts as reaching it
// (the search of mu stops within a few parts in a thousand of the target,
// and the last iterations move the rms by about a percent).
inline constexpr double kTargetRmsTolerance = 0.02;

struct SmoothInversionOptions {
  int layers = kDefaultSmoothLayers;  // above the half-space, 2..100
  double target_rms = 1.0;            // normalized rms aimed at
  int target = 5;                     // 4 Ro, 5 Res+Phs
  bool ignore_error_bars = false;     // the rows of the system weigh 1
  // Least standard error of a datum, percent of |Z| (error_floor.h).
  double error_floor_percent = 5.0;
  int max_iterations = kMaxSmoothIterations;
  // The physics of the profile's response (its layers all have a
  // thickness, so the two give the same profile).
  Physics physics = Physics::kPublished;
};

// Why the options cannot be used, or "".
std::string SmoothInversionOptionsError(const SmoothInversionOptions& options);

// The thicknesses (km) of `layers` layers whose bottoms are log-spaced from
// a third of the shallowest Bostick depth of the first `used` points of the
// set to three times the deepest (the last bottom is the top of the
// half-space). False when fewer than two points are usable.
bool SmoothGrid(const FieldSet& set,
                int used,
                int layers,
                std::vector<double>& thickness_km);

// Sum of the squared differences of neighbouring values.
double Roughness(const std::vector<double>& log_rho);

// The search of one iteration over log10 mu, given the misfit of the model
// that each mu gives: while no mu meets `target`, the mu of least misfit
// (a coarse scan of whole decades around `log_mu_centre`, widened while
// the misfit still falls at its edge, then a golden-section search); once
// one does, the largest mu whose misfit meets it (regula falsi on the
// crossing above the largest decade that meets it). A misfit that is not
// finite counts as infinitely large.
struct MuChoice {
  double log_mu = 0.0;
  double misfit = 0.0;
  bool meets_target = false;
  int evaluations = 0;
};
MuChoice SearchMu(const std::function<double(double log_mu)>& misfit,
                  double log_mu_centre,
                  double target);

// One mu tried by the search: the misfit and roughness of its model.
struct MuTrial {
  double mu = 0.0;
  double rms = 0.0;
  double roughness = 0.0;
};

struct SmoothIteration {
  int iteration = 0;  // 0: the start
  double mu = 0.0;    // 0 for the start
  double rms = 0.0;
  double roughness = 0.0;
  int halvings = 0;             // of the step, when the misfit did not fall
  std::vector<MuTrial> trials;  // in the order tried
};

struct SmoothInversionResult {
  bool ran = false;  // false: refused (the message has been shown)
  bool cancelled = false;
  bool converged = false;  // the target is met and the roughness is least
  std::string reason;      // why the iteration stopped
  std::vector<double> thickness_km;  // layers
  std::vector<double> log_rho;       // layers + 1, the last the half-space
  double rms = 0.0;                  // normalized rms
  int rms_terms = 0;
  double roughness = 0.0;
  double mu = 0.0;
  int iterations = 0;
  std::vector<SmoothIteration> history;  // [0] the start
  double error_floor = 0.0;              // percent of |Z|, of the rms
  // Points left out, small error bars, a poor fit (fit_warnings.h).
  std::vector<std::string> warnings;
  // The response of the profile at the used periods of the data.
  std::vector<double> periods, rho_a, phase;
};

// Runs the smooth inversion of the first periods of a field set (its
// effective periods, as fits use them). `set_index` (from 0) names the set
// in messages. The set is not changed. A run that cannot start is refused
// with a message (caption "INVALID SMOOTH INVERSION"); Esc, polled between
// forward computations, ends the run with the profile reached so far.
// `progress` is told of the start and of every iteration.
SmoothInversionResult RunSmoothInversion(
    const FieldSet& set,
    int set_index,
    const SmoothInversionOptions& options,
    Ui& ui,
    const std::function<void(const SmoothIteration&)>& progress = {});

// The profile of a result, kept as the profile of the set it was fitted to.
void StoreProfile(const SmoothInversionResult& result,
                  const SmoothInversionOptions& options,
                  const FieldSet& set,
                  SmoothProfile& profile);

}  // namespace mtvuk
