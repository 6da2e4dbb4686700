// Reading time of field-data files against their number of frequencies.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "core/formats/field_data_import.h"
#include "core/platform/console_ui.h"
#include "core/store/store_defaults.h"

namespace mtvuk {
namespace {

std::string Header() {
  return ">HEAD\n    DATAID=\"BENCH\"\n    LAT=-22:22:14.9\n    "
         "LONG=139:11:19.1\n"
         "    ELEV=200\n\n>INFO\n";
}

std::string EdiText(int n) {
  std::string text =
      Header() + ">=SPECTRASECT\n   NFREQ=" + std::to_string(n) + "\n";
  char line[160];
  for (int k = 0; k < n; ++k) {
    std::snprintf(
        line,
        sizeof line,
        ">SPECTRA  FREQ=%.3E ROTSPEC=0 BW=1.0E+00 AVGT=1.0000E+04 // 49\n",
        1e4 / (k + 1.0));
    text += line;
    for (int r = 0; r < 7; ++r) {
      for (int c = 0; c < 7; ++c) {
        std::snprintf(line,
                      sizeof line,
                      " %12.5E",
                      (r == c ? 2.0 : 0.3) * (1 + r + c * k % 5));
        text += line;
      }
      text += "\n";
    }
  }
  return text + ">END\n";
}

std::string PltText(int n) {
  std::string text = Header();
  char field[32];
  for (const char* key : kSoundingKeywords) {
    text += std::string(key) + " //" + std::to_string(n) + "\n";
    for (int k = 0; k < n; ++k) {
      std::snprintf(field, sizeof field, "%12.3e", 1e4 / (k + 1.0));
      text += field;
      if (k % 6 == 5 || k == n - 1) text += " \n";
    }
  }
  return text + ">END\n";
}

class FileOnDisk {
 public:
  explicit FileOnDisk(const std::string& text) {
    char name[] = "/tmp/mtvuk_bench_XXXXXX";
    int fd = mkstemp(name);
    path_ = name;
    std::ofstream(path_) << text;
    close(fd);
  }
  ~FileOnDisk() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void Read(benchmark::State& state, const std::string& text) {
  FileOnDisk file(text);
  auto stores = std::make_unique<Stores>();
  ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
  std::FILE* sink = std::fopen("/dev/null", "w");
  ConsoleUi ui(sink);
  for (auto _ : state) {
    bool ok = ReadFieldFile(file.path(), stores->workspace, ui);
    benchmark::DoNotOptimize(ok);
  }
  std::fclose(sink);
  state.counters["ns_per_freq"] =
      benchmark::Counter(static_cast<double>(state.range(0)),
                         benchmark::Counter::kIsIterationInvariantRate |
                             benchmark::Counter::kInvert);
  state.counters["bytes"] = static_cast<double>(text.size());
}

void BM_ReadEdiSpectra(benchmark::State& state) {
  Read(state, EdiText(static_cast<int>(state.range(0))));
}
void BM_ReadPlt(benchmark::State& state) {
  Read(state, PltText(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_ReadEdiSpectra)
    ->Arg(10)
    ->Arg(25)
    ->Arg(50)
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadPlt)
    ->Arg(10)
    ->Arg(25)
    ->Arg(50)
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond);

void BM_LoadAndDeriveFourModes(benchmark::State& state) {
  FileOnDisk file(EdiText(100));
  auto stores = std::make_unique<Stores>();
  ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
  ConsoleUi ui;
  ReadFieldFile(file.path(), stores->workspace, ui);
  for (auto _ : state) {
    for (int m = 0; m < kCurveModes; ++m) {
      LoadFieldSet(m,
                   static_cast<CurveMode>(m),
                   stores->workspace,
                   stores->sets,
                   stores->models);
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_LoadAndDeriveFourModes)->Unit(benchmark::kMicrosecond);

// The exchange-format files of the real data folder, each read whole (the
// content sniffed, parsed and stored in the sounding): under 5 ms a file.
const char* const kExchangeFiles[] = {"tf_xml.xml",
                                      "tf_xml_emtf_xml_iris.xml",
                                      "tf_xml_with_derived_quantities.xml",
                                      "tf_xml_bad_comments.xml",
                                      "tf_poor_xml.xml",
                                      "tf_zmm.zmm",
                                      "tf_zss_tipper.zss",
                                      "tf_jfile.j",
                                      "tf_avg.avg",
                                      "tf_avg_newer.avg"};

void BM_ReadExchangeFile(benchmark::State& state) {
  const std::string name = kExchangeFiles[state.range(0)];
  const std::string path = std::string(MTVUK_REAL_DATA_DIR) + "/" + name;
  state.SetLabel(name);
  auto stores = std::make_unique<Stores>();
  ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
  std::FILE* sink = std::fopen("/dev/null", "w");
  ConsoleUi ui(sink);
  for (auto _ : state) {
    bool ok = ImportFieldDataFile(path, stores->workspace, ui);
    benchmark::DoNotOptimize(ok);
  }
  std::fclose(sink);
}
BENCHMARK(BM_ReadExchangeFile)->DenseRange(0, 9)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mtvuk
