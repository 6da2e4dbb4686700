#include "ui/graph/curve_graph.h"

#include <QtTest>
#include <algorithm>
#include <cmath>

#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sounding_list.h"
#include "core/physics/model_curve.h"
#include "core/store/store_defaults.h"
#include "ui_test_util.h"

namespace mtvuk {

class CurveGraphTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Stores> stores_;
  test::ScriptedQtUi ui_;

 private slots:
  void init() {
    stores_ = std::make_unique<Stores>();
    Workspace& ws = stores_->workspace;
    ApplyStartDefaults(ws, stores_->sets, stores_->models);
    QVERIFY(ReadFieldFile(test::ExampleFile("15125A_spe.edi"), ws, ui_.ui));
    SoundingList list(ws, stores_->sets, stores_->models, ui_.ui);
    list.SetTick(CurveMode::XY, true);
    list.SetTick(CurveMode::YX, true);
    QVERIFY(list.Ok());
    for (int k : {0, 1, 4}) {
      ws.current_model = static_cast<std::int16_t>(k);
      ModelCurveDriver(DriverMode::kPlain, ws, stores_->models, ui_.ui);
    }
  }

  void DrawsExactlyTheSetsAndModelsWhoseSwitchesAreOn() {
    CurveGraph graph(stores_->workspace, stores_->sets, stores_->models);
    QVERIFY(graph.SetGraph(0) && graph.SetGraph(1));
    for (int k = 2; k < MaxSets; ++k) QVERIFY(graph.SetGraph(k) == nullptr);
    // Models 1, 2 and 5 are computed; all are shown.
    QVERIFY(graph.ModelGraph(0) && graph.ModelGraph(1) && graph.ModelGraph(4));
    QVERIFY(graph.ModelGraph(2) == nullptr);
    // Two sets with error bars and their 1-D bounds, three models.
    QCOMPARE(graph.plottableCount(), 2 + 2 + 2 + 3);

    stores_->models[1].shown = 0;
    graph.SetSetVisible(0, false);
    QVERIFY(graph.SetGraph(0) == nullptr);
    QVERIFY(graph.ModelGraph(1) == nullptr);
    GraphOptions o = graph.options();
    o.models = false;
    o.errors = false;
    graph.SetOptions(o);
    QVERIFY(graph.ModelGraph(0) == nullptr && graph.SetErrorBars(1) == nullptr);
    QCOMPARE(graph.plottableCount(), 2);  // set 2 and its 1-D bound
    o.legend = false;
    graph.SetOptions(o);
    QVERIFY(!graph.legend->visible());
  }

  void PlotsTheStoredValues() {
    CurveGraph graph(stores_->workspace, stores_->sets, stores_->models);
    const FieldSet& xy = stores_->sets[0];
    QCPGraph* g = graph.SetGraph(0);
    QCOMPARE(g->data()->size(), xy.count);
    QCOMPARE(g->data()->at(0)->key, 1.0 / xy.freq[0]);
    QCOMPARE(g->data()->at(0)->value, std::pow(10.0, xy.log_rho[0]));
    QCOMPARE(graph.yAxis->scaleType(), QCPAxis::stLogarithmic);
    QVERIFY(graph.xAxis->range().lower <= 1.0 / xy.freq[0]);

    GraphOptions o = graph.options();
    o.quantity = Quantity::kPhase;
    graph.SetOptions(o);
    QCOMPARE(graph.Title(), QString("PHASE"));
    QCOMPARE(graph.SetGraph(0)->data()->at(3)->value, double(xy.phase[3]));
    QCOMPARE(graph.yAxis->scaleType(), QCPAxis::stLinear);
    // Error bars of the phase are the phase errors of the file.
    QCPErrorBars* bars = graph.SetErrorBars(0);
    QVERIFY(bars != nullptr);
    QCOMPARE(bars->data()->at(3).errorPlus, double(xy.phase_error[3]));

    o.quantity = Quantity::kImagZ;
    o.absolute = false;
    graph.SetOptions(o);
    QCOMPARE(graph.Title(), QString("IMAGINARY IMPEDANCE"));
    QCOMPARE(graph.yAxis->label(), QString("mV/km/nT"));
    QCOMPARE(graph.SetGraph(0)->data()->at(0)->value, double(xy.im_z[0]));
    const ModelCurve& c = stores_->models[0].curve;
    QCOMPARE(graph.ModelGraph(0)->data()->at(5)->value,
             std::pow(10.0, c.log_im_z[5]));
  }

