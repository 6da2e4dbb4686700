#include "ui/inversion/smooth_inversion_window.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "core/inversion/bostick.h"
#include "core/inversion/fit_misfit.h"
#include "core/inversion/smooth_profile_layers.h"
#include "ui/app/form_fields.h"
#include "ui/graph/curve_graph.h"
#include "ui/inversion/fit_plots.h"

namespace mtvuk {
namespace {

constexpr int kCurvePoints = 120;

QCPGraph* LineGraph(QCPAxisRect* rect, const QPen& pen) {
  auto* g =
      new QCPGraph(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
  g->setPen(pen);
  return g;
}

// Widens a range by a factor on a log axis (or by a share of its width on
// a linear one), so that no point sits on the frame.
void Pad(QCPAxis* axis, double factor) {
  const QCPRange r = axis->range();
  if (axis->scaleType() == QCPAxis::stLogarithmic) {
    axis->setRange(r.lower / factor, r.upper * factor);
  } else {
    const double d = (factor - 1.0) * (r.upper - r.lower);
    axis->setRange(r.lower - d, r.upper + d);
  }
}

}  // namespace

bool SmoothExtraProfile(const Stores& stores, int k, ExtraProfile& profile) {
  const SmoothProfile* p =
      k >= 0 && k < MaxSets ? CurrentProfile(stores.profiles, stores.sets[k], k)
                            : nullptr;
  if (p == nullptr) return false;
  ProfilePoints points = DepthProfilePoints(*p);
  profile.depth = std::move(points.depth);
  profile.log_res = std::move(points.log_res);
  profile.log_s = std::move(points.log_s);
  return true;
}

SmoothInversionWindow::SmoothInversionWindow(Stores& stores,
                                             QtUi& ui,
                                             QWidget* parent)
    : QWidget(parent, Qt::Tool), stores_(stores), ui_(ui) {
  setObjectName("smooth_inversion");
  setWindowTitle("Smooth inversion (Occam)");
  setting_ = SmoothInversionSetting::Load(stores_.sets);

  auto* controls = new QHBoxLayout;
  set_box_ = new QComboBox(this);
  set_box_->setMinimumContentsLength(14);
  auto* set_label = new QLabel("Field &set", this);
  set_label->setBuddy(set_box_);
  target_ = new QLineEdit(FieldNumber(setting_.target_rms), this);
  auto* target_label = new QLabel("&Target rms", this);
  target_label->setBuddy(target_);
  layers_ = new QLineEdit(QString::number(setting_.layers), this);
  auto* layers_label = new QLabel("&Layers", this);
  layers_label->setBuddy(layers_);
  for (QLineEdit* e : {target_, layers_}) e->setMaximumWidth(60);
  run_ = new QPushButton("&Run", this);
  escape_ = new QPushButton("Esc", this);
  escape_->setToolTip("Stops a run (as the Esc key does); closes the window");
  // The input gate lets a click on this button through while a run holds
  // back all other input, as an Esc key.
  escape_->setProperty("escape_button", true);
  model_box_ = new QComboBox(this);
  for (int k = 0; k < MaxModels; ++k)
    model_box_->addItem(QString("model %1").arg(k + 1));
  install_ = new QPushButton("&Install as", this);
  install_->setToolTip(
      "Merges the profile into at most 16 layers for the model editor");
  controls->addWidget(set_label);
  controls->addWidget(set_box_);
  controls->addSpacing(12);
  controls->addWidget(target_label);
  controls->addWidget(target_);
  controls->addWidget(layers_label);
  controls->addWidget(layers_);
  controls->addSpacing(12);
  controls->addWidget(run_);
  controls->addWidget(escape_);
  controls->addStretch(1);
  controls->addWidget(install_);
  controls->addWidget(model_box_);
  connect(run_, &QPushButton::clicked, this, [this] { Run(); });
  connect(escape_, &QPushButton::clicked, this, &QWidget::close);
  connect(install_, &QPushButton::clicked, this, [this] { Install(); });
  connect(set_box_, &QComboBox::activated, this, [this](int) {
    setting_.set = set_box_->currentData().toInt();
    Draw();
  });

  plot_ = new QCustomPlot(this);
  QCPLayoutGrid* layout = plot_->plotLayout();
  rho_rect_ = plot_->axisRect();
  layout->take(rho_rect_);
  layout->simplify();
  auto* curves = new QCPLayoutGrid;
  auto* depth = new QCPLayoutGrid;
  layout->addElement(0, 0, curves);
  layout->addElement(0, 1, depth);
  phase_rect_ = new QCPAxisRect(plot_);
  profile_rect_ = new QCPAxisRect(plot_);
  trade_rect_ = new QCPAxisRect(plot_);
  curves->addElement(0, 0, rho_rect_);
  curves->addElement(1, 0, phase_rect_);
  depth->addElement(0, 0, profile_rect_);
  depth->addElement(1, 0, trade_rect_);
  depth->setRowStretchFactor(0, 1.6);
  layout->setColumnStretchFactor(1, 0.6);
  SetUpCurveRects(plot_, rho_rect_, phase_rect_);
  auto* right = new QCPMarginGroup(plot_);
  profile_rect_->setMarginGroup(QCP::msLeft | QCP::msRight, right);
  trade_rect_->setMarginGroup(QCP::msLeft | QCP::msRight, right);
  SetUpDepthRect(profile_rect_);
  LogAxis(trade_rect_->axis(QCPAxis::atBottom), "Roughness");
  LogAxis(trade_rect_->axis(QCPAxis::atLeft), "Normalized rms");
  LegendBelow(plot_, rho_rect_, 3);

  text_ = FiguresLabel(this);
  text_->setFixedWidth(260);
  status_ = new QLabel(this);
  auto* middle = new QHBoxLayout;
  middle->addWidget(plot_, 1);
  middle->addWidget(text_);
  auto* box = new QVBoxLayout(this);
  box->addLayout(controls);
  box->addLayout(middle, 1);
  box->addWidget(status_);
  resize(1250, 760);
  RefreshSets();
}

void SmoothInversionWindow::RefreshSets() {
  const std::vector<int> in_use =
      SmoothInversionSetting::SetsInUse(stores_.sets);
  if (std::find(in_use.begin(), in_use.end(), setting_.set) == in_use.end())
    setting_.set = in_use.empty() ? -1 : in_use.front();
  set_box_->clear();
  for (int k : in_use) {
    set_box_->addItem(QString("%1: %2").arg(k + 1).arg(
                          QString::fromStdString(stores_.sets[k].label)),
                      k);
    if (k == setting_.set) set_box_->setCurrentIndex(set_box_->count() - 1);
  }
  run_->setEnabled(!in_use.empty());
  status_->setText(in_use.empty() ? "Load field data first (File > Input "
                                    "MT-Field data)."
                                  : "Run fits the chosen set; Esc stops a "
                                    "run.");
  Draw();
}

bool SmoothInversionWindow::Run() {
  RefreshSets();
  if (setting_.set < 0) return false;
  double rms = 0.0, layers = 0.0;
  if (!ReadField(target_, rms, ui_) || !ReadField(layers_, layers, ui_))
    return false;
  SmoothInversionSetting s = setting_;
  s.target_rms = rms;
  // Not a whole number of layers: refused as a number out of range.
  s.layers = layers >= 0.0 && layers <= 1000.0 && layers == std::floor(layers)
                 ? static_cast<int>(layers)
                 : 0;
  const FieldError error = s.Validate();
  if (error) {
    RefuseField(error->first == 0 ? target_ : layers_, error->second, ui_);
    return false;
  }
  setting_ = s;
  status_->setText("Running... (Esc stops)");
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QElapsedTimer clock;
  clock.start();
  SmoothInversionResult r;
  {
    BusyScope busy(ui_);
    r = RunSmoothInversionSetting(
        setting_, stores_, ui_, [this](const SmoothIteration& it) {
          ShowProgress(it);
        });
  }
  QApplication::restoreOverrideCursor();
  if (!r.ran) {
    status_->clear();
    return false;
  }
  seconds_ = clock.elapsed() / 1000.0;
  result_ = std::move(r);
  status_->setText(result_.cancelled ? "Stopped by Esc." : "Done.");
  Draw();
  return true;
}

void SmoothInversionWindow::ShowProgress(const SmoothIteration& it) {
  status_->setText(QString("iteration %1   normalized rms %2   roughness %3")
                       .arg(it.iteration)
                       .arg(it.rms, 0, 'g', 4)
                       .arg(it.roughness, 0, 'g', 4));
  status_->repaint();
}

bool SmoothInversionWindow::Install() {
  setting_.model = model_box_->currentIndex();
  return InstallSmoothProfile(setting_, stores_, ui_);
}

void SmoothInversionWindow::Draw() {
  plot_->clearPlottables();
  plot_->legend->clearItems();
  const int k = setting_.set;
  const SmoothProfile* profile =
      k >= 0 ? CurrentProfile(stores_.profiles, stores_.sets[k], k) : nullptr;
  install_->setEnabled(profile != nullptr);
  if (k < 0) {
    text_->clear();
    plot_->replot();
    return;
  }
  const FieldSet& set = stores_.sets[k];
  const QColor colour = SetColour(k);
  AddFieldData(rho_rect_, phase_rect_, set, colour);

  // The Bostick transform of the data beside the profile.
  QVector<double> b_depth, b_rho;
  for (const BostickSample& b : BostickTransform(set, EffectivePeriods(set))) {
    b_depth << b.depth_km;
    b_rho << b.rho;
  }
  auto* bostick = new QCPCurve(profile_rect_->axis(QCPAxis::atBottom),
                               profile_rect_->axis(QCPAxis::atLeft));
  bostick->setData(b_rho, b_depth);
  bostick->setLineStyle(QCPCurve::lsNone);
  bostick->setScatterStyle(
      QCPScatterStyle(QCPScatterStyle::ssDiamond, colour, 6));
  bostick->setName("Bostick transform of the data");

  if (profile != nullptr) {
    double t_low = 0.0, t_high = 0.0;
    DataPeriodRange(set, t_low, t_high);
    std::vector<double> periods(kCurvePoints), rho_a, phase;
    for (int i = 0; i < kCurvePoints; ++i)
      periods[i] = t_low * std::pow(t_high / t_low, i / (kCurvePoints - 1.0));
    ProfileResponse(*profile, periods, rho_a, phase);
    const QPen pen(Qt::black, 2.0);
    QCPGraph* curve = LineGraph(rho_rect_, pen);
    curve->setName("response of the smooth profile");
    curve->setData(QVector<double>(periods.begin(), periods.end()),
                   QVector<double>(rho_a.begin(), rho_a.end()));
    QCPGraph* phase_curve = LineGraph(phase_rect_, pen);
    phase_curve->setData(QVector<double>(periods.begin(), periods.end()),
                         QVector<double>(phase.begin(), phase.end()));
    phase_curve->removeFromLegend();

    const int n = profile->layers;
    std::vector<double> rho(profile->resistivity.begin(),
                            profile->resistivity.begin() + n + 1);
    std::vector<double> h(profile->thickness.begin(),
                          profile->thickness.begin() + n);
    const double surface = 0.3 * h.front();
    QCPCurve* stairs = AddStaircase(profile_rect_, rho, h, surface);
    stairs->setPen(QPen(Qt::black, 2.0));
    stairs->setName(QString("smooth profile, %1 layers").arg(n));
    const MergedModel merged = MergeProfile(*profile);
    QCPCurve* as_model = AddStaircase(
        profile_rect_, merged.resistivity, merged.thickness, surface);
    as_model->setPen(QPen(colour, 1.5, Qt::DashLine));
    as_model->setName(
        QString("merged into %1 layers (Install)").arg(merged.layers));
  }

  // Misfit against roughness of the mu values the last search tried.
  const bool own =
      result_.ran && profile != nullptr && !result_.history.empty() &&
      result_.log_rho.size() == static_cast<std::size_t>(profile->layers + 1);
  const SmoothIteration* last = nullptr;
  if (own) {
    for (const SmoothIteration& it : result_.history)
      if (!it.trials.empty()) last = &it;
  }
  if (last != nullptr) {
    std::vector<MuTrial> trials = last->trials;
    std::sort(trials.begin(), trials.end(), [](auto& a, auto& b) {
      return a.mu < b.mu;
    });
    QVector<double> t, x, y;
    for (const MuTrial& m : trials) {
      t << std::log10(m.mu);
      x << std::max(m.roughness, 1e-6);
      y << m.rms;
    }
    auto* trade = new QCPCurve(trade_rect_->axis(QCPAxis::atBottom),
                               trade_rect_->axis(QCPAxis::atLeft));
    trade->setData(t, x, y);
    trade->setPen(QPen(Qt::darkGray, 1.0));
    trade->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, Qt::darkGray, 4));
    trade->setName(QString("mu tried in iteration %1").arg(last->iteration));
    auto* chosen = new QCPCurve(trade_rect_->axis(QCPAxis::atBottom),
                                trade_rect_->axis(QCPAxis::atLeft));
    chosen->setData({std::max(last->roughness, 1e-6)}, {last->rms});
    chosen->setLineStyle(QCPCurve::lsNone);
    chosen->setScatterStyle(QCPScatterStyle(
        QCPScatterStyle::ssCircle, QPen(Qt::red, 2.0), Qt::NoBrush, 11));
    chosen->setName(QString("chosen, mu = %1").arg(last->mu, 0, 'g', 3));
  }

