// "Save transformation Res(h)" reached from the depth window, the stations
// of a TRF file in "Content int-File", and "Save Model data Z(T)".
#include "ui/files/trf_dialogs.h"

#include <QCheckBox>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "core/fielddata/field_curve.h"
#include "core/fielddata/smoothing.h"
#include "ui/depth/depth_window.h"
#include "ui/files/int_dialogs.h"
#include "ui_test_util.h"

namespace mtvuk {

class TrfDialogsTest : public test::FrameTest {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> tmp_;
  QString dir_;

 private slots:
  void init() {
    FrameTest::init();
    tmp_ = std::make_unique<QTemporaryDir>();
    dir_ = tmp_->path();
  }
  void cleanup() {
    tmp_.reset();
    FrameTest::cleanup();
  }

  void SaveTransformationFromTheDepthWindow() {
    // XY in set 1 (smoothed), YX in set 2 (not smoothed).
    QVERIFY(ReadFieldFile(
        test::ExampleFile("15125A_spe.edi"), stores_->workspace, ui_->ui));
    LoadFieldSet(
        0, CurveMode::XY, stores_->workspace, stores_->sets, stores_->models);
    LoadFieldSet(
        1, CurveMode::YX, stores_->workspace, stores_->sets, stores_->models);
    stores_->sets[0].smoothing_mark = 1;
    RunSmoothingRequest(stores_->workspace, stores_->sets, ui_->ui);
    CVUKView* view = frame_->view();
    view->OpenDepthWindow();
    CDepthWindow* w = view->depth_window();
    QVERIFY(w != nullptr);
    auto* file = qobject_cast<QMenu*>(w->SaveResAction()->parent());
    QVERIFY(file != nullptr);
    emit file->aboutToShow();
    QVERIFY(w->SaveResAction()->isEnabled());

    // The menu item opens the dialog (closed here at once).
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
      auto* d = qobject_cast<CSaveTransformationDlg*>(
          QApplication::activeModalWidget());
      opened = d != nullptr;
      if (d != nullptr) d->reject();
    });
    w->SaveResAction()->trigger();
    QVERIFY(opened);

    CSaveTransformationDlg dialog(*stores_, ui_->ui);
    QCOMPARE(dialog.windowTitle(), QString("Save transformation Res(h)"));
    QCOMPARE(dialog.name_edit()->text(), QString("XY 15125A "));
    QCOMPARE(dialog.name_edit()->maxLength(), 30);
    QCOMPARE(dialog.LocationText(0)->text(), QString("-22:22:14"));
    QVERIFY(dialog.LocationText(2)->isReadOnly());
    // Set 2 has no transformation: its box does not react.
    QTest::mouseClick(dialog.boxes(),
                      Qt::LeftButton,
                      {},
                      dialog.boxes()->SquareRect(1).center());
    QCOMPARE(dialog.logic().current(), 0);

    dialog.name_edit()->setText("SITE A");
    dialog.update_button()->click();
    QCOMPARE(stores_->sets[0].label, std::string("SITE A"));

    // "&Save as" twice into a file that holds something: nothing of it is
    // lost, the two blocks are alike; Cancel writes nothing.
    const QString path = QDir(dir_).filePath("profile.trf");
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("first line\r\n");
    }
    dialog.SetPathChooser([&] { return QDir(dir_).filePath("profile"); });
    dialog.save_as_button()->click();
    dialog.save_as_button()->click();
    dialog.SetPathChooser([] { return QString(); });
    dialog.save_as_button()->click();
    const QByteArray text = test::ReadAll(path);
    QVERIFY(text.startsWith("first line\r\n>HEAD\r\n"));
    const QByteArray block = text.mid(12);
    QCOMPARE(block.left(block.size() / 2), block.mid(block.size() / 2));
    QVERIFY(block.contains(">TRANSFORMATION: SITE A         /"));
    QCOMPARE(stores_->workspace.files.trf_saved, path.toStdString());

    // "Save &All" closes the dialog; a failure keeps it open.
    dialog.show();
    ui_->script.Allow("CAN'T OPEN FILE");
    dialog.SetPathChooser([&] { return path + "/below/x.trf"; });
    dialog.save_all_button()->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(ui_->script.prompts().back().text,
             std::string("All or part of the path is invalid"));
    QCOMPARE(test::ReadAll(path), text);
    dialog.SetPathChooser([&] { return path; });
    dialog.save_all_button()->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(test::ReadAll(path), text + block.left(block.size() / 2));

    // The file's stations in "Content int-File"; the workspace learns that
    // it read a TRF file.
    std::vector<SectionStation> stations;
    CFileContentDlg content(
        stores_->workspace, ui_->ui, path.toStdString(), stations);
    QCOMPARE(stores_->workspace.station_file_kind, 1);
    QCOMPARE(content.list()->count(), 3);
    QCOMPARE(
        content.list()->item(2)->text(),
        QString("*   3 SITE A           7525034.5      313494.3    200.0"));
    QCOMPARE(stations[2].depth_count, 60);
    view->CloseDepthWindow();
    QApplication::sendPostedEvents();
  }

  void SaveModelDataWritesOneFilePerChosenModel() {
    QAction* command = frame_->CommandAction(kCmdSaveModelData);
    QVERIFY(command->isEnabled());
    for (int i = 0; i < MaxModels; ++i) stores_->models[i].shown = i % 2;
    stores_->models[3].dispersion_on = 1;
    ChooseModelsDialog choose(*stores_, ui_->ui);
    choose.show();
    QApplication::processEvents();
    QTest::mouseClick(choose.squares(),
                      Qt::LeftButton,
                      {},
                      choose.squares()->SquareRect(5).center());  // off
    QTest::mouseClick(choose.squares(),
                      Qt::LeftButton,
                      {},
                      choose.squares()->SquareRect(2).center());  // hidden
    choose.Field(0)->setText("0.01");
    choose.Field(1)->setText("100");
    choose.accept();
    QCOMPARE(stores_->workspace.export_period_min, 0.01);

    std::vector<int> asked;
    const int written = frame_->ExportChosenModels([&](int i) {
      asked.push_back(i);
      // The second model's dialog is cancelled.
      return i == 3 ? QString()
                    : QDir(dir_).filePath(QString("model %1.txt").arg(i + 1));
    });
    QCOMPARE(asked, (std::vector<int>{1, 3}));
    QCOMPARE(written, 1);
    const QString path = QDir(dir_).filePath("model 2.PLT");
    QCOMPARE(stores_->workspace.files.synthetic_path, path.toStdString());
    QVERIFY(
        test::ReadAll(path).startsWith(">HEAD\r\n    DATAID=\"MODEL 2\"\r\n"));

    // Read back, the file gives model 2's curve over the chosen range.
    QVERIFY(ReadFieldFile(path.toStdString(), stores_->workspace, ui_->ui));
    QCOMPARE(stores_->workspace.sounding.nfreq, 72);
    QCOMPARE(stores_->workspace.sounding.freq[0], 100.0f);
    QVERIFY(std::fabs(stores_->workspace.sounding.freq[71] - 0.01f) < 1e-7f);
    QVERIFY(!QFile::exists(QDir(dir_).filePath("model 4.PLT")));
    QVERIFY(ui_->script.unexpected().empty());
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::TrfDialogsTest)
#include "trf_dialogs_test.moc"
