#include "ui/app/vuk_view.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QElapsedTimer>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/inversion/inversion.h"
#include "core/physics/model_curve.h"
#include "core/store/store_defaults.h"
#include "ui/modelform/model_form.h"

namespace mtvuk {
namespace {

// Ids of the hidden "&1".."&6" buttons that choose field set 1..6.
constexpr int kSetButtonIds[MaxSets] = {1160, 1161, 1240, 1241, 1242, 1243};

}  // namespace

CVUKView::CVUKView(Stores& stores, QtUi& ui, QWidget* parent)
    : QWidget(parent), stores_(stores), ui_(ui) {
  setObjectName("vuk_view");
  ApplyStartDefaults(stores_.workspace, stores_.sets, stores_.models);
  ComputeAllModels();
  QFont form_font("Arial", 8);
  form_font.setStyleHint(QFont::SansSerif);
  setFont(form_font);

  graph_ =
      new CurveGraph(stores_.workspace, stores_.sets, stores_.models, this);
  auto* column = new QVBoxLayout;
  auto* group = new QButtonGroup(this);
  const char* const kQuantities[4] = {"Res(T)", "Phs(T)", "ReZ(T)", "ImZ(T)"};
  const int kQuantityIds[4] = {1018, 1019, 1366, 1367};
  for (int i = 0; i < 4; ++i) {
    quantity_[i] = new QRadioButton(kQuantities[i], this);
    quantity_[i]->setProperty("control_id", kQuantityIds[i]);
    group->addButton(quantity_[i], i);
    column->addWidget(quantity_[i]);
  }
  quantity_[0]->setChecked(true);
  connect(group, &QButtonGroup::idToggled, this, [this](int, bool on) {
    if (on) ReadSwitches();
  });
  column->addSpacing(8);
  depth_ = AddCheck("Res(h)", 1254, false);
  depth_->setToolTip(
      "Resistivity and conductance against depth (the depth window)");
  disconnect(depth_, &QCheckBox::toggled, nullptr, nullptr);
  connect(depth_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) {
      OpenDepthWindow();
    } else {
      CloseDepthWindow();
    }
  });
  column->addWidget(depth_);
  QCheckBox* energy = AddCheck("t*E(t)", 1014, false);
  energy->hide();
  column->addSpacing(8);
  abs_ = AddCheck("Abs", 1015, true);
  err_ = AddCheck("Err", 1016, true);
  info_ = AddCheck("Info", 1027, true);
  grid_ = AddCheck("Grid", 1111, true);
  line_ = AddCheck("Line", 1112, false);
  model_ = AddCheck("Model", 1049, false);
  abs_->setToolTip("Magnitudes on a logarithmic axis; off: signed values");
  err_->setToolTip("Error bars of the field data");
  info_->setToolTip("Legend with the labels of the sets and models");
  line_->setToolTip("Join the points of each field set");
  model_->setToolTip("The model editor (Ctrl+M)");
  model_->setShortcut(QKeySequence("Ctrl+M"));
  disconnect(model_, &QCheckBox::toggled, nullptr, nullptr);
  connect(model_, &QCheckBox::toggled, this, [this](bool on) {
    if (on) {
      OpenModelForm();
    } else {
      CloseModelForm();
    }
  });
  for (QCheckBox* box : {abs_, err_, info_, grid_, line_, model_})
    column->addWidget(box);
  column->addStretch(1);
  auto* hint =
      new QLabel("Wheel: zoom\nDrag: pan\nDouble click:\nwhole curves", this);
  hint->setStyleSheet("color: gray");
  column->addWidget(hint);

  for (int k = 0; k < MaxSets; ++k) {
    auto* toggle = new QAction(QString("&%1").arg(k + 1), this);
    toggle->setObjectName(QString("set_button_%1").arg(kSetButtonIds[k]));
    toggle->setShortcut(
        QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + k)));
    connect(toggle, &QAction::triggered, this, [this, k] {
      graph_->SetSetVisible(k, !graph_->set_visible(k));
    });
    addAction(toggle);
  }

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  depth_graph_ = new DepthGraph(
      stores_.workspace, stores_.sets, stores_.models, this);
  pages_ = new QStackedWidget(this);
  pages_->addWidget(graph_);
  pages_->addWidget(depth_graph_);
  layout->addWidget(pages_, 1);
  layout->addLayout(column);
  ui_.Register(Window::kView, this);
  ReadSwitches();

  edit_mouse_ = new CurveEditMouse(graph_, this);
  connect(edit_mouse_, &CurveEditMouse::Changed, this, [this] {
    graph_->Rebuild(false);
    emit FieldEdited();
  });
  connect(
      edit_mouse_, &CurveEditMouse::PointHovered, this, &CVUKView::ShowInfo);
}

CVUKView::~CVUKView() {
  ui_.Unregister(Window::kView);
  // Before the station array they show goes.
  CloseSectionFile();
}

QCheckBox* CVUKView::AddCheck(const char* text, int id, bool on) {
  auto* box = new QCheckBox(text, this);
  box->setProperty("control_id", id);
  box->setChecked(on);
  connect(box, &QCheckBox::toggled, this, [this] { ReadSwitches(); });
  return box;
}

