#include "ui/graph/curve_graph.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/fielddata/sets_title.h"
#include "ui/dimensionality/graph_overlays.h"

namespace mtvuk {
namespace {

const char* const kTitles[] = {
    "APPARENT  RESISTIVITY", "PHASE", "REAL IMPEDANCE", "IMAGINARY IMPEDANCE"};

const QCPScatterStyle::ScatterShape kShapes[MaxSets] = {
    QCPScatterStyle::ssCircle,
    QCPScatterStyle::ssSquare,
    QCPScatterStyle::ssTriangle,
    QCPScatterStyle::ssDiamond,
    QCPScatterStyle::ssTriangleInverted,
    QCPScatterStyle::ssCrossCircle};

bool LogScale(const GraphOptions& o) {
  return o.quantity != Quantity::kPhase && o.absolute;
}

// Grows a range to include v.
void Include(QCPRange& r, bool& empty, double v) {
  if (!std::isfinite(v)) return;
  if (empty) {
    r = QCPRange(v, v);
    empty = false;
  } else {
    r.lower = std::min(r.lower, v);
    r.upper = std::max(r.upper, v);
  }
}

// Whole decades around a positive range.
QCPRange Decades(QCPRange r) {
  double lo = std::pow(10.0, std::floor(std::log10(r.lower)));
  double hi = std::pow(10.0, std::ceil(std::log10(r.upper)));
  if (hi <= lo * 1.0001) hi = lo * 10.0;
  return QCPRange(lo, hi);
}

}  // namespace

QColor SetColour(int k) {
  static const QColor kColours[MaxSets] = {QColor(255, 0, 0),
                                           QColor(0, 170, 0),
                                           QColor(0, 0, 255),
                                           QColor(127, 0, 0),
                                           QColor(255, 0, 255),
                                           QColor(0, 0, 0)};
  return kColours[k];
}

QCPScatterStyle::ScatterShape SetMarker(int k) { return kShapes[k]; }

QString ModelLegend(const LayerModel& model, int k) {
  QString text = QString("model %1: %2")
                     .arg(k + 1)
                     .arg(QString::fromStdString(model.name).trimmed());
  // Loading a set names its model after the set; until a fit has run the
  // model is the start model, not a result.
  if (model.fitted_set >= 0) {
    text += " (fitted)";
  } else if (model.attached_set >= 0) {
    text += " (start)";
  }
  return text;
}

QPen ModelPen(int k, const Workspace& workspace) {
  QPen pen(workspace.colour_flag ? SetColour(k) : QColor(Qt::black));
  pen.setWidthF(std::max(1, workspace.pen_width));
  return pen;
}

CurveGraph::CurveGraph(Workspace& workspace,
                       const FieldSets& sets,
                       const LayerModels& models,
                       QWidget* parent)
    : QCustomPlot(parent), workspace_(workspace), sets_(sets), models_(models) {
  setObjectName("curve_graph");
  setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  setMinimumSize(420, 320);
  plotLayout()->insertRow(0);
  title_ = new QCPTextElement(
      this, kTitles[0], QFont(font().family(), 11, QFont::Bold));
  plotLayout()->addElement(0, 0, title_);
  legend->setFont(QFont(font().family(), 8));
  legend->setBrush(QBrush(QColor(255, 255, 255, 220)));
  axisRect()->insetLayout()->setInsetAlignment(0,
                                               Qt::AlignTop | Qt::AlignRight);
  xAxis->setLabel("Period, s");
  Rebuild(true);
}

QString CurveGraph::Title() const { return title_->text(); }

void CurveGraph::SetOptions(const GraphOptions& options) {
  const bool axes_change = options.quantity != options_.quantity ||
                           options.absolute != options_.absolute;
  options_ = options;
  Rebuild(axes_change);
}

void CurveGraph::SetSetVisible(int k, bool visible) {
  set_visible_[k] = visible;
  Rebuild(false);
}

void CurveGraph::SetUpAxes() {
  const Quantity q = options_.quantity;
  title_->setText(kTitles[static_cast<int>(q)]);
  auto log_axis = [](QCPAxis* axis) {
    axis->setScaleType(QCPAxis::stLogarithmic);
    axis->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
    axis->setNumberFormat("eb");
    axis->setNumberPrecision(0);
  };
  auto linear_axis = [](QCPAxis* axis) {
    axis->setScaleType(QCPAxis::stLinear);
    axis->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
    axis->setNumberFormat("gb");
    axis->setNumberPrecision(6);
  };
  log_axis(xAxis);
  if (LogScale(options_)) {
    log_axis(yAxis);
  } else if (q == Quantity::kPhase) {
    // Phases read best in steps of 15 degrees (45 is the half-space).
    auto ticker = QSharedPointer<QCPAxisTickerFixed>(new QCPAxisTickerFixed);
    ticker->setTickStep(15.0);
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    yAxis->setScaleType(QCPAxis::stLinear);
    yAxis->setTicker(ticker);
    yAxis->setNumberFormat("f");
    yAxis->setNumberPrecision(0);
  } else {
    linear_axis(yAxis);
  }
  yAxis->setLabel(q == Quantity::kResistivity ? "Ohm-m"
                  : q == Quantity::kPhase     ? "Degree"
                                              : "mV/km/nT");
  for (QCPAxis* axis : {xAxis, yAxis}) {
    axis->grid()->setVisible(options_.grid);
    axis->grid()->setSubGridVisible(options_.grid);
    axis->grid()->setPen(QPen(QColor(190, 190, 190), 0, Qt::DotLine));
    axis->grid()->setSubGridPen(QPen(QColor(225, 225, 225), 0, Qt::DotLine));
  }
}

void CurveGraph::Rebuild(bool rescale) {
  workspace_.graph_drawing = 1;
  clearPlottables();
  set_graphs_.fill(nullptr);
  set_bars_.fill(nullptr);
  model_graphs_.fill(nullptr);
  smoothed_graphs_.fill(nullptr);
  off_graphs_.fill(nullptr);
  SetUpAxes();
  for (int k = 0; k < MaxSets; ++k) AddFieldSet(k);
  for (int k = 0; k < MaxSets; ++k) AddSmoothed(k);
  if (options_.models) {
    for (int k = 0; k < MaxModels; ++k) AddModel(k);
  }
  clearItems();
  bound_graphs_ = AddDimensionalityOverlays(
      *this, sets_, set_visible_, options_.quantity, workspace_.dimensionality);
  legend->setVisible(options_.legend && plottableCount() > 0);
  if (rescale) ResetView();
  replot();
  workspace_.graph_drawing = 0;
}

void CurveGraph::AddFieldSet(int k) {
  const FieldSet& s = sets_[k];
  if (s.in_use <= 0 || !set_visible_[k]) return;
  struct Point {
    double x, y, minus, plus;
  };
  std::vector<Point> points;
  QVector<double> off_x, off_y;
  const int count = std::clamp(s.count, 0, MaxFreq);
  for (int i = 0; i < count; ++i) {
    const PointDisplay d =
        DisplayOf(s, i, options_.quantity, options_.absolute);
    if (!d.drawable) continue;
    if (PointOff(s, i)) {
      off_x.push_back(d.period);
      off_y.push_back(d.value);
      continue;
    }
    points.push_back({d.period, d.value, d.minus, d.plus});
  }
  // The graph keeps its points in the order of the period and its error
  // bars go with them by index: files that list frequencies upwards must
  // not get the bars of the reversed points.
  std::stable_sort(points.begin(),
                   points.end(),
                   [](const Point& a, const Point& b) { return a.x < b.x; });
  QVector<double> x, y, minus, plus;
  for (const Point& p : points) {
    x.push_back(p.x);
    y.push_back(p.y);
    minus.push_back(p.minus);
    plus.push_back(p.plus);
  }
  QCPGraph* g = addGraph();
  const QColor colour = SetColour(k);
  // The set being edited shows larger markers.
  const double marker = workspace_.edit_marker == k ? 10 : 7;
  QString name =
      QString("set %1: %2").arg(k + 1).arg(QString::fromStdString(s.label));
  // A static shift is part of what the curve shows.
  if (s.static_shift != 1.0f) {
    name += QString(" (rho x %1)")
                .arg(static_cast<double>(s.static_shift), 0, 'g', 4);
  }
  g->setName(name);
  g->setData(x, y, true);
  g->setLineStyle(options_.lines ? QCPGraph::lsLine : QCPGraph::lsNone);
  g->setPen(QPen(colour, 1.0, Qt::DashLine));
  g->setScatterStyle(QCPScatterStyle(
      kShapes[k], QPen(colour, 1.5), QBrush(colour.lighter(170)), marker));
  set_graphs_[k] = g;
  if (options_.errors) {
    auto* bars = new QCPErrorBars(xAxis, yAxis);
    bars->removeFromLegend();
    bars->setDataPlottable(g);
    bars->setData(minus, plus);
    QColor bar_colour = colour;
    bar_colour.setAlpha(150);
    bars->setPen(QPen(bar_colour, 1.0));
    bars->setWhiskerWidth(5);
    set_bars_[k] = bars;
  }
  if (!off_x.isEmpty()) {
    // Switched-off points stay visible, hollow and grey, so that they can
    // be switched on again.
    QCPGraph* off = addGraph();
    off->removeFromLegend();
    off->setData(off_x, off_y);
    off->setLineStyle(QCPGraph::lsNone);
    off->setScatterStyle(QCPScatterStyle(
        kShapes[k], QPen(QColor(140, 140, 140), 1.5), Qt::NoBrush, marker));
    off_graphs_[k] = off;
  }
}

int CurveGraph::NearestPoint(int k, QPointF pixel, double radius) const {
  double distance = radius;
  return Nearest(k, pixel, distance);
}

int CurveGraph::Nearest(int k, QPointF pixel, double& distance) const {
  if (k < 0 || k >= MaxSets) return -1;
  const FieldSet& s = sets_[k];
  if (s.in_use <= 0 || !set_visible_[k]) return -1;
  int best = -1;
  const int count = std::clamp(s.count, 0, MaxFreq);
  for (int i = 0; i < count; ++i) {
    const PointDisplay d =
        DisplayOf(s, i, options_.quantity, options_.absolute);
    if (!d.drawable) continue;
    const double dx = xAxis->coordToPixel(d.period) - pixel.x();
    const double dy = yAxis->coordToPixel(d.value) - pixel.y();
    const double here = std::hypot(dx, dy);
    if (here <= distance) {
      best = i;
      distance = here;
    }
  }
  return best;
}

QPointF CurveGraph::PointPixel(int k, int i) const {
  const PointDisplay d =
      DisplayOf(sets_[k], i, options_.quantity, options_.absolute);
  return {xAxis->coordToPixel(d.period), yAxis->coordToPixel(d.value)};
}

int CurveGraph::PointUnder(QPointF pixel, double radius, int* set) const {
  int best = -1;
  double distance = radius;
  for (int k = 0; k < MaxSets; ++k) {
    const int i = Nearest(k, pixel, distance);
    if (i < 0) continue;
    best = i;
    if (set != nullptr) *set = k;
  }
  return best;
}

QString CurveGraph::PictureTitle() const {
  std::array<bool, MaxSets> shown{};
  for (int k = 0; k < MaxSets; ++k) shown[k] = set_visible_[k];
  return QString::fromStdString(SetsTitle(sets_, shown));
}

void CurveGraph::RenderPicture(QCPPainter& painter, const QSize& size) {
  RenderPlot(*this, painter, size);
}

void CurveGraph::AddSmoothed(int k) {
  const FieldSet& s = sets_[k];
  const Quantity q = options_.quantity;
  if (s.in_use <= 0 || !set_visible_[k] || !s.smoothed ||
      (q != Quantity::kResistivity && q != Quantity::kPhase)) {
    return;
  }
  QVector<double> x, y;
  const int count = std::clamp(s.count, 0, MaxFreq);
  for (int i = 0; i < count; ++i) {
    double v = 0.0;
    if (q == Quantity::kResistivity) {
      // -12 and -14 mark points without a smoothed value.
      if (!(s.smoothed_log_rho[i] > -11.5f)) continue;
      v = std::pow(10.0, s.smoothed_log_rho[i]);
    } else {
      if (!(s.phase_from_rho[i] >= 0.0f)) continue;  // -100: not computed
      v = s.phase_from_rho[i];
    }
    if (!std::isfinite(v) || !(s.freq[i] > 0.0f)) continue;
    x.push_back(1.0 / s.freq[i]);
    y.push_back(v);
  }
  if (x.isEmpty()) return;
  QCPGraph* g = addGraph();
  g->setName(
      QString("set %1: %2")
          .arg(k + 1)
          .arg(q == Quantity::kResistivity ? "smoothed" : "phase from Res"));
  g->setData(x, y);
  g->setLineStyle(QCPGraph::lsLine);
  g->setPen(
      QPen(SetColour(k).darker(120),
           2.0,
           q == Quantity::kResistivity ? Qt::SolidLine : Qt::DashDotLine));
  smoothed_graphs_[k] = g;
  if (q != Quantity::kPhase) return;
  // Phases within half a decade of a band end rest partly on the continued
  // curve: hollow marks say they are less reliable.
  QVector<double> wx, wy;
  for (int i = 0; i < count; ++i) {
    if (!s.phase_from_rho_weak[i] || !(s.phase_from_rho[i] >= 0.0f) ||
        !(s.freq[i] > 0.0f)) {
      continue;
    }
    wx.push_back(1.0 / s.freq[i]);
    wy.push_back(s.phase_from_rho[i]);
  }
  if (wx.isEmpty()) return;
  QCPGraph* weak = addGraph();
  weak->removeFromLegend();
  weak->setData(wx, wy);
  weak->setLineStyle(QCPGraph::lsNone);
  weak->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle,
                                        QPen(SetColour(k).darker(120), 1.5),
                                        QBrush(Qt::white),
                                        7));
}

