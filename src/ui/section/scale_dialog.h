// "Scale": the colour bar of a section with its value axis, the shift and
// resolution arrows, the palette list, "Set default" and "Apply".
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QToolButton>

#include "core/section/colour_scale.h"
#include "core/store/workspace.h"

namespace mtvuk {

class ScaleBar;

class CScaleDlg : public QDialog {
  Q_OBJECT

 public:
  // `min` and `max` are the resistivities of the section in slot `slot`
  // (Ohm-m); "Apply" and "Set default" tell `view`.
  CScaleDlg(QWidget* parent,
            double min,
            double max,
            int slot,
            Workspace& workspace,
            QObject* view);

  const ColourScale& scale() const { return scale_; }
  // The colours the bar shows; the section gets them on "Apply" or "Set
  // default" only.
  const SectionColourBlock& shown_colours() const { return shown_; }
  QComboBox* palette_list() const { return palettes_; }
  QToolButton* shift_down() const { return shift_down_; }
  QToolButton* shift_up() const { return shift_up_; }
  QToolButton* resolution_down() const { return resolution_down_; }
  QToolButton* resolution_up() const { return resolution_up_; }

 public slots:
  void Apply();
  void SetDefault();

 private:
  friend class ScaleBar;
  // Repaints the bar with the colours it would give the section.
  void Changed();
  void TellView();

  ColourScale scale_;
  SectionColourBlock shown_;
  int slot_;
  Workspace& workspace_;
  QPointer<QObject> view_;
  ScaleBar* bar_ = nullptr;
  QLabel* state_ = nullptr;
  QComboBox* palettes_ = nullptr;
  QToolButton* shift_down_ = nullptr;
  QToolButton* shift_up_ = nullptr;
  QToolButton* resolution_down_ = nullptr;
  QToolButton* resolution_up_ = nullptr;
};

}  // namespace mtvuk
