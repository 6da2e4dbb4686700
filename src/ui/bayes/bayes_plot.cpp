#include "ui/bayes/bayes_plot.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "ui/inversion/fit_plots.h"

namespace mtvuk {
namespace {

// Chains of temperature 1, each in a colour of its own in the misfit plot.
const QColor kChainColours[] = {QColor(31, 119, 180),
                                QColor(255, 127, 14),
                                QColor(44, 160, 44),
                                QColor(214, 39, 40),
                                QColor(148, 103, 189),
                                QColor(140, 86, 75)};

QCPCurve* DepthCurve(QCPAxisRect* rect,
                     const std::vector<double>& depth_km,
                     const std::vector<double>& value,
                     bool log_value) {
  QVector<double> x, y;
  const std::size_t n = std::min(depth_km.size(), value.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(value[i]) || !(depth_km[i] > 0.0)) continue;
    x << (log_value ? std::pow(10.0, value[i]) : value[i]);
    y << depth_km[i];
  }
  auto* c =
      new QCPCurve(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
  c->setData(x, y);
  return c;
}

}  // namespace

BayesPlot::BayesPlot(QWidget* parent) : QCustomPlot(parent) {
  QCPLayoutGrid* layout = plotLayout();
  density_rect_ = axisRect();
  layout->take(density_rect_);
  layout->simplify();
  auto* top = new QCPLayoutGrid;
  auto* bottom = new QCPLayoutGrid;
  layout->addElement(0, 0, top);
  layout->addElement(1, 0, bottom);
  layout->setRowStretchFactor(0, 1.7);
  interface_rect_ = new QCPAxisRect(this);
  layers_rect_ = new QCPAxisRect(this);
  misfit_rect_ = new QCPAxisRect(this);
  scale_ = new QCPColorScale(this);
  top->addElement(0, 0, density_rect_);
  top->addElement(0, 1, interface_rect_);
  top->addElement(0, 2, scale_);
  top->setColumnStretchFactor(0, 1.0);
  top->setColumnStretchFactor(1, 0.45);
  top->setColumnStretchFactor(2, 0.05);
  bottom->addElement(0, 0, layers_rect_);
  bottom->addElement(0, 1, misfit_rect_);
  bottom->setColumnStretchFactor(0, 0.6);
  auto* rows = new QCPMarginGroup(this);
  density_rect_->setMarginGroup(QCP::msTop | QCP::msBottom, rows);
  interface_rect_->setMarginGroup(QCP::msTop | QCP::msBottom, rows);
  scale_->setMarginGroup(QCP::msTop | QCP::msBottom, rows);
  SetUpDepthRect(density_rect_);
  SetUpDepthRect(interface_rect_);
  // The key of the lines over the density, on its top axis.
  QCPAxis* key = density_rect_->axis(QCPAxis::atTop);
  key->setVisible(true);
  key->setTicks(false);
  key->setTickLabels(false);
  key->setLabel(
      "median (solid), 5 and 95 % percentiles (dashed), sample of least "
      "misfit (dotted)");
  QCPAxis* p_axis = interface_rect_->axis(QCPAxis::atBottom);
  p_axis->setScaleType(QCPAxis::stLinear);
  p_axis->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
  p_axis->setNumberFormat("g");
  p_axis->setNumberPrecision(3);
  p_axis->setLabel("Interface probability per depth cell");
  scale_->setType(QCPAxis::atRight);
  scale_->axis()->setLabel("Posterior density (peak of each depth = 1)");
  scale_->setDataRange(QCPRange(0.0, 1.0));
  QCPColorGradient gradient;
  gradient.setColorStopAt(0.0, QColor(255, 255, 255));
  gradient.setColorStopAt(0.15, QColor(255, 240, 170));
  gradient.setColorStopAt(0.45, QColor(250, 160, 60));
  gradient.setColorStopAt(0.75, QColor(200, 50, 30));
  gradient.setColorStopAt(1.0, QColor(90, 0, 20));
  scale_->setGradient(gradient);
  layers_rect_->axis(QCPAxis::atBottom)->setLabel("Number of layers");
  layers_rect_->axis(QCPAxis::atLeft)->setLabel("Samples kept");
  layers_rect_->axis(QCPAxis::atBottom)
      ->setTicker(QSharedPointer<QCPAxisTickerFixed>(new QCPAxisTickerFixed));
  misfit_rect_->axis(QCPAxis::atBottom)->setLabel("Iteration");
  LogAxis(misfit_rect_->axis(QCPAxis::atLeft), "Misfit chi^2 / N");
  legend->setVisible(true);
  legend->setFont(QFont(font().family(), 8));
  density_rect_->insetLayout()->take(legend);
  misfit_rect_->insetLayout()->addElement(legend,
                                          Qt::AlignTop | Qt::AlignRight);
}

void BayesPlot::SetTitle(const QString& title) {
  if (title_ == nullptr) {
    if (title.isEmpty()) return;
    plotLayout()->insertRow(0);
    title_ = new QCPTextElement(this, title, QFont(font().family(), 12));
    plotLayout()->addElement(0, 0, title_);
  }
  title_->setText(title);
}

void BayesPlot::Clear() {
  clearPlottables();
  replot();
}

void BayesPlot::Show(const BayesResult& r, const BayesOptions& o) {
  clearPlottables();
  const int cells = static_cast<int>(r.depth_km.size());
  const int bins = static_cast<int>(r.log_rho_bin.size());
  if (r.samples <= 0 || cells < 1 || bins < 1 ||
      r.density.size() != static_cast<std::size_t>(cells) * bins) {
    replot();
    return;
  }

  // The density, each depth scaled to its peak so that poorly resolved
  // depths are seen as wide, not as faint.
  auto* map = new QCPColorMap(density_rect_->axis(QCPAxis::atBottom),
                              density_rect_->axis(QCPAxis::atLeft));
  map->data()->setSize(bins, cells);
  map->data()->setRange(QCPRange(std::pow(10.0, r.log_rho_bin.front()),
                                 std::pow(10.0, r.log_rho_bin.back())),
                        QCPRange(r.depth_km.front(), r.depth_km.back()));
  for (int c = 0; c < cells; ++c) {
    double peak = 0.0;
    for (int b = 0; b < bins; ++b)
      peak = std::max(peak, r.density[c * bins + b]);
    for (int b = 0; b < bins; ++b)
      map->data()->setCell(
          b, c, peak > 0.0 ? r.density[c * bins + b] / peak : 0.0);
  }
  map->setColorScale(scale_);
  map->setInterpolate(false);
  map->setName("posterior density");
  map->removeFromLegend();

  QCPCurve* p05 = DepthCurve(density_rect_, r.depth_km, r.p05, true);
  QCPCurve* p50 = DepthCurve(density_rect_, r.depth_km, r.p50, true);
  QCPCurve* p95 = DepthCurve(density_rect_, r.depth_km, r.p95, true);
  p50->setPen(QPen(QColor(0, 40, 160), 2.5));
  p05->setPen(QPen(QColor(0, 40, 160), 1.5, Qt::DashLine));
  p95->setPen(QPen(QColor(0, 40, 160), 1.5, Qt::DashLine));
  for (QCPCurve* c : {p05, p50, p95}) c->removeFromLegend();
  if (!r.best.log_rho.empty()) {
    std::vector<double> rho, h;
    double top = 0.0;
    for (std::size_t i = 0; i < r.best.log_rho.size(); ++i) {
      rho.push_back(std::pow(10.0, r.best.log_rho[i]));
      if (i < r.best.interface_km.size()) {
        h.push_back(r.best.interface_km[i] - top);
        top = r.best.interface_km[i];
      }
    }
    QCPCurve* best = AddStaircase(density_rect_, rho, h, r.depth_km.front());
    best->setPen(QPen(QColor(40, 40, 40), 1.0, Qt::DotLine));
    best->removeFromLegend();
  }
  density_rect_->axis(QCPAxis::atBottom)
      ->setRange(std::pow(10.0, o.log_rho_min), std::pow(10.0, o.log_rho_max));
  density_rect_->axis(QCPAxis::atLeft)
      ->setRange(r.min_depth_km, r.max_depth_km);

  // Closed along the zero line, so that the shading fills the area under
  // the curve.
  std::vector<double> p_depth = r.depth_km, p_value = r.interface_probability;
  p_depth.insert(p_depth.begin(), r.depth_km.front());
  p_value.insert(p_value.begin(), 0.0);
  p_depth.push_back(r.depth_km.back());
  p_value.push_back(0.0);
  QCPCurve* interfaces = DepthCurve(interface_rect_, p_depth, p_value, false);
  interfaces->setPen(QPen(QColor(60, 60, 60), 1.5));
  interfaces->setBrush(QBrush(QColor(120, 120, 120, 70)));
  interfaces->removeFromLegend();
  double p_max = 0.0;
  for (double p : r.interface_probability)
    if (std::isfinite(p)) p_max = std::max(p_max, p);
  interface_rect_->axis(QCPAxis::atBottom)
      ->setRange(0.0, std::max(0.05, 1.1 * p_max));
  interface_rect_->axis(QCPAxis::atLeft)
      ->setRange(r.min_depth_km, r.max_depth_km);

  // Number of layers: samples kept with each count.
  auto* bars = new QCPBars(layers_rect_->axis(QCPAxis::atBottom),
                           layers_rect_->axis(QCPAxis::atLeft));
  QVector<double> count_x, count_y;
  for (std::size_t l = 0; l < r.layer_histogram.size(); ++l) {
    count_x << static_cast<double>(l + 1);
    count_y << std::round(r.layer_histogram[l] * r.samples);
  }
  bars->setData(count_x, count_y);
  bars->setWidth(0.7);
  bars->setBrush(QColor(90, 120, 170));
  bars->setPen(QPen(QColor(40, 60, 100)));
  bars->removeFromLegend();
  layers_rect_->axis(QCPAxis::atBottom)->setRange(0.3, o.max_layers + 0.7);
  double c_max = 0.0;
  for (double c : count_y) c_max = std::max(c_max, c);
  layers_rect_->axis(QCPAxis::atLeft)
      ->setRange(0.0, std::max(1.0, 1.1 * c_max));

  // Misfit of each chain against the iteration, the burn-in marked.
  double m_low = INFINITY, m_high = 0.0;
  const double n = std::max(1, r.data_count);
  for (std::size_t c = 0; c < r.misfit_trace.size(); ++c) {
    auto* g = new QCPGraph(misfit_rect_->axis(QCPAxis::atBottom),
                           misfit_rect_->axis(QCPAxis::atLeft));
    QVector<double> x, y;
    for (std::size_t i = 0; i < r.misfit_trace[c].size(); ++i) {
      const double m = r.misfit_trace[c][i] / n;
      if (!std::isfinite(m) || !(m > 0.0)) continue;
      x << static_cast<double>(i) * o.thin;
      y << m;
      m_low = std::min(m_low, m);
      m_high = std::max(m_high, m);
    }
    g->setData(x, y);
    g->setPen(QPen(kChainColours[c % std::size(kChainColours)], 1.0));
    g->setName(QString("chain %1").arg(c + 1));
  }
  if (m_high > 0.0) {
    misfit_rect_->axis(QCPAxis::atLeft)->setRange(m_low / 1.3, m_high * 1.3);
    auto* burn = new QCPGraph(misfit_rect_->axis(QCPAxis::atBottom),
                              misfit_rect_->axis(QCPAxis::atLeft));
    burn->setData(
        {static_cast<double>(o.BurnIn()), static_cast<double>(o.BurnIn())},
        {m_low / 1.3, m_high * 1.3});
    burn->setPen(QPen(Qt::black, 1.0, Qt::DashLine));
    burn->setName("end of burn-in");
  }
  misfit_rect_->axis(QCPAxis::atBottom)->setRange(0.0, o.iterations);
  replot();
}

bool BayesPlot::SavePng(const QString& path, QSize size, QString* error) {
  const QString part = path + ".part";
  const QImage image = toPixmap(size.width(), size.height()).toImage();
  if (image.isNull() || !image.save(part, "PNG")) {
    QFile::remove(part);
    if (error != nullptr) *error = QString("Cannot write %1.").arg(path);
    return false;
  }
  QFile::remove(path);
  if (!QFile::rename(part, path)) {
    QFile::remove(part);
    if (error != nullptr) *error = QString("Cannot write %1.").arg(path);
    return false;
  }
  return true;
}

}  // namespace mtvuk
