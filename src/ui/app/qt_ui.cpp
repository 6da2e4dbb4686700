#include "ui/app/qt_ui.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QThread>
#include <QWidget>

#include "ui/app/message_service.h"

namespace mtvuk {

QEvent::Type UmEvent::Type() {
  static const QEvent::Type type =
      static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QtUi::QtUi(MessageBoxFunction boxes) : boxes_(std::move(boxes)) {
  if (!boxes_) boxes_ = ShowMessageBox;
  clock_.start();
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->installEventFilter(&gate_);
  }
}

bool InputGate::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    ui_.NoteEscape();
    return ui_.busy();
  }
  if (!ui_.busy()) return false;
  // A button marked as the window's Esc stops the computation as the key
  // does.
  if (type == QEvent::MouseButtonPress && watched->isWidgetType() &&
      watched->property("escape_button").toBool()) {
    ui_.NoteEscape();
    return true;
  }
  if (type == UmEvent::Type()) {
    ui_.Defer(watched, *static_cast<UmEvent*>(event));
    return true;
  }
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

void QtUi::SetBusy(bool busy) {
  busy_ = busy;
  if (busy) {
    escape_ = false;
    return;
  }
  std::vector<Deferred> pending;
  pending.swap(deferred_);
  for (const Deferred& d : pending) {
    if (d.receiver) {
      QCoreApplication::postEvent(d.receiver,
                                  new UmEvent(d.message, d.wparam, d.lparam));
    }
  }
}

void QtUi::Defer(QObject* receiver, const UmEvent& event) {
  deferred_.push_back(
      {receiver, event.message(), event.wparam(), event.lparam()});
}

void QtUi::Register(Window window, QObject* receiver) {
  receivers_[static_cast<int>(window)] = receiver;
}

void QtUi::Unregister(Window window) {
  receivers_[static_cast<int>(window)] = nullptr;
}

QObject* QtUi::Receiver(Window window) const {
  return receivers_[static_cast<int>(window)].data();
}

void QtUi::Post(Window window,
                Um message,
                std::intptr_t wparam,
                std::intptr_t lparam) {
  if (QObject* receiver = Receiver(window)) {
    QCoreApplication::postEvent(receiver, new UmEvent(message, wparam, lparam));
  }
}

Answer QtUi::MessageBox(std::string_view text,
                        std::string_view caption,
                        Icon icon,
                        Buttons buttons,
                        Answer default_button) {
  return boxes_(text, caption, icon, buttons, default_button);
}

void QtUi::Repaint(Window window) {
  if (auto* widget = qobject_cast<QWidget*>(Receiver(window))) widget->update();
}

bool QtUi::EscapePending() {
  // Let the queue run: input other than Esc and the program's messages are
  // held back by the gate meanwhile.
  if (busy_) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  bool pending = escape_;
  escape_ = false;
  return pending;
}

std::int64_t QtUi::ClockMs() {
  return pointer_source_ ? pointer_source_->ClockMs() : clock_.elapsed();
}

bool QtUi::LeftButtonDown() {
  if (pointer_source_) return pointer_source_->LeftButtonDown();
  // The button state changes only when its release event has been handled.
  QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  QThread::msleep(2);
  return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
}

}  // namespace mtvuk
