// CDepthWindow: the modeless window "  Resistivity/Conductance  vs. depth "
// with the depth graph, its switches and design mode; CDesignedModelDlg:
// "Set designed model".
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "core/depth/designed_model.h"
#include "ui/app/qt_ui.h"
#include "ui/graph/depth_graph.h"

class QMenuBar;

namespace mtvuk {

class ModelSquares;

inline constexpr char kDepthWindowTitle[] =
    "  Resistivity/Conductance  vs. depth ";

class CDesignedModelDlg : public QDialog {
  Q_OBJECT

 public:
  CDesignedModelDlg(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  DesignedModelDialogLogic& logic() { return logic_; }
  QLineEdit* Resistivity(int row) const { return rho_[row]; }
  QLineEdit* Thickness(int row) const { return h_[row]; }
  ModelSquares* squares() const { return squares_; }

 public slots:
  void accept() override;

 private:
  QtUi& ui_;
  DesignedModelDialogLogic logic_;
  std::array<QLineEdit*, MaxLayers> rho_{};
  std::array<QLineEdit*, MaxLayers - 1> h_{};
  std::array<std::int32_t, MaxModels> chosen_{};
  ModelSquares* squares_ = nullptr;
};

class CDepthWindow : public QDialog {
  Q_OBJECT

 public:
  CDepthWindow(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  ~CDepthWindow() override;

  DepthGraph* graph() const { return graph_; }
  DepthWindowLogic& logic() { return logic_; }
  // The switch with the given text ("&Grid", "&Res(h)", "&Design", ...).
  QAbstractButton* Button(const QString& text) const;
  QAction* SetModelAction() const { return set_model_action_; }
  QAction* SaveResAction() const { return save_res_action_; }
  // "Sa&ve" and "Save &Res(h)": the dialog "Save transformation Res(h)".
  void SaveTransformation();
  // Reruns the transformation of the six sets and six models and redraws.
  void Recompute();
  // Design mode through the mouse, in graph pixels.
  void PressAt(QPointF pixel, Qt::MouseButton button);
  void DragTo(QPointF pixel);
  void Release();
  int grabbed() const { return grabbed_; }
  // The warnings of the shown sets whose smoothed curves leave their data.
  QLabel* warnings_label() const { return warnings_; }

 signals:
  // The profiles or the way they are drawn changed (the main view shows
  // them too).
  void ProfilesChanged();

 protected:
  void customEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPushButton* AddSwitch(const char* text, bool on);
  void ShowState();
  void Redraw(bool rescale);
  void ShowWarnings();
  void PressDesign();
  void SetModel();
  void OpenDesignedModelDialog();

  Stores& stores_;
  QtUi& ui_;
  DepthWindowLogic logic_;
  DepthGraph* graph_ = nullptr;
  QMenuBar* menu_ = nullptr;
  QAction* set_model_action_ = nullptr;
  QAction* save_res_action_ = nullptr;
  QPushButton* grid_ = nullptr;
  QPushButton* models_ = nullptr;
  QPushButton* transf_ = nullptr;
  QPushButton* res_ = nullptr;
  QPushButton* s_ = nullptr;
  QPushButton* log_h_ = nullptr;
  QPushButton* design_ = nullptr;
  QLabel* warnings_ = nullptr;
  int grabbed_ = -1;  // the designed point being dragged
};

}  // namespace mtvuk
