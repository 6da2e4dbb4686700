#include "ui/fielddata/sounding_list_dialog.h"

#include <QPushButton>
#include <QtTest>

#include "core/fielddata/field_file_reader.h"
#include "core/store/store_defaults.h"
#include "ui_test_util.h"

namespace mtvuk {

class SoundingListDialogTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Stores> stores_;
  test::ScriptedQtUi ui_;

  QPushButton* Button(QDialog& dialog, const QString& text) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
      if (b->text() == text) return b;
    }
    return nullptr;
  }

 private slots:
  void init() {
    stores_ = std::make_unique<Stores>();
    ApplyStartDefaults(stores_->workspace, stores_->sets, stores_->models);
    ui_.script = ScriptedUi();
    QVERIFY(ReadFieldFile(
        test::ExampleFile("15125A_spe.edi"), stores_->workspace, ui_.ui));
  }

  void ShowsTheListingAndTheSlots() {
    stores_->sets[3].in_use = 4;
    stores_->sets[3].label = "XY OLD";
    SoundingListDialog dialog(
        stores_->workspace, stores_->sets, stores_->models, ui_.ui);
    QCOMPARE(dialog.windowTitle(), QString("CONTENTS OF FILE: 15125A_spe.edi"));
    QCOMPARE(dialog.listing()->count(),
             stores_->workspace.sounding.listing_count);
    QCOMPARE(dialog.listing()->item(11)->text(), QString("NFREQ = 60"));
    QVERIFY(dialog.listing()->font().fixedPitch() ||
            QFontInfo(dialog.listing()->font()).fixedPitch());
    QCOMPARE(dialog.list().SlotText(3), std::string("XY OLD"));
    QVERIFY(Button(dialog, "&Empty box") != nullptr);
    QVERIFY(Button(dialog, "&OK") != nullptr);
  }

  void FullBoxUndoesTheExtraTicks() {
    for (int k = 0; k < 4; ++k) stores_->sets[k].in_use = k + 1;
    SoundingListDialog dialog(
        stores_->workspace, stores_->sets, stores_->models, ui_.ui);
    ui_.script.Allow("The SET's BOX is full");
    for (CurveMode m :
         {CurveMode::XY, CurveMode::YX, CurveMode::MEAN, CurveMode::EFF}) {
      dialog.ModeBox(m)->click();
    }
    QVERIFY(dialog.ModeBox(CurveMode::XY)->isChecked());
    QVERIFY(dialog.ModeBox(CurveMode::YX)->isChecked());
    QVERIFY(!dialog.ModeBox(CurveMode::MEAN)->isChecked());
    QVERIFY(!dialog.ModeBox(CurveMode::EFF)->isChecked());
    QCOMPARE(ui_.script.prompts().size(), std::size_t{2});
    QCOMPARE(dialog.list().SlotText(4), std::string("XY   "));
    QCOMPARE(dialog.list().SlotText(5), std::string("YX   "));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(stores_->sets[4].label, std::string("XY 15125A "));
    QCOMPARE(stores_->models[5].name, std::string("YX 15125A "));
    QCOMPARE(stores_->models[5].attached_set, std::int16_t{5});
  }

  void DoubleClicksAndEmptyBox() {
    stores_->sets[0].in_use = 1;
    SoundingListDialog dialog(
        stores_->workspace, stores_->sets, stores_->models, ui_.ui);
    dialog.show();
    SlotBox* box = dialog.slot_box();
    QTest::mouseDClick(box, Qt::LeftButton, {}, box->SlotRect(0).center());
    QCOMPARE(dialog.list().slot_state(0), 0);  // offered for new data
    dialog.ModeBox(CurveMode::EFF)->click();
    QCOMPARE(dialog.list().chosen_slot(CurveMode::EFF), 0);
    QTest::mouseDClick(box, Qt::LeftButton, {}, box->SlotRect(2).center());
    QCOMPARE(dialog.list().slot_state(2), -1);  // a free slot stays as it is
    QTest::mouseClick(Button(dialog, "&Empty box"), Qt::LeftButton);
    QVERIFY(!dialog.ModeBox(CurveMode::EFF)->isChecked());
    for (int k = 0; k < MaxSets; ++k) QCOMPARE(dialog.list().slot_state(k), -1);
  }

  void OkWithNothingTickedAsksToTryAgain() {
    SoundingListDialog dialog(
        stores_->workspace, stores_->sets, stores_->models, ui_.ui);
    ui_.script.Expect("Nothing Z selected", Answer::kYes);
    dialog.accept();
    QVERIFY(dialog.result() != int(QDialog::Accepted));
    ui_.script.Expect("Nothing Z selected", Answer::kNo);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(ui_.script.AllExpectedShown());
    for (const FieldSet& s : stores_->sets) QCOMPARE(s.in_use, -1);
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::SoundingListDialogTest)
#include "sounding_list_dialog_test.moc"
