// The depth graph: Res(h) or S(h) profiles of the field sets and models
// against depth, with the points of a model being designed.
#pragma once

#include <qcustomplot.h>

#include <array>
#include <functional>
#include <vector>

#include "core/depth/designed_model.h"
#include "core/store/workspace.h"
#include "ui/graph/graph_picture.h"

namespace mtvuk {

// A profile that another part of the program computed for a field set
// (for instance a smooth inversion), drawn beside the transformation while
// the graph's extra switch ("&0") is on. Depths in m (negative), values as
// log10 of Ohm-m and S; -14 marks a missing value.
struct ExtraProfile {
  std::vector<double> depth;
  std::vector<double> log_res;
  std::vector<double> log_s;
  // The 5, 50 and 95 % percentiles of log10 resistivity of a Bayesian
  // inversion against depth (m, negative); drawn with the resistivity only.
  std::vector<double> percentile_depth;
  std::vector<double> p05, p50, p95;
};
// Fills `profile` for field set k and returns true when the set has one.
using ExtraProfileSource = std::function<bool(int k, ExtraProfile& profile)>;

class DepthGraph : public QCustomPlot, public GraphPicture {
  Q_OBJECT

 public:
  DepthGraph(Workspace& workspace,
             const FieldSets& sets,
             const LayerModels& models,
             QWidget* parent = nullptr);

  // What is drawn: the switches, the quantity and the depth axis.
  void SetState(const DepthWindowSettings& state);
  const DepthWindowSettings& state() const { return state_; }
  // The points of design mode, drawn when given (nullptr: none).
  void SetDesign(const DepthDesign* design) { design_ = design; }
  void SetExtraProfileSource(ExtraProfileSource source) {
    extra_source_ = std::move(source);
  }

  // Redraws from the stores; the axes follow the data when `rescale`.
  void Rebuild(bool rescale = true);
  void ResetView();
  // The sets changed: the axes follow the data unless the user zoomed.
  void FollowData();
  bool UserZoomed() const { return user_zoomed_; }
  // The visible ranges (depth m negative, values log10), and back.
  std::array<double, 4> Ranges() const;
  void SetRanges(const std::array<double, 4>& ranges);

  // Pixel <-> (depth in m, negative; log10 of the quantity).
  bool PixelToValue(QPointF pixel, double& depth, double& log_value) const;
  QPointF ValueToPixel(double depth, double log_value) const;
  QRect PlotArea() const { return axisRect()->rect(); }
  // The deepest depth (m, negative) the visible depth axis shows.
  double DeepestVisible() const;

  QCPCurve* SetCurve(int k) const { return set_curves_[k]; }
  // The hollow marks of the points the robust smoother down-weighted.
  QCPCurve* OutlierCurve(int k) const { return outlier_curves_[k]; }
  QCPCurve* ModelCurve(int k) const { return model_curves_[k]; }
  QCPCurve* ExtraCurve(int k) const { return extra_curves_[k]; }
  QCPCurve* DesignCurve() const { return design_curve_; }
  QString Title() const;

  // Printing and pictures: the stations and modes of the profiles drawn.
  QString PictureTitle() const override;
  QSize PictureSize() const override { return size(); }
  void RenderPicture(QCPPainter& painter, const QSize& size) override;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void SetUpAxes();
  void ResetRanges();
  QCPCurve* AddProfile(const QVector<double>& depth,
                       const QVector<double>& value,
                       const QString& name);
  void AddFieldSet(int k);
  void AddModel(int k);
  void AddExtra(int k);
  void AddDesign();

  Workspace& workspace_;
  const FieldSets& sets_;
  const LayerModels& models_;
  DepthWindowSettings state_;
  const DepthDesign* design_ = nullptr;
  ExtraProfileSource extra_source_;
  std::array<QCPCurve*, MaxSets> set_curves_{};
  std::array<QCPCurve*, MaxSets> outlier_curves_{};
  bool user_zoomed_ = false;
  bool setting_ranges_ = false;
  std::array<QCPCurve*, MaxModels> model_curves_{};
  std::array<QCPCurve*, MaxSets> extra_curves_{};
  QCPCurve* design_curve_ = nullptr;
  QCPTextElement* title_ = nullptr;
};

}  // namespace mtvuk
