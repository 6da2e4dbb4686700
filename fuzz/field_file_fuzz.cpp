// Fuzz target of the field-data reader, the SEG EDI importer and the
// station readers of INT and TRF files: any bytes as a file must end in a
// complete read or a message, with the stores intact and no value that is
// not a number in a TRF station.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "core/files/trf_file.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"

namespace {

const std::string& FuzzPath() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/mtvuk_fuzz_" +
           std::to_string(getpid()) + ".edi";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static auto stores = [] {
    auto s = std::make_unique<mtvuk::Stores>();
    mtvuk::ApplyStartDefaults(s->workspace, s->sets, s->models);
    return s;
  }();
  std::FILE* f = std::fopen(FuzzPath().c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  mtvuk::ScriptedUi ui;
  bool ok = mtvuk::ReadFieldFile(FuzzPath(), stores->workspace, ui);
  if (!ok && ui.prompts().empty()) std::abort();  // a silent failure
  const mtvuk::SoundingBuffer& sb = stores->workspace.sounding;
  if (sb.nfreq < 0 || sb.nfreq > mtvuk::MaxFreq) std::abort();
  // The SEG EDI importer reads the same bytes.
  mtvuk::ScriptedUi import_ui;
  const bool imported =
      mtvuk::ImportEdiFile(FuzzPath(), stores->workspace, import_ui);
  if (!imported && import_ui.prompts().empty()) std::abort();
  if (sb.nfreq < 0 || sb.nfreq > mtvuk::MaxFreq) std::abort();
  if (ok) {
    // Loading every mode must survive whatever was read.
    for (int m = 0; m < mtvuk::kCurveModes; ++m) {
      mtvuk::LoadFieldSet(m,
                          static_cast<mtvuk::CurveMode>(m),
                          stores->workspace,
                          stores->sets,
                          stores->models);
    }
  }
  // The file-content dialog's reading: INT or TRF stations.
  mtvuk::ScriptedUi station_ui;
  std::vector<mtvuk::SectionStation> stations;
  mtvuk::ResultFileKind kind = mtvuk::ResultFileKind::kNone;
  if (!mtvuk::ReadStationFile(FuzzPath(), station_ui, stations, kind) &&
      station_ui.prompts().empty()) {
    std::abort();
  }
  if (kind == mtvuk::ResultFileKind::kTrf) {
    for (const mtvuk::SectionStation& st : stations) {
      if (st.depth_count < 0 || st.depth_count > mtvuk::kTrfMaxValues)
        std::abort();
      if (!std::isfinite(st.x) || !std::isfinite(st.y) || !std::isfinite(st.z))
        std::abort();
      for (int i = 0; i < st.depth_count; ++i) {
        if (!std::isfinite(st.depth[i]) ||
            !std::isfinite(st.depth_resistivity[i]))
          std::abort();
      }
      // Writing a station again as a section block must work too.
      (void)mtvuk::FormatTrfSectionBlock(st, 0.0f);
    }
  }
  return 0;
}
