// The six coloured set rectangles by which the smoothing and the editing
// windows choose field sets.
#pragma once

#include <QPainter>
#include <QRect>
#include <QString>

#include "core/store/field_set.h"

namespace mtvuk {

inline constexpr int kSetRectWidth = 40;
inline constexpr int kSetRectHeight = 26;
inline constexpr int kSetRectGap = 8;

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

}  // namespace mtvuk
