#include "ui/modelform/modeling_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/physics/model_curve.h"
#include "ui/app/form_fields.h"
#include "ui/app/symbol_face.h"
#include "ui/graph/curve_graph.h"

namespace mtvuk {

// ------------------------------------------------------------ ImpedanceDialog

ImpedanceDialog::ImpedanceDialog(Stores& stores, QtUi& ui, QWidget* parent)
    : QDialog(parent), stores_(stores), ui_(ui) {
  setObjectName("impedance_dialog");
  setWindowTitle("Impedance");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Model curves show the impedance", this));
  const char* const kNames[kCurveModes] = {"&XY", "&YX", "&Mean", "&Eff"};
  for (int m = 0; m < kCurveModes; ++m) {
    choices_[m] = new QRadioButton(kNames[m], this);
    layout->addWidget(choices_[m]);
  }
  choices_[std::clamp<int>(stores_.workspace.polarisation, 0, kCurveModes - 1)]
      ->setChecked(true);
  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ImpedanceDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void ImpedanceDialog::accept() {
  for (int m = 0; m < kCurveModes; ++m) {
    if (choices_[m]->isChecked())
      stores_.workspace.polarisation = static_cast<std::int16_t>(m);
  }
  ShowSelectedPolarisation(stores_.workspace, stores_.models);
  ui_.Post(Window::kView, Um::UM_REDRAW, 0, 0);
  QDialog::accept();
}

// --------------------------------------------------------------- ModelSquares

ModelSquares::ModelSquares(const Workspace& workspace,
                           std::array<std::int32_t, MaxModels>& flags,
                           QWidget* parent)
    : QWidget(parent), workspace_(workspace), flags_(flags) {
  setFixedWidth(30);
}

QRect ModelSquares::SquareRect(int i) const {
  const int pitch = height() / MaxModels;
  return {10, i * pitch + (pitch - 15) / 2, 15, 15};
}

void ModelSquares::paintEvent(QPaintEvent*) {
  QPainter p(this);
  for (int i = 0; i < MaxModels; ++i) {
    const QPen pen = ModelPen(i, workspace_);
    p.setPen(QPen(pen.color(), 2));
    p.setBrush(flags_[i] ? pen.color() : QColor(Qt::white));
    p.drawRect(SquareRect(i));
  }
}

void ModelSquares::mousePressEvent(QMouseEvent* event) {
  for (int i = 0; i < MaxModels; ++i) {
    if (SquareRect(i).contains(event->position().toPoint())) {
      emit Clicked(i);
      update();
      return;
    }
  }
}

// ----------------------------------------------------- ModelingSettingsDialog

ModelingSettingsDialog::ModelingSettingsDialog(Stores& stores,
                                               QtUi& ui,
                                               QWidget* parent)
    : QDialog(parent),
      stores_(stores),
      ui_(ui),
      settings_(ModelingSettings::Load(stores.workspace, stores.models)) {
  setObjectName("modeling_settings_dialog");
  setWindowTitle("SETTING PARAMETERS FOR MODELING");
  auto* names = new QVBoxLayout;
  for (int i = 0; i < MaxModels; ++i) {
    names_[i] = new QLineEdit(QString::fromStdString(settings_.names[i]), this);
    names_[i]->setMinimumWidth(160);
    names->addWidget(names_[i]);
  }
  squares_ = new ModelSquares(stores_.workspace, settings_.shown, this);
  squares_->setToolTip("Shown models");
  connect(squares_, &ModelSquares::Clicked, this, [this](int i) {
    settings_.shown[i] = settings_.shown[i] ? 0 : 1;
  });
  auto* top = new QHBoxLayout;
  top->addWidget(squares_);
  top->addLayout(names);

  auto* form = new QFormLayout;
  const char* const kLabels[5] = {" &Resistivity step (un)",
                                  " &Thickness step  (km)",
                                  "&Min Period (sec)",
                                  "Ma&x Period (sec)",
                                  " &Width of pen  (pixel)"};
  const QString values[5] = {FieldNumber(settings_.resistivity_step),
                             FieldNumber(settings_.thickness_step),
                             FieldNumber(settings_.period_min),
                             FieldNumber(settings_.period_max),
                             QString::number(settings_.pen_width)};
  for (int i = 0; i < 5; ++i) {
    fields_[i] = new QLineEdit(values[i], this);
    auto* label = new QLabel(kLabels[i], this);
    label->setBuddy(fields_[i]);
    form->addRow(label, fields_[i]);
  }
  physics_ = new QComboBox(this);
  physics_->setObjectName("physics");
  physics_->addItems({"as published", "corrected"});
  physics_->setCurrentIndex(settings_.physics == Physics::kCorrected ? 1 : 0);
  physics_->setToolTip(
      "Corrected: the textbook form of six formulas (docs/physics.md)");
  auto* physics_label = new QLabel("&Physics:", this);
  physics_label->setBuddy(physics_);
  form->addRow(physics_label, physics_);
  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons,
          &QDialogButtonBox::accepted,
          this,
          &ModelingSettingsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void ModelingSettingsDialog::accept() {
  double v[5];
  for (int i = 0; i < 5; ++i) {
    if (!ReadField(fields_[i], v[i], ui_)) return;
  }
  settings_.resistivity_step = v[0];
  settings_.thickness_step = v[1];
  settings_.period_min = v[2];
  settings_.period_max = v[3];
  settings_.pen_width = static_cast<int>(v[4]);
  if (v[4] != settings_.pen_width) {
    RefuseField(fields_[4], "Please enter an integer.", ui_);
    return;
  }
  for (int i = 0; i < MaxModels; ++i)
    settings_.names[i] = names_[i]->text().toStdString();
  settings_.physics = physics_->currentIndex() == 1 ? Physics::kCorrected
                                                    : Physics::kPublished;
  if (auto error = settings_.Validate()) {
    RefuseField(fields_[error->first], error->second, ui_);
    return;
  }
  // The model pens are made from the workspace whenever a graph is drawn.
  settings_.Apply(stores_.workspace, stores_.models, ui_);
  QDialog::accept();
}

// --------------------------------------------------------- ChooseModelsDialog

ChooseModelsDialog::ChooseModelsDialog(Stores& stores,
                                       QtUi& ui,
                                       QWidget* parent)
    : QDialog(parent),
      stores_(stores),
      ui_(ui),
      choice_(ModelChoice::Load(stores.workspace, stores.models)) {
  setObjectName("choose_models_dialog");
  setWindowTitle("CHOOSE MODELS");
  auto* names = new QVBoxLayout;
  names->setSpacing(3);
  for (int i = 0; i < MaxModels; ++i) {
    names_[i] = new QLineEdit(QString::fromStdString(choice_.names[i]), this);
    names_[i]->setReadOnly(true);
    names_[i]->setEnabled(choice_.enabled[i] != 0);
    names_[i]->setMinimumWidth(160);
    names->addWidget(names_[i]);
  }
  squares_ = new ModelSquares(stores_.workspace, choice_.chosen, this);
  squares_->setToolTip("Models to save (only shown models can be chosen)");
  connect(squares_, &ModelSquares::Clicked, this, [this](int i) {
    choice_.Toggle(i);
  });
  auto* top = new QHBoxLayout;
  top->addWidget(squares_);
  top->addLayout(names);
  auto* form = new QFormLayout;
  fields_[0] = new QLineEdit(FieldNumber(choice_.period_min), this);
  fields_[1] = new QLineEdit(FieldNumber(choice_.period_max), this);
  form->addRow("Period min (s)", fields_[0]);
  form->addRow("Period max (s)", fields_[1]);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton("&Save", QDialogButtonBox::AcceptRole);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(
      buttons, &QDialogButtonBox::accepted, this, &ChooseModelsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void ChooseModelsDialog::accept() {
  if (!ReadField(fields_[0], choice_.period_min, ui_) ||
      !ReadField(fields_[1], choice_.period_max, ui_)) {
    return;
  }
  if (auto error = choice_.Validate()) {
    RefuseField(fields_[error->first], error->second, ui_);
    return;
  }
  choice_.Apply(stores_.workspace, stores_.models);
  QDialog::accept();
}

// ------------------------------------------------------------- IpModelsDialog

namespace {

// Writes formulas piece by piece: plain text, the Greek face (s, w, e, r,
// p, h, d are sigma, omega, epsilon, rho, pi, eta, delta), small raised
// exponents and fractions with their bars. Every piece drawn is noted in
// `drawn` (exponents with a leading "^"), so what the page shows can be
// checked without reading pixels.
class FormulaWriter {
 public:
  FormulaWriter(QPainter& p, int x, int y, QStringList& drawn)
      : p_(p), x_(x), y_(y), left_(x), drawn_(drawn) {
    normal_ = p.font();
    normal_.setPointSize(11);
    small_ = normal_;
    small_.setPointSize(8);
  }

  FormulaWriter& Title(const QString& text) {
    QFont f = normal_;
    f.setBold(true);
    p_.setFont(f);
    p_.setPen(QColor(0, 0, 255));
    Note(text);
    p_.drawText(left_, y_, text);
    p_.setPen(Qt::black);
    return NewLine(30);
  }
  FormulaWriter& Text(const QString& text) { return Draw(text, normal_, 0); }
  FormulaWriter& Sym(const QString& text) {
    return Draw(SymbolFace(text), normal_, 0);
  }
  FormulaWriter& Sup(const QString& text) {
    Note("^" + text);
    return Draw(text, small_, -8, false);
  }
  // A fraction whose parts are Greek-face texts, each with an optional
  // exponent; the numerator may go on after its exponent (`num_tail`).
  FormulaWriter& Fraction(const QString& num,
                          const QString& den,
                          const QString& num_exp = {},
                          const QString& den_exp = {},
                          const QString& num_tail = {}) {
    const QFontMetrics fm(normal_), sm(small_);
    const QString n = SymbolFace(num), d = SymbolFace(den),
                  tail = SymbolFace(num_tail);
    const int wn = fm.horizontalAdvance(n) +
                   (num_exp.isEmpty() ? 0 : sm.horizontalAdvance(num_exp)) +
                   fm.horizontalAdvance(tail);
    const int wd = fm.horizontalAdvance(d) +
                   (den_exp.isEmpty() ? 0 : sm.horizontalAdvance(den_exp));
    const int w = std::max(wn, wd) + 6;
    const int bar = y_ - fm.ascent() / 3;
    p_.setFont(normal_);
    p_.drawLine(x_, bar, x_ + w, bar);
    const int xn = x_ + (w - wn) / 2, xd = x_ + (w - wd) / 2;
    Note(n);
    p_.drawText(xn, bar - 5, n);
    int x = xn + fm.horizontalAdvance(n);
    if (!num_exp.isEmpty()) {
      Note("^" + num_exp);
      p_.setFont(small_);
      p_.drawText(x, bar - 13, num_exp);
      x += sm.horizontalAdvance(num_exp);
    }
    p_.setFont(normal_);
    if (!tail.isEmpty()) {
      Note(tail);
      p_.drawText(x, bar - 5, tail);
    }
    Note(d);
    p_.drawText(xd, bar + fm.ascent() + 3, d);
    if (!den_exp.isEmpty()) {
      Note("^" + den_exp);
      p_.setFont(small_);
      p_.drawText(xd + fm.horizontalAdvance(d), bar + fm.ascent() - 5, den_exp);
    }
    x_ += w + 4;
    return *this;
  }
  FormulaWriter& NewLine(int dy = 24) {
    x_ = left_;
    y_ += dy;
    return *this;
  }
  int y() const { return y_; }

 private:
  void Note(const QString& text) { drawn_ << text; }
  FormulaWriter& Draw(const QString& text,
                      const QFont& font,
                      int dy,
                      bool note = true) {
    if (note) Note(text);
    p_.setFont(font);
    p_.drawText(x_, y_ + dy, text);
    x_ += QFontMetrics(font).horizontalAdvance(text);
    return *this;
  }

  QPainter& p_;
  int x_, y_, left_;
  QStringList& drawn_;
  QFont normal_, small_;
};

}  // namespace

IpModelsDialog::IpModelsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("ip_models_dialog");
  setWindowTitle("IP MODELS");
  setMinimumSize(720, 700);
  // The Cancel button is hidden; Esc and the title bar close the page.
  auto* cancel = new QPushButton("Cancel", this);
  cancel->hide();
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
}

void IpModelsDialog::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setPen(QPen(Qt::black, 1));
  p.drawRect(rect().adjusted(8, 8, -9, -9));
  drawn_texts_.clear();
  FormulaWriter f(p, 28, 40, drawn_texts_);
  f.Title("Classical Dielectric Dispersion - <Classical DD >");
  f.Sym("e=e(0)")
      .Text("  - relative capacitivity at  'zero-frequency'")
      .NewLine();
  f.Sym("s(iw)").Text("  - complex conductivity of rock").NewLine(38);
  f.Sym("s(iw)=s(0)")
      .Text(" + ")
      .Fraction(" iwe (1+d) ", "1+(iwT)")
      .NewLine(38);
  f.Sym("e =1/36p*10").Sup("-9").Text(" [F/m]").NewLine();
  f.Sym("d =(iwT)").Sup("c").Sym(" /e").NewLine();
  f.Text("2>c>0").NewLine(40);

  f.Title("Special Dielectric Dispersion - <Special DD >");
  f.Sym("s(iw)=s(0)")
      .Text(" + ")
      .Fraction(" iwe  ", "(1+iwT)", {}, "c")
      .NewLine(52);

  f.Title("Cola-Cola Resistivity Dispersion - <Cola-Cola RD >");
  f.Sym("1>h>0").Text("  - rock's induction polarization").NewLine();
  f.Sym("r(iw)").Text("  - complex resistivity of rock").NewLine(38);
  f.Sym("r(iw)=1/s(iw)=r(0)*[1")
      .Text(" - ")
      .Sym("h")
      .Fraction(" (iwT) ", "1+(iwT)", "c", "c")
      .Sym("]")
      .NewLine(38);
  f.Text("2>c>0").NewLine(40);

  // The exponent as the law computes it: rho0 [1 - h (1 - (1+iwT)^-c)].
  f.Title("Davidson Resistivity Dispersion - <Davidson RD >");
  f.Sym("r(iw)=1/s(iw)=r(0)*[1")
      .Text(" - ")
      .Sym("h")
      .Fraction("(1+iwT)", "(1+iwT)", "c", "c", " -1")
      .Sym("]")
      .NewLine(52);

  QFont small = p.font();
  small.setPointSize(9);
  p.setFont(small);
  int y = f.y();
  p.drawText(
      28,
      y,
      "1. King R.W.P., Smith G.S. Antennas in Matter: Fundamentals, Theory, "
      "and Applications.");
  p.drawText(44, y + 16, "MIT Press, Cambridge (Mass.), 1981, Vol. 1.");
  p.drawText(
      28,
      y + 38,
      "2. ELGI, Eotvos Lorand Geophysical Institute (Budapest), editors.");
  p.drawText(
      44, y + 54, "  Interpritation of complex resistivity and dielectic data");
  p.drawText(
      44, y + 70, "Geophysical Transaction 1994,Vol.29,No.4,Vol.30.No.1");
}

}  // namespace mtvuk
