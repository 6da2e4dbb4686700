#include "ui/graph/graph_output.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPdfWriter>
#include <QPrinter>
#include <QScreen>
#include <QSvgGenerator>
#include <algorithm>

namespace mtvuk {
namespace {

// PNG pictures have twice the pixels of the screen, for reports.
constexpr int kPngScale = 2;
constexpr double kTitlePointSize = 10.0;
// The title line is this many text lines high.
constexpr double kTitleLines = 1.8;

// Picture files are drawn in pixels of the screen, so that the graph's
// fonts, pens and layout are those the user sees.
int ScreenDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
  return std::max(1, static_cast<int>(dpi + 0.5));
}

QFont TitleFont() {
  QFont font = QApplication::font();
  font.setPointSizeF(kTitlePointSize);
  return font;
}

QSize GraphSize(GraphPicture& graph) {
  const QSize size = graph.PictureSize();
  return size.width() > 0 && size.height() > 0 ? size : QSize(800, 600);
}

bool CanWrite(const QString& path, QString* error) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) return true;
  if (error != nullptr)
    *error = QString("Cannot write %1: %2").arg(path, file.errorString());
  return false;
}

}  // namespace

QString TitleLine(const GraphPicture& graph, const QDate& date) {
  QString what = graph.PictureTitle();
  return QString("MT-VUK   %1%2")
      .arg(what.isEmpty() ? "" : what + "   ", date.toString(Qt::ISODate));
}

void PaintGraphPage(QCPPainter& painter,
                    const QRectF& page,
                    GraphPicture& graph,
                    const QString& title_line) {
  painter.save();
  const QFont font = TitleFont();
  painter.setFont(font);
  const double title_height =
      QFontMetricsF(font, painter.device()).height() * kTitleLines;
  painter.setPen(Qt::black);
  const double indent = title_height / 3.0;
  painter.drawText(QRectF(page.left() + indent,
                          page.top(),
                          page.width() - indent,
                          title_height),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   title_line);
  const QRectF area(page.left(),
                    page.top() + title_height,
                    page.width(),
                    std::max(1.0, page.height() - title_height));
  const QSize size = GraphSize(graph);
  const double scale =
      std::min(area.width() / size.width(), area.height() / size.height());
  painter.translate(area.left() + (area.width() - scale * size.width()) / 2.0,
                    area.top());
  painter.scale(scale, scale);
  graph.RenderPicture(painter, size);
  painter.restore();
}

QSize PicturePageSize(GraphPicture& graph) {
  const QSize size = GraphSize(graph);
  const int title_height = static_cast<int>(
      QFontMetricsF(TitleFont()).height() * kTitleLines + 0.999);
  return {size.width(), size.height() + title_height};
}

bool SaveGraphPicture(GraphPicture& graph,
                      const QString& path,
                      const QString& title_line,
                      QString* error) {
  const QString type = QFileInfo(path).suffix().toLower();
  if (type != "svg" && type != "pdf" && type != "png") {
    if (error != nullptr) {
      *error = QString(
                   "The picture type of %1 is not known: use .svg, .pdf or "
                   ".png.")
                   .arg(path);
    }
    return false;
  }
  if (!CanWrite(path, error)) return false;
  const QSize page = PicturePageSize(graph);
  const QRectF rect(QPointF(0, 0), page);
  const int dpi = ScreenDpi();
  QCPPainter painter;
  auto refused = [&] {
    if (error != nullptr) *error = QString("Cannot write %1.").arg(path);
    return false;
  };
  if (type == "svg") {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(page);
    svg.setViewBox(rect);
    svg.setResolution(dpi);
    svg.setTitle(title_line);
    svg.setDescription("Graph drawn by MT-VUK");
    if (!painter.begin(&svg)) return refused();
    painter.setMode(QCPPainter::pmVectorized);
    PaintGraphPage(painter, rect, graph, title_line);
    return painter.end();
  }
  if (type == "pdf") {
    QPdfWriter pdf(path);
    pdf.setResolution(dpi);
    pdf.setCreator("MT-VUK");
    pdf.setTitle(title_line);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setPageSize(QPageSize(QSizeF(page) * 72.0 / dpi,
                              QPageSize::Point,
                              QString(),
                              QPageSize::ExactMatch));
    if (!painter.begin(&pdf)) return refused();
    painter.setMode(QCPPainter::pmVectorized);
    PaintGraphPage(painter, rect, graph, title_line);
    return painter.end();
  }
  QImage image(page * kPngScale, QImage::Format_ARGB32);
  const int dots_per_metre = static_cast<int>(dpi / 0.0254 + 0.5);
  image.setDotsPerMeterX(dots_per_metre);
  image.setDotsPerMeterY(dots_per_metre);
  image.fill(Qt::white);
  if (!painter.begin(&image)) return refused();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(kPngScale, kPngScale);
  PaintGraphPage(painter, rect, graph, title_line);
  painter.end();
  return image.save(path, "PNG") || refused();
}

bool PrintGraph(GraphPicture& graph,
                QPrinter& printer,
                const QString& title_line) {
  QCPPainter painter;
  if (!painter.begin(&printer)) return false;
  painter.setMode(QCPPainter::pmVectorized);
  const QRectF page(QPointF(0, 0),
                    printer.pageRect(QPrinter::DevicePixel).size());
  PaintGraphPage(painter, page, graph, title_line);
  return painter.end();
}

void RenderPlot(QCustomPlot& plot, QCPPainter& painter, const QSize& size) {
  plot.toPainter(&painter, size.width(), size.height());
  plot.replot(QCustomPlot::rpQueuedReplot);
}

GraphPicture* PictureOf(QWidget* window) {
  if (window == nullptr) return nullptr;
  if (auto* picture = dynamic_cast<GraphPicture*>(window)) return picture;
  for (QWidget* child : window->findChildren<QWidget*>()) {
    auto* picture = dynamic_cast<GraphPicture*>(child);
    if (picture != nullptr && child->isVisible()) return picture;
  }
  return nullptr;
}

}  // namespace mtvuk
