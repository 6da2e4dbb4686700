#include "ui/graph/depth_graph.h"

#include <algorithm>
#include <cmath>

#include "core/depth/depth_transform.h"
#include "core/depth/depth_view_range.h"
#include "core/fielddata/sets_title.h"
#include "ui/graph/curve_graph.h"

namespace mtvuk {
namespace {

// Values at or below this log are the missing-value marker, not data.
constexpr double kMissingAbove = -13.0;
constexpr double kLogDepthTop = 1.0;  // m, top of a logarithmic depth axis

bool Present(double log_value) {
  return std::isfinite(log_value) && log_value > kMissingAbove;
}

void LogAxis(QCPAxis* axis) {
  axis->setScaleType(QCPAxis::stLogarithmic);
  axis->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
  axis->setNumberFormat("eb");
  axis->setNumberPrecision(0);
}

QCPRange Decades(double lo, double hi) {
  double a = std::pow(10.0, std::floor(std::log10(lo)));
  double b = std::pow(10.0, std::ceil(std::log10(hi)));
  if (b <= a * 1.0001) b = a * 10.0;
  return QCPRange(a, b);
}

}  // namespace

DepthGraph::DepthGraph(Workspace& workspace,
                       const FieldSets& sets,
                       const LayerModels& models,
                       QWidget* parent)
    : QCustomPlot(parent),
      workspace_(workspace),
      sets_(sets),
      models_(models),
      state_(workspace.depth) {
  setObjectName("depth_graph");
  setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  setMinimumSize(360, 320);
  plotLayout()->insertRow(0);
  title_ =
      new QCPTextElement(this, "", QFont(font().family(), 11, QFont::Bold));
  plotLayout()->addElement(0, 0, title_);
  legend->setFont(QFont(font().family(), 8));
  legend->setBrush(QBrush(QColor(255, 255, 255, 220)));
  axisRect()->insetLayout()->setInsetAlignment(0,
                                               Qt::AlignBottom | Qt::AlignLeft);
  // A range changed by dragging or the wheel is the user's zoom, which a
  // change of the sets keeps; the graph's own changes are guarded.
  for (QCPAxis* axis : {xAxis, yAxis}) {
    connect(
        axis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this] {
          if (!setting_ranges_) user_zoomed_ = true;
        });
  }
  Rebuild(true);
}

void DepthGraph::FollowData() {
  if (user_zoomed_) {
    Rebuild(false);
  } else {
    Rebuild(true);
  }
}

QString DepthGraph::Title() const { return title_->text(); }

QString DepthGraph::PictureTitle() const {
  std::array<bool, MaxSets> drawn{};
  for (int k = 0; k < MaxSets; ++k) {
    drawn[k] = sets_[k].smoothed && sets_[k].depth_switch >= 1;
  }
  return QString::fromStdString(SetsTitle(sets_, drawn));
}

void DepthGraph::RenderPicture(QCPPainter& painter, const QSize& size) {
  RenderPlot(*this, painter, size);
}

void DepthGraph::SetState(const DepthWindowSettings& state) {
  const bool axes_change =
      state.quantity != state_.quantity || state.log_depth != state_.log_depth;
  state_ = state;
  if (axes_change) user_zoomed_ = false;
  Rebuild(axes_change);
}

void DepthGraph::SetUpAxes() {
  const bool res = state_.quantity == DepthQuantity::kResistivity;
  title_->setText(res ? "RESISTIVITY  vs.  DEPTH" : "CONDUCTANCE  vs.  DEPTH");
  LogAxis(xAxis);
  xAxis->setLabel(res ? "Resistivity, Ohm-m" : "Conductance, S");
  if (state_.log_depth) {
    LogAxis(yAxis);
  } else {
    yAxis->setScaleType(QCPAxis::stLinear);
    yAxis->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
    yAxis->setNumberFormat("f");
    yAxis->setNumberPrecision(0);
  }
  yAxis->setRangeReversed(true);  // depth grows downwards
  yAxis->setLabel("Depth, m");
  for (QCPAxis* axis : {xAxis, yAxis}) {
    axis->grid()->setVisible(state_.grid != 0);
    axis->grid()->setSubGridVisible(state_.grid != 0);
    axis->grid()->setPen(QPen(QColor(190, 190, 190), 0, Qt::DotLine));
    axis->grid()->setSubGridPen(QPen(QColor(225, 225, 225), 0, Qt::DotLine));
  }
}

