// The platform layer: what the core needs from a windowing system.
//
// Long computations and dialog logic in the core talk to the user only through
// this interface. The Qt program implements it with posted QEvents and message
// boxes; the command-line tool prints messages to standard error; tests script
// the answers and record every prompt.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mtvuk {

// The program's own window messages. Always posted, never sent.
enum class Um : std::uint32_t {
  UM_MODELCHANGED = 0x046B,
  UM_INVERT = 0x046C,
  UM_INFOCOMMAND = 0x046D,
  UM_MODELFORMCLOSED = 0x046E,
  UM_INFOCLOSED = 0x046F,
  UM_EDITCLOSED = 0x0470,
  UM_SMOOTHCLOSED = 0x0471,
  UM_SMOOTH = 0x0472,
  UM_SETSCHANGED = 0x0473,
  UM_MODELSYNC = 0x0474,
  UM_DEPTHCLOSED = 0x0475,
  UM_REDRAW = 0x0476,
  UM_SAVETRANSFORM = 0x0477,
  UM_MODELSCHANGED = 0x0478,
  UM_LINEREFRESH = 0x0479,
  UM_FITCLOSE = 0x047A,
  UM_RATIOOPEN = 0x047B,
  UM_INTCONTENT = 0x047C,
  UM_MAPCOMMAND = 0x047D,
  UM_SCALECHANGED = 0x047E,
  UM_SECTIONSCALE = 0x047F,
  UM_SECTIONREDRAW = 0x0480,
  UM_SECTIONNOTE = 0x0481,
  UM_SECTIONSTATE = 0x0482,
  UM_SECTIONFORWARD = 0x0483,
};

// Windows that receive the program's messages. A window that is not open
// simply does not get them.
enum class Window {
  kMainFrame,
  kView,
  kModelForm,
  kDepthWindow,
  kSmoothingWindow,
  kFitResult,
  kInversionRatio,
};

enum class Icon { kStop, kExclamation, kQuestion, kInformation };
enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class Answer { kOk, kCancel, kYes, kNo };

class Ui {
 public:
  virtual ~Ui() = default;

  // Queues a message for a window; it is handled after the caller returns.
  virtual void Post(Window window,
                    Um message,
                    std::intptr_t wparam,
                    std::intptr_t lparam) = 0;
  // Shows a modal message box and returns the button the user pressed.
  virtual Answer MessageBox(std::string_view text,
                            std::string_view caption,
                            Icon icon,
                            Buttons buttons,
                            Answer default_button) = 0;
  virtual void Repaint(Window window) = 0;
  // Polled by long computations: true once when the user pressed Esc.
  virtual bool EscapePending() = 0;
  // Polled by the repeat buttons of the model editor.
  virtual bool LeftButtonDown() = 0;
  // Milliseconds of a monotonic process clock.
  virtual std::int64_t ClockMs() = 0;

  // The common case: an error or notice with a single OK button.
  void Show(std::string_view text, std::string_view caption, Icon icon) {
    MessageBox(text, caption, icon, Buttons::kOk, Answer::kOk);
  }
};

}  // namespace mtvuk
