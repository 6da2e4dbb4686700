// Fuzz target of the fixed-column readers of INT and TRF files (the model
// loading dialog's result reader and the station readers of a section): any
// bytes as a file must end in a refusal with a message, or in values each of
// which is a number written in the file - standing there as a whole number,
// not the start of a longer text ("5.0x" read as 5.0).
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/files/int_file.h"
#include "core/files/trf_file.h"
#include "core/platform/c_number.h"
#include "core/platform/scripted_ui.h"

namespace {

const std::string& FuzzPath() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/mtvuk_fixed_fuzz_" +
           std::to_string(getpid()) + ".int";
  }();
  return path;
}

bool NumberCharacter(char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' ||
         c == 'e' || c == 'E';
}

bool Letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::uint32_t Bits(float v) {
  std::uint32_t b = 0;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// Every number that stands in the text: a run of number characters (or a
// part of one) that is one whole number, with no letter or decimal point
// right before or after it. Fixed columns may split a run between two
// values written without a blank between them, so parts count too.
std::unordered_set<std::uint32_t> NumbersInText(const std::string& text) {
  std::unordered_set<std::uint32_t> out;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (!NumberCharacter(text[i])) continue;
    if (i > 0 && (Letter(text[i - 1]) || text[i - 1] == '.')) continue;
    for (std::size_t len = 1; len <= 40 && i + len <= n; ++len) {
      if (!NumberCharacter(text[i + len - 1])) break;
      const char after = i + len < n ? text[i + len] : ' ';
      if (Letter(after) || after == '.') continue;
      double v = 0.0;
      if (mtvuk::ParseNumber(std::string_view(text).substr(i, len), v))
        out.insert(Bits(mtvuk::ToF32(v)));
    }
  }
  return out;
}

void Expect(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::FILE* f = std::fopen(FuzzPath().c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::unordered_set<std::uint32_t> written = NumbersInText(text);
  auto in_file = [&written](float v) {
    return std::isfinite(v) && written.count(Bits(v)) > 0;
  };

  // The model-loading dialog's reader.
  mtvuk::ScriptedUi ui;
  ui.Allow("INVALID PARAMETERS");
  ui.Allow("INVALID INT-FILE");
  ui.Allow("CAN'T OPEN FILE");
  std::vector<mtvuk::IntSet> sets;
  std::vector<std::int32_t> positions;
  if (!mtvuk::LoadIntFile(FuzzPath(), ui, sets, positions)) {
    Expect(!ui.prompts().empty());  // never a silent refusal
  }
  Expect(sets.size() == positions.size());
  for (const mtvuk::IntSet& s : sets) {
    Expect(s.layer_count >= 1 && s.layer_count <= mtvuk::MaxLayers);
    Expect(in_file(s.lat) && in_file(s.lon) && in_file(s.z));
    for (int j = 0; j < s.layer_count; ++j) {
      Expect(in_file(s.resistivity[j]) && s.resistivity[j] > 1e-6f);
      Expect(in_file(s.thickness[j]) && s.thickness[j] > 0.001f);
    }
  }

  // The station readers of a section, INT or TRF.
  mtvuk::ScriptedUi station_ui;
  station_ui.Allow(mtvuk::kRefusedBlocksCaption);
  station_ui.Allow("INVALID INT or TRF -FILE");
  station_ui.Allow("INVALID INT or TRF-FILE");
  station_ui.Allow("CAN'T OPEN FILE");
  std::vector<mtvuk::SectionStation> stations;
  std::vector<mtvuk::RefusedBlock> refused;
  mtvuk::ResultFileKind kind = mtvuk::ResultFileKind::kNone;
  if (!mtvuk::ReadStationFile(FuzzPath(), station_ui, stations, kind, &refused))
    Expect(!station_ui.prompts().empty());
  Expect(refused.empty() || !station_ui.prompts().empty());
  for (const mtvuk::SectionStation& st : stations) {
    Expect(in_file(st.x) && in_file(st.y) && in_file(st.z));
    if (kind == mtvuk::ResultFileKind::kTrf) {
      Expect(st.depth_count >= 0 && st.depth_count <= mtvuk::kTrfMaxValues);
      for (int i = 0; i < st.depth_count; ++i) {
        Expect(in_file(st.depth[i]) && st.depth[i] >= 0.0f);
        Expect(in_file(st.depth_resistivity[i]) &&
               st.depth_resistivity[i] > 0.0f);
      }
    } else {
      Expect(st.layer_count >= 1 && st.layer_count <= mtvuk::MaxLayers);
      for (int j = 0; j < st.layer_count; ++j) {
        Expect(in_file(st.resistivity[j]));
        if (j + 1 < st.layer_count) Expect(in_file(st.thickness[j]));
      }
    }
  }
  std::remove(FuzzPath().c_str());
  return 0;
}
