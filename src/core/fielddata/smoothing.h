// Smoothing of field curves: a weighted least-squares cubic spline in log10
// apparent resistivity against log10 period, its values and bounded slopes,
// and a phase derived from the resistivity curve (Weidelt 1972).
#pragma once

#include <array>
#include <functional>

#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

inline constexpr char kSplineFitCaption[] =
    "ERROR in SPLINE <E02BAF-1st subroutine>";
inline constexpr char kSplineEvalCaption[] =
    "ERROR in SPLINE <E02BCF -2-d subroutine>";

// What one smoothing run uses.
struct SmoothingOptions {
  double tension_percent = 32.0 * 100.0 / 126.0;  // marker position, % of bar
  bool ignore_errors = false;
  Smoother smoother = Smoother::kRobust;
  // The robust smoother takes its smoothness from the tension marker only
  // when this is set; the weighted spline always does.
  bool tension_by_hand = false;

  static SmoothingOptions From(const Workspace& workspace);
  // The workspace's settings with the smoother `set` was smoothed with.
  static SmoothingOptions ForSet(const Workspace& workspace,
                                 const FieldSet& set);
};

// The name of a smoother in the command line and JSON: "classic", "robust".
const char* SmootherName(Smoother smoother);
// Its caption in the "Smoothing" window.
const char* SmootherCaption(Smoother smoother);

// The tension in percent of the bar from the workspace's marker position.
double TensionPercent(const SmoothingSettings& settings);

// Knots (entries of the knot vector, ncap7) for n points: more knots follow
// the curve more closely; at least 8 (a single cubic), at most n.
int KnotCount(double tension_percent, int n);

// Bounds a slope below 0.9 in magnitude, nearly unchanged when small.
double BoundedSlope(double m);

// The count less the trailing points whose point-use flag is 0, within
// 2..100.
int EffectiveCount(const FieldSet& set);

// Fits the spline to the set's first effective_count points and stores the
// smoothed values (and their copy), the bounded slopes and the effective
// count. A refused fit is reported through `ui` and leaves -14 and slope 0.
bool SmoothFieldSet(FieldSet& set, const SmoothingOptions& options, Ui& ui);

// "Res->Phs": the phase of every point from the resistivity curve,
// pi/4 - omega I / pi with I the integral of
// ln(rho(omega) / rho(x)) / (x^2 - omega^2) over x from omega / 200 to
// 200 omega, on the spline of ln rho against ln omega. Degrees; -100 where
// not computed.
void PhaseFromResistivity(FieldSet& set,
                          const SmoothingOptions& options,
                          Ui& ui);

// "Res->Phs" with the chosen smoother's curve.
void DerivePhaseFromResistivity(FieldSet& set,
                                const SmoothingOptions& options,
                                Ui& ui);

// Smooths one marked set as the smoothing request does: marks it smoothed,
// resets its working arrays (-12 beyond the fitted points) and fits it with
// the chosen smoother, which the set then remembers.
bool SmoothMarkedSet(Workspace& workspace,
                     FieldSet& set,
                     const SmoothingOptions& options,
                     Ui& ui);

// The smoothing request: effective counts of all six sets, then every set
// that is in use and marked is smoothed. `repaint` is called before and
// after each smoothed set (the view shows the progress).
void RunSmoothingRequest(Workspace& workspace,
                         FieldSets& sets,
                         Ui& ui,
                         const std::function<void()>& repaint = {});

// The logic of the "Smoothing" window.
class SmoothingWindowLogic {
 public:
  SmoothingWindowLogic(Workspace& workspace, FieldSets& sets, Ui& ui);

  // A click on the rectangle of slot k: marks it or takes the mark away;
  // slots without a curve do not react. Returns whether it changed.
  bool ToggleSlot(int k);
  // "&A": marks every slot that holds a curve.
  void MarkAll();
  // A click at `offset` pixels from the left of the bar of `width` pixels:
  // from then on the marker sets the smoothness.
  void SetTension(int offset, int width);
  // The robust smoother takes its smoothness from the data again.
  void SetTensionFromData() { tension_by_hand = false; }

  bool ignore_errors = false;
  bool res_to_phase = false;
  bool limited = false;  // the hidden "&Limited"
  Smoother smoother = Smoother::kRobust;
  bool tension_by_hand = false;  // the marker was moved
  int tension_position = 32;
  int tension_width = 126;

  // "OK": false when nothing happened (a graph is drawn, or no slot is
  // marked: the user was told).
  bool Apply();
  // Close or Cancel: every mark becomes -1 and the frame is told.
  void Close();

 private:
  Workspace& workspace_;
  FieldSets& sets_;
  Ui& ui_;
};

}  // namespace mtvuk
