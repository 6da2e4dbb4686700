#include "ui/modelform/model_form.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/inversion/inversion.h"
#include "core/physics/dispersion.h"
#include "ui/app/symbol_face.h"
#include "ui/graph/curve_graph.h"
#include "ui/modelform/modeling_dialogs.h"

namespace mtvuk {
namespace {

constexpr int kButton = 11;  // side of a small button, pixels
constexpr const char* kCaption = "MT-VUK";

// Columns of the cell grid, in the order of the form.
constexpr Column kEditColumns[] = {Column::kResistivity,
                                   Column::kThickness,
                                   Column::kEh,
                                   Column::kTau,
                                   Column::kC,
                                   Column::kRho1,
                                   Column::kRho2,
                                   Column::kAngle};

int Index(Column c) { return static_cast<int>(c); }

void DrawTriangle(QPainter& p, const QRect& r, bool up) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(235, 235, 235));
  p.drawRect(r.adjusted(0, 0, -1, -1));
  // Six horizontal strokes make the triangle.
  for (int i = 0; i < 6; ++i) {
    const int y = up ? r.top() + 2 + i : r.bottom() - 2 - i;
    const int half = i / 2 + (i > 0 ? 1 : 0);
    const int cx = r.center().x();
    p.drawLine(cx - half, y, cx + half, y);
  }
}

}  // namespace

// ---------------------------------------------------------------- RowButtons

RowButtons::RowButtons(int row, bool has_thickness, QWidget* parent)
    : QWidget(parent), row_(row), has_thickness_(has_thickness) {
  setObjectName(QString("row_buttons_%1").arg(row + 1));
  setFixedSize(sizeHint());
  setToolTip(
      has_thickness
          ? "Resistivity up/down, thickness up/down, insert a layer "
            "(right button: delete it), cut below.\nHold to repeat, "
            "double click for one step."
          : "Resistivity up/down. Hold to repeat, double click for one step.");
}

QSize RowButtons::sizeHint() const {
  return {6 * (kButton + 2) + 22, kButton * 2 + 2};
}

QRect RowButtons::ButtonRect(RowButton b) const {
  const int half = kButton;
  switch (b) {
    case RowButton::kRhoUp:
      return {0, 0, kButton, half};
    case RowButton::kRhoDown:
      return {0, half, kButton, half};
    case RowButton::kHUp:
      return {kButton + 3, 0, kButton, half};
    case RowButton::kHDown:
      return {kButton + 3, half, kButton, half};
    case RowButton::kInsert:
      return {2 * kButton + 8, 4, kButton, kButton + 4};
    case RowButton::kCut:
      return {3 * kButton + 11, 4, kButton, kButton + 4};
  }
  return {};
}

std::optional<RowButton> RowButtons::At(QPoint p) const {
  for (RowButton b : {RowButton::kRhoUp,
                      RowButton::kRhoDown,
                      RowButton::kHUp,
                      RowButton::kHDown,
                      RowButton::kInsert,
                      RowButton::kCut}) {
    if (!has_thickness_ && b != RowButton::kRhoUp && b != RowButton::kRhoDown)
      continue;
    if (ButtonRect(b).contains(p)) return b;
  }
  return std::nullopt;
}

