// Pictures of the section stack's windows for the manual, on the example
// profile: the map with its automatic profile, the Scale dialog of the
// section made from it, and the delete dialog of a full stack.
#include <QApplication>
#include <QCoreApplication>

#include "screenshots.h"
#include "ui/files/int_dialogs.h"
#include "ui/section/delete_section_dialog.h"
#include "ui/section/map_dialog.h"
#include "ui/section/scale_dialog.h"
#include "ui/section/section_window.h"

namespace mtvuk {

bool PictureSectionStack(CMainFrame& frame,
                         Stores& stores,
                         QtUi& ui,
                         const QDir& dir) {
  CVUKView& view = *frame.view();
  if (!view.OpenSectionFile(MTVUK_EXAMPLES_DIR "/profile/profile.int"))
    return false;
  view.content_dialog()->list()->selectAll();
  MapDialog& map = *view.map_dialog();
  map.resize(960, 640);
  map.AutoProfileCommand();
  bool ok = SavePicture(map, dir.filePath("map.png"));

  // "Set PR" makes the section whose colours the Scale dialog shows.
  map.SetProfileCommand();
  QCoreApplication::sendPostedEvents();
  const int slot = 0;
  SectionWindow* section = view.section_window(slot);
  ok = section != nullptr && ok;
  if (section != nullptr) {
    const auto [lo, hi] = section->ValueRange();
    CScaleDlg scale(&frame, lo, hi, slot, stores.workspace, &view);
    ok = SavePicture(scale, dir.filePath("scale.png")) && ok;
    scale.hide();
    // "Yes" in its close query.
    QCoreApplication::postEvent(&view,
                                new UmEvent(Um::UM_SECTIONSTATE, 0, slot));
  }
  QCoreApplication::postEvent(&view, new UmEvent(Um::UM_MAPCOMMAND, 0, 0));
  QCoreApplication::sendPostedEvents();

  // A stack of five sections, as a sixth one would meet it.
  SectionStack full;
  for (int s = 0; s < kSectionSlots; ++s) TakeSlot(full, s);
  DeleteSectionDialog remove(full, ui, &frame);
  remove.list()->item(1)->setSelected(true);
  ok = SavePicture(remove, dir.filePath("delete-section.png")) && ok;
  remove.hide();
  QApplication::processEvents();
  return ok;
}

}  // namespace mtvuk
