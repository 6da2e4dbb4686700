#include "ui/section/map_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <cmath>

namespace mtvuk {

namespace {

constexpr int kMapMargin = 56;  // room for the station names and the grid
constexpr double kMarker = 10.0;
constexpr double kMinGridGap = 12.0;
constexpr double kMinLabelGap = 70.0;
const QColor kSelectedColour(0, 70, 160);
const QColor kOtherColour(150, 150, 150);
const QColor kProfileColour(200, 30, 30);
const QColor kGridColour(222, 222, 222);

QString LengthText(double metres) {
  return metres >= 1000.0 ? QString("%1 km").arg(metres / 1000.0)
                          : QString("%1 m").arg(metres);
}

// A coordinate of a grid line: km, with a decimal when the lines are closer
// than a kilometre.
QString KmText(double metres, double spacing) {
  return QString::number(metres / 1000.0, 'f', spacing < 1000.0 ? 1 : 0);
}

QPolygonF Triangle(QPointF c, double size) {
  const double h = 0.5 * size;
  return QPolygonF({QPointF(c.x(), c.y() - h),
                    QPointF(c.x() + h, c.y() + h),
                    QPointF(c.x() - h, c.y() + h)});
}

}  // namespace

MapDialog::MapDialog(Workspace& workspace,
                     QtUi& ui,
                     std::vector<SectionStation>& stations,
                     QObject* view,
                     QWidget* parent)
    : QDialog(parent),
      workspace_(workspace),
      ui_(ui),
      stations_(stations),
      view_(view) {
  setObjectName("map_dialog");
  setWindowTitle("Plot Map");
  setModal(false);
  auto* layout = new QHBoxLayout(this);
  canvas_ = new MapCanvas(*this);
  layout->addWidget(canvas_, 1);
  auto* side = new QVBoxLayout;
  side->addWidget(new QLabel("Scale", this));
  scales_ = new QComboBox(this);
  for (const char* name : kMapScaleNames) scales_->addItem(name);
  side->addWidget(scales_);
  grid_ = new QCheckBox("&Grid", this);
  grid_->setChecked(true);
  design_box_ = new QCheckBox("&Design", this);
  layers_ = new QCheckBox("&Layers", this);
  layers_->setToolTip(trf() ? "Number of depth values of each station"
                            : "Number of layers of each station");
  auto_ = new QPushButton("&Auto", this);
  auto_->setToolTip("The straight profile that best fits the selected stations");
  set_ = new QPushButton("Set &PR", this);
  set_->setToolTip("Make a section of the selected stations along the profile");
  for (QWidget* w : std::initializer_list<QWidget*>{
           grid_, design_box_, layers_, auto_, set_}) {
    side->addWidget(w);
  }
  auto* help = new QGroupBox("MAP HELP", this);
  auto* help_layout = new QVBoxLayout(help);
  help_layout->addWidget(new QLabel(kMapHelpText, help));
  side->addWidget(help);
  design_state_ = new QLabel(this);
  design_state_->setWordWrap(true);
  side->addWidget(design_state_);
  side->addStretch(1);
  layout->addLayout(side);
  resize(920, 620);
  ShowDesignState();

  connect(scales_, &QComboBox::currentIndexChanged, canvas_, [this] {
    canvas_->update();
  });
  connect(grid_, &QCheckBox::toggled, canvas_, [this] { canvas_->update(); });
  connect(layers_, &QCheckBox::toggled, canvas_, [this] { canvas_->update(); });
  connect(design_box_, &QCheckBox::toggled, this, [this](bool on) {
    design_.SetDesigning(on);
    SyncDesignBox();
  });
  connect(auto_, &QPushButton::clicked, this, &MapDialog::AutoProfileCommand);
  connect(set_, &QPushButton::clicked, this, &MapDialog::SetProfileCommand);
}

void MapDialog::StationsChanged() { canvas_->update(); }

void MapDialog::ShowDesignState() {
  const std::size_t n = design_.points().size();
  if (design_.designing()) {
    design_state_->setText(QString("Designing: %1 point(s)").arg(n));
  } else if (design_.Usable()) {
    design_state_->setText(QString("Profile of %1 points").arg(n));
  } else {
    design_state_->setText("No profile");
  }
}

void MapDialog::SyncDesignBox() {
  const QSignalBlocker block(design_box_);
  design_box_->setChecked(design_.designing());
  canvas_->setCursor(design_.designing() ? Qt::CrossCursor : Qt::ArrowCursor);
  ShowDesignState();
  canvas_->update();
}

void MapDialog::AutoProfileCommand() {
  if (!design_.Auto(SelectedMapPoints(stations_))) {
    ui_.Show("Select at least two stations at different places in the list "
             "of the file",
             "AUTO PROFILE",
             Icon::kExclamation);
    return;
  }
  SyncDesignBox();
}

void MapDialog::SetProfileCommand() {
  if (!SetProfilePositions(stations_, design_, ui_)) return;
  if (view_ != nullptr) {
    QCoreApplication::postEvent(view_,
                                new UmEvent(Um::UM_MAPCOMMAND, 100, 0));
  }
}

void MapDialog::closeEvent(QCloseEvent* event) {
  if (view_ != nullptr) {
    QCoreApplication::postEvent(view_, new UmEvent(Um::UM_MAPCOMMAND, 0, 0));
  }
  event->accept();
}

MapCanvas::MapCanvas(MapDialog& dialog) : QWidget(&dialog), dialog_(dialog) {
  setMinimumSize(480, 400);
  setMouseTracking(true);
}

MapFrame MapCanvas::Frame() const {
  std::vector<MapPoint> points;
  for (const SectionStation& s : dialog_.stations_) {
    points.push_back(StationMapPoint(s));
  }
  return MapFrame(points, width(), height(), kMapMargin);
}

void MapCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), Qt::white);
  const MapFrame frame = Frame();
  const double width_m = frame.high().east - frame.low().east;
  const double spacing =
      MapScaleSpacing(dialog_.scales_->currentIndex(), width_m);
  if (dialog_.grid_->isChecked()) DrawGrid(painter, frame, spacing);
  DrawProfile(painter, frame);
  DrawStations(painter, frame);
  DrawScaleBar(painter, frame, spacing);
  // North arrow.
  painter.setPen(QPen(Qt::black, 1.5));
  const QPointF tip(width() - 24, 14);
  painter.drawLine(tip, tip + QPointF(0, 26));
  painter.setBrush(Qt::black);
  painter.drawPolygon(QPolygonF(
      {tip, tip + QPointF(-5, 10), tip + QPointF(5, 10)}));
  painter.drawText(QRectF(tip.x() - 10, tip.y() + 28, 20, 16),
                   Qt::AlignCenter,
                   "N");
  painter.setPen(QColor(60, 60, 60));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MapCanvas::DrawGrid(QPainter& painter,
                         const MapFrame& frame,
                         double spacing) {
  const double mpp = frame.metres_per_pixel();
  const MapPoint low = frame.low();
  const MapPoint high = frame.high();
  const auto eastings =
      GridLines(low.east, high.east, spacing, mpp, kMinGridGap);
  const auto northings =
      GridLines(low.north, high.north, spacing, mpp, kMinGridGap);
  painter.setPen(QPen(kGridColour, 1));
  for (double e : eastings) {
    const double x = frame.ToPixel({e, low.north}).x;
    painter.drawLine(QPointF(x, 0), QPointF(x, height()));
  }
  for (double n : northings) {
    const double y = frame.ToPixel({low.east, n}).y;
    painter.drawLine(QPointF(0, y), QPointF(width(), y));
  }
  // Coordinates in km along the bottom and the left edge, every line or
  // every few lines so that they do not run into each other.
  const int every =
      std::max(1, static_cast<int>(std::ceil(kMinLabelGap * mpp / spacing)));
  painter.setPen(QColor(110, 110, 110));
  const QFontMetrics metrics(painter.font());
  for (double e : eastings) {
    if (static_cast<long long>(std::llround(e / spacing)) % every != 0)
      continue;
    const double x = frame.ToPixel({e, low.north}).x;
    const QString text = KmText(e, spacing);
    painter.drawText(QPointF(x - metrics.horizontalAdvance(text) / 2.0,
                             height() - 4),
                     text);
  }
  for (double n : northings) {
    if (static_cast<long long>(std::llround(n / spacing)) % every != 0)
      continue;
    const double y = frame.ToPixel({low.east, n}).y;
    if (y < 34.0 || y > height() - 40.0) continue;  // the axis titles' room
    painter.drawText(QPointF(4, y - 3), KmText(n, spacing));
  }
  // The axis titles stand clear of the coordinates: easting above the
  // bottom row, northing along the top edge.
  painter.drawText(QRectF(0, height() - 34, width(), 14),
                   Qt::AlignHCenter,
                   "Easting, km (UTM)");
  painter.drawText(QRectF(4, 2, width() / 2.0, 14),
                   Qt::AlignLeft,
                   "Northing, km (UTM)");
}

