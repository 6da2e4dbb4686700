#include "ui/section/section_window.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>
#include <cstdio>
#include <string>

#include "core/files/file_writing.h"
#include "core/files/trf_file.h"
#include "core/section/section_options.h"
#include "ui/app/file_dialogs.h"
#include "ui/graph/graph_output.h"

namespace mtvuk {
namespace {

constexpr char kIntSectionFilter[] = "INT files (*.int)|*.int||";

}  // namespace

SectionWindow::SectionWindow(Workspace& workspace,
                             QtUi& ui,
                             QObject* view,
                             std::vector<SectionStation> stations,
                             int slot,
                             QWidget* parent)
    : QMainWindow(parent),
      workspace_(workspace),
      ui_(ui),
      view_(view),
      slot_(std::clamp(slot, 0, kSectionSlots - 1)),
      source_(workspace.station_file_kind == 1 ? SectionSource::kTrf
                                               : SectionSource::kInt),
      stations_(SectionStationsFromFile(stations, source_)),
      plot_(new SectionPlot(this)) {
  ResetColourList(workspace_.section_colours[slot_]);
  const int number = workspace_.sections.entries[slot_].number;
  setWindowTitle(number > 0 ? QString("Section %1").arg(number)
                            : QString("Section"));
  setCentralWidget(plot_);
  BuildMenus();
  resize(1100, 640);
  Rebuild();
}

std::pair<double, double> SectionWindow::ValueRange() const {
  return plot_->model().ValueRange();
}

void SectionWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  QAction* save = file->addAction("&Save Section");
  save->setShortcut(QKeySequence::Save);
  save->setEnabled(!stations_.empty());
  connect(save, &QAction::triggered, this, [this] { ChooseSaveSection(); });
  QAction* picture = file->addAction("Save &Picture...");
  picture->setShortcut(QKeySequence("Ctrl+Shift+S"));
  connect(picture, &QAction::triggered, this, [this] { ChoosePicture(); });
  file->addSeparator();
  QAction* close_action = file->addAction("&Close");
  close_action->setShortcut(QKeySequence::Close);
  connect(close_action, &QAction::triggered, this, &QWidget::close);

  QMenu* view = menuBar()->addMenu("&View");
  auto* group = new QActionGroup(this);
  logging_ = view->addAction("as &Logging");
  tomography_ = view->addAction("as &Tomography");
  for (QAction* a : {logging_, tomography_}) {
    a->setCheckable(true);
    group->addAction(a);
  }
  logging_->setShortcut(QKeySequence("Ctrl+1"));
  tomography_->setShortcut(QKeySequence("Ctrl+2"));
  logging_->setChecked(true);
  view->addSeparator();
  log_depth_ = view->addAction("&Log depth");
  log_depth_->setCheckable(true);
  log_depth_->setShortcut(QKeySequence("Ctrl+L"));
  elevation_action_ = view->addAction("&Elevation");
  elevation_action_->setCheckable(true);
  elevation_action_->setChecked(true);
  elevation_action_->setShortcut(QKeySequence("Ctrl+E"));
  QMenu* filling = view->addMenu("Tomography &between stations");
  auto* methods = new QActionGroup(this);
  static constexpr const char* kMethodNames[kTomographyMethodCount] = {
      "Interfaces &joined", "At &level depths", "&Nearest station (blocks)"};
  for (int m = 0; m < kTomographyMethodCount; ++m) {
    QAction* a = filling->addAction(kMethodNames[m]);
    a->setCheckable(true);
    a->setChecked(m == 0);
    methods->addAction(a);
    method_actions_.push_back(a);
    connect(a, &QAction::triggered, this, [this, m] {
      SectionStyle style = plot_->style();
      style.method = static_cast<TomographyMethod>(m);
      SetStyle(style);
    });
  }
  QMenu* polarisation = view->addMenu("&Polarisation");
  auto* polarisations = new QActionGroup(this);
  static constexpr const char* kPolarisationItems[] = {
      "&Both, side by side", "&XY only", "&YX only"};
  for (int p = 0; p < 3; ++p) {
    const auto which = static_cast<SectionPolarisation>(p);
    QAction* a = polarisation->addAction(kPolarisationItems[p]);
    a->setCheckable(true);
    a->setChecked(which == polarisation_);
    a->setEnabled(which == SectionPolarisation::kBoth ||
                  !StationsOfPolarisation(stations_, which).empty());
    polarisations->addAction(a);
    polarisation_actions_.push_back(a);
    connect(a, &QAction::triggered, this, [this, which] {
      SetPolarisation(which);
    });
  }
  depth_action_ = view->addAction("&Depth range...");
  connect(depth_action_, &QAction::triggered, this, [this] {
    bool ok = false;
    const double depth = QInputDialog::getDouble(
        this,
        "Depth range",
        "Bottom of the section (km, 0 for the depth the data resolve):",
        plot_->style().depth_max_km,
        0.0,
        kMaxSectionDepthKm,
        2,
        &ok);
    if (!ok) return;
    SectionStyle style = plot_->style();
    style.depth_max_km = depth;
    SetStyle(style);
  });
  view->addSeparator();
  scale_action_ = view->addAction("&Scale...");
  scale_action_->setShortcut(QKeySequence("Ctrl+K"));

