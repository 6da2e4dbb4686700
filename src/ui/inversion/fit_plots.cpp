#include "ui/inversion/fit_plots.h"

#include <algorithm>
#include <cmath>

namespace mtvuk {

void LogAxis(QCPAxis* axis, const QString& label) {
  axis->setScaleType(QCPAxis::stLogarithmic);
  axis->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
  axis->setNumberFormat("eb");
  axis->setNumberPrecision(0);
  axis->setLabel(label);
}

QCPGraph* PointGraph(QCPAxisRect* rect, const QColor& colour) {
  auto* g = new QCPGraph(rect->axis(QCPAxis::atBottom),
                         rect->axis(QCPAxis::atLeft));
  g->setLineStyle(QCPGraph::lsNone);
  g->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, colour, 5));
  g->setPen(QPen(colour));
  return g;
}

QCPErrorBars* Bars(QCPGraph* g, const QColor& colour) {
  auto* bars = new QCPErrorBars(g->keyAxis(), g->valueAxis());
  bars->setDataPlottable(g);
  bars->setPen(QPen(colour));
  bars->removeFromLegend();
  return bars;
}

void SetUpCurveRects(QCustomPlot* plot,
                     QCPAxisRect* rho_rect,
                     QCPAxisRect* phase_rect) {
  auto* margins = new QCPMarginGroup(plot);
  rho_rect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
  phase_rect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
  LogAxis(rho_rect->axis(QCPAxis::atBottom), "Period, s");
  LogAxis(rho_rect->axis(QCPAxis::atLeft), "Apparent resistivity, Ohm-m");
  LogAxis(phase_rect->axis(QCPAxis::atBottom), "Period, s");
  phase_rect->axis(QCPAxis::atLeft)->setLabel("Phase, degrees");
}

void SetUpDepthRect(QCPAxisRect* rect) {
  LogAxis(rect->axis(QCPAxis::atBottom), "Resistivity, Ohm-m");
  LogAxis(rect->axis(QCPAxis::atLeft), "Depth, km");
  rect->axis(QCPAxis::atLeft)->setRangeReversed(true);
}

void LegendBelow(QCustomPlot* plot, QCPAxisRect* holder, int wrap) {
  QCPLayoutGrid* layout = plot->plotLayout();
  auto* legend_row = new QCPLayoutGrid;
  layout->addElement(1, 0, legend_row);
  plot->legend->setVisible(true);
  holder->insetLayout()->take(plot->legend);
  legend_row->addElement(0, 0, plot->legend);
  plot->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
  plot->legend->setWrap(wrap);
  layout->setRowStretchFactor(1, 0.001);
}

QLabel* FiguresLabel(QWidget* parent) {
  auto* text = new QLabel(parent);
  text->setFont(QFont("Monospace", 9));
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  text->setWordWrap(true);
  return text;
}

QCPGraph* AddFieldData(QCPAxisRect* rho_rect,
                       QCPAxisRect* phase_rect,
                       const FieldSet& s,
                       const QColor& colour) {
  QVector<double> t, rho, rho_minus, rho_plus, phase, phase_err;
  for (int i = 0; i < s.count && i < MaxFreq; ++i) {
    if (s.point_deleted[i] || !(s.freq[i] > 0)) continue;
    const double value = std::pow(10.0, s.log_rho[i]);
    const double up = std::pow(10.0, s.log_rho_upper[i]);
    const double low = std::pow(10.0, s.log_rho_lower[i]);
    t.push_back(1.0 / s.freq[i]);
    rho.push_back(value);
    rho_plus.push_back(std::max(0.0, up - value));
    // A log axis cannot show a bound at or below zero.
    rho_minus.push_back(low < value ? value - low : 0.99 * value);
    phase.push_back(s.phase[i]);
    phase_err.push_back(
        std::max(0.0, std::pow(10.0, s.log_phase_upper[i]) - s.phase[i]));
  }
  QCPGraph* points = PointGraph(rho_rect, colour);
  points->setName(QString("data %1").arg(QString::fromStdString(s.label)));
  points->setData(t, rho);
  Bars(points, colour)->setData(rho_minus, rho_plus);
  QCPGraph* phases = PointGraph(phase_rect, colour);
  phases->setData(t, phase);
  phases->removeFromLegend();
  Bars(phases, colour)->setData(phase_err);
  return points;
}

bool DataPeriodRange(const FieldSet& s, double& shortest, double& longest) {
  shortest = 1e30;
  longest = 0.0;
  for (int i = 0; i < s.count && i < MaxFreq; ++i) {
    if (!(s.freq[i] > 0)) continue;
    shortest = std::min(shortest, 0.5 / s.freq[i]);
    longest = std::max(longest, 2.0 / s.freq[i]);
  }
  return shortest < longest;
}

QCPCurve* AddStaircase(QCPAxisRect* rect,
                       const std::vector<double>& rho,
                       const std::vector<double>& thickness_km,
                       double surface) {
  QVector<double> depth, res;
  const std::size_t n = rho.size();
  double z = 0.0;
  for (std::size_t j = 0; j < n; ++j) {
    const double top = std::max(z, surface);
    const double bottom = j + 1 < n && j < thickness_km.size()
                              ? z + thickness_km[j]
                              : std::max(2.0 * z, 10.0 * surface);
    res << rho[j] << rho[j];
    depth << top << bottom;
    z = bottom;
  }
  auto* stairs = new QCPCurve(rect->axis(QCPAxis::atBottom),
                              rect->axis(QCPAxis::atLeft));
  stairs->setData(res, depth);
  return stairs;
}

}  // namespace mtvuk
