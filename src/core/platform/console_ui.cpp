#include "core/platform/console_ui.h"

#include <chrono>

namespace mtvuk {

Answer ConsoleUi::MessageBox(std::string_view text,
                             std::string_view caption,
                             Icon,
                             Buttons buttons,
                             Answer default_button) {
  ++messages_shown_;
  std::fprintf(out_,
               "%.*s: %.*s\n",
               static_cast<int>(caption.size()),
               caption.data(),
               static_cast<int>(text.size()),
               text.data());
  if (tell_answers_ && buttons != Buttons::kOk) {
    static constexpr const char* kNames[] = {"OK", "Cancel", "Yes", "No"};
    std::fprintf(out_,
                 "%.*s: answered %s, the default (batch mode)\n",
                 static_cast<int>(caption.size()),
                 caption.data(),
                 kNames[static_cast<int>(default_button)]);
  }
  return default_button;
}

std::int64_t ConsoleUi::ClockMs() {
  using std::chrono::steady_clock;
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace mtvuk
