#include "ui/fielddata/set_rectangles.h"

#include <QMouseEvent>
#include <algorithm>

#include "core/fielddata/field_curve.h"
#include "ui/graph/curve_graph.h"

namespace mtvuk {

QRect SetRectangle(int k, QPoint origin) {
  return {origin.x() + k * (kSetRectWidth + kSetRectGap),
          origin.y(),
          kSetRectWidth,
          kSetRectHeight};
}

QString SetRectangleMode(const FieldSet& set) {
  return set.in_use > 0 ? QString(ModePrefix(set.mode)).trimmed()
                        : QString("-");
}

void PaintSetRectangle(QPainter& p,
                       const QRect& r,
                       const FieldSet& set,
                       int k,
                       bool marked,
                       const QString& below) {
  p.save();
  const bool in_use = set.in_use > 0;
  const QColor colour = in_use ? SetColour(k) : QColor(170, 170, 170);
  p.setPen(QPen(colour, 2, in_use ? Qt::SolidLine : Qt::DotLine));
  p.setBrush(in_use && marked ? QBrush(colour) : QBrush(Qt::white));
  p.drawRect(r);
  p.setPen(in_use && marked ? Qt::white : colour);
  p.drawText(r, Qt::AlignCenter, QString::number(k + 1));
  QFont small = p.font();
  small.setPointSize(std::max(6, small.pointSize() - 1));
  p.setFont(small);
  p.setPen(in_use ? Qt::black : QColor(150, 150, 150));
  p.drawText(QRect(r.left() - 4, r.bottom() + 3, r.width() + 8, 14),
             Qt::AlignHCenter | Qt::AlignTop,
             below);
  p.restore();
}

SetRectanglesPanel::SetRectanglesPanel(const FieldSets& sets, QWidget* parent)
    : QWidget(parent), sets_(sets) {}

QRect SetRectanglesPanel::SlotRect(int k) const {
  return SetRectangle(k, QPoint(kSetRectMargin, kSetRectMargin));
}

void SetRectanglesPanel::PaintRectangles(QPainter& p) {
  for (int k = 0; k < MaxSets; ++k) {
    PaintSetRectangle(p, SlotRect(k), sets_[k], k, Marked(k), Below(k));
  }
}

void SetRectanglesPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  for (int k = 0; k < MaxSets; ++k) {
    if (SlotRect(k).contains(at)) {
      emit SlotClicked(k);
      return;
    }
  }
  PressedElsewhere(at);
}

}  // namespace mtvuk
