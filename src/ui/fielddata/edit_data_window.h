// CEditDataWindow: the modeless "Edit field data" window. The user marks a
// set by its colour rectangle and edits its points with the mouse on the
// curve graph of the main view; the window holds the editing logic, the
// period cut-off, undo and the way back to the set as read.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "core/fielddata/field_editing.h"
#include "ui/app/qt_ui.h"
#include "ui/fielddata/set_rectangles.h"

namespace mtvuk {

// The instructions of the window, as the user reads them.
inline constexpr const char* kEditInstructions[4] = {
    "1. Mark either of the color rectangle",
    "2. Click data point and move it with pressed left button",
    "3. DELETE - Ctrl+left button",
    "4. INVERS SIGN -Shift+left button  (not for Res(T))"};

// The six set rectangles; the marked set is filled.
class EditSetsPanel : public SetRectanglesPanel {
  Q_OBJECT

 public:
  EditSetsPanel(const FieldSets& sets,
                const FieldEditor& editor,
                QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  bool Marked(int k) const override { return editor_.marked() == k; }
  QString Below(int k) const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  const FieldEditor& editor_;
};

class CEditDataWindow : public QDialog {
  Q_OBJECT

 public:
  CEditDataWindow(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  ~CEditDataWindow() override;

  FieldEditor& editor() { return editor_; }
  EditSetsPanel* panel() const { return panel_; }
  QLineEdit* from_field() const { return from_; }
  QPushButton* undo_button() const { return undo_; }
  // The sets changed: forget edits of reloaded sets, paint again.
  void Refresh();
  // The buttons.
  void MarkSet(int k);
  void Undo();
  void RestoreAsRead();
  void DeleteFrom();
  // Enables the buttons and paints the rectangles after any edit.
  void ShowState();

 signals:
  // "&INFO": the view opens the "INFO" window.
  void InfoRequested();

 public slots:
  // Esc closes the window as its close button does (and tells its owner).
  void reject() override { close(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Stores& stores_;
  QtUi& ui_;
  FieldEditor editor_;
  EditSetsPanel* panel_ = nullptr;
  QLineEdit* from_ = nullptr;
  QPushButton* undo_ = nullptr;
  QPushButton* restore_ = nullptr;
};

}  // namespace mtvuk
