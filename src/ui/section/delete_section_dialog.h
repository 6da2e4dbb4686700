// "Delete Section": shown when all five section slots are taken, so that the
// user frees some for a new section.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include "core/section/section_stack.h"
#include "ui/app/qt_ui.h"

namespace mtvuk {

class DeleteSectionDialog : public QDialog {
  Q_OBJECT

 public:
  DeleteSectionDialog(SectionStack& stack, QtUi& ui, QWidget* parent = nullptr);
  QListWidget* list() const { return list_; }
  QPushButton* select_all() const { return select_all_; }
  QPushButton* delete_button() const { return delete_; }

 public slots:
  // "&Delete": frees the selected sections and closes; an empty selection
  // is refused and the dialog stays.
  void accept() override;

 private:
  SectionStack& stack_;
  QtUi& ui_;
  SectionDeleteChoice choice_;
  QListWidget* list_ = nullptr;
  QPushButton* select_all_ = nullptr;
  QPushButton* delete_ = nullptr;
};

}  // namespace mtvuk
