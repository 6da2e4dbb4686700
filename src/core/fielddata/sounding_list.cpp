#include "core/fielddata/sounding_list.h"

#include "core/fielddata/field_curve.h"
#include "core/store/store_defaults.h"

namespace mtvuk {

SoundingList::SoundingList(Workspace& workspace,
                           FieldSets& sets,
                           LayerModels& models,
                           Ui& ui)
    : workspace_(workspace), sets_(sets), models_(models), ui_(ui) {
  for (int k = 0; k < MaxSets; ++k) state_[k] = sets_[k].in_use;
}

std::string SoundingList::Caption() const {
  return "CONTENTS OF FILE: " + workspace_.files.field_name;
}

bool SoundingList::SetTick(CurveMode mode, bool on) {
  int& chosen = chosen_[static_cast<int>(mode)];
  if (!on) {
    if (chosen >= 0) state_[chosen] = -1;
    chosen = -1;
    return false;
  }
  if (chosen >= 0) return true;
  for (int k = 0; k < MaxSets; ++k) {
    if (state_[k] <= 0) {
      state_[k] = 1;
      chosen = k;
      return true;
    }
  }
  ui_.Show("Unselect sets...\nor\nDelete <old> sets...",
           "The SET's BOX is full",
           Icon::kExclamation);
  return false;
}

void SoundingList::DoubleClickSlot(int slot) {
  if (slot < 0 || slot >= MaxSets) return;
  int& s = state_[slot];
  if (s == 0) {
    s = 1;
  } else if (s >= 1 && s < kLockedState) {
    s = 0;
  }
}

void SoundingList::EmptyBox() {
  state_.fill(-1);
  chosen_.fill(-1);
}

bool SoundingList::Ok() {
  bool any = false;
  for (int c : chosen_) any = any || c >= 0;
  if (!any && ui_.MessageBox("Try again ?",
                             "Nothing Z selected",
                             Icon::kQuestion,
                             Buttons::kYesNoCancel,
                             Answer::kYes) == Answer::kYes) {
    return false;
  }
  for (int m = 0; m < kCurveModes; ++m) {
    if (chosen_[m] >= 0) {
      LoadFieldSet(
          chosen_[m], static_cast<CurveMode>(m), workspace_, sets_, models_);
    }
  }
  UpdateSetFlags(workspace_, sets_);
  ui_.Post(Window::kMainFrame, Um::UM_SETSCHANGED, 0, 0);
  if (workspace_.depth_window_open) {
    ui_.Post(Window::kDepthWindow, Um::UM_SETSCHANGED, 0, 0);
  }
  if (workspace_.model_form_open) {
    ui_.Post(Window::kModelForm, Um::UM_MODELSYNC, 0, 0);
  }
  return true;
}

std::string SoundingList::SlotText(int slot) const {
  for (int m = kCurveModes - 1; m >= 0; --m) {
    if (chosen_[m] == slot) return ModeSlotText(static_cast<CurveMode>(m));
  }
  if (state_[slot] > 0) return sets_[slot].label;
  return "            ";
}

}  // namespace mtvuk
