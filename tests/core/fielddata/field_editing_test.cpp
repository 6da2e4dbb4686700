// Editing field curves; the fit, smoothing and transform of points off.
#include "core/fielddata/field_editing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "core/depth/depth_transform.h"
#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sets_title.h"
#include "core/fielddata/smoothing.h"
#include "core/fielddata/sounding_list.h"
#include "core/files/recent_files.h"
#include "core/inversion/inversion.h"
#include "core/inversion/smooth_inversion.h"
#include "core/inversion/synthetic_sounding.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

constexpr double kRadToDeg = 57.29577951308232;

// Loads a file's XY curve into set 1 as if it lacked the points `without`.
void LoadXy(Stores& stores,
            Ui& ui,
            const std::string& path,
            const std::set<int>& without = {}) {
  ASSERT_TRUE(ReadFieldFile(path, stores.workspace, ui));
  SoundingBuffer& sb = stores.workspace.sounding;
  int kept = 0;
  for (int k = 0; k < sb.nfreq; ++k) {
    if (without.count(k)) continue;
    for (int a = 0; a < kSoundingArrays; ++a)
      sb.Array(a)[kept] = sb.Array(a)[k];
    ++kept;
  }
  sb.nfreq = kept;
  SoundingList list(stores.workspace, stores.sets, stores.models, ui);
  ASSERT_TRUE(list.SetTick(CurveMode::XY, true));
  ASSERT_TRUE(list.Ok());
}

