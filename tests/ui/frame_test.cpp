// The main frame and the curve graph.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QPrinter>
#include <QRadioButton>
#include <QSettings>
#include <QSvgRenderer>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cmath>

#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sounding_list.h"
#include "core/physics/model_curve.h"
#include "core/store/store_defaults.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/main_frame.h"
#include "ui/app/recent_files_menu.h"
#include "ui/fielddata/edit_data_window.h"
#include "ui/fielddata/sounding_list_dialog.h"
#include "ui/files/trf_dialogs.h"
#include "ui/graph/curve_graph.h"
#include "ui/graph/graph_output.h"
#include "ui_test_util.h"

namespace mtvuk {

// The files a file dialog lists and does not grey out.
QStringList Listed(QFileDialog& dialog) {
  auto* view = dialog.findChild<QListView*>("listView");
  if (view == nullptr) return {"(no list)"};
  QStringList names;
  for (int attempt = 0; attempt < 100; ++attempt) {
    QTest::qWait(20);
    QAbstractItemModel* model = view->model();
    const QModelIndex root = view->rootIndex();
    QStringList now;
    for (int r = 0; r < model->rowCount(root); ++r) {
      const QModelIndex i = model->index(r, 0, root);
      if (model->flags(i) & Qt::ItemIsEnabled) now << i.data().toString();
    }
    now.sort();
    if (!now.isEmpty() && now == names) return now;  // the same twice
    names = now;
  }
  return names;
}

class MainFrameTest : public test::FrameTest {
  Q_OBJECT

  // Ticks one curve in the sounding list once it opens, and accepts it.
  void AnswerSoundingList(CurveMode mode, QString* title = nullptr) {
    QTimer::singleShot(0, [mode, title] {
      auto* dialog =
          qobject_cast<SoundingListDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      if (title != nullptr) *title = dialog->windowTitle();
      dialog->ModeBox(mode)->click();
      dialog->accept();
    });
  }