  // The frame holds the whole error bars, and each bar stays with its point
  // when a file lists its frequencies upwards.
  void ErrorBarsLieInsideTheFrameAndStayWithTheirPoints() {
    FieldSet& xy = stores_->sets[0];
    xy.log_rho_upper[5] = xy.log_rho[5] + 1.5f;  // a bar of 1.5 decades
    for (Quantity q : {Quantity::kResistivity, Quantity::kPhase}) {
      CurveGraph graph(stores_->workspace, stores_->sets, stores_->models);
      GraphOptions o = graph.options();
      o.quantity = q;
      graph.SetOptions(o);
      for (int k : {0, 1}) {
        const auto& points = *graph.SetGraph(k)->data();
        const auto& bars = *graph.SetErrorBars(k)->data();
        for (int i = 0; i < points.size(); ++i) {
          const double v = points.at(i)->value;
          QVERIFY(graph.yAxis->range().contains(v + bars.at(i).errorPlus));
          QVERIFY(graph.yAxis->range().contains(v - bars.at(i).errorMinus));
        }
      }
    }
    // Frequencies upwards: periods downwards, the graph sorts them.
    const int n = xy.count;
    auto reverse = [n](auto& a) { std::reverse(a.begin(), a.begin() + n); };
    reverse(xy.freq);
    reverse(xy.phase);
    reverse(xy.phase_error);
    reverse(xy.phase_sign);
    CurveGraph graph(stores_->workspace, stores_->sets, stores_->models);
    GraphOptions o = graph.options();
    o.quantity = Quantity::kPhase;
    graph.SetOptions(o);
    const auto& points = *graph.SetGraph(0)->data();
    const auto& bars = *graph.SetErrorBars(0)->data();
    for (int i = 0; i < points.size(); ++i) {
      const double period = points.at(i)->key;
      int k = 0;
      while (std::fabs(1.0 / xy.freq[k] - period) > 1e-9 * period) ++k;
      QCOMPARE(bars.at(i).errorPlus, double(xy.phase_error[k]));
      QCOMPARE(points.at(i)->value, double(xy.phase[k]));
    }
  }

  // A model named after its set says whether it is the start or the fit.
  void ModelLegendSaysStartOrFit() {
    CurveGraph graph(stores_->workspace, stores_->sets, stores_->models);
    QCOMPARE(graph.ModelGraph(0)->name(),
             QString("model 1: XY 15125A (start)"));
    QCOMPARE(graph.ModelGraph(4)->name(), QString("model 5: MODEL 5"));
    stores_->models[0].fitted_set = 0;
    graph.Rebuild(false);
    QCOMPARE(graph.ModelGraph(0)->name(),
             QString("model 1: XY 15125A (fitted)"));
  }

  void ModelPensFollowTheColourFlag() {
    stores_->workspace.pen_width = 3;
    QCOMPARE(ModelPen(2, stores_->workspace).color(), QColor(0, 0, 255));
    QCOMPARE(ModelPen(3, stores_->workspace).color(), QColor(127, 0, 0));
    QCOMPARE(ModelPen(2, stores_->workspace).widthF(), 3.0);
    stores_->workspace.colour_flag = 0;
    QCOMPARE(ModelPen(4, stores_->workspace).color(), QColor(Qt::black));
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::CurveGraphTest)
#include "curve_graph_test.moc"
