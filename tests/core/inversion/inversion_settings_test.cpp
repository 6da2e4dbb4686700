#include "core/inversion/inversion_settings.h"

#include <gtest/gtest.h>

#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

TEST(MainSetting, TargetsAndNotices) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  MainSetting s = MainSetting::Load(stores->workspace);
  EXPECT_EQ(s.Target(), 1);
  s.Apply(stores->workspace, ui);  // nothing changed: target kept
  EXPECT_EQ(stores->workspace.inversion_target, 1);
  s.target = {false, false, false, false, false};
  EXPECT_EQ(s.Target(), 1);  // no box checked is target 1
  s.target = {true, false, false, true, true};
  EXPECT_EQ(s.Target(), 5);  // the later box wins
  s.amount = 31;
  EXPECT_EQ(s.Validate()->first, 0);
  s.amount = 0;
  EXPECT_EQ(s.Validate()->second, "Please enter an integer between 1 and 30.");
  s.amount = 12;
  s.delta = 1.6;
  EXPECT_EQ(s.Validate()->second,
            "Please enter a number between 1.0001 and 1.5.");
  s.delta = 1.2;
  ASSERT_FALSE(s.Validate());
  ui.ClearRecords();
  s.Apply(stores->workspace, ui);
  EXPECT_EQ(stores->workspace.inversion_target, 5);
  EXPECT_EQ(stores->workspace.iteration_amount, 12);
  std::vector<Um> posted;
  for (const PostedMessage& p : ui.posts()) posted.push_back(p.message);
  EXPECT_EQ(posted,
            (std::vector<Um>{Um::UM_SETSCHANGED,
                             Um::UM_FITCLOSE,
                             Um::UM_MODELSCHANGED,
                             Um::UM_RATIOOPEN}));
}

TEST(VariationLimits, DefaultsAllLayersAndRanges) {
  auto stores = test::NewStores();
  LayerModel& m = stores->models[0];
  m.fix_resistivity[2] = 1;
  m.fix_thickness[4] = 1;
  VariationLimits v = VariationLimits::Load(m);
  EXPECT_EQ(v.rows[2].fix_rho, 1);
  EXPECT_FLOAT_EQ(v.rows[0].rho_min, 0.1);  // the limits of a new session
  EXPECT_EQ(v.rows[0].rho_max, 100000.0);
  v.SetDefault();
  for (const LayerLimits& r : v.rows) EXPECT_EQ(r.fix_rho + r.fix_h, 0);
  v.rows[3].rho_min = 0.5;
  v.rows[3].rho_max = 5000;
  v.SetInAllLayers(3);
  EXPECT_EQ(v.rows[15].rho_max, 5000.0);
  v.rows[7].h_max = 2e6;
  EXPECT_EQ(v.Validate()->first, 7 * 4 + 3);
  v.rows[7].h_max = 100;
  v.rows[1].rho_min = 6000;
  EXPECT_EQ(v.Validate()->second, "Min must not be above Max.");
  v.rows[1].rho_min = 1;
  ASSERT_FALSE(v.Validate());
  v.Apply(m);
  EXPECT_EQ(m.fix_resistivity[2], 0);
  EXPECT_EQ(m.resistivity_max[9], 5000.0f);
}

TEST(Attachment, EveryModelNeedsASet) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  Attachment a = Attachment::Load(stores->sets);
  EXPECT_EQ(a.table[3][3], 1);
  EXPECT_EQ(a.table[3][2], 0);
  a.table[4][4] = 0;
  ui.Allow("INVALID ATTACH");
  EXPECT_FALSE(a.Apply(stores->sets, ui));
  EXPECT_EQ(ui.prompts()[0].text,
            "Each model must be attached to Field set\nCheck attaching or Set "
            "default");
  EXPECT_EQ(stores->sets[4].attached[4], 1);  // nothing stored
  a.table[0][4] = 1;
  EXPECT_TRUE(a.Apply(stores->sets, ui));
  EXPECT_EQ(stores->sets[0].attached[4], 1);
  EXPECT_EQ(stores->sets[4].attached[4], 0);
  a.SetDefault();
  EXPECT_EQ(a.table[4][4], 1);
  EXPECT_EQ(a.table[0][4], 0);
}

}  // namespace
}  // namespace mtvuk
