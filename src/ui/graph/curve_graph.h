// The curve graph of the main view: field sets and model curves against
// period, as apparent resistivity, phase, or real or imaginary impedance.
#pragma once

#include <qcustomplot.h>

#include <array>

#include "core/fielddata/field_editing.h"
#include "core/store/workspace.h"
#include "ui/graph/graph_picture.h"

namespace mtvuk {

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

class CurveGraph : public QCustomPlot, public GraphPicture {
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
  // The switched-off points of set k (hollow, grey), or nullptr.
  QCPGraph* OffGraph(int k) const { return off_graphs_[k]; }
  // The D+ curve ("1-D bound") of set k, or nullptr.
  QCPGraph* BoundGraph(int k) const { return bound_graphs_[k]; }
  QString Title() const;

  // The point of set k drawn nearest to `pixel`, within `radius` pixels;
  // -1 when none is. Switched-off points count too.
  int NearestPoint(int k, QPointF pixel, double radius) const;
  // The same over every set drawn, the set in `set`.
  int PointUnder(QPointF pixel, double radius, int* set) const;
  // Where point i of set k is drawn, pixels of the graph.
  QPointF PointPixel(int k, int i) const;
  // The value of the quantity shown at the height of `pixel`.
  double ValueAt(QPointF pixel) const { return yAxis->pixelToCoord(pixel.y()); }

  // Printing and pictures: the stations and modes of the sets drawn.
  QString PictureTitle() const override;
  QSize PictureSize() const override { return size(); }
  void RenderPicture(QCPPainter& painter, const QSize& size) override;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void SetUpAxes();
  void AddFieldSet(int k);
  void AddModel(int k);
  void AddSmoothed(int k);
  // The point of set k nearest to `pixel` within `distance`, which becomes
  // its distance; -1 when none is.
  int Nearest(int k, QPointF pixel, double& distance) const;

  Workspace& workspace_;
  const FieldSets& sets_;
  const LayerModels& models_;
  GraphOptions options_;
  std::array<bool, MaxSets> set_visible_{true, true, true, true, true, true};
  std::array<QCPGraph*, MaxSets> set_graphs_{};
  std::array<QCPErrorBars*, MaxSets> set_bars_{};
  std::array<QCPGraph*, MaxModels> model_graphs_{};
  std::array<QCPGraph*, MaxSets> smoothed_graphs_{};
  std::array<QCPGraph*, MaxSets> off_graphs_{};
  std::array<QCPGraph*, MaxSets> bound_graphs_{};
  QCPTextElement* title_ = nullptr;
  QCPRange data_x_{1e-3, 1e4};
  QCPRange data_y_{1, 1000};
};

}  // namespace mtvuk
