#include "core/section/section_stack.h"

#include "core/files/fixed_columns.h"

namespace mtvuk {

namespace {

bool ValidSlot(std::intptr_t slot) { return slot >= 0 && slot < kSectionSlots; }

}  // namespace

int FirstFreeSlot(const SectionStack& stack) {
  for (int slot = 0; slot < kSectionSlots; ++slot) {
    if (stack.entries[slot].number < 0) return slot;
  }
  return -1;
}

int TakeSlot(SectionStack& stack, int slot) {
  SectionEntry& entry = stack.entries[slot];
  entry.slot = slot;
  entry.number = ++stack.counter;
  entry.state = -1;
  return entry.number;
}

void HideSection(SectionStack& stack, int slot) {
  if (ValidSlot(slot) && stack.entries[slot].number >= 0)
    stack.entries[slot].state = 1;
}

void ShowSection(SectionStack& stack, int slot) {
  if (ValidSlot(slot) && stack.entries[slot].number >= 0)
    stack.entries[slot].state = -1;
}

void FreeSlot(SectionStack& stack, int slot) {
  if (!ValidSlot(slot)) return;
  stack.entries[slot].number = -1;
  stack.entries[slot].state = -1;
}

std::vector<SectionMenuItem> RebuildSectionMenu(SectionStack& stack) {
  std::vector<SectionMenuItem> items;
  stack.menu_slots.fill(-1);
  for (int slot = 0; slot < kSectionSlots; ++slot) {
    const SectionEntry& entry = stack.entries[slot];
    if (entry.number <= 0) continue;
    stack.menu_slots[items.size()] = slot;
    items.push_back({slot,
                     columns::Format("Section %d", entry.number),
                     entry.state == -1});
  }
  return items;
}

int MenuItemSlot(const SectionStack& stack, int item) {
  if (!ValidSlot(item)) return -1;
  const int slot = stack.menu_slots[item];
  if (!ValidSlot(slot) || stack.entries[slot].number <= 0) return -1;
  return slot;
}

int ForwardSlot(const SectionStack& stack, std::intptr_t entry) {
  if (!ValidSlot(entry)) return -1;
  return stack.entries[entry].number >= 0 ? static_cast<int>(entry) : -1;
}

SectionDeleteChoice::SectionDeleteChoice(const SectionStack& stack) {
  for (int slot = 0; slot < kSectionSlots; ++slot) {
    const int number = stack.entries[slot].number;
    if (number < 0) continue;
    lines_.push_back(columns::Format("Section %d", number));
    slots_.push_back(slot);
  }
}

bool SectionDeleteChoice::Delete(SectionStack& stack,
                                 const std::vector<int>& selected,
                                 Ui& ui) {
  bool any = false;
  for (int line : selected) {
    any = any || (line >= 0 && line < static_cast<int>(slots_.size()));
  }
  if (!any) {
    ui.Show("Nothing selected", "Can't delete section", Icon::kExclamation);
    return false;
  }
  for (int line : selected) {
    if (line >= 0 && line < static_cast<int>(slots_.size()))
      FreeSlot(stack, slots_[line]);
  }
  return true;
}

int CreateSectionSlot(SectionStack& stack,
                      Ui& ui,
                      const SectionCreation& creation) {
  int slot = FirstFreeSlot(stack);
  if (slot < 0) {
    // A cancelled dialog frees nothing, so the search below fails as well
    // and the user learns why no section appears.
    if (creation.run_delete_dialog) creation.run_delete_dialog();
    for (int s = 0; s < kSectionSlots; ++s) {
      if (stack.entries[s].number < 0 && creation.discard_window)
        creation.discard_window(s);
    }
    slot = FirstFreeSlot(stack);
    if (slot < 0) {
      ui.Show("There are no room to create new SECTION",
              "CREATE SECTION",
              Icon::kExclamation);
      return -1;
    }
  }
  TakeSlot(stack, slot);
  return slot;
}

}  // namespace mtvuk
