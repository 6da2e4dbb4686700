// The four most recent field-data files under the File menu, kept in the
// program's settings between sessions.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QStringList>
#include <array>

#include "core/files/recent_files.h"

namespace mtvuk {

// Where the list is kept: the settings of the organisation and program
// below, group "Recent File List", entries "File1" ... "File4".
inline constexpr char kSettingsOrganisation[] =
    "Local AppWizard-Generated Applications";
inline constexpr char kSettingsApplication[] = "MT-VUK";

class RecentFilesMenu : public QObject {
  Q_OBJECT

 public:
  // Puts the entries into `menu` before `before`, from the settings.
  RecentFilesMenu(QMenu* menu, QAction* before, QObject* parent = nullptr);

  // A file was read: it goes to the top of the list and the settings.
  void Add(const QString& path);
  // A file that can no longer be read leaves the list.
  void Remove(const QString& path);
  QStringList Paths() const;
  // Entry i (from 0) of the menu.
  QAction* Action(int i) const { return actions_[i]; }

 signals:
  void OpenRequested(const QString& path);

 private:
  void Save() const;
  void Show();

  RecentFiles files_;
  std::array<QAction*, kMaxRecentFiles> actions_{};
  QAction* separator_ = nullptr;
};

}  // namespace mtvuk
