#include "ui/app/file_dialogs.h"

namespace mtvuk {

QStringList QtNameFilters(const char* filter) {
  const QStringList parts = QString(filter).split('|', Qt::SkipEmptyParts);
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString text = parts[i].trimmed();
    const QString patterns =
        parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ').trimmed();
    const QString group = "(" + patterns + ")";
    out << (text.endsWith(group) ? text : text + " " + group);
  }
  return out;
}

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent,
                                            const QString& title,
                                            const QString& start,
                                            const char* filter,
                                            QFileDialog::AcceptMode mode) {
  auto dialog = std::make_unique<QFileDialog>(parent, title);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setAcceptMode(mode);
  dialog->setFileMode(mode == QFileDialog::AcceptOpen
                          ? QFileDialog::ExistingFile
                          : QFileDialog::AnyFile);
  if (mode == QFileDialog::AcceptSave)
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
  dialog->setNameFilters(QtNameFilters(filter));
  if (!start.isEmpty()) {
    const QFileInfo info(start);
    if (info.isDir()) {
      dialog->setDirectory(start);
    } else {
      if (!info.path().isEmpty() && info.dir().exists())
        dialog->setDirectory(info.path());
      dialog->selectFile(info.fileName());
    }
  }
  return dialog;
}

QString RunFileDialog(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

}  // namespace mtvuk