QAbstractButton* CVUKView::Control(int id) const {
  for (QAbstractButton* b : findChildren<QAbstractButton*>()) {
    if (b->property("control_id").toInt() == id) return b;
  }
  return nullptr;
}

void CVUKView::ReadSwitches() {
  if (graph_ == nullptr || model_ == nullptr) return;
  GraphOptions o;
  for (int i = 0; i < 4; ++i) {
    if (quantity_[i]->isChecked()) o.quantity = static_cast<Quantity>(i);
  }
  o.absolute = abs_->isChecked();
  o.errors = err_->isChecked();
  o.legend = info_->isChecked();
  o.grid = grid_->isChecked();
  o.lines = line_->isChecked();
  o.models = true;
  graph_->SetOptions(o);
}

void CVUKView::Invert() {
  const Workspace& ws = stores_.workspace;
  const LayerModel& model = stores_.models[ws.current_model];
  if (ratio_ == nullptr &&
      (ws.inversion_target == 1 || ws.inversion_target == 5)) {
    ratio_ = new InversionRatioWindow(this);
  }
  if (ratio_ != nullptr) {
    ratio_->Start(QString::fromStdString(model.name));
    ratio_->show();
  }
  QElapsedTimer clock;
  clock.start();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  InversionResult result;
  {
    BusyScope busy(ui_);
    result = RunInversion(stores_.workspace,
                          stores_.sets,
                          stores_.models,
                          ui_,
                          [this](const InversionStep& step) {
                            if (ratio_ != nullptr) ratio_->AddStep(step);
                          });
  }
  QApplication::restoreOverrideCursor();
  UpdateCurveFlags(stores_.workspace, stores_.models);
  if (result.ran && ratio_ != nullptr) ratio_->ShowRun(result);
  if (result.ran && ws.show_fit_result) {
    if (fit_ == nullptr) fit_ = new FittingResultWindow(this, &ui_);
    fit_->ShowResult(result, stores_, clock.elapsed() / 1000.0);
    fit_->show();
  }
  if (model_form_ != nullptr) model_form_->InversionFinished();
  Refresh(false);
  QApplication::beep();
}

void CVUKView::ComputeCurrentModel() {
  ModelCurveDriver(DriverMode::kPlain, stores_.workspace, stores_.models, ui_);
  UpdateCurveFlags(stores_.workspace, stores_.models);
  BuildParameters(stores_.models[stores_.workspace.current_model], false);
}

void CVUKView::ComputeAllModels() {
  const std::int16_t current = stores_.workspace.current_model;
  for (int k = 0; k < MaxModels; ++k) {
    stores_.workspace.current_model = static_cast<std::int16_t>(k);
    ModelCurveDriver(
        DriverMode::kPlain, stores_.workspace, stores_.models, ui_);
  }
  stores_.workspace.current_model = current;
  UpdateCurveFlags(stores_.workspace, stores_.models);
}

void CVUKView::Refresh(bool rescale) { graph_->Rebuild(rescale); }

void CVUKView::OpenModelForm() {
  if (model_form_ == nullptr) {
    model_form_ = new CModelForm(stores_, ui_, this);
    model_form_->setWindowFlag(Qt::Tool);
    model_form_->adjustSize();
    // Right edge 74 pixels left of the view's, bottom 35 pixels above it.
    const QRect view = QRect(mapToGlobal(QPoint(0, 0)), size());
    model_form_->move(std::max(0, view.right() - 74 - model_form_->width()),
                      std::max(0, view.bottom() - 35 - model_form_->height()));
  }
  model_form_->show();
  model_form_->raise();
  QSignalBlocker block(model_);
  model_->setChecked(true);
}

void CVUKView::CloseModelForm() {
  if (model_form_ != nullptr) model_form_->close();
}

void CVUKView::OpenDepthWindow() {
  if (depth_window_ == nullptr) {
    depth_window_ = new CDepthWindow(stores_, ui_, this);
    depth_window_->setWindowFlag(Qt::Tool);
    depth_window_->graph()->SetExtraProfileSource(extra_profiles_);
    connect(depth_window_, &CDepthWindow::ProfilesChanged, this, [this] {
      if (depth_window_ == nullptr) return;
      depth_graph_->SetState(depth_window_->graph()->state());
      depth_graph_->Rebuild(false);
      depth_graph_->SetRanges(depth_window_->graph()->Ranges());
    });
    depth_graph_->SetState(depth_window_->graph()->state());
    depth_graph_->Rebuild(true);
  }
  pages_->setCurrentWidget(depth_graph_);
  depth_window_->show();
  depth_window_->raise();
  QSignalBlocker block(depth_);
  depth_->setChecked(true);
}

void CVUKView::SetExtraProfileSource(ExtraProfileSource source) {
  extra_profiles_ = std::move(source);
  depth_graph_->SetExtraProfileSource(extra_profiles_);
  if (depth_window_ != nullptr) {
    depth_window_->graph()->SetExtraProfileSource(extra_profiles_);
  }
}

void CVUKView::CloseDepthWindow() {
  if (depth_window_ != nullptr) depth_window_->close();
}

