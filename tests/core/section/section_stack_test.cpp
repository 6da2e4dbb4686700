#include "core/section/section_stack.h"

#include <gtest/gtest.h>

#include "core/platform/scripted_ui.h"

namespace mtvuk {
namespace {

std::vector<std::string> Texts(const std::vector<SectionMenuItem>& items) {
  std::vector<std::string> texts;
  for (const SectionMenuItem& item : items) texts.push_back(item.text);
  return texts;
}

TEST(SectionStackTest, SlotsAndNumbersAfterDeletesAndHides) {
  SectionStack stack;
  ScriptedUi ui;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(CreateSectionSlot(stack, ui, {}), i);
    EXPECT_EQ(stack.entries[i].number, i + 1);
    EXPECT_EQ(stack.entries[i].state, -1);
  }
  EXPECT_EQ(FirstFreeSlot(stack), -1);

  // A sixth section: the delete dialog frees section 2's slot for it.
  std::vector<int> discarded;
  SectionCreation creation;
  creation.run_delete_dialog = [&] {
    SectionDeleteChoice choice(stack);
    ASSERT_EQ(choice.lines().size(), 5u);
    EXPECT_EQ(choice.lines()[1], "Section 2");
    EXPECT_TRUE(choice.Delete(stack, {1}, ui));
  };
  creation.discard_window = [&](int slot) { discarded.push_back(slot); };
  EXPECT_EQ(CreateSectionSlot(stack, ui, creation), 1);
  EXPECT_EQ(discarded, std::vector<int>{1});
  EXPECT_EQ(stack.entries[1].number, 6);
  EXPECT_EQ(stack.counter, 6);

  // The menu lists in slot order; a hidden section is listed unchecked.
  HideSection(stack, 3);
  const auto items = RebuildSectionMenu(stack);
  EXPECT_EQ(
      Texts(items),
      (std::vector<std::string>{
          "Section 1", "Section 6", "Section 3", "Section 4", "Section 5"}));
  EXPECT_TRUE(items[1].checked);
  EXPECT_FALSE(items[3].checked);
  EXPECT_EQ(stack.entries[3].number, 4);
  EXPECT_EQ(MenuItemSlot(stack, 1), 1);
  ShowSection(stack, MenuItemSlot(stack, 3));
  EXPECT_EQ(stack.entries[3].state, -1);

  // Freed slots leave the menu, and numbers are never used again.
  FreeSlot(stack, 0);
  FreeSlot(stack, 4);
  EXPECT_EQ(Texts(RebuildSectionMenu(stack)),
            (std::vector<std::string>{"Section 6", "Section 3", "Section 4"}));
  EXPECT_EQ(stack.menu_slots[3], -1);
  EXPECT_EQ(MenuItemSlot(stack, 3), -1);
  EXPECT_EQ(CreateSectionSlot(stack, ui, {}), 0);
  EXPECT_EQ(stack.entries[0].number, 7);
  EXPECT_TRUE(ui.prompts().empty());
}

TEST(SectionStackTest, FiveHiddenSectionsFillTheStackAndStillForward) {
  SectionStack stack;
  ScriptedUi ui;
  for (int i = 0; i < 5; ++i) {
    TakeSlot(stack, i);
    HideSection(stack, i);
  }
  EXPECT_EQ(FirstFreeSlot(stack), -1);
  int dialogs = 0;
  SectionCreation creation;
  // Cancelled, or an empty selection: nothing is freed, nothing created.
  creation.run_delete_dialog = [&] {
    ++dialogs;
    SectionDeleteChoice choice(stack);
    ui.Allow("Can't delete section");
    EXPECT_FALSE(choice.Delete(stack, {}, ui));
  };
  creation.discard_window = [](int) { ADD_FAILURE() << "discarded"; };
  ui.Expect("CREATE SECTION", Answer::kOk);
  EXPECT_EQ(CreateSectionSlot(stack, ui, creation), -1);
  EXPECT_EQ(dialogs, 1);
  EXPECT_TRUE(ui.AllExpectedShown());
  ASSERT_EQ(ui.prompts().size(), 2u);
  EXPECT_EQ(ui.prompts()[0].text, "Nothing selected");
  EXPECT_EQ(ui.prompts()[1].text, "There are no room to create new SECTION");
  EXPECT_EQ(stack.counter, 5);
  for (const SectionEntry& e : stack.entries) EXPECT_EQ(e.state, 1);

  // Forwarding keeps shown and hidden sections and drops free slots.
  ShowSection(stack, 1);
  EXPECT_EQ(ForwardSlot(stack, 1), 1);
  EXPECT_EQ(ForwardSlot(stack, 2), 2);  // hidden windows still recolour
  FreeSlot(stack, 0);
  for (int entry : {0, 5, -1}) EXPECT_EQ(ForwardSlot(stack, entry), -1);
  HideSection(stack, 0);  // a free slot stays free
  EXPECT_EQ(stack.entries[0].state, -1);
}

}  // namespace
}  // namespace mtvuk
