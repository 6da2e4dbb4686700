#include "ui/depth/depth_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

#include "core/depth/depth_transform.h"
#include "core/fielddata/smoothing_check.h"
#include "core/files/trf_file.h"
#include "ui/app/form_fields.h"
#include "ui/files/trf_dialogs.h"
#include "ui/modelform/modeling_dialogs.h"

namespace mtvuk {
namespace {

constexpr double kGrabPixels = 3.0;
// Width of the button column for the workspace font size 0, 1, 2.
constexpr int kColumnWidth[3] = {40, 51, 57};
constexpr int kColumnFontPt[3] = {7, 8, 9};

}  // namespace

// ---------------------------------------------------------- CDesignedModelDlg

CDesignedModelDlg::CDesignedModelDlg(Stores& stores, QtUi& ui, QWidget* parent)
    : QDialog(parent), ui_(ui), logic_(stores.workspace, stores.models, ui) {
  setObjectName("designed_model_dialog");
  setWindowTitle("Set designed model");
  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(2);
  auto* rho_head = new QLabel("Resistivity\nOhm-m", this);
  auto* h_head = new QLabel("Thickness\nkm", this);
  rho_head->setAlignment(Qt::AlignCenter);
  h_head->setAlignment(Qt::AlignCenter);
  grid->addWidget(rho_head, 0, 1);
  grid->addWidget(h_head, 0, 2);
  const DesignedModel& d = stores.workspace.designed_model;
  for (int r = 0; r < MaxLayers; ++r) {
    grid->addWidget(new QLabel(QString::number(r + 1), this), r + 1, 0);
    rho_[r] = new QLineEdit(
        QString::fromStdString(DesignedModelText(d.resistivity[r])).trimmed(),
        this);
    rho_[r]->setFixedWidth(90);
    grid->addWidget(rho_[r], r + 1, 1);
    if (r < MaxLayers - 1) {
      h_[r] = new QLineEdit(
          QString::fromStdString(DesignedModelText(d.thickness[r])).trimmed(),
          this);
      h_[r]->setFixedWidth(90);
      grid->addWidget(h_[r], r + 1, 2);
    }
  }
  chosen_[logic_.target] = 1;
  squares_ = new ModelSquares(stores.workspace, chosen_, this);
  squares_->setFixedHeight(MaxModels * 28);
  squares_->setToolTip("The model that receives the layers");
  connect(squares_, &ModelSquares::Clicked, this, [this](int i) {
    chosen_.fill(0);
    chosen_[i] = 1;
    logic_.target = i;
  });
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &CDesignedModelDlg::accept);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->hide();
  auto* side = new QVBoxLayout;
  side->addWidget(new QLabel("Model", this));
  side->addWidget(squares_);
  side->addStretch(1);
  side->addWidget(ok);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(side);
}

void CDesignedModelDlg::accept() {
  for (int r = 0; r < MaxLayers; ++r) {
    if (!ReadField(rho_[r], logic_.resistivity[r], ui_)) return;
  }
  for (int r = 0; r < MaxLayers - 1; ++r) {
    if (!ReadField(h_[r], logic_.thickness[r], ui_)) return;
  }
  if (auto error = logic_.Validate()) {
    const int cell = error->first;
    RefuseField(cell < MaxLayers ? rho_[cell] : h_[cell - MaxLayers],
                error->second,
                ui_);
    return;
  }
  logic_.Apply();
  QDialog::accept();
}

// ---------------------------------------------------------------- CDepthWindow

