// The inversion settings dialogs: main setting, variation limits, IP
// limits and the attachment of field data to models.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <array>

#include "core/inversion/inversion.h"
#include "core/inversion/inversion_settings.h"
#include "ui/app/qt_ui.h"

namespace mtvuk {

class MainSettingDialog : public QDialog {
  Q_OBJECT

 public:
  MainSettingDialog(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  QCheckBox* TargetBox(int target) const { return targets_[target - 1]; }
  QLineEdit* amount() const { return amount_; }
  QCheckBox* ignore() const { return ignore_; }
  QRadioButton* MethodButton(FitMethod method) const {
    return methods_[static_cast<int>(method)];
  }

 public slots:
  void accept() override;

 private:
  Stores& stores_;
  QtUi& ui_;
  std::array<QCheckBox*, 5> targets_{};
  QLineEdit* amount_ = nullptr;
  QLineEdit* delta_ = nullptr;
  QLineEdit* error_floor_ = nullptr;
  QCheckBox* ignore_ = nullptr;
  QCheckBox* show_fit_ = nullptr;
  std::array<QRadioButton*, 2> methods_{};
};

class VariationLimitsDialog : public QDialog {
  Q_OBJECT

 public:
  VariationLimitsDialog(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  QCheckBox* Fix(int row, bool thickness) const { return fix_[row][thickness]; }
  QLineEdit* Edit(int row, int field) const { return edits_[row][field]; }
  VariationLimits& limits() { return limits_; }

 public slots:
  void accept() override;
  void SetDefault();
  void SetInAllLayers();

 private:
  bool ReadRows();
  void ShowRows();

  Stores& stores_;
  QtUi& ui_;
  VariationLimits limits_;
  std::array<std::array<QCheckBox*, 2>, MaxLayers> fix_{};
  std::array<std::array<QLineEdit*, 4>, MaxLayers> edits_{};
  int focus_row_ = 0;
};

class IpLimitsDialog : public QDialog {
  Q_OBJECT

 public:
  IpLimitsDialog(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  QRadioButton* Layer(int i) const { return layers_[i]; }
  QLineEdit* Edit(int field) const { return edits_[field]; }

 public slots:
  void accept() override;

 private:
  bool ReadLayer();
  void ShowLayer(int layer);

  Stores& stores_;
  QtUi& ui_;
  IpLimits limits_;
  int layer_ = 0;
  std::array<QRadioButton*, 7> layers_{};
  std::array<QCheckBox*, 2> fix_{};
  std::array<QLineEdit*, 4> edits_{};
};

class AttachDialog : public QDialog {
  Q_OBJECT

 public:
  AttachDialog(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  QCheckBox* Cell(int set, int model) const { return cells_[set][model]; }

 public slots:
  void accept() override;
  void SetDefault();

 private:
  Stores& stores_;
  QtUi& ui_;
  Attachment attachment_;
  std::array<std::array<QCheckBox*, MaxModels>, MaxSets> cells_{};
};

}  // namespace mtvuk
