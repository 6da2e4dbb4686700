// The fixture of the fit tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>

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
};

}  // namespace mtvuk::test
