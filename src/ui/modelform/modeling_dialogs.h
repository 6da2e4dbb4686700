// The small dialogs around the model editor: "Impedance", "SETTING
// PARAMETERS FOR MODELING", "CHOOSE MODELS" and the "IP MODELS" help page.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <array>

#include "core/modelform/modeling_dialogs.h"
#include "ui/app/qt_ui.h"

namespace mtvuk {

// Which polarisation the model curves show.
class ImpedanceDialog : public QDialog {
  Q_OBJECT

 public:
  ImpedanceDialog(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  QRadioButton* Choice(CurveMode mode) const {
    return choices_[static_cast<int>(mode)];
  }

 public slots:
  void accept() override;

 private:
  Stores& stores_;
  QtUi& ui_;
  std::array<QRadioButton*, kCurveModes> choices_{};
};

// Squares that show and toggle a flag per model, beside name boxes.
class ModelSquares : public QWidget {
  Q_OBJECT

 public:
  ModelSquares(const Workspace& workspace,
               std::array<std::int32_t, MaxModels>& flags,
               QWidget* parent = nullptr);
  QRect SquareRect(int i) const;
  QSize sizeHint() const override { return {30, MaxModels * 28}; }

 signals:
  void Clicked(int model);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const Workspace& workspace_;
  std::array<std::int32_t, MaxModels>& flags_;
};

class ModelingSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  ModelingSettingsDialog(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  ModelingSettings& settings() { return settings_; }
  QLineEdit* Field(int i) const { return fields_[i]; }
  QLineEdit* Name(int i) const { return names_[i]; }
  ModelSquares* squares() const { return squares_; }
  // "as published" (0) or "corrected" (1).
  QComboBox* physics() const { return physics_; }

 public slots:
  void accept() override;

 private:
  Stores& stores_;
  QtUi& ui_;
  ModelingSettings settings_;
  QComboBox* physics_ = nullptr;
  std::array<QLineEdit*, MaxModels> names_{};
  std::array<QLineEdit*, 5> fields_{};
  ModelSquares* squares_ = nullptr;
};

class ChooseModelsDialog : public QDialog {
  Q_OBJECT

 public:
  ChooseModelsDialog(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  ModelChoice& choice() { return choice_; }
  QLineEdit* Name(int i) const { return names_[i]; }
  QLineEdit* Field(int i) const { return fields_[i]; }
  ModelSquares* squares() const { return squares_; }

 public slots:
  void accept() override;

 private:
  Stores& stores_;
  QtUi& ui_;
  ModelChoice choice_;
  std::array<QLineEdit*, MaxModels> names_{};
  std::array<QLineEdit*, 2> fields_{};
  ModelSquares* squares_ = nullptr;
};

// The four dispersion laws as formulas.
class IpModelsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit IpModelsDialog(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {720, 700}; }
  // The text pieces of the last painting, in order ("^" marks exponents).
  const QStringList& drawn_texts() const { return drawn_texts_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QStringList drawn_texts_;
};

}  // namespace mtvuk
