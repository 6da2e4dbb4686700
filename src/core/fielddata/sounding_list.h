// What the sounding-list dialog does, without the window: which modes are
// ticked, which slot each goes to, and what "OK" loads.
#pragma once

#include <array>
#include <string>

#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

class SoundingList {
 public:
  // States of the slot box: 0 or less free, 1 chosen or in use; slots
  // holding a curve start with their in-use value.
  static constexpr int kLockedState = 32000;

  SoundingList(Workspace& workspace,
               FieldSets& sets,
               LayerModels& models,
               Ui& ui);

  // "CONTENTS OF FILE: " and the name of the file read.
  std::string Caption() const;

  // Ticks or clears a mode. Ticking takes the first free slot; when none is
  // free the user is told and the tick is undone. Returns the tick state.
  bool SetTick(CurveMode mode, bool on);
  void DoubleClickSlot(int slot);
  // Frees every slot and clears every tick.
  void EmptyBox();
  // Loads the ticked modes into their slots. Returns false when the user
  // chose to go back to the dialog.
  bool Ok();

  // Text the slot box shows for a slot: the mode text of a chosen slot, the
  // label of a slot in use, or twelve blanks.
  std::string SlotText(int slot) const;
  int slot_state(int slot) const { return state_[slot]; }
  int chosen_slot(CurveMode mode) const {
    return chosen_[static_cast<int>(mode)];
  }
  bool ticked(CurveMode mode) const { return chosen_slot(mode) >= 0; }

 private:
  Workspace& workspace_;
  FieldSets& sets_;
  LayerModels& models_;
  Ui& ui_;
  std::array<int, MaxSets> state_{};
  std::array<int, kCurveModes> chosen_{-1, -1, -1, -1};
};

}  // namespace mtvuk
