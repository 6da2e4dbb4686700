#include "ui/inversion/inversion_dialogs.h"

#include <qcustomplot.h>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
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
  error_floor_ = new QLineEdit(FieldNumber(s.error_floor), this);
  error_floor_->setObjectName("error_floor");
  error_floor_->setToolTip(
      "Least standard error of a datum in the robust fit, percent of |Z| "
      "(apparent resistivity twice that, phase asin of it); the classic "
      "method has none");
  form->addRow("Error &floor, % of |Z|", error_floor_);
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
  if (!ReadField(amount_, amount, ui_) || !ReadField(delta_, s.delta, ui_) ||
      !ReadField(error_floor_, s.error_floor, ui_))
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
    QLineEdit* fields[] = {amount_, delta_, error_floor_};
    RefuseField(fields[std::clamp(error->first, 0, 2)], error->second, ui_);
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

}  // namespace mtvuk
