// MT-VUK: the workstation.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "screenshots.h"
#include "ui/app/main_frame.h"
#include "ui/app/qt_ui.h"

int main(int argc, char** argv) {
  // The stores exist before any window and outlive them all.
  auto stores = std::make_unique<mtvuk::Stores>();
  QApplication app(argc, argv);
  QApplication::setApplicationName("MT-VUK");
  QApplication::setApplicationVersion(MTVUK_VERSION);

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "MT-VUK: one-dimensional interpretation of magnetotelluric soundings");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(
      "FILE", "EDI or PLT file to open, as \"Input MT-Field data\"");
  QCommandLineOption load(
      "load", "Read FILE and load --modes without the dialog.", "FILE");
  QCommandLineOption modes(
      "modes", "Modes to load: xy,yx,mean,eff.", "LIST", "xy,yx");
  QCommandLineOption screenshot(
      "screenshot", "Render the main window to OUT.png and exit.", "OUT.png");
  QCommandLineOption screenshots(
      "screenshots", "Render every window to DIR and exit.", "DIR");
  parser.addOptions({load, modes, screenshot, screenshots});
  parser.process(app);

  mtvuk::QtUi ui;
  mtvuk::CMainFrame frame(*stores, ui);

  const QStringList mode_list =
      parser.value(modes).split(',', Qt::SkipEmptyParts);
  const bool pictures = parser.isSet(screenshot) || parser.isSet(screenshots);
  if (pictures) {
    QString dialog_picture;
    if (parser.isSet(screenshots)) {
      QDir().mkpath(parser.value(screenshots));
      dialog_picture =
          QDir(parser.value(screenshots)).filePath("sounding-list.png");
    }
    if (parser.isSet(load) && !mtvuk::LoadModes(frame,
                                                *stores,
                                                ui,
                                                parser.value(load),
                                                mode_list,
                                                dialog_picture)) {
      return 1;
    }
    bool ok = true;
    if (parser.isSet(screenshot))
      ok = mtvuk::SavePicture(frame, parser.value(screenshot));
    if (parser.isSet(screenshots)) {
      const QDir dir(parser.value(screenshots));
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
      ok = mtvuk::PictureDepthWindows(frame, *stores, ui, dir) && ok;
      ok = mtvuk::PictureResultFileWindows(frame, *stores, ui, dir) && ok;
    }
    return ok ? 0 : 1;
  }

  frame.show();
  if (parser.isSet(load)) {
    mtvuk::LoadModes(frame, *stores, ui, parser.value(load), mode_list);
  } else if (!parser.positionalArguments().isEmpty()) {
    const QString file = parser.positionalArguments().first();
    QTimer::singleShot(
        0, &frame, [&frame, file] { frame.OpenFieldFile(file); });
  }
  return QApplication::exec();
}