void DepthGraph::Rebuild(bool rescale) {
  const std::int32_t drawing = workspace_.graph_drawing;
  workspace_.graph_drawing = 1;
  clearPlottables();
  set_curves_.fill(nullptr);
  outlier_curves_.fill(nullptr);
  model_curves_.fill(nullptr);
  extra_curves_.fill(nullptr);
  design_curve_ = nullptr;
  setting_ranges_ = true;
  SetUpAxes();
  setting_ranges_ = false;
  if (state_.transformations) {
    for (int k = 0; k < MaxSets; ++k) AddFieldSet(k);
  }
  if (state_.extra && extra_source_) {
    for (int k = 0; k < MaxSets; ++k) AddExtra(k);
  }
  if (state_.models) {
    for (int k = 0; k < MaxModels; ++k) AddModel(k);
  }
  AddDesign();
  legend->setVisible(plottableCount() > 0);
  if (rescale) ResetView();
  replot();
  workspace_.graph_drawing = drawing;
}

QCPCurve* DepthGraph::AddProfile(const QVector<double>& depth,
                                 const QVector<double>& value,
                                 const QString& name) {
  auto* curve = new QCPCurve(xAxis, yAxis);
  QVector<double> t(depth.size());
  for (int i = 0; i < t.size(); ++i) t[i] = i;
  curve->setData(t, value, depth);
  curve->setName(name);
  return curve;
}

void DepthGraph::AddFieldSet(int k) {
  const FieldSet& s = sets_[k];
  if (s.in_use <= 0 || !s.smoothed || s.depth_switch < 1) return;
  const bool res = state_.quantity == DepthQuantity::kResistivity;
  QVector<double> depth, value;
  const int n = std::clamp(s.count, 0, MaxFreq);
  for (int i = 0; i < n; ++i) {
    const double v = res ? s.log_res[i] : s.log_s[i];
    const double d = -static_cast<double>(s.depth[i]);
    if (!Present(v) || !(d > 0.0) || !std::isfinite(d)) continue;
    depth.push_back(d);
    value.push_back(std::pow(10.0, v));
  }
  QCPCurve* c = AddProfile(
      depth,
      value,
      QString("set %1: %2").arg(k + 1).arg(QString::fromStdString(s.label)));
  const QColor colour = SetColour(k);
  c->setPen(QPen(colour, 1.0, Qt::DashLine));
  c->setScatterStyle(QCPScatterStyle(
      SetMarker(k), QPen(colour, 1.5), QBrush(colour.lighter(170)), 6));
  set_curves_[k] = c;
  // The points at periods the robust smoother down-weighted, hollow.
  QVector<double> od, ov;
  for (int i = 0; i < n; ++i) {
    const double v = res ? s.log_res[i] : s.log_s[i];
    const double d = -static_cast<double>(s.depth[i]);
    if (!s.smooth_outlier[i] || !Present(v) || !(d > 0.0)) continue;
    od.push_back(d);
    ov.push_back(std::pow(10.0, v));
  }
  outlier_curves_[k] = nullptr;
  if (od.isEmpty()) return;
  QCPCurve* o = AddProfile(od, ov, "");
  o->removeFromLegend();
  o->setLineStyle(QCPCurve::lsNone);
  o->setScatterStyle(QCPScatterStyle(
      QCPScatterStyle::ssCircle, QPen(colour, 1.5), QBrush(Qt::white), 9));
  outlier_curves_[k] = o;
}

void DepthGraph::AddModel(int k) {
  const LayerModel& m = models_[k];
  if (!m.shown || !m.curve.computed) return;
  const bool res = state_.quantity == DepthQuantity::kResistivity;
  const auto& p = m.depth_profile;
  QVector<double> depth, value;
  const int n = std::clamp<int>(m.curve.count, 0, MaxCurvePeriods);
  for (int i = 0; i < n; ++i) {
    const double v = res ? p.log_res[i] : p.log_s[i];
    const double d = -static_cast<double>(p.depth[i]);
    if (!Present(v) || !(d > 0.0) || !std::isfinite(d)) continue;
    depth.push_back(d);
    value.push_back(std::pow(10.0, v));
  }
  if (depth.isEmpty()) return;
  QCPCurve* c = AddProfile(
      depth,
      value,
      QString("model %1: %2").arg(k + 1).arg(QString::fromStdString(m.name)));
  c->setPen(ModelPen(k, workspace_));
  model_curves_[k] = c;
}

