#include "ui/inversion/fit_windows.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "core/dimensionality/fit_bound.h"
#include "core/physics/forward_1d.h"
#include "ui/app/form_fields.h"
#include "ui/graph/curve_graph.h"
#include "ui/inversion/fit_plots.h"

namespace mtvuk {

// ------------------------------------------------------- InversionRatioWindow

namespace {

// A value as "2·10⁴" (or plainly between 0.01 and 10000).
QString MisfitLabel(double v) {
  if (v >= 0.01 && v < 10000.0) return QString::number(v, 'g', 4);
  const int k = static_cast<int>(std::floor(std::log10(v) + 1e-9));
  const double m = v / std::pow(10.0, k);
  static const QString kSuper[10] = {
      "⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
  QString power = k < 0 ? "⁻" : "";
  for (QChar d : QString::number(std::abs(k))) power += kSuper[d.digitValue()];
  const QString ten = "10" + power;
  return std::fabs(m - 1.0) < 1e-9 ? ten
                                   : QString::number(m, 'g', 3) + "·" + ten;
}

// The set's static shift and the best fit any 1-D model reaches, beside the
// layered fit in the same impedance measure.
QString BoundText(const FieldSet& set, const LayerModel& m, Physics physics) {
  QString t;
  if (set.static_shift != 1.0f) {
    t += QString("\nstatic shift of rho_a: %1\n")
             .arg(set.static_shift, 0, 'g', 4);
  }
  const FitBound b = BoundOfFit(set, m, physics);
  if (!b.dplus.ok) return t;
  t += QString(
           "\n1-D bound (D+): chi2 %1, nrms %2 (expected %3)\n"
           "this fit, same measure: chi2 %4, nrms %5\n%6\n")
           .arg(b.dplus.chi2, 0, 'g', 4)
           .arg(b.dplus.nrms, 0, 'g', 4)
           .arg(b.dplus.expected, 0, 'g', 4)
           .arg(b.layered_chi2, 0, 'g', 4)
           .arg(b.layered_nrms, 0, 'g', 4)
           .arg(QString::fromStdString(b.dplus.message));
  return t;
}

}  // namespace

void SetMisfitTicks(QCPAxis* axis) {
  QCPRange r = axis->range();
  if (!(r.lower > 0.0) || !(r.upper > r.lower * 1.0001)) {
    const double centre = r.lower > 0.0 ? r.lower : 1.0;
    r = QCPRange(centre / 1.2, centre * 1.2);
    axis->setRange(r);
  }
  // Ticks at 1, 2 and 5 times the powers of ten inside the range; within
  // a narrow range more steps of the mantissa, so that at least three
  // distinct values are labelled (labels of sub-decade ticks rounded to one
  // digit would repeat).
  const double kSteps[3][10] = {
      {1, 10}, {1, 2, 5, 10}, {1, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10}};
  const int kCount[3] = {2, 4, 10};
  QVector<double> ticks;
  for (int level = 0; level < 3; ++level) {
    ticks.clear();
    const int first = static_cast<int>(std::floor(std::log10(r.lower)));
    const int last = static_cast<int>(std::ceil(std::log10(r.upper)));
    for (int k = first; k <= last; ++k) {
      for (int i = 0; i + 1 < kCount[level]; ++i) {
        const double v = kSteps[level][i] * std::pow(10.0, k);
        if (v >= r.lower && v <= r.upper) ticks.push_back(v);
      }
    }
    if (ticks.size() >= 3 && ticks.size() <= 12) break;
    if (ticks.size() > 12 && level > 0) {
      // Many decades: the powers of ten alone.
      ticks.clear();
      for (int k = first; k <= last; ++k) {
        const double v = std::pow(10.0, k);
        if (v >= r.lower && v <= r.upper) ticks.push_back(v);
      }
      break;
    }
  }
  auto ticker = QSharedPointer<QCPAxisTickerText>(new QCPAxisTickerText);
  if (ticks.size() < 2) {
    // Narrower than the finest mantissa steps: the range's ends and middle.
    for (double v :
         {r.lower * 1.01, std::sqrt(r.lower * r.upper), r.upper / 1.01})
      ticker->addTick(v, QString::number(v, 'g', 6));
  }
  for (double v : ticks) ticker->addTick(v, MisfitLabel(v));
  axis->setTicker(ticker);
}

InversionRatioWindow::InversionRatioWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool) {
  setObjectName("inversion_ratio");
  setWindowTitle("Inversion ratio");
  plot_ = new QCustomPlot(this);
  plot_->addGraph();
  plot_->graph(0)->setPen(QPen(QColor(0, 90, 200), 2));
  plot_->graph(0)->setScatterStyle(
      QCPScatterStyle(QCPScatterStyle::ssCircle, 6));
  plot_->xAxis->setLabel("Iteration");
  plot_->yAxis->setLabel("Misfit");
  plot_->yAxis->setScaleType(QCPAxis::stLogarithmic);
  status_ = new QLabel(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(plot_, 1);
  layout->addWidget(status_);
  resize(420, 300);
}

void InversionRatioWindow::Start(const QString& model_name) {
  plot_->graph(0)->data()->clear();
  start_ = 0;
  setWindowTitle(QString("Inversion ratio - %1").arg(model_name));
  status_->setText("Fitting... (Esc stops)");
  clock_.start();
}

void InversionRatioWindow::AddStep(const InversionStep& step) {
  // Each start of the robust method draws its own run.
  if (step.start != start_) {
    plot_->graph(0)->data()->clear();
    start_ = step.start;
  }
  plot_->graph(0)->addData(step.iteration, std::max(step.misfit, 1e-300));
  Rescale(step.iteration);
  status_->setText(QString("%1iteration %2   misfit %3   %4 s")
                       .arg(step.start > 0
                                ? QString("start %1   ").arg(step.start + 1)
                                : QString())
                       .arg(step.iteration)
                       .arg(step.misfit, 0, 'g', 6)
                       .arg(clock_.elapsed() / 1000.0, 0, 'f', 2));
  plot_->replot();
}

void InversionRatioWindow::ShowRun(const InversionResult& result) {
  plot_->graph(0)->data()->clear();
  for (const InversionStep& s : result.history)
    plot_->graph(0)->addData(s.iteration, std::max(s.misfit, 1e-300));
  Rescale(result.iterations_run);
  QString text = QString("iterations %1   misfit %2   %3 s")
                     .arg(result.iterations_run)
                     .arg(result.misfit, 0, 'g', 6)
                     .arg(clock_.elapsed() / 1000.0, 0, 'f', 2);
  if (result.method == FitMethod::kRobust && !result.start_used.empty())
    text += QString("\nrun of the winning start: %1")
                .arg(QString::fromStdString(result.start_used));
  status_->setText(text);
  plot_->replot();
}

void InversionRatioWindow::Rescale(int last_iteration) {
  plot_->rescaleAxes();
  plot_->xAxis->setRange(-0.5, std::max(5.5, last_iteration + 0.5));
  QCPRange r = plot_->yAxis->range();
  plot_->yAxis->setRange(r.lower / 1.3, r.upper * 1.3);
  SetMisfitTicks(plot_->yAxis);
}

int InversionRatioWindow::steps() const { return plot_->graph(0)->dataCount(); }

QStringList InversionRatioWindow::TickLabels() {
  plot_->replot();
  QStringList labels;
  for (const QString& t : plot_->yAxis->tickVectorLabels()) labels << t;
  return labels;
}

// -------------------------------------------------------- FittingResultWindow

FittingResultWindow::FittingResultWindow(QWidget* parent, QtUi* ui)
    : QWidget(parent, Qt::Tool), ui_(ui) {
  setObjectName("fitting_result");
  setWindowTitle("Fitting result");
  plot_ = new QCustomPlot(this);
  // Resistivity over phase on the left, the model as tall as both on the
  // right; the legend has a row of its own below, so it never covers data.
  QCPLayoutGrid* layout = plot_->plotLayout();
  rho_rect_ = plot_->axisRect();
  layout->take(rho_rect_);
  layout->simplify();
  auto* curves = new QCPLayoutGrid;
  layout->addElement(0, 0, curves);
  phase_rect_ = new QCPAxisRect(plot_);
  model_rect_ = new QCPAxisRect(plot_);
  curves->addElement(0, 0, rho_rect_);
  curves->addElement(1, 0, phase_rect_);
  layout->addElement(0, 1, model_rect_);
  SetUpCurveRects(plot_, rho_rect_, phase_rect_);
  SetUpDepthRect(model_rect_);
  LegendBelow(plot_, rho_rect_, 4);
  layout->setColumnStretchFactor(1, 0.55);
  text_ = FiguresLabel(this);
  text_->setMinimumWidth(300);
  text_->setMaximumWidth(340);
  auto* column = new QVBoxLayout;
  column->addWidget(text_, 1);
  warnings_ = new QListWidget(this);
  warnings_->setObjectName("fit_warnings");
  warnings_->setWordWrap(true);
  warnings_->setMaximumWidth(340);
  warnings_->setMaximumHeight(110);
  warnings_->hide();
  column->addWidget(warnings_);
  column->addWidget(BuildEquivalenceBox());
  auto* top = new QHBoxLayout;
  top->addWidget(plot_, 1);
  top->addLayout(column);
  auto* box = new QVBoxLayout(this);
  box->addLayout(top, 1);
  table_ = new QTableWidget(0, 5, this);
  table_->setHorizontalHeaderLabels(
      {"Layer",
       "Resistivity, Ohm-m",
       "Thickness, km",
       "Conductance h/rho, S",
       QString::fromUtf8("Transverse resistance h\u00b7rho, "
                         "Ohm\u00b7m\u00b2")});
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table_->horizontalHeader()->setSectionResizeMode(
      0, QHeaderView::ResizeToContents);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->hide();
  box->addWidget(table_);
  resize(1100, 620);
}

QWidget* FittingResultWindow::BuildEquivalenceBox() {
  auto* group = new QGroupBox("Equivalence ranges of the fit", this);
  auto* layout = new QGridLayout(group);
  absolute_ = new QLineEdit("1", group);
  relative_ = new QLineEdit("0.1", group);
  for (QLineEdit* e : {absolute_, relative_}) e->setMaximumWidth(60);
  layout->addWidget(
      new QLabel("Equivalent while S <= S_min + max(", group), 0, 0, 1, 4);
  layout->addWidget(absolute_, 1, 0);
  layout->addWidget(new QLabel(",", group), 1, 1);
  layout->addWidget(relative_, 1, 2);
  layout->addWidget(new QLabel("S_min)", group), 1, 3);
  equivalence_ = new QPushButton("Equivalence", group);
  equivalence_->setEnabled(false);
  connect(equivalence_, &QPushButton::clicked, this, [this] {
    ComputeEquivalenceRanges();
  });
  layout->addWidget(equivalence_, 2, 0, 1, 4);
  equivalence_text_ = new QLabel(group);
  equivalence_text_->setWordWrap(true);
  layout->addWidget(equivalence_text_, 3, 0, 1, 4);
  group->setMaximumWidth(340);
  return group;
}

void FittingResultWindow::ShowResult(const InversionResult& r,
                                     const Stores& stores,
                                     double seconds) {
  const int current = stores.workspace.current_model;
  const LayerModel& m = stores.models[current];
  plot_->clearPlottables();
  plot_->legend->clearItems();
  QCPAxis* period_r = rho_rect_->axis(QCPAxis::atBottom);
  QCPAxis* period_p = phase_rect_->axis(QCPAxis::atBottom);
  if (m.fitted_set >= 0) {
    AddFieldData(rho_rect_,
                 phase_rect_,
                 stores.sets[m.fitted_set],
                 SetColour(m.fitted_set));
  }
  // The fitted curve: the response the fit uses (isotropic, without
  // dispersion) over the data's periods and a little beyond.
  double t_low = 1e30, t_high = 0.0;
  if (m.fitted_set < 0 ||
      !DataPeriodRange(stores.sets[m.fitted_set], t_low, t_high)) {
    t_low = m.period_min;
    t_high = m.period_max;
  }
  constexpr int kCurvePoints = 120;
  std::array<double, kCurvePoints> periods{};
  std::array<Response1D, kCurvePoints> response{};
  for (int i = 0; i < kCurvePoints; ++i)
    periods[i] = t_low * std::pow(t_high / t_low, i / (kCurvePoints - 1.0));
  const ModelLayers layers = WorkingLayers(m);
  NoDispersionKernel(layers.rho.data(), layers.h.data(), layers.n)
      .Evaluate(periods.data(), kCurvePoints, response.data());
  QVector<double> mt, mrho, mphase;
  for (int i = 0; i < kCurvePoints; ++i) {
    mt.push_back(periods[i]);
    mrho.push_back(response[i].rho_a);
    mphase.push_back(response[i].phase);
  }
  const QPen pen = ModelPen(current, stores.workspace);
  auto* curve = new QCPGraph(period_r, rho_rect_->axis(QCPAxis::atLeft));
  curve->setName(QString("fitted model %1").arg(current + 1));
  curve->setData(mt, mrho);
  curve->setPen(pen);
  auto* phase_curve =
      new QCPGraph(period_p, phase_rect_->axis(QCPAxis::atLeft));
  phase_curve->setData(mt, mphase);
  phase_curve->setPen(pen);
  phase_curve->removeFromLegend();

  // The model as resistivity against depth, a staircase. A logarithmic
  // depth axis: the surface is drawn at a tenth of the first interface's
  // depth, the half-space down to twice the last one.
  const int n = std::clamp<int>(m.layer_count, 1, MaxLayers);
  surface_ = n > 1 ? 0.1 * m.thickness[0] : 0.1;
  QCPCurve* stairs = AddStaircase(
      model_rect_,
      std::vector<double>(m.resistivity.begin(), m.resistivity.begin() + n),
      std::vector<double>(m.thickness.begin(), m.thickness.begin() + n - 1),
      surface_);
  stairs->setPen(pen);
  stairs->removeFromLegend();
  band_ = nullptr;

  // The fit, kept for its equivalence ranges.
  model_ = m;
  has_fit_ = r.ran && m.fitted_set >= 0;
  if (has_fit_) {
    set_ = stores.sets[m.fitted_set];
    used_ = set_.effective_count;
    settings_ = MisfitSettingsOf(stores.workspace);
  }
  band_colour_ = pen.color();
  equivalence_->setEnabled(has_fit_ && ui_ != nullptr);
  equivalence_text_->clear();
  if (table_->isVisible()) {
    table_->hide();
    resize(width(), 620);
  }

  for (QCPAxisRect* rect : {rho_rect_, phase_rect_, model_rect_}) {
    for (QCPAxis* a : rect->axes()) a->rescale(true);
  }
  // Margins, so that no point sits on the frame.
  for (QCPAxis* a : {period_r,
                     period_p,
                     rho_rect_->axis(QCPAxis::atLeft),
                     model_rect_->axis(QCPAxis::atBottom),
                     model_rect_->axis(QCPAxis::atLeft)}) {
    a->setRange(a->range().lower / 1.5, a->range().upper * 1.5);
  }
  QCPAxis* phase_axis = phase_rect_->axis(QCPAxis::atLeft);
  phase_axis->setRange(std::max(-10.0, phase_axis->range().lower - 5.0),
                       std::min(100.0, phase_axis->range().upper + 5.0));
  period_p->setRange(period_r->range());
  plot_->replot();

  const bool robust = r.method == FitMethod::kRobust;
  QString nrms = std::isfinite(r.nrms)
                     ? QString("%1 (%2)")
                           .arg(r.nrms, 0, 'g', 4)
                           .arg(r.noise_level ? "at the noise level"
                                              : "above the noise level")
                     : QString("- (the data have no errors)");
  nrms += QString("\nerror floor %1 %").arg(r.error_floor, 0, 'g', 3);
  if (robust) nrms += QString("\nchi-square %1").arg(r.data_misfit, 0, 'g', 5);
  QString t = QString(
                  "%1\n\nmethod %2\n%3iterations %4%5\nbest iteration %6\n"
                  "misfit %7\nrms %8 (%9 terms)\nnrms %10\ntime %11 s\n\n"
                  " layer     Ohm-m        km\n")
                  .arg(QString::fromStdString(m.name))
                  .arg(robust ? "robust" : "classic Marquardt")
                  .arg(robust ? QString("winning start: %1 (of %2)\n")
                                    .arg(QString::fromStdString(r.start_used))
                                    .arg(r.starts)
                              : QString())
                  .arg(r.iterations_run)
                  .arg(r.cancelled ? " (cancelled)" : "")
                  .arg(r.best_iteration)
                  .arg(r.misfit, 0, 'g', 6)
                  .arg(r.Rms(), 0, 'g', 4)
                  .arg(r.data_used)
                  .arg(nrms)
                  .arg(seconds, 0, 'f', 3);
  for (int j = 0; j < m.layer_count; ++j) {
    t +=
        QString("%1  %2  %3\n")
            .arg(j + 1, 5)
            .arg(m.resistivity[j], 10, 'g', 5)
            .arg(j + 1 < m.layer_count ? QString::number(m.thickness[j], 'g', 5)
                                       : QString("  -"),
                 9);
  }
  if (!r.medium_note.empty())
    t += "\n" + QString::fromStdString(r.medium_note) + "\n";
  if (has_fit_) t += BoundText(set_, m, stores.workspace.physics);
  text_->setText(t);
  warnings_->clear();
  for (const std::string& w : r.warnings) {
    auto* item =
        new QListWidgetItem(style()->standardIcon(QStyle::SP_MessageBoxWarning),
                            QString::fromStdString(w));
    warnings_->addItem(item);
  }
  warnings_->setVisible(!r.warnings.empty());
}

QString FittingResultWindow::summary() const { return text_->text(); }

namespace {

QString RangeCell(const EquivalenceRange& r) {
  if (!r.defined) return QString::fromUtf8("\u2013");
  if (r.fixed) return QString("%1 (fixed)").arg(r.min, 0, 'g', 4);
  return QString("%1%2 \u2013 %3%4")
      .arg(r.min_at_limit ? "*" : "")
      .arg(r.min, 0, 'g', 4)
      .arg(r.max, 0, 'g', 4)
      .arg(r.max_at_limit ? "*" : "");
}

}  // namespace

bool FittingResultWindow::ComputeEquivalenceRanges() {
  if (!has_fit_ || ui_ == nullptr) return false;
  EquivalenceOptions options;
  if (!ReadField(absolute_, options.absolute, *ui_) ||
      !ReadField(relative_, options.relative, *ui_)) {
    return false;
  }
  const std::string error = EquivalenceOptionsError(options);
  if (!error.empty()) {
    RefuseField(absolute_, error, *ui_);
    return false;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  EquivalenceResult e;
  {
    BusyScope busy(*ui_);
    e = ComputeEquivalence(settings_, set_, used_, model_, options, *ui_);
  }
  QApplication::restoreOverrideCursor();
  if (!e.ran || e.cancelled) return false;

  table_->setRowCount(static_cast<int>(e.layers.size()));
  for (const LayerEquivalence& l : e.layers) {
    const bool last = l.layer + 1 == static_cast<int>(e.layers.size());
    const QString cells[5] = {last ? QString("%1 (half-space)").arg(l.layer + 1)
                                   : QString::number(l.layer + 1),
                              RangeCell(l.rho),
                              RangeCell(l.thickness),
                              RangeCell(l.conductance),
                              RangeCell(l.transverse)};
    for (int c = 0; c < 5; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      item->setTextAlignment(Qt::AlignCenter);
      table_->setItem(l.layer, c, item);
    }
  }
  equivalence_text_->setText(
      QString("S <= %1 (S_min %2), %3 constrained fits.\n* a bound at a "
              "limit of the fit, not closed by the data")
          .arg(e.threshold, 0, 'g', 5)
          .arg(e.misfit_min, 0, 'g', 5)
          .arg(e.refits));

  // The band of the equivalent models around the staircase.
  const QCPRange depths = model_rect_->axis(QCPAxis::atLeft)->range();
  constexpr int kDepths = 240;
  std::vector<double> depth(kDepths), low, high;
  const double top = std::max(depths.lower, 1e-6);
  for (int i = 0; i < kDepths; ++i)
    depth[i] = top * std::pow(depths.upper / top, i / (kDepths - 1.0));
  EquivalenceBand(e, depth, low, high);
  QVector<double> t, x, y;
  for (int i = 0; i < kDepths; ++i) {
    t << i;
    x << low[i];
    y << depth[i];
  }
  for (int i = kDepths - 1; i >= 0; --i) {
    t << 2 * kDepths - 1 - i;
    x << high[i];
    y << depth[i];
  }
  if (band_ != nullptr) plot_->removePlottable(band_);
  band_ = new QCPCurve(model_rect_->axis(QCPAxis::atBottom),
                       model_rect_->axis(QCPAxis::atLeft));
  band_->setData(t, x, y);
  QColor fill = band_colour_;
  fill.setAlpha(60);
  band_->setBrush(fill);
  band_->setPen(Qt::NoPen);
  band_->setName("equivalent models");
  // Under the staircase and the curves.
  if (plot_->layer("band") == nullptr)
    plot_->addLayer("band", plot_->layer("grid"), QCustomPlot::limAbove);
  band_->setLayer("band");
  QCPAxis* rho_axis = model_rect_->axis(QCPAxis::atBottom);
  const double lowest = *std::min_element(low.begin(), low.end());
  const double highest = *std::max_element(high.begin(), high.end());
  rho_axis->setRange(std::min(rho_axis->range().lower, lowest / 1.5),
                     std::max(rho_axis->range().upper, highest * 1.5));
  plot_->replot();
  if (!table_->isVisible()) {
    table_->show();
    const int rows = table_->rowCount();
    const int height = table_->horizontalHeader()->height() +
                       rows * table_->verticalHeader()->defaultSectionSize() +
                       6;
    table_->setFixedHeight(std::min(height, 360));
    resize(width(), 620 + table_->height());
  }
  return true;
}

}  // namespace mtvuk