void CVUKView::ChooseFont() {
  bool ok = false;
  QFont chosen =
      QFontDialog::getFont(&ok, graph_->font(), this, "Font of the graph");
  if (!ok) return;
  graph_->setFont(chosen);
  for (QCPAxis* axis : {graph_->xAxis, graph_->yAxis}) {
    axis->setTickLabelFont(chosen);
    QFont label = chosen;
    label.setPointSizeF(chosen.pointSizeF() + 1);
    axis->setLabelFont(label);
  }
  graph_->legend->setFont(chosen);
  graph_->replot();
}

void CVUKView::SetFieldEditor(FieldEditor* editor) {
  edit_mouse_->SetEditor(editor);
  if (editor != nullptr) {
    OpenInfoWindow();
  } else {
    CloseInfoWindow();
  }
  graph_->Rebuild(false);
}

void CVUKView::OpenInfoWindow() {
  if (info_window_ == nullptr) {
    info_window_ = new CInfoWindow(ui_, this);
    info_window_->setWindowFlag(Qt::Tool);
    stores_.workspace.info_window_open = true;
  }
  info_window_->show();
  info_window_->raise();
}

void CVUKView::CloseInfoWindow() {
  if (info_window_ != nullptr) info_window_->close();
}

void CVUKView::ShowInfo(int set, int point) {
  if (info_window_ == nullptr) return;
  if (set < 0 || point < 0) {
    info_window_->ShowPoint(-1, -1, {});
    return;
  }
  const GraphOptions& o = graph_->options();
  info_window_->ShowPoint(
      set,
      point,
      QString::fromStdString(PointInfoText(
          stores_.sets[set], set, point, o.quantity, o.absolute)));
}

void CVUKView::InfoCommand(int command, long point) {
  FieldEditor* editor = edit_mouse_->editor();
  const int set = InfoSet(point);
  const int i = InfoPointIndex(point);
  if (editor == nullptr || set < 0 || set >= MaxSets) return;
  if (editor->marked() != set) editor->ToggleMark(set);
  if (command == kInfoSwitchPoint) editor->TogglePoint(i);
  if (command == kInfoInvertSign)
    editor->InvertSign(i, graph_->options().quantity);
  graph_->Rebuild(false);
  ShowInfo(set, i);
  emit FieldEdited();
  if (stores_.workspace.model_form_open)
    ui_.Post(Window::kModelForm, Um::UM_MODELSYNC, 0, 0);
}

GraphPicture* CVUKView::ShownPicture() const {
  if (pages_->currentWidget() == depth_graph_) return depth_graph_;
  return graph_;
}

void CVUKView::customEvent(QEvent* event) {
  if (event->type() != UmEvent::Type()) return;
  auto* um = static_cast<UmEvent*>(event);
  switch (um->message()) {
    case Um::UM_INFOCOMMAND:
      InfoCommand(static_cast<int>(um->wparam()),
                  static_cast<long>(um->lparam()));
      break;
    case Um::UM_INFOCLOSED:
      if (info_window_ != nullptr) info_window_->deleteLater();
      info_window_ = nullptr;
      stores_.workspace.info_window_open = false;
      Refresh(false);
      break;
    case Um::UM_MODELCHANGED:
      ComputeCurrentModel();
      Refresh(false);
      break;
    case Um::UM_INVERT:
      Invert();
      break;
    case Um::UM_FITCLOSE:
      if (fit_ != nullptr) fit_->close();
      break;
    case Um::UM_RATIOOPEN: {
      if (ratio_ != nullptr) ratio_->close();
      const int target = stores_.workspace.inversion_target;
      if (target == 1 || target == 5) {
        if (ratio_ == nullptr) ratio_ = new InversionRatioWindow(this);
        ratio_->show();
      }
      break;
    }
    case Um::UM_MODELSCHANGED:
      ComputeAllModels();
      Refresh(false);
      if (stores_.workspace.depth_window_open)
        ui_.Post(Window::kDepthWindow, Um::UM_SETSCHANGED, 0, 0);
      break;
    case Um::UM_DEPTHCLOSED: {
      if (depth_window_ != nullptr) depth_window_->deleteLater();
      depth_window_ = nullptr;
      stores_.workspace.depth_window_open = false;
      QSignalBlocker block(depth_);
      depth_->setChecked(false);
      pages_->setCurrentWidget(graph_);
      Refresh(false);
      break;
    }
    case Um::UM_REDRAW:
    case Um::UM_LINEREFRESH:
      Refresh(false);
      break;
    case Um::UM_MODELFORMCLOSED: {
      if (model_form_ != nullptr) model_form_->deleteLater();
      model_form_ = nullptr;
      stores_.workspace.model_form_open = false;
      QSignalBlocker block(model_);
      model_->setChecked(false);
      Refresh(false);
      break;
    }
    case Um::UM_MAPCOMMAND:
    case Um::UM_SCALECHANGED:
    case Um::UM_SECTIONSTATE:
    case Um::UM_SECTIONFORWARD:
      SectionMessage(*um);
      break;
    default:
      break;
  }
}

}  // namespace mtvuk
