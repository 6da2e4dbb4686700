// Both smoothers on every real field file that opens, XY and YX: the
// robust curve stays on the data it kept, and where the weighted spline
// leaves its data by more than a decade the robust one stays far closer.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/robust_smoothing.h"
#include "core/fielddata/smoothing.h"
#include "core/fielddata/smoothing_check.h"
#include "core/fielddata/sounding_list.h"
#include "core/store/store_defaults.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// Answers every message with its default button, silently.
class QuietUi : public Ui {
 public:
  void Post(Window, Um, std::intptr_t, std::intptr_t) override {}
  Answer MessageBox(std::string_view,
                    std::string_view,
                    Icon,
                    Buttons,
                    Answer default_button) override {
    return default_button;
  }
  void Repaint(Window) override {}
  bool EscapePending() override { return false; }
  bool LeftButtonDown() override { return false; }
  std::int64_t ClockMs() override { return 0; }
};

// Reads a file as the user would: the program's reader, else the SEG EDI
// importer; smooths `mode` with `smoother`. False when it does not open.
bool SmoothFile(const std::string& path,
                CurveMode mode,
                Smoother smoother,
                FieldSet& out) {
  auto stores = test::NewStores();
  QuietUi ui;
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

const char* const kFiles[] = {
    "15125A_spe.edi",
    "15125A_imp.edi",
    "IEB0537A_Phoenix.edi",
    "ET001.edi",
    "ET010.edi",
    "EGC020A_pho.edi",
    "EGC022_CGG.edi",
    "tf_edi_cgg.edi",
    "IEA00184_Qut.edi",
    "tf_edi_quantec.edi",
    "tf_edi_spectra_in.edi",
    "tf_edi_rho_only.edi",
    "VIC100_ANSIR.edi",
    "IEB0858A_metronix.edi",
    "tf_edi_metronix.edi",
    "tf_edi_no_error.edi",
    "pb23c.edi",
    "11_LF_z.edi",
    "tf_edi_spectra_out.edi",
    "BP02.edi",
    "tf_edi_empower.edi",
    "c07cp1.edi",
};

TEST(RobustSmootherOnRealFiles, StaysOnTheDataItKept) {
  std::vector<std::string> paths;
  for (const char* f : kFiles) paths.push_back(test::RealDataPath(f));
  paths.push_back(test::ExamplePath("15125A_spe.edi"));
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
      double c = -1.0;
      if (SmoothFile(path, mode, Smoother::kClassic, classic)) {
        c = MeasureDeparture(classic).largest;
        if (c > 1.0) {
          ++far_sets;
          EXPECT_LE(r.largest, c / 3.0);
          EXPECT_FALSE(SmoothingWarnings(classic).empty());
        }
      }
      std::printf(
          "%-28s %s  points %3d  down-weighted %2d  largest "
          "departure robust %.3f  classic %.3f\n",
          path.substr(path.find_last_of('/') + 1).c_str(),
          mode == CurveMode::XY ? "XY" : "YX",
          r.points,
          r.downweighted,
          r.largest,
          c);
    }
  }
  // The files that open give about forty sets; four of them lead the
  // weighted spline more than a decade away.
  EXPECT_GE(sets, 30);
  EXPECT_GE(far_sets, 4);
}

}  // namespace
}  // namespace mtvuk