 private slots:
  // Each filter lists its files, in either letter case.
  void FileDialogsListTheFilesOfTheirFilters() {
    for (const QString& name :
         QString("a.edi b.EDI c.plt d.PLT e.int f.INT g.trf h.EMF i.txt")
             .split(' ')) {
      QFile file(Path(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    FileStrings& files = stores_->workspace.files;
    files.field_path = Path("a.edi").toStdString();
    files.field_extension = "edi";
    files.int_opened = Path("e.int").toStdString();
    files.int_saved = Path("results.int").toStdString();
    const QStringList edi = {"a.edi", "b.EDI"};
    const QStringList plt = {"c.plt", "d.PLT"};
    const QStringList int_files = {"e.int", "f.INT"};

    auto field = frame_->FileDialog(FileDialogKind::kFieldData);
    QCOMPARE(field->nameFilters(),
             QStringList(
                 {"MT-files (*.EDI)", "MT-files (*.PLT)", "All Files (*.*)"}));
    QCOMPARE(Listed(*field), edi);
    field->selectNameFilter(field->nameFilters()[1]);
    QCOMPARE(Listed(*field), plt);
    field->selectNameFilter(field->nameFilters()[2]);
    QCOMPARE(Listed(*field).size(), 9);
    files.field_extension = "PLT";
    QCOMPARE(Listed(*frame_->FileDialog(FileDialogKind::kFieldData)), plt);
    QCOMPARE(Listed(*frame_->FileDialog(FileDialogKind::kImportEdi)), edi);
    auto load = frame_->FileDialog(FileDialogKind::kInputModelData);
    QCOMPARE(load->nameFilters(),
             QStringList({"INT files (*.int) (results of inversion) (*.int)"}));
    QCOMPARE(Listed(*load), int_files);
    auto save = frame_->FileDialog(FileDialogKind::kSaveResults);
    QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
    QCOMPARE(Listed(*save), int_files);
    files.synthetic_path = Path("last.PLT").toStdString();
    auto model_data = frame_->ModelDataDialog(0);
    QCOMPARE(model_data->windowTitle(), QString("Save Model data 'MODEL 1'"));
    QCOMPARE(model_data->nameFilters(), QStringList({"PLT-files (*.PLT)"}));
    QCOMPARE(Listed(*model_data), plt);
    files.trf_saved = Path("g.trf").toStdString();
    CSaveTransformationDlg transformation(*stores_, ui_->ui);
    QCOMPARE(Listed(*transformation.FileDialog()), QStringList({"g.trf"}));

    QCOMPARE(QtNameFilters("Pictures|*.png;*.emf||"),
             QStringList({"Pictures (*.png *.emf)"}));
  }

  void StartUpWritesTheDefaults() {
    QCOMPARE(stores_->models[5].layer_count, std::int16_t{4});
    for (const LayerModel& m : stores_->models) QCOMPARE(m.curve.computed, 1);
    QCOMPARE(stores_->workspace.any_curve_computed, 1);
    CVUKView* view = frame_->view();
    QVERIFY(view->Control(1018)->isChecked());
    QVERIFY(!view->Control(1019)->isChecked());
    QVERIFY(view->Control(1015)->isChecked());   // Abs
    QVERIFY(!view->Control(1049)->isChecked());  // Model: the editor is closed
    QVERIFY(!view->Control(1112)->isChecked());  // Line
    QVERIFY(!view->Control(1014)->isVisibleTo(view));  // t*E(t) is hidden
    QCOMPARE(view->graph()->Title(), QString("APPARENT  RESISTIVITY"));
    QCOMPARE(view->graph()->yAxis->label(), QString("Ohm-m"));
    QCOMPARE(view->graph()->xAxis->label(), QString("Period, s"));
    static_cast<QRadioButton*>(view->Control(1019))->click();
    QCOMPARE(view->graph()->Title(), QString("PHASE"));
    QCOMPARE(view->graph()->yAxis->label(), QString("Degree"));
    QVERIFY(ui_->script.prompts().empty());
    // "Physics: corrected" stands in the status bar while it is on.
    QCOMPARE(frame_->physics_label()->text(), QString("Physics: corrected"));
    QVERIFY(!frame_->physics_label()->isVisibleTo(frame_.get()));
    stores_->workspace.physics = Physics::kCorrected;
    frame_->ShowPhysics();
    QVERIFY(frame_->physics_label()->isVisibleTo(frame_.get()));
  }

  void MenuCommandsCarryTheirTextsAndStates() {
    const struct {
      int id;
      const char* text;
      bool enabled;
    } kCommands[] = {
        {32830,
         "&Import field data (EDI, EMTF XML, Z-file, j-file, AVG)...",
         true},
        {32782, "&Save Inversion's results", false},
        {32810, "S&ave Image in MetaFile", true},
        {57665, "E&xit", true},
        {32777, "&Smooth field data", false},
        {32832, "&Restore the set as read", false},
        {32807, "&Main setting", true},
        {32814, "&New", true},
        {32815, "&1", false},  // hidden until a section exists
        {57664, "&About MT-VUK...", true},
    };
    for (const auto& c : kCommands) {
      QAction* action = frame_->CommandAction(c.id);
      QVERIFY2(action != nullptr, qPrintable(QString::number(c.id)));
      QCOMPARE(action->text(), QString(c.text));
      QCOMPARE(action->isEnabled(), c.enabled);
      QCOMPARE(action->data().toInt(), c.id);
    }
    QStringList menus;
    for (QAction* a : frame_->menuBar()->actions()) menus << a->text();
    QCOMPARE(menus,
             QStringList({"&File", "&Edit", "&Setting", "Se&ction", "&?"}));
  }

  void ExitAsksUnlessAGraphIsBeingDrawn() {
    frame_->show();
    ui_->script.Expect("EXIT", Answer::kNo);
    QVERIFY(!frame_->close());
    QVERIFY(frame_->isVisible());
    QCOMPARE(ui_->script.prompts().size(), std::size_t{1});
    QCOMPARE(ui_->script.prompts()[0].text,
             std::string("This will end your session"));
    QCOMPARE(ui_->script.prompts()[0].buttons, Buttons::kYesNo);
    QCOMPARE(ui_->script.prompts()[0].icon, Icon::kQuestion);
    ui_->script.Expect("EXIT", Answer::kYes);
    QVERIFY(frame_->close());
    frame_->show();
    stores_->workspace.graph_drawing = 1;
    QVERIFY(frame_->close());
    QCOMPARE(ui_->script.prompts().size(), std::size_t{2});
    QVERIFY(ui_->script.unexpected().empty());
  }

  void PostedMessagesArriveAfterThePosterReturns() {
    LayerModel& m = stores_->models[2];
    const float before = m.curve.log_rho[10];
    m.resistivity[0] = 2500.0;  // 2500 over 10 Ohm-m
    stores_->workspace.current_model = 2;
    ui_->ui.Post(Window::kView, Um::UM_MODELCHANGED, 0, 0);
    QCOMPARE(m.curve.log_rho[10], before);  // not yet: only posted
    QCoreApplication::sendPostedEvents();
    QVERIFY(m.curve.log_rho[10] > before + 1.0f);
    // Messages to windows that do not exist are dropped.
    ui_->ui.Post(Window::kDepthWindow, Um::UM_SETSCHANGED, 0, 0);
    QCoreApplication::sendPostedEvents();
  }

  void OpeningAFileShowsTheSoundingListAndLoadsTheTicks() {
    QString title;
    AnswerSoundingList(CurveMode::YX, &title);
    QVERIFY(frame_->OpenFieldFile(
        QString::fromStdString(test::ExampleFile("15125A_imp.plt"))));
    QCOMPARE(title, QString("CONTENTS OF FILE: 15125A_imp.plt"));
    QCOMPARE(stores_->sets[0].label, std::string("YX 15125A "));
    QCOMPARE(stores_->models[0].name, std::string("YX 15125A "));
    QVERIFY(frame_->view()->graph()->SetGraph(0) != nullptr);

    // A file the field-data reader refuses opens with the SEG importer.
    AnswerSoundingList(CurveMode::XY);
    QVERIFY(frame_->ImportFile(QString(MTVUK_REAL_DATA_DIR) +
                               "/tf_edi_metronix.edi"));
    QCOMPARE(stores_->sets[1].label, std::string("XY GEO858"));
    QCOMPARE(stores_->sets[1].count, 73);

    // "Input MT-Field data" hands a Z-file to its reader by its content.
    AnswerSoundingList(CurveMode::XY);
    QVERIFY(
        frame_->OpenFieldFile(QString(MTVUK_REAL_DATA_DIR) + "/tf_zmm.zmm"));
    QCOMPARE(stores_->sets[2].label, std::string("XY 300"));
    QCOMPARE(stores_->sets[2].count, 38);

    // A refused file: its message, no dialog, nothing changed.
    QVERIFY(!frame_->OpenFieldFile(
        QString::fromStdString(test::ExampleFile("README.md"))));
    QCOMPARE(ui_->LastCaption(), std::string("Invalid MT-file"));
    QCOMPARE(stores_->sets[0].label, std::string("YX 15125A "));
  }

  // "Edit field data", "INFO" and the mouse on the curve graph.
  void FieldEditingWindowsMouseAndMessages() {
    frame_->resize(1100, 720);
    frame_->show();
    // Nothing to edit before a set holds a curve.
    frame_->OpenEditFieldData();
    QVERIFY(frame_->edit_window() == nullptr);
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    QApplication::sendPostedEvents();
    frame_->OpenEditFieldData();
    CEditDataWindow* edit = frame_->edit_window();
    QVERIFY(edit != nullptr);
    QVERIFY(frame_->CommandAction(kCmdUndoEdit)->isEnabled());
    QStringList texts;
    for (QLabel* label : edit->findChildren<QLabel*>()) texts << label->text();
    for (const char* line : kEditInstructions) QVERIFY(texts.contains(line));
    QVERIFY(texts.contains("Delete points from:"));
    QVERIFY(texts.contains("(sec)"));
    CVUKView* view = frame_->view();
    QVERIFY(view->info_window() != nullptr);
    QApplication::processEvents();

    // A click on the first rectangle marks set 1.
    test::ClickAt(edit->panel(), edit->panel()->SlotRect(0));
    QCOMPARE(stores_->workspace.edit_marker, 0);

    // Ctrl+click moves a point to the hollow graph of points switched off.
    CurveGraph* graph = view->graph();
    const FieldSet& set = stores_->sets[0];
    const int drawn = graph->SetGraph(0)->dataCount();
    QTest::mouseClick(graph,
                      Qt::LeftButton,
                      Qt::ControlModifier,
                      graph->PointPixel(0, 10).toPoint());
    QCOMPARE(set.point_deleted[10], 1);
    QCOMPARE(graph->SetGraph(0)->dataCount(), drawn - 1);
    QVERIFY(graph->OffGraph(0) != nullptr);
    QCOMPARE(graph->OffGraph(0)->dataCount(), 1);
    QCOMPARE(graph->OffGraph(0)->scatterStyle().brush().style(), Qt::NoBrush);

    // A drag moves a point up; the pointer shows it in "INFO".
    CurveEditMouse* mouse = view->edit_mouse();
    const QPointF at = graph->PointPixel(0, 12);
    const float before = set.log_rho[12];
    QVERIFY(mouse->Press(at, {}));
    QVERIFY(mouse->Move(at - QPointF(0, 40)));
    QVERIFY(mouse->Release());
    QVERIFY(set.log_rho[12] > before + 0.1f);
    QVERIFY(view->info_window()->text().contains("Point    13 of"));
    // Away from the points the mouse pans as before.
    QVERIFY(!mouse->Press(QPointF(5, 5), {}));

    // "INFO" asks the view to switch its point off.
    view->info_window()->switch_button()->click();
    QApplication::sendPostedEvents();
    QCOMPARE(set.point_deleted[12], 1);
    QVERIFY(view->info_window()->text().contains("switched off"));

    // Ctrl+Z of the menu takes the edits back one by one.
    QVERIFY(edit->undo_button()->isEnabled());
    frame_->CommandAction(kCmdUndoEdit)->trigger();
    QCOMPARE(set.point_deleted[12], 0);
    frame_->CommandAction(kCmdUndoEdit)->trigger();
    QCOMPARE(set.log_rho[12], before);

    // Closing "INFO" (Esc) and the edit window, through their messages.
    QTest::keyClick(view->info_window(), Qt::Key_Escape);
    QApplication::sendPostedEvents();
    QVERIFY(view->info_window() == nullptr);
    QVERIFY(!stores_->workspace.info_window_open);
    edit->close();
    QApplication::sendPostedEvents();
    QVERIFY(frame_->edit_window() == nullptr);
    QCOMPARE(stores_->workspace.edit_marker, -100);
    QVERIFY(!mouse->Press(graph->PointPixel(0, 10), Qt::ControlModifier));
    QCOMPARE(set.point_deleted[10], 1);  // the edit stays
    QVERIFY(ui_->script.unexpected().empty());
  }

  void PicturesOfTheCurveAndDepthGraphs() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    frame_->resize(1000, 700);
    frame_->show();
    frame_->view()->Refresh(true);
    QApplication::processEvents();
    CurveGraph& graph = *frame_->view()->graph();
    QCOMPARE(graph.PictureTitle(), QString("15125A  XY"));
    const QString title = TitleLine(graph, QDate(2026, 12, 6));
    QCOMPARE(title, QString("MT-VUK   15125A  XY   2026-12-06"));

    const QString svg = Path("graph.SVG");
    QVERIFY(frame_->SaveImage(graph, svg));
    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.viewBoxF().size(), QSizeF(PicturePageSize(graph)));
    const QByteArray text = test::ReadAll(svg);
    for (const char* s :
         {"Period, s", "Ohm-m", "APPARENT  RESISTIVITY", "15125A  XY"})
      QVERIFY2(text.contains(s), s);

    QString error;
    const QString pdf = Path("graph.pdf");
    QVERIFY(SaveGraphPicture(graph, pdf, title, &error));
    QVERIFY(test::ReadAll(pdf).startsWith("%PDF"));
    const QString png = Path("graph.png");
    QVERIFY(SaveGraphPicture(graph, png, title, &error));
    QCOMPARE(QImage(png).size(), PicturePageSize(graph) * 2);

    frame_->view()->OpenDepthWindow();
    QApplication::processEvents();
    QVERIFY(frame_->view()->ShownPicture() == frame_->view()->depth_graph());
    // The active depth window gives its own graph to print.
    CDepthWindow* depth_window = frame_->view()->depth_window();
    depth_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(depth_window));
    QVERIFY(frame_->ActivePicture() == depth_window->graph());
    const QString depth = Path("depth.svg");
    QVERIFY(
        SaveGraphPicture(*frame_->view()->depth_graph(), depth, title, &error));
    QVERIFY(QSvgRenderer(depth).isValid());
    QVERIFY(test::ReadAll(depth).contains("Depth"));
    frame_->view()->CloseDepthWindow();
    QApplication::sendPostedEvents();

    // An unwritable place is refused with the reason.
    ui_->script.Expect("SAVE IMAGE", Answer::kOk);
    QVERIFY(!frame_->SaveImage(graph, Path("no/such/folder/g.svg")));
    QVERIFY(QString::fromStdString(ui_->LastText()).startsWith("Cannot write"));

    // A printed page (to a PDF file, as a printer without a dialog).
    QPrinter& printer = frame_->Printer();
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path("page.pdf"));
    frame_->SetBatchMode(true);
    frame_->Print();
    QVERIFY(test::ReadAll(Path("page.pdf")).startsWith("%PDF"));
    QVERIFY(ui_->script.unexpected().empty());