bool SamePoint(const FieldPoint& a, const FieldPoint& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(FieldEditing, ValuesFlagsCutOffUndoAndRestore) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  LoadXy(*stores, ui, test::ExamplePath("15125A_imp.plt"));
  FieldSet& s = stores->sets[0];
  const int count = s.count;
  ASSERT_GT(count, 30);
  FieldEditor editor(stores->workspace, stores->sets, ui);
  // Nothing is edited before a set is marked.
  EXPECT_FALSE(editor.SetValue(5, 10.0, Quantity::kResistivity, true));
  EXPECT_FALSE(editor.TogglePoint(3));
  EXPECT_FALSE(editor.DeleteFromText("10"));
  ASSERT_EQ(ui.prompts().size(), 1u);
  EXPECT_EQ(ui.prompts()[0].text, "1. Mark either of the color rectangle");
  ASSERT_TRUE(editor.ToggleMark(0));
  EXPECT_EQ(stores->workspace.edit_marker, 0);
  EXPECT_FALSE(editor.ToggleMark(3));  // no curve in set 4

  // Resistivity doubled: phase and relative bar stay, Z grows by sqrt 2.
  s.log_rho_upper[5] = s.log_rho[5] + 0.05f;  // a 12 % bar
  const FieldPoint before = PointOf(s, 5);
  const double rho = std::pow(10.0, before.log_rho);
  ASSERT_TRUE(editor.SetValue(5, 2.0 * rho, Quantity::kResistivity, true));
  EXPECT_NEAR(s.log_rho[5], before.log_rho + std::log10(2.0), 1e-5);
  EXPECT_NEAR(s.log_rho_upper[5] - s.log_rho[5],
              before.log_rho_upper - before.log_rho,
              1e-5);
  EXPECT_NEAR(s.phase[5], before.phase, 1e-4);
  EXPECT_NEAR(
      s.re_z[5], before.re_z * std::sqrt(2.0), 1e-4 * std::fabs(before.re_z));
  EXPECT_FALSE(editor.SetValue(5, -1.0, Quantity::kResistivity, true));
  EXPECT_FALSE(editor.SetValue(5, NAN, Quantity::kPhase, true));

  // Phase set to 30 degrees: the resistivity stays, Z turns.
  ASSERT_TRUE(editor.SetValue(7, 30.0, Quantity::kPhase, true));
  EXPECT_NEAR(s.phase[7], 30.0, 1e-4);
  EXPECT_NEAR(std::atan2(s.im_z[7], s.re_z[7]) * kRadToDeg, 30.0, 1e-4);
  EXPECT_NEAR(s.log_phase[7], std::log10(30.0), 1e-6);
  EXPECT_NEAR(s.log_phase_upper[7], std::log10(30.0 + s.phase_error[7]), 1e-5);

  // Re Z: a magnitude keeps its sign; a signed value sets it.
  ASSERT_TRUE(editor.SetValue(9, 3.0, Quantity::kRealZ, true));
  EXPECT_FLOAT_EQ(s.re_z[9], 3.0f);
  ASSERT_TRUE(editor.SetValue(9, -2.0, Quantity::kImagZ, false));
  EXPECT_FLOAT_EQ(s.im_z[9], -2.0f);
  EXPECT_EQ(s.im_z_sign[9], 0);
  EXPECT_EQ(s.phase_sign[9], 0);
  EXPECT_NEAR(s.phase[9], std::atan2(2.0, 3.0) * kRadToDeg, 1e-4);

  // Inverting: not for resistivity; twice gives the point back.
  const FieldPoint eleven = PointOf(s, 11);
  EXPECT_FALSE(editor.InvertSign(11, Quantity::kResistivity));
  ASSERT_TRUE(editor.InvertSign(11, Quantity::kImagZ));
  EXPECT_EQ(s.im_z[11], -eleven.im_z);
  EXPECT_EQ(s.phase_sign[11], 1 - eleven.phase_sign);
  EXPECT_NEAR(s.phase[11], eleven.phase, 1e-4);
  ASSERT_TRUE(editor.InvertSign(11, Quantity::kRealZ));
  EXPECT_EQ(s.re_z[11], -eleven.re_z);
  EXPECT_EQ(s.re_z_sign[11], 1 - eleven.re_z_sign);
  ASSERT_TRUE(editor.InvertSign(11, Quantity::kPhase));
  ASSERT_TRUE(editor.InvertSign(11, Quantity::kRealZ));
  EXPECT_EQ(s.re_z[11], eleven.re_z);
  EXPECT_EQ(s.im_z[11], eleven.im_z);
  EXPECT_NEAR(s.log_rho_upper[11], eleven.log_rho_upper, 1e-5);
  EXPECT_NEAR(s.err_re[11], eleven.err_re, 1e-4);

  // The curve graph draws an edited point where it was put.
  const PointDisplay d = DisplayOf(s, 5, Quantity::kResistivity, true);
  EXPECT_TRUE(d.drawable);
  EXPECT_NEAR(d.value, 2.0 * rho, 1e-3 * rho);
  EXPECT_NEAR(d.period, 1.0 / s.freq[5], 1e-9);
  EXPECT_LT(DisplayOf(s, 9, Quantity::kImagZ, false).value, 0.0);
  EXPECT_NEAR(DisplayOf(s, 9, Quantity::kPhase, true).value, s.phase[9], 1e-4);
  EXPECT_NEAR(
      DisplayOf(s, 9, Quantity::kPhase, false).value, -s.phase[9], 1e-4);

  const std::string info = PointInfoText(s, 0, 7, Quantity::kPhase, true);
  EXPECT_NE(info.find("Point    8 of"), std::string::npos) << info;
  EXPECT_NE(info.find("Phs      30 Degree"), std::string::npos) << info;
  EXPECT_NE(info.find("Flag     used"), std::string::npos) << info;

  ASSERT_TRUE(editor.TogglePoint(3));
  EXPECT_EQ(s.point_deleted[3], 1);
  EXPECT_EQ(s.point_use[3], 0.0f);
  ASSERT_TRUE(editor.TogglePoint(3));
  EXPECT_FALSE(PointOff(s, 3));
  ASSERT_TRUE(editor.TogglePoint(3));

  // Every point from the period of point 30 on is switched off.
  const double from = 1.0 / s.freq[30];
  EXPECT_FALSE(editor.DeleteFromText("ten"));
  EXPECT_EQ(ui.prompts().back().text, "Please enter a number.");
  EXPECT_FALSE(editor.DeleteFromText("0"));
  EXPECT_EQ(ui.prompts().back().text,
            "Please enter a number between 1e-06 and 1000000.");
  char text[32];
  std::snprintf(text, sizeof text, " %.9g ", from);
  ASSERT_TRUE(editor.DeleteFromText(text));
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(PointOff(s, i), i >= 30 || i == 3) << i;
  }
  EXPECT_EQ(EffectiveCount(s), 30);
  EXPECT_EQ(EffectivePeriods(s), 30);

  // Undo goes back one edit at a time.
  ASSERT_TRUE(editor.Undo());
  EXPECT_FALSE(PointOff(s, 30));
  EXPECT_TRUE(PointOff(s, 3));
  ASSERT_TRUE(editor.Undo());
  EXPECT_FALSE(PointOff(s, 3));
  // The point at the period given is the first one cut off.
  EXPECT_EQ(editor.DeleteFrom(1.0 / static_cast<double>(s.freq[count - 1])), 1);
  ASSERT_TRUE(editor.Undo());

  // A drag is one edit.
  const FieldPoint start = PointOf(s, 12);
  ASSERT_TRUE(editor.BeginDrag(12));
  for (double v : {10.0, 20.0, 40.0})
    ASSERT_TRUE(editor.DragTo(v, Quantity::kPhase, true));
  editor.EndDrag();
  EXPECT_NEAR(s.phase[12], 40.0, 1e-4);
  ASSERT_TRUE(editor.Undo());
  EXPECT_TRUE(SamePoint(PointOf(s, 12), start));

  // Restore brings the set as read, and can itself be undone.
  editor.TogglePoint(20);
  editor.SetValue(21, 5.0, Quantity::kRealZ, true);
  ASSERT_TRUE(editor.RestoreAsRead());
  for (int i = 0; i < MaxFreq; ++i)
    ASSERT_TRUE(SamePoint(PointOf(s, i), s.as_read[i])) << i;
  ASSERT_TRUE(editor.Undo());
  EXPECT_TRUE(PointOff(s, 20));
  EXPECT_FLOAT_EQ(std::fabs(s.re_z[21]), 5.0f);

  // Loading the slot anew forgets its edits; closing clears the marks.
  test::LoadSet(*stores, 0, CurveMode::XY);
  EXPECT_TRUE(editor.CanUndo());
  editor.Refresh();
  EXPECT_FALSE(editor.CanUndo());
  EXPECT_FALSE(PointOff(s, 20));
  editor.Close();
  EXPECT_EQ(stores->workspace.edit_marker, -100);
  EXPECT_EQ(editor.marked(), -1);
}

