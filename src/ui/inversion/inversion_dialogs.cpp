#include "ui/inversion/inversion_dialogs.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "core/physics/forward_1d.h"
#include "ui/app/form_fields.h"
#include "ui/graph/curve_graph.h"
#include "ui/inversion/fit_plots.h"

namespace mtvuk {
namespace {

QDialogButtonBox* OkCancel(QDialog* d) {
  auto* b =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
  QObject::connect(b, &QDialogButtonBox::accepted, d, &QDialog::accept);
  QObject::connect(b, &QDialogButtonBox::rejected, d, &QDialog::reject);
  return b;
}

}  // namespace

// ---------------------------------------------------------- MainSettingDialog

MainSettingDialog::MainSettingDialog(Stores& stores, QtUi& ui, QWidget* parent)
    : QDialog(parent), stores_(stores), ui_(ui) {
  setObjectName("main_setting_dialog");
  setWindowTitle("Main setting");
  const MainSetting s = MainSetting::Load(stores_.workspace);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  amount_ = new QLineEdit(QString::number(s.amount), this);
  form->addRow("&Amount of iteration", amount_);
  delta_ = new QLineEdit(FieldNumber(s.delta), this);
  delta_->hide();  // "Delta" is kept but not shown
  layout->addLayout(form);
  auto* box = new QGroupBox("Fit", this);
  auto* targets = new QVBoxLayout(box);
  const char* const kTexts[5] = {"RE && I&M impedance",
                                 "&RE  impedance",
                                 "&IM   impedance",
                                 "Re&s ",
                                 "Res && &Phase"};
  for (int i = 0; i < 5; ++i) {
    targets_[i] = new QCheckBox(kTexts[i], box);
    targets_[i]->setChecked(s.target[i]);
    targets->addWidget(targets_[i]);
    if (i >= 1 && i <= 3) targets_[i]->hide();
  }
  layout->addWidget(box);
  auto* method_box = new QGroupBox("Method", this);
  auto* methods = new QVBoxLayout(method_box);
  methods_[static_cast<int>(FitMethod::kRobust)] = new QRadioButton(
      "Robust (exact derivatives, several starts)", method_box);
  methods_[static_cast<int>(FitMethod::kClassic)] =
      new QRadioButton("Classic Marquardt", method_box);
  for (QRadioButton* b : methods_) methods->addWidget(b);
  methods_[static_cast<int>(s.method)]->setChecked(true);
  layout->addWidget(method_box);
  ignore_ = new QCheckBox("Ignore &Error-bars      ", this);
  ignore_->setChecked(s.ignore_error_bars);
  show_fit_ = new QCheckBox("Show fitting result", this);
  show_fit_->setChecked(s.show_fit_result);
  auto* delay = new QCheckBox("Use cut-off &Delay", this);
  delay->hide();
  layout->addWidget(ignore_);
  layout->addWidget(show_fit_);
  layout->addWidget(OkCancel(this));
}

void MainSettingDialog::accept() {
  MainSetting s;
  double amount = 0.0;
  if (!ReadField(amount_, amount, ui_) || !ReadField(delta_, s.delta, ui_))
    return;
  s.amount = static_cast<int>(amount);
  if (s.amount != amount) s.amount = 0;  // not an integer: refused below
  for (int i = 0; i < 5; ++i) s.target[i] = targets_[i]->isChecked();
  s.ignore_error_bars = ignore_->isChecked();
  s.show_fit_result = show_fit_->isChecked();
  s.method = methods_[static_cast<int>(FitMethod::kClassic)]->isChecked()
                 ? FitMethod::kClassic
                 : FitMethod::kRobust;
  if (auto error = s.Validate()) {
    RefuseField(error->first == 0 ? amount_ : delta_, error->second, ui_);
    return;
  }
  s.Apply(stores_.workspace, ui_);
  QDialog::accept();
}

// ------------------------------------------------------ VariationLimitsDialog

VariationLimitsDialog::VariationLimitsDialog(Stores& stores,
                                             QtUi& ui,
                                             QWidget* parent)
    : QDialog(parent),
      stores_(stores),
      ui_(ui),
      limits_(VariationLimits::Load(
          stores.models[stores.workspace.current_model])) {
  setObjectName("variation_limits_dialog");
  setWindowTitle("SETTING VARIATION'S LIMITS ");
  const LayerModel& m = stores_.models[stores_.workspace.current_model];
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString("Model: %1  (%2)")
                                   .arg(stores_.workspace.current_model + 1)
                                   .arg(QString::fromStdString(m.name)),
                               this));
  auto* grid = new QGridLayout;
  grid->addWidget(
      new QLabel("Resistivity (Ohm-m)", this), 0, 1, 1, 3, Qt::AlignCenter);
  grid->addWidget(
      new QLabel("Thickness (km)", this), 0, 4, 1, 3, Qt::AlignCenter);
  const char* const kHeads[6] = {"Fix", "Min", "Max", "Fix", "Min", "Max"};
  for (int c = 0; c < 6; ++c)
    grid->addWidget(new QLabel(kHeads[c], this), 1, c + 1, Qt::AlignCenter);
  for (int j = 0; j < MaxLayers; ++j) {
    grid->addWidget(new QLabel(QString::number(j + 1), this), j + 2, 0);
    for (int t = 0; t < 2; ++t) {
      if (t == 1 && j == MaxLayers - 1) continue;
      auto* fix = new QCheckBox(this);
      fix_[j][t] = fix;
      grid->addWidget(fix, j + 2, 1 + 3 * t, Qt::AlignCenter);
      connect(fix, &QCheckBox::toggled, this, [this, j, t](bool on) {
        edits_[j][2 * t]->setEnabled(!on);
        edits_[j][2 * t + 1]->setEnabled(!on);
      });
      for (int f = 0; f < 2; ++f) {
        auto* e = new QLineEdit(this);
        e->setFixedWidth(80);
        connect(e, &QLineEdit::textEdited, this, [this, j] { focus_row_ = j; });
        edits_[j][2 * t + f] = e;
        grid->addWidget(e, j + 2, 2 + 3 * t + f);
      }
    }
  }
  layout->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  auto* defaults = new QPushButton("&Set default", this);
  connect(defaults,
          &QPushButton::clicked,
          this,
          &VariationLimitsDialog::SetDefault);
  auto* all = new QPushButton("Set in &All layers", this);
  all->setToolTip("The limits of the row last edited, in every layer");
  connect(
      all, &QPushButton::clicked, this, &VariationLimitsDialog::SetInAllLayers);
  auto* ip = new QPushButton("IP-&effect...", this);
  connect(ip, &QPushButton::clicked, this, [this] {
    IpLimitsDialog(stores_, ui_, this).exec();
  });
  buttons->addWidget(defaults);
  buttons->addWidget(all);
  buttons->addWidget(ip);
  buttons->addStretch(1);
  buttons->addWidget(OkCancel(this));
  layout->addLayout(buttons);
  ShowRows();
}

