// CSmoothingWindow: the modeless "Smoothing" window in which the user marks
// the field sets to smooth and sets the tension of the spline.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/fielddata/smoothing.h"
#include "ui/app/qt_ui.h"
#include "ui/fielddata/set_rectangles.h"

namespace mtvuk {

// The six slot rectangles and the tension bar, painted.
class SmoothingPanel : public SetRectanglesPanel {
  Q_OBJECT

 public:
  SmoothingPanel(const FieldSets& sets,
                 SmoothingWindowLogic& logic,
                 QWidget* parent = nullptr);
  QRect BarRect() const;
  QSize sizeHint() const override { return {300, 150}; }

 signals:
  void BarClicked(int offset, int width);

 protected:
  bool Marked(int k) const override;
  QString Below(int k) const override;
  void PressedElsewhere(QPoint at) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  SmoothingWindowLogic& logic_;
};

class CSmoothingWindow : public QDialog {
  Q_OBJECT

 public:
  CSmoothingWindow(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  ~CSmoothingWindow() override;

  SmoothingWindowLogic& logic() { return logic_; }
  SmoothingPanel* panel() const { return panel_; }
  QCheckBox* ignore_box() const { return ignore_; }
  QCheckBox* res_phs_box() const { return res_phs_; }
  QComboBox* smoother_box() const { return smoother_; }
  QCheckBox* from_data_box() const { return from_data_; }
  // What the last smoothing left: per set its smoother, the points the
  // robust one down-weighted, and the warnings of curves off their data.
  QLabel* result_label() const { return result_; }
  QPushButton* ok_button() const { return ok_; }
  // The stores changed: the slots are painted again.
  void Refresh();

 public slots:
  void Apply();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Stores& stores_;
  QtUi& ui_;
  SmoothingWindowLogic logic_;
  SmoothingPanel* panel_ = nullptr;
  QCheckBox* ignore_ = nullptr;
  QCheckBox* res_phs_ = nullptr;
  QLineEdit* res0_ = nullptr;
  QComboBox* smoother_ = nullptr;
  QCheckBox* from_data_ = nullptr;
  QLabel* result_ = nullptr;

  void ShowSmootherState();
  void ShowResult();
  QPushButton* ok_ = nullptr;
};

}  // namespace mtvuk
