#include "core/fielddata/sounding_list.h"

#include <gtest/gtest.h>

#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

class SoundingListTest : public testing::Test {
 protected:
  void SetUp() override {
    Workspace& ws = stores_->workspace;
    ws.files.field_name = "15125A_spe.edi";
    ws.sounding.station = "15125A ";
    ws.sounding.nfreq = 2;
    for (int k = 0; k < 2; ++k) {
      ws.sounding.freq[k] = 10.0f / static_cast<float>(k + 1);
      ws.sounding.zxyr[k] = ws.sounding.zxyi[k] = 5.0f;
      ws.sounding.zyxr[k] = ws.sounding.zyxi[k] = -6.0f;
    }
  }
  SoundingList List() {
    return SoundingList(
        stores_->workspace, stores_->sets, stores_->models, ui_);
  }
  std::unique_ptr<Stores> stores_ = test::NewStores();
  ScriptedUi ui_;
};

TEST_F(SoundingListTest, TicksTakeFreeSlotsAndOkLoadsThemInModeOrder) {
  stores_->sets[0].in_use = 1;  // slot 1 holds a curve already
  stores_->sets[0].label = "XY OLD";
  SoundingList list = List();
  EXPECT_EQ(list.Caption(), "CONTENTS OF FILE: 15125A_spe.edi");
  EXPECT_EQ(list.SlotText(0), "XY OLD");
  EXPECT_EQ(list.SlotText(1), "            ");
  EXPECT_TRUE(list.SetTick(CurveMode::EFF, true));
  EXPECT_TRUE(list.SetTick(CurveMode::YX, true));
  EXPECT_EQ(list.chosen_slot(CurveMode::EFF), 1);
  EXPECT_EQ(list.chosen_slot(CurveMode::YX), 2);
  EXPECT_EQ(list.SlotText(1), "EFF  ");
  ASSERT_TRUE(list.Ok());
  EXPECT_EQ(stores_->sets[1].label, "EF 15125A ");
  EXPECT_EQ(stores_->sets[2].label, "YX 15125A ");
  EXPECT_EQ(stores_->models[2].name, "YX 15125A ");
  EXPECT_EQ(stores_->sets[0].label, "XY OLD");
  EXPECT_EQ(stores_->workspace.any_set_in_use, 1);
  ASSERT_EQ(ui_.posts().size(), 1u);
  EXPECT_EQ(ui_.posts()[0].window, Window::kMainFrame);
  EXPECT_EQ(ui_.posts()[0].message, Um::UM_SETSCHANGED);
  EXPECT_TRUE(ui_.prompts().empty());
}

TEST_F(SoundingListTest, FullBoxRefusesTheExtraModes) {
  for (int k = 0; k < 4; ++k) stores_->sets[k].in_use = k + 1;
  SoundingList list = List();
  EXPECT_TRUE(list.SetTick(CurveMode::XY, true));
  EXPECT_TRUE(list.SetTick(CurveMode::YX, true));
  EXPECT_FALSE(list.SetTick(CurveMode::MEAN, true));
  EXPECT_FALSE(list.SetTick(CurveMode::EFF, true));
  EXPECT_FALSE(list.ticked(CurveMode::MEAN));
  ASSERT_EQ(ui_.prompts().size(), 2u);
  EXPECT_EQ(ui_.prompts()[0].text,
            "Unselect sets...\nor\nDelete <old> sets...");
  EXPECT_EQ(ui_.prompts()[0].icon, Icon::kExclamation);
  ASSERT_TRUE(list.Ok());
  EXPECT_EQ(stores_->sets[4].label, "XY 15125A ");
  EXPECT_EQ(stores_->sets[5].label, "YX 15125A ");
}

TEST_F(SoundingListTest, UntickDoubleClickAndEmptyBox) {
  stores_->sets[3].in_use = 4;
  SoundingList list = List();
  list.SetTick(CurveMode::XY, true);
  EXPECT_EQ(list.slot_state(0), 1);
  EXPECT_FALSE(list.SetTick(CurveMode::XY, false));  // frees the slot again
  EXPECT_EQ(list.slot_state(0), -1);
  list.DoubleClickSlot(0);  // state -1: left alone
  EXPECT_EQ(list.slot_state(0), -1);
  list.DoubleClickSlot(3);  // in use: offered for reuse
  EXPECT_EQ(list.slot_state(3), 0);
  list.DoubleClickSlot(3);  // and taken back
  EXPECT_EQ(list.slot_state(3), 1);
  list.DoubleClickSlot(3);
  list.SetTick(CurveMode::XY, true);
  EXPECT_EQ(list.chosen_slot(CurveMode::XY), 0);
  list.DoubleClickSlot(-1);
  list.DoubleClickSlot(6);
  list.EmptyBox();
  for (int k = 0; k < MaxSets; ++k) EXPECT_EQ(list.slot_state(k), -1);
  EXPECT_FALSE(list.ticked(CurveMode::XY));
  // Everything is free now, even a slot that holds a curve.
  list.SetTick(CurveMode::YX, true);
  EXPECT_EQ(list.chosen_slot(CurveMode::YX), 0);
}

TEST_F(SoundingListTest, NothingTickedAsksToTryAgain) {
  stores_->workspace.model_form_open = true;
  stores_->workspace.depth_window_open = true;
  SoundingList list = List();
  ui_.Expect("Nothing Z selected", Answer::kYes);
  EXPECT_FALSE(list.Ok());  // back to the dialog
  EXPECT_TRUE(ui_.posts().empty());
  ui_.Expect("Nothing Z selected", Answer::kCancel);
  EXPECT_TRUE(list.Ok());
  EXPECT_TRUE(ui_.AllExpectedShown());
  EXPECT_EQ(ui_.prompts()[0].text, "Try again ?");
  EXPECT_EQ(ui_.prompts()[0].buttons, Buttons::kYesNoCancel);
  EXPECT_EQ(ui_.prompts()[0].icon, Icon::kQuestion);
  for (const FieldSet& s : stores_->sets) EXPECT_EQ(s.in_use, -1);
  ASSERT_EQ(ui_.posts().size(), 3u);
  EXPECT_EQ(ui_.posts()[1].window, Window::kDepthWindow);
  EXPECT_EQ(ui_.posts()[2].window, Window::kModelForm);
  EXPECT_EQ(ui_.posts()[2].message, Um::UM_MODELSYNC);
}

}  // namespace
}  // namespace mtvuk
