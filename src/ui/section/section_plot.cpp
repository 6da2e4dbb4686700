#include "ui/section/section_plot.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "core/section/colour_bar.h"
#include "core/section/station_labels.h"
#include "ui/section/section_image.h"

namespace mtvuk {
namespace {

// Cells of the tomography image: fine enough that a band edge never looks
// stepped at the sizes a section is shown or printed.
constexpr int kImageColumns = 640;
constexpr int kImageRows = 420;
// A logarithmic depth axis spans three decades up to the bottom.
constexpr double kLogDepthDecades = 3.0;
// A logging column takes this share of the gap to its nearer neighbour on
// each side, so that neighbours never touch.
constexpr double kColumnShare = 0.35;
// Height of the sky above the highest station, share of the depth axis.
constexpr double kSkyShare = 0.035;
// Pixels per inch of PDF and SVG pictures.
constexpr int kVectorDpi = 96;
// Pixels between two station names in one row along the top.
constexpr double kLabelGap = 6.0;
// Station names are staggered over at most this many rows.
constexpr int kMaxLabelRows = 3;
// The sea: its surface line and the water below it.
const QColor kSeaLine(30, 90, 170);
const QColor kWater(200, 226, 246);

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

// "10^-4" as 10 with a raised exponent.
QString WithSuperscript(const std::string& label) {
  const std::size_t caret = label.find('^');
  if (caret == std::string::npos) return QString::fromStdString(label);
  static const QString kDigits = QString::fromUtf8(
      "\u2070\u00b9\u00b2\u00b3\u2074\u2075\u2076\u2077\u2078\u2079");
  QString out = QString::fromStdString(label.substr(0, caret));
  for (char ch : label.substr(caret + 1)) {
    if (ch == '-') {
      out += QChar(0x207b);
    } else if (ch >= '0' && ch <= '9') {
      out += kDigits[ch - '0'];
    }
  }
  return out;
}

}  // namespace

SectionPlot::SectionPlot(QWidget* parent) : QCustomPlot(parent) {
  setBackground(Qt::white);
  plotLayout()->insertRow(0);
  title_element_ =
      new QCPTextElement(this, "", QFont(font().family(), 11, QFont::Bold));
  plotLayout()->addElement(0, 0, title_element_);
  scale_ = new QCPColorScale(this);
  scale_->setType(QCPAxis::atRight);
  scale_->setDataScaleType(QCPAxis::stLogarithmic);
  scale_->setBarWidth(16);
  scale_->axis()->setLabel("Resistivity (Ohm-m)");
  plotLayout()->addElement(1, 1, scale_);
  // The scale bar as high as the section itself.
  auto* group = new QCPMarginGroup(this);
  axisRect()->setMarginGroup(QCP::msTop | QCP::msBottom, group);
  scale_->setMarginGroup(QCP::msTop | QCP::msBottom, group);

  xAxis->setLabel("Distance along profile (km)");
  yAxis->setRangeReversed(true);
  xAxis2->setVisible(true);
  yAxis2->setVisible(true);
  yAxis2->setTickLabels(false);
  station_ticker_ = QSharedPointer<QCPAxisTickerText>::create();
  xAxis2->setTicker(station_ticker_);
  xAxis2->setSubTicks(false);
  xAxis2->setTickLength(0, 6);
  xAxis2->setTickPen(QPen(Qt::black, 1.2));
  for (QCPAxis* axis : {xAxis, yAxis, xAxis2, yAxis2}) {
    axis->grid()->setVisible(false);
    axis->setLayer("axes");
  }
  // Axes and the frame stay above the image and the blocks.
  moveLayer(layer("axes"), layer("main"), QCustomPlot::limAbove);
}

void SectionPlot::SetModel(SectionModel model, const QString& title) {
  model_ = std::move(model);
  title_ = title;
  labels_.clear();
  for (const SectionColumn& c : model_.columns())
    labels_.push_back(QString::fromStdString(c.label));
}

void SectionPlot::SetColours(const SectionColourBlock& block,
                             const ColourRamps& ramps) {
  colours_ = block;
  ramps_ = ramps;
}

double SectionPlot::DepthMaxKm() const {
  return style_.depth_max_km > 0.0 ? style_.depth_max_km : model_.AutoDepthKm();
}

QColor SectionPlot::ColourOf(double rho) const {
  const auto [lo, hi] = model_.ValueRange();
  return ToQColor(SectionColour(colours_, ramps_, rho, lo, hi));
}

QCPColorGradient SectionPlot::Gradient() const {
  // One level per band and one more, so that a value falls into level k
  // exactly when SectionColour puts it into band k (the top level repeats
  // the last band for the maximum itself).
  const int count = colours_.count > 0
                        ? std::min<int>(colours_.count, kColourListSize)
                        : kRampWalk;
  const ColourRamp& ramp = PaletteRamp(ramps_, colours_.palette());
  QCPColorGradient g;
  g.clearColorStops();
  g.setColorInterpolation(QCPColorGradient::ciRGB);
  g.setNanHandling(QCPColorGradient::nhTransparent);
  g.setLevelCount(std::max(2, count + 1));
  for (int k = 0; k <= count; ++k) {
    const int band = std::min(k, count - 1);
    const int index = colours_.count > 0 ? colours_.bytes[band] : band;
    g.setColorStopAt(static_cast<double>(k) / count,
                     ToQColor(ramp[std::min(index, kRampSize - 1)]));
  }
  return g;
}

double SectionPlot::ColumnHalfWidth(std::size_t i) const {
  const auto& cols = model_.columns();
  double gap = std::numeric_limits<double>::infinity();
  // Stations at one place share their column.
  auto nearer = [&gap](double d) {
    if (d > 0.0) gap = std::min(gap, d);
  };
  if (i > 0) nearer(cols[i].draw_km - cols[i - 1].draw_km);
  if (i + 1 < cols.size()) nearer(cols[i + 1].draw_km - cols[i].draw_km);
  if (!std::isfinite(gap)) gap = 2.0;  // a single place: 1.4 km wide
  return kColumnShare * gap;
}

void SectionPlot::Rebuild() {
  clearItems();
  clearPlottables();
  blocks_.clear();
  block_rho_.clear();
  image_ = nullptr;
  title_element_->setText(title_);

  const auto& cols = model_.columns();
  const double bottom = DepthMaxKm();
  const bool log = style_.log_depth;
  if (log) {
    yAxis->setScaleType(QCPAxis::stLogarithmic);
    yAxis->setTicker(QSharedPointer<QCPAxisTickerLog>::create());
    yAxis->setNumberFormat("gb");
    yAxis->setRange(bottom / std::pow(10.0, kLogDepthDecades), bottom);
  } else {
    yAxis->setScaleType(QCPAxis::stLinear);
    yAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    yAxis->setNumberFormat("g");
    // A strip of sky above the datum holds the station triangles.
    yAxis->setRange(-kSkyShare * bottom, bottom);
  }
  yAxis2->setScaleType(yAxis->scaleType());
  yAxis2->setTicker(yAxis->ticker());
  yAxis2->setRange(yAxis->range());
  yAxis2->setRangeReversed(true);

  double datum = 0.0;
  bool relief = false;
  for (const SectionColumn& c : cols) {
    datum = std::max(datum, c.elevation_m);
    relief = relief || c.surface_km > 0.0;
  }
  yAxis->setLabel(
      relief ? QString("Depth below %1 m elevation (km)").arg(datum, 0, 'f', 0)
             : QString("Depth (km)"));

  if (cols.empty()) {
    xAxis->setRange(0.0, 1.0);
  } else {
    const double first = cols.front().draw_km;
    const double last = cols.back().draw_km;
    const double margin = std::max({ColumnHalfWidth(0),
                                    ColumnHalfWidth(cols.size() - 1),
                                    0.02 * (last - first)});
    xAxis->setRange(first - margin, last + margin);
  }
  xAxis2->setRange(xAxis->range());

  const auto [lo, hi] = model_.ValueRange();
  scale_->setDataRange(QCPRange(lo, hi));
  scale_->setGradient(Gradient());
  // Every label of the bar in one format: decades, or evenly spaced values
  // for a narrow range.
  auto ticker = QSharedPointer<QCPAxisTickerText>::create();
  for (const ColourBarTick& tick : ColourBarTicks(lo, hi))
    ticker->addTick(tick.value, WithSuperscript(tick.label));
  ticker->setSubTickCount(0);
  scale_->axis()->setTicker(ticker);

  if (style_.tomography) {
    DrawTomography();
  } else {
    DrawLogging();
  }
  DrawSurface();
  replot(QCustomPlot::rpQueuedReplot);
}

void SectionPlot::Recolour() {
  scale_->setGradient(Gradient());
  if (image_ != nullptr) image_->setGradient(Gradient());
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    const QColor colour = ColourOf(block_rho_[i]);
    blocks_[i]->setPen(QPen(colour, 0.0));
    blocks_[i]->setBrush(colour);
  }
  replot(QCustomPlot::rpQueuedReplot);
}

