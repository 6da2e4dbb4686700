#include "screenshots.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "core/fielddata/field_file_reader.h"
#include "ui/fielddata/sounding_list_dialog.h"

namespace mtvuk {

bool SavePicture(QWidget& widget, const QString& path) {
  widget.show();
  QApplication::processEvents();
  if (!widget.grab().save(path, "PNG")) {
    std::fprintf(stderr, "mtvuk: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

bool LoadModes(CMainFrame& frame,
               Stores& stores,
               QtUi& ui,
               const QString& file,
               const QStringList& modes,
               const QString& dialog_picture) {
  if (!ReadFieldFile(file.toStdString(), stores.workspace, ui)) return false;
  SoundingListDialog dialog(
      stores.workspace, stores.sets, stores.models, ui, &frame);
  const QStringList names = {"xy", "yx", "mean", "eff"};
  for (const QString& mode : modes) {
    const int m = static_cast<int>(names.indexOf(mode.toLower()));
    if (m < 0) {
      std::fprintf(stderr,
                   "mtvuk: unknown mode '%s' (xy, yx, mean or eff)\n",
                   qPrintable(mode));
      return false;
    }
    dialog.ModeBox(static_cast<CurveMode>(m))->setChecked(true);
  }
  if (!dialog_picture.isEmpty()) {
    dialog.resize(860, 560);
    SavePicture(dialog, dialog_picture);
  }
  dialog.accept();
  for (int k = 0; k < MaxModels; ++k) {
    stores.models[k].shown = stores.sets[k].in_use > 0 ? 1 : 0;
  }
  QApplication::sendPostedEvents();
  frame.view()->Refresh(true);
  return true;
}

}  // namespace mtvuk
