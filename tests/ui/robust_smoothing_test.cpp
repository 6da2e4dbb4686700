// The smoother chosen in the "Smoothing" window, what the window says about
// the result, and what the depth window makes of a robust curve.
#include <QApplication>
#include <QtTest>

#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "ui/app/main_frame.h"
#include "ui/depth/depth_window.h"
#include "ui/fielddata/smoothing_window.h"
#include "ui_test_util.h"

namespace mtvuk {

class RobustSmoothingTest : public QObject {
  Q_OBJECT

 private slots:
  void SmootherChoiceWarningsAndDepthWindow() {
    auto stores = std::make_unique<Stores>();
    test::ScriptedQtUi ui;
    CMainFrame frame(*stores, ui.ui);
    QVERIFY(ReadFieldFile(
        test::ExampleFile("15125A_spe.edi"), stores->workspace, ui.ui));
    LoadFieldSet(
        0, CurveMode::XY, stores->workspace, stores->sets, stores->models);
    frame.UpdateCommandStates();
    frame.CommandAction(32777)->trigger();
    CSmoothingWindow* w = frame.smoothing_window();
    QVERIFY(w != nullptr);
    QCOMPARE(w->smoother_box()->currentText(),
             QString("Robust spline (from the data)"));
    QVERIFY(w->from_data_box()->isChecked());

    // The weighted spline leaves the example's XY curve: the window warns.
    w->smoother_box()->setCurrentIndex(1);
    QVERIFY(!w->from_data_box()->isEnabled());
    w->logic().MarkAll();
    w->ok_button()->click();
    QApplication::sendPostedEvents();
    QVERIFY(stores->sets[0].smoothed_with == Smoother::kClassic);
    QVERIFY(stores->workspace.smoothing.smoother == Smoother::kClassic);
    QVERIFY(w->result_label()->text().contains("departs from the point"));
    QVERIFY(w->result_label()->property("warned").toBool());

    // The robust spline stays on the data and names the points it left.
    w->smoother_box()->setCurrentIndex(0);
    w->ok_button()->click();
    QApplication::sendPostedEvents();
    QVERIFY(stores->sets[0].smoothed_with == Smoother::kRobust);
    QVERIFY(!w->result_label()->property("warned").toBool());
    QVERIFY(w->result_label()->text().contains("2 points down-weighted"));

    // A click on the bar sets the smoothness by hand.
    SmoothingPanel* panel = w->panel();
    const QRect bar = panel->BarRect();
    QTest::mouseClick(
        panel, Qt::LeftButton, {}, QPoint(bar.left() + 63, bar.center().y()));
    QVERIFY(!w->from_data_box()->isChecked());
    QVERIFY(w->logic().tension_by_hand);
    w->from_data_box()->setChecked(true);
    QVERIFY(!w->logic().tension_by_hand);

    // The depth window: hollow marks at the down-weighted points, ranges
    // from the data, a zoom that survives smoothing again.
    auto* res_h = static_cast<QCheckBox*>(frame.view()->Control(1254));
    res_h->click();
    CDepthWindow* d = frame.view()->depth_window();
    QVERIFY(d != nullptr);
    DepthGraph* g = d->graph();
    QVERIFY(g->OutlierCurve(0) != nullptr);
    QCOMPARE(g->OutlierCurve(0)->dataCount(), 2);
    QVERIFY(d->warnings_label()->isHidden());
    // Data of 11 to 325 Ohm-m: the axis opens on 1 to 10000 Ohm-m at most.
    QVERIFY(g->xAxis->range().lower >= 1.0);
    QVERIFY(g->xAxis->range().upper <= 1e4);
    g->xAxis->setRange(20.0, 200.0);  // as a drag or the wheel would
    QVERIFY(g->UserZoomed());
    w->ok_button()->click();
    QApplication::sendPostedEvents();
    QCOMPARE(g->xAxis->range().lower, 20.0);
    QCOMPARE(g->xAxis->range().upper, 200.0);

    // The weighted spline again: the depth window warns as well.
    w->smoother_box()->setCurrentIndex(1);
    w->ok_button()->click();
    QApplication::sendPostedEvents();
    QVERIFY(!d->warnings_label()->isHidden());
    QVERIFY2(d->warnings_label()->text().contains("decades"),
             qPrintable(d->warnings_label()->text()));
    QVERIFY(g->OutlierCurve(0) == nullptr);
    QVERIFY(ui.script.unexpected().empty());
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::RobustSmoothingTest)
#include "robust_smoothing_test.moc"