  auto restyle = [this] {
    SectionStyle style = plot_->style();
    style.tomography = tomography_->isChecked();
    style.log_depth = log_depth_->isChecked();
    SetStyle(style);
  };
  connect(logging_, &QAction::triggered, this, restyle);
  connect(tomography_, &QAction::triggered, this, restyle);
  connect(log_depth_, &QAction::triggered, this, restyle);
  connect(elevation_action_, &QAction::triggered, this, [this](bool on) {
    SetElevation(on);
  });
  connect(scale_action_, &QAction::triggered, this, [this] {
    const auto [lo, hi] = ValueRange();
    emit ScaleRequested(slot_, lo, hi);
  });
}

void SectionWindow::SetStyle(const SectionStyle& style) {
  const bool relief_changes = style.log_depth != plot_->style().log_depth;
  plot_->SetStyle(style);
  tomography_->setChecked(style.tomography);
  logging_->setChecked(!style.tomography);
  log_depth_->setChecked(style.log_depth);
  const int method = static_cast<int>(style.method);
  if (method >= 0 && method < int(method_actions_.size()))
    method_actions_[method]->setChecked(true);
  if (relief_changes) {
    Rebuild();
  } else {
    plot_->Rebuild();
  }
}

void SectionWindow::SetElevation(bool on) {
  elevation_ = on;
  elevation_action_->setChecked(on);
  Rebuild();
}

bool SectionWindow::SetPolarisation(SectionPolarisation polarisation) {
  const int p = static_cast<int>(polarisation);
  if (p < 0 || p >= static_cast<int>(polarisation_actions_.size()) ||
      !polarisation_actions_[p]->isEnabled()) {
    polarisation_actions_[static_cast<int>(polarisation_)]->setChecked(true);
    return false;
  }
  polarisation_ = polarisation;
  polarisation_actions_[p]->setChecked(true);
  Rebuild();
  return true;
}

void SectionWindow::SetPictureTitle(const QString& title) {
  picture_title_ = title;
  Rebuild();
}

QString SectionWindow::DefaultTitle(const SectionModel& model) const {
  const auto& cols = model.columns();
  const double length = cols.size() > 1
                            ? cols.back().position_km - cols.front().position_km
                            : 0.0;
  static constexpr const char* kOnly[] = {"", " XY", " YX"};
  return QString("%1: %2%3 %4 stations along %5 km")
      .arg(windowTitle())
      .arg(cols.size())
      .arg(kOnly[static_cast<int>(polarisation_)])
      .arg(source_ == SectionSource::kTrf ? "TRF" : "INT")
      .arg(length, 0, 'f', 1);
}

void SectionWindow::Rebuild() {
  // A logarithmic depth axis cannot show relief down from zero: there every
  // station hangs from depth 0.
  const bool relief = elevation_ && !plot_->style().log_depth;
  SectionModel model(stations_, source_, relief, polarisation_);
  const QString title =
      picture_title_.isEmpty() ? DefaultTitle(model) : picture_title_;
  plot_->SetModel(std::move(model), title);
  plot_->SetColours(workspace_.section_colours[slot_], workspace_.colour_ramps);
  plot_->Rebuild();
}

