// The two windows that follow a fit: the misfit of every iteration while it
// runs, and the fitted model against its data with its equivalence ranges.
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "core/inversion/equivalence.h"
#include "core/inversion/inversion.h"
#include "ui/app/qt_ui.h"

class QCustomPlot;
class QCPAxis;
class QCPAxisRect;
class QCPCurve;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace mtvuk {

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
  explicit FittingResultWindow(QWidget* parent = nullptr, QtUi* ui = nullptr);
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
  QListWidget* warnings() const { return warnings_; }
  QCPCurve* band() const { return band_; }

 private:
  QWidget* BuildEquivalenceBox();

  QtUi* ui_ = nullptr;
  QCustomPlot* plot_ = nullptr;
  QCPAxisRect* rho_rect_ = nullptr;
  QCPAxisRect* phase_rect_ = nullptr;
  QCPAxisRect* model_rect_ = nullptr;
  QLabel* text_ = nullptr;
  QListWidget* warnings_ = nullptr;
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
