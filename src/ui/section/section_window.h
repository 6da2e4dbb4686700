// The window of one profile section: the section drawn as logging columns
// or as a tomography image, its colour scale, and the commands to save the
// section's stations and its picture.
#pragma once

#include <QMainWindow>
#include <utility>
#include <vector>

#include "core/section/section_model.h"
#include "core/store/workspace.h"
#include "ui/app/qt_ui.h"
#include "ui/section/section_plot.h"

class QAction;

namespace mtvuk {

class SectionWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `stations` as the station reader returns them (file units, km); only
  // those with a profile position are drawn, at their positions. Whether
  // they come from an INT or a TRF file is the workspace's station file
  // kind. The slot's colour list becomes the whole ramp; its palette stays.
  // `view` receives the close answers (nullptr: nobody, for pictures).
  SectionWindow(Workspace& workspace,
                QtUi& ui,
                QObject* view,
                std::vector<SectionStation> stations,
                int slot,
                QWidget* parent = nullptr);

  int slot() const { return slot_; }
  // Smallest and largest resistivity drawn, Ohm-m.
  std::pair<double, double> ValueRange() const;

  // Drawing choices (the View menu's state).
  void SetStyle(const SectionStyle& style);
  const SectionStyle& style() const { return plot_->style(); }
  // Elevation drawn (on) or every station from depth 0 (off).
  void SetElevation(bool on);
  // Every sounding (the XY and YX of a station side by side, the default)
  // or those of one polarisation; kept through every redraw. A polarisation
  // that no sounding of the section has is refused (false), and its menu
  // item is disabled.
  bool SetPolarisation(SectionPolarisation polarisation);
  SectionPolarisation polarisation() const { return polarisation_; }
  // The title written above the section.
  void SetPictureTitle(const QString& title);

  SectionPlot* plot() const { return plot_; }
  const std::vector<SectionStation>& stations() const { return stations_; }
  QAction* logging_action() const { return logging_; }
  QAction* tomography_action() const { return tomography_; }
  QAction* log_depth_action() const { return log_depth_; }
  QAction* scale_action() const { return scale_action_; }
  QAction* depth_action() const { return depth_action_; }
  // "Tomography between stations": one action per TomographyMethod.
  const std::vector<QAction*>& method_actions() const {
    return method_actions_;
  }
  // "&Polarisation": one action per SectionPolarisation.
  const std::vector<QAction*>& polarisation_actions() const {
    return polarisation_actions_;
  }

  // "&Save Section" once the file dialog returned `chosen`: every station
  // the section draws (those of its polarisation) as a block of its file
  // kind, replacing the file after
  // the question "... already exists. Do you want to replace it?" (No is
  // the default). False after a message, or when the file is kept.
  bool SaveSection(const QString& chosen);
  // Writes the picture with its title line (.png, .pdf, .svg). False after
  // the message.
  bool SavePicture(const QString& path);

  // Altitude added to the stations' elevations by "&Save Section": none,
  // the saved file keeps the true elevations.
  static constexpr float kAltitudeOffset = 0.0f;
  static constexpr char kSaveSectionCaption[] = "Save Section";

 signals:
  void ScaleRequested(int slot, double rho_min, double rho_max);

 protected:
  void customEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void Rebuild();
  void Recolour();
  void ChooseSaveSection();
  void ChoosePicture();
  QString DefaultTitle(const SectionModel& model) const;

  Workspace& workspace_;
  QtUi& ui_;
  QObject* view_;
  int slot_;
  SectionSource source_;
  std::vector<SectionStation> stations_;  // section units (metres)
  bool elevation_ = true;
  SectionPolarisation polarisation_ = SectionPolarisation::kBoth;
  QString picture_title_;
  SectionPlot* plot_;
  QAction* logging_ = nullptr;
  QAction* tomography_ = nullptr;
  QAction* log_depth_ = nullptr;
  QAction* elevation_action_ = nullptr;
  QAction* scale_action_ = nullptr;
  QAction* depth_action_ = nullptr;
  std::vector<QAction*> method_actions_;
  std::vector<QAction*> polarisation_actions_;
};

}  // namespace mtvuk
