// Ui for tests: answers come from a queue of expected prompts, every prompt
// and every posted message is recorded, and a prompt nobody expected is noted
// so that the test can fail on it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/platform/ui.h"

namespace mtvuk {

struct Prompt {
  std::string text;
  std::string caption;
  Icon icon;
  Buttons buttons;
};

struct PostedMessage {
  Window window;
  Um message;
  std::intptr_t wparam;
  std::intptr_t lparam;
};

class ScriptedUi : public Ui {
 public:
  // The next prompt with this caption is answered with `answer`.
  void Expect(std::string caption, Answer answer);
  // Messages with these captions are accepted with their default answer
  // whenever they come, without being expected one by one.
  void Allow(std::string caption);

  void Post(Window window,
            Um message,
            std::intptr_t wparam,
            std::intptr_t lparam) override;
  Answer MessageBox(std::string_view text,
                    std::string_view caption,
                    Icon icon,
                    Buttons buttons,
                    Answer default_button) override;
  void Repaint(Window window) override { repaints_.push_back(window); }
  bool EscapePending() override;
  bool LeftButtonDown() override;
  std::int64_t ClockMs() override { return clock_ms_; }

  // Scripted input: Esc becomes pending after `polls` further polls
  // (0: at the next poll).
  void PressEscapeAfter(int polls) { escape_after_ = polls; }
  // The left button is held until the clock reaches `release_ms`.
  void HoldLeftButtonUntil(std::int64_t release_ms) {
    release_ms_ = release_ms;
  }
  // Each poll of the button advances the clock by this many milliseconds.
  void SetPollStepMs(std::int64_t step) { poll_step_ms_ = step; }
  void SetClockMs(std::int64_t ms) { clock_ms_ = ms; }

  const std::vector<Prompt>& prompts() const { return prompts_; }
  const std::vector<Prompt>& unexpected() const { return unexpected_; }
  const std::vector<PostedMessage>& posts() const { return posts_; }
  const std::vector<Window>& repaints() const { return repaints_; }
  bool AllExpectedShown() const { return expected_.empty(); }
  void ClearRecords();

 private:
  struct Expected {
    std::string caption;
    Answer answer;
  };
  std::deque<Expected> expected_;
  std::vector<std::string> allowed_;
  std::vector<Prompt> prompts_;
  std::vector<Prompt> unexpected_;
  std::vector<PostedMessage> posts_;
  std::vector<Window> repaints_;
  int escape_after_ = -1;
  std::int64_t clock_ms_ = 0;
  std::int64_t release_ms_ = 0;
  std::int64_t poll_step_ms_ = 10;
};

}  // namespace mtvuk
