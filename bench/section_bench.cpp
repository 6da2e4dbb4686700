// The picture of a large tomography section: 100 stations of 100-point
// resistivity curves, drawn offscreen into a 1600 x 900 image (goal: below
// 100 ms per picture), and written as SVG and PDF files of that size
// (goal: below 2 s and 300 MB each, the image embedded once beside vector
// axes).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "ui/section/section_plot.h"

namespace {

// One application for the whole run, on the offscreen platform; it is never
// destroyed, so its end cannot race the benchmark library's own exit.
void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "mtvuk_bench";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

// Curves of a conductor that deepens along the line, in section units
// (depths in metres).
std::vector<mtvuk::SectionStation> Stations() {
  std::vector<mtvuk::SectionStation> out(100);
  for (int i = 0; i < 100; ++i) {
    mtvuk::SectionStation& s = out[i];
    s.name = "S" + std::to_string(i + 1);
    s.profile_position = 1000.0 * i;
    s.z = static_cast<float>(300.0 + 50.0 * std::sin(i / 7.0));
    s.layer_count = 1;
    s.depth_count = 100;
    const double conductor = 1.0 + 2.0 * std::sin(i * M_PI / 99.0);
    for (int k = 0; k < 100; ++k) {
      const double depth_km = 0.01 * std::pow(10.0, 3.5 * k / 99.0);
      s.depth[k] = static_cast<float>(1000.0 * depth_km);
      const double x = std::log10(depth_km / conductor);
      s.depth_resistivity[k] =
          static_cast<float>(std::pow(10.0, 2.0 - 1.5 * std::exp(-x * x * 8)));
    }
  }
  return out;
}

void BM_SectionImage(benchmark::State& state) {
  EnsureApplication();
  const std::vector<mtvuk::SectionStation> stations = Stations();
  mtvuk::SectionColourBlock colours;
  mtvuk::ResetColourList(colours);
  const mtvuk::ColourRamps ramps;
  mtvuk::SectionPlot plot;
  plot.SetColours(colours, ramps);
  plot.SetStyle({true, false, 0.0});
  for (auto _ : state) {
    plot.SetModel(
        mtvuk::SectionModel(stations, mtvuk::SectionSource::kTrf, true),
        "Benchmark: 100 stations x 100 depths");
    const QImage image = plot.Render(QSize(1600, 900));
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_SectionImage)->Unit(benchmark::kMillisecond);

// Argument 0 writes SVG, 1 PDF; the counter is the file's size in MB.
void BM_SectionVectorExport(benchmark::State& state) {
  EnsureApplication();
  const std::vector<mtvuk::SectionStation> stations = Stations();
  mtvuk::SectionColourBlock colours;
  mtvuk::ResetColourList(colours);
  const mtvuk::ColourRamps ramps;
  mtvuk::SectionPlot plot;
  plot.SetColours(colours, ramps);
  plot.SetStyle({true, false, 0.0});
  plot.SetModel(mtvuk::SectionModel(stations, mtvuk::SectionSource::kTrf, true),
                "Benchmark: 100 stations x 100 depths");
  const QString path =
      QDir::temp().filePath(QString("mtvuk-bench-section.%1")
                                .arg(state.range(0) == 0 ? "svg" : "pdf"));
  QString error;
  for (auto _ : state) {
    if (!plot.Export(path, QSize(1600, 900), &error)) {
      state.SkipWithError(error.toStdString().c_str());
      break;
    }
  }
  state.counters["MB"] = QFileInfo(path).size() / 1e6;
  QFile::remove(path);
}
BENCHMARK(BM_SectionVectorExport)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