void DepthGraph::AddExtra(int k) {
  const FieldSet& s = sets_[k];
  ExtraProfile profile;
  if (s.in_use <= 0 || s.depth_switch < 1 || !extra_source_(k, profile)) {
    return;
  }
  const bool res = state_.quantity == DepthQuantity::kResistivity;
  const std::vector<double>& values = res ? profile.log_res : profile.log_s;
  QVector<double> depth, value;
  const std::size_t n = std::min(profile.depth.size(), values.size());
  for (std::size_t i = 0; i < n; ++i) {
    const double d = -profile.depth[i];
    if (!Present(values[i]) || !(d > 0.0) || !std::isfinite(d)) continue;
    depth.push_back(d);
    value.push_back(std::pow(10.0, values[i]));
  }
  if (!depth.isEmpty()) {
    QCPCurve* c = AddProfile(
        depth, value, QString("set %1: smooth inversion").arg(k + 1));
    c->setPen(QPen(SetColour(k), 2.0, Qt::DashDotLine));
    extra_curves_[k] = c;
  }
  if (!res) return;
  // The percentiles of a Bayesian inversion: the median solid, 5 and 95 %
  // thin, in the set's colour.
  const std::vector<double>* lines[] = {
      &profile.p05, &profile.p50, &profile.p95};
  for (int j = 0; j < 3; ++j) {
    QVector<double> p_depth, p_value;
    const std::size_t m =
        std::min(profile.percentile_depth.size(), lines[j]->size());
    for (std::size_t i = 0; i < m; ++i) {
      const double d = -profile.percentile_depth[i];
      const double v = (*lines[j])[i];
      if (!std::isfinite(v) || !(d > 0.0) || !std::isfinite(d)) continue;
      p_depth.push_back(d);
      p_value.push_back(std::pow(10.0, v));
    }
    if (p_depth.isEmpty()) continue;
    QCPCurve* c = AddProfile(
        p_depth,
        p_value,
        j == 1
            ? QString("set %1: Bayesian median").arg(k + 1)
            : QString("set %1: Bayesian %2 %").arg(k + 1).arg(j == 0 ? 5 : 95));
    c->setPen(j == 1 ? QPen(SetColour(k).darker(130), 2.0)
                     : QPen(SetColour(k).darker(130), 1.0, Qt::DashLine));
    if (j == 2) c->removeFromLegend();
    if (j == 0) c->setName(QString("set %1: Bayesian 5 and 95 %").arg(k + 1));
  }
}

void DepthGraph::AddDesign() {
  if (design_ == nullptr || design_->count() == 0) return;
  const bool res = state_.quantity == DepthQuantity::kResistivity;
  const double top = state_.log_depth ? kLogDepthTop : 0.0;
  QVector<double> depth, value;
  double above = top;
  for (int i = 0; i < design_->count(); ++i) {
    const DesignedPoint& p = design_->point(i);
    const double bottom = -p.depth;
    if (res) {
      // Each layer as a vertical stroke at its resistivity.
      const double rho = std::pow(10.0, p.log_res);
      depth << std::max(above, top) << bottom;
      value << rho << rho;
    } else {
      depth << bottom;
      value << std::pow(10.0, p.log_s);
    }
    above = bottom;
  }
  design_curve_ = AddProfile(depth, value, "designed model");
  design_curve_->setPen(QPen(Qt::black, 2.0));
  // The points the mouse grabs: the bottom of every layer.
  QVector<double> pd, pv;
  for (int i = 0; i < design_->count(); ++i) {
    const DesignedPoint& p = design_->point(i);
    pd << -p.depth;
    pv << std::pow(10.0, res ? p.log_res : p.log_s);
  }
  QCPCurve* marks = AddProfile(pd, pv, "");
  marks->removeFromLegend();
  marks->setLineStyle(QCPCurve::lsNone);
  marks->setScatterStyle(QCPScatterStyle(
      QCPScatterStyle::ssSquare, QPen(Qt::black, 1.5), QBrush(Qt::yellow), 8));
}

void DepthGraph::ResetView() {
  setting_ranges_ = true;
  user_zoomed_ = false;
  ResetRanges();
  setting_ranges_ = false;
  replot();
}

