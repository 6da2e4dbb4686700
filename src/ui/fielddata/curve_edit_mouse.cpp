#include "ui/fielddata/curve_edit_mouse.h"

#include <QMouseEvent>

namespace mtvuk {

CurveEditMouse::CurveEditMouse(CurveGraph* graph, QObject* parent)
    : QObject(parent), graph_(graph) {
  graph_->installEventFilter(this);
  graph_->setMouseTracking(true);
}

void CurveEditMouse::SetEditor(FieldEditor* editor) {
  if (editor_ != nullptr && editor_->dragging()) editor_->EndDrag();
  editor_ = editor;
}

bool CurveEditMouse::Press(QPointF pixel, Qt::KeyboardModifiers modifiers) {
  if (editor_ == nullptr || editor_->marked() < 0) return false;
  const int k = editor_->marked();
  const int i = graph_->NearestPoint(k, pixel, kHitRadius);
  if (i < 0) return false;  // not on a point: the graph pans
  const GraphOptions& o = graph_->options();
  if (modifiers & Qt::ControlModifier) {
    editor_->TogglePoint(i);
  } else if (modifiers & Qt::ShiftModifier) {
    editor_->InvertSign(i, o.quantity);
  } else {
    editor_->BeginDrag(i);
    return true;
  }
  emit Changed();
  emit PointHovered(k, i);
  return true;
}

bool CurveEditMouse::Move(QPointF pixel) {
  if (editor_ == nullptr) return false;
  if (editor_->dragging()) {
    const GraphOptions& o = graph_->options();
    const int k = editor_->marked();
    if (editor_->DragTo(graph_->ValueAt(pixel), o.quantity, o.absolute)) {
      emit Changed();
    }
    emit PointHovered(k, editor_->drag_point());
    return true;
  }
  int set = -1;
  const int i = graph_->PointUnder(pixel, kHitRadius, &set);
  emit PointHovered(i < 0 ? -1 : set, i);
  return false;
}

bool CurveEditMouse::Release() {
  if (editor_ == nullptr || !editor_->dragging()) return false;
  editor_->EndDrag();
  emit Changed();
  return true;
}

bool CurveEditMouse::eventFilter(QObject* watched, QEvent* event) {
  if (watched != graph_ || editor_ == nullptr) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      return Press(mouse->position(), mouse->modifiers());
    }
    case QEvent::MouseMove:
      return Move(static_cast<QMouseEvent*>(event)->position());
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return false;
      return Release();
    default:
      return false;
  }
}

}  // namespace mtvuk