void VariationLimitsDialog::ShowRows() {
  for (int j = 0; j < MaxLayers; ++j) {
    const LayerLimits& r = limits_.rows[j];
    const double values[4] = {r.rho_min, r.rho_max, r.h_min, r.h_max};
    const std::int32_t fixes[2] = {r.fix_rho, r.fix_h};
    for (int t = 0; t < 2; ++t) {
      if (fix_[j][t] == nullptr) continue;
      fix_[j][t]->setChecked(fixes[t] != 0);
      for (int f = 0; f < 2; ++f) {
        edits_[j][2 * t + f]->setText(FieldNumber(values[2 * t + f]));
        edits_[j][2 * t + f]->setEnabled(fixes[t] == 0);
      }
    }
  }
}

bool VariationLimitsDialog::ReadRows() {
  for (int j = 0; j < MaxLayers; ++j) {
    LayerLimits& r = limits_.rows[j];
    double* fields[4] = {&r.rho_min, &r.rho_max, &r.h_min, &r.h_max};
    for (int f = 0; f < 4; ++f) {
      if (edits_[j][f] != nullptr && !ReadField(edits_[j][f], *fields[f], ui_))
        return false;
    }
    r.fix_rho = fix_[j][0]->isChecked() ? 1 : 0;
    r.fix_h = fix_[j][1] != nullptr && fix_[j][1]->isChecked() ? 1 : 0;
  }
  return true;
}

void VariationLimitsDialog::SetDefault() {
  if (!ReadRows()) return;
  limits_.SetDefault();
  ShowRows();
}

