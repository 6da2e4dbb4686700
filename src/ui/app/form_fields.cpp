#include "ui/app/form_fields.h"

namespace mtvuk {

QString FieldNumber(double value) { return QString::number(value, 'g', 7); }

void RefuseField(QLineEdit* field, const std::string& message, Ui& ui) {
  ui.Show(message, kFormCaption, Icon::kExclamation);
  if (field != nullptr) {
    field->setFocus();
    field->selectAll();
  }
}

bool ReadField(QLineEdit* field, double& value, Ui& ui) {
  bool ok = false;
  value = field->text().trimmed().toDouble(&ok);
  if (!ok) RefuseField(field, "Please enter a number.", ui);
  return ok;
}

}  // namespace mtvuk
