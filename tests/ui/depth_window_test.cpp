// The "Smoothing" window, the depth window and "Set designed model".
#include "ui/depth/depth_window.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "ui/fielddata/smoothing_window.h"
#include "ui/modelform/modeling_dialogs.h"
#include "ui_test_util.h"

namespace mtvuk {

class DepthWindowTest : public test::FrameTest {
  Q_OBJECT

  bool LoadExample(bool yx = true) {
    return test::LoadExampleXy(*stores_, ui_->ui, yx, "15125A_spe.edi");
  }

 private slots:
  void SmoothingWindowMarksAndSmooths() {
    frame_->UpdateCommandStates();  // no data: nothing to smooth
    QVERIFY(!frame_->CommandAction(32777)->isEnabled());
    QVERIFY(LoadExample());
    frame_->UpdateCommandStates();
    QVERIFY(frame_->CommandAction(32777)->isEnabled());
    frame_->CommandAction(32777)->trigger();
    CSmoothingWindow* w = frame_->smoothing_window();
    QVERIFY(w != nullptr);
    QCOMPARE(w->windowTitle(), QString("Smoothing"));
    QVERIFY(stores_->workspace.smoothing_window_open);

    // The mouse on the panel, the posted request and the graph.
    SmoothingPanel* panel = w->panel();
    test::ClickAt(panel, panel->SlotRect(1));
    QCOMPARE(stores_->sets[1].smoothing_mark, std::int16_t{1});
    const QRect bar = panel->BarRect();
    QTest::mouseClick(
        panel, Qt::LeftButton, {}, QPoint(bar.left() + 63, bar.center().y()));
    QCOMPARE(w->logic().tension_position, 63);
    QVERIFY(w->logic().tension_by_hand);
    QVERIFY(!w->from_data_box()->isChecked());
    w->res_phs_box()->setChecked(true);
    w->ok_button()->click();
    QCOMPARE(stores_->workspace.smoothing.tension_position, std::int16_t{63});
    QCOMPARE(stores_->sets[1].smoothed, 0);  // the request is still posted
    QApplication::sendPostedEvents();
    QCOMPARE(stores_->sets[1].smoothed, 1);
    QCOMPARE(stores_->sets[0].smoothed, 0);
    CurveGraph* graph = frame_->view()->graph();
    QVERIFY(graph->SmoothedGraph(1) != nullptr);
    QVERIFY(graph->SmoothedGraph(0) == nullptr);
    QCOMPARE(graph->SmoothedGraph(1)->dataCount(), 60);

    w->close();
    QApplication::sendPostedEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(frame_->smoothing_window() == nullptr);
    QCOMPARE(stores_->sets[1].smoothing_mark, std::int16_t{-1});
    QVERIFY(!stores_->workspace.smoothing_window_open);
    QVERIFY(ui_->script.unexpected().empty());
  }

