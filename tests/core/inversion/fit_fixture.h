// The fixture of the fit tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sounding_list.h"
#include "core/inversion/inversion.h"
#include "core/platform/scripted_ui.h"
#include "synthetic_sounding.h"
#include "util/test_util.h"

namespace mtvuk::test {

// Session stores and scripted messages; model 1 is fitted to field set 1.
class FitTest : public testing::Test {
 protected:
  std::unique_ptr<Stores> stores_ = NewStores();
  ScriptedUi ui_;
  Workspace& ws() { return stores_->workspace; }
  LayerModel& model() { return stores_->models[0]; }
  FieldSet& set() { return stores_->sets[0]; }
  InversionResult Run() {
    return RunInversion(ws(), stores_->sets, stores_->models, ui_);
  }
  // A real-data file (read or EDI-imported), one polarisation in set 1.
  bool Load(const std::string& name, CurveMode mode, bool import = false) {
    const std::string path = RealDataPath(name);
    const bool read = import ? ImportEdiFile(path, ws(), ui_)
                             : ReadFieldFile(path, ws(), ui_);
    if (!read) {
      for (const Prompt& p : ui_.prompts())
        ADD_FAILURE() << p.caption << ": " << p.text;
      return false;
    }
    SoundingList list(ws(), stores_->sets, stores_->models, ui_);
    return list.SetTick(mode, true) && list.Ok();
  }
};

}  // namespace mtvuk::test