void MapCanvas::DrawScaleBar(QPainter& painter,
                             const MapFrame& frame,
                             double spacing) {
  if (!(spacing > 0.0)) return;
  const double length = spacing / frame.metres_per_pixel();
  painter.setPen(QPen(Qt::black, 1));
  if (length > width() - 60) {
    painter.drawText(QRectF(0, height() - 58, width() - 12, 16),
                     Qt::AlignRight,
                     QString("%1 is wider than the map").arg(
                         LengthText(spacing)));
    return;
  }
  const QPointF right(width() - 24, height() - 46);
  const QPointF left = right - QPointF(length, 0);
  painter.fillRect(QRectF(left - QPointF(0, 3), right + QPointF(0, 1)),
                   Qt::black);
  painter.drawLine(left - QPointF(0, 6), left + QPointF(0, 2));
  painter.drawLine(right - QPointF(0, 6), right + QPointF(0, 2));
  painter.drawText(QRectF(left.x() - 40, right.y() - 22, length + 80, 16),
                   Qt::AlignHCenter,
                   LengthText(spacing));
}

void MapCanvas::DrawStations(QPainter& painter, const MapFrame& frame) {
  const auto& stations = dialog_.stations_;
  const bool layers = dialog_.layers_->isChecked();
  const QFontMetrics metrics(painter.font());
  std::vector<PixelPoint> anchors;
  std::vector<std::pair<double, double>> sizes;
  std::vector<QString> texts;
  for (const SectionStation& s : stations) {
    anchors.push_back(frame.ToPixel(StationMapPoint(s)));
    texts.push_back(QString::fromStdString(
        StationMapLabel(s, layers, dialog_.trf())));
    sizes.emplace_back(metrics.horizontalAdvance(texts.back()) + 2,
                       metrics.height());
  }
  const auto boxes = PlaceLabels(anchors, sizes, kMarker);
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const QPointF c(anchors[i].x, anchors[i].y);
    const bool selected = stations[i].selected != 0;
    painter.setPen(QPen(selected ? kSelectedColour : kOtherColour, 1.3));
    painter.setBrush(selected ? QBrush(kSelectedColour) : Qt::NoBrush);
    painter.drawPolygon(Triangle(c, kMarker));
    if (!boxes[i]) continue;
    // A light ground keeps a name readable where the profile runs under it.
    const LabelBox& b = *boxes[i];
    const QRectF box(b.left, b.top, b.width, b.height);
    painter.fillRect(box, QColor(255, 255, 255, 210));
    painter.setPen(selected ? Qt::black : kOtherColour);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, texts[i]);
  }
}