void RowButtons::paintEvent(QPaintEvent*) {
  QPainter p(this);
  DrawTriangle(p, ButtonRect(RowButton::kRhoUp), true);
  DrawTriangle(p, ButtonRect(RowButton::kRhoDown), false);
  if (!has_thickness_) return;
  DrawTriangle(p, ButtonRect(RowButton::kHUp), true);
  DrawTriangle(p, ButtonRect(RowButton::kHDown), false);
  // Insert: a plus; cut below: a bar over a line.
  const QRect ins = ButtonRect(RowButton::kInsert);
  const QRect cut = ButtonRect(RowButton::kCut);
  p.setBrush(QColor(225, 240, 255));
  p.drawRect(ins.adjusted(0, 0, -1, -1));
  p.drawLine(
      ins.center().x(), ins.top() + 3, ins.center().x(), ins.bottom() - 3);
  p.drawLine(
      ins.left() + 2, ins.center().y(), ins.right() - 2, ins.center().y());
  p.setBrush(QColor(255, 230, 225));
  p.drawRect(cut.adjusted(0, 0, -1, -1));
  p.drawLine(
      cut.left() + 2, cut.bottom() - 4, cut.right() - 2, cut.bottom() - 4);
  p.drawLine(cut.left() + 2, cut.top() + 4, cut.right() - 2, cut.top() + 4);
  QFont small = font();
  small.setPointSize(7);
  p.setFont(small);
  p.drawText(QRect(cut.right() + 3, 0, 20, height()),
             Qt::AlignVCenter | Qt::AlignLeft,
             QString::number(row_ + 1));
}

void RowButtons::mousePressEvent(QMouseEvent* event) {
  if (auto b = At(event->position().toPoint()))
    emit Pressed(row_, *b, event->button());
}

void RowButtons::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (auto b = At(event->position().toPoint())) emit DoubleClicked(row_, *b);
}

// ----------------------------------------------------------------- ModelTabs

ModelTabs::ModelTabs(const Workspace& workspace, QWidget* parent)
    : QWidget(parent), workspace_(workspace) {
  setObjectName("model_tabs");
  setMinimumSize(sizeHint());
  setToolTip(
      "Click: edit this model. Right-drag onto another tab: copy the model "
      "there.");
}

QSize ModelTabs::sizeHint() const { return {MaxModels * 44 + 4, 26}; }

QRect ModelTabs::TabRect(int i) const {
  const int w = std::max(28, (width() - 4) / MaxModels);
  return {2 + i * w, 2, w - 4, height() - 4};
}

int ModelTabs::TabAt(QPoint p) const {
  for (int i = 0; i < MaxModels; ++i) {
    if (TabRect(i).contains(p)) return i;
  }
  return -1;
}

void ModelTabs::paintEvent(QPaintEvent*) {
  QPainter p(this);
  for (int i = 0; i < MaxModels; ++i) {
    const QRect r = TabRect(i);
    QPen pen(workspace_.colour_flag ? SetColour(i) : QColor(Qt::black), 2);
    p.setPen(pen);
    p.setBrush(Qt::white);
    p.drawRect(r);
    const QRect marker(r.left() + 4, r.center().y() - 4, 9, 9);
    p.setBrush(i == workspace_.current_model ? pen.color() : QColor(Qt::white));
    p.drawRect(marker);
    p.setPen(Qt::black);
    p.drawText(r.adjusted(15, 0, 0, 0),
               Qt::AlignVCenter | Qt::AlignLeft,
               QString::number(i + 1));
  }
  if (drag_from_ >= 0) {
    // The outline of a tab follows the pointer while a copy is dragged.
    QRect outline = TabRect(drag_from_);
    outline.moveCenter(QPoint(drag_at_.x(), outline.center().y()));
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(outline);
  }
}

void ModelTabs::mousePressEvent(QMouseEvent* event) {
  const int tab = TabAt(event->position().toPoint());
  if (tab < 0) return;
  if (event->button() == Qt::LeftButton) {
    emit Clicked(tab);
  } else if (event->button() == Qt::RightButton) {
    drag_from_ = tab;
    drag_at_ = event->position().toPoint();
    grabMouse(Qt::ClosedHandCursor);
    update();
  }
}

void ModelTabs::mouseMoveEvent(QMouseEvent* event) {
  if (drag_from_ < 0) return;
  // The outline stays within the strip of tabs.
  drag_at_ =
      QPoint(std::clamp(static_cast<int>(event->position().x()), 0, width()),
             height() / 2);
  update();
}

void ModelTabs::mouseReleaseEvent(QMouseEvent* event) {
  if (drag_from_ < 0 || event->button() != Qt::RightButton) return;
  const int from = drag_from_;
  drag_from_ = -1;
  releaseMouse();
  update();
  const int to = TabAt(event->position().toPoint());
  if (to >= 0) emit CopyDragged(from, to);
}

