// The inversion settings dialogs and the two windows that follow a fit.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <array>

#include "core/inversion/equivalence.h"
#include "core/inversion/inversion.h"
#include "core/inversion/inversion_settings.h"
#include "ui/app/qt_ui.h"

class QCustomPlot;
class QCPAxis;
class QCPAxisRect;
class QCPCurve;
class QPushButton;
class QTableWidget;

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

// Ticks of a logarithmic misfit axis whose labels are all different.
void SetMisfitTicks(QCPAxis* axis);

// "Inversion ratio": the misfit of every iteration while a fit runs.
class InversionRatioWindow : public QWidget {
  Q_OBJECT

 public:
  explicit InversionRatioWindow(QWidget* parent = nullptr);
  void Start(const QString& model_name);
  void AddStep(const InversionStep& step);
  // After a fit: the run whose model was kept.
  void ShowRun(const InversionResult& result);
  int steps() const;
  // The labels of the misfit axis as drawn.
  QStringList TickLabels();

 private:
  void Rescale(int last_iteration);

  int start_ = 0;
  QCustomPlot* plot_ = nullptr;
  QLabel* status_ = nullptr;
  QElapsedTimer clock_;
};

// "Fitting result": apparent resistivity and phase of the data (with their
// error bars) and of the fitted model, the model as resistivity against
// depth, and the figures of the run. "Equivalence" adds the equivalence
// ranges of the fit: a table of the ranges of each layer and the band of
// the equivalent models around the staircase. Without a `ui` the ranges
// cannot be computed.
class FittingResultWindow : public QWidget {
  Q_OBJECT

 public:
  explicit FittingResultWindow(QWidget* parent = nullptr,
                               QtUi* ui = nullptr);
  void ShowResult(const InversionResult& result,
                  const Stores& stores,
                  double seconds);
  QString summary() const;
  // "Equivalence": false when the ranges were not computed (no fit shown,
  // a threshold field refused, Esc).
  bool ComputeEquivalenceRanges();
  QPushButton* equivalence_button() const { return equivalence_; }
  QLineEdit* threshold_field(int i) const {
    return i == 0 ? absolute_ : relative_;
  }
  QTableWidget* equivalence_table() const { return table_; }
  QCPCurve* band() const { return band_; }

 private:
  QWidget* BuildEquivalenceBox();

  QtUi* ui_ = nullptr;
  QCustomPlot* plot_ = nullptr;
  QCPAxisRect* rho_rect_ = nullptr;
  QCPAxisRect* phase_rect_ = nullptr;
  QCPAxisRect* model_rect_ = nullptr;
  QLabel* text_ = nullptr;
  QPushButton* equivalence_ = nullptr;
  QLineEdit* absolute_ = nullptr;
  QLineEdit* relative_ = nullptr;
  QLabel* equivalence_text_ = nullptr;
  QTableWidget* table_ = nullptr;
  QCPCurve* band_ = nullptr;
  QColor band_colour_;
  double surface_ = 0.1;
  // The fit shown: its model, its data and the misfit it was made with.
  bool has_fit_ = false;
  LayerModel model_;
  FieldSet set_;
  int used_ = 0;
  MisfitSettings settings_;
};

}  // namespace mtvuk