// Points switched off inside and at the end; the file without them.
class SwitchedOffPoints : public testing::Test {
 protected:
  void SetUp() override {
    const std::string path = test::RealDataPath("15125A_spe.edi");
    LoadXy(*edited_, ui_, path);
    n_ = edited_->sets[0].count;
    ASSERT_GT(n_, 20);
    off_ = {0, 4, 9, 10, n_ - 2, n_ - 1};
    LoadXy(*without_, ui_, path, off_);
    FieldEditor editor(edited_->workspace, edited_->sets, ui_);
    editor.ToggleMark(0);
    for (int i : off_) ASSERT_TRUE(editor.TogglePoint(i));
    // The values of a switched-off point must not matter.
    edited_->sets[0].log_rho[9] = NAN;
    edited_->sets[0].re_z[10] = 0.0f;
    edited_->sets[0].phase[4] = 200.0f;
    editor.Close();
  }
  // Index in the set without the points of point i of the edited set.
  int Kept(int i) const {
    int k = i;
    for (int o : off_) k -= o < i ? 1 : 0;
    return k;
  }

  std::unique_ptr<Stores> edited_ = test::NewStores();
  std::unique_ptr<Stores> without_ = test::NewStores();
  ScriptedUi ui_;
  int n_ = 0;
  std::set<int> off_;
};

TEST_F(SwitchedOffPoints, FitsEqualTheFitsOfTheDataWithoutThem) {
  for (FitMethod method : {FitMethod::kRobust, FitMethod::kClassic}) {
    for (int target : {1, 5}) {
      std::vector<double> fitted[2];
      double misfit[2];
      Stores* stores[2] = {edited_.get(), without_.get()};
      for (int r = 0; r < 2; ++r) {
        Stores& st = *stores[r];
        st.workspace.fit_method = method;
        st.workspace.inversion_target = static_cast<std::int16_t>(target);
        st.workspace.iteration_amount = 8;
        LayerModel& m = st.models[0];
        test::SetLayers(m, {50, 10, 300}, {1.0, 5.0});
        InversionResult result =
            RunInversion(st.workspace, st.sets, st.models, ui_);
        ASSERT_TRUE(result.ran);
        misfit[r] = result.misfit;
        for (int j = 0; j < 3; ++j) fitted[r].push_back(m.resistivity[j]);
        fitted[r].push_back(m.thickness[0]);
        fitted[r].push_back(m.thickness[1]);
      }
      SCOPED_TRACE(testing::Message() << "method " << static_cast<int>(method)
                                      << " target " << target);
      EXPECT_TRUE(std::isfinite(misfit[0]));
      EXPECT_NEAR(misfit[0], misfit[1], 1e-9 * misfit[1]);
      for (std::size_t p = 0; p < fitted[0].size(); ++p)
        EXPECT_NEAR(fitted[0][p], fitted[1][p], 1e-7 * fitted[1][p]) << p;
    }
  }
  // So does the smooth inversion.
  for (int target : {4, 5}) {
    SmoothInversionOptions o;
    o.layers = 10;
    o.max_iterations = 2;
    o.target = target;
    const SmoothInversionResult a =
        RunSmoothInversion(edited_->sets[0], 0, o, ui_);
    const SmoothInversionResult b =
        RunSmoothInversion(without_->sets[0], 0, o, ui_);
    ASSERT_TRUE(a.ran && b.ran) << target;
    EXPECT_NEAR(a.history.front().rms, b.history.front().rms, 1e-9) << target;
    ASSERT_EQ(a.log_rho.size(), b.log_rho.size());
    for (std::size_t j = 0; j < b.log_rho.size(); ++j)
      EXPECT_NEAR(a.log_rho[j], b.log_rho[j], 1e-6) << target << " " << j;
  }
}

