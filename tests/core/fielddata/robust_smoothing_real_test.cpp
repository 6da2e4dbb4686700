// Both smoothers on every real field file that opens, XY and YX: the
// robust curve stays on the data it kept, and where the weighted spline
// leaves its data by more than a decade the robust one stays far closer.
#include <gtest/gtest.h>

#include <string>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/robust_smoothing.h"
#include "core/fielddata/smoothing.h"
#include "core/fielddata/smoothing_check.h"
#include "core/fielddata/sounding_list.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// Reads a file as the user would: the program's reader, else the SEG EDI
// importer; smooths `mode` with `smoother`. False when it does not open.
bool SmoothFile(const std::string& path,
                CurveMode mode,
                Smoother smoother,
                FieldSet& out) {
  auto stores = test::NewStores();
  ScriptedUi ui;  // every message answered with its default button
  if (!ReadFieldFile(path, stores->workspace, ui) &&
      !ImportEdiFile(path, stores->workspace, ui)) {
    return false;
  }
  SoundingList list(stores->workspace, stores->sets, stores->models, ui);
  if (!list.SetTick(mode, true) || !list.Ok()) return false;
  FieldSet& set = stores->sets[list.chosen_slot(mode)];
  SmoothingOptions options = SmoothingOptions::From(stores->workspace);
  options.smoother = smoother;
  set.effective_count = EffectiveCount(set);
  if (!SmoothMarkedSet(stores->workspace, set, options, ui)) return false;
  out = set;
  return true;
}

TEST(RobustSmootherOnRealFiles, StaysOnTheDataItKept) {
  std::vector<std::string> paths;
  for (const std::string& f : test::RealFileNames(".edi"))
    paths.push_back(test::RealDataPath(f));
  paths.push_back(test::ExamplePath("15125A_imp.plt"));
  int sets = 0, far_sets = 0;
  for (const std::string& path : paths) {
    for (const CurveMode mode : {CurveMode::XY, CurveMode::YX}) {
      SCOPED_TRACE(path + (mode == CurveMode::XY ? " XY" : " YX"));
      FieldSet robust, classic;
      if (!SmoothFile(path, mode, Smoother::kRobust, robust)) continue;
      ++sets;
      const SmoothingDeparture r = MeasureDeparture(robust);
      EXPECT_LE(r.largest, 0.5);
      EXPECT_GT(r.points, 0);
      // Only a few points of a real sounding are left out.
      EXPECT_LE(r.downweighted, r.points / 5 + 1);
      if (SmoothFile(path, mode, Smoother::kClassic, classic) &&
          MeasureDeparture(classic).largest > 1.0) {
        ++far_sets;
        EXPECT_LE(r.largest, MeasureDeparture(classic).largest / 3.0);
        EXPECT_FALSE(SmoothingWarnings(classic).empty());
      }
    }
  }
  // The files that open give about forty sets; four of them lead the
  // weighted spline more than a decade away.
  EXPECT_GE(sets, 30);
  EXPECT_GE(far_sets, 4);
}

}  // namespace
}  // namespace mtvuk
