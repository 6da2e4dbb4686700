#include "core/platform/scripted_ui.h"

#include <algorithm>

namespace mtvuk {

void ScriptedUi::Expect(std::string caption, Answer answer) {
  expected_.push_back({std::move(caption), answer});
}

void ScriptedUi::Allow(std::string caption) {
  allowed_.push_back(std::move(caption));
}

void ScriptedUi::Post(Window window,
                      Um message,
                      std::intptr_t wparam,
                      std::intptr_t lparam) {
  posts_.push_back({window, message, wparam, lparam});
}

Answer ScriptedUi::MessageBox(std::string_view text,
                              std::string_view caption,
                              Icon icon,
                              Buttons buttons,
                              Answer default_button) {
  Prompt prompt{std::string(text), std::string(caption), icon, buttons};
  prompts_.push_back(prompt);
  if (!expected_.empty() && expected_.front().caption == caption) {
    Answer answer = expected_.front().answer;
    expected_.pop_front();
    return answer;
  }
  if (std::find(allowed_.begin(), allowed_.end(), caption) == allowed_.end()) {
    unexpected_.push_back(std::move(prompt));
  }
  return default_button;
}

bool ScriptedUi::EscapePending() {
  if (escape_after_ < 0) return false;
  if (escape_after_ == 0) {
    escape_after_ = -1;
    return true;
  }
  --escape_after_;
  return false;
}

bool ScriptedUi::LeftButtonDown() {
  clock_ms_ += poll_step_ms_;
  return clock_ms_ < release_ms_;
}

void ScriptedUi::ClearRecords() {
  prompts_.clear();
  unexpected_.clear();
  posts_.clear();
  repaints_.clear();
}

}  // namespace mtvuk
