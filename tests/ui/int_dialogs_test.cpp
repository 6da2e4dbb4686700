#include "ui/files/int_dialogs.h"

#include <QTimer>
#include <QtTest>

#include "core/platform/text_file.h"
#include "ui_test_util.h"

namespace mtvuk {

class IntDialogsTest : public test::FrameTest {
  Q_OBJECT

  QString path_;

 private slots:
  void init() {
    FrameTest::init();
    path_ = QDir::temp().filePath(QString("mtvuk-int-test-%1.int")
                                      .arg(QCoreApplication::applicationPid()));
    QFile::remove(path_);
  }
  void cleanup() {
    QFile::remove(path_);
    FrameTest::cleanup();
  }

  void SaveDialogNeedsAMarkedModel() {
    stores_->models[1].fitted_set = 1;  // only model 2 was fitted
    SaveModelDataDialog dialog(*stores_, ui_->ui);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("SAVE RESULT OF INVERSION"));
    QVERIFY(!dialog.Name(0)->isEnabled());
    QVERIFY(dialog.Name(1)->isEnabled());
    QCOMPARE(dialog.choice().marked[1], 1);
    QTest::mouseClick(dialog.boxes(),
                      Qt::LeftButton,
                      {},
                      dialog.boxes()->SquareRect(1).center());
    QCOMPARE(dialog.choice().marked[1], 0);
    ui_->script.Allow("Nothing selected...");
    dialog.accept();
    QVERIFY(dialog.result() != QDialog::Accepted);
    QCOMPARE(ui_->script.prompts().back().text,
             std::string("Mark any set to save"));
    QTest::mouseClick(dialog.boxes(),
                      Qt::LeftButton,
                      {},
                      dialog.boxes()->SquareRect(1).center());
    dialog.Name(1)->setText("LINE-7 ST 12");
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(stores_->models[1].name, std::string("LINE-7 ST 12"));
    // The command is enabled once a fit has completed.
    frame_->UpdateCommandStates();
    QVERIFY(!frame_->CommandAction(kCmdSaveInversion)->isEnabled());
    stores_->workspace.inversion_done = 1;
    frame_->UpdateCommandStates();
    QVERIFY(frame_->CommandAction(kCmdSaveInversion)->isEnabled());
  }

  void SavedBlocksLoadIntoAChosenModel() {
    stores_->models[1].fitted_set = 1;
    SaveModelChoice choice = SaveModelChoice::Load(stores_->models);
    QVERIFY(
        frame_->SaveResults(choice, QString(path_).replace(".int", ".dat")));
    QCOMPARE(QString::fromStdString(stores_->workspace.files.int_saved), path_);
    QVERIFY(frame_->SaveResults(choice, path_));  // appended again

    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog =
          qobject_cast<CModelLoadDlg*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      seen = true;
      QCOMPARE(dialog->windowTitle(), QString("Loading  model Res(H)"));
      QCOMPARE(dialog->list()->count(), 2);
      ui_->script.Allow("NOTHING SELECTED");
      dialog->Install();  // nothing selected yet
      QCOMPARE(ui_->script.prompts().back().caption,
               std::string("NOTHING SELECTED"));
      dialog->list()->setCurrentRow(1);
      QCOMPARE(dialog->DetailLine(0)->text(), QString(" 1    100.00     0.50"));
      QTest::mouseClick(dialog->boxes(),
                        Qt::LeftButton,
                        {},
                        dialog->boxes()->SquareRect(4).center());
      QCOMPARE(dialog->chosen_model(), 4);
      dialog->Install();
      dialog->CloseDialog();
    });
    frame_->LoadModelFile(path_);
    QVERIFY(seen);
    // Model 2 (six layers) went into model 5, which is now current.
    QCOMPARE(stores_->models[4].layer_count, std::int16_t{6});
    QCOMPARE(stores_->models[4].resistivity[3], 50.0);
    QCOMPARE(stores_->workspace.current_model, std::int16_t{4});

    ui_->script.Allow("CAN'T OPEN FILE");
    frame_->LoadModelFile("/no/such/file.int");
    QCOMPARE(ui_->script.prompts().back().text,
             std::string("AN UNSPECIFIED ERROR OCCURRED"));
  }

  void FileContentListsTheStations() {
    stores_->models[0].fitted_set = 0;
    stores_->models[2].fitted_set = 2;
    SaveModelChoice choice = SaveModelChoice::Load(stores_->models);
    QVERIFY(frame_->SaveResults(choice, path_));
    std::vector<SectionStation> stations;
    stores_->workspace.station_file_kind = 1;
    CFileContentDlg dialog(
        stores_->workspace, ui_->ui, path_.toStdString(), stations);
    QCOMPARE(stores_->workspace.station_file_kind, 0);  // an INT file
    QCOMPARE(dialog.list()->count(), 2);
    QCOMPARE(
        dialog.list()->item(0)->text(),
        QString("*   1 MODEL 1                0.0           0.0      0.0"));
    dialog.list()->item(1)->setSelected(true);
    QCOMPARE(stations[1].selected, 1);
    QCOMPARE(stations[0].selected, 0);
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::IntDialogsTest)
#include "int_dialogs_test.moc"
