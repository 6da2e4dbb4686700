#include "ui/section/scale_dialog.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/app/qt_ui.h"

namespace mtvuk {

namespace {

constexpr int kBarLeft = 12;
constexpr int kBarWidth = 10;
constexpr int kTickLength = 3;
constexpr int kFieldTop = 26;  // room for the unit above the field
constexpr int kBottomMargin = 10;

QToolButton* Arrow(Qt::ArrowType type, const QString& tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(type);
  button->setToolTip(tip);
  button->setAutoRepeat(true);
  return button;
}

}  // namespace

// The bar and its axis. Every paint writes the dialog's own colour list;
// the section takes it only when the user applies it, so that a palette
// tried and left never reaches the section.
class ScaleBar : public QWidget {
 public:
  explicit ScaleBar(CScaleDlg& dialog) : QWidget(&dialog), dialog_(dialog) {
    setMinimumSize(96, kFieldTop + kScaleField + kBottomMargin);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const ColourScale& scale = dialog_.scale_;
    scale.WriteColourList(dialog_.shown_);
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const int bottom = kFieldTop + kScaleField;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(0, 2, width(), kFieldTop - 6),
                     Qt::AlignLeft | Qt::AlignBottom,
                     "Ohm-m");
    painter.setPen(QColor(190, 190, 190));
    painter.drawRect(
        kBarLeft - 1, kFieldTop - 1, kBarWidth + 1, kScaleField + 1);
    const ColourRamp& ramp =
        PaletteRamp(dialog_.workspace_.colour_ramps, scale.palette());
    for (const ScaleLine& line : scale.Lines()) {
      const Rgb c = ramp[line.ramp_index];
      painter.setPen(QColor(c.r, c.g, c.b));
      const int y = bottom - 1 - line.row;
      painter.drawLine(kBarLeft, y, kBarLeft + kBarWidth - 1, y);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
    const int tick_x = kBarLeft + kBarWidth;
    for (const ScaleTick& tick : ScaleAxis(scale.min(), scale.max())) {
      const int y = bottom - tick.row;
      const bool labelled = !tick.label.empty();
      painter.drawLine(tick_x, y, tick_x + kTickLength + (labelled ? 2 : 0), y);
      if (!labelled) continue;
      painter.drawText(tick_x + kTickLength + 5,
                       y + metrics.ascent() / 2 - 1,
                       QString::fromStdString(tick.label));
    }
  }

 private:
  CScaleDlg& dialog_;
};

CScaleDlg::CScaleDlg(QWidget* parent,
                     double min,
                     double max,
                     int slot,
                     Workspace& workspace,
                     QObject* view)
    : QDialog(parent),
      scale_(min, max, workspace.section_colours[slot].bytes[kPaletteByte]),
      slot_(slot),
      workspace_(workspace),
      view_(view) {
  setObjectName("scale_dialog");
  setWindowTitle("Scale");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  bar_ = new ScaleBar(*this);
  top->addWidget(bar_);
  auto* arrows = new QGridLayout;
  shift_up_ = Arrow(Qt::UpArrow, "Move the colours up", this);
  shift_down_ = Arrow(Qt::DownArrow, "Move the colours down", this);
  resolution_up_ = Arrow(Qt::UpArrow, "More colours", this);
  resolution_down_ = Arrow(Qt::DownArrow, "Fewer colours", this);
  arrows->addWidget(new QLabel("Shift", this), 0, 0, 1, 2);
  arrows->addWidget(shift_down_, 1, 0);
  arrows->addWidget(shift_up_, 1, 1);
  arrows->setRowMinimumHeight(2, 24);
  arrows->addWidget(new QLabel("Colours", this), 3, 0, 1, 2);
  arrows->addWidget(resolution_down_, 4, 0);
  arrows->addWidget(resolution_up_, 4, 1);
  state_ = new QLabel(this);
  arrows->addWidget(state_, 5, 0, 1, 2);
  arrows->setRowStretch(6, 1);
  top->addLayout(arrows);
  layout->addLayout(top);
  palettes_ = new QComboBox(this);
  for (const char* name : kPaletteNames) palettes_->addItem(name);
  palettes_->setCurrentIndex(scale_.palette());
  layout->addWidget(palettes_);
  auto* buttons = new QHBoxLayout;
  auto* defaults = new QPushButton("Set default", this);
  auto* apply = new QPushButton("Apply", this);
  apply->setDefault(true);
  buttons->addWidget(defaults);
  buttons->addWidget(apply);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(shift_down_, &QToolButton::clicked, this, [this] {
    scale_.ShiftDown();
    Changed();
  });
  connect(shift_up_, &QToolButton::clicked, this, [this] {
    scale_.ShiftUp();
    Changed();
  });
  connect(resolution_down_, &QToolButton::clicked, this, [this] {
    scale_.ResolutionDown();
    Changed();
  });
  connect(resolution_up_, &QToolButton::clicked, this, [this] {
    scale_.ResolutionUp();
    Changed();
  });
  connect(
      palettes_, &QComboBox::currentIndexChanged, this, [this](int palette) {
        scale_.ChoosePalette(palette);
        Changed();
      });
  connect(defaults, &QPushButton::clicked, this, &CScaleDlg::SetDefault);
  connect(apply, &QPushButton::clicked, this, &CScaleDlg::Apply);
  Changed();
}

void CScaleDlg::Changed() {
  const std::vector<ScaleLine> lines = scale_.Lines();
  int colours = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == 0 || lines[i].ramp_index != lines[i - 1].ramp_index) ++colours;
  }
  state_->setText(
      QString("shift %1\n%2 colours").arg(scale_.shift()).arg(colours));
  // Painting does it too; written here as well so that the list is current
  // while the dialog is not on screen.
  scale_.WriteColourList(shown_);
  bar_->update();
}

void CScaleDlg::TellView() {
  if (view_ != nullptr) {
    QCoreApplication::postEvent(view_,
                                new UmEvent(Um::UM_SCALECHANGED, 0, slot_));
  }
}

void CScaleDlg::Apply() {
  scale_.Apply(workspace_.section_colours[slot_]);
  TellView();
}

void CScaleDlg::SetDefault() {
  scale_.SetDefault(workspace_.section_colours[slot_]);
  {
    const QSignalBlocker block(palettes_);
    palettes_->setCurrentIndex(0);
  }
  Changed();
  TellView();
}

}  // namespace mtvuk