void VariationLimitsDialog::SetInAllLayers() {
  if (!ReadRows()) return;
  limits_.SetInAllLayers(focus_row_);
  ShowRows();
}

void VariationLimitsDialog::accept() {
  if (!ReadRows()) return;
  if (auto error = limits_.Validate()) {
    RefuseField(edits_[error->first / 4][error->first % 4], error->second, ui_);
    return;
  }
  limits_.Apply(stores_.models[stores_.workspace.current_model]);
  if (!stores_.workspace.model_form_open)
    ui_.Post(Window::kView, Um::UM_MODELSCHANGED, 0, 0);
  QDialog::accept();
}

// ------------------------------------------------------------ IpLimitsDialog

IpLimitsDialog::IpLimitsDialog(Stores& stores, QtUi& ui, QWidget* parent)
    : QDialog(parent),
      stores_(stores),
      ui_(ui),
      limits_(IpLimits::Load(stores.models[stores.workspace.current_model])) {
  setObjectName("ip_limits_dialog");
  setWindowTitle("SETTING VARIATION'S LIMITS: IP-EFFECT");
  auto* layout = new QVBoxLayout(this);
  auto* radios = new QHBoxLayout;
  radios->addWidget(new QLabel("Layer:", this));
  for (int i = 0; i < 7; ++i) {
    layers_[i] = new QRadioButton(QString("&%1").arg(i + 1), this);
    radios->addWidget(layers_[i]);
    connect(layers_[i], &QRadioButton::clicked, this, [this, i] {
      if (ReadLayer()) ShowLayer(i);
    });
  }
  layout->addLayout(radios);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Fix", this), 0, 1);
  grid->addWidget(new QLabel("Min", this), 0, 2);
  grid->addWidget(new QLabel("Max", this), 0, 3);
  const char* const kRows[2] = {"Permittivity / polarization",
                                "Relaxation time (mcs]"};
  for (int r = 0; r < 2; ++r) {
    grid->addWidget(new QLabel(kRows[r], this), r + 1, 0);
    fix_[r] = new QCheckBox(this);
    grid->addWidget(fix_[r], r + 1, 1);
    for (int f = 0; f < 2; ++f) {
      edits_[2 * r + f] = new QLineEdit(this);
      grid->addWidget(edits_[2 * r + f], r + 1, 2 + f);
    }
    connect(fix_[r], &QCheckBox::toggled, this, [this, r](bool on) {
      edits_[2 * r]->setEnabled(!on);
      edits_[2 * r + 1]->setEnabled(!on);
    });
  }
  layout->addLayout(grid);
  layout->addWidget(OkCancel(this));
  layers_[0]->setChecked(true);
  ShowLayer(0);
}

void IpLimitsDialog::ShowLayer(int layer) {
  layer_ = layer;
  const IpLimits::Row& r = limits_.rows[layer];
  fix_[0]->setChecked(r.fix_p1 != 0);
  fix_[1]->setChecked(r.fix_tau != 0);
  const double values[4] = {r.p1_min, r.p1_max, r.tau_min, r.tau_max};
  for (int f = 0; f < 4; ++f) edits_[f]->setText(FieldNumber(values[f]));
}

bool IpLimitsDialog::ReadLayer() {
  IpLimits::Row& r = limits_.rows[layer_];
  double* fields[4] = {&r.p1_min, &r.p1_max, &r.tau_min, &r.tau_max};
  for (int f = 0; f < 4; ++f) {
    if (!ReadField(edits_[f], *fields[f], ui_)) return false;
  }
  r.fix_p1 = fix_[0]->isChecked() ? 1 : 0;
  r.fix_tau = fix_[1]->isChecked() ? 1 : 0;
  return true;
}

void IpLimitsDialog::accept() {
  if (!ReadLayer()) return;
  if (auto error = limits_.Validate()) {
    const int layer = error->first / 4;
    layers_[layer]->setChecked(true);
    ShowLayer(layer);
    RefuseField(edits_[error->first % 4], error->second, ui_);
    return;
  }
  limits_.Apply(stores_.models[stores_.workspace.current_model]);
  QDialog::accept();
}

// --------------------------------------------------------------- AttachDialog

