#include "ui/app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListView>
#include <QMenuBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "core/store/store_defaults.h"
#include "ui/app/file_dialogs.h"
#include "ui/fielddata/sounding_list_dialog.h"
#include "ui/files/trf_dialogs.h"
#include "ui_test_util.h"

namespace mtvuk {

// The files a file dialog lists (and does not grey out), once its folder
// has been read.
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

 private slots:
  // Each file dialog on a folder holding one file of each kind lists the
  // files of its filter, in either letter case.
  void FileDialogsListTheFilesOfTheirFilters() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"a.edi",
                             "b.EDI",
                             "c.plt",
                             "d.PLT",
                             "e.int",
                             "f.INT",
                             "g.trf",
                             "h.EMF",
                             "i.txt"}) {
      QFile file(dir.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    FileStrings& files = stores_->workspace.files;
    files.field_path = dir.filePath("a.edi").toStdString();
    files.field_extension = "edi";
    files.int_opened = dir.filePath("e.int").toStdString();
    files.int_saved = dir.filePath("results.int").toStdString();
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
    files.synthetic_path = dir.filePath("last.PLT").toStdString();
    auto model_data = frame_->ModelDataDialog(0);
    QCOMPARE(model_data->windowTitle(), QString("Save Model data 'MODEL 1'"));
    QCOMPARE(model_data->nameFilters(), QStringList({"PLT-files (*.PLT)"}));
    QCOMPARE(Listed(*model_data), plt);
    files.trf_saved = dir.filePath("g.trf").toStdString();
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
    // The graph shows the new curve.
    QCPGraph* g = frame_->view()->graph()->ModelGraph(2);
    QVERIFY(g != nullptr);
    QCOMPARE(g->data()->at(10)->value, std::pow(10.0, m.curve.log_rho[10]));
    // Messages to windows that do not exist are dropped.
    ui_->ui.Post(Window::kDepthWindow, Um::UM_SETSCHANGED, 0, 0);
    QCoreApplication::sendPostedEvents();
  }

  void OpeningAFileShowsTheSoundingListAndLoadsTheTicks() {
    bool dialog_seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog =
          qobject_cast<SoundingListDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      dialog_seen = true;
      QCOMPARE(dialog->windowTitle(),
               QString("CONTENTS OF FILE: 15125A_imp.plt"));
      dialog->ModeBox(CurveMode::YX)->click();
      dialog->accept();
    });
    QVERIFY(frame_->OpenFieldFile(
        QString::fromStdString(test::ExampleFile("15125A_imp.plt"))));
    QVERIFY(dialog_seen);
    QCOMPARE(stores_->sets[0].label, std::string("YX 15125A "));
    QCOMPARE(stores_->models[0].name, std::string("YX 15125A "));
    QVERIFY(frame_->view()->graph()->SetGraph(0) != nullptr);

    // A file the field-data reader refuses opens with the SEG importer.
    QTimer::singleShot(0, [&] {
      auto* dialog =
          qobject_cast<SoundingListDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      dialog->ModeBox(CurveMode::XY)->click();
      dialog->accept();
    });
    QVERIFY(frame_->ImportFile(QString(MTVUK_REAL_DATA_DIR) +
                               "/tf_edi_metronix.edi"));
    QCOMPARE(stores_->sets[1].label, std::string("XY GEO858"));
    QCOMPARE(stores_->sets[1].count, 73);

    // "Input MT-Field data" hands a Z-file to its reader by its content.
    QTimer::singleShot(0, [&] {
      auto* dialog =
          qobject_cast<SoundingListDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      dialog->ModeBox(CurveMode::XY)->click();
      dialog->accept();
    });
    QVERIFY(
        frame_->OpenFieldFile(QString(MTVUK_REAL_DATA_DIR) + "/tf_zmm.zmm"));
    QCOMPARE(stores_->sets[2].label, std::string("XY 300"));
    QCOMPARE(stores_->sets[2].count, 38);

    // A refused file: its message, no dialog, nothing changed.
    QVERIFY(!frame_->OpenFieldFile(
        QString::fromStdString(test::ExampleFile("README.md"))));
    QCOMPARE(ui_->script.prompts().back().caption,
             std::string("Invalid MT-file"));
    QCOMPARE(stores_->sets[0].label, std::string("YX 15125A "));
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::MainFrameTest)
#include "main_frame_test.moc"
