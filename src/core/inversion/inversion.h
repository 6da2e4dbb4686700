// Automatic inversion: a damped least-squares (Levenberg-Marquardt; Marquardt
// 1963) fit of the current model to the field set attached to it, on the
// logarithms of its free resistivities and thicknesses.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "core/physics/model_curve.h"
#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

// The weighted data terms of a fit at the used periods: the model's and the
// field's values (decimal logarithms, phases in radians), each term's weight
// (entering the misfit squared) and its share.
struct FitTerms {
  int count = 0;
  std::array<double, 2 * MaxFreq> model{};
  std::array<double, 2 * MaxFreq> field{};
  std::array<double, 2 * MaxFreq> weight{};
  std::array<double, 2 * MaxFreq> share{};
  int Weighted() const;  // terms whose weight is not 0
};

// The misfit S of the inversion target at the first `used` periods of the
// set; stores S as the set's last misfit and the terms in `terms`.
double FitMisfit(const Workspace& workspace,
                 FieldSet& set,
                 int used,
                 const FitResponse& fit,
                 FitTerms* terms);

// Effective number of periods: the count less the trailing removed points,
// between 2 and 100.
int EffectivePeriods(const FieldSet& set);

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
};

struct InversionResult {
  bool ran = false;        // false: refused before the first iteration
  bool cancelled = false;  // Esc
  int iterations_run = 0;
  int best_iteration = 0;
  double misfit = 0.0;
  int data_used = 0;  // weighted data terms of the best model
  std::vector<InversionStep> history;
};

// True when a field set holding data is attached to model `index`.
bool CanInvert(const FieldSets& sets, int index);

// Runs the inversion of the workspace's current model. `progress` is told
// after every iteration (for the progress windows). Messages go to `ui`.
InversionResult RunInversion(
    Workspace& workspace,
    FieldSets& sets,
    LayerModels& models,
    Ui& ui,
    const std::function<void(const InversionStep&)>& progress = {});

}  // namespace mtvuk
