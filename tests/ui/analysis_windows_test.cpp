// The Occam, Bayesian and dimensionality windows, opened from their menus.
#include <qcustomplot.h>

#include <QtTest>
#include <cmath>

#include "core/bayes/bayes_json.h"
#include "ui/bayes/bayes_inversion_window.h"
#include "ui/depth/depth_window.h"
#include "ui/dimensionality/dimensionality_window.h"
#include "ui/graph/curve_graph.h"
#include "ui/graph/depth_graph.h"
#include "ui/inversion/smooth_inversion_window.h"
#include "ui_test_util.h"

namespace mtvuk {

class AnalysisWindowsTest : public test::FrameTest {
  Q_OBJECT

  SmoothInversionWindow* OpenSmooth() {
    frame_->CommandAction(kCmdSmoothInversion)->trigger();
    return frame_->smooth_window();
  }
  BayesInversionWindow* OpenBayes() {
    frame_->CommandAction(kCmdBayesInversion)->trigger();
    return frame_->bayes_window();
  }
  DimensionalityWindow* OpenDimensionality() {
    frame_->CommandAction(kCmdDimensionality)->trigger();
    return frame_->dimensionality_window();
  }

  // The shaded non-1-D periods of a plot.
  static int Bands(QCustomPlot* plot) {
    int n = 0;
    for (int i = 0; i < plot->itemCount(); ++i)
      n += plot->item(i)->objectName() == "non_1d_band";
    return n;
  }

 private slots:
  // Occam: no run without data, refused fields, a run drawn and installed.
  void RunsDrawsAndInstalls() {
    QAction* command = frame_->CommandAction(kCmdSmoothInversion);
    QCOMPARE(command->text(), QString("Smooth inversion (Occam)..."));
    SmoothInversionWindow* w = OpenSmooth();
    QVERIFY(w != nullptr && w->isVisible());
    QCOMPARE(w->set_box()->count(), 0);
    QVERIFY(!w->run_button()->isEnabled());
    QVERIFY(!w->install_button()->isEnabled());
    QVERIFY(!w->Run());
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    // "&0" of the depth window draws the set's profile once a run is done.
    frame_->view()->OpenDepthWindow();
    CDepthWindow* depth = frame_->view()->depth_window();
    QAction* extra = test::ActionNamed(depth, "&0");
    QVERIFY(extra != nullptr);
    extra->trigger();
    QVERIFY(depth->graph()->ExtraCurve(0) == nullptr);
    QCOMPARE(OpenSmooth(), w);
    QCOMPARE(w->set_box()->count(), 1);
    QCOMPARE(w->set_box()->itemText(0), QString("1: XY 15125A "));
    QCOMPARE(w->target_field()->text(), QString("1"));
    QCOMPARE(w->layers_field()->text(), QString("50"));
    // The ranges are the logic's; the window refuses what is no number.
    ui_->script.Allow("MT-VUK");
    w->target_field()->setText("0");
    QVERIFY(!w->Run());
    QCOMPARE(ui_->LastText(),
             std::string("Please enter a number between 0.1 and 100."));
    w->target_field()->setText("1");
    w->layers_field()->setText("abc");
    QVERIFY(!w->Run());
    QCOMPARE(ui_->LastText(), std::string("Please enter a number."));
    QVERIFY(CurrentProfile(stores_->profiles, stores_->sets[0], 0) == nullptr);
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
    // Data, Bostick, response, profile, model, mu values, target line.
    QVERIFY(w->plot()->plottableCount() >= 10);
    QVERIFY(w->install_button()->isEnabled());
    QCoreApplication::sendPostedEvents();
    QCPCurve* curve = depth->graph()->ExtraCurve(0);
    QVERIFY(curve != nullptr);
    // A staircase: the top and the bottom of 30 layers and the half-space.
    QCOMPARE(curve->dataCount(), 62);
    QVERIFY(frame_->view()->depth_graph()->ExtraCurve(0) != nullptr);
    ExtraProfile none;
    QVERIFY(!SmoothExtraProfile(*stores_, 1, none));  // set 2 has none
    extra->trigger();  // and "&0" again takes it away
    QVERIFY(depth->graph()->ExtraCurve(0) == nullptr);

    w->model_box()->setCurrentIndex(1);
    QVERIFY(w->Install());
    QCoreApplication::sendPostedEvents();
    const LayerModel& m = stores_->models[1];
    QVERIFY(m.layer_count >= 2 && m.layer_count <= 16);
    QCOMPARE(m.shown, 1);
    QCOMPARE(stores_->workspace.current_model, std::int16_t(1));
    QVERIFY(m.curve.computed);
  }