CDepthWindow::CDepthWindow(Stores& stores, QtUi& ui, QWidget* parent)
    : QDialog(parent), stores_(stores), ui_(ui), logic_(stores.workspace, ui) {
  setObjectName("depth_window");
  setWindowTitle(kDepthWindowTitle);
  setWindowIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
  ui_.Register(Window::kDepthWindow, this);
  stores_.workspace.depth_window_open = true;

  graph_ =
      new DepthGraph(stores_.workspace, stores_.sets, stores_.models, this);
  graph_->installEventFilter(this);

  auto* column = new QVBoxLayout;
  column->setSpacing(3);
  grid_ = AddSwitch("&Grid", logic_.state.grid);
  models_ = AddSwitch("&Model", logic_.state.models);
  transf_ = AddSwitch("&Transf", logic_.state.transformations);
  res_ = AddSwitch("&Res(h)", true);
  s_ = AddSwitch("&S (h)", false);
  log_h_ = AddSwitch("&Log h", logic_.state.log_depth);
  design_ = AddSwitch("&Design", false);
  grid_->setToolTip("Grid");
  models_->setToolTip("Profiles of the shown models");
  transf_->setToolTip("Profiles of the smoothed field sets");
  res_->setToolTip("Resistivity against depth");
  s_->setToolTip("Conductance against depth");
  log_h_->setToolTip("Logarithmic depth axis");
  design_->setToolTip(
      "Draw a model: left button adds or moves a point, right button "
      "removes the last; press again to end");
  for (QPushButton* b : {grid_, models_, transf_, res_, s_, log_h_, design_}) {
    column->addWidget(b);
  }
  auto* set_model = new QPushButton("S&et model", this);
  auto* save = new QPushButton("Sa&ve", this);
  set_model->hide();
  save->hide();
  for (const char* text : {"Resolution", "High", "Low"}) {
    auto* label = new QLabel(text, this);
    label->hide();
  }
  connect(set_model, &QPushButton::clicked, this, &CDepthWindow::SetModel);
  connect(save, &QPushButton::clicked, this, &CDepthWindow::SaveTransformation);
  column->addStretch(1);

  const int size = std::clamp<int>(logic_.state.font_size, 0, 2);
  auto* buttons = new QWidget(this);
  buttons->setLayout(column);
  buttons->setFixedWidth(kColumnWidth[size]);
  QFont small = font();
  small.setPointSize(kColumnFontPt[size]);
  buttons->setFont(small);
  column->setContentsMargins(0, 0, 0, 0);

  connect(grid_, &QPushButton::toggled, this, [this](bool on) {
    logic_.state.grid = on;
    Redraw(false);
  });
  connect(models_, &QPushButton::toggled, this, [this](bool on) {
    logic_.state.models = on;
    Redraw(false);
  });
  connect(transf_, &QPushButton::toggled, this, [this](bool on) {
    logic_.state.transformations = on;
    Redraw(false);
  });
  connect(log_h_, &QPushButton::toggled, this, [this](bool on) {
    logic_.state.log_depth = on;
    Redraw(true);
  });
  for (QPushButton* b : {res_, s_}) {
    connect(b, &QPushButton::clicked, this, [this] {
      logic_.ClickQuantity();
      Redraw(true);
    });
  }
  connect(design_, &QPushButton::clicked, this, &CDepthWindow::PressDesign);

  // The hidden "&1".."&6" switch the field sets, "&0" the extra profiles.
  for (int k = 0; k <= MaxSets; ++k) {
    auto* action = new QAction(QString("&%1").arg(k), this);
    action->setShortcut(
        QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_0 + k)));
    connect(action, &QAction::triggered, this, [this, k] {
      if (k == 0) {
        logic_.state.extra = logic_.state.extra ? 0 : 1;
      } else {
        FieldSet& set = stores_.sets[k - 1];
        set.depth_switch = set.depth_switch >= 1 ? 0 : 1;
        TransformFieldSet(set, stores_.workspace.physics);
      }
      Redraw(false);
    });
    addAction(action);
  }

  menu_ = new QMenuBar(this);
  QMenu* file = menu_->addMenu("&File");
  save_res_action_ = file->addAction("Save &Res(h)");
  connect(save_res_action_,
          &QAction::triggered,
          this,
          &CDepthWindow::SaveTransformation);
  // Enabled while some field set holds a transformation to save.
  connect(file, &QMenu::aboutToShow, this, [this] {
    bool any = false;
    for (const FieldSet& set : stores_.sets)
      any = any || HasTransformation(set);
    save_res_action_->setEnabled(any);
  });
  QMenu* model = menu_->addMenu("&Model");
  set_model_action_ = model->addAction("&Set Model");
  connect(
      set_model_action_, &QAction::triggered, this, &CDepthWindow::SetModel);

  warnings_ = new QLabel(this);
  warnings_->setObjectName("depth_warnings");
  warnings_->setWordWrap(true);
  warnings_->setStyleSheet("color: #b00000");
  auto* left = new QVBoxLayout;
  left->addWidget(graph_, 1);
  left->addWidget(warnings_);
  auto* layout = new QHBoxLayout(this);
  layout->setMenuBar(menu_);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(left, 1);
  layout->addWidget(buttons);
  resize(620, 560);

  TransformAll(stores_.sets, stores_.models, stores_.workspace.physics);
  ShowState();
  graph_->SetState(logic_.state);
  graph_->SetRanges(logic_.state.ranges);
  ShowWarnings();
}

void CDepthWindow::ShowWarnings() {
  QStringList lines;
  for (const FieldSet& set : stores_.sets) {
    if (set.in_use <= 0 || set.depth_switch < 1) continue;
    for (const std::string& w : SmoothingWarnings(set)) {
      lines << QString::fromStdString(w);
    }
  }
  warnings_->setText(lines.join("\n"));
  warnings_->setVisible(!lines.isEmpty());
}

CDepthWindow::~CDepthWindow() {
  ui_.Unregister(Window::kDepthWindow);
  stores_.workspace.depth_window_open = false;
}

QPushButton* CDepthWindow::AddSwitch(const char* text, bool on) {
  auto* b = new QPushButton(text, this);
  b->setCheckable(true);
  b->setChecked(on);
  b->setFocusPolicy(Qt::TabFocus);
  return b;
}

QAbstractButton* CDepthWindow::Button(const QString& text) const {
  for (QAbstractButton* b : findChildren<QAbstractButton*>()) {
    if (b->text() == text) return b;
  }
  return nullptr;
}

