#include "ui/fielddata/set_rectangles.h"

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

}  // namespace mtvuk
