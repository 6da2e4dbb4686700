#include "ui/fielddata/smoothing_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/fielddata/smoothing_check.h"

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
  const double percent =
      logic_.tension_position * 100.0 / std::max(1, logic_.tension_width);
  QString caption = QString("%1 % of the knots").arg(percent, 0, 'f', 0);
  if (logic_.smoother == Smoother::kRobust) {
    caption = logic_.tension_by_hand
                  ? QString("%1 % of the freedom").arg(percent, 0, 'f', 0)
                  : QString("smoothness from the data");
  }
  p.drawText(
      QRect(0, bar.bottom() + 10, width(), 14), Qt::AlignCenter, caption);
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
    ShowSmootherState();
  });

  smoother_ = new QComboBox(this);
  smoother_->setObjectName("smoother");
  smoother_->addItem(SmootherCaption(Smoother::kRobust),
                     static_cast<int>(Smoother::kRobust));
  smoother_->addItem(SmootherCaption(Smoother::kClassic),
                     static_cast<int>(Smoother::kClassic));
  smoother_->setCurrentIndex(logic_.smoother == Smoother::kRobust ? 0 : 1);
  smoother_->setToolTip(
      "Robust: a penalised spline whose smoothness the data choose, with "
      "outliers down-weighted and the curve held near the data.\n"
      "Classic: the weighted least-squares spline whose knots the tension "
      "sets.");
  connect(smoother_,
          qOverload<int>(&QComboBox::currentIndexChanged),
          this,
          [this](int) {
            logic_.smoother =
                static_cast<Smoother>(smoother_->currentData().toInt());
            ShowSmootherState();
          });
  from_data_ = new QCheckBox("From the &data", this);
  from_data_->setObjectName("from_data");
  from_data_->setToolTip(
      "The robust smoother chooses its smoothness by cross-validation; a "
      "click on the bar sets it by hand");
  connect(from_data_, &QCheckBox::toggled, this, [this](bool on) {
    if (on)
      logic_.SetTensionFromData();
    else
      logic_.tension_by_hand = true;
    panel_->update();
  });
  result_ = new QLabel(this);
  result_->setObjectName("smoothing_result");
  result_->setWordWrap(true);
  result_->setMinimumWidth(300);

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
  auto* method = new QHBoxLayout;
  method->addWidget(smoother_, 1);
  method->addWidget(from_data_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(method);
  layout->addWidget(panel_);
  layout->addLayout(checks);
  layout->addWidget(result_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  ShowSmootherState();
  ShowResult();
}

void CSmoothingWindow::ShowSmootherState() {
  const bool robust = logic_.smoother == Smoother::kRobust;
  const QSignalBlocker block(from_data_);
  from_data_->setEnabled(robust);
  from_data_->setChecked(robust && !logic_.tension_by_hand);
  panel_->update();
}

void CSmoothingWindow::ShowResult() {
  QStringList lines;
  bool warned = false;
  for (const FieldSet& set : stores_.sets) {
    if (set.in_use <= 0 || !set.smoothed) continue;
    const SmoothingDeparture d = MeasureDeparture(set);
    QString line =
        QString("%1: %2").arg(QString::fromStdString(set.label),
                              QString(SmootherName(set.smoothed_with)));
    if (set.smoothed_with == Smoother::kRobust) {
      line += QString(", %1 point%2 down-weighted")
                  .arg(d.downweighted)
                  .arg(d.downweighted == 1 ? "" : "s");
    }
    line += QString(", largest departure %1 decades").arg(d.largest, 0, 'f', 2);
    lines << line.toHtmlEscaped();
    for (const std::string& w : SmoothingWarnings(set)) {
      lines << QString("<span style=\"color:#b00000\">Warning: %1</span>")
                   .arg(QString::fromStdString(w).toHtmlEscaped());
      warned = true;
    }
  }
  result_->setText(lines.join("<br>"));
  result_->setVisible(!lines.isEmpty());
  result_->setProperty("warned", warned);
}

CSmoothingWindow::~CSmoothingWindow() {
  ui_.Unregister(Window::kSmoothingWindow);
  stores_.workspace.smoothing_window_open = false;
}

void CSmoothingWindow::Refresh() {
  panel_->update();
  ShowResult();
}

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