void DepthGraph::ResetRanges() {
  // Field sets: what their data resolve.
  const DepthViewRange view = DefaultDepthView(sets_, state_.quantity);
  if (state_.transformations && view.found) {
    xAxis->setRange(view.value_lo, view.value_hi);
    if (state_.log_depth) {
      yAxis->setRange(std::max(view.depth_top, kLogDepthTop),
                      view.depth_bottom);
    } else {
      const double deepest = view.depth_bottom;
      double d_hi = 0.0;
      for (QCPCurve* c : set_curves_) {
        if (c == nullptr) continue;
        for (auto it = c->data()->constBegin(); it != c->data()->constEnd();
             ++it) {
          if (std::isfinite(it->value)) d_hi = std::max(d_hi, it->value);
        }
      }
      if (!(d_hi > 0.0)) d_hi = deepest;
      const double step = std::pow(10.0, std::floor(std::log10(d_hi)));
      yAxis->setRange(0.0, std::ceil(d_hi * 1.05 / step) * step);
    }
    return;
  }
  double x_lo = HUGE_VAL, x_hi = -HUGE_VAL, d_lo = HUGE_VAL, d_hi = -HUGE_VAL;
  // The field data decide the ranges when they are drawn: model curves run
  // over their whole period grid, far below the measured depths.
  bool have_sets = false;
  for (QCPCurve* c : set_curves_)
    have_sets = have_sets || (c && !c->data()->isEmpty());
  for (int i = 0; i < plottableCount(); ++i) {
    auto* c = qobject_cast<QCPCurve*>(plottable(i));
    if (c == nullptr) continue;
    if (have_sets && std::find(set_curves_.begin(), set_curves_.end(), c) ==
                         set_curves_.end()) {
      continue;
    }
    for (auto it = c->data()->constBegin(); it != c->data()->constEnd(); ++it) {
      if (it->key > 0.0 && std::isfinite(it->key)) {
        x_lo = std::min(x_lo, it->key);
        x_hi = std::max(x_hi, it->key);
      }
      if (it->value > 0.0 && std::isfinite(it->value)) {
        d_lo = std::min(d_lo, it->value);
        d_hi = std::max(d_hi, it->value);
      }
    }
  }
  if (!(x_lo <= x_hi)) {
    x_lo = 1.0;
    x_hi = 1000.0;
  }
  if (!(d_lo <= d_hi)) {
    d_lo = 100.0;
    d_hi = 10000.0;
  }
  xAxis->setRange(Decades(x_lo, x_hi));
  if (state_.log_depth) {
    yAxis->setRange(Decades(std::max(d_lo, kLogDepthTop), d_hi));
  } else {
    // Down to a round number past the deepest point.
    const double step = std::pow(10.0, std::floor(std::log10(d_hi)));
    yAxis->setRange(0.0, std::ceil(d_hi * 1.05 / step) * step);
  }
}

std::array<double, 4> DepthGraph::Ranges() const {
  return {-yAxis->range().lower,
          -yAxis->range().upper,
          std::log10(xAxis->range().lower),
          std::log10(xAxis->range().upper)};
}

void DepthGraph::SetRanges(const std::array<double, 4>& r) {
  const bool given =
      std::all_of(
          r.begin(), r.end(), [](double v) { return std::isfinite(v); }) &&
      (r[0] != r[1]) && (r[2] < r[3]);
  if (!given || (state_.log_depth && !(-r[0] > 0.0 && -r[1] > 0.0))) {
    ResetView();
    return;
  }
  setting_ranges_ = true;
  yAxis->setRange(-r[0], -r[1]);
  xAxis->setRange(std::pow(10.0, r[2]), std::pow(10.0, r[3]));
  setting_ranges_ = false;
  replot();
}

bool DepthGraph::PixelToValue(QPointF pixel,
                              double& depth,
                              double& log_value) const {
  if (!axisRect()->rect().contains(pixel.toPoint())) return false;
  const double x = xAxis->pixelToCoord(pixel.x());
  const double y = yAxis->pixelToCoord(pixel.y());
  if (!(x > 0.0) || !std::isfinite(y)) return false;
  depth = -y;
  log_value = std::log10(x);
  return true;
}

QPointF DepthGraph::ValueToPixel(double depth, double log_value) const {
  return {xAxis->coordToPixel(std::pow(10.0, log_value)),
          yAxis->coordToPixel(-depth)};
}

double DepthGraph::DeepestVisible() const {
  return -std::max(yAxis->range().lower, yAxis->range().upper);
}

void DepthGraph::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!(interactions() & QCP::iRangeDrag)) return;  // design mode
  ResetView();
  QCustomPlot::mouseDoubleClickEvent(event);
}

}  // namespace mtvuk
