#include "core/platform/console_ui.h"

#include <chrono>

namespace mtvuk {

Answer ConsoleUi::MessageBox(std::string_view text,
                             std::string_view caption,
                             Icon,
                             Buttons,
                             Answer default_button) {
  ++messages_shown_;
  std::fprintf(out_,
               "%.*s: %.*s\n",
               static_cast<int>(caption.size()),
               caption.data(),
               static_cast<int>(text.size()),
               text.data());
  return default_button;
}

std::int64_t ConsoleUi::ClockMs() {
  using std::chrono::steady_clock;
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace mtvuk
