// Start-up with data loaded, and pictures of the windows for the manual.
#pragma once

#include <QString>
#include <QStringList>

#include "ui/app/main_frame.h"

namespace mtvuk {

// Reads FILE and loads the given modes ("xy", "yx", "mean", "eff") into the
// first free slots, as the sounding-list dialog would with those ticks.
// When `dialog_picture` is not empty, the dialog is pictured there with its
// ticks before it loads. Only the models of the loaded slots stay shown.
bool LoadModes(CMainFrame& frame,
               Stores& stores,
               QtUi& ui,
               const QString& file,
               const QStringList& modes,
               const QString& dialog_picture = {});

// Renders a widget to a PNG file.
bool SavePicture(QWidget& widget, const QString& path);

}  // namespace mtvuk
