// MT-VUK: the workstation.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "bayes_pictures.h"
#include "core/platform/console_ui.h"
#include "core/platform/text_file.h"
#include "screenshots.h"
#include "section_pictures.h"
#include "ui/app/main_frame.h"
#include "ui/app/qt_ui.h"

namespace {

struct Options {
  QCommandLineOption load{
      "load", "Read FILE and load --modes without the dialog.", "FILE"};
  QCommandLineOption import{
      "import",
      "Read FILE (EDI, EMTF XML, Z-file, j-file, AVG) as \"Import field "
      "data\" (with --screenshot: load --modes from it).",
      "FILE"};
  QCommandLineOption modes{
      "modes", "Modes to load: xy,yx,mean,eff.", "LIST", "xy,yx"};
  QCommandLineOption screenshot{
      "screenshot", "Render the main window to OUT.png and exit.", "OUT.png"};
  QCommandLineOption screenshots{
      "screenshots", "Render every window to DIR and exit.", "DIR"};
  QCommandLineOption export_graph{
      "export-graph",
      "Write the curve graph to OUT (.svg, .pdf or .png) without opening a "
      "window, and exit.",
      "OUT"};
  QCommandLineOption quantity{
      "quantity",
      "Quantity of --export-graph: res, phs, rez or imz.",
      "Q",
      "res"};
  QCommandLineOption export_section{
      "export-section",
      "Draw the section of an INT or TRF file offscreen and exit: FILE "
      "[--profile auto|X0,Y0,X1,Y1] [--logging|--tomography] [--palette "
      "0..3] [--depth-max KM] [--log-depth] --out OUT.png|pdf|svg [--size "
      "WxH].",
      "FILE"};
  QCommandLineOption export_bayes{
      "export-bayes",
      "Draw the posterior of RESULT.json (mtvuk-cli bayes --json, one "
      "sounding) offscreen and exit: --out OUT.png [--title TEXT] [--size "
      "WxH].",
      "RESULT.json"};
};

// Names the application and sets up the parser of its command line.
void Configure(QCommandLineParser& parser, const Options& o) {
  QCoreApplication::setApplicationName("MT-VUK");
  QCoreApplication::setApplicationVersion(MTVUK_VERSION);
  parser.setApplicationDescription(
      "MT-VUK: one-dimensional interpretation of magnetotelluric soundings.\n"
      "With --screenshot, --screenshots or --export-graph nothing waits for "
      "a person: "
      "messages go to standard error as CAPTION: text, and a refused file "
      "ends the program with status 1.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(
      "FILE", "EDI or PLT file to open, as \"Input MT-Field data\"");
  parser.addOptions({o.load, o.import, o.modes, o.screenshot, o.screenshots});
  parser.addOptions({o.export_graph, o.quantity});
  parser.addOption(o.export_section);
  parser.addOption(o.export_bayes);
}

bool Asks(int argc, char** argv, std::initializer_list<const char*> flags) {
  for (int i = 1; i < argc; ++i) {
    for (const char* f : flags) {
      if (std::strcmp(argv[i], f) == 0) return true;
    }
  }
  return false;
}

// Help and version need no window: they are answered before the
// application connects to a display, so they work on any terminal.
void AnswerHelpAndVersion(int argc, char** argv) {
  if (!Asks(
          argc, argv, {"-h", "--help", "--help-all", "-?", "-v", "--version"}))
    return;
  QCoreApplication app(argc, argv);
  QCommandLineParser parser;
  const Options options;
  Configure(parser, options);
  parser.process(app);  // prints and exits
}

// Pictures are made without a person: without a display they are rendered
// offscreen rather than failing to connect.
void ChooseBatchPlatform(int argc, char** argv) {
  if (!Asks(argc, argv, {"--screenshot", "--screenshots", "--export-graph"}))
    return;
  const bool display = std::getenv("DISPLAY") != nullptr ||
                       std::getenv("WAYLAND_DISPLAY") != nullptr;
  if (!display && std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// In batch mode a message box prints "CAPTION: text" to standard error and
// takes its default answer, as the command-line tool does, and says which.
mtvuk::Answer PrintMessage(std::string_view text,
                           std::string_view caption,
                           mtvuk::Icon icon,
                           mtvuk::Buttons buttons,
                           mtvuk::Answer default_button) {
  static mtvuk::ConsoleUi console;
  console.set_tell_answers(true);
  return console.MessageBox(text, caption, icon, buttons, default_button);
}

}  // namespace

int main(int argc, char** argv) {
  mtvuk::TextFile::LetWritesFailAtSizeLimit();
  AnswerHelpAndVersion(argc, argv);
  if (mtvuk::AsksForSectionExport(argc, argv))
    return mtvuk::ExportSectionMain(argc, argv);
  if (mtvuk::AsksForBayesExport(argc, argv))
    return mtvuk::ExportBayesMain(argc, argv);
  ChooseBatchPlatform(argc, argv);
  // The stores exist before any window and outlive them all.
  auto stores = std::make_unique<mtvuk::Stores>();
  QApplication app(argc, argv);
  QCommandLineParser parser;
  const Options o;
  Configure(parser, o);
  parser.process(app);

  const bool export_graph = parser.isSet(o.export_graph);
  const bool pictures =
      parser.isSet(o.screenshot) || parser.isSet(o.screenshots) || export_graph;
  if (export_graph && !mtvuk::CheckExportOptions(parser.value(o.export_graph),
                                                 parser.value(o.quantity))) {
    return 1;
  }
  mtvuk::QtUi ui(pictures ? mtvuk::MessageBoxFunction(PrintMessage)
                          : mtvuk::MessageBoxFunction{});
  mtvuk::CMainFrame frame(*stores, ui);
  frame.SetBatchMode(pictures);

  const QStringList mode_list =
      parser.value(o.modes).split(',', Qt::SkipEmptyParts);
  const bool import = parser.isSet(o.import);
  const QString data_file =
      import ? parser.value(o.import) : parser.value(o.load);
  if (pictures) {
    QString dialog_picture;
    if (parser.isSet(o.screenshots)) {
      QDir().mkpath(parser.value(o.screenshots));
      dialog_picture =
          QDir(parser.value(o.screenshots)).filePath("sounding-list.png");
    }
    // Every window is pictured with curves in it: without --load those of
    // the bundled example.
    const bool example = parser.isSet(o.screenshots) && data_file.isEmpty();
    const QString load_file =
        example ? QString(MTVUK_EXAMPLES_DIR "/15125A_spe.edi") : data_file;
    const QStringList load_modes =
        example ? QStringList{"xy", "yx"} : mode_list;
    if (!load_file.isEmpty() && !mtvuk::LoadModes(frame,
                                                  *stores,
                                                  ui,
                                                  load_file,
                                                  load_modes,
                                                  dialog_picture,
                                                  import)) {
      return 1;
    }
    bool ok = true;
    if (export_graph) {
      ok = mtvuk::ExportCurveGraph(
          frame, parser.value(o.export_graph), parser.value(o.quantity));
    }
    if (parser.isSet(o.screenshot))
      ok = mtvuk::SavePicture(frame, parser.value(o.screenshot));
    if (parser.isSet(o.screenshots)) {
      const QDir dir(parser.value(o.screenshots));
      ok = mtvuk::SavePicture(frame, dir.filePath("main.png")) && ok;
      // The other three quantities of the curve graph.
      const struct {
        int id;
        const char* name;
      } kQuantities[] = {{1019, "main-phase.png"},
                         {1366, "main-rez.png"},
                         {1367, "main-imz.png"}};
      for (const auto& q : kQuantities) {
        frame.view()->Control(q.id)->click();
        ok = mtvuk::SavePicture(frame, dir.filePath(q.name)) && ok;
      }
      frame.view()->Control(1018)->click();
      ok = mtvuk::PictureModelWindows(frame, *stores, ui, dir) && ok;
      ok = mtvuk::PictureInversionWindows(frame, *stores, ui, dir) && ok;
      ok = mtvuk::PictureIntWindows(frame, *stores, ui, dir) && ok;
      ok = mtvuk::PictureSmoothInversion(frame, *stores, ui, dir) && ok;
      ok = mtvuk::PictureBayesInversion(frame, *stores, ui, dir) && ok;
      ok = mtvuk::PictureDepthWindows(frame, *stores, ui, dir) && ok;
      ok = mtvuk::PictureEditWindows(frame, *stores, ui, dir) && ok;
      ok = mtvuk::PictureResultFileWindows(frame, *stores, ui, dir) && ok;
      ok = mtvuk::PictureSectionWindows(*stores, ui, dir) && ok;
      ok = mtvuk::PictureSectionStack(frame, *stores, ui, dir) && ok;
    }
    return ok ? 0 : 1;
  }

  frame.show();
  if (parser.isSet(o.load)) {
    mtvuk::LoadModes(frame, *stores, ui, data_file, mode_list);
  } else if (import) {
    QTimer::singleShot(
        0, &frame, [&frame, data_file] { frame.ImportFile(data_file); });
  } else if (!parser.positionalArguments().isEmpty()) {
    const QString file = parser.positionalArguments().first();
    QTimer::singleShot(
        0, &frame, [&frame, file] { frame.OpenFieldFile(file); });
  }
  return QApplication::exec();
}
