#include "screenshots.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>

#include "core/fielddata/field_file_reader.h"
#include "ui/fielddata/sounding_list_dialog.h"
#include "ui/modelform/model_form.h"
#include "ui/modelform/modeling_dialogs.h"

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

namespace mtvuk {

bool PictureModelWindows(CMainFrame& frame,
                         Stores& stores,
                         QtUi& ui,
                         const QDir& dir) {
  LayerModel& m = stores.models[0];
  m.law = 2;
  for (int layer : {1, 3}) {
    m.ip_on[layer] = 1;
    m.ip_p1[layer][0] = 0.3f;
    m.ip_tau[layer][0] = 0.5f;
    m.ip_c[layer][0] = 0.6f;
  }
  stores.workspace.current_model = 0;
  frame.view()->OpenModelForm();
  CModelForm* form = frame.view()->model_form();
  bool ok = SavePicture(*form, dir.filePath("model-form.png"));
  ImpedanceDialog impedance(stores, ui, &frame);
  ok = SavePicture(impedance, dir.filePath("impedance.png")) && ok;
  ModelingSettingsDialog settings(stores, ui, &frame);
  ok = SavePicture(settings, dir.filePath("modeling-settings.png")) && ok;
  ChooseModelsDialog choose(stores, ui, &frame);
  ok = SavePicture(choose, dir.filePath("choose-models.png")) && ok;
  IpModelsDialog help(&frame);
  help.resize(help.sizeHint());
  ok = SavePicture(help, dir.filePath("ip-models.png")) && ok;
  return ok;
}

}  // namespace mtvuk
