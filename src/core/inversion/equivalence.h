// How well a layered fit determines its layers: for every free parameter
// the range of values whose best misfit (all other free parameters fitted
// again, within their limits) stays within a threshold of the least misfit,
// and the same ranges of each layer's conductance h / rho and transverse
// resistance h rho (the S- and T-equivalence of thin layers).
#pragma once

#include <vector>

#include "core/inversion/fit_misfit.h"
#include "core/platform/ui.h"
#include "core/store/field_set.h"
#include "core/store/layer_model.h"

namespace mtvuk {

// A model is equivalent while S <= S_min + max(absolute, relative S_min).
struct EquivalenceOptions {
  double absolute = 1.0;
  double relative = 0.1;
};
double EquivalenceThreshold(double misfit_min, const EquivalenceOptions& o);
// Why the options cannot be used, or "".
std::string EquivalenceOptionsError(const EquivalenceOptions& o);

struct EquivalenceRange {
  bool defined = false;  // false: the layer has no such quantity
  bool fixed = false;    // held by the user: the range is the value itself
  double min = 0.0;
  double max = 0.0;
  // The range reaches a limit of the fit rather than being closed by the
  // data there.
  bool min_at_limit = false;
  bool max_at_limit = false;
};

struct LayerEquivalence {
  int layer = 0;                    // from 0; the last one is the half-space
  EquivalenceRange rho;             // Ohm-m
  EquivalenceRange thickness;       // km
  EquivalenceRange conductance;     // S (h in m over rho)
  EquivalenceRange transverse;      // Ohm m^2 (h in m times rho)
  bool BoundedByLimit() const;
};

// A model met on the way whose misfit is within the threshold.
struct EquivalentModel {
  std::vector<double> rho;   // Ohm-m, per layer
  std::vector<double> h_km;  // per layer but the half-space
  double misfit = 0.0;
};

struct EquivalenceResult {
  bool ran = false;  // false: refused (the message has been shown)
  bool cancelled = false;
  double misfit_min = 0.0;
  double threshold = 0.0;
  std::vector<LayerEquivalence> layers;
  // The best fit first, then the equivalent models met by the search.
  std::vector<EquivalentModel> models;
  int refits = 0;  // constrained fits made
};

// The ranges of a fitted model against the first `used` periods of the set
// (the model's free parameters and limits as the fit takes them). The
// model is first fitted again to its nearest minimum. Neither the model nor
// the set is changed. A model that cannot be fitted is refused with a
// message (caption "EQUIVALENCE"); Esc stops the search.
EquivalenceResult ComputeEquivalence(const MisfitSettings& settings,
                                     const FieldSet& set,
                                     int used,
                                     const LayerModel& model,
                                     const EquivalenceOptions& options,
                                     Ui& ui);

// The band of the equivalent models: at each depth (km) the least and the
// greatest resistivity that any of them has there.
void EquivalenceBand(const EquivalenceResult& result,
                     const std::vector<double>& depth_km,
                     std::vector<double>& rho_low,
                     std::vector<double>& rho_high);

}  // namespace mtvuk