void CurveGraph::AddModel(int k) {
  const LayerModel& m = models_[k];
  const ModelCurve& c = m.curve;
  if (!m.shown || !c.computed || c.count <= 0) return;
  const Quantity q = options_.quantity;
  const bool log_y = LogScale(options_);
  QVector<double> x, y;
  for (int i = 0; i < c.count; ++i) {
    const double phase = c.phase[i];
    double v = 0.0;
    switch (q) {
      case Quantity::kResistivity:
        v = std::pow(10.0, c.log_rho[i]);
        break;
      case Quantity::kPhase:
        v = options_.absolute ? std::fabs(phase) : phase;
        break;
      case Quantity::kRealZ:
        v = std::pow(10.0, c.log_re_z[i]);
        if (!options_.absolute && std::cos(phase * M_PI / 180.0) < 0) v = -v;
        break;
      case Quantity::kImagZ:
        v = std::pow(10.0, c.log_im_z[i]);
        if (!options_.absolute && std::sin(phase * M_PI / 180.0) < 0) v = -v;
        break;
    }
    if (!std::isfinite(v) || (log_y && !(v > 0.0))) continue;
    x.push_back(std::pow(10.0, c.log_period[i]));
    y.push_back(v);
  }
  QCPGraph* g = addGraph();
  g->setName(ModelLegend(m, k));
  g->setData(x, y);
  g->setPen(ModelPen(k, workspace_));
  g->setLineStyle(QCPGraph::lsLine);
  model_graphs_[k] = g;
}

