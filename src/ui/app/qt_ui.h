// The Qt side of the platform layer: the program's messages as posted
// QEvents, message boxes through one message service, repaints.
#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <vector>

#include "core/platform/ui.h"

namespace mtvuk {

// One of the program's own messages on its way to a window.
class UmEvent : public QEvent {
 public:
  UmEvent(Um message, std::intptr_t wparam, std::intptr_t lparam)
      : QEvent(Type()), message_(message), wparam_(wparam), lparam_(lparam) {}
  static QEvent::Type Type();

  Um message() const { return message_; }
  std::intptr_t wparam() const { return wparam_; }
  std::intptr_t lparam() const { return lparam_; }

 private:
  Um message_;
  std::intptr_t wparam_;
  std::intptr_t lparam_;
};

using MessageBoxFunction = std::function<Answer(std::string_view text,
                                                std::string_view caption,
                                                Icon icon,
                                                Buttons buttons,
                                                Answer default_button)>;

inline constexpr int kWindowKinds = 7;

class QtUi;

// Watches the application's events: notes Esc, and while a long
// computation runs holds back the user's input and defers the program's
// messages, so that nothing re-enters the computation.
class InputGate : public QObject {
 public:
  explicit InputGate(QtUi& ui) : ui_(ui) {}
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QtUi& ui_;
};

class QtUi : public Ui {
 public:
  // Message boxes are shown by `boxes`; by default the Qt message service.
  explicit QtUi(MessageBoxFunction boxes = {});

  // A window that exists receives the messages posted to its kind; when it
  // is destroyed it stops receiving them.
  void Register(Window window, QObject* receiver);
  void Unregister(Window window);
  QObject* Receiver(Window window) const;

  void Post(Window window,
            Um message,
            std::intptr_t wparam,
            std::intptr_t lparam) override;
  Answer MessageBox(std::string_view text,
                    std::string_view caption,
                    Icon icon,
                    Buttons buttons,
                    Answer default_button) override;
  void Repaint(Window window) override;
  bool EscapePending() override;
  bool LeftButtonDown() override;
  std::int64_t ClockMs() override;

  // Called by the application's key filter when Esc is pressed.
  void NoteEscape() { escape_ = true; }
  // While busy, EscapePending lets the event loop run for Esc only.
  void SetBusy(bool busy);
  bool busy() const { return busy_; }
  void Defer(QObject* receiver, const UmEvent& event);

  // Tests script the mouse button and the clock with another Ui.
  void SetPointerSource(Ui* source) { pointer_source_ = source; }

 private:
  MessageBoxFunction boxes_;
  std::array<QPointer<QObject>, kWindowKinds> receivers_{};
  QElapsedTimer clock_;
  bool escape_ = false;
  bool busy_ = false;
  Ui* pointer_source_ = nullptr;
  InputGate gate_{*this};
  struct Deferred {
    QPointer<QObject> receiver;
    Um message;
    std::intptr_t wparam, lparam;
  };
  std::vector<Deferred> deferred_;
};

// Marks a long computation for its lifetime.
class BusyScope {
 public:
  explicit BusyScope(QtUi& ui) : ui_(ui) { ui_.SetBusy(true); }
  ~BusyScope() { ui_.SetBusy(false); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  QtUi& ui_;
};

}  // namespace mtvuk
