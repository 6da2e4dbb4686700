#include "ui/section/delete_section_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace mtvuk {

DeleteSectionDialog::DeleteSectionDialog(SectionStack& stack,
                                         QtUi& ui,
                                         QWidget* parent)
    : QDialog(parent), stack_(stack), ui_(ui), choice_(stack) {
  setObjectName("delete_section_dialog");
  setWindowTitle("Delete Section");
  auto* layout = new QVBoxLayout(this);
  auto* full = new QLabel("Secton's stack is FULL", this);
  QFont bold = full->font();
  bold.setBold(true);
  full->setFont(bold);
  layout->addWidget(full);
  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const std::string& line : choice_.lines()) {
    list_->addItem(QString::fromStdString(line));
  }
  // Five lines without a scroll bar.
  list_->setFixedHeight(list_->sizeHintForRow(0) * kSectionSlots +
                        2 * list_->frameWidth() + 4);
  layout->addWidget(list_);
  auto* buttons = new QHBoxLayout;
  select_all_ = new QPushButton("Select &ALL", this);
  delete_ = new QPushButton("&Delete", this);
  auto* cancel = new QPushButton("Cancel", this);
  buttons->addWidget(select_all_);
  buttons->addWidget(delete_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(select_all_, &QPushButton::clicked, list_, &QListWidget::selectAll);
  connect(delete_, &QPushButton::clicked, this, &DeleteSectionDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &DeleteSectionDialog::reject);
}

void DeleteSectionDialog::accept() {
  std::vector<int> selected;
  for (int i = 0; i < list_->count(); ++i) {
    if (list_->item(i)->isSelected()) selected.push_back(i);
  }
  if (!choice_.Delete(stack_, selected, ui_)) return;
  QDialog::accept();
}

}  // namespace mtvuk
