#include "ui/fielddata/info_window.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/fielddata/field_editing.h"

namespace mtvuk {
namespace {

constexpr char kHint[] =
    "Move the pointer onto a point\nof the graph to see it here.";

}  // namespace

CInfoWindow::CInfoWindow(QtUi& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setObjectName("info_window");
  setWindowTitle("INFO");
  text_ = new QLabel(kHint, this);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text_->setMinimumSize(260, 110);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  switch_ = new QPushButton("Switch &off/on", this);
  switch_->setToolTip("Switches the point off, or on again (Ctrl+click)");
  invert_ = new QPushButton("In&vert sign", this);
  invert_->setToolTip("Inverts the sign of the quantity shown (Shift+click)");
  for (QPushButton* b : {switch_, invert_}) {
    b->setAutoDefault(false);
    b->setEnabled(false);
  }
  connect(
      switch_, &QPushButton::clicked, this, [this] { Post(kInfoSwitchPoint); });
  connect(
      invert_, &QPushButton::clicked, this, [this] { Post(kInfoInvertSign); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(switch_);
  buttons->addWidget(invert_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addLayout(buttons);
}

void CInfoWindow::ShowPoint(int set, int point, const QString& text) {
  set_ = set;
  point_ = point;
  text_->setText(set < 0 ? QString(kHint) : text);
  switch_->setEnabled(set >= 0);
  invert_->setEnabled(set >= 0);
}

void CInfoWindow::Post(int command) {
  if (set_ < 0) return;
  ui_.Post(Window::kView, Um::UM_INFOCOMMAND, command, InfoPoint(set_, point_));
}

void CInfoWindow::closeEvent(QCloseEvent* event) {
  ui_.Post(Window::kView, Um::UM_INFOCLOSED, 0, 0);
  event->accept();
}

}  // namespace mtvuk