void MapCanvas::DrawProfile(QPainter& painter, const MapFrame& frame) {
  const ProfileDesign& design = dialog_.design_;
  const auto& points = design.points();
  if (points.empty()) return;
  QPainterPath path;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const PixelPoint p = frame.ToPixel(points[i]);
    if (i == 0) {
      path.moveTo(p.x, p.y);
    } else {
      path.lineTo(p.x, p.y);
    }
  }
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kProfileColour, 2));
  painter.drawPath(path);
  if (design.designing() && pointer_) {
    painter.setPen(QPen(kProfileColour, 1, Qt::DashLine));
    painter.drawLine(path.currentPosition(), *pointer_);
  }
  painter.setBrush(kProfileColour);
  painter.setPen(Qt::NoPen);
  for (const MapPoint& m : points) {
    const PixelPoint p = frame.ToPixel(m);
    painter.drawEllipse(QPointF(p.x, p.y), 3.0, 3.0);
  }
  if (design.finished()) {
    // The ends of a complete profile: A where the section starts.
    painter.setPen(kProfileColour);
    const PixelPoint a = frame.ToPixel(points.front());
    const PixelPoint b = frame.ToPixel(points.back());
    painter.drawText(QPointF(a.x - 14, a.y - 6), "A");
    painter.drawText(QPointF(b.x + 6, b.y - 6), "B");
  }
}

void MapCanvas::mousePressEvent(QMouseEvent* event) {
  ProfileDesign& design = dialog_.design_;
  const QPointF pos = event->position();
  if (event->button() == Qt::LeftButton) {
    if (design.AddPoint(Frame().ToMap({pos.x(), pos.y()})))
      dialog_.SyncDesignBox();
  } else if (event->button() == Qt::RightButton) {
    if (design.Undo()) dialog_.SyncDesignBox();
  }
}

void MapCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (dialog_.design_.Finish()) dialog_.SyncDesignBox();
}

void MapCanvas::mouseMoveEvent(QMouseEvent* event) {
  pointer_ = event->position();
  if (dialog_.design_.designing()) update();
}

void MapCanvas::leaveEvent(QEvent*) {
  pointer_.reset();
  update();
}

}  // namespace mtvuk