  void DepthWindowShowsProfilesAndDesigns() {
    QVERIFY(LoadExample());
    for (int k : {0, 1}) stores_->sets[k].smoothing_mark = 1;
    RunSmoothingRequest(stores_->workspace, stores_->sets, ui_->ui);
    CVUKView* view = frame_->view();
    auto* res_h = static_cast<QCheckBox*>(view->Control(1254));
    QVERIFY(res_h->isEnabled());
    res_h->click();
    CDepthWindow* w = view->depth_window();
    QVERIFY(w != nullptr);
    QCOMPARE(w->windowTitle(),
             QString("  Resistivity/Conductance  vs. depth "));
    QVERIFY(stores_->workspace.depth_window_open);
    DepthGraph* g = w->graph();
    QCOMPARE(g->Title(), QString("RESISTIVITY  vs.  DEPTH"));
    QVERIFY(g->SetCurve(0) != nullptr && g->SetCurve(1) != nullptr);
    QCOMPARE(g->SetCurve(1)->dataCount(), 60);
    QCOMPARE(view->depth_graph()->SetCurve(1)->dataCount(), 60);

    // The radio pair: a click on the button that is on turns the other on.
    w->Button("&Res(h)")->click();
    QCOMPARE(g->Title(), QString("CONDUCTANCE  vs.  DEPTH"));
    QVERIFY(w->Button("&S (h)")->isChecked());
    QVERIFY(!w->Button("&Res(h)")->isChecked());
    QCOMPARE(view->depth_graph()->Title(), QString("CONDUCTANCE  vs.  DEPTH"));
    QCOMPARE(g->SetCurve(0)->dataCount(), 59);  // the first point has no S
    w->Button("&S (h)")->click();
    QCOMPARE(g->Title(), QString("RESISTIVITY  vs.  DEPTH"));
    w->Button("&Transf")->click();
    QVERIFY(g->SetCurve(0) == nullptr);
    w->Button("&Transf")->click();
    // "&1" (Alt+1) switches set 1 off in the depth window.
    QAction* set1 = test::ActionNamed(w, "&1");
    QVERIFY(set1 != nullptr);
    QCOMPARE(set1->shortcut(), QKeySequence("Alt+1"));
    set1->trigger();
    QCOMPARE(stores_->sets[0].depth_switch, 0);
    QVERIFY(g->SetCurve(0) == nullptr);
    set1->trigger();
    QCOMPARE(stores_->sets[0].depth_switch, 1);

    // Design: three points, one removed with the right button, one moved.
    g->SetRanges({0.0, -5000.0, 0.0, 4.0});
    w->Button("&Design")->click();
    QVERIFY(w->logic().design);
    for (auto [depth, log_res] : {std::pair{-500.0, 2.0},
                                  {-2000.0, 1.0},
                                  {-1000.0, 0.5},
                                  {-3000.0, 3.0}}) {
      QTest::mouseClick(
          g, Qt::LeftButton, {}, g->ValueToPixel(depth, log_res).toPoint());
    }
    QCOMPARE(w->logic().points.count(), 3);  // -1000 is not below -2000
    QTest::mouseClick(g, Qt::RightButton, {}, QPoint(10, 10));
    QCOMPARE(w->logic().points.count(), 2);
    const QPoint grab = g->ValueToPixel(-2000.0, 1.0).toPoint();
    QTest::mousePress(g, Qt::LeftButton, {}, grab);
    QCOMPARE(w->grabbed(), 1);
    QMouseEvent move(QEvent::MouseMove,
                     QPointF(g->ValueToPixel(-100.0, 1.5)),
                     QPointF(g->mapToGlobal(g->ValueToPixel(-100.0, 1.5))),
                     Qt::NoButton,
                     Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(g, &move);
    QTest::mouseRelease(g, Qt::LeftButton, {}, grab);
    const DesignedPoint& moved = w->logic().points.point(1);
    QVERIFY(moved.depth < -500.0);  // stays below its upper neighbour
    QVERIFY(std::fabs(moved.log_res - 1.5) < 0.02);
    QVERIFY(g->DesignCurve() != nullptr);

    // "&Design" again asks; No keeps the models.
    const auto before = stores_->models[0].resistivity;
    ui_->script.Expect("END DESIGN", Answer::kNo);
    w->Button("&Design")->click();
    QVERIFY(!w->logic().design);
    QCOMPARE(stores_->models[0].resistivity, before);

    // "&Set Model" opens the dialog at once; a refused row keeps it open.
    w->Button("&Design")->click();
    QTest::mouseClick(
        g, Qt::LeftButton, {}, g->ValueToPixel(-1000.0, 2.0).toPoint());
    QTest::mouseClick(
        g, Qt::LeftButton, {}, g->ValueToPixel(-3000.0, 1.0).toPoint());
    // The dialog is finished whatever it shows; the checks come after.
    QString title;
    bool refused_row_9 = false;
    QTimer::singleShot(0, [&] {
      auto* dialog =
          qobject_cast<CDesignedModelDlg*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      title = dialog->windowTitle();
      dialog->Resistivity(0)->setText("0.0005");
      dialog->Resistivity(8)->setText("0.000001");  // row 9: out of range
      ui_->script.Expect("MT-VUK", Answer::kOk);
      dialog->accept();
      refused_row_9 = dialog->isVisible();
      dialog->Resistivity(8)->setText("50");
      test::ClickAt(dialog->squares(), dialog->squares()->SquareRect(3));
      dialog->accept();
      if (dialog->isVisible()) dialog->reject();
    });
    w->SetModelAction()->trigger();
    QCOMPARE(title, QString("Set designed model"));
    QVERIFY(refused_row_9);
    QVERIFY(w->logic().design);
    QCOMPARE(stores_->workspace.current_model, std::int16_t{3});
    QCOMPARE(stores_->models[3].resistivity[0], 0.0005);
    // The first point, clicked at 1 km depth, ends the first layer there.
    QVERIFY(std::fabs(stores_->models[3].thickness[0] - 1.0) < 0.02);
    QApplication::sendPostedEvents();  // the view computes the models again

    w->close();
    QApplication::sendPostedEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(view->depth_window() == nullptr);
    QVERIFY(!stores_->workspace.depth_window_open);
    QVERIFY(!res_h->isChecked());
    QCOMPARE(stores_->workspace.depth.quantity, DepthQuantity::kResistivity);
    QVERIFY(ui_->script.unexpected().empty());
  }

  void SmootherChoiceWarningsAndDepthWindow() {
    QVERIFY(LoadExample(false));
    frame_->UpdateCommandStates();
    frame_->CommandAction(32777)->trigger();
    CSmoothingWindow* w = frame_->smoothing_window();
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
    QVERIFY(stores_->sets[0].smoothed_with == Smoother::kClassic);
    QVERIFY(stores_->workspace.smoothing.smoother == Smoother::kClassic);
    QVERIFY(w->result_label()->text().contains("departs from the point"));
    QVERIFY(w->result_label()->property("warned").toBool());

    // The robust spline stays on the data and names the points it left.
    w->smoother_box()->setCurrentIndex(0);
    w->ok_button()->click();
    QApplication::sendPostedEvents();
    QVERIFY(stores_->sets[0].smoothed_with == Smoother::kRobust);
    QVERIFY(!w->result_label()->property("warned").toBool());
    QVERIFY(w->result_label()->text().contains("2 points down-weighted"));

    // Depth: down-weighted points hollow, data ranges, a zoom that stays.
    auto* res_h = static_cast<QCheckBox*>(frame_->view()->Control(1254));
    res_h->click();
    CDepthWindow* d = frame_->view()->depth_window();
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
    QVERIFY(ui_->script.unexpected().empty());
  }
};

[[maybe_unused]] const bool kRegistered = test::Register<DepthWindowTest>();

}  // namespace mtvuk
#include "depth_window_test.moc"