void SectionPlot::DrawLogging() {
  const auto& cols = model_.columns();
  const double top_limit = yAxis->range().lower;
  const double bottom_limit = yAxis->range().upper;
  auto add_block =
      [&](double x0, double x1, double top, double bottom, double rho) {
        top = std::clamp(top, top_limit, bottom_limit);
        bottom = std::clamp(bottom, top_limit, bottom_limit);
        if (!(bottom > top)) return;
        auto* r = new QCPItemRect(this);
        r->topLeft->setCoords(x0, top);
        r->bottomRight->setCoords(x1, bottom);
        // An edge in the block's own colour closes the antialiased seam
        // between blocks one above the other.
        r->setPen(QPen(ColourOf(rho), 0.0));
        r->setBrush(ColourOf(rho));
        blocks_.push_back(r);
        block_rho_.push_back(rho);
      };
  for (std::size_t i = 0; i < cols.size(); ++i) {
    const SectionColumn& c = cols[i];
    const double hw = ColumnHalfWidth(i);
    const double x0 = c.draw_km - hw, x1 = c.draw_km + hw;
    const double s = style_.log_depth ? 0.0 : c.surface_km;
    if (!c.layers.empty()) {
      for (const SectionLayer& l : c.layers)
        add_block(x0, x1, s + l.top_km, s + l.bottom_km, l.rho);
    } else {
      const auto& d = c.curve_depth_km;
      // Each value of a curve stands for the depths nearer to it than to
      // its neighbours; the first reaches up to the surface.
      for (std::size_t k = 0; k < d.size(); ++k) {
        const double top = k == 0 ? 0.0 : (d[k - 1] + d[k]) / 2.0;
        const double bot = k + 1 == d.size() ? d[k] : (d[k] + d[k + 1]) / 2.0;
        add_block(x0, x1, s + top, s + bot, c.curve_rho[k]);
      }
    }
    // The outline of the column.
    const double col_bottom =
        c.layers.empty() ? s + c.deepest_km : yAxis->range().upper;
    auto* frame = new QCPItemRect(this);
    frame->topLeft->setCoords(x0, std::clamp(s, top_limit, bottom_limit));
    frame->bottomRight->setCoords(
        x1, std::clamp(col_bottom, top_limit, bottom_limit));
    frame->setPen(QPen(QColor(60, 60, 60), 0.8));
    frame->setBrush(Qt::NoBrush);
  }
}

