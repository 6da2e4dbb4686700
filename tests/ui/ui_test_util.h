// Helpers of the window tests: stores, a scripted message service.
#pragma once

#include <memory>

#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sounding_list.h"
#include "core/platform/scripted_ui.h"
#include "core/store/workspace.h"
#include "ui/app/qt_ui.h"

namespace mtvuk::test {

// A QtUi whose message boxes are answered by a ScriptedUi.
struct ScriptedQtUi {
  ScriptedUi script;
  QtUi ui{[this](std::string_view text,
                 std::string_view caption,
                 Icon icon,
                 Buttons buttons,
                 Answer default_button) {
    return script.MessageBox(text, caption, icon, buttons, default_button);
  }};
};

inline std::string ExampleFile(const char* name) {
  return std::string(MTVUK_EXAMPLES_DIR) + "/" + name;
}

// The XY curve of the bundled example in field set 1, as the sounding-list
// dialog loads it.
inline bool LoadExampleXy(Stores& stores, QtUi& ui) {
  if (!ReadFieldFile(ExampleFile("15125A_imp.plt"), stores.workspace, ui))
    return false;
  SoundingList list(stores.workspace, stores.sets, stores.models, ui);
  return list.SetTick(CurveMode::XY, true) && list.Ok();
}

}  // namespace mtvuk::test
