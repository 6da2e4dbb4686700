#include "ui/dimensionality/dimensionality_window.h"

#include <qcustomplot.h>

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <cmath>

#include "core/dimensionality/profile_shift.h"
#include "core/dimensionality/static_shift.h"
#include "ui/dimensionality/graph_overlays.h"

namespace mtvuk {
namespace {

// Shift methods, in the order of the box.
enum ShiftMethod {
  kByHand = 0,       // the factor typed in
  kOntoYX = 1,       // XY moved onto YX
  kOntoXY = 2,       // YX moved onto XY
  kOntoMean = 3,     // both onto their geometric mean
  kNearSurface = 4,  // a known first-layer resistivity
  kAlongProfile = 5  // the median of the loaded stations
};

void LogPeriodAxis(QCPAxis* axis) {
  axis->setScaleType(QCPAxis::stLogarithmic);
  axis->setTicker(QSharedPointer<QCPAxisTickerLog>(new QCPAxisTickerLog));
  axis->setNumberFormat("eb");
  axis->setNumberPrecision(0);
}

QCPGraph* Series(QCustomPlot* plot,
                 QCPAxisRect* rect,
                 const QString& name,
                 const QColor& colour,
                 QCPScatterStyle::ScatterShape shape) {
  QCPGraph* g = plot->addGraph(rect->axis(QCPAxis::atBottom),
                               rect->axis(QCPAxis::atLeft));
  g->setName(name);
  g->setPen(QPen(colour, 1.2));
  g->setScatterStyle(QCPScatterStyle(shape, colour, 6));
  return g;
}

}  // namespace

DimensionalityWindow::DimensionalityWindow(Stores& stores,
                                           QtUi& ui,
                                           QWidget* parent)
    : QWidget(parent, Qt::Tool), stores_(stores), ui_(ui) {
  setObjectName("dimensionality_window");
  setWindowTitle("Dimensionality");
  const DimensionalityThresholds& limits = stores_.workspace.dimensionality;

  set_box_ = new QComboBox;
  beta_ = new QDoubleSpinBox;
  beta_->setRange(0.1, 45.0);
  beta_->setDecimals(1);
  beta_->setSuffix(" deg");
  beta_->setValue(limits.beta_deg);
  ellipticity_ = new QDoubleSpinBox;
  ellipticity_->setRange(0.01, 1.0);
  ellipticity_->setDecimals(2);
  ellipticity_->setSingleStep(0.01);
  ellipticity_->setValue(limits.ellipticity);
  leave_out_ = new QPushButton("&Leave out non-1-D periods");
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Field set:"));
  top->addWidget(set_box_, 1);
  top->addWidget(new QLabel("1-D while |beta| <"));
  top->addWidget(beta_);
  top->addWidget(new QLabel("and ellipticity <"));
  top->addWidget(ellipticity_);
  top->addWidget(leave_out_);

  method_ = new QComboBox;
  method_->addItems({"Factor by hand",
                     "XY onto YX (shortest periods)",
                     "YX onto XY (shortest periods)",
                     "Both onto their geometric mean",
                     "Known near-surface resistivity, Ohm-m",
                     "Median of the loaded stations (profile)"});
  value_ = new QLineEdit("1");
  value_->setMaximumWidth(90);
  shift_ = new QPushButton("Apply &shift");
  shift_text_ = new QLabel;
  auto* shift_row = new QHBoxLayout;
  shift_row->addWidget(new QLabel("Static shift:"));
  shift_row->addWidget(method_);
  shift_row->addWidget(value_);
  shift_row->addWidget(shift_);
  shift_row->addWidget(shift_text_, 1);

  verdict_ = new QLabel;
  verdict_->setObjectName("dplus_verdict");
  verdict_->setWordWrap(true);

  plot_ = new QCustomPlot;
  plot_->setMinimumSize(620, 420);
  plot_->plotLayout()->clear();
  skew_rect_ = new QCPAxisRect(plot_);
  beta_rect_ = new QCPAxisRect(plot_);
  plot_->plotLayout()->addElement(0, 0, skew_rect_);
  plot_->plotLayout()->addElement(1, 0, beta_rect_);
  for (QCPAxisRect* r : {skew_rect_, beta_rect_}) {
    LogPeriodAxis(r->axis(QCPAxis::atBottom));
    r->axis(QCPAxis::atBottom)->grid()->setSubGridVisible(true);
    r->setRangeZoom(Qt::Horizontal);
    r->setRangeDrag(Qt::Horizontal);
  }
  skew_rect_->axis(QCPAxis::atLeft)->setLabel("skew, ellipticity");
  beta_rect_->axis(QCPAxis::atLeft)->setLabel("beta, deg");
  beta_rect_->axis(QCPAxis::atBottom)->setLabel("Period, s");
  auto* group = new QCPMarginGroup(plot_);
  skew_rect_->setMarginGroup(QCP::msLeft | QCP::msRight, group);
  beta_rect_->setMarginGroup(QCP::msLeft | QCP::msRight, group);
  plot_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  auto* legend = new QCPLegend;
  skew_rect_->insetLayout()->addElement(legend, Qt::AlignTop | Qt::AlignRight);
  legend->setLayer("legend");
  legend->setFont(QFont(font().family(), 8));
  plot_->legend = legend;
  plot_->setAutoAddPlottableToLegend(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(shift_row);
  layout->addWidget(verdict_);
  layout->addWidget(plot_, 1);

  connect(
      set_box_, &QComboBox::currentIndexChanged, this, [this] { Recompute(); });
  auto thresholds = [this] {
    stores_.workspace.dimensionality.beta_deg = beta_->value();
    stores_.workspace.dimensionality.ellipticity = ellipticity_->value();
    Recompute();
    SetsChanged();
  };
  connect(beta_, &QDoubleSpinBox::valueChanged, this, thresholds);
  connect(ellipticity_, &QDoubleSpinBox::valueChanged, this, thresholds);
  connect(leave_out_, &QPushButton::clicked, this, [this] { LeaveOut(); });
  connect(shift_, &QPushButton::clicked, this, [this] { ApplyShift(); });
  RefreshSets();
}

void DimensionalityWindow::RefreshSets() {
  const int keep = CurrentSet();
  set_box_->blockSignals(true);
  set_box_->clear();
  for (int k = 0; k < MaxSets; ++k) {
    const FieldSet& s = stores_.sets[k];
    if (s.in_use <= 0) continue;
    set_box_->addItem(
        QString("%1: %2").arg(k + 1).arg(QString::fromStdString(s.label)), k);
  }
  const int at = set_box_->findData(keep);
  set_box_->setCurrentIndex(at >= 0 ? at : 0);
  set_box_->blockSignals(false);
  Recompute();
}

int DimensionalityWindow::CurrentSet() const {
  return set_box_->count() > 0 ? set_box_->currentData().toInt() : -1;
}

void DimensionalityWindow::Recompute() {
  const int k = CurrentSet();
  dims_.clear();
  dplus_ = DPlusResult{};
  leave_out_->setEnabled(k >= 0);
  shift_->setEnabled(k >= 0);
  if (k < 0) {
    verdict_->setText("No field set is loaded.");
    shift_text_->clear();
    Draw();
    return;
  }
  const FieldSet& s = stores_.sets[k];
  dims_ = DimensionalityOf(s, stores_.workspace.dimensionality);
  dplus_ = FitDPlus(ImpedanceDataOf(s));
  int non_1d = 0;
  for (const TensorInvariants& t : dims_) non_1d += t.one_d ? 0 : 1;
  verdict_->setText(
      QString("D+ (best fit of any 1-D model): %1\n%2 of %3 periods are not "
              "1-D by the phase tensor.")
          .arg(QString::fromStdString(dplus_.message))
          .arg(non_1d)
          .arg(dims_.size()));
  shift_text_->setText(
      QString("rho_a of this set x %1")
          .arg(static_cast<double>(s.static_shift), 0, 'g', 4));
  Draw();
}

void DimensionalityWindow::Draw() {
  plot_->clearPlottables();
  plot_->clearItems();
  QVector<double> t, swift, bahr, ell, beta;
  std::vector<double> period;
  std::vector<bool> marked;
  for (const TensorInvariants& d : dims_) {
    if (!d.valid) continue;
    t.push_back(d.period);
    swift.push_back(d.swift_skew);
    bahr.push_back(d.bahr_skew);
    ell.push_back(d.ellipticity);
    beta.push_back(d.beta_deg);
    period.push_back(d.period);
    marked.push_back(!d.one_d);
  }
  Series(plot_,
         skew_rect_,
         "Swift skew",
         QColor(0, 0, 200),
         QCPScatterStyle::ssCircle)
      ->setData(t, swift);
  Series(plot_,
         skew_rect_,
         "Bahr skew",
         QColor(0, 150, 0),
         QCPScatterStyle::ssSquare)
      ->setData(t, bahr);
  Series(plot_,
         skew_rect_,
         "ellipticity",
         QColor(200, 0, 0),
         QCPScatterStyle::ssTriangle)
      ->setData(t, ell);
  QCPGraph* b = Series(plot_,
                       beta_rect_,
                       "beta",
                       QColor(120, 0, 120),
                       QCPScatterStyle::ssDiamond);
  b->setData(t, beta);
  b->removeFromLegend();
  const DimensionalityThresholds& limits = stores_.workspace.dimensionality;
  auto level = [this](QCPAxisRect* rect, double y, const QColor& colour) {
    auto* line = new QCPItemStraightLine(plot_);
    line->setClipAxisRect(rect);
    for (QCPItemPosition* p : {line->point1, line->point2}) {
      p->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
      p->setAxisRect(rect);
    }
    line->point1->setCoords(1.0, y);
    line->point2->setCoords(10.0, y);
    line->setPen(QPen(colour, 1.0, Qt::DashLine));
  };
  level(skew_rect_, limits.ellipticity, QColor(200, 0, 0));
  level(beta_rect_, limits.beta_deg, QColor(120, 0, 120));
  level(beta_rect_, -limits.beta_deg, QColor(120, 0, 120));
  ShadePeriods(*plot_, skew_rect_, period, marked);
  ShadePeriods(*plot_, beta_rect_, period, marked);
  if (!t.isEmpty()) {
    double lo = t[0], hi = t[0], top = limits.ellipticity,
           span = limits.beta_deg;
    for (int i = 0; i < t.size(); ++i) {
      lo = std::min(lo, t[i]);
      hi = std::max(hi, t[i]);
      top = std::max({top,
                      std::min(swift[i], 2.0),
                      std::min(bahr[i], 2.0),
                      std::min(ell[i], 2.0)});
      span = std::max(span, std::min(std::fabs(beta[i]), 90.0));
    }
    for (QCPAxisRect* r : {skew_rect_, beta_rect_}) {
      r->axis(QCPAxis::atBottom)->setRange(lo / 1.5, hi * 1.5);
    }
    skew_rect_->axis(QCPAxis::atLeft)->setRange(0.0, top * 1.1);
    beta_rect_->axis(QCPAxis::atLeft)->setRange(-span * 1.1, span * 1.1);
  }
  plot_->replot();
}

int DimensionalityWindow::LeaveOut() {
  const int k = CurrentSet();
  if (k < 0) return 0;
  const int marked = LeaveOutNon1D(stores_.sets[k], dims_);
  if (marked > 0) SetsChanged();
  Recompute();
  return marked;
}

bool DimensionalityWindow::ApplyShift() {
  const int k = CurrentSet();
  if (k < 0) return false;
  FieldSet& set = stores_.sets[k];
  bool number_ok = false;
  const double value = value_->text().toDouble(&number_ok);
  const int method = method_->currentIndex();
  auto refuse = [this](const QString& text) {
    ui_.MessageBox(text.toStdString(),
                   "STATIC SHIFT",
                   Icon::kExclamation,
                   Buttons::kOk,
                   Answer::kOk);
    return false;
  };
  if (method == kAlongProfile) {
    const ShiftEstimate e = ShiftFromLoadedStations(stores_.sets, k);
    if (!e.ok) return refuse(QString::fromStdString(e.message));
    SetStaticShift(set, e.factor_xy);
  } else if (method == kByHand || method == kNearSurface) {
    if (!number_ok || !(value > 0.0) || !std::isfinite(value)) {
      return refuse("Enter a positive number");
    }
    if (method == kByHand) {
      SetStaticShift(set, value);
    } else {
      const ShiftEstimate e = ShiftFromNearSurface(set, value);
      if (!e.ok) return refuse(QString::fromStdString(e.message));
      SetStaticShift(set, e.factor_xy);
    }
  } else {
    // The other polarisation of the same station.
    int xy = -1, yx = -1;
    for (int j = 0; j < MaxSets; ++j) {
      const FieldSet& s = stores_.sets[j];
      if (s.in_use <= 0 || s.station != set.station) continue;
      if (s.mode == CurveMode::XY && xy < 0) xy = j;
      if (s.mode == CurveMode::YX && yx < 0) yx = j;
    }
    if (xy < 0 || yx < 0) {
      return refuse("Load both XY and YX of this station");
    }
    const ShiftTarget target = method == kOntoYX ? ShiftTarget::kOntoYX
                               : method == kOntoXY
                                   ? ShiftTarget::kOntoXY
                                   : ShiftTarget::kGeometricMean;
    const ShiftEstimate e =
        ShiftFromPolarisations(stores_.sets[xy], stores_.sets[yx], target);
    if (!e.ok) return refuse(QString::fromStdString(e.message));
    SetStaticShift(stores_.sets[xy], e.factor_xy);
    SetStaticShift(stores_.sets[yx], e.factor_yx);
  }
  SetsChanged();
  RefreshSets();
  return true;
}

void DimensionalityWindow::SetsChanged() {
  ui_.Post(Window::kMainFrame, Um::UM_SETSCHANGED, 0, 0);
}

}  // namespace mtvuk