  // "Esc" stops a run (the profile is kept), else closes the window.
  void EscButtonStopsARun() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    ui_->script.Allow("SMOOTH INVERSION");
    SmoothInversionWindow* w = OpenSmooth();
    QTimer::singleShot(
        0, w, [w] { QTest::mouseClick(w->escape_button(), Qt::LeftButton); });
    QVERIFY(w->Run());
    QVERIFY(w->result().cancelled);
    QVERIFY(w->isVisible());
    QTest::mouseClick(w->escape_button(), Qt::LeftButton);
    QVERIFY(!w->isVisible());
  }

  // Bayes: no run without data, refusals keep nothing, R-hat above 1.1 warns.
  void OpensRefusesAndWarns() {
    QCOMPARE(frame_->CommandAction(kCmdBayesInversion)->text(),
             QString("Bayesian inversion..."));
    BayesInversionWindow* w = OpenBayes();
    QVERIFY(w != nullptr && w->isVisible());
    QCOMPARE(w->set_box()->count(), 0);
    QVERIFY(!w->run_button()->isEnabled());
    QVERIFY(!w->Run());
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui, true));
    w->RefreshSets();
    QCOMPARE(w->set_box()->count(), 2);
    QCOMPARE(w->set_box()->itemText(1), QString("2: YX 15125A "));
    QCOMPARE(w->layers_field()->text(), QString("12"));
    const QString floor = w->floor_field()->text();

    w->layers_field()->setText("17");
    QVERIFY(!w->Run());
    QVERIFY(ui_->LastText().find("1 to 16") != std::string::npos);
    w->layers_field()->setText("6");
    w->iterations_field()->setText("1000");
    w->burn_in_field()->setText("1000");
    QVERIFY(!w->Run());
    QVERIFY(ui_->LastText().find("burn-in") != std::string::npos);
    w->burn_in_field()->setText("500");
    w->floor_field()->setText("0");
    QVERIFY(!w->Run());
    QVERIFY(CurrentBayesRun(frame_->bayes_runs(), stores_->sets, 0) == nullptr);

    w->layers_field()->setText("12");
    w->floor_field()->setText(floor);
    w->iterations_field()->setText("60");
    w->burn_in_field()->setText("20");
    w->thin_field()->setText("1");
    QVERIFY(w->Run());
    const BayesResult& r = w->result();
    QCOMPARE(r.samples, std::int64_t{160});
    QVERIFY2(r.rhat_misfit > kRHatWarning || r.rhat_layers > kRHatWarning,
             qPrintable(QString::number(r.rhat_misfit)));
    QVERIFY(w->warning().startsWith("Warning: "));
    QVERIFY(w->warning().contains(QString::fromStdString(r.warning)));
  }

  // The settings reach the sampler; the plots; the run kept for depth.
  void RunsAndDraws() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui, true));
    BayesInversionWindow* w = OpenBayes();
    w->set_box()->setCurrentIndex(1);  // the YX curve in set 2
    emit w->set_box()->activated(1);
    w->layers_field()->setText("8");
    w->iterations_field()->setText("6000");
    w->burn_in_field()->setText("3000");
    w->thin_field()->setText("10");
    w->seed_field()->setText("11");
    QVERIFY(w->Run());
    const BayesResult& r = w->result();
    QVERIFY(!r.cancelled);
    // 4 chains at temperature 1, (6000 - 3000) / 10 samples each.
    QCOMPARE(r.samples, std::int64_t{1200});
    QCOMPARE(w->progress_bar()->value(), 1000);

    // Density, percentiles, a histogram of all samples, a trace per chain.
    QCustomPlot* plot = w->plot();
    int maps = 0, curves = 0, traces = 0;
    double kept = 0.0;
    for (int i = 0; i < plot->plottableCount(); ++i) {
      QCPAbstractPlottable* p = plot->plottable(i);
      if (qobject_cast<QCPColorMap*>(p)) ++maps;
      if (qobject_cast<QCPCurve*>(p)) ++curves;
      if (auto* g = qobject_cast<QCPGraph*>(p);
          g && g->name().startsWith("chain"))
        ++traces;
      if (auto* b = qobject_cast<QCPBars*>(p)) {
        for (auto it = b->data()->begin(); it != b->data()->end(); ++it)
          kept += it->value;
        QCOMPARE(b->data()->size(), 8);
      }
    }
    QCOMPARE(maps, 1);
    QVERIFY(curves >= 4);  // percentiles, best sample, interfaces
    QCOMPARE(traces, 4);
    QCOMPARE(kept, 1200.0);
    QVERIFY(w->summary().contains("samples    1200"));
    QVERIFY(w->summary().contains("Split R-hat"));

    // The picture from the JSON: its red core at each row's peak.
    BayesResult back;
    BayesOptions back_options;
    std::string error;
    QVERIFY(ReadBayesResultJson(
        BayesResultJson(r, w->options(), true), back, back_options, error));
    BayesPlot picture;
    picture.setViewport(QRect(0, 0, 1200, 800));
    picture.Show(back, back_options);
    const QString png = QDir::temp().filePath("mtvuk_bayes_picture.png");
    QString why;
    QVERIFY(picture.SavePng(png, QSize(1200, 800), &why));
    const QImage image(png);
    QCOMPARE(image.size(), QSize(1200, 800));
    QCPAxisRect* rect = picture.density_rect();
    const std::size_t bins = r.log_rho_bin.size();
    for (double km : {0.3, 2.5}) {
      std::size_t cell = 0;
      while (cell + 1 < r.depth_km.size() && r.depth_km[cell] < km) ++cell;
      std::size_t peak = 0;
      for (std::size_t b = 0; b < bins; ++b) {
        if (r.density[cell * bins + b] > r.density[cell * bins + peak])
          peak = b;
      }
      const int y =
          qRound(rect->axis(QCPAxis::atLeft)->coordToPixel(r.depth_km[cell]));
      double sum = 0.0, count = 0.0;
      for (int x = rect->left(); x < rect->right(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (c.red() - c.green() - c.blue() > 60) sum += x, ++count;
      }
      QVERIFY(count > 0);
      const double at =
          rect->axis(QCPAxis::atBottom)->pixelToCoord(sum / count);
      QVERIFY2(std::fabs(std::log10(at) - r.log_rho_bin[peak]) < 0.3,
               qPrintable(QString::number(at)));
    }
    QFile::remove(png);

    // The depth graphs draw the percentiles of the set once the run is done.
    ExtraProfile profile;
    QVERIFY(BayesPercentileProfile(
        frame_->bayes_runs(), stores_->sets, 1, profile));
    QCOMPARE(profile.p50.size(), r.p50.size());
    QCOMPARE(profile.percentile_depth[7], -1000.0 * r.depth_km[7]);
    QVERIFY(!BayesPercentileProfile(
        frame_->bayes_runs(), stores_->sets, 0, profile));
    DepthGraph graph(stores_->workspace, stores_->sets, stores_->models);
    graph.SetExtraProfileSource([this](int k, ExtraProfile& p) {
      return BayesPercentileProfile(frame_->bayes_runs(), stores_->sets, k, p);
    });
    DepthWindowSettings state;
    state.extra = 1;
    graph.SetState(state);
    graph.Rebuild();
    QStringList names;
    for (int i = 0; i < graph.plottableCount(); ++i)
      names << graph.plottable(i)->name();
    QVERIFY2(names.contains("set 2: Bayesian median"),
             qPrintable(names.join(", ")));
    QVERIFY(names.contains("set 2: Bayesian 5 and 95 %"));

    // Data changed: the run no longer belongs to the set.
    stores_->sets[1].log_rho[3] += 0.1f;
    QVERIFY(!BayesPercentileProfile(
        frame_->bayes_runs(), stores_->sets, 1, profile));
  }

  // Cancel stops a run (not kept), else closes the window.
  void CancelStopsARun() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    BayesInversionWindow* w = OpenBayes();
    w->iterations_field()->setText("5000000");
    w->burn_in_field()->setText("1000");
    QTimer::singleShot(
        150, w, [w] { QTest::mouseClick(w->cancel_button(), Qt::LeftButton); });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(w->Run());
    QVERIFY(w->result().cancelled);
    QVERIFY(clock.elapsed() < 20000);
    QVERIFY(w->progress_bar()->value() < 500);
    QVERIFY(w->result().samples < 4 * (5000000 - 1000) / 10);
    QVERIFY(CurrentBayesRun(frame_->bayes_runs(), stores_->sets, 0) == nullptr);
    QVERIFY(w->isVisible());
    QTest::mouseClick(w->cancel_button(), Qt::LeftButton);
    QVERIFY(!w->isVisible());
  }

  // Invariants, shaded non-1-D periods (here and in the main graph), left
  // out in one click; nothing without data.
  void ShowsMarksAndLeavesOut() {
    QCOMPARE(frame_->CommandAction(kCmdDimensionality)->text(),
             QString("&Dimensionality..."));
    DimensionalityWindow* w = OpenDimensionality();
    QVERIFY(w != nullptr && w->isVisible());
    QCOMPARE(w->windowTitle(), QString("Dimensionality"));
    QCOMPARE(w->set_box()->count(), 0);
    QVERIFY(!w->leave_out_button()->isEnabled());
    QCOMPARE(w->LeaveOut(), 0);
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui, true));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(OpenDimensionality(), w);
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
    QCOMPARE(w->LeaveOut(), non_1d);
    int deleted = 0;
    for (int k = 0; k < 60; ++k) deleted += stores_->sets[0].point_deleted[k];
    QCOMPARE(deleted, non_1d);
    QCOMPARE(w->LeaveOut(), 0);
  }

  // Static shift: by hand, refused input, XY onto YX; the legend says so.
  void ShiftsTheCurve() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui, true));
    DimensionalityWindow* w = OpenDimensionality();
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

[[maybe_unused]] const bool kRegistered = test::Register<AnalysisWindowsTest>();

}  // namespace mtvuk

#include "analysis_windows_test.moc"