void CDepthWindow::ShowState() {
  const bool res = logic_.state.quantity == DepthQuantity::kResistivity;
  for (auto [button, on] : {std::pair{res_, res},
                            std::pair{s_, !res},
                            std::pair{design_, logic_.design}}) {
    QSignalBlocker block(button);
    button->setChecked(on);
  }
  graph_->SetDesign(logic_.design ? &logic_.points : nullptr);
  graph_->setInteractions(
      logic_.design ? QCP::Interactions()
                    : QCP::Interactions(QCP::iRangeDrag | QCP::iRangeZoom));
  graph_->setCursor(logic_.design ? Qt::CrossCursor : Qt::ArrowCursor);
}

void CDepthWindow::Redraw(bool rescale) {
  ShowState();
  graph_->SetState(logic_.state);
  if (rescale) {
    graph_->ResetView();
  } else {
    graph_->Rebuild(false);
  }
  emit ProfilesChanged();
}

void CDepthWindow::Recompute() {
  TransformAll(stores_.sets, stores_.models, stores_.workspace.physics);
  // New or edited sets: the axes follow them unless the user zoomed.
  ShowState();
  graph_->SetState(logic_.state);
  if (logic_.design) {
    graph_->Rebuild(false);
  } else {
    graph_->FollowData();
  }
  ShowWarnings();
  emit ProfilesChanged();
}

void CDepthWindow::PressDesign() {
  const bool open = logic_.PressDesign();
  grabbed_ = -1;
  Redraw(false);
  if (open) OpenDesignedModelDialog();
}

void CDepthWindow::SetModel() {
  if (logic_.SetModel()) OpenDesignedModelDialog();
}

void CDepthWindow::SaveTransformation() {
  CSaveTransformationDlg dialog(stores_, ui_, this);
  dialog.exec();
  Redraw(false);  // a saved name is the set's new label
}

void CDepthWindow::OpenDesignedModelDialog() {
  CDesignedModelDlg dialog(stores_, ui_, this);
  dialog.exec();
}

void CDepthWindow::PressAt(QPointF pixel, Qt::MouseButton button) {
  if (!logic_.design) return;
  if (button == Qt::RightButton) {
    logic_.points.RemoveLast();
    Redraw(false);
    return;
  }
  if (button != Qt::LeftButton) return;
  const DepthQuantity q = logic_.state.quantity;
  const bool res = q == DepthQuantity::kResistivity;
  for (int i = 0; i < logic_.points.count(); ++i) {
    const DesignedPoint& p = logic_.points.point(i);
    const QPointF at = graph_->ValueToPixel(p.depth, res ? p.log_res : p.log_s);
    if (std::fabs(at.x() - pixel.x()) <= kGrabPixels &&
        std::fabs(at.y() - pixel.y()) <= kGrabPixels) {
      grabbed_ = i;
      return;
    }
  }
  double depth = 0.0, log_value = 0.0;
  if (graph_->PixelToValue(pixel, depth, log_value) &&
      logic_.points.Add(depth, log_value, q)) {
    Redraw(false);
  }
}

void CDepthWindow::DragTo(QPointF pixel) {
  if (grabbed_ < 0 || grabbed_ >= logic_.points.count()) return;
  // The point stays inside the plot and between its neighbours.
  const QRect area = graph_->PlotArea();
  const auto [below, above] =
      logic_.points.DragLimits(grabbed_, graph_->DeepestVisible());
  const double y_above = graph_->ValueToPixel(above, 0.0).y() + 1.0;
  const double y_below = graph_->ValueToPixel(below, 0.0).y() - 1.0;
  QPointF p(std::clamp<double>(pixel.x(), area.left(), area.right()),
            std::clamp<double>(pixel.y(), area.top(), area.bottom()));
  if (std::isfinite(y_above) && p.y() < y_above) p.setY(y_above);
  if (std::isfinite(y_below) && p.y() > y_below) p.setY(y_below);
  double depth = 0.0, log_value = 0.0;
  if (!graph_->PixelToValue(p, depth, log_value)) return;
  logic_.points.Move(grabbed_, depth, log_value, logic_.state.quantity);
  Redraw(false);
}

void CDepthWindow::Release() { grabbed_ = -1; }

bool CDepthWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == graph_ && logic_.design) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        PressAt(mouse->position(), mouse->button());
        return true;
      case QEvent::MouseMove:
        DragTo(mouse->position());
        return true;
      case QEvent::MouseButtonRelease:
        Release();
        return true;
      case QEvent::MouseButtonDblClick:
        return true;
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CDepthWindow::customEvent(QEvent* event) {
  if (event->type() == UmEvent::Type() &&
      static_cast<UmEvent*>(event)->message() == Um::UM_SETSCHANGED) {
    Recompute();
  }
}

void CDepthWindow::closeEvent(QCloseEvent* event) {
  logic_.state.ranges = graph_->Ranges();
  logic_.StoreState();
  ui_.Post(Window::kView, Um::UM_DEPTHCLOSED, 0, 0);
  event->accept();
}

}  // namespace mtvuk
