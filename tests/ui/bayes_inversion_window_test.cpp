#include "ui/bayes/bayes_inversion_window.h"

#include <qcustomplot.h>

#include <QtTest>
#include <cmath>

#include "core/bayes/bayes_data.h"
#include "core/bayes/bayes_json.h"
#include "ui/app/main_frame.h"
#include "ui/graph/depth_graph.h"
#include "ui_test_util.h"

namespace mtvuk {
namespace {

constexpr double kDegPerRad = 57.29577951308232;

// A three-layer sounding (100, 10, 1000 Ohm-m; 1 and 4 km) at 30 periods
// with 4 % noise, its error bars growing towards long periods, as the
// YX curve of slot k.
void LoadSynthetic(Stores& stores, int k) {
  std::vector<double> periods;
  for (int i = 0; i < 30; ++i)
    periods.push_back(0.01 * std::pow(10.0, i / 6.0));
  const BayesData d =
      SyntheticBayesData({100.0, 10.0, 1000.0}, {1.0, 4.0}, periods, 0.04, 5);
  FieldSet& s = stores.sets[k];
  s = FieldSet{};
  s.in_use = k + 1;
  s.mode = CurveMode::YX;
  s.label = "YX SYNTH";
  s.count = d.Size();
  for (int i = 0; i < d.Size(); ++i) {
    const double e = d.sigma_log_rho[i] * (1.0 + i / 20.0);
    s.freq[i] = static_cast<float>(1.0 / d.period[i]);
    s.log_rho[i] = static_cast<float>(d.log_rho[i]);
    s.log_rho_upper[i] = static_cast<float>(d.log_rho[i] + e);
    s.log_rho_lower[i] = static_cast<float>(d.log_rho[i] - e);
    s.phase[i] = static_cast<float>(d.phase[i] * kDegPerRad);
    s.phase_error[i] = static_cast<float>(d.sigma_phase[i] * kDegPerRad);
    s.log_phase[i] = static_cast<float>(std::log10(s.phase[i]));
    s.log_phase_upper[i] =
        static_cast<float>(std::log10(s.phase[i] + s.phase_error[i]));
    s.log_phase_lower[i] =
        static_cast<float>(std::log10(s.phase[i] - s.phase_error[i]));
  }
}

// The depth cell nearest to `km`.
int Cell(const BayesResult& r, double km) {
  int best = 0;
  for (int c = 1; c < static_cast<int>(r.depth_km.size()); ++c) {
    if (std::fabs(std::log(r.depth_km[c] / km)) <
        std::fabs(std::log(r.depth_km[best] / km)))
      best = c;
  }
  return best;
}

}  // namespace

class BayesInversionWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Stores> stores_;
  std::unique_ptr<test::ScriptedQtUi> ui_;
  std::unique_ptr<CMainFrame> frame_;

  BayesInversionWindow* Open() {
    frame_->CommandAction(kCmdBayesInversion)->trigger();
    return frame_->bayes_window();
  }

 private slots:
  void init() {
    stores_ = std::make_unique<Stores>();
    ui_ = std::make_unique<test::ScriptedQtUi>();
    frame_ = std::make_unique<CMainFrame>(*stores_, ui_->ui);
  }
  void cleanup() {
    frame_.reset();
    ui_.reset();
    stores_.reset();
  }

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
    LoadSynthetic(*stores_, 1);
    w->RefreshSets();
    QCOMPARE(w->set_box()->count(), 1);
    QCOMPARE(w->set_box()->itemText(0), QString("2: YX SYNTH"));
    QCOMPARE(w->layers_field()->text(), QString("12"));
  }

  // A short run: ordered percentiles holding the true model at depths the
  // data resolve, a histogram of all kept samples, a misfit trace per
  // chain, the run kept for the depth graphs.
  void RunsAndDraws() {
    LoadSynthetic(*stores_, 1);
    BayesInversionWindow* w = Open();
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
    QCOMPARE(static_cast<int>(r.misfit_trace.size()), 4);

    const int cells = static_cast<int>(r.depth_km.size());
    QCOMPARE(cells, 100);
    for (int c = 0; c < cells; ++c) {
      QVERIFY(r.p05[c] <= r.p50[c] && r.p50[c] <= r.p95[c]);
      QVERIFY(r.p05[c] >= -1.0 && r.p95[c] <= 5.0);
    }
    // The top layer (100 Ohm-m) and the conductor (10 Ohm-m) lie in the
    // 90 % band; the conductor's median is well below the top's.
    const int shallow = Cell(r, 0.3), conductor = Cell(r, 2.5);
    QVERIFY2(r.p05[shallow] <= 2.0 && 2.0 <= r.p95[shallow],
             qPrintable(QString::number(r.p50[shallow])));
    QVERIFY2(r.p05[conductor] <= 1.0 && 1.0 <= r.p95[conductor],
             qPrintable(QString::number(r.p50[conductor])));
    QVERIFY(r.p50[conductor] < r.p50[shallow] - 0.5);

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
    // 0.3 km the red core of the density lies at 100 Ohm-m, at 2.5 km at
    // 10 Ohm-m.
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
    for (const auto& [km, rho] : {std::pair{0.3, 100.0}, {2.5, 10.0}}) {
      const int y = qRound(rect->axis(QCPAxis::atLeft)->coordToPixel(km));
      double sum = 0.0, count = 0.0;
      for (int x = rect->left(); x < rect->right(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (c.red() - c.green() - c.blue() > 60) sum += x, ++count;
      }
      QVERIFY(count > 0);
      const double at =
          rect->axis(QCPAxis::atBottom)->pixelToCoord(sum / count);
      QVERIFY2(std::fabs(std::log10(at / rho)) < 0.3,
               qPrintable(QString::number(at)));
    }
    QFile::remove(png);

    // The depth graphs draw the percentiles of the set once the run is done.
    ExtraProfile profile;
    QVERIFY(BayesPercentileProfile(
        frame_->bayes_runs(), stores_->sets, 1, profile));
    QCOMPARE(profile.p50.size(), r.p50.size());
    QCOMPARE(profile.percentile_depth[shallow], -1000.0 * r.depth_km[shallow]);
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
    LoadSynthetic(*stores_, 0);
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
    LoadSynthetic(*stores_, 0);
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
    LoadSynthetic(*stores_, 0);
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
