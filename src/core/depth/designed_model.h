// Designing a layered model with the mouse in the depth window, and the
// dialog "Set designed model" that hands it to one of the six models.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

inline constexpr int kMaxDesignedPoints = MaxLayers;
inline constexpr double kMinLayerConductance = 1e-5;  // S

// One designed layer, from the surface downwards: its bottom at `depth`.
struct DesignedPoint {
  double depth = 0.0;        // m, negative downwards
  double log_res = 0.0;      // log10 Ohm-m of the layer
  double thickness = 0.0;    // m
  double conductance = 0.0;  // S, cumulative down to the point
  double log_s = 0.0;
};

// The points of design mode and the rules by which the mouse changes them.
class DepthDesign {
 public:
  int count() const { return count_; }
  const DesignedPoint& point(int i) const { return points_[i]; }
  void Clear() { count_ = 0; }

  // A click at `depth` (m, negative) and the horizontal log10 value of
  // `quantity`: appends a point below the last. Nothing is added when the
  // click is not deeper than the last point, when 16 points exist, or (S(h))
  // when the conductance does not grow.
  bool Add(double depth, double log_value, DepthQuantity quantity);
  // The depths between which point i may be dragged (exclusive): its
  // neighbours, the surface above the first point.
  std::pair<double, double> DragLimits(int i, double deepest) const;
  // Moves point i (kept between its neighbours) and recomputes the layers
  // as adding does.
  void Move(int i, double depth, double log_value, DepthQuantity quantity);
  // The right button: the last point goes; nothing happens without points.
  void RemoveLast();

  // Writes the points into the designed model of the workspace: every
  // layer first takes the last point's resistivity and 100 km, then each
  // point its own layer; the last layer's thickness is 100 km.
  void Transfer(DesignedModel& model) const;

 private:
  // Thicknesses and conductances from the depths and the quantity's values.
  void Recompute(DepthQuantity quantity);

  std::array<DesignedPoint, kMaxDesignedPoints> points_{};
  int count_ = 0;
};

// The short text in which "Set designed model" shows a value: a format by
// its magnitude, cut to a fixed number of characters.
std::string DesignedModelText(double value);
// That text read back.
double DesignedModelRounding(double value);

// The logic of "Set designed model".
class DesignedModelDialogLogic {
 public:
  static constexpr int kRows = MaxLayers;
  static constexpr int kThicknessRows = MaxLayers - 1;

  // The cells show the workspace's designed model, rounded; the target is
  // the current model.
  DesignedModelDialogLogic(Workspace& workspace, LayerModels& models, Ui& ui);

  std::array<double, kRows> resistivity{};
  std::array<double, kThicknessRows> thickness{};
  int target = 0;

  // The accepted range of a cell.
  static std::pair<double, double> ResistivityRange(int row);  // 0-based
  static std::pair<double, double> ThicknessRange(int row);
  // The first cell out of range (resistivities 0..15, thicknesses 16..30)
  // and the message, or nothing.
  std::optional<std::pair<int, std::string>> Validate() const;
  // OK: stores the layers into the target model, makes it current, counts
  // its layers and tells the model editor or the view. False (nothing
  // stored) when a cell is out of range.
  bool Apply();

 private:
  Workspace& workspace_;
  LayerModels& models_;
  Ui& ui_;
};

// The logic of the depth window's switches and design commands.
class DepthWindowLogic {
 public:
  DepthWindowLogic(Workspace& workspace, Ui& ui);

  DepthWindowSettings state;  // copied from the workspace on opening
  bool design = false;
  DepthDesign points;

  // A click on either button of the radio pair: the quantity always flips.
  void ClickQuantity();
  // "&Design": returns true when "Set designed model" is to be opened.
  bool PressDesign();
  // "S&et model", "&Set Model": true when the dialog is to be opened.
  bool SetModel();
  // Closing: the state goes back into the workspace.
  void StoreState();

 private:
  Workspace& workspace_;
  Ui& ui_;
};

}  // namespace mtvuk