TEST_F(SwitchedOffPoints, SmoothingAndTransformationSkipThem) {
  edited_->workspace.smoothing.tension_position = 60;
  without_->workspace.smoothing.tension_position = 60;
  for (Stores* st : {edited_.get(), without_.get()}) {
    st->workspace.smoothing.smoother = Smoother::kClassic;
    st->sets[0].smoothing_mark = 1;
    RunSmoothingRequest(st->workspace, st->sets, ui_);
  }
  const FieldSet& a = edited_->sets[0];
  const FieldSet& b = without_->sets[0];
  EXPECT_EQ(a.effective_count, n_ - 2);  // the trailing two are left out
  for (int i = 0; i < n_ - 2; ++i) {
    if (i == 0) {
      // Before the first fitted point the spline has no value.
      EXPECT_EQ(a.smoothed_log_rho[0], -14.0f);
      continue;
    }
    if (off_.count(i)) {
      // Inside the curve a point off gets the spline's value.
      int before = i - 1;
      while (off_.count(before)) --before;
      EXPECT_NEAR(a.smoothed_log_rho[i], a.smoothed_log_rho[before], 0.3) << i;
      continue;
    }
    EXPECT_NEAR(a.smoothed_log_rho[i], b.smoothed_log_rho[Kept(i)], 1e-6) << i;
    EXPECT_NEAR(a.smoothed_slope[i], b.smoothed_slope[Kept(i)], 1e-6) << i;
  }
  FieldSet& t = edited_->sets[0];
  TransformFieldSet(t);
  for (int i = 0; i < n_ - 2; ++i) {
    if (off_.count(i)) {
      EXPECT_EQ(t.log_res[i], kMissingLog) << i;
      EXPECT_EQ(t.log_s[i], kMissingLog) << i;
    } else {
      EXPECT_GT(t.log_res[i], kMissingLog + 10.0f) << i;
      EXPECT_LT(t.depth[i], 0.0f) << i;
    }
  }

  // An edit of a smoothed set smooths it again.
  FieldEditor editor(edited_->workspace, edited_->sets, ui_);
  editor.ToggleMark(0);
  const float was = t.smoothed_log_rho[14];
  ASSERT_TRUE(editor.SetValue(14, 1000.0, Quantity::kResistivity, true));
  EXPECT_GT(t.smoothed_log_rho[14], was + 0.05f);
  // So do its undo and switching off the last used point.
  ASSERT_TRUE(editor.Undo());
  EXPECT_NEAR(t.smoothed_log_rho[14], was, 1e-6);
  ASSERT_TRUE(editor.TogglePoint(n_ - 3));
  EXPECT_EQ(t.effective_count, n_ - 3);
}

TEST(RecentFiles, MostRecentFirstEachOnceAtMostFourAndTheSetsTitle) {
  RecentFiles recent;
  for (const char* p : {"/a.edi", "/b.edi", "/c.edi", "/a.edi", "", "/d.edi"})
    recent.Add(p);
  EXPECT_EQ(recent.paths(),
            (std::vector<std::string>{"/d.edi", "/a.edi", "/c.edi", "/b.edi"}));
  recent.Add("/e.plt");
  recent.Remove("/a.edi");
  EXPECT_EQ(recent.paths(),
            (std::vector<std::string>{"/e.plt", "/d.edi", "/c.edi"}));
  const RecentFiles stored({"/x", "", "/y", "/x", "/z", "/w", "/v"});
  EXPECT_EQ(stored.paths(), (std::vector<std::string>{"/x", "/y", "/z", "/w"}));
  EXPECT_EQ(RecentFiles::MenuText(0, "/data/a&b.edi"), "&1 /data/a&&b.edi");
  EXPECT_EQ(RecentFiles::MenuText(
                3, "/home/someone/surveys/2024/eastern/line-07/15125A_spe.edi"),
            "&4 /home/.../line-07/15125A_spe.edi");
  // The title names the shown sets' stations with their modes.
  auto stores = test::NewStores();
  FieldSets& sets = stores->sets;
  const CurveMode modes[4] = {
      CurveMode::XY, CurveMode::YX, CurveMode::EFF, CurveMode::XY};
  const char* stations[4] = {"15125A", "15125A", "15125A", "ET010 "};
  for (int k = 0; k < 4; ++k) {
    sets[k].in_use = k + 1;
    sets[k].mode = modes[k];
    sets[k].station = stations[k];
  }
  std::array<bool, MaxSets> shown{true, true, false, true, true, true};
  EXPECT_EQ(SetsTitle(sets, shown), "15125A  XY, YX; ET010  XY");
  shown.fill(false);
  EXPECT_EQ(SetsTitle(sets, shown), "");
}

}  // namespace
}  // namespace mtvuk
