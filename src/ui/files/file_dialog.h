// Save dialogs of the result files. The program writes its filters as
// "Text|patterns|...||" (the text a user reads, then its patterns).
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

namespace mtvuk {

// The filter list of a Qt file dialog: each text followed by its patterns
// in parentheses unless it already ends with them (Qt takes the patterns
// from the last parentheses).
QStringList QtFilterList(const char* filter);

// Qt's own save dialog with the program's filter; `start` is a path or a
// folder. Returns the chosen path, empty on Cancel.
QString AskSavePath(QWidget* parent,
                    const QString& title,
                    const QString& start,
                    const char* filter,
                    const QString& default_suffix,
                    bool confirm_overwrite);

}  // namespace mtvuk
