// Helpers of the window tests.
#pragma once

#include <QAction>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sounding_list.h"
#include "core/platform/scripted_ui.h"
#include "core/store/workspace.h"
#include "ui/app/main_frame.h"
#include "ui/app/qt_ui.h"

namespace mtvuk::test {

// The test classes of one program; each file adds its class with Register.
using TestClassList = std::vector<std::function<std::unique_ptr<QObject>()>>;
inline TestClassList& TestClasses() {
  static TestClassList list;
  return list;
}
template <class T>
bool Register() {
  TestClasses().push_back([] { return std::make_unique<T>(); });
  return true;
}

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

  // The text and the caption of the last message shown; none before one.
  std::string LastText() const {
    return script.prompts().empty() ? "" : script.prompts().back().text;
  }
  std::string LastCaption() const {
    return script.prompts().empty() ? "" : script.prompts().back().caption;
  }
};

// New stores, messages, main frame and temporary folder for each test.
class FrameTest : public QObject {
  Q_OBJECT

 protected:
  std::unique_ptr<Stores> stores_;
  std::unique_ptr<ScriptedQtUi> ui_;
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<QTemporaryDir> tmp_;

  QString Path(const QString& name) const { return tmp_->filePath(name); }

 protected slots:
  void init() {
    tmp_ = std::make_unique<QTemporaryDir>();
    stores_ = std::make_unique<Stores>();
    ui_ = std::make_unique<ScriptedQtUi>();
    frame_ = std::make_unique<CMainFrame>(*stores_, ui_->ui);
  }
  void cleanup() {
    frame_.reset();
    ui_.reset();
    stores_.reset();
    tmp_.reset();
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

// The action of a window whose text is text; none when there is none.
inline QAction* ActionNamed(const QWidget* window, const QString& text) {
  for (QAction* a : window->actions()) {
    if (a->text() == text) return a;
  }
  return nullptr;
}

// A click of a mouse button at the middle of a part of a widget.
inline void ClickAt(QWidget* widget,
                    const QRect& part,
                    Qt::MouseButton button = Qt::LeftButton) {
  QTest::mouseClick(widget, button, {}, part.center());
}

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

// A bundled example's XY curve in set 1 (and YX in set 2), as the list does.
inline bool LoadExampleXy(Stores& stores,
                          QtUi& ui,
                          bool yx = false,
                          const char* file = "15125A_imp.plt") {
  if (!ReadFieldFile(ExampleFile(file), stores.workspace, ui)) return false;
  SoundingList list(stores.workspace, stores.sets, stores.models, ui);
  return list.SetTick(CurveMode::XY, true) &&
         (!yx || list.SetTick(CurveMode::YX, true)) && list.Ok();
}

}  // namespace mtvuk::test
