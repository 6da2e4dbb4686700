#include "bayes_pictures.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "core/bayes/bayes_json.h"
#include "section_pictures.h"
#include "ui/bayes/bayes_plot.h"

namespace mtvuk {

bool AsksForBayesExport(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--export-bayes") == 0) return true;
  }
  return false;
}

int ExportBayesMain(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::string input, out, title;
  int width = 1600, height = 1000;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i], value = argv[i + 1];
    if (key == "--export-bayes") {
      input = value;
    } else if (key == "--out") {
      out = value;
    } else if (key == "--title") {
      title = value;
    } else if (key == "--size" &&
               std::sscanf(value.c_str(), "%dx%d", &width, &height) == 2 &&
               width >= 200 && height >= 150 && width <= 20000 &&
               height <= 20000) {
    } else {
      std::fprintf(stderr,
                   "mtvuk: --export-bayes: bad option %s %s\n",
                   key.c_str(),
                   value.c_str());
      return 1;
    }
  }
  if (input.empty() || out.empty()) {
    std::fprintf(stderr, "mtvuk: --export-bayes RESULT.json --out OUT.png\n");
    return 1;
  }
  std::ifstream in(input, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const nlohmann::ordered_json json =
      nlohmann::ordered_json::parse(text.str(), nullptr, false);
  BayesResult result;
  BayesOptions options;
  std::string error;
  if (!in || json.is_discarded() ||
      !ReadBayesResultJson(json, result, options, error)) {
    std::fprintf(stderr,
                 "mtvuk: %s: %s\n",
                 input.c_str(),
                 error.empty() ? "not JSON" : error.c_str());
    return 1;
  }
  qInstallMessageHandler(PictureMessages);
  QApplication app(argc, argv);
  BayesPlot plot;
  plot.SetTitle(QString::fromStdString(title));
  plot.Show(result, options);
  QString why;
  if (!plot.SavePng(QString::fromStdString(out), QSize(width, height), &why)) {
    std::fprintf(stderr, "mtvuk: %s\n", qPrintable(why));
    return 1;
  }
  return 0;
}

}  // namespace mtvuk