// ----------------------------------------------------------------- CModelForm

CModelForm::CModelForm(Stores& stores, QtUi& ui, QWidget* parent)
    : QDialog(parent),
      stores_(stores),
      ui_(ui),
      logic_(stores.workspace, stores.models, ui) {
  setObjectName("model_form");
  setWindowTitle("MODEL");
  setModal(false);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(3);
  grid->setVerticalSpacing(1);
  // The e/h, r1, r2 and angle headers are written for the Greek symbol
  // face: epsilon or eta, rho1, rho2 and phi.
  const QStringList headers = {"",
                               "Ohm-m",
                               "",
                               "km",
                               "IP",
                               SymbolFace("e"),
                               "T, s",
                               "c",
                               "",
                               SymbolFace("r") + "\u2081",
                               SymbolFace("r") + "\u2082",
                               SymbolFace("j")};
  for (int c = 0; c < headers.size(); ++c) {
    auto* label = new QLabel(headers[c], this);
    label->setAlignment(Qt::AlignCenter);
    grid->addWidget(label, 1, c);
    if (c == 5) eh_header_ = label;
  }
  auto* anz = new QLabel("ANZ", this);
  anz->setAlignment(Qt::AlignCenter);
  grid->addWidget(anz, 0, 8, 1, 4);

  for (int row = 0; row < kFormRows; ++row) {
    const bool half_space = row == kFormRows - 1;
    const int r = row + 2;
    auto make_edit = [&](Column column, int grid_column, int width) {
      auto* edit = new QLineEdit(this);
      edit->setObjectName(
          QString("cell_%1_%2").arg(row + 1).arg(Index(column)));
      edit->setFixedWidth(width);
      edit->setAlignment(Qt::AlignRight);
      edits_[row][Index(column)] = edit;
      grid->addWidget(edit, r, grid_column);
    };
    make_edit(Column::kResistivity, 1, 62);
    buttons_[row] = new RowButtons(row, !half_space, this);
    connect(
        buttons_[row], &RowButtons::Pressed, this, &CModelForm::OnRowButton);
    connect(buttons_[row],
            &RowButtons::DoubleClicked,
            this,
            &CModelForm::OnRowDoubleClick);
    grid->addWidget(buttons_[row], r, 2);
    if (half_space) continue;
    make_edit(Column::kThickness, 3, 62);
    auto make_box = [&](Column column, int grid_column) {
      auto* box = new QCheckBox(this);
      boxes_[row][Index(column)] = box;
      grid->addWidget(box, r, grid_column, Qt::AlignCenter);
      connect(box, &QCheckBox::clicked, this, [this, row, column] {
        ReadCells();
        if (column == Column::kIp) {
          logic_.ToggleIp(row);
        } else {
          logic_.ToggleAniso(row);
        }
        ShowCells();
      });
    };
    make_box(Column::kIp, 4);
    make_edit(Column::kEh, 5, 54);
    make_edit(Column::kTau, 6, 54);
    make_edit(Column::kC, 7, 44);
    make_box(Column::kAniso, 8);
    make_edit(Column::kRho1, 9, 58);
    make_edit(Column::kRho2, 10, 58);
    make_edit(Column::kAngle, 11, 44);
  }

  tabs_ = new ModelTabs(stores_.workspace, this);
  connect(tabs_, &ModelTabs::Clicked, this, [this](int i) {
    if (!ReadCells()) return;
    if (Report(logic_.SwitchModel(i))) Refresh();
  });
  connect(tabs_, &ModelTabs::CopyDragged, this, [this](int from, int to) {
    if (!ReadCells()) return;
    if (Report(logic_.CopyModel(from, to))) Refresh();
  });
  run_ = new QPushButton("&RUN", this);
  run_->setDefault(true);
  connect(run_, &QPushButton::clicked, this, &CModelForm::Run);
  invert_ = new QPushButton("&Invers", this);
  invert_->setToolTip("Fit the model to its attached field set (Esc stops)");
  connect(invert_, &QPushButton::clicked, this, &CModelForm::Invert);
  auto* help = new QPushButton("&?", this);
  help->setFixedWidth(30);
  connect(help, &QPushButton::clicked, this, [this] {
    IpModelsDialog(this).exec();
  });
  law_ = new QComboBox(this);
  for (const char* name : kDispersionLawShortNames) law_->addItem(name);
  connect(law_, &QComboBox::activated, this, [this](int index) {
    ReadCells();
    logic_.ChooseLaw(index);
    ShowCells();
  });
  auto* curves = new QPushButton("XY - YX - Mean - Eff", this);
  connect(curves, &QPushButton::clicked, this, [this] {
    ImpedanceDialog(stores_, ui_, this).exec();
  });
  for (int i = 0; i < MaxModels; ++i) {
    auto* toggle = new QAction(QString("&%1").arg(i + 1), this);
    toggle->setShortcut(
        QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + i)));
    connect(toggle, &QAction::triggered, this, [this, i] {
      logic_.ToggleModelShown(i);
      tabs_->update();
    });
    addAction(toggle);
  }

  auto* tab_row = new QHBoxLayout;
  tab_row->addWidget(new QLabel("Models", this));
  tab_row->addWidget(tabs_, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(law_);
  bottom->addWidget(curves);
  bottom->addWidget(help);
  bottom->addWidget(invert_);
  bottom->addWidget(run_);
  model_label_ = new QLabel(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(model_label_);
  layout->addLayout(grid);
  layout->addLayout(tab_row);
  layout->addLayout(bottom);

  stores_.workspace.model_form_open = true;
  ui_.Register(Window::kModelForm, this);
  Refresh();
}

CModelForm::~CModelForm() {
  ui_.Unregister(Window::kModelForm);
  stores_.workspace.model_form_open = false;
}

QLineEdit* CModelForm::Cell(int row, Column column) const {
  return edits_[row][Index(column)];
}
QCheckBox* CModelForm::Box(int row, Column column) const {
  return boxes_[row][Index(column)];
}

void CModelForm::ShowCells() {
  const auto& cells = logic_.cells();
  for (int row = 0; row < kFormRows; ++row) {
    const RowCells& c = cells[row];
    auto set = [&](Column column, double v, int digits) {
      if (QLineEdit* e = Cell(row, column))
        e->setText(QString::number(v, 'g', digits));
    };
    set(Column::kResistivity, c.rho, 7);
    set(Column::kThickness, c.h, 7);
    set(Column::kEh, c.eh, 6);
    set(Column::kTau, c.tau, 6);
    set(Column::kC, c.c, 6);
    set(Column::kRho1, c.rho1, 6);
    set(Column::kRho2, c.rho2, 6);
    set(Column::kAngle, c.angle, 6);
    if (QCheckBox* b = Box(row, Column::kIp)) b->setChecked(c.ip != 0);
    if (QCheckBox* b = Box(row, Column::kAniso)) b->setChecked(c.aniso != 0);
  }
  eh_header_->setText(SymbolFace(logic_.EhHeader()));
  UpdateEnabling();
}

void CModelForm::UpdateEnabling() {
  for (int row = 0; row < kFormRows; ++row) {
    for (Column column : kEditColumns) {
      if (QLineEdit* e = Cell(row, column))
        e->setEnabled(logic_.Enabled(row, column));
    }
  }
}

bool CModelForm::ReadCells() {
  auto& cells = logic_.cells();
  for (int row = 0; row < kFormRows; ++row) {
    for (Column column : kEditColumns) {
      QLineEdit* e = Cell(row, column);
      if (e == nullptr) continue;
      bool ok = false;
      const double v = e->text().trimmed().toDouble(&ok);
      if (!ok) {
        ui_.Show("Please enter a number.", kCaption, Icon::kExclamation);
        e->setFocus();
        e->selectAll();
        return false;
      }
      RowCells& c = cells[row];
      switch (column) {
        case Column::kResistivity:
          c.rho = v;
          break;
        case Column::kThickness:
          c.h = v;
          break;
        case Column::kEh:
          c.eh = static_cast<float>(v);
          break;
        case Column::kTau:
          c.tau = static_cast<float>(v);
          break;
        case Column::kC:
          c.c = static_cast<float>(v);
          break;
        case Column::kRho1:
          c.rho1 = static_cast<float>(v);
          break;
        case Column::kRho2:
          c.rho2 = static_cast<float>(v);
          break;
        case Column::kAngle:
          c.angle = static_cast<float>(v);
          break;
        default:
          break;
      }
    }
  }
  return true;
}

bool CModelForm::Report(const std::optional<CellError>& error) {
  if (!error) return true;
  ui_.Show(error->message, kCaption, Icon::kExclamation);
  if (QLineEdit* e = Cell(error->row, error->column)) {
    e->setFocus();
    e->selectAll();
  }
  return false;
}

void CModelForm::Refresh() {
  logic_.ModelToForm();
  {
    QSignalBlocker block(law_);
    law_->setCurrentIndex(logic_.current().law);
  }
  invert_->setEnabled(CanInvert(stores_.sets, logic_.current_index()));
  model_label_->setText(
      QString("Model %1: %2")
          .arg(logic_.current_index() + 1)
          .arg(QString::fromStdString(logic_.current().name)));
  ShowCells();
  tabs_->update();
}

void CModelForm::Run() {
  if (!ReadCells()) return;
  if (Report(logic_.Run())) ShowCells();
}

void CModelForm::Invert() {
  if (!ReadCells()) return;
  if (!Report(logic_.Invert())) return;
  run_->setText("Wait");
  invert_->setText("Wait");
}

void CModelForm::InversionFinished() {
  Refresh();
  run_->setText("&RUN");
  invert_->setText("&Invers");
}

bool CModelForm::Step(int row, RowButton button) {
  switch (button) {
    case RowButton::kRhoUp:
      return logic_.StepResistivity(row, true);
    case RowButton::kRhoDown:
      return logic_.StepResistivity(row, false);
    case RowButton::kHUp:
      return logic_.StepThickness(row, true);
    case RowButton::kHDown:
      return logic_.StepThickness(row, false);
    default:
      return false;
  }
}

void CModelForm::OnRowButton(int row, RowButton button, Qt::MouseButton mouse) {
  if (holding_) return;
  if (!ReadCells()) return;
  if (mouse == Qt::RightButton) {
    if (button == RowButton::kInsert) logic_.DeleteLayer(row);
  } else if (mouse == Qt::LeftButton) {
    switch (button) {
      case RowButton::kInsert:
        logic_.InsertLayer(row);
        break;
      case RowButton::kCut:
        logic_.CutBelow(row);
        break;
      default:
        holding_ = true;
        logic_.HoldStep([this, row, button] { return Step(row, button); },
                        [this] {
                          ShowCells();
                          repaint();
                        });
        holding_ = false;
        break;
    }
  }
  logic_.Normalise();
  ShowCells();
}

void CModelForm::OnRowDoubleClick(int row, RowButton button) {
  if (holding_ || button == RowButton::kInsert || button == RowButton::kCut)
    return;
  if (!ReadCells()) return;
  Step(row, button);
  logic_.Normalise();
  ShowCells();
}

void CModelForm::customEvent(QEvent* event) {
  if (event->type() == UmEvent::Type() &&
      static_cast<UmEvent*>(event)->message() == Um::UM_MODELSYNC) {
    Refresh();
  }
}

void CModelForm::closeEvent(QCloseEvent* event) {
  ui_.Post(Window::kView, Um::UM_MODELFORMCLOSED, 0, 0);
  event->accept();
}

}  // namespace mtvuk