    auto dialog = frame_->FileDialog(FileDialogKind::kSaveImage);
    QCOMPARE(dialog->nameFilters(),
             QStringList({"Scalable Vector Graphics (*.SVG)",
                          "Portable Document Format (*.PDF)",
                          "Portable Network Graphics (*.PNG)"}));
  }

  void RecentFilesUnderTheFileMenu() {
    QStringList files;
    const QByteArray plt = test::ReadAll(
        QString::fromStdString(test::ExampleFile("15125A_imp.plt")));
    for (const char* name : {"a.plt", "b.plt", "c.plt", "d.plt", "e.plt"}) {
      QFile file(Path(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(plt);
      files << Path(name);
    }
    // A settings folder of this test's own, read by a new session.
    QTemporaryDir settings_dir;
    frame_.reset();
    QSettings::setPath(
        QSettings::NativeFormat, QSettings::UserScope, settings_dir.path());
    {
      CMainFrame frame(*stores_, ui_->ui);
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
    CMainFrame frame(*stores_, ui_->ui);
    QCOMPARE(frame.recent_files()->Paths(),
             QStringList({files[1], files[4], files[3], files[2]}));
    QCOMPARE(frame.recent_files()->Action(0)->text(), "&1 " + files[1]);
    QVERIFY(frame.recent_files()->Action(3)->isVisible());
    QSettings settings(kSettingsOrganisation, kSettingsApplication);
    QCOMPARE(settings.value("Recent File List/File1").toString(), files[1]);
    // A file that is gone leaves the list when it is chosen.
    QFile::remove(files[4]);
    ui_->script.Expect("CAN'T OPEN FILE", Answer::kOk);
    frame.recent_files()->Action(1)->trigger();
    QCOMPARE(frame.recent_files()->Paths(),
             QStringList({files[1], files[3], files[2]}));
    QVERIFY(!frame.recent_files()->Action(3)->isVisible());
    QVERIFY(ui_->script.unexpected().empty());
  }
};

[[maybe_unused]] const bool kFrame = test::Register<MainFrameTest>();

class CurveGraphTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Stores> stores_;
  test::ScriptedQtUi ui_;

 private slots:
  void init() {
    stores_ = std::make_unique<Stores>();
    Workspace& ws = stores_->workspace;
    ApplyStartDefaults(ws, stores_->sets, stores_->models);
    QVERIFY(ReadFieldFile(test::ExampleFile("15125A_spe.edi"), ws, ui_.ui));
    SoundingList list(ws, stores_->sets, stores_->models, ui_.ui);
    list.SetTick(CurveMode::XY, true);
    list.SetTick(CurveMode::YX, true);
    QVERIFY(list.Ok());
    for (int k : {0, 1, 4}) {
      ws.current_model = static_cast<std::int16_t>(k);
      ModelCurveDriver(DriverMode::kPlain, ws, stores_->models, ui_.ui);
    }
  }

  void DrawsExactlyTheSetsAndModelsWhoseSwitchesAreOn() {
    CurveGraph graph(stores_->workspace, stores_->sets, stores_->models);
    QVERIFY(graph.SetGraph(0) && graph.SetGraph(1));
    for (int k = 2; k < MaxSets; ++k) QVERIFY(graph.SetGraph(k) == nullptr);
    // Models 1, 2 and 5 are computed; all are shown.
    QVERIFY(graph.ModelGraph(0) && graph.ModelGraph(1) && graph.ModelGraph(4));
    QVERIFY(graph.ModelGraph(2) == nullptr);
    // Two sets with error bars and their 1-D bounds, three models.
    QCOMPARE(graph.plottableCount(), 2 + 2 + 2 + 3);

    stores_->models[1].shown = 0;
    graph.SetSetVisible(0, false);
    QVERIFY(graph.SetGraph(0) == nullptr);
    QVERIFY(graph.ModelGraph(1) == nullptr);
    GraphOptions o = graph.options();
    o.models = false;
    o.errors = false;
    graph.SetOptions(o);
    QVERIFY(graph.ModelGraph(0) == nullptr && graph.SetErrorBars(1) == nullptr);
    QCOMPARE(graph.plottableCount(), 2);  // set 2 and its 1-D bound
    o.legend = false;
    graph.SetOptions(o);
    QVERIFY(!graph.legend->visible());
  }

  void PlotsTheStoredValues() {
    CurveGraph graph(stores_->workspace, stores_->sets, stores_->models);
    const FieldSet& xy = stores_->sets[0];
    QCPGraph* g = graph.SetGraph(0);
    QCOMPARE(g->data()->size(), xy.count);
    QCOMPARE(g->data()->at(0)->key, 1.0 / xy.freq[0]);
    QCOMPARE(g->data()->at(0)->value, std::pow(10.0, xy.log_rho[0]));
    QCOMPARE(graph.yAxis->scaleType(), QCPAxis::stLogarithmic);
    QVERIFY(graph.xAxis->range().lower <= 1.0 / xy.freq[0]);

    GraphOptions o = graph.options();
    o.quantity = Quantity::kPhase;
    graph.SetOptions(o);
    QCOMPARE(graph.Title(), QString("PHASE"));
    QCOMPARE(graph.SetGraph(0)->data()->at(3)->value, double(xy.phase[3]));
    QCOMPARE(graph.yAxis->scaleType(), QCPAxis::stLinear);
    // Error bars of the phase are the phase errors of the file.
    QCPErrorBars* bars = graph.SetErrorBars(0);
    QVERIFY(bars != nullptr);
    QCOMPARE(bars->data()->at(3).errorPlus, double(xy.phase_error[3]));

    o.quantity = Quantity::kImagZ;
    o.absolute = false;
    graph.SetOptions(o);
    QCOMPARE(graph.Title(), QString("IMAGINARY IMPEDANCE"));
    QCOMPARE(graph.yAxis->label(), QString("mV/km/nT"));
    QCOMPARE(graph.SetGraph(0)->data()->at(0)->value, double(xy.im_z[0]));
    const ModelCurve& c = stores_->models[0].curve;
    QCOMPARE(graph.ModelGraph(0)->data()->at(5)->value,
             std::pow(10.0, c.log_im_z[5]));
  }

  void ErrorBarsLieInsideTheFrameAndStayWithTheirPoints() {
    FieldSet& xy = stores_->sets[0];
    xy.log_rho_upper[5] = xy.log_rho[5] + 1.5f;  // a bar of 1.5 decades
    for (Quantity q : {Quantity::kResistivity, Quantity::kPhase}) {
      CurveGraph graph(stores_->workspace, stores_->sets, stores_->models);
      GraphOptions o = graph.options();
      o.quantity = q;
      graph.SetOptions(o);
      for (int k : {0, 1}) {
        const auto& points = *graph.SetGraph(k)->data();
        const auto& bars = *graph.SetErrorBars(k)->data();
        for (int i = 0; i < points.size(); ++i) {
          const double v = points.at(i)->value;
          QVERIFY(graph.yAxis->range().contains(v + bars.at(i).errorPlus));
          QVERIFY(graph.yAxis->range().contains(v - bars.at(i).errorMinus));
        }
      }
    }
    // Frequencies upwards: periods downwards, the graph sorts them.
    const int n = xy.count;
    auto reverse = [n](auto& a) { std::reverse(a.begin(), a.begin() + n); };
    reverse(xy.freq);
    reverse(xy.phase);
    reverse(xy.phase_error);
    reverse(xy.phase_sign);
    CurveGraph graph(stores_->workspace, stores_->sets, stores_->models);
    GraphOptions o = graph.options();
    o.quantity = Quantity::kPhase;
    graph.SetOptions(o);
    const auto& points = *graph.SetGraph(0)->data();
    const auto& bars = *graph.SetErrorBars(0)->data();
    for (int i = 0; i < points.size(); ++i) {
      const double period = points.at(i)->key;
      int k = 0;
      while (std::fabs(1.0 / xy.freq[k] - period) > 1e-9 * period) ++k;
      QCOMPARE(bars.at(i).errorPlus, double(xy.phase_error[k]));
      QCOMPARE(points.at(i)->value, double(xy.phase[k]));
    }
  }

  // Start or fit in the legend; pens by the colour flag.
  void ModelLegendAndPens() {
    CurveGraph graph(stores_->workspace, stores_->sets, stores_->models);
    QCOMPARE(graph.ModelGraph(0)->name(),
             QString("model 1: XY 15125A (start)"));
    QCOMPARE(graph.ModelGraph(4)->name(), QString("model 5: MODEL 5"));
    stores_->models[0].fitted_set = 0;
    graph.Rebuild(false);
    QCOMPARE(graph.ModelGraph(0)->name(),
             QString("model 1: XY 15125A (fitted)"));
    stores_->workspace.pen_width = 3;
    QCOMPARE(ModelPen(2, stores_->workspace).color(), QColor(0, 0, 255));
    QCOMPARE(ModelPen(3, stores_->workspace).color(), QColor(127, 0, 0));
    QCOMPARE(ModelPen(2, stores_->workspace).widthF(), 3.0);
    stores_->workspace.colour_flag = 0;
    QCOMPARE(ModelPen(4, stores_->workspace).color(), QColor(Qt::black));
  }
};

[[maybe_unused]] const bool kCurveGraph = test::Register<CurveGraphTest>();

}  // namespace mtvuk
#include "frame_test.moc"
#include "ui/graph/curve_graph.h"
