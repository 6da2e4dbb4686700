// The section workflow of the main view: "&New" on a result file, the map,
// the stack of section windows, the delete dialog, the menu and the Scale
// dialog.
#include <QTimer>
#include <QtTest>
#include <functional>

#include "core/files/int_file.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/main_frame.h"
#include "ui/files/int_dialogs.h"
#include "ui/section/delete_section_dialog.h"
#include "ui/section/map_dialog.h"
#include "ui/section/scale_dialog.h"
#include "ui/section/section_window.h"
#include "ui_test_util.h"

namespace mtvuk {

class SectionStackTest : public test::FrameTest {
  Q_OBJECT

  QString path_;

  CVUKView& view() { return *frame_->view(); }
  SectionStack& stack() { return stores_->workspace.sections; }

  // 16 stations 2 km apart along a west-east line, three layers each.
  void WriteProfile() {
    std::string text;
    for (int i = 0; i < 16; ++i) {
      LayerModel model;
      model.name = QString("P%1").arg(i + 1, 2, 10, QChar('0')).toStdString();
      model.coordinates = {7510000.0, 500000.0 + 2000.0 * i, 300.0 - 5 * i};
      model.layer_count = 3;
      model.resistivity[0] = 200.0;
      model.thickness[0] = 0.2;
      model.resistivity[1] = 5.0 + i;
      model.thickness[1] = 1.0;
      model.resistivity[2] = 2000.0;
      text += FormatModelBlock(model, 1);
    }
    QFile file(path_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.c_str());
  }

  // The map's automatic profile through all stations, sent to the view.
  void MakeSection() {
    view().content_dialog()->list()->selectAll();
    view().map_dialog()->AutoProfileCommand();
    view().map_dialog()->SetProfileCommand();
    QCoreApplication::sendPostedEvents();
  }

 private slots:
  void init() {
    FrameTest::init();
    path_ = QDir::temp().filePath(QString("mtvuk-section-test-%1.int")
                                      .arg(QCoreApplication::applicationPid()));
    WriteProfile();
  }
  void cleanup() {
    QFile::remove(path_);
    FrameTest::cleanup();
  }

  void NewListsTheStationsAndSetPrMakesASection() {
    QCOMPARE(QtNameFilters(kSectionFileFilter),
             QStringList({"INT files (*.int) (results of inversion) (*.int)",
                          "TRF files (*.trf) (pseoudosection) (*.trf)",
                          "All Files (*.*)"}));
    QVERIFY(view().OpenSectionFile(path_.toStdString()));
    QCOMPARE(stores_->workspace.files.int_opened, path_.toStdString());
    CFileContentDlg* content = view().content_dialog();
    QVERIFY(content != nullptr && content->isVisible());
    QCOMPARE(content->list()->count(), 16);
    MapDialog* map = view().map_dialog();
    QVERIFY(map != nullptr && !map->isVisible());
    content->map_box()->setChecked(true);
    QVERIFY(map->isVisible());

    // Set PR without a profile is refused and makes nothing.
    ui_->script.Allow("SET PROFILE");
    map->SetProfileCommand();
    QCoreApplication::sendPostedEvents();
    QVERIFY(view().section_window(0) == nullptr);
    QCOMPARE(ui_->script.prompts().size(), std::size_t{1});

    content->delete_z_box()->setChecked(true);
    MakeSection();
    SectionWindow* window = view().section_window(0);
    QVERIFY(window != nullptr);
    QCOMPARE(window->slot(), 0);
    QCOMPARE(stack().entries[0].number, 1);
    // The window took its stations; the array waits for the next profile.
    for (const SectionStation& s : view().section_stations())
      QCOMPARE(s.profile_position, -1.0);
    const auto [lo, hi] = window->ValueRange();
    QCOMPARE(lo, 5.0);
    QCOMPARE(hi, 2000.0);

    // "&Scale..." of the window opens the Scale dialog on its slot and
    // values; Apply stores the palette the dialog shows.
    bool scaled = false;
    std::function<void()> apply = [&] {
      CScaleDlg* dialog = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<CScaleDlg*>(w);
        if (d != nullptr && d->isVisible()) dialog = d;
      }
      if (dialog == nullptr) {
        QTimer::singleShot(10, this, apply);
        return;
      }
      scaled = dialog->scale().min() == 5.0 && dialog->scale().max() == 2000.0;
      dialog->palette_list()->setCurrentIndex(2);
      dialog->Apply();
      dialog->accept();
    };
    QTimer::singleShot(0, this, apply);
    window->scale_action()->trigger();
    QVERIFY(scaled);
    QCOMPARE(int(stores_->workspace.section_colours[0].palette()), 2);
    QCoreApplication::sendPostedEvents();