void CurveGraph::ResetView() {
  QCPRange rx, ry;
  bool empty_x = true, empty_y = true;
  for (int i = 0; i < graphCount(); ++i) {
    for (auto it = graph(i)->data()->constBegin();
         it != graph(i)->data()->constEnd();
         ++it) {
      Include(rx, empty_x, it->key);
      Include(ry, empty_y, it->value);
    }
  }
  // The whole error bars lie inside the frame, not only their points.
  for (int k = 0; k < MaxSets; ++k) {
    if (set_bars_[k] == nullptr || set_graphs_[k] == nullptr) continue;
    const auto& points = *set_graphs_[k]->data();
    const auto& bars = *set_bars_[k]->data();
    for (int i = 0; i < points.size() && i < bars.size(); ++i) {
      const double v = points.at(i)->value;
      Include(ry, empty_y, v + bars.at(i).errorPlus);
      Include(ry, empty_y, v - bars.at(i).errorMinus);
    }
  }
  const bool log_y = LogScale(options_);
  if (empty_x) rx = QCPRange(1e-3, 1e4);
  xAxis->setRange(Decades(rx));
  if (options_.quantity == Quantity::kPhase) {
    if (empty_y) ry = QCPRange(0, 90);
    double lo = std::min(0.0, std::floor(ry.lower / 15.0) * 15.0);
    double hi = std::max(90.0, std::ceil(ry.upper / 15.0) * 15.0);
    yAxis->setRange(lo, hi);
  } else if (log_y) {
    yAxis->setRange(empty_y ? QCPRange(1, 1000) : Decades(ry));
  } else {
    if (empty_y) ry = QCPRange(-1, 1);
    double pad = 0.05 * std::max(1e-12, ry.size());
    yAxis->setRange(ry.lower - pad, ry.upper + pad);
  }
  replot();
}

void CurveGraph::mouseDoubleClickEvent(QMouseEvent* event) {
  ResetView();
  QCustomPlot::mouseDoubleClickEvent(event);
}

}  // namespace mtvuk