void SectionPlot::DrawTomography() {
  if (model_.columns().empty()) return;
  const QCPRange depth = yAxis->range();
  const bool log = style_.log_depth;
  // Log depth hangs every station from its own surface: a logarithmic
  // axis cannot show the relief down from zero.
  TomographyGrid grid = BuildTomographyGrid(model_,
                                            kImageColumns,
                                            kImageRows,
                                            log ? depth.lower : 0.0,
                                            depth.upper,
                                            log,
                                            style_.method);
  if (grid.nx == 0) return;
  if (!(grid.right_km > grid.left_km)) {  // a single station
    grid.left_km -= ColumnHalfWidth(0);
    grid.right_km += ColumnHalfWidth(0);
  }
  image_ = new SectionImage(xAxis, yAxis);
  image_->data()->setSize(grid.nx, grid.ny);
  // Cell centres; the image reaches half a cell beyond them, so it spans
  // exactly from the first to the last station and down the whole axis.
  image_->data()->setRange(
      QCPRange(grid.CellX(0), grid.CellX(grid.nx - 1)),
      QCPRange(grid.CellDepth(0), grid.CellDepth(grid.ny - 1)));
  for (int ix = 0; ix < grid.nx; ++ix) {
    for (int iy = 0; iy < grid.ny; ++iy)
      image_->data()->setCell(ix, iy, grid.At(ix, iy));
  }
  const auto [lo, hi] = model_.ValueRange();
  image_->setGradient(Gradient());
  image_->setDataRange(QCPRange(std::log10(lo), std::log10(hi)));
  image_->setInterpolate(true);
  image_->setTightBoundary(false);
}

