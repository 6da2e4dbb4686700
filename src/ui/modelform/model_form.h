// CModelForm: the modeless "MODEL" form in which the user types, steps,
// copies and runs the layered models.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <optional>

#include "core/modelform/model_form_logic.h"
#include "ui/app/qt_ui.h"

namespace mtvuk {

// The small buttons of one row: resistivity up and down, and for rows 1-15
// thickness up and down, insert layer and cut below, with the row number.
enum class RowButton { kRhoUp, kRhoDown, kHUp, kHDown, kInsert, kCut };

class RowButtons : public QWidget {
  Q_OBJECT

 public:
  RowButtons(int row, bool has_thickness, QWidget* parent = nullptr);
  QRect ButtonRect(RowButton button) const;
  QSize sizeHint() const override;

 signals:
  void Pressed(int row, RowButton button, Qt::MouseButton mouse);
  void DoubleClicked(int row, RowButton button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  std::optional<RowButton> At(QPoint p) const;
  int row_;
  bool has_thickness_;
};

// The six model tabs: a click chooses a model, a right-button drag from one
// tab to another copies the model.
class ModelTabs : public QWidget {
  Q_OBJECT

 public:
  ModelTabs(const Workspace& workspace, QWidget* parent = nullptr);
  QRect TabRect(int i) const;
  QSize sizeHint() const override;
  bool dragging() const { return drag_from_ >= 0; }

 signals:
  void Clicked(int model);
  void CopyDragged(int from, int to);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int TabAt(QPoint p) const;
  const Workspace& workspace_;
  int drag_from_ = -1;
  QPoint drag_at_;
};

class CModelForm : public QDialog {
  Q_OBJECT

 public:
  CModelForm(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  ~CModelForm() override;

  ModelFormLogic& logic() { return logic_; }
  QLineEdit* Cell(int row, Column column) const;
  QCheckBox* Box(int row, Column column) const;
  RowButtons* Buttons(int row) const { return buttons_[row]; }
  ModelTabs* tabs() const { return tabs_; }
  QPushButton* run_button() const { return run_; }
  QPushButton* invert_button() const { return invert_; }
  QComboBox* law_list() const { return law_; }
  QLabel* eh_header() const { return eh_header_; }

  // Shows the cells of the logic; reads them back (false after the message
  // about a text that is not a number).
  void ShowCells();
  bool ReadCells();
  // Called by the view when an inversion ends.
  void InversionFinished();

 public slots:
  void Run();
  void Invert();

 protected:
  void customEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnRowButton(int row, RowButton button, Qt::MouseButton mouse);
  void OnRowDoubleClick(int row, RowButton button);
  bool Step(int row, RowButton button);
  bool Report(const std::optional<CellError>& error);
  void UpdateEnabling();
  void Refresh();

  Stores& stores_;
  QtUi& ui_;
  ModelFormLogic logic_;
  std::array<std::array<QLineEdit*, 10>, kFormRows> edits_{};
  std::array<std::array<QCheckBox*, 10>, kFormRows> boxes_{};
  std::array<RowButtons*, kFormRows> buttons_{};
  ModelTabs* tabs_ = nullptr;
  QPushButton* run_ = nullptr;
  QPushButton* invert_ = nullptr;
  QComboBox* law_ = nullptr;
  QLabel* eh_header_ = nullptr;
  QLabel* model_label_ = nullptr;
  bool holding_ = false;
};

}  // namespace mtvuk
