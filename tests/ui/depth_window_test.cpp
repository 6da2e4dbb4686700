// The "Smoothing" window, the depth window with design mode, and
// "Set designed model", driven as a user drives them.
#include "ui/depth/depth_window.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "ui/app/main_frame.h"
#include "ui/fielddata/smoothing_window.h"
#include "ui/modelform/modeling_dialogs.h"
#include "ui_test_util.h"

namespace mtvuk {

class DepthWindowTest : public QObject {
  Q_OBJECT

  // The example's XY and YX curves in slots 1 and 2.
  static void LoadExample(Stores& stores, QtUi& ui) {
    QVERIFY(ReadFieldFile(
        test::ExampleFile("15125A_spe.edi"), stores.workspace, ui));
    LoadFieldSet(
        0, CurveMode::XY, stores.workspace, stores.sets, stores.models);
    LoadFieldSet(
        1, CurveMode::YX, stores.workspace, stores.sets, stores.models);
  }

 private slots:
  void SmoothingWindowMarksAndSmooths() {
    auto stores = std::make_unique<Stores>();
    test::ScriptedQtUi ui;
    CMainFrame frame(*stores, ui.ui);
    frame.UpdateCommandStates();
    QVERIFY(!frame.CommandAction(32777)->isEnabled());
    LoadExample(*stores, ui.ui);
    frame.UpdateCommandStates();
    QVERIFY(frame.CommandAction(32777)->isEnabled());
    frame.CommandAction(32777)->trigger();
    CSmoothingWindow* w = frame.smoothing_window();
    QVERIFY(w != nullptr);
    QCOMPARE(w->windowTitle(), QString("Smoothing"));
    QVERIFY(stores->workspace.smoothing_window_open);

    ui.script.Expect("Nothing selected...", Answer::kOk);
    w->ok_button()->click();
    QCOMPARE(ui.script.prompts().back().text,
             std::string("Mark any set to smooth"));

    SmoothingPanel* panel = w->panel();
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->SlotRect(1).center());
    QTest::mouseClick(panel, Qt::LeftButton, {}, panel->SlotRect(4).center());
    QCOMPARE(stores->sets[1].smoothing_mark, std::int16_t{1});
    QCOMPARE(stores->sets[4].smoothing_mark, std::int16_t{-1});  // empty slot
    const QRect bar = panel->BarRect();
    QTest::mouseClick(
        panel, Qt::LeftButton, {}, QPoint(bar.left() + 63, bar.center().y()));
    QCOMPARE(w->logic().tension_position, 63);
    w->res_phs_box()->setChecked(true);
    w->ok_button()->click();
    QCOMPARE(stores->workspace.smoothing.tension_position, std::int16_t{63});
    QVERIFY(stores->sets[1].phase_from_rho[0] > 0.0f);
    QCOMPARE(stores->sets[1].smoothed, 0);  // the request is still posted
    QApplication::sendPostedEvents();
    QCOMPARE(stores->sets[1].smoothed, 1);
    QCOMPARE(stores->sets[0].smoothed, 0);
    QVERIFY(std::fabs(stores->sets[1].smoothed_log_rho[10] -
                      stores->sets[1].log_rho[10]) < 0.1f);
    CurveGraph* graph = frame.view()->graph();
    QVERIFY(graph->SmoothedGraph(1) != nullptr);
    QVERIFY(graph->SmoothedGraph(0) == nullptr);
    QCOMPARE(graph->SmoothedGraph(1)->dataCount(), 60);

    w->close();
    QApplication::sendPostedEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(frame.smoothing_window() == nullptr);
    QCOMPARE(stores->sets[1].smoothing_mark, std::int16_t{-1});
    QVERIFY(!stores->workspace.smoothing_window_open);
    QVERIFY(ui.script.unexpected().empty());
  }