void SectionPlot::DrawSurface() {
  const auto& cols = model_.columns();
  if (cols.empty() || style_.log_depth) return;
  QVector<double> x, s;
  x.push_back(xAxis->range().lower);
  s.push_back(cols.front().surface_km);
  for (const SectionColumn& c : cols) {
    x.push_back(c.draw_km);
    s.push_back(c.surface_km);
  }
  x.push_back(xAxis->range().upper);
  s.push_back(cols.back().surface_km);
  // The air above the surface line hides the image's last half cell.
  auto* air = addGraph(xAxis, yAxis);
  air->setData(x, s, true);
  air->setPen(QPen(Qt::black, 1.6));
  air->setBrush(Qt::white);
  air->setAntialiasedFill(false);
  DrawSea(x, s);
  QVector<double> sx, sy;
  for (const SectionColumn& c : cols) {
    sx.push_back(c.draw_km);
    sy.push_back(c.surface_km);
  }
  auto* stations = addGraph(xAxis, yAxis);
  stations->setData(sx, sy, true);
  stations->setLineStyle(QCPGraph::lsNone);
  stations->setScatterStyle(QCPScatterStyle(
      QCPScatterStyle::ssTriangleInverted, QPen(Qt::black), Qt::black, 9));
}

void SectionPlot::DrawSea(const QVector<double>& x, const QVector<double>& s) {
  const double sea = model_.SeaLevelKm();
  if (!(sea >= 0.0)) return;
  // The water lies between the sea surface and the seafloor, where the
  // seafloor is below the sea surface; a crossing gets a point of its own.
  QVector<double> wx, floor;
  for (int i = 0; i < x.size(); ++i) {
    if (i > 0 && (s[i - 1] - sea) * (s[i] - sea) < 0.0) {
      const double t = (sea - s[i - 1]) / (s[i] - s[i - 1]);
      wx.push_back(x[i - 1] + t * (x[i] - x[i - 1]));
      floor.push_back(sea);
    }
    wx.push_back(x[i]);
    floor.push_back(std::max(s[i], sea));
  }
  QVector<double> level(wx.size(), sea);
  auto* surface = addGraph(xAxis, yAxis);
  surface->setData(wx, level, true);
  surface->setPen(QPen(kSeaLine, 1.4));
  auto* water = addGraph(xAxis, yAxis);
  water->setData(wx, floor, true);
  water->setPen(QPen(Qt::black, 1.6));
  water->setBrush(kWater);
  water->setChannelFillGraph(surface);
  water->setName("water");
}

