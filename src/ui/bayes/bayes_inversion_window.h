// "Bayesian inversion": trans-dimensional sampling of layered models for a
// field set. The window shows the posterior of resistivity against depth
// (a density image with the median and the 5 and 95 % percentiles), the
// probability of an interface against depth, the histogram of the number
// of layers, the misfit of each chain against the iteration, the
// acceptance of each move and the agreement of the chains. The sampler
// runs on threads of its own; the window polls Esc and its Cancel button.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "ui/app/qt_ui.h"
#include "ui/bayes/bayes_plot.h"
#include "ui/bayes/bayes_runs.h"

namespace mtvuk {

class BayesInversionWindow : public QWidget {
  Q_OBJECT

 public:
  BayesInversionWindow(Stores& stores,
                       BayesRuns& runs,
                       QtUi& ui,
                       QWidget* parent = nullptr);

  // The sets on offer, after a set was loaded or cleared.
  void RefreshSets();
  // "&Run": false when a field is refused or the data cannot be sampled.
  // A finished run is kept for its set; a cancelled one is shown as far as
  // it went but not kept.
  bool Run();
  // Called after each run (the depth window redraws its percentiles).
  void SetFinishedHook(std::function<void(int set)> hook) {
    finished_ = std::move(hook);
  }

  QComboBox* set_box() const { return set_box_; }
  QLineEdit* layers_field() const { return layers_; }
  QLineEdit* iterations_field() const { return iterations_; }
  QLineEdit* burn_in_field() const { return burn_in_; }
  QLineEdit* thin_field() const { return thin_; }
  QLineEdit* seed_field() const { return seed_; }
  QLineEdit* floor_field() const { return floor_; }
  QPushButton* run_button() const { return run_; }
  QPushButton* cancel_button() const { return cancel_; }
  QProgressBar* progress_bar() const { return progress_; }
  BayesPlot* plot() const { return plot_; }
  QString summary() const { return text_->text(); }
  QString warning() const { return warning_->text(); }
  // The last run of this window (finished or cancelled).
  const BayesResult& result() const { return last_.result; }
  const BayesOptions& options() const { return last_.options; }

 private:
  bool ReadOptions(BayesOptions& o);
  void Draw();

  Stores& stores_;
  BayesRuns& runs_;
  QtUi& ui_;
  int set_ = -1;
  BayesRun last_;
  int last_set_ = -1;
  std::function<void(int)> finished_;
  QComboBox* set_box_ = nullptr;
  QLineEdit *layers_ = nullptr, *iterations_ = nullptr, *burn_in_ = nullptr;
  QLineEdit *thin_ = nullptr, *seed_ = nullptr, *floor_ = nullptr;
  QPushButton* run_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  BayesPlot* plot_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* warning_ = nullptr;
  QLabel* text_ = nullptr;
};

}  // namespace mtvuk
