#include "ui/inversion/smooth_inversion_window.h"

#include <qcustomplot.h>

#include <QtTest>

#include "ui/depth/depth_window.h"
#include "ui_test_util.h"

namespace mtvuk {

class SmoothInversionWindowTest : public test::FrameTest {
  Q_OBJECT

  SmoothInversionWindow* Open() {
    frame_->CommandAction(kCmdSmoothInversion)->trigger();
    return frame_->smooth_window();
  }

 private slots:
  // Setting > Inversion > "Smooth inversion (Occam)...": without data the
  // window cannot run. A run on the bundled example keeps the profile with
  // set 1, draws the four panels and installs as a model of at most 16
  // layers.
  void RunsDrawsAndInstalls() {
    QAction* command = frame_->CommandAction(kCmdSmoothInversion);
    QCOMPARE(command->text(), QString("Smooth inversion (Occam)..."));
    SmoothInversionWindow* w = Open();
    QVERIFY(w != nullptr && w->isVisible());
    QCOMPARE(w->set_box()->count(), 0);
    QVERIFY(!w->run_button()->isEnabled());
    QVERIFY(!w->install_button()->isEnabled());
    QVERIFY(!w->Run());
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    QCOMPARE(Open(), w);
    QCOMPARE(w->set_box()->count(), 1);
    QCOMPARE(w->set_box()->itemText(0), QString("1: XY 15125A "));
    QCOMPARE(w->target_field()->text(), QString("1"));
    QCOMPARE(w->layers_field()->text(), QString("50"));
    w->layers_field()->setText("30");
    QVERIFY(w->Run());
    const SmoothProfile* p =
        CurrentProfile(stores_->profiles, stores_->sets[0], 0);
    QVERIFY(p != nullptr);
    QCOMPARE(p->layers, 30);
    QCOMPARE(p->target, std::int16_t(5));  // "Main setting" target 1 fits 5
    QVERIFY(w->summary().contains(
        QRegularExpression("normalized rms [0-9.]+\\nroughness")));
    QVERIFY(w->summary().contains("30 layers over a half-space"));
    // Data, Bostick points, response, profile, merged model, the mu
    // values tried and the chosen one, the target line.
    QVERIFY(w->plot()->plottableCount() >= 10);
    QVERIFY(w->install_button()->isEnabled());

    w->model_box()->setCurrentIndex(1);
    QVERIFY(w->Install());
    QCoreApplication::sendPostedEvents();
    const LayerModel& m = stores_->models[1];
    QVERIFY(m.layer_count >= 2 && m.layer_count <= 16);
    QCOMPARE(m.shown, 1);
    QCOMPARE(stores_->workspace.current_model, std::int16_t(1));
    // The installed model's curve was computed for the view.
    QVERIFY(m.curve.computed);
  }

  // The depth window draws the profile kept with the set while its "&0"
  // switch is on; a run while it is open redraws it.
  void TheDepthWindowShowsTheProfile() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    frame_->view()->OpenDepthWindow();
    CDepthWindow* depth = frame_->view()->depth_window();
    QAction* extra = nullptr;
    for (QAction* a : depth->actions()) {
      if (a->text() == "&0") extra = a;
    }
    QVERIFY(extra != nullptr);
    extra->trigger();
    QVERIFY(depth->graph()->ExtraCurve(0) == nullptr);
    SmoothInversionWindow* w = Open();
    w->layers_field()->setText("30");
    QVERIFY(w->Run());
    QCoreApplication::sendPostedEvents();
    QCPCurve* curve = depth->graph()->ExtraCurve(0);
    QVERIFY(curve != nullptr);
    // A staircase: the top and the bottom of 30 layers and the half-space.
    QCOMPARE(curve->dataCount(), 62);
    QVERIFY(frame_->view()->depth_graph()->ExtraCurve(0) != nullptr);
    ExtraProfile p;
    QVERIFY(!SmoothExtraProfile(*stores_, 1, p));  // set 2 has none
    extra->trigger();  // and "&0" again takes it away
    QVERIFY(depth->graph()->ExtraCurve(0) == nullptr);
  }

  // The ranges are the logic's; the window refuses what is no number.
  void RefusesFieldsOutOfRange() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    ui_->script.Allow("MT-VUK");
    SmoothInversionWindow* w = Open();
    w->target_field()->setText("0");
    QVERIFY(!w->Run());
    QCOMPARE(ui_->script.prompts().back().text,
             std::string("Please enter a number between 0.1 and 100."));
    w->target_field()->setText("1.5");
    w->layers_field()->setText("abc");
    QVERIFY(!w->Run());
    QCOMPARE(ui_->script.prompts().back().text,
             std::string("Please enter a number."));
    QVERIFY(CurrentProfile(stores_->profiles, stores_->sets[0], 0) == nullptr);
  }

  // The "Esc" button stops a run as the key does; the profile reached so
  // far is kept. When no run is going on it closes the window.
  void EscButtonStopsARun() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    ui_->script.Allow("SMOOTH INVERSION");
    SmoothInversionWindow* w = Open();
    QTimer::singleShot(
        0, w, [w] { QTest::mouseClick(w->escape_button(), Qt::LeftButton); });
    QVERIFY(w->Run());
    QVERIFY(w->result().cancelled);
    QVERIFY(w->isVisible());
    QTest::mouseClick(w->escape_button(), Qt::LeftButton);
    QVERIFY(!w->isVisible());
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::SmoothInversionWindowTest)
#include "smooth_inversion_window_test.moc"
