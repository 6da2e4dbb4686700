// Pictures and pages of the graphs, and the recent files of the File menu.
#include "ui/graph/graph_output.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QSettings>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

#include "ui/app/main_frame.h"
#include "ui/app/recent_files_menu.h"
#include "ui_test_util.h"

namespace mtvuk {

class GraphOutputTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // The settings of the tests stay in a folder of their own.
    QVERIFY(settings_dir_.isValid());
    QSettings::setPath(
        QSettings::NativeFormat, QSettings::UserScope, settings_dir_.path());
  }

  void PicturesOfTheCurveAndDepthGraphs() {
    auto stores = std::make_unique<Stores>();
    test::ScriptedQtUi ui;
    CMainFrame frame(*stores, ui.ui);
    QVERIFY(test::LoadExampleXy(*stores, ui.ui));
    frame.resize(1000, 700);
    frame.show();
    frame.view()->Refresh(true);
    QApplication::processEvents();
    QTemporaryDir dir;
    CurveGraph& graph = *frame.view()->graph();
    QCOMPARE(graph.PictureTitle(), QString("15125A  XY"));
    const QString title = TitleLine(graph, QDate(2026, 12, 6));
    QCOMPARE(title, QString("MT-VUK   15125A  XY   2026-12-06"));

    const QString svg = dir.filePath("graph.SVG");
    QVERIFY(frame.SaveImage(graph, svg));
    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.viewBoxF().size(), QSizeF(PicturePageSize(graph)));
    const QByteArray text = test::ReadAll(svg);
    for (const char* s :
         {"Period, s", "Ohm-m", "APPARENT  RESISTIVITY", "15125A  XY"})
      QVERIFY2(text.contains(s), s);

    QString error;
    const QString pdf = dir.filePath("graph.pdf");
    QVERIFY(SaveGraphPicture(graph, pdf, title, &error));
    QVERIFY(test::ReadAll(pdf).startsWith("%PDF"));
    const QString png = dir.filePath("graph.png");
    QVERIFY(SaveGraphPicture(graph, png, title, &error));
    QCOMPARE(QImage(png).size(), PicturePageSize(graph) * 2);

    // The depth graph the same way.
    frame.view()->OpenDepthWindow();
    QApplication::processEvents();
    QVERIFY(frame.view()->ShownPicture() == frame.view()->depth_graph());
    // The active depth window gives its own graph to print.
    CDepthWindow* depth_window = frame.view()->depth_window();
    depth_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(depth_window));
    QVERIFY(frame.ActivePicture() == depth_window->graph());
    const QString depth = dir.filePath("depth.svg");
    QVERIFY(
        SaveGraphPicture(*frame.view()->depth_graph(), depth, title, &error));
    QVERIFY(QSvgRenderer(depth).isValid());
    QVERIFY(test::ReadAll(depth).contains("Depth"));
    frame.view()->CloseDepthWindow();
    QApplication::sendPostedEvents();

    // An unwritable place is refused with the reason.
    ui.script.Expect("SAVE IMAGE", Answer::kOk);
    QVERIFY(!frame.SaveImage(graph, dir.filePath("no/such/folder/g.svg")));
    QVERIFY(QString::fromStdString(ui.script.prompts().back().text)
                .startsWith("Cannot write"));

    // A printed page (to a PDF file, as a printer without a dialog).
    QPrinter& printer = frame.Printer();
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("page.pdf"));
    frame.SetBatchMode(true);
    frame.Print();
    QVERIFY(test::ReadAll(dir.filePath("page.pdf")).startsWith("%PDF"));
    QVERIFY(ui.script.unexpected().empty());

    // The filter of the save dialog, in Qt's form.
    auto dialog = frame.FileDialog(FileDialogKind::kSaveImage);
    QCOMPARE(dialog->nameFilters(),
             QStringList({"Scalable Vector Graphics (*.SVG)",
                          "Portable Document Format (*.PDF)",
                          "Portable Network Graphics (*.PNG)"}));
  }

  void RecentFilesUnderTheFileMenu() {
    QTemporaryDir dir;
    QStringList files;
    const QByteArray plt = test::ReadAll(
        QString::fromStdString(test::ExampleFile("15125A_imp.plt")));
    for (const char* name : {"a.plt", "b.plt", "c.plt", "d.plt", "e.plt"}) {
      QFile file(dir.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(plt);
      files << dir.filePath(name);
    }
    auto stores = std::make_unique<Stores>();
    test::ScriptedQtUi ui;
    {
      CMainFrame frame(*stores, ui.ui);
      QCOMPARE(frame.recent_files()->Paths(), QStringList());
      QVERIFY(!frame.recent_files()->Action(0)->isVisible());
      // Each read closes the sounding list at once.
      for (const QString& f : files + QStringList{files[1]}) {
        QTimer::singleShot(0, [] {
          if (QWidget* w = QApplication::activeModalWidget()) w->close();
        });
        QVERIFY(frame.OpenFieldFile(f));
      }
      QCOMPARE(frame.recent_files()->Paths(),
               QStringList({files[1], files[4], files[3], files[2]}));
    }
    // The next session finds them in the menu, most recent first.
    CMainFrame frame(*stores, ui.ui);
    QCOMPARE(frame.recent_files()->Paths(),
             QStringList({files[1], files[4], files[3], files[2]}));
    QCOMPARE(frame.recent_files()->Action(0)->text(), "&1 " + files[1]);
    QVERIFY(frame.recent_files()->Action(3)->isVisible());
    QSettings settings(kSettingsOrganisation, kSettingsApplication);
    QCOMPARE(settings.value("Recent File List/File1").toString(), files[1]);
    // A file that is gone leaves the list when it is chosen.
    QFile::remove(files[4]);
    ui.script.Expect("CAN'T OPEN FILE", Answer::kOk);
    frame.recent_files()->Action(1)->trigger();
    QCOMPARE(frame.recent_files()->Paths(),
             QStringList({files[1], files[3], files[2]}));
    QVERIFY(!frame.recent_files()->Action(3)->isVisible());
    QVERIFY(ui.script.unexpected().empty());
  }

 private:
  QTemporaryDir settings_dir_;
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::GraphOutputTest)
#include "graph_output_test.moc"
