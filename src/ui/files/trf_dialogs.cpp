#include "ui/files/trf_dialogs.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/app/file_dialogs.h"

namespace mtvuk {
namespace {

constexpr int kRowHeight = 26;

}  // namespace

CSaveTransformationDlg::CSaveTransformationDlg(Stores& stores,
                                               QtUi& ui,
                                               QWidget* parent)
    : QDialog(parent),
      stores_(stores),
      ui_(ui),
      logic_(stores.workspace, stores.sets, ui) {
  setObjectName("save_transformation_dialog");
  setWindowTitle("Save transformation Res(h)");

  name_ = new QLineEdit(this);
  name_->setMaxLength(TrfSaveLogic::kMaxName);
  name_->setMinimumWidth(220);
  auto* name_row = new QFormLayout;
  name_row->addRow("&Name", name_);

  auto* location = new QGroupBox("LOCATION", this);
  auto* location_form = new QFormLayout(location);
  const char* const kLabels[3] = {"LAT (m)", "LONG (m)", "ALT (m)"};
  for (int i = 0; i < 3; ++i) {
    location_[i] = new QLineEdit(this);
    location_[i]->setReadOnly(true);
    location_form->addRow(kLabels[i], location_[i]);
  }

  // The six boxes of the field sets, each with the set's label; only sets
  // with a transformation react.
  boxes_ = new ModelSquares(stores_.workspace, logic_.current_flags(), this);
  boxes_->setFixedHeight(MaxSets * kRowHeight);
  boxes_->setToolTip("The field set whose transformation \"Save as\" writes");
  connect(boxes_, &ModelSquares::Clicked, this, [this](int i) {
    logic_.Click(i);
    ShowCurrentSet();
  });
  auto* labels = new QVBoxLayout;
  labels->setSpacing(0);
  for (int i = 0; i < MaxSets; ++i) {
    set_labels_[i] = new QLabel(this);
    set_labels_[i]->setFixedHeight(kRowHeight);
    set_labels_[i]->setMinimumWidth(110);
    labels->addWidget(set_labels_[i]);
  }
  auto* sets = new QHBoxLayout;
  sets->setSpacing(2);
  sets->addWidget(boxes_);
  sets->addLayout(labels);

  save_as_ = new QPushButton("&Save as", this);
  save_all_ = new QPushButton("Save &All", this);
  update_ = new QPushButton("&Update", this);
  save_as_->setDefault(true);
  connect(save_as_, &QPushButton::clicked, this, &CSaveTransformationDlg::SaveAs);
  connect(save_all_, &QPushButton::clicked, this, &CSaveTransformationDlg::SaveAll);
  connect(update_, &QPushButton::clicked, this, &CSaveTransformationDlg::UpdateName);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save_as_);
  buttons->addWidget(save_all_);
  buttons->addWidget(update_);

  auto* left = new QVBoxLayout;
  left->addLayout(name_row);
  left->addWidget(location);
  left->addStretch(1);
  left->addLayout(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addSpacing(8);
  layout->addLayout(sets);

  choose_path_ = [this] { return RunFileDialog(*FileDialog()); };
  ShowCurrentSet();
}

std::unique_ptr<QFileDialog> CSaveTransformationDlg::FileDialog() {
  auto dialog =
      MakeFileDialog(this,
                     "Save transformation Res(h)",
                     QString::fromStdString(stores_.workspace.files.trf_saved),
                     kTrfFileFilter,
                     QFileDialog::AcceptSave);
  dialog->setDefaultSuffix("trf");
  return dialog;
}

void CSaveTransformationDlg::ShowCurrentSet() {
  const bool any = logic_.current() >= 0;
  name_->setText(QString::fromStdString(logic_.name));
  location_[0]->setText(QString::fromStdString(logic_.LatText()));
  location_[1]->setText(QString::fromStdString(logic_.LongText()));
  location_[2]->setText(QString::fromStdString(logic_.AltText()));
  for (int i = 0; i < MaxSets; ++i) {
    const FieldSet& set = stores_.sets[i];
    const bool saveable = logic_.saveable()[i] != 0;
    set_labels_[i]->setText(
        saveable ? QString::fromStdString(set.label)
                 : (set.in_use > 0 ? QString::fromStdString(set.label) +
                                         " (no Res(h))"
                                   : QString("-")));
    set_labels_[i]->setEnabled(saveable);
  }
  for (QWidget* w : {static_cast<QWidget*>(name_),
                     static_cast<QWidget*>(save_as_),
                     static_cast<QWidget*>(save_all_),
                     static_cast<QWidget*>(update_)}) {
    w->setEnabled(any);
  }
  boxes_->update();
}

void CSaveTransformationDlg::UpdateName() {
  logic_.name = name_->text().toStdString();
  logic_.Update();
  ShowCurrentSet();
  ui_.Post(Window::kView, Um::UM_REDRAW, 0, 0);
}

bool CSaveTransformationDlg::Save(bool all) {
  if (logic_.current() < 0) return false;
  UpdateName();
  const QString chosen = choose_path_ ? choose_path_() : QString();
  if (chosen.isEmpty()) return false;
  return logic_.Save(chosen.toStdString(), all);
}

void CSaveTransformationDlg::SaveAs() { Save(false); }

void CSaveTransformationDlg::SaveAll() {
  if (Save(true)) accept();
}

}  // namespace mtvuk
