// The dialogs of INT result files: saving inversion results, loading a
// model, and the stations of a file.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <array>
#include <vector>

#include "core/files/int_file.h"
#include "ui/app/qt_ui.h"
#include "ui/modelform/modeling_dialogs.h"

namespace mtvuk {

// "SAVE MODEL'S DATA ", opened as "SAVE RESULT OF INVERSION".
class SaveModelDataDialog : public QDialog {
  Q_OBJECT

 public:
  SaveModelDataDialog(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  SaveModelChoice& choice() { return choice_; }
  QLineEdit* Name(int i) const { return fields_[i][0]; }
  ModelSquares* boxes() const { return boxes_; }

 public slots:
  void accept() override;

 private:
  Stores& stores_;
  QtUi& ui_;
  SaveModelChoice choice_;
  std::array<std::array<QLineEdit*, 4>, MaxModels> fields_{};
  ModelSquares* boxes_ = nullptr;
};

// "Loading  model Res(H)": the valid blocks of an INT file, installed into
// a chosen model.
class CModelLoadDlg : public QDialog {
  Q_OBJECT

 public:
  CModelLoadDlg(Stores& stores,
                QtUi& ui,
                const std::string& path,
                QWidget* parent = nullptr);
  bool accepted_file() const { return !sets_.empty(); }
  QListWidget* list() const { return list_; }
  QLabel* DetailLine(int i) const { return detail_[i]; }
  ModelSquares* boxes() const { return boxes_; }
  QPushButton* install_button() const { return install_; }
  int chosen_model() const;

 public slots:
  void Install();
  void CloseDialog();

 private:
  void ShowDetail(int row);

  Stores& stores_;
  QtUi& ui_;
  std::vector<IntSet> sets_;
  std::vector<std::int32_t> positions_;
  std::array<std::int32_t, MaxModels> chosen_{1, 0, 0, 0, 0, 0};
  QListWidget* list_ = nullptr;
  std::array<QLabel*, MaxLayers> detail_{};
  ModelSquares* boxes_ = nullptr;
  QPushButton* install_ = nullptr;
};

// "Content int-File": the stations of an INT or TRF file for a section;
// the workspace learns which kind of file it was.
class CFileContentDlg : public QDialog {
  Q_OBJECT

 public:
  CFileContentDlg(Workspace& workspace,
                  QtUi& ui,
                  const std::string& path,
                  std::vector<SectionStation>& stations,
                  QWidget* parent = nullptr);
  QListWidget* list() const { return list_; }
  // "&Map" shows and hides the map of the file's stations; "&Delete Z"
  // makes the next sections without the stations' elevations.
  QCheckBox* map_box() const { return map_; }
  QCheckBox* delete_z_box() const { return delete_z_; }
  // How many blocks were read and which lines were left out, for the
  // status of the sections made from the file; empty when none was.
  const QString& reading_note() const { return reading_note_; }

 private:
  std::vector<SectionStation>& stations_;
  QString reading_note_;
  QListWidget* list_ = nullptr;
  QCheckBox* map_ = nullptr;
  QCheckBox* delete_z_ = nullptr;
};

}  // namespace mtvuk
