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
    QVERIFY(Button(dialog, "&OK") != nullptr);
  }

  // The logic of the list is tested with the core; the widgets add a box
  // unticked again when the set box is full, the slots under the mouse, and
  // a dialog that stays open when nothing is ticked.
  void BoxesSlotsAndOk() {
    for (int k = 0; k < 4; ++k) stores_->sets[k].in_use = k + 1;
    SoundingListDialog dialog(
        stores_->workspace, stores_->sets, stores_->models, ui_.ui);
    dialog.show();
    ui_.script.Allow("The SET's BOX is full");
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
    QTest::mouseClick(Button(dialog, "&Empty box"), Qt::LeftButton);
    QVERIFY(!dialog.ModeBox(CurveMode::XY)->isChecked());
    for (int k = 0; k < MaxSets; ++k) QCOMPARE(dialog.list().slot_state(k), -1);
    QTest::mouseDClick(box, Qt::LeftButton, {}, box->SlotRect(2).center());
    QCOMPARE(dialog.list().slot_state(2), -1);  // a free slot stays as it is

    ui_.script.Expect("Nothing Z selected", Answer::kYes);
    dialog.accept();
    QVERIFY(dialog.isVisible());
    dialog.ModeBox(CurveMode::EFF)->click();
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(stores_->sets[0].label, std::string("EF 15125A "));
    QCOMPARE(stores_->models[0].name, std::string("EF 15125A "));
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::SoundingListDialogTest)
#include "sounding_list_dialog_test.moc"
