// Editing field curves by hand: a point's value moved in the quantity the
// curve graph shows, points switched off and on, signs inverted, the curve
// cut at a period, with undo and a way back to the set as it was read.
#pragma once

#include <string>
#include <vector>

#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

// The quantity the curve graph shows, in the order of its switches.
enum class Quantity { kResistivity, kPhase, kRealZ, kImagZ };

// Point i of a set as the curve graph draws it: the value in the quantity
// (magnitudes when `absolute`), the lengths of its error bar below and
// above, and whether it can be drawn at all (a logarithmic axis cannot
// show values of 0 or less).
struct PointDisplay {
  double period = 0.0;  // s
  double value = 0.0;
  double minus = 0.0;
  double plus = 0.0;
  bool drawable = false;
};
PointDisplay DisplayOf(const FieldSet& set,
                       int i,
                       Quantity quantity,
                       bool absolute);

// A switched-off point: left out of the fit, the smoothing and the depth
// profiles.
inline bool PointOff(const FieldSet& set, int i) {
  return set.point_deleted[i] != 0 || set.point_use[i] == 0.0f;
}

// The lines of the "INFO" window for point i of set k: the set, the point,
// its period, value and error in the quantity shown, and its flag.
std::string PointInfoText(
    const FieldSet& set, int k, int i, Quantity quantity, bool absolute);

inline constexpr char kEditCaption[] = "Edit field data";

// The commands the "INFO" window posts to the view (UM_INFOCOMMAND): the
// first parameter is the command, the second the set and the point.
inline constexpr int kInfoSwitchPoint = 1;
inline constexpr int kInfoInvertSign = 2;
inline constexpr long InfoPoint(int set, int point) {
  return set * 256L + point;
}
inline constexpr int InfoSet(long lparam) {
  return static_cast<int>(lparam / 256);
}
inline constexpr int InfoPointIndex(long lparam) {
  return static_cast<int>(lparam % 256);
}
inline constexpr int kMaxUndoEdits = 100;

// The logic of the "Edit data" window and of the mouse on the curve graph.
// Every change acts on the marked set; a completed change can be undone.
// A set that has been smoothed is smoothed again after each change with
// the last smoothing settings, so that the smoothed curve and the depth
// profiles follow the edit.
class FieldEditor {
 public:
  FieldEditor(Workspace& workspace, FieldSets& sets, Ui& ui);

  // A click on the colour rectangle of set k: marks it, or takes the mark
  // away when it is marked. Sets without a curve do not react.
  bool ToggleMark(int k);
  int marked() const { return marked_; }

  // Left button on point i of the marked set, moves with the button held
  // (the new value in the quantity shown), release. A drag is one edit.
  bool BeginDrag(int i);
  bool DragTo(double value, Quantity quantity, bool absolute);
  void EndDrag();
  bool dragging() const { return drag_point_ >= 0; }
  int drag_point() const { return drag_point_; }

  // Sets the value of point i in `quantity`; the other quantities and the
  // error bars follow. False (nothing changed) for a value that cannot be
  // shown there (not a number; zero or less for resistivity or a
  // magnitude).
  bool SetValue(int i, double value, Quantity quantity, bool absolute);
  // Ctrl+left button: switches point i off, or on again.
  bool TogglePoint(int i);
  // Shift+left button: inverts the sign of the quantity shown at point i
  // (a phase and Im Z by conjugating the impedance, Re Z by negating it).
  // Refused for resistivity, which has no sign.
  bool InvertSign(int i, Quantity quantity);
  // "Delete points from:": switches off every point whose period is `from`
  // seconds or more. The number of points switched off.
  int DeleteFrom(double from);
  // The text of the "Delete points from:" field: a positive number of
  // seconds, else the reason through the message service.
  bool DeleteFromText(const std::string& text);

  // Ctrl+Z: back to the state before the last edit of any set.
  bool Undo();
  bool CanUndo() const { return !history_.empty(); }
  // The marked set as it was loaded (itself an edit that Undo takes back).
  bool RestoreAsRead();

  // The sets changed (loaded, reset): the edits of a set loaded anew are
  // forgotten, a mark on an empty set goes.
  void Refresh();
  // The window closes: the mark goes and the workspace marker is -100.
  void Close();

 private:
  struct Edit {
    int set = 0;
    std::vector<std::pair<int, FieldPoint>> before;
  };
  bool Editable(int i) const;
  bool ChangeValue(int i, double value, Quantity quantity, bool absolute);
  void ShowMarks();
  bool SetImpedance(int i, double re, double im);
  // Records `edit` when it changed anything and lets the smoothing and the
  // windows follow.
  void Commit(Edit edit);
  void Follow(int set);

  Workspace& workspace_;
  FieldSets& sets_;
  Ui& ui_;
  int marked_ = -1;
  int drag_point_ = -1;
  Edit drag_;
  std::vector<Edit> history_;
};

}  // namespace mtvuk
