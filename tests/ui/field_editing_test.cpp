// The "Edit field data" and "INFO" windows and the mouse on the curve graph.
#include <QApplication>
#include <QLabel>
#include <QtTest>

#include "ui/fielddata/edit_data_window.h"
#include "ui_test_util.h"

namespace mtvuk {

class FieldEditingTest : public test::FrameTest {
  Q_OBJECT

 private slots:
  void WindowsMouseAndMessages() {
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
    QTest::mouseClick(
        edit->panel(), Qt::LeftButton, {}, edit->panel()->SlotRect(0).center());
    QCOMPARE(stores_->workspace.edit_marker, 0);

    // Ctrl+click switches a point off: it leaves the set's graph for the
    // hollow grey one.
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
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::FieldEditingTest)
#include "field_editing_test.moc"