    // The window's close query: No hides it, the menu shows it again, Yes
    // deletes it and frees the slot (Cancel: the window's own test).
    ui_->script.Expect("SECTION #1", Answer::kNo);
    window->close();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(ui_->script.prompts().back().text,
             std::string("Delete this SECTION ?"));
    QVERIFY(!window->isVisible());
    QCOMPARE(stack().entries[0].state, 1);
    frame_->UpdateSectionMenu();
    frame_->CommandAction(kCmdSection1)->trigger();
    QVERIFY(window->isVisible());
    ui_->script.Expect("SECTION #1", Answer::kYes);
    window->close();
    QCoreApplication::sendPostedEvents();
    QVERIFY(view().section_window(0) == nullptr);
    QCOMPARE(stack().entries[0].number, -1);
    QVERIFY(ui_->script.AllExpectedShown());
    MakeSection();  // the next section takes the free slot, number 2
    QCOMPARE(stack().entries[0].number, 2);

    // A file without result blocks leaves the open dialogs alone.
    const QString junk = path_ + ".txt";
    QFile file(junk);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("nothing to see\n");
    file.close();
    ui_->script.Allow(junk.toStdString());
    QVERIFY(!view().OpenSectionFile(junk.toStdString()));
    QCOMPARE(ui_->script.prompts().back().text,
             std::string("Can't find INT or TRF-data"));
    QVERIFY(view().content_dialog() == content);
    QFile::remove(junk);

    // Closing the map closes the list too; the section stays.
    map->close();
    QCoreApplication::sendPostedEvents();
    QVERIFY(view().map_dialog() == nullptr);
    QVERIFY(view().content_dialog() == nullptr);
    QVERIFY(view().section_window(0) != nullptr);
  }

  void SixthSectionGoesThroughTheDeleteDialog() {
    QVERIFY(view().OpenSectionFile(path_.toStdString()));
    for (int i = 0; i < 5; ++i) MakeSection();
    QCOMPARE(stack().counter, 5);

    // Hide section 4 ("No" in its close query) and check the menu.
    QCoreApplication::postEvent(&view(),
                                new UmEvent(Um::UM_SECTIONSTATE, 100, 3));
    QCoreApplication::sendPostedEvents();
    QVERIFY(!view().section_window(3)->isVisible());
    QCOMPARE(stack().entries[3].state, 1);

    // A sixth section: the dialog first refuses an empty selection, then
    // deletes section 2.
    ui_->script.Allow("Can't delete section");
    bool shown = false;
    std::function<void()> answer = [&] {
      DeleteSectionDialog* dialog = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<DeleteSectionDialog*>(w);
        if (d != nullptr && d->isVisible()) dialog = d;
      }
      if (dialog == nullptr) {
        QTimer::singleShot(10, this, answer);  // not yet on screen
        return;
      }
      shown = true;
      QCOMPARE(dialog->windowTitle(), QString("Delete Section"));
      QCOMPARE(dialog->list()->count(), 5);
      dialog->delete_button()->click();
      QVERIFY(dialog->isVisible());
      dialog->list()->item(1)->setSelected(true);
      dialog->delete_button()->click();
    };
    QTimer::singleShot(0, this, answer);
    MakeSection();
    QVERIFY(shown);
    QCOMPARE(ui_->script.prompts().back().text,
             std::string("Nothing selected"));
    QCOMPARE(stack().entries[1].number, 6);
    QVERIFY(view().section_window(1) != nullptr);

