// The dialogs that read and write files.
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "core/fielddata/field_curve.h"
#include "core/fielddata/smoothing.h"
#include "ui/depth/depth_window.h"
#include "ui/fielddata/sounding_list_dialog.h"
#include "ui/files/int_dialogs.h"
#include "ui/files/trf_dialogs.h"
#include "ui_test_util.h"

namespace mtvuk {

class FileDialogsTest : public test::FrameTest {
  Q_OBJECT

 private slots:
  // What the widgets add to the list's logic (tested with the core).
  void SoundingListBoxesSlotsAndOk() {
    QVERIFY(ReadFieldFile(
        test::ExampleFile("15125A_spe.edi"), stores_->workspace, ui_->ui));
    for (int k = 0; k < 4; ++k) stores_->sets[k].in_use = k + 1;
    stores_->sets[3].label = "XY OLD";
    SoundingListDialog dialog(
        stores_->workspace, stores_->sets, stores_->models, ui_->ui);
    QCOMPARE(dialog.windowTitle(), QString("CONTENTS OF FILE: 15125A_spe.edi"));
    QCOMPARE(dialog.listing()->count(),
             stores_->workspace.sounding.listing_count);
    QCOMPARE(dialog.listing()->item(11)->text(), QString("NFREQ = 60"));
    QVERIFY(dialog.listing()->font().fixedPitch() ||
            QFontInfo(dialog.listing()->font()).fixedPitch());
    QCOMPARE(dialog.list().SlotText(3), std::string("XY OLD"));
    dialog.show();
    ui_->script.Allow("The SET's BOX is full");
    for (CurveMode m :
         {CurveMode::XY, CurveMode::YX, CurveMode::MEAN, CurveMode::EFF}) {
      dialog.ModeBox(m)->click();
    }
    QVERIFY(dialog.ModeBox(CurveMode::YX)->isChecked());
    QVERIFY(!dialog.ModeBox(CurveMode::MEAN)->isChecked());
    QVERIFY(!dialog.ModeBox(CurveMode::EFF)->isChecked());
    QCOMPARE(dialog.list().SlotText(5), std::string("YX   "));

    SlotBox* box = dialog.slot_box();
    QTest::mouseDClick(box, Qt::LeftButton, {}, box->SlotRect(0).center());
    QCOMPARE(dialog.list().slot_state(0), 0);  // offered for new data
    QPushButton* empty = nullptr;
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
      if (b->text() == "&Empty box") empty = b;
    }
    QVERIFY(empty != nullptr);
    QTest::mouseClick(empty, Qt::LeftButton);
    QVERIFY(!dialog.ModeBox(CurveMode::XY)->isChecked());
    for (int k = 0; k < MaxSets; ++k) QCOMPARE(dialog.list().slot_state(k), -1);
    QTest::mouseDClick(box, Qt::LeftButton, {}, box->SlotRect(2).center());
    QCOMPARE(dialog.list().slot_state(2), -1);  // a free slot stays as it is

    ui_->script.Expect("Nothing Z selected", Answer::kYes);
    dialog.accept();
    QVERIFY(dialog.isVisible());
    dialog.ModeBox(CurveMode::EFF)->click();
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(stores_->sets[0].label, std::string("EF 15125A "));
    QCOMPARE(stores_->models[0].name, std::string("EF 15125A "));
  }

  void SaveResultsNeedsAMarkedModel() {
    stores_->models[1].fitted_set = 1;  // only model 2 was fitted
    SaveModelDataDialog dialog(*stores_, ui_->ui);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("SAVE RESULT OF INVERSION"));
    QVERIFY(!dialog.Name(0)->isEnabled());
    QVERIFY(dialog.Name(1)->isEnabled());
    QCOMPARE(dialog.choice().marked[1], 1);
    test::ClickAt(dialog.boxes(), dialog.boxes()->SquareRect(1));
    QCOMPARE(dialog.choice().marked[1], 0);
    ui_->script.Allow("Nothing selected...");
    dialog.accept();
    QVERIFY(dialog.result() != QDialog::Accepted);
    QCOMPARE(ui_->LastText(), std::string("Mark any set to save"));
    test::ClickAt(dialog.boxes(), dialog.boxes()->SquareRect(1));
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

