#include "ui/dimensionality/dimensionality_window.h"

#include <qcustomplot.h>

#include <QtTest>

#include "ui/app/vuk_view.h"
#include "ui/graph/curve_graph.h"
#include "ui_test_util.h"

namespace mtvuk {

class DimensionalityWindowTest : public test::FrameTest {
  Q_OBJECT

  DimensionalityWindow* Open() {
    frame_->CommandAction(kCmdDimensionality)->trigger();
    return frame_->dimensionality_window();
  }

  static int Bands(QCustomPlot* plot) {
    int n = 0;
    for (int i = 0; i < plot->itemCount(); ++i) {
      n += plot->item(i)->objectName() == "non_1d_band" ? 1 : 0;
    }
    return n;
  }

 private slots:
  // The window shows the invariants of the set, shades the non-1-D
  // periods, and leaves them out of the set in one click; the main graph
  // draws each set's 1-D bound and shades the same periods. Without data
  // nothing can be done.
  void ShowsMarksAndLeavesOut() {
    QCOMPARE(frame_->CommandAction(kCmdDimensionality)->text(),
             QString("&Dimensionality..."));
    DimensionalityWindow* w = Open();
    QVERIFY(w != nullptr && w->isVisible());
    QCOMPARE(w->windowTitle(), QString("Dimensionality"));
    QCOMPARE(w->set_box()->count(), 0);
    QVERIFY(!w->leave_out_button()->isEnabled());
    QCOMPARE(w->LeaveOut(), 0);
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui, true));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(Open(), w);
    QCOMPARE(w->set_box()->count(), 2);
    QCOMPARE(w->invariants().size(), size_t{60});
    QVERIFY(w->dplus().ok);
    QVERIFY(w->verdict().startsWith("D+ (best fit of any 1-D model): "));
    int non_1d = 0;
    for (const TensorInvariants& t : w->invariants()) non_1d += !t.one_d;
    QVERIFY(non_1d > 0);
    QCOMPARE(Bands(w->plot()), 2 * non_1d);
    CurveGraph* graph = frame_->findChild<CurveGraph*>("curve_graph");
    QVERIFY(graph != nullptr);
    QVERIFY(graph->BoundGraph(0) != nullptr);
    QVERIFY(graph->BoundGraph(1) != nullptr);
    QCOMPARE(graph->BoundGraph(0)->name(), QString("set 1: 1-D bound"));
    QCOMPARE(Bands(graph), non_1d);
    // Wider thresholds mark fewer periods, everywhere.
    w->ellipticity_field()->setValue(1.0);
    w->beta_field()->setValue(45.0);
    QCOMPARE(stores_->workspace.dimensionality.ellipticity, 1.0);
    int wide = 0;
    for (const TensorInvariants& t : w->invariants()) wide += !t.one_d;
    QVERIFY(wide < non_1d);
    w->ellipticity_field()->setValue(0.1);
    w->beta_field()->setValue(3.0);
    // One click.
    QCOMPARE(w->LeaveOut(), non_1d);
    int deleted = 0;
    for (int k = 0; k < 60; ++k) deleted += stores_->sets[0].point_deleted[k];
    QCOMPARE(deleted, non_1d);
    QCOMPARE(w->LeaveOut(), 0);
  }

  // Static shift: by hand, refused input, XY onto YX; the legend says so.
  void ShiftsTheCurve() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui, true));
    DimensionalityWindow* w = Open();
    const float log_rho = stores_->sets[0].log_rho[3];
    w->method_box()->setCurrentIndex(0);
    w->value_field()->setText("-3");
    ui_->script.Expect("STATIC SHIFT", Answer::kOk);
    QVERIFY(!w->ApplyShift());
    QCOMPARE(stores_->sets[0].log_rho[3], log_rho);
    w->value_field()->setText("2");
    QVERIFY(w->ApplyShift());
    QCOMPARE(stores_->sets[0].static_shift, 2.0f);
    QVERIFY(std::fabs(stores_->sets[0].log_rho[3] - log_rho - 0.30103f) < 1e-5);
    QCoreApplication::sendPostedEvents();
    CurveGraph* graph = frame_->findChild<CurveGraph*>("curve_graph");
    QVERIFY(graph->SetGraph(0)->name().endsWith("(rho x 2)"));
    // XY onto YX: the shortest periods of both then agree.
    w->method_box()->setCurrentIndex(1);
    QVERIFY(w->ApplyShift());
    QCOMPARE(stores_->sets[1].static_shift, 1.0f);
    QVERIFY(stores_->sets[0].static_shift != 2.0f);
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::DimensionalityWindowTest)
#include "dimensionality_window_test.moc"
