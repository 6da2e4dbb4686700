// The robust method: Levenberg-Marquardt on the exact Jacobian (Marquardt
// 1963, with the gain-ratio damping of Nielsen 1999), bounds kept by
// projection, from several starts: the user's model, starts read from the
// Bostick (1977) transform of the data at the model's interface depths (and
// at a third and a tenth of them), and perturbed copies of the best fit.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/inversion/fit_misfit.h"
#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

// The end of the run from one start.
struct RobustCandidate {
  std::string start;
  std::vector<double> p;
  double misfit = 0.0;
  std::vector<double> history;
};

struct RobustRun {
  std::vector<double> p;  // best parameters found
  double misfit = 0.0;
  std::vector<double> history;  // misfit of each iteration, [0] the start
  std::string start;            // name of the winning start
  int starts = 0;
  bool cancelled = false;
  int cancelled_at = 0;                     // iteration of the run Esc stopped
  std::vector<RobustCandidate> candidates;  // every start's end, in order
};

// A start given by the caller (the end of another method's fit), fitted
// after the user's model.
struct RobustStart {
  std::string name;
  std::vector<double> p;
};

// Fits the model's parameter vector (built, with its limits) to the first
// `used` periods of `set`, minimising the misfit of `settings`. The model
// itself is not changed. `extra` starts are fitted after the user's model.
RobustRun FitRobust(
    const Workspace& workspace,
    const MisfitSettings& settings,
    FieldSet& set,
    int used,
    const LayerModel& model,
    Ui& ui,
    const std::function<void(int start, int iteration, double misfit)>&
        progress,
    const std::vector<RobustStart>& extra = {});

// The start read from the data: each free resistivity is the Bostick
// resistivity of the usable points whose Bostick depth lies within the
// layer (their geometric mean, else the curve read at the layer's middle),
// inside the layer's limits. Free thicknesses are multiplied by
// `depth_scale` (within their limits) first. False when fewer than two
// points are usable.
bool BostickStart(const FieldSet& set,
                  int used,
                  const LayerModel& model,
                  std::vector<double>& p,
                  double depth_scale = 1.0);

}  // namespace mtvuk
