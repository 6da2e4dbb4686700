#include "ui/bayes/bayes_inversion_window.h"

#include <qcustomplot.h>

#include <QtTest>
#include <cmath>

#include "core/bayes/bayes_json.h"
#include "ui/graph/depth_graph.h"
#include "ui_test_util.h"

namespace mtvuk {

class BayesInversionWindowTest : public test::FrameTest {
  Q_OBJECT

  BayesInversionWindow* Open() {
    frame_->CommandAction(kCmdBayesInversion)->trigger();
    return frame_->bayes_window();
  }

 private slots:
  // Setting > Inversion > "Bayesian inversion...": without data the window
  // cannot run; with a set it offers it.
  void OpensFromTheMenu() {
    QAction* command = frame_->CommandAction(kCmdBayesInversion);
    QVERIFY(command != nullptr);
    QCOMPARE(command->text(), QString("Bayesian inversion..."));
    BayesInversionWindow* w = Open();
    QVERIFY(w != nullptr && w->isVisible());
    QCOMPARE(w->set_box()->count(), 0);
    QVERIFY(!w->run_button()->isEnabled());
    QVERIFY(!w->Run());
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui, true));
    w->RefreshSets();
    QCOMPARE(w->set_box()->count(), 2);
    QCOMPARE(w->set_box()->itemText(1), QString("2: YX 15125A "));
    QCOMPARE(w->layers_field()->text(), QString("12"));
  }

  // A short run: the window's settings reach the sampler; a histogram of
  // all kept samples, a misfit trace per chain, the run kept for the depth
  // graphs.
  void RunsAndDraws() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui, true));
    BayesInversionWindow* w = Open();
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

    // The plots: the density image, three percentile lines, the layer
    // histogram holding every kept sample, one misfit trace per chain.
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

    // The picture of the command line, drawn from the posterior's JSON: at
    // 0.3 and 2.5 km the red core of the density lies at the row's most
    // probable resistivity.
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

  // Chains stopped long before they meet: split R-hat above 1.1 and the
  // warning line says so.
  void WarnsWhenChainsDisagree() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    BayesInversionWindow* w = Open();
    w->iterations_field()->setText("60");
    w->burn_in_field()->setText("20");
    w->thin_field()->setText("1");
    QVERIFY(w->Run());
    const BayesResult& r = w->result();
    QVERIFY(!r.cancelled);
    QCOMPARE(r.samples, std::int64_t{160});
    QVERIFY2(r.rhat_misfit > kRHatWarning || r.rhat_layers > kRHatWarning,
             qPrintable(QString::number(r.rhat_misfit)));
    QVERIFY(w->warning().startsWith("Warning: "));
    QVERIFY(w->warning().contains(QString::fromStdString(r.warning)));
  }

  // Settings out of range are refused with a message; nothing is kept.
  void RefusesBadSettings() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    BayesInversionWindow* w = Open();
    w->layers_field()->setText("17");
    QVERIFY(!w->Run());
    QVERIFY(ui_->script.prompts().back().text.find("1 to 16") !=
            std::string::npos);
    w->layers_field()->setText("6");
    w->iterations_field()->setText("1000");
    w->burn_in_field()->setText("1000");
    QVERIFY(!w->Run());
    QVERIFY(ui_->script.prompts().back().text.find("burn-in") !=
            std::string::npos);
    w->burn_in_field()->setText("500");
    w->floor_field()->setText("0");
    QVERIFY(!w->Run());
    QVERIFY(CurrentBayesRun(frame_->bayes_runs(), stores_->sets, 0) == nullptr);
  }

  // Cancel stops a long run early; the run is not kept. When no run goes
  // on Cancel closes the window.
  void CancelStopsARun() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    BayesInversionWindow* w = Open();
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
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::BayesInversionWindowTest)
#include "bayes_inversion_window_test.moc"
