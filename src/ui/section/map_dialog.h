// "Plot Map": the stations of a result file at their UTM coordinates, on
// which the user draws the profile of a section (or lets it be fitted) and
// sends the chosen stations to a new section.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <vector>

#include "core/files/int_file.h"
#include "core/section/profile_map.h"
#include "ui/app/qt_ui.h"

namespace mtvuk {

class MapCanvas;

class MapDialog : public QDialog {
  Q_OBJECT

 public:
  // `stations` is the view's array of the file; "Set &PR" writes their
  // profile positions and tells `view`.
  MapDialog(Workspace& workspace,
            QtUi& ui,
            std::vector<SectionStation>& stations,
            QObject* view,
            QWidget* parent = nullptr);

  ProfileDesign& design() { return design_; }
  MapCanvas* canvas() const { return canvas_; }
  QComboBox* scale_list() const { return scales_; }
  QCheckBox* grid_box() const { return grid_; }
  QCheckBox* design_box() const { return design_box_; }
  QCheckBox* layers_box() const { return layers_; }
  QPushButton* auto_button() const { return auto_; }
  QPushButton* set_button() const { return set_; }
  bool trf() const { return workspace_.station_file_kind == 1; }
  const std::vector<SectionStation>& stations() const { return stations_; }

 public slots:
  // The stations or their selection changed: draw again.
  void StationsChanged();
  void AutoProfileCommand();
  void SetProfileCommand();

 protected:
  // Closing the map ends the work on this file: the view closes the map
  // and the file-content dialog.
  void closeEvent(QCloseEvent* event) override;

 private:
  friend class MapCanvas;
  // The "&Design" box follows the profile's state after a mouse action.
  void SyncDesignBox();
  void ShowDesignState();

  Workspace& workspace_;
  QtUi& ui_;
  std::vector<SectionStation>& stations_;
  QPointer<QObject> view_;
  ProfileDesign design_;
  MapCanvas* canvas_ = nullptr;
  QComboBox* scales_ = nullptr;
  QCheckBox* grid_ = nullptr;
  QCheckBox* design_box_ = nullptr;
  QCheckBox* layers_ = nullptr;
  QPushButton* auto_ = nullptr;
  QPushButton* set_ = nullptr;
  QLabel* design_state_ = nullptr;
};

// The drawing of the map; the mouse places the profile's points.
class MapCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit MapCanvas(MapDialog& dialog);
  MapFrame Frame() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent*) override;

 private:
  void DrawGrid(QPainter& painter, const MapFrame& frame, double spacing);
  void DrawScaleBar(QPainter& painter, const MapFrame& frame, double spacing);
  void DrawStations(QPainter& painter, const MapFrame& frame);
  void DrawProfile(QPainter& painter, const MapFrame& frame);

  MapDialog& dialog_;
  std::optional<QPointF> pointer_;
};

}  // namespace mtvuk
