// A graph that can be printed and saved as a picture. The curve graph and
// the depth graph are such graphs; a window shows one, and the print and
// picture commands take the graph of the window the user works in.
#pragma once

#include <QSize>
#include <QString>

class QCPPainter;
class QCustomPlot;
class QWidget;

namespace mtvuk {

class GraphPicture {
 public:
  virtual ~GraphPicture() = default;
  // What the graph shows, for the title line above it: the stations and
  // modes of its sets ("15125A  XY, YX").
  virtual QString PictureTitle() const = 0;
  // The graph's size on screen, pixels: a page keeps its proportions.
  virtual QSize PictureSize() const = 0;
  // Draws the graph at `size` (pixels of the screen) with its top left
  // corner at the painter's origin.
  virtual void RenderPicture(QCPPainter& painter, const QSize& size) = 0;
};

// RenderPicture of a graph drawn by QCustomPlot: the plot is laid out for
// `size`, drawn, and laid out again for the screen.
void RenderPlot(QCustomPlot& plot, QCPPainter& painter, const QSize& size);

// The graph a window shows (itself or one of its children), or nullptr.
GraphPicture* PictureOf(QWidget* window);

}  // namespace mtvuk
