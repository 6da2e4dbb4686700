// Every bundled example reads back to the numbers its text holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/fielddata/field_file_reader.h"
#include "core/files/int_file.h"
#include "core/files/trf_file.h"
#include "core/platform/c_number.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

namespace fs = std::filesystem;

using test::Lines;

std::vector<float> Numbers(const std::string& text) {
  std::vector<float> out;
  std::istringstream in(text);
  for (std::string token; in >> token;) {
    double v = 0.0;
    EXPECT_TRUE(ParseNumber(token, v)) << "'" << token << "' in " << text;
    out.push_back(ToF32(v));
  }
  return out;
}

void CheckIntFile(const std::string& path) {
  const std::string text = test::ReadWholeFile(path);
  const std::vector<std::string> lines = Lines(text);
  ScriptedUi ui;
  std::vector<IntSet> sets;
  std::vector<std::int32_t> positions;
  ASSERT_TRUE(LoadIntFile(path, ui, sets, positions));
  EXPECT_TRUE(ui.prompts().empty()) << ui.prompts()[0].text;
  int blocks = 0;
  for (const std::string& line : lines) blocks += line.rfind(">INVERS", 0) == 0;
  ASSERT_EQ(static_cast<int>(sets.size()), blocks) << path;
  for (std::size_t b = 0; b < sets.size(); ++b) {
    const auto at = std::count(text.begin(), text.begin() + positions[b], '\n');
    // LAT, LONG, Z and the layer count between the first five "/".
    std::string fields = lines[at].substr(lines[at].find('/') + 1);
    std::size_t end = 0;
    for (int k = 0; k < 4; ++k) end = fields.find('/', end) + 1;
    fields = fields.substr(0, end);
    for (char& c : fields) c = c == '/' ? ' ' : c;
    const std::vector<float> head = Numbers(fields);
    ASSERT_EQ(head.size(), 4u) << lines[at];
    EXPECT_EQ((std::array{sets[b].lat, sets[b].lon, sets[b].z}),
              (std::array{head[0], head[1], head[2]}));
    ASSERT_EQ(sets[b].layer_count, static_cast<int>(head[3]));
    for (int j = 0; j < sets[b].layer_count; ++j) {
      const std::vector<float> layer = Numbers(lines[at + 1 + j]);
      ASSERT_EQ(layer.size(), 2u) << lines[at + 1 + j];
      EXPECT_EQ(sets[b].resistivity[j], layer[0]) << path << " block " << b;
      EXPECT_EQ(sets[b].thickness[j], layer[1]) << path << " block " << b;
    }
  }
}

void CheckTrfFile(const std::string& path) {
  const std::string text = test::ReadWholeFile(path);
  const std::vector<std::string> lines = Lines(text);
  ScriptedUi ui;
  std::vector<SectionStation> stations;
  ResultFileKind kind = ResultFileKind::kNone;
  ASSERT_TRUE(ReadStationFile(path, ui, stations, kind));
  EXPECT_EQ(kind, ResultFileKind::kTrf);
  EXPECT_TRUE(ui.prompts().empty()) << ui.prompts()[0].text;
  int blocks = 0;
  for (const std::string& line : lines) blocks += line.rfind(">TRANSF", 0) == 0;
  ASSERT_EQ(static_cast<int>(stations.size()), blocks) << path;
  for (const SectionStation& s : stations) {
    const auto at =
        std::count(text.begin(), text.begin() + s.file_position, '\n');
    const std::vector<float> depths = Numbers(lines[at + 1].substr(13));
    const std::vector<float> res = Numbers(lines[at + 2].substr(13));
    ASSERT_EQ(static_cast<int>(depths.size()), s.depth_count) << s.name;
    ASSERT_EQ(static_cast<int>(res.size()), s.depth_count) << s.name;
    for (int i = 0; i < s.depth_count; ++i) {
      EXPECT_EQ(s.depth[i], depths[i]) << s.name << " value " << i;
      EXPECT_EQ(s.depth_resistivity[i], res[i]) << s.name << " value " << i;
    }
    // Depths grow; resistivities of rock (a runaway fit once wrote 4e9).
    for (int i = 1; i < s.depth_count; ++i)
      EXPECT_GT(s.depth[i], s.depth[i - 1]);
    for (int i = 0; i < s.depth_count; ++i) {
      EXPECT_GT(s.depth_resistivity[i], 0.1f) << s.name;
      EXPECT_LT(s.depth_resistivity[i], 1e5f) << s.name;
    }
  }
}

void CheckPltFile(const std::string& path) {
  const std::vector<std::string> lines = Lines(test::ReadWholeFile(path));
  auto stores = test::NewStores();
  ScriptedUi ui;
  ASSERT_TRUE(ReadFieldFile(path, stores->workspace, ui));
  EXPECT_TRUE(ui.prompts().empty()) << ui.prompts()[0].text;
  const SoundingBuffer& sb = stores->workspace.sounding;
  for (int b = 0; b < kSoundingArrays; ++b) {
    const std::string key = kSoundingKeywords[b];
    std::size_t i = 0;
    while (i < lines.size() && lines[i].rfind(key, 0) != 0) ++i;
    ASSERT_LT(i, lines.size()) << key;
    std::vector<float> values;
    for (++i; i < lines.size() && lines[i].rfind(">", 0) != 0; ++i) {
      for (float v : Numbers(lines[i])) values.push_back(v);
    }
    ASSERT_EQ(static_cast<int>(values.size()), sb.nfreq) << path << " " << key;
    for (int k = 0; k < sb.nfreq; ++k)
      EXPECT_EQ(sb.Array(b)[k], values[k]) << path << " " << key << " " << k;
  }
}

TEST(BundledExamples, EveryFileReadsBackToTheValuesWrittenInIt) {
  const fs::path dir = test::ExamplePath("");
  int checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string path = entry.path().string();
    std::string ext = entry.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(c));
    SCOPED_TRACE(path);
    if (ext == ".int") {
      CheckIntFile(path);
    } else if (ext == ".trf") {
      CheckTrfFile(path);
    } else if (ext == ".plt") {
      CheckPltFile(path);
    } else if (ext == ".edi") {
      auto stores = test::NewStores();
      ScriptedUi ui;
      ASSERT_TRUE(ReadFieldFile(path, stores->workspace, ui));
      EXPECT_TRUE(ui.prompts().empty());
      EXPECT_EQ(stores->workspace.sounding.nfreq, 60);
    } else {
      continue;
    }
    ++checked;
  }
  // 15125A .edi, .plt and .trf, 16 profile soundings and their fits.
  EXPECT_EQ(checked, 20);
}

}  // namespace
}  // namespace mtvuk
