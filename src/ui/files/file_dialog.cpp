#include "ui/files/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace mtvuk {

QStringList QtFilterList(const char* filter) {
  const QStringList parts = QString(filter).split('|', Qt::SkipEmptyParts);
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString text = parts[i].trimmed();
    const QString group =
        "(" + parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ') + ")";
    out << (text.endsWith(group) ? text : text + " " + group);
  }
  return out;
}

QString AskSavePath(QWidget* parent,
                    const QString& title,
                    const QString& start,
                    const char* filter,
                    const QString& default_suffix,
                    bool confirm_overwrite) {
  QFileDialog dialog(parent, title);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirm_overwrite);
  dialog.setNameFilters(QtFilterList(filter));
  dialog.setDefaultSuffix(default_suffix);
  const QFileInfo info(start);
  if (!start.isEmpty() && info.isDir()) {
    dialog.setDirectory(start);
  } else if (!start.isEmpty()) {
    if (info.dir().exists()) dialog.setDirectory(info.path());
    dialog.selectFile(info.fileName());
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

}  // namespace mtvuk
