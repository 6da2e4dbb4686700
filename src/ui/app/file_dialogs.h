// The program's file dialogs. Filters are written as "Text|pattern|...||"
// (the text a user reads, then its patterns); Qt wants the patterns in the
// text's last parentheses, so every filter goes through QtNameFilters.
#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <memory>

namespace mtvuk {

// "INT files (*.int) (results of inversion)|*.int||" becomes
// "INT files (*.int) (results of inversion) (*.int)": the text as written,
// followed by its patterns unless the text already ends with them.
// Patterns separated by ";" are separated by blanks for Qt.
QStringList QtNameFilters(const char* filter);

// An open or save dialog (Qt's own, so that filters ignore letter case on
// every system) with `filter` as its name filters.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent,
                                            const QString& title,
                                            const QString& start,
                                            const char* filter,
                                            QFileDialog::AcceptMode mode);

// Runs the dialog; the chosen path, or empty on Cancel.
QString RunFileDialog(QFileDialog& dialog);

}  // namespace mtvuk