  void DepthWindowShowsProfilesAndDesigns() {
    auto stores = std::make_unique<Stores>();
    test::ScriptedQtUi ui;
    CMainFrame frame(*stores, ui.ui);
    LoadExample(*stores, ui.ui);
    for (int k : {0, 1}) stores->sets[k].smoothing_mark = 1;
    RunSmoothingRequest(stores->workspace, stores->sets, ui.ui);
    CVUKView* view = frame.view();
    auto* res_h = static_cast<QCheckBox*>(view->Control(1254));
    QVERIFY(res_h->isEnabled());
    res_h->click();
    CDepthWindow* w = view->depth_window();
    QVERIFY(w != nullptr);
    QCOMPARE(w->windowTitle(),
             QString("  Resistivity/Conductance  vs. depth "));
    QVERIFY(stores->workspace.depth_window_open);
    QCOMPARE(stores->sets[0].log_res[0], stores->sets[0].log_res[0]);
    QVERIFY(stores->sets[0].depth[5] < 0.0f);
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
    QAction* set1 = nullptr;
    for (QAction* a : w->actions()) {
      if (a->text() == "&1") set1 = a;
    }
    QVERIFY(set1 != nullptr);
    QCOMPARE(set1->shortcut(), QKeySequence("Alt+1"));
    set1->trigger();
    QCOMPARE(stores->sets[0].depth_switch, 0);
    QVERIFY(g->SetCurve(0) == nullptr);
    set1->trigger();
    QCOMPARE(stores->sets[0].depth_switch, 1);

    // "&0" draws the further profile of a set when there is one.
    view->SetExtraProfileSource([](int k, ExtraProfile& p) {
      if (k != 1) return false;
      p.depth = {-100.0, -1000.0, -5000.0};
      p.log_res = {1.0, 2.0, 1.5};
      p.log_s = {0.5, 1.0, 1.5};
      return true;
    });
    QAction* extra = nullptr;
    for (QAction* a : w->actions()) {
      if (a->text() == "&0") extra = a;
    }
    QVERIFY(extra != nullptr);
    QVERIFY(g->ExtraCurve(1) == nullptr);
    extra->trigger();
    QVERIFY(g->ExtraCurve(0) == nullptr);
    QVERIFY(g->ExtraCurve(1) != nullptr);
    QCOMPARE(g->ExtraCurve(1)->dataCount(), 3);
    QVERIFY(view->depth_graph()->ExtraCurve(1) != nullptr);
    extra->trigger();
    QVERIFY(g->ExtraCurve(1) == nullptr);

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
    const auto before = stores->models[0].resistivity;
    ui.script.Expect("END DESIGN", Answer::kNo);
    w->Button("&Design")->click();
    QVERIFY(!w->logic().design);
    QCOMPARE(ui.script.prompts().back().text,
             std::string("Set designed model?"));
    QCOMPARE(stores->models[0].resistivity, before);
    QVERIFY(std::fabs(stores->workspace.designed_model.thickness[0] - 0.5) <
            0.01);

    // "&Set Model" in design mode opens the dialog at once.
    w->Button("&Design")->click();
    QTest::mouseClick(
        g, Qt::LeftButton, {}, g->ValueToPixel(-1000.0, 2.0).toPoint());
    QTest::mouseClick(
        g, Qt::LeftButton, {}, g->ValueToPixel(-3000.0, 1.0).toPoint());
    // The dialog is finished whatever it shows; the checks come after.
    QString title, h0, h1;
    bool refused_row_9 = false;
    QTimer::singleShot(0, [&] {
      auto* dialog =
          qobject_cast<CDesignedModelDlg*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      title = dialog->windowTitle();
      h0 = dialog->Thickness(0)->text();
      h1 = dialog->Thickness(1)->text();
      dialog->Resistivity(0)->setText("0.0005");
      dialog->Resistivity(8)->setText("0.000001");  // row 9: out of range
      ui.script.Expect("MT-VUK", Answer::kOk);
      dialog->accept();
      refused_row_9 = dialog->isVisible();
      dialog->Resistivity(8)->setText("50");
      QTest::mouseClick(dialog->squares(),
                        Qt::LeftButton,
                        {},
                        dialog->squares()->SquareRect(3).center());
      dialog->accept();
      if (dialog->isVisible()) dialog->reject();
    });
    w->SetModelAction()->trigger();
    QCOMPARE(title, QString("Set designed model"));
    QVERIFY(std::fabs(h0.toDouble() - 1.0) < 0.02);
    QCOMPARE(h1, QString("100.00"));
    QVERIFY(refused_row_9);
    QCOMPARE(ui.script.prompts().back().text,
             std::string("Please enter a number between 1e-05 and 1000000."));
    QVERIFY(w->logic().design);
    QCOMPARE(stores->workspace.current_model, std::int16_t{3});
    QCOMPARE(stores->models[3].resistivity[0], 0.0005);
    QVERIFY(std::fabs(stores->models[3].thickness[0] - 1.0) < 0.02);
    QCOMPARE(stores->models[3].layer_count, std::int16_t{10});
    QApplication::sendPostedEvents();  // the view computes the models again

    w->close();
    QApplication::sendPostedEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(view->depth_window() == nullptr);
    QVERIFY(!stores->workspace.depth_window_open);
    QVERIFY(!res_h->isChecked());
    QCOMPARE(stores->workspace.depth.quantity, DepthQuantity::kResistivity);
    QVERIFY(ui.script.unexpected().empty());
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::DepthWindowTest)
#include "depth_window_test.moc"
