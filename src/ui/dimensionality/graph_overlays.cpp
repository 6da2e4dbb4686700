#include "ui/dimensionality/graph_overlays.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/dimensionality/dplus.h"
#include "core/dimensionality/tensor_invariants.h"
#include "core/physics/forward_1d.h"
#include "ui/graph/curve_graph.h"

namespace mtvuk {
namespace {

const QColor kShade(255, 120, 120, 45);

}  // namespace

void OneDBound(const FieldSet& set,
               Quantity quantity,
               QVector<double>& period,
               QVector<double>& value) {
  period.clear();
  value.clear();
  const std::vector<ImpedanceDatum> data = ImpedanceDataOf(set);
  const DPlusResult r = FitDPlus(data);
  if (!r.ok) return;
  double tmin = HUGE_VAL, tmax = 0.0;
  for (const ImpedanceDatum& d : data) {
    tmin = std::min(tmin, d.period);
    tmax = std::max(tmax, d.period);
  }
  const int steps = static_cast<int>(std::ceil(20.0 * std::log10(tmax / tmin)));
  for (int s = 0; s <= steps; ++s) {
    const double t = std::min(tmax, tmin * std::pow(10.0, 0.05 * s));
    const Complex z = r.model.Impedance(t);
    const double v = quantity == Quantity::kPhase
                         ? std::atan2(z.im, z.re) * kDegPerRad
                         : Abs2(z) / (kTwoPi / t * kMu0);
    if (!std::isfinite(v)) continue;
    period.push_back(t);
    value.push_back(v);
  }
}

void ShadePeriods(QCustomPlot& plot,
                  QCPAxisRect* rect,
                  const std::vector<double>& period,
                  const std::vector<bool>& non_1d) {
  // Each marked period shades the band between the geometric midpoints to
  // its neighbours.
  std::vector<size_t> order(period.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&period](size_t a, size_t b) {
    return period[a] < period[b];
  });
  for (size_t n = 0; n < order.size(); ++n) {
    const size_t i = order[n];
    if (!non_1d[i] || !(period[i] > 0.0)) continue;
    const double lo =
        n > 0 ? std::sqrt(period[i] * period[order[n - 1]]) : period[i] / 1.12;
    const double hi = n + 1 < order.size()
                          ? std::sqrt(period[i] * period[order[n + 1]])
                          : period[i] * 1.12;
    auto* band = new QCPItemRect(&plot);
    band->setClipAxisRect(rect);
    band->topLeft->setTypeX(QCPItemPosition::ptPlotCoords);
    band->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
    band->bottomRight->setTypeX(QCPItemPosition::ptPlotCoords);
    band->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
    band->topLeft->setAxes(rect->axis(QCPAxis::atBottom),
                           rect->axis(QCPAxis::atLeft));
    band->bottomRight->setAxes(rect->axis(QCPAxis::atBottom),
                               rect->axis(QCPAxis::atLeft));
    band->topLeft->setAxisRect(rect);
    band->bottomRight->setAxisRect(rect);
    band->topLeft->setCoords(lo, 0.0);
    band->bottomRight->setCoords(hi, 1.0);
    band->setPen(Qt::NoPen);
    band->setBrush(kShade);
    band->setLayer("background");
    band->setObjectName("non_1d_band");
  }
}

std::array<QCPGraph*, MaxSets> AddDimensionalityOverlays(
    QCustomPlot& plot,
    const FieldSets& sets,
    const std::array<bool, MaxSets>& visible,
    Quantity quantity,
    const DimensionalityThresholds& thresholds) {
  std::array<QCPGraph*, MaxSets> bounds{};
  const bool curve =
      quantity == Quantity::kResistivity || quantity == Quantity::kPhase;
  std::vector<double> period;
  std::vector<bool> non_1d;
  for (int k = 0; k < MaxSets; ++k) {
    const FieldSet& s = sets[k];
    if (s.in_use <= 0 || !visible[k]) continue;
    if (thresholds.shade_non_1d) {
      const std::vector<TensorInvariants> d = DimensionalityOf(s, thresholds);
      for (const TensorInvariants& t : d) {
        period.push_back(t.period);
        non_1d.push_back(!t.one_d);
      }
    }
    if (!thresholds.show_bound || !curve) continue;
    QVector<double> x, y;
    OneDBound(s, quantity, x, y);
    if (x.isEmpty()) continue;
    QCPGraph* g = plot.addGraph();
    g->setName(QString("set %1: 1-D bound").arg(k + 1));
    g->setData(x, y);
    g->setLineStyle(QCPGraph::lsLine);
    g->setPen(QPen(SetColour(k).darker(130), 1.5, Qt::DotLine));
    g->setObjectName("one_d_bound");
    bounds[k] = g;
  }
  // Sets of one sounding share their periods: each is shaded once.
  std::map<float, bool> bands;
  for (size_t i = 0; i < period.size(); ++i) {
    bands[static_cast<float>(period[i])] =
        bands[static_cast<float>(period[i])] || non_1d[i];
  }
  period.clear();
  non_1d.clear();
  for (const auto& [t, mark] : bands) {
    period.push_back(t);
    non_1d.push_back(mark);
  }
  if (!period.empty()) ShadePeriods(plot, plot.axisRect(), period, non_1d);
  return bounds;
}

}  // namespace mtvuk
