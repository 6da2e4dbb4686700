// The tomography image of a section. On screen and in PNG pictures it draws
// as any colour map; into SVG, PDF and the printer it puts its cell image
// once, scaled by the device, instead of a bitmap of three times the
// device's size (which, at a printer's resolution, runs into gigabytes).
#pragma once

#include <qcustomplot.h>

namespace mtvuk {

class SectionImage : public QCPColorMap {
 public:
  SectionImage(QCPAxis* key_axis, QCPAxis* value_axis)
      : QCPColorMap(key_axis, value_axis) {}

  // Where the cell image lands on the device, in the painter's pixels
  // (cells reach half a cell beyond their centres), and whether it is
  // mirrored to get there.
  QRectF TargetRect(bool* mirror_x, bool* mirror_y) const;

 protected:
  void draw(QCPPainter* painter) override;
};

}  // namespace mtvuk
