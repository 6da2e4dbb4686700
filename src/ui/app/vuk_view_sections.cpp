// The view's part in the profile sections: the "Se&ction" commands, the
// file-content dialog and the map of a file, and the stack of section
// windows with the messages that create, hide, show, delete and recolour
// them.
#include <QCoreApplication>
#include <QStatusBar>

#include "core/files/file_error_text.h"
#include "core/files/trf_file.h"
#include "core/platform/text_file.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/vuk_view.h"
#include "ui/files/int_dialogs.h"
#include "ui/section/delete_section_dialog.h"
#include "ui/section/map_dialog.h"
#include "ui/section/scale_dialog.h"
#include "ui/section/section_window.h"

namespace mtvuk {

namespace {

constexpr std::intptr_t kCreateSection = 100;
constexpr std::intptr_t kHideSection = 100;

}  // namespace

CFileContentDlg* CVUKView::content_dialog() const { return content_; }

MapDialog* CVUKView::map_dialog() const { return map_; }

void CVUKView::NewSection() {
  auto dialog =
      MakeFileDialog(this,
                     "New section",
                     QString::fromStdString(stores_.workspace.files.int_opened),
                     kSectionFileFilter,
                     QFileDialog::AcceptOpen);
  const QString path = RunFileDialog(*dialog);
  if (path.isEmpty()) return;
  OpenSectionFile(path.toStdString());
}

bool CVUKView::OpenSectionFile(const std::string& path) {
  Workspace& workspace = stores_.workspace;
  workspace.files.int_opened = path;
  if (!TextFile::Exists(path)) {
    ui_.Show(FileErrorText(0), "CAN'T OPEN FILE", Icon::kStop);
    return false;
  }
  TextFile file;
  if (!file.Open(path, TextFile::Mode::kRead)) {
    ui_.Show(FileErrorText(file.cause()), "CAN'T OPEN FILE", Icon::kStop);
    return false;
  }
  int count = ReadIntStations(file, nullptr);
  if (count == 0) count = ReadTrfStations(file, nullptr);
  file.Close();
  if (count == 0) {
    ui_.Show("Can't find INT or TRF-data", path, Icon::kExclamation);
    return false;
  }
  CloseSectionFile();
  section_stations_.assign(count, SectionStation{});
  content_ = new CFileContentDlg(workspace, ui_, path, section_stations_, this);
  workspace.sections.content_open = true;
  map_ = new MapDialog(workspace, ui_, section_stations_, this, this);
  workspace.sections.map_open = true;
  connect(content_->list(),
          &QListWidget::itemSelectionChanged,
          map_,
          &MapDialog::StationsChanged);
  connect(content_->map_box(), &QCheckBox::toggled, map_, [this](bool on) {
    map_->setVisible(on);
    if (on) map_->raise();
  });
  // Closing the list ends the work on the file, as closing the map does.
  connect(content_, &QDialog::finished, this, [this] {
    QCoreApplication::postEvent(this, new UmEvent(Um::UM_MAPCOMMAND, 0, 0));
  });
  content_->show();
  return true;
}

void CVUKView::CloseSectionFile() {
  delete map_;
  delete content_;
  stores_.workspace.sections.map_open = false;
  stores_.workspace.sections.content_open = false;
}

std::vector<SectionMenuItem> CVUKView::SectionMenu() {
  return RebuildSectionMenu(stores_.workspace.sections);
}

void CVUKView::RestoreSection(int item) {
  SectionStack& stack = stores_.workspace.sections;
  const int slot = MenuItemSlot(stack, item);
  if (slot < 0 || sections_[slot] == nullptr) return;
  sections_[slot]->showNormal();
  sections_[slot]->raise();
  sections_[slot]->activateWindow();
  ShowSection(stack, slot);
}

void CVUKView::CreateSection() {
  SectionStack& stack = stores_.workspace.sections;
  SectionCreation creation;
  creation.run_delete_dialog = [this, &stack] {
    DeleteSectionDialog dialog(stack, ui_, this);
    dialog.exec();
  };
  creation.discard_window = [this](int slot) { DiscardSection(slot); };
  const int slot = CreateSectionSlot(stack, ui_, creation);
  if (slot < 0) return;
  auto* window = new SectionWindow(
      stores_.workspace, ui_, this, section_stations_, slot, this);
  if (content_ != nullptr && content_->delete_z_box()->isChecked()) {
    window->SetElevation(false);
  }
  if (content_ != nullptr && !content_->reading_note().isEmpty()) {
    window->statusBar()->showMessage(content_->reading_note());
  }
  connect(
      window, &SectionWindow::ScaleRequested, this, &CVUKView::OpenScaleDialog);
  sections_[slot] = window;
  window->show();
  // The next section starts from a fresh choice on the map.
  for (SectionStation& s : section_stations_) s.profile_position = -1.0;
}

void CVUKView::DiscardSection(int slot) {
  if (slot < 0 || slot >= kSectionSlots || sections_[slot] == nullptr) return;
  sections_[slot]->hide();
  sections_[slot]->deleteLater();
  sections_[slot] = nullptr;
}

void CVUKView::OpenScaleDialog(int slot, double rho_min, double rho_max) {
  if (ForwardSlot(stores_.workspace.sections, slot) < 0) return;
  CScaleDlg dialog(
      sections_[slot], rho_min, rho_max, slot, stores_.workspace, this);
  dialog.exec();
}

void CVUKView::SectionMessage(const UmEvent& event) {
  SectionStack& stack = stores_.workspace.sections;
  switch (event.message()) {
    case Um::UM_MAPCOMMAND:
      if (event.wparam() == kCreateSection) {
        CreateSection();
      } else if (event.wparam() == 0) {
        CloseSectionFile();
      }
      break;
    case Um::UM_SECTIONSTATE: {
      const int slot = ForwardSlot(stack, event.lparam());
      if (slot < 0) break;
      if (event.wparam() == kHideSection) {
        if (sections_[slot] != nullptr) sections_[slot]->hide();
        HideSection(stack, slot);
      } else if (event.wparam() == 0) {
        DiscardSection(slot);
        FreeSlot(stack, slot);
      }
      break;
    }
    case Um::UM_SCALECHANGED:
    case Um::UM_SECTIONFORWARD: {
      const int slot = ForwardSlot(stack, event.lparam());
      if (slot < 0 || sections_[slot] == nullptr) break;
      const bool scale = event.message() == Um::UM_SCALECHANGED;
      QCoreApplication::postEvent(
          sections_[slot],
          new UmEvent(scale ? Um::UM_SECTIONSCALE : Um::UM_SECTIONNOTE,
                      scale ? 0 : event.wparam(),
                      event.lparam()));
      break;
    }
    default:
      break;
  }
}

}  // namespace mtvuk