  // Saved blocks load into a chosen model; "Content int-File" lists them.
  void SavedBlocksLoadIntoAChosenModelAndAreListed() {
    const QString path = Path("results.int");
    stores_->models[1].fitted_set = 1;
    SaveModelChoice choice = SaveModelChoice::Load(stores_->models);
    QVERIFY(frame_->SaveResults(choice, Path("results.dat")));
    QCOMPARE(QString::fromStdString(stores_->workspace.files.int_saved), path);
    QVERIFY(frame_->SaveResults(choice, path));  // appended again

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
      QCOMPARE(ui_->LastCaption(), std::string("NOTHING SELECTED"));
      dialog->list()->setCurrentRow(1);
      QCOMPARE(dialog->DetailLine(0)->text(), QString(" 1    100.00     0.50"));
      test::ClickAt(dialog->boxes(), dialog->boxes()->SquareRect(4));
      QCOMPARE(dialog->chosen_model(), 4);
      dialog->Install();
      dialog->CloseDialog();
    });
    frame_->LoadModelFile(path);
    QVERIFY(seen);
    // Model 2 (six layers) went into model 5, which is now current.
    QCOMPARE(stores_->models[4].layer_count, std::int16_t{6});
    QCOMPARE(stores_->models[4].resistivity[3], 50.0);
    QCOMPARE(stores_->workspace.current_model, std::int16_t{4});

    std::vector<SectionStation> stations;
    stores_->workspace.station_file_kind = 1;
    CFileContentDlg content(
        stores_->workspace, ui_->ui, path.toStdString(), stations);
    QCOMPARE(stores_->workspace.station_file_kind, 0);  // an INT file
    QCOMPARE(content.list()->count(), 2);
    QCOMPARE(
        content.list()->item(0)->text(),
        QString("*   1 MODEL 2                0.0           0.0      0.0"));
    content.list()->item(1)->setSelected(true);
    QCOMPARE(stations[1].selected, 1);
    QCOMPARE(stations[0].selected, 0);

    ui_->script.Allow("CAN'T OPEN FILE");
    frame_->LoadModelFile("/no/such/file.int");
    QCOMPARE(ui_->LastText(), std::string("AN UNSPECIFIED ERROR OCCURRED"));
  }

  void SaveTransformationFromTheDepthWindow() {
    // XY in set 1 (smoothed), YX in set 2 (not smoothed).
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui, true, "15125A_spe.edi"));
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
    // Set 2 has no transformation: no reaction.
    test::ClickAt(dialog.boxes(), dialog.boxes()->SquareRect(1));
    QCOMPARE(dialog.logic().current(), 0);

    dialog.name_edit()->setText("SITE A");
    dialog.update_button()->click();
    QCOMPARE(stores_->sets[0].label, std::string("SITE A"));

    // "&Save as" twice appends two like blocks; Cancel writes nothing.
    const QString path = Path("profile.trf");
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("first line\r\n");
    }
    dialog.SetPathChooser([&] { return Path("profile"); });
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
    QCOMPARE(ui_->LastText(),
             std::string("All or part of the path is invalid"));
    QCOMPARE(test::ReadAll(path), text);
    dialog.SetPathChooser([&] { return path; });
    dialog.save_all_button()->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(test::ReadAll(path), text + block.left(block.size() / 2));

    // "Content int-File" lists the stations; the workspace marks TRF.
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
    QVERIFY(frame_->CommandAction(kCmdSaveModelData)->isEnabled());
    for (int i = 0; i < MaxModels; ++i) stores_->models[i].shown = i % 2;
    stores_->models[3].dispersion_on = 1;
    ChooseModelsDialog choose(*stores_, ui_->ui);
    choose.show();
    QApplication::processEvents();
    test::ClickAt(choose.squares(), choose.squares()->SquareRect(5));  // off
    test::ClickAt(choose.squares(), choose.squares()->SquareRect(2));  // hidden
    choose.Field(0)->setText("0.01");
    choose.Field(1)->setText("100");
    choose.accept();
    QCOMPARE(stores_->workspace.export_period_min, 0.01);

    std::vector<int> asked;
    const int written = frame_->ExportChosenModels([&](int i) {
      asked.push_back(i);
      // The second model's dialog is cancelled.
      return i == 3 ? QString() : Path(QString("model %1.txt").arg(i + 1));
    });
    QCOMPARE(asked, (std::vector<int>{1, 3}));
    QCOMPARE(written, 1);
    const QString path = Path("model 2.PLT");
    QCOMPARE(stores_->workspace.files.synthetic_path, path.toStdString());
    QVERIFY(
        test::ReadAll(path).startsWith(">HEAD\r\n    DATAID=\"MODEL 2\"\r\n"));

    // Read back, the file gives model 2's curve over the chosen range.
    QVERIFY(ReadFieldFile(path.toStdString(), stores_->workspace, ui_->ui));
    QCOMPARE(stores_->workspace.sounding.nfreq, 72);
    QCOMPARE(stores_->workspace.sounding.freq[0], 100.0f);
    QVERIFY(std::fabs(stores_->workspace.sounding.freq[71] - 0.01f) < 1e-7f);
    QVERIFY(!QFile::exists(Path("model 4.PLT")));
    QVERIFY(ui_->script.unexpected().empty());
  }
};

[[maybe_unused]] const bool kRegistered = test::Register<FileDialogsTest>();

}  // namespace mtvuk

#include "file_dialogs_test.moc"
