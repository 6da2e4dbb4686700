// Automatic inversion: a damped least-squares fit of the current model to
// the field set attached to it, on the logarithms of its free resistivities
// and thicknesses. Two methods: the classic Marquardt (1963) iteration with
// forward-difference derivatives, and a robust Levenberg-Marquardt on exact
// derivatives from several starts.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/inversion/fit_misfit.h"
#include "core/physics/model_curve.h"
#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

// The parameter vector of a model from its free layers and their limits.
// With `clamp_model` the model's values are first moved into their limits
// (before a fit); without, only the vector is (after a plain run, so that
// an edited model keeps what the user typed).
void BuildParameters(LayerModel& model, bool clamp_model = true);
// Writes the parameters into the model; layers below the count continue the
// half-space. True when every free parameter was applied.
bool ApplyParameters(LayerModel& model);
void ClampParameters(InversionParameters& params);

struct InversionStep {
  int iteration;
  double misfit;
  int start = 0;  // which start of the robust method the step belongs to
};

struct InversionResult {
  bool ran = false;        // false: refused (nothing was changed)
  bool cancelled = false;  // Esc
  int iterations_run = 0;
  int best_iteration = 0;
  double misfit = 0.0;
  int data_used = 0;  // weighted data terms of the best model
  std::vector<InversionStep> history;
  FitMethod method = FitMethod::kRobust;
  std::string start_used;  // the start whose run won
  int starts = 1;          // starts fitted
  // Residuals over the standard errors of the data (NaN when no datum has
  // an error), and whether that reaches the noise level.
  double nrms = 0.0;
  int nrms_terms = 0;
  bool noise_level = false;
  // The error floor of the nrms and of the misfit that the method
  // minimises (percent of |Z|; 0 for the classic method), and that misfit
  // for the robust method: the sum of the squared residuals over their
  // standard errors (chi-square).
  double error_floor = 0.0;
  double data_misfit = 0.0;
  // Short lines on what the numbers do not say (points left out,
  // parameters at a limit, small error bars, a poor fit).
  std::vector<std::string> warnings;
  // Set when the start model has dispersive or anisotropic layers, which
  // the fit does not see.
  std::string medium_note;
  double Rms() const;
};

// "" for an isotropic model without dispersion; otherwise what the fit,
// which uses the isotropic response without dispersion, leaves out.
std::string IsotropicFitNote(const LayerModel& model);

// Why a fit cannot start from the terms and misfit of its start, or "": no
// weighted data term, or a misfit that is not finite (set counted from 0).
std::string UnfittableCause(const FitTerms& terms, double misfit, int set);

// True when a field set holding data is attached to model `index`.
bool CanInvert(const FieldSets& sets, int index);

// Runs the inversion of the workspace's current model by the workspace's
// method. `progress` is told after every iteration (for the progress
// windows). Messages go to `ui`. Takes only the stores it is given, so
// fits of separate stores may run on separate threads.
InversionResult RunInversion(
    Workspace& workspace,
    FieldSets& sets,
    LayerModels& models,
    Ui& ui,
    const std::function<void(const InversionStep&)>& progress = {});

}  // namespace mtvuk