    // The menu's order and marks are the stack's (tested with it).
    frame_->UpdateSectionMenu();
    QCOMPARE(frame_->CommandAction(kCmdSection1 + 1)->text(),
             QString("Section 6"));
    QVERIFY(!frame_->CommandAction(kCmdSection1 + 3)->isChecked());
    frame_->CommandAction(kCmdSection1 + 3)->trigger();
    QVERIFY(view().section_window(3)->isVisible());
    QCOMPARE(stack().entries[3].state, -1);
    QVERIFY(frame_->CommandAction(kCmdSection1 + 3)->isChecked());

    // "Yes" in the close query frees the slot; the menu shrinks.
    QCoreApplication::postEvent(&view(),
                                new UmEvent(Um::UM_SECTIONSTATE, 0, 4));
    QCoreApplication::sendPostedEvents();
    QVERIFY(view().section_window(4) == nullptr);
    QCOMPARE(stack().entries[4].number, -1);
    frame_->UpdateSectionMenu();
    QVERIFY(!frame_->CommandAction(kCmdSection1 + 4)->isVisible());
    QVERIFY(ui_->script.unexpected().empty());
  }

  void ScaleDialogStoresOnlyOnApply() {
    SectionColourBlock& block = stores_->workspace.section_colours[2];
    test::MessageRecorder sink;
    CScaleDlg dialog(nullptr, 1.0, 2000.0, 2, stores_->workspace, &sink);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Scale"));
    ResetColourList(block);  // as a section window leaves it
    for (int i = 0; i < 20; ++i) dialog.resolution_down()->click();
    QCOMPARE(dialog.scale().resolution_index(), 0);
    // The bar shows bands of ten; the section keeps its whole ramp.
    QCOMPARE(dialog.shown_colours().count, 217);
    QCOMPARE(int(dialog.shown_colours().bytes[11]), 10);
    QCOMPARE(int(block.bytes[11]), 11);

    dialog.palette_list()->setCurrentIndex(3);  // "Blue-Red"
    dialog.repaint();
    QCOMPARE(int(dialog.shown_colours().bytes[0]), 216);
    QCOMPARE(int(block.bytes[0]), 0);  // nothing leaks before "Apply"
    QCoreApplication::sendPostedEvents();
    QVERIFY(sink.received.empty());
    dialog.Apply();
    QCOMPARE(int(block.palette()), 3);
    QCOMPARE(int(block.bytes[11]), 206);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(sink.received.size(), std::size_t{1});
    QCOMPARE(sink.received[0].message, Um::UM_SCALECHANGED);
    QCOMPARE(sink.received[0].lparam, std::intptr_t{2});

    dialog.SetDefault();
    QCOMPARE(dialog.palette_list()->currentIndex(), 0);
    QCOMPARE(int(block.bytes[11]), 11);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(sink.received.size(), std::size_t{2});
  }

  void MapDesignWithTheMouse() {
    QVERIFY(view().OpenSectionFile(path_.toStdString()));
    MapDialog* map = view().map_dialog();
    map->show();
    QVERIFY(QTest::qWaitForWindowExposed(map));
    MapCanvas* canvas = map->canvas();
    map->design_box()->setChecked(true);
    const int y = canvas->height() / 2;
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(60, y));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(200, y));
    QTest::mouseClick(canvas, Qt::RightButton, {}, QPoint(200, y));
    QCOMPARE(map->design().points().size(), std::size_t{1});
    QTest::mouseClick(
        canvas, Qt::LeftButton, {}, QPoint(canvas->width() - 60, y));
    QTest::mouseDClick(
        canvas, Qt::LeftButton, {}, QPoint(canvas->width() - 60, y));
    QVERIFY(map->design().finished());
    QVERIFY(!map->design_box()->isChecked());
    // The pixels went to metres at the map's scale: the line spans the
    // stations' 30 km from west to east.
    const auto& points = map->design().points();
    QVERIFY(points.back().east - points.front().east > 25000.0);
    QVERIFY(std::abs(points.front().north - 7510000.0) < 500.0);
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::SectionStackTest)
#include "section_stack_test.moc"
