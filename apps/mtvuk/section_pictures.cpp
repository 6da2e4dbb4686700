#include "section_pictures.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/platform/console_ui.h"
#include "core/section/colour_scale.h"
#include "core/section/section_options.h"
#include "ui/app/qt_ui.h"
#include "ui/section/section_window.h"

namespace mtvuk {
namespace {

// The window that draws a section for a picture: nobody owns it, so it
// posts nothing.
std::unique_ptr<SectionWindow> PictureWindow(
    Stores& stores,
    QtUi& ui,
    const std::vector<SectionStation>& stations,
    ResultFileKind kind,
    int palette,
    const QString& file) {
  Workspace& w = stores.workspace;
  w.station_file_kind = kind == ResultFileKind::kTrf ? 1 : 0;
  w.section_colours[0].bytes[kPaletteByte] = static_cast<std::uint8_t>(palette);
  auto window = std::make_unique<SectionWindow>(w, ui, nullptr, stations, 0);
  // A new window takes the whole ramp upward; the picture's palette reads
  // it in its own direction, as the Scale dialog's "Apply" would.
  const auto [lo, hi] = window->ValueRange();
  ColourScale(lo, hi, palette).Apply(w.section_colours[0]);
  UmEvent recolour(Um::UM_SECTIONSCALE, 0, 0);
  QCoreApplication::sendEvent(window.get(), &recolour);
  // The title above the section names the file.
  window->setWindowTitle(QFileInfo(file).fileName());
  window->SetPictureTitle(QString());
  return window;
}

}  // namespace

// A picture made without a person prints its result and its real
// problems only: Qt's notes about the session it runs in (no
// XDG_RUNTIME_DIR on a server, for one) and its debugging output are left
// out.
void PictureMessages(QtMsgType type,
                     const QMessageLogContext&,
                     const QString& text) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  if (text.startsWith("QStandardPaths: ")) return;
  std::fprintf(stderr, "mtvuk: %s\n", qPrintable(text));
  if (type == QtFatalMsg) std::abort();
}

bool AsksForSectionExport(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--export-section") == 0) return true;
  }
  return false;
}

int ExportSectionMain(int argc, char** argv) {
  // Nothing is shown: the section is drawn offscreen on any machine.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--export-section") != 0) args.push_back(argv[i]);
  }
  SectionPictureOptions options;
  std::string error;
  if (!ParseSectionArguments(args, options, error)) {
    std::fprintf(stderr, "mtvuk: %s\n", error.c_str());
    return 1;
  }
  auto stores = std::make_unique<Stores>();
  qInstallMessageHandler(PictureMessages);
  QApplication app(argc, argv);
  ConsoleUi console;
  console.set_tell_answers(true);
  QtUi ui([&console](std::string_view text,
                     std::string_view caption,
                     Icon icon,
                     Buttons buttons,
                     Answer default_button) {
    return console.MessageBox(text, caption, icon, buttons, default_button);
  });
  std::vector<SectionStation> stations;
  ResultFileKind kind = ResultFileKind::kNone;
  if (!PlaceSectionStations(options, ui, stations, kind, error)) {
    if (!error.empty()) std::fprintf(stderr, "mtvuk: %s\n", error.c_str());
    return 1;
  }
  auto window = PictureWindow(*stores,
                              ui,
                              stations,
                              kind,
                              options.palette,
                              QString::fromStdString(options.file));
  window->SetPolarisation(options.polarisation);
  window->SetStyle({options.tomography,
                    options.log_depth,
                    options.depth_max_km,
                    static_cast<TomographyMethod>(options.interpolation)});
  QString why;
  if (!window->plot()->Export(QString::fromStdString(options.out),
                              QSize(options.width, options.height),
                              &why)) {
    std::fprintf(stderr, "mtvuk: %s\n", qPrintable(why));
    return 1;
  }
  return 0;
}

bool PictureSectionWindows(Stores& stores, QtUi& ui, const QDir& dir) {
  SectionPictureOptions options;
  options.file = MTVUK_EXAMPLES_DIR "/profile/profile.int";
  std::vector<SectionStation> stations;
  ResultFileKind kind = ResultFileKind::kNone;
  std::string error;
  if (!PlaceSectionStations(options, ui, stations, kind, error)) {
    std::fprintf(stderr, "mtvuk: %s\n", error.c_str());
    return false;
  }
  const int palette = stores.workspace.section_colours[0].palette();
  auto window = PictureWindow(stores,
                              ui,
                              stations,
                              kind,
                              palette,
                              QString::fromStdString(options.file));
  window->setWindowTitle("Section 1");
  window->SetPictureTitle(QString());
  window->resize(1200, 680);
  window->SetStyle({false, true, 0.0});
  window->show();
  QApplication::processEvents();
  bool ok = window->grab().save(dir.filePath("section-logging.png"), "PNG");
  window->SetStyle({true, false, 6.0});
  QApplication::processEvents();
  ok = window->grab().save(dir.filePath("section-tomography.png"), "PNG") && ok;
  // The pictures "mtvuk-cli section" draws of the same profile, at its
  // default size, depth and palette.
  for (const bool tomography : {true, false}) {
    window->SetStyle({tomography, false, 0.0});
    for (const char* type : {"png", "svg"}) {
      const QString name = QString("cli-section-%1.%2")
                               .arg(tomography ? "tomography" : "logging")
                               .arg(type);
      QString why;
      if (!window->plot()->Export(dir.filePath(name), QSize(1600, 900), &why)) {
        std::fprintf(stderr, "mtvuk: %s\n", qPrintable(why));
        ok = false;
      }
    }
  }
  if (!ok) std::fprintf(stderr, "mtvuk: cannot write the section pictures\n");
  return ok;
}

}  // namespace mtvuk
