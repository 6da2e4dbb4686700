#include "ui/app/recent_files_menu.h"

#include <QSettings>
#include <vector>

namespace mtvuk {
namespace {

constexpr char kGroup[] = "Recent File List";

QString Key(int i) { return QString("File%1").arg(i + 1); }

}  // namespace

RecentFilesMenu::RecentFilesMenu(QMenu* menu, QAction* before, QObject* parent)
    : QObject(parent) {
  QSettings settings(kSettingsOrganisation, kSettingsApplication);
  settings.beginGroup(kGroup);
  std::vector<std::string> stored;
  for (int i = 0; i < kMaxRecentFiles; ++i)
    stored.push_back(settings.value(Key(i)).toString().toStdString());
  files_ = RecentFiles(stored);
  for (int i = 0; i < kMaxRecentFiles; ++i) {
    actions_[i] = new QAction(menu);
    menu->insertAction(before, actions_[i]);
    connect(actions_[i], &QAction::triggered, this, [this, i] {
      const QStringList paths = Paths();
      if (i < paths.size()) emit OpenRequested(paths[i]);
    });
  }
  separator_ = menu->insertSeparator(before);
  Show();
}

void RecentFilesMenu::Add(const QString& path) {
  files_.Add(path.toStdString());
  Save();
  Show();
}

void RecentFilesMenu::Remove(const QString& path) {
  files_.Remove(path.toStdString());
  Save();
  Show();
}

QStringList RecentFilesMenu::Paths() const {
  QStringList paths;
  for (const std::string& p : files_.paths())
    paths << QString::fromStdString(p);
  return paths;
}

void RecentFilesMenu::Save() const {
  QSettings settings(kSettingsOrganisation, kSettingsApplication);
  settings.beginGroup(kGroup);
  const auto& paths = files_.paths();
  for (int i = 0; i < kMaxRecentFiles; ++i) {
    if (i < static_cast<int>(paths.size())) {
      settings.setValue(Key(i), QString::fromStdString(paths[i]));
    } else {
      settings.remove(Key(i));
    }
  }
}

void RecentFilesMenu::Show() {
  const auto& paths = files_.paths();
  for (int i = 0; i < kMaxRecentFiles; ++i) {
    const bool used = i < static_cast<int>(paths.size());
    actions_[i]->setVisible(used);
    if (!used) continue;
    actions_[i]->setText(
        QString::fromStdString(RecentFiles::MenuText(i, paths[i])));
    actions_[i]->setStatusTip(QString::fromStdString(paths[i]));
  }
  separator_->setVisible(!paths.empty());
}

}  // namespace mtvuk
