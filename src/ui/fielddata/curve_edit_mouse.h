// The mouse on the curve graph while field data are edited: a left drag
// moves a point of the marked set, Ctrl+left click switches it off or on,
// Shift+left click inverts its sign. Elsewhere the graph pans and zooms as
// always; moving the pointer tells which point lies under it.
#pragma once

#include <QObject>

#include "core/fielddata/field_editing.h"
#include "ui/graph/curve_graph.h"

namespace mtvuk {

// Pixels between the pointer and a point that still hit it.
inline constexpr double kHitRadius = 8.0;

class CurveEditMouse : public QObject {
  Q_OBJECT

 public:
  CurveEditMouse(CurveGraph* graph, QObject* parent = nullptr);
  // The editor of the open "Edit data" window; nullptr when it is closed.
  void SetEditor(FieldEditor* editor);
  FieldEditor* editor() const { return editor_; }

  // The actions of the mouse, in pixels of the graph (what the events
  // call; tests call them directly).
  bool Press(QPointF pixel, Qt::KeyboardModifiers modifiers);
  bool Move(QPointF pixel);
  bool Release();

 signals:
  // The point under the pointer (set -1: none).
  void PointHovered(int set, int point);
  // The marked set was edited: the graph is drawn again.
  void Changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CurveGraph* graph_;
  FieldEditor* editor_ = nullptr;
};

}  // namespace mtvuk
