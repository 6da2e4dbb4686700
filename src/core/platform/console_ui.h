// Ui for the headless command-line tool: messages go to standard error as
// "CAPTION: text" and every question is answered with its default button.
#pragma once

#include <cstdio>

#include "core/platform/ui.h"

namespace mtvuk {

class ConsoleUi : public Ui {
 public:
  explicit ConsoleUi(std::FILE* out = stderr) : out_(out) {}

  void Post(Window, Um, std::intptr_t, std::intptr_t) override {}
  Answer MessageBox(std::string_view text,
                    std::string_view caption,
                    Icon icon,
                    Buttons buttons,
                    Answer default_button) override;
  void Repaint(Window) override {}
  bool EscapePending() override { return false; }
  bool LeftButtonDown() override { return false; }
  std::int64_t ClockMs() override;

  int messages_shown() const { return messages_shown_; }
  // Whether a question is followed by a line that tells the answer taken
  // (batch runs of the workstation, where nobody sees a dialog).
  void set_tell_answers(bool on) { tell_answers_ = on; }

 private:
  std::FILE* out_;
  bool tell_answers_ = false;
  int messages_shown_ = 0;
};

}  // namespace mtvuk
