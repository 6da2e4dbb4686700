// "Save transformation Res(h)": the transformations of the field sets as
// blocks of a TRF file.
#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <functional>
#include <memory>

#include "core/files/trf_file.h"
#include "ui/app/qt_ui.h"
#include "ui/modelform/modeling_dialogs.h"

namespace mtvuk {

class CSaveTransformationDlg : public QDialog {
  Q_OBJECT

 public:
  CSaveTransformationDlg(Stores& stores, QtUi& ui, QWidget* parent = nullptr);

  TrfSaveLogic& logic() { return logic_; }
  QLineEdit* name_edit() const { return name_; }
  QLineEdit* LocationText(int i) const { return location_[i]; }
  ModelSquares* boxes() const { return boxes_; }
  QPushButton* save_as_button() const { return save_as_; }
  QPushButton* save_all_button() const { return save_all_; }
  QPushButton* update_button() const { return update_; }
  // The save-file dialog of "&Save as" and "Save &All".
  std::unique_ptr<QFileDialog> FileDialog();
  // What the save-file dialog would return (tests and batch runs give the
  // path themselves); empty means Cancel.
  void SetPathChooser(std::function<QString()> choose) {
    choose_path_ = std::move(choose);
  }

 public slots:
  void SaveAs();
  void SaveAll();
  void UpdateName();

 private:
  void ShowCurrentSet();
  bool Save(bool all);

  Stores& stores_;
  QtUi& ui_;
  TrfSaveLogic logic_;
  QLineEdit* name_ = nullptr;
  std::array<QLineEdit*, 3> location_{};
  ModelSquares* boxes_ = nullptr;
  std::array<QLabel*, MaxSets> set_labels_{};
  QPushButton* save_as_ = nullptr;
  QPushButton* save_all_ = nullptr;
  QPushButton* update_ = nullptr;
  std::function<QString()> choose_path_;
};

}  // namespace mtvuk
