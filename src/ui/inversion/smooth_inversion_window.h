// "Smooth inversion (Occam)": the smoothest resistivity profile that fits a
// field set to a target rms. The window shows the data with their error
// bars and the profile's response, the profile against depth beside the
// Bostick transform of the data, and the misfit against the roughness of
// the mu values tried in the last iteration, the chosen one marked.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "core/inversion/smooth_setting.h"
#include "ui/app/qt_ui.h"
#include "ui/graph/depth_graph.h"

class QCustomPlot;
class QCPAxisRect;

namespace mtvuk {

// The smooth profile of field set k as the depth graphs draw a further
// profile (their "&0" switch): a staircase of log10 resistivity and of the
// conductance from the surface against depth (m, negative). False when the
// set has no profile of its current data.
bool SmoothExtraProfile(const Stores& stores, int k, ExtraProfile& profile);

class SmoothInversionWindow : public QWidget {
  Q_OBJECT

 public:
  SmoothInversionWindow(Stores& stores, QtUi& ui, QWidget* parent = nullptr);

  // The sets on offer, after a set was loaded or cleared.
  void RefreshSets();
  // "&Run": false when a field is refused or the run was refused.
  bool Run();
  // "&Install as model": the profile of the set merged into the model.
  bool Install();

  QComboBox* set_box() const { return set_box_; }
  QComboBox* model_box() const { return model_box_; }
  QLineEdit* target_field() const { return target_; }
  QLineEdit* layers_field() const { return layers_; }
  QPushButton* run_button() const { return run_; }
  QPushButton* escape_button() const { return escape_; }
  QPushButton* install_button() const { return install_; }
  QString summary() const { return text_->text(); }
  const SmoothInversionResult& result() const { return result_; }
  QCustomPlot* plot() const { return plot_; }

 private:
  void Draw();
  void ShowProgress(const SmoothIteration& it);

  Stores& stores_;
  QtUi& ui_;
  SmoothInversionSetting setting_;
  SmoothInversionResult result_;
  double seconds_ = 0.0;
  QComboBox* set_box_ = nullptr;
  QLineEdit* target_ = nullptr;
  QLineEdit* layers_ = nullptr;
  QPushButton* run_ = nullptr;
  QPushButton* escape_ = nullptr;
  QComboBox* model_box_ = nullptr;
  QPushButton* install_ = nullptr;
  QCustomPlot* plot_ = nullptr;
  QCPAxisRect* rho_rect_ = nullptr;
  QCPAxisRect* phase_rect_ = nullptr;
  QCPAxisRect* profile_rect_ = nullptr;
  QCPAxisRect* trade_rect_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* text_ = nullptr;
};

}  // namespace mtvuk
