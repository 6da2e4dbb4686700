// Bad input never crashes the reader, never touches the field sets and
// always ends with a message or a complete read.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/fielddata/field_file_reader.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

bool ReadsOrExplains(const std::string& content) {
  auto stores = test::NewStores();
  ScriptedUi ui;
  test::TempFile file(content);
  bool ok = ReadFieldFile(file.path(), stores->workspace, ui);
  const SoundingBuffer& sb = stores->workspace.sounding;
  EXPECT_GE(sb.nfreq, 0);
  EXPECT_LE(sb.nfreq, MaxFreq);
  EXPECT_LE(sb.listing_count, kListingLines);
  EXPECT_EQ(stores->sets[0].in_use, -1);
  return ok || !ui.prompts().empty();
}

TEST(ReaderRobustness, HostileFiles) {
  EXPECT_TRUE(ReadsOrExplains(""));
  EXPECT_TRUE(ReadsOrExplains("\n\n\n"));
  EXPECT_TRUE(ReadsOrExplains(">"));
  EXPECT_TRUE(ReadsOrExplains(">HEAD\n>ZXXR"));
  EXPECT_TRUE(ReadsOrExplains(">HEAD\n>SPECTRA"));
  EXPECT_TRUE(ReadsOrExplains(">HEAD\n DATAID=\"\n>SPECTRA FREQ= AVGT=\n"));
  EXPECT_TRUE(
      ReadsOrExplains(">HEAD\n DATAID=\"X\"\n>SPECTRA FREQ=1 AVGT=0\n1\n"));
  std::string garbage;
  std::mt19937 rng(7);
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>(rng() & 0xff);
  EXPECT_TRUE(ReadsOrExplains(garbage));
  EXPECT_TRUE(ReadsOrExplains(">HEAD\n" + garbage + "\n>ZXXR\n" + garbage));
  // A line of several megabytes, inside a data block.
  std::string huge(5u << 20, ' ');
  for (std::size_t i = 10; i < huge.size(); i += 12) huge[i] = '7';
  EXPECT_TRUE(ReadsOrExplains(">HEAD\n DATAID=\"BIG\"\n>FREQ\n" + huge +
                              "\n>ZXXR\n" + huge));
  EXPECT_TRUE(
      ReadsOrExplains(">HEAD\n DATAID=\"N\"\n>SPECTRA FREQ=nan AVGT=inf\n" +
                      std::string(7, '\n') + ">END\n"));
}

TEST(ReaderRobustness, NonFiniteValuesRefuseTheFileAndHugeOnesAreKept) {
  auto read = [](const std::string& values, ScriptedUi& ui) {
    std::string text = ">HEAD\n  DATAID=\"NAN\"\n";
    for (const char* k : kSoundingKeywords) text += std::string(k) + values;
    auto stores = test::NewStores();
    test::TempFile file(text, ".plt");
    const bool ok = ReadFieldFile(file.path(), stores->workspace, ui);
    // The points are sorted by falling frequency: 1e32 Hz comes first.
    return std::make_pair(ok, stores->workspace.sounding.zxyr[0]);
  };
  ScriptedUi refused;
  EXPECT_FALSE(read("\n  1.0e+00   nan  1.0e+32  -inf\n", refused).first);
  ASSERT_EQ(refused.prompts().size(), 1u);
  EXPECT_EQ(refused.prompts()[0].text,
            "Frequency 2 of block '>FREQ' is not a positive number (nan Hz)" +
                std::string(ImportHintText(ImportHint::kMenu)));
  ScriptedUi kept;
  const auto [ok, zxyr] = read("\n  1.0e+00  2.0e+00  1.0e+32\n", kept);
  EXPECT_TRUE(ok);
  EXPECT_EQ(zxyr, 1e32f);
  EXPECT_TRUE(kept.prompts().empty());
}

}  // namespace
}  // namespace mtvuk