void SectionWindow::Recolour() {
  plot_->SetColours(workspace_.section_colours[slot_], workspace_.colour_ramps);
  plot_->Recolour();
}

bool SectionWindow::SaveSection(const QString& chosen) {
  const bool trf = source_ == SectionSource::kTrf;
  const std::string path =
      PathWithExtension(chosen.toStdString(), trf ? ".trf" : ".int");
  // The file is replaced, not appended to: an existing one is kept unless
  // the user says otherwise.
  if (QFileInfo::exists(QString::fromStdString(path)) &&
      ui_.MessageBox(path + " already exists.\nDo you want to replace it?",
                     kSaveSectionCaption,
                     Icon::kQuestion,
                     Buttons::kYesNo,
                     Answer::kNo) != Answer::kYes) {
    return false;
  }
  const std::vector<SectionStation> drawn =
      StationsOfPolarisation(stations_, polarisation_);
  std::string text;
  for (const SectionStation& s : StationsForSaving(drawn)) {
    text += trf ? FormatTrfSectionBlock(s, kAltitudeOffset)
                : FormatSectionBlock(s, kAltitudeOffset);
  }
  const std::string caption = "CAN'T CREATE " + path;
  const std::string write_caption = "CAN'T WRITE " + path;
  if (!ReplaceFileContent(
          path,
          text,
          {caption.c_str(), caption.c_str(), write_caption.c_str()},
          ui_)) {
    return false;
  }
  statusBar()->showMessage(QString("Saved %1 stations to %2")
                               .arg(drawn.size())
                               .arg(QString::fromStdString(path)),
                           5000);
  return true;
}

bool SectionWindow::SavePicture(const QString& path) {
  QString error;
  if (!SaveGraphPicture(
          *plot_, path, TitleLine(*plot_, QDate::currentDate()), &error)) {
    ui_.MessageBox(error.toStdString(),
                   "SAVE PICTURE",
                   Icon::kStop,
                   Buttons::kOk,
                   Answer::kOk);
    return false;
  }
  statusBar()->showMessage(QString("Saved to %1").arg(path), 5000);
  return true;
}

void SectionWindow::ChooseSaveSection() {
  const bool trf = source_ == SectionSource::kTrf;
  auto dialog = MakeFileDialog(this,
                               "Save Section",
                               QString(),
                               trf ? kTrfSectionFilter : kIntSectionFilter,
                               QFileDialog::AcceptSave);
  const QString chosen = RunFileDialog(*dialog);
  if (!chosen.isEmpty()) SaveSection(chosen);
}

void SectionWindow::ChoosePicture() {
  auto dialog = MakeFileDialog(
      this, "Save Picture", QString(), kPictureFilter, QFileDialog::AcceptSave);
  const QString chosen = RunFileDialog(*dialog);
  if (!chosen.isEmpty()) SavePicture(chosen);
}

void SectionWindow::customEvent(QEvent* event) {
  if (event->type() != UmEvent::Type()) return;
  switch (static_cast<UmEvent*>(event)->message()) {
    case Um::UM_SECTIONSCALE:
      Recolour();
      break;
    case Um::UM_SECTIONREDRAW:
      Rebuild();
      break;
    default:  // UM_SECTIONNOTE and others: nothing to do
      break;
  }
}

void SectionWindow::closeEvent(QCloseEvent* event) {
  char caption[32];
  std::snprintf(caption,
                sizeof caption,
                "SECTION #%d",
                static_cast<int>(workspace_.sections.entries[slot_].number));
  // No (hide) is the default: it can be undone from the menu.
  const Answer answer = ui_.MessageBox("Delete this SECTION ?",
                                       caption,
                                       Icon::kQuestion,
                                       Buttons::kYesNoCancel,
                                       Answer::kNo);
  if (view_ == nullptr) {
    // Nobody owns the window: it closes itself unless cancelled.
    if (answer == Answer::kCancel) {
      event->ignore();
    } else {
      event->accept();
    }
    return;
  }
  // The view destroys or hides the window when the message arrives.
  event->ignore();
  if (answer == Answer::kYes || answer == Answer::kNo) {
    QCoreApplication::postEvent(
        view_,
        new UmEvent(
            Um::UM_SECTIONSTATE, answer == Answer::kYes ? 0 : 100, slot_));
  }
}

}  // namespace mtvuk
