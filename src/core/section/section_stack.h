// The stack of up to five profile sections: which slot a new section takes,
// its number, hiding and showing, deleting, and the "Se&ction" menu that
// lists them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/platform/ui.h"
#include "core/store/section_store.h"

namespace mtvuk {

// Filter of the open dialog of "Se&ction" > "&New": text, then patterns.
inline constexpr char kSectionFileFilter[] =
    "INT files (*.int) (results of inversion)|*.int|TRF files (*.trf) "
    "(pseoudosection)|*.trf|All Files (*.*)|*.*||";

// The first slot whose number is below 0, or -1 when all five are taken.
int FirstFreeSlot(const SectionStack& stack);

// Takes the slot for a new section: the counter grows by one and becomes
// the slot's number; the section is shown. Returns the number.
int TakeSlot(SectionStack& stack, int slot);
// "No" in the close query: the window is hidden, the slot stays taken.
void HideSection(SectionStack& stack, int slot);
// Menu items "&1".."&5": the section is shown again.
void ShowSection(SectionStack& stack, int slot);
// "Yes" in the close query, or the delete dialog: the slot is free again.
void FreeSlot(SectionStack& stack, int slot);

// One item of the "Se&ction" menu below "&New".
struct SectionMenuItem {
  int slot = -1;
  std::string text;  // "Section %d"
  bool checked = false;  // the section's window is shown
};

// The items for the sections that exist, in slot order (not in number
// order); the slot of each item goes into the stack's menu table, whose
// unused places become -1.
std::vector<SectionMenuItem> RebuildSectionMenu(SectionStack& stack);
// The slot of menu item `item` (0-based), or -1 when the item lists no
// section.
int MenuItemSlot(const SectionStack& stack, int item);

// The slot that a message naming stack entry `entry` goes to, or -1 when
// the entry holds no section (the message is then dropped).
int ForwardSlot(const SectionStack& stack, std::intptr_t entry);

// What the delete dialog ("Delete Section") offers and does: one line
// "Section %d" per entry of the stack, in slot order.
class SectionDeleteChoice {
 public:
  explicit SectionDeleteChoice(const SectionStack& stack);
  const std::vector<std::string>& lines() const { return lines_; }
  // The slot of list line `line`.
  int LineSlot(int line) const { return slots_[line]; }
  // "&Delete": refuses an empty selection with "Nothing selected"; else
  // frees every selected slot. `selected` holds list lines.
  bool Delete(SectionStack& stack, const std::vector<int>& selected, Ui& ui);

 private:
  std::vector<std::string> lines_;
  std::vector<int> slots_;
};

// What the view does to create a section when the map confirms a profile.
struct SectionCreation {
  // Runs the delete dialog, which frees the slots the user chose (none
  // when cancelled).
  std::function<void()> run_delete_dialog;
  // Closes and discards the window of a slot that the dialog freed.
  std::function<void(int slot)> discard_window;
};

// Finds a slot for a new section, through the delete dialog when all five
// are taken, and takes it. Returns the slot, or -1 after "There are no room
// to create new SECTION" when no slot could be freed.
int CreateSectionSlot(SectionStack& stack,
                      Ui& ui,
                      const SectionCreation& creation);

}  // namespace mtvuk
