// The six coloured set rectangles by which the smoothing and the editing
// windows choose field sets.
#pragma once

#include <QPainter>
#include <QRect>
#include <QString>
#include <QWidget>

#include "core/store/workspace.h"

namespace mtvuk {

inline constexpr int kSetRectWidth = 40;
inline constexpr int kSetRectHeight = 26;
inline constexpr int kSetRectGap = 8;
inline constexpr int kSetRectMargin = 10;  // around the row of a panel

// Rectangle k of a row whose first rectangle starts at `origin`.
QRect SetRectangle(int k, QPoint origin);

// Paints rectangle k: framed in the set's colour (grey and dotted without a
// curve), filled when marked, its number inside and `below` under it.
void PaintSetRectangle(QPainter& painter,
                       const QRect& rect,
                       const FieldSet& set,
                       int k,
                       bool marked,
                       const QString& below);

// The text under a rectangle: the mode of the set ("-" without a curve).
QString SetRectangleMode(const FieldSet& set);

// A panel with the six rectangles in a row at its top left; a left click on
// one tells which. The window decides which are filled and what stands
// under them.
class SetRectanglesPanel : public QWidget {
  Q_OBJECT

 public:
  explicit SetRectanglesPanel(const FieldSets& sets, QWidget* parent = nullptr);
  QRect SlotRect(int k) const;

 signals:
  void SlotClicked(int k);

 protected:
  virtual bool Marked(int k) const = 0;
  virtual QString Below(int k) const = 0;
  // A left click that hit no rectangle.
  virtual void PressedElsewhere(QPoint) {}
  void PaintRectangles(QPainter& painter);
  void mousePressEvent(QMouseEvent* event) override;

  const FieldSets& sets_;
};

}  // namespace mtvuk
