// The one place where the program shows message boxes.
#pragma once

#include <QWidget>
#include <string_view>

#include "core/platform/ui.h"

namespace mtvuk {

// A modal message box with the program's text, caption, icon and buttons.
Answer ShowMessageBox(std::string_view text,
                      std::string_view caption,
                      Icon icon,
                      Buttons buttons,
                      Answer default_button);

// "About MT-VUK": version and licence.
void ShowAbout(QWidget* parent);

}  // namespace mtvuk