AttachDialog::AttachDialog(Stores& stores, QtUi& ui, QWidget* parent)
    : QDialog(parent),
      stores_(stores),
      ui_(ui),
      attachment_(Attachment::Load(stores.sets)) {
  setObjectName("attach_dialog");
  setWindowTitle("ATTACH FIELD DATA TO MODELS");
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Field data", this), 0, 0);
  grid->addWidget(
      new QLabel("Models", this), 0, 1, 1, MaxModels, Qt::AlignCenter);
  for (int m = 0; m < MaxModels; ++m) {
    auto* head = new QLabel(QString::number(m + 1), this);
    head->setStyleSheet(QString("color: %1").arg(SetColour(m).name()));
    grid->addWidget(head, 1, m + 1, Qt::AlignCenter);
  }
  for (int s = 0; s < MaxSets; ++s) {
    const FieldSet& set = stores_.sets[s];
    const QString label =
        set.in_use > 0 ? QString::fromStdString(set.label) : QString("(empty)");
    grid->addWidget(
        new QLabel(QString("%1  %2").arg(s + 1).arg(label), this), s + 2, 0);
    for (int m = 0; m < MaxModels; ++m) {
      cells_[s][m] = new QCheckBox(this);
      cells_[s][m]->setChecked(attachment_.table[s][m] != 0);
      grid->addWidget(cells_[s][m], s + 2, m + 1, Qt::AlignCenter);
    }
  }
  layout->addLayout(grid);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton("&Attach", QDialogButtonBox::AcceptRole);
  auto* defaults =
      buttons->addButton("&Set default", QDialogButtonBox::ResetRole);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &AttachDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(defaults, &QPushButton::clicked, this, &AttachDialog::SetDefault);
  layout->addWidget(buttons);
}

void AttachDialog::SetDefault() {
  attachment_.SetDefault();
  for (int s = 0; s < MaxSets; ++s)
    for (int m = 0; m < MaxModels; ++m)
      cells_[s][m]->setChecked(attachment_.table[s][m] != 0);
}

void AttachDialog::accept() {
  for (int s = 0; s < MaxSets; ++s)
    for (int m = 0; m < MaxModels; ++m)
      attachment_.table[s][m] = cells_[s][m]->isChecked() ? 1 : 0;
  if (!attachment_.Apply(stores_.sets, ui_)) return;
  ui_.Post(Window::kModelForm, Um::UM_MODELSYNC, 0, 0);
  QDialog::accept();
}

// ------------------------------------------------------- InversionRatioWindow

namespace {

// A value as "2·10⁴" (or plainly between 0.01 and 10000).
QString MisfitLabel(double v) {
  if (v >= 0.01 && v < 10000.0) return QString::number(v, 'g', 4);
  const int k = static_cast<int>(std::floor(std::log10(v) + 1e-9));
  const double m = v / std::pow(10.0, k);
  static const QString kSuper[10] = {"⁰", "¹", "²", "³", "⁴",
                                     "⁵", "⁶", "⁷", "⁸", "⁹"};
  QString power = k < 0 ? "⁻" : "";
  for (QChar d : QString::number(std::abs(k))) power += kSuper[d.digitValue()];
  const QString ten = "10" + power;
  return std::fabs(m - 1.0) < 1e-9 ? ten
                                   : QString::number(m, 'g', 3) + "·" + ten;
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
  const double kSteps[3][10] = {{1, 10},
                                {1, 2, 5, 10},
                                {1, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10}};
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
  column->addWidget(BuildEquivalenceBox());
  auto* top = new QHBoxLayout;
  top->addWidget(plot_, 1);
  top->addLayout(column);
  auto* box = new QVBoxLayout(this);
  box->addLayout(top, 1);
  table_ = new QTableWidget(0, 5, this);
  table_->setHorizontalHeaderLabels({"Layer",
                                     "Resistivity, Ohm-m",
                                     "Thickness, km",
                                     "Conductance h/rho, S",
                                     QString::fromUtf8(
                                         "Transverse resistance h\u00b7rho, "
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
  layout->addWidget(new QLabel("Equivalent while S <= S_min + max(", group),
                    0,
                    0,
                    1,
                    4);
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
  for (QCPAxis* a : {period_r, period_p, rho_rect_->axis(QCPAxis::atLeft),
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
  QString t =
      QString(
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
  text_->setText(t);
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
    const QString cells[5] = {
        last ? QString("%1 (half-space)").arg(l.layer + 1)
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