  for (QCPAxisRect* rect :
       {rho_rect_, phase_rect_, profile_rect_, trade_rect_}) {
    for (QCPAxis* a : rect->axes()) a->rescale(true);
  }
  for (QCPAxis* a : {rho_rect_->axis(QCPAxis::atBottom),
                     rho_rect_->axis(QCPAxis::atLeft),
                     profile_rect_->axis(QCPAxis::atBottom),
                     profile_rect_->axis(QCPAxis::atLeft),
                     trade_rect_->axis(QCPAxis::atBottom),
                     trade_rect_->axis(QCPAxis::atLeft)}) {
    Pad(a, 1.5);
  }
  if (last != nullptr) {
    // The target as a dashed line across the curve.
    QCPAxis* rough = trade_rect_->axis(QCPAxis::atBottom);
    QCPGraph* target = LineGraph(trade_rect_, QPen(Qt::red, 1, Qt::DashLine));
    const double goal = stores_.profiles[k].target_rms;
    target->setData({rough->range().lower, rough->range().upper}, {goal, goal});
    target->setName(QString("target rms %1").arg(goal));
    QCPAxis* rms_axis = trade_rect_->axis(QCPAxis::atLeft);
    rms_axis->setRange(std::min(rms_axis->range().lower, goal / 1.5),
                       std::max(rms_axis->range().upper, goal * 1.5));
  }
  QCPAxis* phase_axis = phase_rect_->axis(QCPAxis::atLeft);
  phase_axis->setRange(std::max(-10.0, phase_axis->range().lower - 5.0),
                       std::min(100.0, phase_axis->range().upper + 5.0));
  phase_rect_->axis(QCPAxis::atBottom)
      ->setRange(rho_rect_->axis(QCPAxis::atBottom)->range());
  plot_->replot();

  QString t = QString("%1 (set %2)\n\n")
                  .arg(QString::fromStdString(set.label))
                  .arg(k + 1);
  if (profile == nullptr) {
    t += "No smooth profile of these data yet:\nRun fits one.";
  } else {
    t += QString(
             "%1 layers over a half-space\ntarget %2 (%3)\ntarget rms %4\n\n"
             "normalized rms %5\nroughness %6\n(sum of the squared steps\n"
             " of log10 rho)\nmu %7\niterations %8\n")
             .arg(profile->layers)
             .arg(profile->target)
             .arg(profile->target == 4 ? "Ro" : "Res+Phs")
             .arg(profile->target_rms)
             .arg(profile->rms, 0, 'g', 4)
             .arg(profile->roughness, 0, 'g', 4)
             .arg(profile->mu, 0, 'g', 4)
             .arg(profile->iterations);
    if (own) t += QString("time %1 s\n").arg(seconds_, 0, 'f', 3);
    t += QString("\n%1: %2\n")
             .arg(profile->converged ? "converged" : "not converged")
             .arg(QString::fromStdString(profile->reason));
  }
  text_->setText(t);
}

}  // namespace mtvuk
