#include "ui/section/section_image.h"

#include <cmath>

namespace mtvuk {
namespace {

// Half a cell beyond the first and the last centre of a range of `size`
// cells, in the axis' own scale.
QCPRange Widened(const QCPRange& r, int size, const QCPAxis& axis) {
  if (size < 2) return r;
  if (axis.scaleType() == QCPAxis::stLogarithmic && r.lower > 0.0 &&
      r.upper > 0.0) {
    const double half = std::pow(r.upper / r.lower, 0.5 / (size - 1));
    return QCPRange(r.lower / half, r.upper * half);
  }
  const double half = 0.5 * r.size() / (size - 1);
  return QCPRange(r.lower - half, r.upper + half);
}

}  // namespace

QRectF SectionImage::TargetRect(bool* mirror_x, bool* mirror_y) const {
  const QCPAxis* key = keyAxis();
  const QCPAxis* value = valueAxis();
  const QCPRange k = Widened(mMapData->keyRange(), mMapData->keySize(), *key);
  const QCPRange v =
      Widened(mMapData->valueRange(), mMapData->valueSize(), *value);
  const double x0 = key->coordToPixel(k.lower);
  const double x1 = key->coordToPixel(k.upper);
  // The first line of the cell image holds the highest values.
  const double y_top = value->coordToPixel(v.upper);
  const double y_bottom = value->coordToPixel(v.lower);
  if (mirror_x != nullptr) *mirror_x = x1 < x0;
  if (mirror_y != nullptr) *mirror_y = y_top > y_bottom;
  return QRectF(QPointF(std::min(x0, x1), std::min(y_top, y_bottom)),
                QPointF(std::max(x0, x1), std::max(y_top, y_bottom)));
}

void SectionImage::draw(QCPPainter* painter) {
  if (!painter->modes().testFlag(QCPPainter::pmVectorized) ||
      keyAxis() == nullptr || valueAxis() == nullptr ||
      keyAxis()->orientation() != Qt::Horizontal) {
    QCPColorMap::draw(painter);
    return;
  }
  if (mMapData->isEmpty()) return;
  // The cells may have changed since the last screen drawing.
  updateMapImage();
  bool mirror_x = false, mirror_y = false;
  const QRectF target = TargetRect(&mirror_x, &mirror_y);
  painter->save();
  painter->setRenderHint(QPainter::SmoothPixmapTransform, mInterpolate);
  painter->drawImage(target, mMapImage.mirrored(mirror_x, mirror_y));
  painter->restore();
}

}  // namespace mtvuk
