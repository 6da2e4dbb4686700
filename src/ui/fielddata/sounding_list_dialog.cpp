#include "ui/fielddata/sounding_list_dialog.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/graph/curve_graph.h"

namespace mtvuk {
namespace {

constexpr int kSlotHeight = 26;
constexpr int kSlotWidth = 150;

}  // namespace

SlotBox::SlotBox(const SoundingList& list, QWidget* parent)
    : QWidget(parent), list_(list) {
  setObjectName("slot_box");
  setToolTip("Double click a slot to offer it for new data, or to keep it");
}

QSize SlotBox::sizeHint() const {
  return {kSlotWidth + 8, MaxSets * kSlotHeight + 8};
}

QRect SlotBox::SlotRect(int slot) const {
  return QRect(4, 4 + slot * kSlotHeight, width() - 8, kSlotHeight - 4);
}

void SlotBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  for (int k = 0; k < MaxSets; ++k) {
    const QRect r = SlotRect(k);
    const int state = list_.slot_state(k);
    p.setPen(QPen(SetColour(k), 2));
    p.setBrush(state > 0 ? QColor(255, 255, 240) : QColor(Qt::white));
    p.drawRect(r);
    p.setPen(state > 0 ? SetColour(k) : QColor(Qt::gray));
    p.drawText(r.adjusted(6, 0, -4, 0),
               Qt::AlignVCenter | Qt::AlignLeft,
               QString("%1 %2").arg(k + 1).arg(
                   QString::fromStdString(list_.SlotText(k))));
  }
}

void SlotBox::mouseDoubleClickEvent(QMouseEvent* event) {
  for (int k = 0; k < MaxSets; ++k) {
    if (SlotRect(k).contains(event->position().toPoint())) {
      emit SlotDoubleClicked(k);
      return;
    }
  }
}

SoundingListDialog::SoundingListDialog(Workspace& workspace,
                                       FieldSets& sets,
                                       LayerModels& models,
                                       Ui& ui,
                                       QWidget* parent)
    : QDialog(parent), list_(workspace, sets, models, ui) {
  setObjectName("sounding_list_dialog");
  setWindowTitle(QString::fromStdString(list_.Caption()));
  listing_ = new QListWidget(this);
  listing_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  const SoundingBuffer& sb = workspace.sounding;
  for (int i = 0; i < sb.listing_count; ++i) {
    listing_->addItem(QString::fromLocal8Bit(sb.listing[i].c_str()));
  }
  listing_->setMinimumWidth(560);
  listing_->setMinimumHeight(380);

  slot_box_ = new SlotBox(list_, this);
  connect(slot_box_, &SlotBox::SlotDoubleClicked, this, [this](int k) {
    list_.DoubleClickSlot(k);
    slot_box_->update();
  });

  auto* side = new QVBoxLayout;
  side->addWidget(new QLabel("Field sets:", this));
  side->addWidget(slot_box_);
  static const char* const kModes[kCurveModes] = {"XY", "YX", "MEAN", "EFF"};
  for (int m = 0; m < kCurveModes; ++m) {
    ticks_[m] = new QCheckBox(kModes[m], this);
    connect(ticks_[m], &QCheckBox::toggled, this, [this, m](bool on) {
      Tick(static_cast<CurveMode>(m), on);
    });
    side->addWidget(ticks_[m]);
  }
  side->addStretch(1);
  auto* empty = new QPushButton("&Empty box", this);
  connect(empty, &QPushButton::clicked, this, &SoundingListDialog::EmptyBox);
  auto* ok = new QPushButton("&OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &SoundingListDialog::accept);
  side->addWidget(empty);
  side->addWidget(ok);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(listing_, 1);
  layout->addLayout(side);
}

void SoundingListDialog::Tick(CurveMode mode, bool on) {
  bool ticked = list_.SetTick(mode, on);
  if (ticked != on) {
    QSignalBlocker block(ticks_[static_cast<int>(mode)]);
    ticks_[static_cast<int>(mode)]->setChecked(ticked);
  }
  slot_box_->update();
}

void SoundingListDialog::EmptyBox() {
  list_.EmptyBox();
  for (QCheckBox* box : ticks_) {
    QSignalBlocker block(box);
    box->setChecked(false);
  }
  slot_box_->update();
}

void SoundingListDialog::accept() {
  if (list_.Ok()) QDialog::accept();
}

}  // namespace mtvuk
