// Reading numbers typed into dialog fields, with the program's messages.
#pragma once

#include <QLineEdit>
#include <QString>
#include <string>

#include "core/platform/ui.h"

namespace mtvuk {

inline constexpr char kFormCaption[] = "MT-VUK";

// A number as a field shows it.
QString FieldNumber(double value);
// Reads a field; "Please enter a number." and the focus on the field when
// its text is not a number.
bool ReadField(QLineEdit* field, double& value, Ui& ui);
// Shows why a field is refused and puts the focus on it.
void RefuseField(QLineEdit* field, const std::string& message, Ui& ui);

}  // namespace mtvuk
