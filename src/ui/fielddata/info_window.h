// CInfoWindow: the modeless "INFO" window of field data editing. It shows
// the point under the pointer (set, period, value, error, flag); its
// buttons ask the view to switch that point off or on, or to invert its
// sign.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "ui/app/qt_ui.h"

namespace mtvuk {

class CInfoWindow : public QDialog {
  Q_OBJECT

 public:
  CInfoWindow(QtUi& ui, QWidget* parent = nullptr);

  // The point shown, with its lines; set -1 shows the hint.
  void ShowPoint(int set, int point, const QString& text);
  int set() const { return set_; }
  int point() const { return point_; }
  QString text() const { return text_->text(); }
  QPushButton* switch_button() const { return switch_; }
  QPushButton* invert_button() const { return invert_; }

 public slots:
  // Esc closes the window as its close button does (and tells its owner).
  void reject() override { close(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Post(int command);

  QtUi& ui_;
  QLabel* text_ = nullptr;
  QPushButton* switch_ = nullptr;
  QPushButton* invert_ = nullptr;
  int set_ = -1;
  int point_ = -1;
};

}  // namespace mtvuk
