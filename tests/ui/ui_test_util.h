// Helpers of the window tests: stores, a scripted message service, the
// main frame of a fresh session for each test function.
#pragma once

#include <QFile>
#include <QObject>
#include <memory>
#include <vector>

#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sounding_list.h"
#include "core/platform/scripted_ui.h"
#include "core/store/workspace.h"
#include "ui/app/main_frame.h"
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

// The base of the window tests that drive the main frame: new stores,
// messages and frame before each test function, gone after it.
class FrameTest : public QObject {
  Q_OBJECT

 protected:
  std::unique_ptr<Stores> stores_;
  std::unique_ptr<ScriptedQtUi> ui_;
  std::unique_ptr<CMainFrame> frame_;

 protected slots:
  void init() {
    stores_ = std::make_unique<Stores>();
    ui_ = std::make_unique<ScriptedQtUi>();
    frame_ = std::make_unique<CMainFrame>(*stores_, ui_->ui);
  }
  void cleanup() {
    frame_.reset();
    ui_.reset();
    stores_.reset();
  }
};

// Stands in for a window: records the program's messages that reach it.
class MessageRecorder : public QObject {
 public:
  struct Received {
    Um message;
    std::intptr_t wparam, lparam;
  };
  std::vector<Received> received;

 protected:
  void customEvent(QEvent* event) override {
    if (event->type() != UmEvent::Type()) return;
    auto* um = static_cast<UmEvent*>(event);
    received.push_back({um->message(), um->wparam(), um->lparam()});
  }
};

// The bytes of a file; none when it cannot be read.
inline QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline std::string ExampleFile(const char* name) {
  std::string path = MTVUK_EXAMPLES_DIR;
  path += '/';
  path += name;
  return path;
}

// The XY curve of the bundled example in field set 1 (and YX in set 2 when
// asked), as the sounding-list dialog loads them.
inline bool LoadExampleXy(Stores& stores, QtUi& ui, bool yx = false) {
  if (!ReadFieldFile(ExampleFile("15125A_imp.plt"), stores.workspace, ui))
    return false;
  SoundingList list(stores.workspace, stores.sets, stores.models, ui);
  return list.SetTick(CurveMode::XY, true) &&
         (!yx || list.SetTick(CurveMode::YX, true)) && list.Ok();
}

}  // namespace mtvuk::test
