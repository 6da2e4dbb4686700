// The curve graph of the main view: field sets and model curves against
// period, as apparent resistivity, phase, or real or imaginary impedance.
#pragma once

#include <qcustomplot.h>

#include <array>

#include "core/store/workspace.h"

namespace mtvuk {

enum class Quantity { kResistivity, kPhase, kRealZ, kImagZ };

struct GraphOptions {
  Quantity quantity = Quantity::kResistivity;
  bool absolute = true;  // magnitudes (log axis) instead of signed values
  bool errors = true;    // error bars of the field sets
  bool legend = true;    // legend with the set and model labels
  bool grid = true;
  bool lines = false;  // join the points of a field set
  bool models = true;  // draw the model curves
};

// Colours of field set k and model k (they belong together).
QColor SetColour(int k);
// Marker of field set k (sets differ by shape as well as colour).
QCPScatterStyle::ScatterShape SetMarker(int k);
// The legend text of model k: "model k: NAME", with " (start)" for a model
// attached to a set but not fitted yet and " (fitted)" once a fit has run.
QString ModelLegend(const LayerModel& model, int k);
// The model pens: coloured, or all black when the colour flag is off.
QPen ModelPen(int k, const Workspace& workspace);

class CurveGraph : public QCustomPlot {
  Q_OBJECT

 public:
  CurveGraph(Workspace& workspace,
             const FieldSets& sets,
             const LayerModels& models,
             QWidget* parent = nullptr);

  const GraphOptions& options() const { return options_; }
  void SetOptions(const GraphOptions& options);
  // Shows or hides field set k (its keyboard switch).
  void SetSetVisible(int k, bool visible);
  bool set_visible(int k) const { return set_visible_[k]; }

  // Redraws from the stores; the axes follow the data when `rescale`.
  void Rebuild(bool rescale = true);
  // Back to the ranges of the data after zooming and panning.
  void ResetView();

  // The plottables of a set or model, or nullptr when not drawn.
  QCPGraph* SetGraph(int k) const { return set_graphs_[k]; }
  QCPErrorBars* SetErrorBars(int k) const { return set_bars_[k]; }
  QCPGraph* ModelGraph(int k) const { return model_graphs_[k]; }
  // The smoothed curve of set k (Res(T)) or its phase from the resistivity
  // (Phs(T)), or nullptr.
  QCPGraph* SmoothedGraph(int k) const { return smoothed_graphs_[k]; }
  QString Title() const;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void SetUpAxes();
  void AddFieldSet(int k);
  void AddModel(int k);
  void AddSmoothed(int k);

  Workspace& workspace_;
  const FieldSets& sets_;
  const LayerModels& models_;
  GraphOptions options_;
  std::array<bool, MaxSets> set_visible_{true, true, true, true, true, true};
  std::array<QCPGraph*, MaxSets> set_graphs_{};
  std::array<QCPErrorBars*, MaxSets> set_bars_{};
  std::array<QCPGraph*, MaxModels> model_graphs_{};
  std::array<QCPGraph*, MaxSets> smoothed_graphs_{};
  QCPTextElement* title_ = nullptr;
  QCPRange data_x_{1e-3, 1e4};
  QCPRange data_y_{1, 1000};
};

}  // namespace mtvuk
