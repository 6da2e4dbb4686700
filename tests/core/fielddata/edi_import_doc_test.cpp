// The example of docs/edi-import.md imports as the page says, so that the
// page and the importer stay together.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/fielddata/edi_import.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

TEST(EdiImportPage, TheResistivityOnlyExampleImportsAsDescribed) {
  const std::string page =
      test::ReadWholeFile(test::ExamplePath("../docs/edi-import.md"));
  const std::size_t start = page.find("```edi\n");
  ASSERT_NE(start, std::string::npos);
  const std::size_t end = page.find("```", start + 7);
  const std::string example = page.substr(start + 7, end - start - 7);
  // The page tells what comes out.
  EXPECT_NE(page.find("the field-data reader refuses it"), std::string::npos);
  EXPECT_NE(page.find("ZXYR = 50.00"), std::string::npos);

  test::TempFile file(example, ".edi");
  auto stores = test::NewStores();
  ScriptedUi ui;
  ASSERT_TRUE(ImportEdiFile(file.path(), stores->workspace, ui));
  const SoundingBuffer& sb = stores->workspace.sounding;
  EXPECT_EQ(sb.station.substr(0, 8), "RHO ONLY");
  ASSERT_EQ(sb.nfreq, 2);
  EXPECT_FLOAT_EQ(sb.freq[0], 10.0f);
  EXPECT_NEAR(std::hypot(sb.zxyr[0], sb.zxyi[0]), 70.71, 0.01);
  EXPECT_NEAR(std::hypot(sb.zyxr[0], sb.zyxi[0]), 70.71, 0.01);
  EXPECT_NEAR(sb.zxyr[0], 50.0, 0.01);
  EXPECT_FLOAT_EQ(sb.zxxr[0], 0.0f);
  EXPECT_FLOAT_EQ(sb.zyyr[1], 0.0f);
  EXPECT_FLOAT_EQ(sb.rhoxy_err[0], 5.0f);
  EXPECT_FLOAT_EQ(sb.phsyx_err[1], 1.5f);
}

}  // namespace
}  // namespace mtvuk
