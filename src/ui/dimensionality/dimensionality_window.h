// "Dimensionality": is a 1-D interpretation of a field set justified? The
// skews and the phase tensor of its full tensor against period with the
// periods that are not 1-D shaded, the D+ verdict of its curve, the
// thresholds, leaving the non-1-D periods out in one click, and the static
// shift of the set.
#pragma once

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "core/dimensionality/dplus.h"
#include "core/dimensionality/tensor_invariants.h"
#include "core/store/workspace.h"
#include "ui/app/qt_ui.h"

class QCustomPlot;
class QCPAxisRect;

namespace mtvuk {

class DimensionalityWindow : public QWidget {
  Q_OBJECT

 public:
  DimensionalityWindow(Stores& stores, QtUi& ui, QWidget* parent = nullptr);

  // The sets on offer, after a set was loaded or changed.
  void RefreshSets();
  // The set shown (slot index), -1 for none.
  int CurrentSet() const;
  // "Leave out non-1-D periods": marks them deleted in the set shown;
  // returns how many.
  int LeaveOut();
  // "Apply shift" with the method chosen; false when refused (the message
  // has been shown and nothing changed).
  bool ApplyShift();

  QComboBox* set_box() const { return set_box_; }
  QDoubleSpinBox* beta_field() const { return beta_; }
  QDoubleSpinBox* ellipticity_field() const { return ellipticity_; }
  QComboBox* method_box() const { return method_; }
  QLineEdit* value_field() const { return value_; }
  QPushButton* leave_out_button() const { return leave_out_; }
  QPushButton* shift_button() const { return shift_; }
  QString verdict() const { return verdict_->text(); }
  QCustomPlot* plot() const { return plot_; }
  const std::vector<TensorInvariants>& invariants() const { return dims_; }
  const DPlusResult& dplus() const { return dplus_; }

 private:
  void Recompute();
  void Draw();
  void SetsChanged();

  Stores& stores_;
  QtUi& ui_;
  std::vector<TensorInvariants> dims_;
  DPlusResult dplus_;
  QComboBox* set_box_ = nullptr;
  QDoubleSpinBox* beta_ = nullptr;
  QDoubleSpinBox* ellipticity_ = nullptr;
  QPushButton* leave_out_ = nullptr;
  QComboBox* method_ = nullptr;
  QLineEdit* value_ = nullptr;
  QPushButton* shift_ = nullptr;
  QLabel* verdict_ = nullptr;
  QLabel* shift_text_ = nullptr;
  QCustomPlot* plot_ = nullptr;
  QCPAxisRect* skew_rect_ = nullptr;
  QCPAxisRect* beta_rect_ = nullptr;
};

}  // namespace mtvuk
