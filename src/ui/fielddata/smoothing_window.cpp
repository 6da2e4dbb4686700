#include "ui/fielddata/smoothing_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

namespace mtvuk {
namespace {

constexpr int kBarWidth = 126;  // pixels: the tension is stored in them
constexpr int kBarHeight = 12;

}  // namespace

SmoothingPanel::SmoothingPanel(const FieldSets& sets,
                               SmoothingWindowLogic& logic,
                               QWidget* parent)
    : SetRectanglesPanel(sets, parent), logic_(logic) {
  setMinimumSize(sizeHint());
}

bool SmoothingPanel::Marked(int k) const {
  return sets_[k].smoothing_mark == 1;
}

QString SmoothingPanel::Below(int k) const {
  const FieldSet& set = sets_[k];
  return SetRectangleMode(set) + (set.smoothed && set.in_use > 0 ? "*" : "");
}

QRect SmoothingPanel::BarRect() const {
  const int top = kSetRectMargin + kSetRectHeight + 62;
  return {(width() - kBarWidth) / 2, top, kBarWidth, kBarHeight};
}

void SmoothingPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, false);
  PaintRectangles(p);
  const QRect bar = BarRect();
  p.setPen(Qt::black);
  p.drawText(QRect(0, bar.top() - 20, width(), 16), Qt::AlignCenter, "Tension");
  p.drawText(QRect(bar.left() - 40, bar.top() - 2, 34, bar.height() + 4),
             Qt::AlignRight | Qt::AlignVCenter,
             "min");
  p.drawText(QRect(bar.right() + 6, bar.top() - 2, 34, bar.height() + 4),
             Qt::AlignLeft | Qt::AlignVCenter,
             "max");
  p.setBrush(QColor(235, 235, 235));
  p.drawRect(bar);
  const int x = bar.left() + logic_.tension_position * bar.width() /
                                 std::max(1, logic_.tension_width);
  p.setBrush(QColor(40, 40, 40));
  const QPoint marker[3] = {QPoint(x, bar.bottom() + 1),
                            QPoint(x - 5, bar.bottom() + 9),
                            QPoint(x + 5, bar.bottom() + 9)};
  p.drawPolygon(marker, 3);
  p.drawLine(x, bar.top(), x, bar.bottom());
  QFont small = font();
  small.setPointSize(std::max(6, small.pointSize() - 1));
  p.setFont(small);
  p.drawText(QRect(0, bar.bottom() + 10, width(), 14),
             Qt::AlignCenter,
             QString("%1 % of the knots")
                 .arg(logic_.tension_position * 100.0 /
                          std::max(1, logic_.tension_width),
                      0,
                      'f',
                      0));
}

void SmoothingPanel::PressedElsewhere(QPoint at) {
  const QRect bar = BarRect();
  if (bar.adjusted(0, -3, 0, 3).contains(at)) {
    emit BarClicked(at.x() - bar.left(), bar.width());
  }
}

CSmoothingWindow::CSmoothingWindow(Stores& stores, QtUi& ui, QWidget* parent)
    : QDialog(parent),
      stores_(stores),
      ui_(ui),
      logic_(stores.workspace, stores.sets, ui) {
  setObjectName("smoothing_window");
  setWindowTitle("Smoothing");
  ui_.Register(Window::kSmoothingWindow, this);
  stores_.workspace.smoothing_window_open = true;

  panel_ = new SmoothingPanel(stores_.sets, logic_, this);
  panel_->setToolTip(
      "Click a set to mark it for smoothing; click the bar to set the "
      "tension (more knots to the right)");
  connect(panel_, &SmoothingPanel::SlotClicked, this, [this](int k) {
    if (logic_.ToggleSlot(k)) panel_->update();
  });
  connect(panel_, &SmoothingPanel::BarClicked, this, [this](int x, int w) {
    logic_.SetTension(x, w);
    panel_->update();
  });

  ignore_ = new QCheckBox("&Ignore err", this);
  ignore_->setChecked(logic_.ignore_errors);
  ignore_->setToolTip("Weigh every point alike");
  res_phs_ = new QCheckBox("Res->Phs", this);
  res_phs_->setChecked(logic_.res_to_phase);
  res_phs_->setToolTip("Also derive the phase from the resistivity curve");
  auto* res0_label = new QLabel("Res(0)", this);
  res0_ = new QLineEdit(this);
  res0_label->hide();
  res0_->hide();
  res0_->setEnabled(logic_.res_to_phase);
  connect(res_phs_, &QCheckBox::toggled, res0_, &QWidget::setEnabled);
  auto* free = new QRadioButton("&Free", this);
  auto* limited = new QRadioButton("&Limited", this);
  free->setChecked(!logic_.limited);
  limited->setChecked(logic_.limited);
  free->hide();
  limited->hide();
  auto* all = new QAction("&A", this);
  all->setShortcut(QKeySequence("Alt+A"));
  connect(all, &QAction::triggered, this, [this] {
    logic_.MarkAll();
    panel_->update();
  });
  addAction(all);

  ok_ = new QPushButton("OK", this);
  ok_->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  connect(ok_, &QPushButton::clicked, this, &CSmoothingWindow::Apply);
  connect(cancel, &QPushButton::clicked, this, &QWidget::close);

  auto* checks = new QHBoxLayout;
  checks->addWidget(ignore_);
  checks->addWidget(res_phs_);
  checks->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel_);
  layout->addLayout(checks);
  layout->addLayout(buttons);
  setFixedSize(sizeHint());
}

CSmoothingWindow::~CSmoothingWindow() {
  ui_.Unregister(Window::kSmoothingWindow);
  stores_.workspace.smoothing_window_open = false;
}

void CSmoothingWindow::Refresh() { panel_->update(); }

void CSmoothingWindow::Apply() {
  logic_.ignore_errors = ignore_->isChecked();
  logic_.res_to_phase = res_phs_->isChecked();
  if (logic_.res_to_phase) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    logic_.Apply();
    QApplication::restoreOverrideCursor();
  } else {
    logic_.Apply();
  }
  panel_->update();
}

void CSmoothingWindow::closeEvent(QCloseEvent* event) {
  logic_.Close();
  event->accept();
}

}  // namespace mtvuk
