#include "ui/fielddata/edit_data_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace mtvuk {
namespace {

int SwitchedOff(const FieldSet& set) {
  int n = 0;
  const int count = std::clamp(set.count, 0, MaxFreq);
  for (int i = 0; i < count; ++i) n += PointOff(set, i) ? 1 : 0;
  return n;
}

}  // namespace

EditSetsPanel::EditSetsPanel(const FieldSets& sets,
                             const FieldEditor& editor,
                             QWidget* parent)
    : SetRectanglesPanel(sets, parent), editor_(editor) {
  setMinimumSize(sizeHint());
}

QSize EditSetsPanel::sizeHint() const {
  return {2 * kSetRectMargin + MaxSets * (kSetRectWidth + kSetRectGap),
          2 * kSetRectMargin + kSetRectHeight + 18};
}

QString EditSetsPanel::Below(int k) const {
  // The mode, and after a minus how many points are switched off.
  const FieldSet& set = sets_[k];
  const int off = set.in_use > 0 ? SwitchedOff(set) : 0;
  return SetRectangleMode(set) + (off > 0 ? QString(" -%1").arg(off) : "");
}

void EditSetsPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  PaintRectangles(p);
}

CEditDataWindow::CEditDataWindow(Stores& stores, QtUi& ui, QWidget* parent)
    : QDialog(parent),
      stores_(stores),
      ui_(ui),
      editor_(stores.workspace, stores.sets, ui) {
  setObjectName("edit_data_window");
  setWindowTitle("Edit field data");
  stores_.workspace.edit_window_open = true;
  auto* layout = new QVBoxLayout(this);
  for (const char* line : kEditInstructions) {
    layout->addWidget(new QLabel(line, this));
  }
  panel_ = new EditSetsPanel(stores_.sets, editor_, this);
  panel_->setToolTip(
      "Click the rectangle of a set to edit it; under each rectangle the "
      "mode and the number of points switched off");
  connect(panel_, &EditSetsPanel::SlotClicked, this, &CEditDataWindow::MarkSet);
  layout->addWidget(panel_);

  auto* cut = new QHBoxLayout;
  auto* from_label = new QLabel("Delete points from:", this);
  from_ = new QLineEdit(this);
  from_->setMaximumWidth(90);
  from_label->setBuddy(from_);
  from_->setToolTip("Switches off every point of this period and longer");
  auto* delete_button = new QPushButton("&Delete", this);
  delete_button->setAutoDefault(false);
  connect(from_, &QLineEdit::returnPressed, this, &CEditDataWindow::DeleteFrom);
  connect(
      delete_button, &QPushButton::clicked, this, &CEditDataWindow::DeleteFrom);
  cut->addWidget(from_label);
  cut->addWidget(from_);
  cut->addWidget(new QLabel("(sec)", this));
  cut->addWidget(delete_button);
  cut->addStretch(1);
  layout->addLayout(cut);

  auto* buttons = new QHBoxLayout;
  undo_ = new QPushButton("&Undo", this);
  undo_->setToolTip("Takes back the last edit (Ctrl+Z)");
  restore_ = new QPushButton("&Restore as read", this);
  restore_->setToolTip("The marked set as it was read from its file");
  auto* info = new QPushButton("&INFO", this);
  info->setToolTip("The window that shows the point under the pointer");
  auto* close_button = new QPushButton("Close", this);
  for (QPushButton* b : {undo_, restore_, info, close_button})
    b->setAutoDefault(false);
  connect(undo_, &QPushButton::clicked, this, &CEditDataWindow::Undo);
  connect(
      restore_, &QPushButton::clicked, this, &CEditDataWindow::RestoreAsRead);
  connect(info, &QPushButton::clicked, this, &CEditDataWindow::InfoRequested);
  connect(close_button, &QPushButton::clicked, this, &QWidget::close);
  buttons->addWidget(undo_);
  buttons->addWidget(restore_);
  buttons->addWidget(info);
  buttons->addStretch(1);
  buttons->addWidget(close_button);
  layout->addLayout(buttons);
  ShowState();
  setFixedSize(sizeHint());
}

CEditDataWindow::~CEditDataWindow() {
  stores_.workspace.edit_window_open = false;
}

void CEditDataWindow::ShowState() {
  undo_->setEnabled(editor_.CanUndo());
  restore_->setEnabled(editor_.marked() >= 0);
  panel_->update();
}

void CEditDataWindow::Refresh() {
  editor_.Refresh();
  ShowState();
}

void CEditDataWindow::MarkSet(int k) {
  if (!editor_.ToggleMark(k)) return;
  ui_.Post(Window::kView, Um::UM_REDRAW, 0, 0);
  ShowState();
}

void CEditDataWindow::Undo() {
  editor_.Undo();
  ShowState();
}

void CEditDataWindow::RestoreAsRead() {
  editor_.RestoreAsRead();
  ShowState();
}

void CEditDataWindow::DeleteFrom() {
  editor_.DeleteFromText(from_->text().toStdString());
  ShowState();
}

void CEditDataWindow::closeEvent(QCloseEvent* event) {
  editor_.Close();
  ui_.Post(Window::kMainFrame, Um::UM_EDITCLOSED, 0, 0);
  event->accept();
}

}  // namespace mtvuk