void SectionPlot::SetStationTicks() {
  const auto& cols = model_.columns();
  station_ticker_->clear();
  for (std::size_t i = 0; i < cols.size() && i < label_rows_.size(); ++i) {
    // A label of row k stands k lines above the axis: the lines below it
    // hold a blank each.
    station_ticker_->addTick(
        cols[i].draw_km,
        labels_[int(i)] + QString("\n ").repeated(label_rows_[i]));
  }
  // The axis keeps its margin until one of its properties changes: the
  // names' height must be measured anew.
  const int padding = xAxis2->tickLabelPadding();
  xAxis2->setTickLabelPadding(padding + 1);
  xAxis2->setTickLabelPadding(padding);
}

void SectionPlot::updateLayout() {
  // The names first in one row, to learn how wide the axis is at the size
  // being drawn, then staggered for that width.
  const auto& cols = model_.columns();
  label_rows_.assign(cols.size(), 0);
  xAxis2->setTickLabelRotation(0);
  SetStationTicks();
  QCustomPlot::updateLayout();
  const double axis_width = axisRect()->width();
  if (cols.empty() || axis_width <= 0) return;
  const QFontMetricsF metrics(xAxis2->tickLabelFont());
  const QCPRange r = xAxis2->range();
  std::vector<double> centres, widths;
  for (std::size_t i = 0; i < cols.size(); ++i) {
    centres.push_back((cols[i].draw_km - r.lower) / r.size() * axis_width);
    widths.push_back(metrics.horizontalAdvance(labels_[int(i)]));
  }
  std::vector<int> rows = StaggerLabels(centres, widths, kLabelGap);
  if (std::all_of(rows.begin(), rows.end(), [](int k) { return k == 0; }))
    return;
  if (*std::max_element(rows.begin(), rows.end()) >= kMaxLabelRows) {
    // Too crowded to stagger: the names stand upright in one row.
    rows.assign(cols.size(), 0);
    xAxis2->setTickLabelRotation(-90);
  }
  label_rows_ = rows;
  SetStationTicks();
  QCustomPlot::updateLayout();
}

void SectionPlot::RenderPicture(QCPPainter& painter, const QSize& size) {
  RenderPlot(*this, painter, size);
}

QImage SectionPlot::Render(QSize size) {
  resize(size);
  Rebuild();
  QImage image(size, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QCPPainter painter;
  if (!painter.begin(&image)) return QImage();
  painter.setRenderHint(QPainter::Antialiasing);
  toPainter(&painter, size.width(), size.height());
  painter.end();
  return image;
}

bool SectionPlot::Export(const QString& path, QSize size, QString* error) {
  const QString type = QFileInfo(path).suffix().toLower();
  auto fail = [&](const QString& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  if (type != "png" && type != "pdf" && type != "svg") {
    return fail(QString("The picture type of %1 is not known: use .png, .pdf "
                        "or .svg.")
                    .arg(path));
  }
  if (size.width() < 1 || size.height() < 1)
    return fail(QString("The picture size must be positive."));
  const QString refused = QString("Cannot write %1.").arg(path);
  if (type == "png") {
    const QImage image = Render(size);
    return (!image.isNull() && image.save(path, "PNG")) || fail(refused);
  }
  resize(size);
  Rebuild();
  QCPPainter painter;
  if (type == "svg") {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    // At the 96 dpi of browsers the drawing is `size` pixels wide.
    svg.setResolution(kVectorDpi);
    svg.setTitle(title_);
    svg.setDescription("Profile section drawn by MT-VUK");
    if (!painter.begin(&svg)) return fail(refused);
    painter.setMode(QCPPainter::pmVectorized);
    toPainter(&painter, size.width(), size.height());
    return painter.end() || fail(refused);
  }
  QPdfWriter pdf(path);
  pdf.setResolution(kVectorDpi);
  pdf.setCreator("MT-VUK");
  pdf.setTitle(title_);
  pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
  pdf.setPageSize(QPageSize(QSizeF(size) * 72.0 / kVectorDpi,
                            QPageSize::Point,
                            QString(),
                            QPageSize::ExactMatch));
  if (!painter.begin(&pdf)) return fail(refused);
  painter.setMode(QCPPainter::pmVectorized);
  toPainter(&painter, size.width(), size.height());
  return painter.end() || fail(refused);
}

}  // namespace mtvuk
