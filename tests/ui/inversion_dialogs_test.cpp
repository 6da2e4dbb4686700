#include "ui/inversion/inversion_dialogs.h"

#include <qcustomplot.h>

#include <QtTest>

#include "core/dimensionality/static_shift.h"
#include "ui/inversion/fit_windows.h"
#include "ui_test_util.h"

namespace mtvuk {

class InversionDialogsTest : public test::FrameTest {
  Q_OBJECT

 private slots:
  void init() {
    FrameTest::init();
    ui_->script.Allow("MT-VUK");
  }

  // The logic's ranges and targets are tested with it; here what the
  // widgets add: hidden boxes, a refusal that keeps the dialog open, the
  // method group, the notices that reach the view.
  void MainSettingTargetsAndRanges() {
    MainSettingDialog dialog(*stores_, ui_->ui);
    QVERIFY(dialog.TargetBox(1)->isChecked());
    QVERIFY(!dialog.TargetBox(2)->isVisibleTo(&dialog));
    QCOMPARE(dialog.TargetBox(5)->text(), QString("Res && &Phase"));
    QVERIFY(dialog.MethodButton(FitMethod::kRobust)->isChecked());
    QCOMPARE(dialog.MethodButton(FitMethod::kRobust)->text(),
             QString("Robust (exact derivatives, several starts)"));
    dialog.amount()->setText("31");
    dialog.accept();
    QVERIFY(dialog.result() != QDialog::Accepted);
    QCOMPARE(ui_->script.prompts().back().text,
             std::string("Please enter an integer between 1 and 30."));
    dialog.amount()->setText("12");
    dialog.TargetBox(5)->setChecked(true);
    dialog.ignore()->setChecked(true);
    dialog.MethodButton(FitMethod::kClassic)->setChecked(true);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(stores_->workspace.inversion_target, std::int16_t{5});
    QCOMPARE(stores_->workspace.iteration_amount, std::int16_t{12});
    QCOMPARE(stores_->workspace.ignore_error_bars, 1);
    QCOMPARE(stores_->workspace.fit_method, FitMethod::kClassic);
    QVERIFY(MainSettingDialog(*stores_, ui_->ui)
                .MethodButton(FitMethod::kClassic)
                ->isChecked());
    // Target 5 opens the ratio window.
    QCoreApplication::sendPostedEvents();
    QVERIFY(frame_->view()->ratio_window() != nullptr);
    QVERIFY(frame_->view()->ratio_window()->isVisible());
  }

  void AttachAndLimitsDialogsStayOpenOnARefusal() {
    AttachDialog attach(*stores_, ui_->ui);
    QVERIFY(attach.Cell(2, 2)->isChecked());
    attach.Cell(2, 2)->setChecked(false);
    ui_->script.Allow("INVALID ATTACH");
    attach.accept();
    QVERIFY(attach.result() != QDialog::Accepted);
    QCOMPARE(ui_->script.prompts().back().caption,
             std::string("INVALID ATTACH"));
    attach.SetDefault();
    QVERIFY(attach.Cell(2, 2)->isChecked());
    attach.Cell(0, 4)->setChecked(true);
    attach.accept();
    QCOMPARE(attach.result(), int(QDialog::Accepted));
    QCOMPARE(stores_->sets[0].attached[4], 1);

    VariationLimitsDialog limits(*stores_, ui_->ui);
    limits.Fix(2, false)->setChecked(true);
    QVERIFY(!limits.Edit(2, 0)->isEnabled());
    limits.Edit(0, 1)->setText("20000");
    limits.Edit(4, 3)->setText("5e6");
    limits.accept();
    QVERIFY(limits.result() != QDialog::Accepted);
    QCOMPARE(ui_->script.prompts().back().text,
             std::string("Please enter a number between 1e-05 and 1e+06."));
    limits.Edit(4, 3)->setText("500");
    limits.accept();
    QCOMPARE(limits.result(), int(QDialog::Accepted));
    const LayerModel& m = stores_->models[0];
    QCOMPARE(m.fix_resistivity[2], 1);
    QCOMPARE(m.resistivity_max[0], 20000.0f);
    QCOMPARE(m.thickness_max[4], 500.0f);
  }

  // Invers in a new session, with its default limits: the fit moves the
  // resistivities, and the windows show the winning run and what the fit
  // of a start model with an IP layer leaves out.
  void AFitShowsItsResult() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    stores_->models[0].ip_on[1] = 1;
    stores_->models[0].ip_p1[1][0] = 0.3f;
    stores_->models[0].dispersion_on = 1;
    const LayerModel start = stores_->models[0];
    stores_->workspace.show_fit_result = 1;
    stores_->workspace.inversion_target = 5;
    ui_->ui.Post(Window::kView, Um::UM_INVERT, 0, 0);
    QCoreApplication::sendPostedEvents();
    FittingResultWindow* fit = frame_->view()->fit_window();
    QVERIFY(fit != nullptr);
    const QString summary = fit->summary();
    QVERIFY(summary.contains("method robust"));
    QVERIFY(summary.contains(
        "The start model has IP (dispersive) layers; the fit uses the "
        "isotropic response without dispersion"));
    QVERIFY(summary.contains(
        QRegularExpression("winning start: [A-Za-z].* \\(of \\d\\)")));
    QVERIFY(
        summary.contains(QRegularExpression("nrms [0-9.e+]+ \\((at|above) "
                                            "the noise level\\)")));
    const LayerModel& m = stores_->models[0];
    int moved = 0;
    for (int j = 0; j < m.layer_count; ++j)
      moved += std::fabs(m.resistivity[j] / start.resistivity[j] - 1.0) > 0.05;
    QVERIFY(moved >= 3);
    // The winning run took at least one step (only steps that lower the
    // misfit are taken).
    InversionRatioWindow* ratio = frame_->view()->ratio_window();
    QVERIFY(ratio != nullptr);
    QVERIFY(ratio->steps() >= 2);
    ui_->ui.Post(Window::kView, Um::UM_FITCLOSE, 0, 0);
    QCoreApplication::sendPostedEvents();
    QVERIFY(!fit->isVisible());
  }

  // The result names the set's static shift and sets the fit beside the
  // best any 1-D model reaches, in one measure: the layered fit cannot beat
  // the bound.
  void AFitStandsBesideItsOneDBound() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    stores_->workspace.show_fit_result = 1;
    stores_->workspace.iteration_amount = 3;
    frame_->view()->Invert();
    const QRegularExpression bound(
        "1-D bound \\(D\\+\\): chi2 ([0-9.e+]+), nrms [0-9.e+]+ \\(expected "
        "(\\d+)\\)\nthis fit, same measure: chi2 ([0-9.e+]+)");
    const QString plain = frame_->view()->fit_window()->summary();
    const QRegularExpressionMatch a = bound.match(plain);
    QVERIFY2(a.hasMatch(), qPrintable(plain));
    QVERIFY(!plain.contains("static shift"));
    QVERIFY(a.captured(3).toDouble() >= a.captured(1).toDouble());
    QCOMPARE(a.captured(2).toInt(), 2 * stores_->sets[0].effective_count);

    QVERIFY(SetStaticShift(stores_->sets[0], 2.5));
    frame_->view()->Invert();
    const QString shifted = frame_->view()->fit_window()->summary();
    QVERIFY(shifted.contains("static shift of rho_a: 2.5\n"));
    QVERIFY(bound.match(shifted).hasMatch());
  }

  // "Equivalence" in the fitting-result window: a row per layer and the
  // band of the equivalent models; a threshold of nothing is refused.
  void EquivalenceFillsTheTableAndTheBand() {
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    LayerModel& m = stores_->models[0];
    m.layer_count = 3;
    const double rho[3] = {15, 40, 2000}, h[2] = {0.03, 0.4};
    for (int j = 0; j < 3; ++j) m.resistivity[j] = rho[j];
    for (int j = 0; j < 2; ++j) m.thickness[j] = h[j];
    for (int j = 3; j < MaxLayers; ++j) m.resistivity[j] = rho[2];
    stores_->workspace.show_fit_result = 1;
    stores_->workspace.inversion_target = 5;
    frame_->view()->Invert();
    FittingResultWindow* fit = frame_->view()->fit_window();
    QVERIFY(fit != nullptr);
    QVERIFY(fit->equivalence_button()->isEnabled());
    QCOMPARE(fit->equivalence_button()->text(), QString("Equivalence"));
    QVERIFY(!fit->equivalence_table()->isVisibleTo(fit));
    QVERIFY(fit->band() == nullptr);

    fit->threshold_field(0)->setText("0");
    fit->threshold_field(1)->setText("0");
    QVERIFY(!fit->ComputeEquivalenceRanges());
    QVERIFY(ui_->script.prompts().back().text.rfind("The rise of the misfit",
                                                    0) == 0);
    fit->threshold_field(0)->setText("1");
    fit->threshold_field(1)->setText("0.1");
    QTest::mouseClick(fit->equivalence_button(), Qt::LeftButton);
    QTableWidget* table = fit->equivalence_table();
    QVERIFY(table->isVisibleTo(fit));
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(2, 0)->text(), QString("3 (half-space)"));
    // Ranges as "min - max" around the fitted values.
    const QStringList rho1 =
        table->item(0, 1)->text().remove('*').split(QChar(0x2013));
    QCOMPARE(rho1.size(), 2);
    QVERIFY(rho1[0].trimmed().toDouble() <= m.resistivity[0] * 1.001);
    QVERIFY(rho1[1].trimmed().toDouble() >= m.resistivity[0] * 0.999);
    QCOMPARE(table->item(2, 2)->text(), QString(QChar(0x2013)));
    QVERIFY(fit->band() != nullptr);
    QCOMPARE(fit->band()->dataCount(), 480);
  }

  // Misfits within one decade: every label of the axis differs.
  void RatioAxisLabelsDiffer() {
    InversionRatioWindow ratio;
    ratio.Start("MODEL 1");
    const double misfits[5] = {31000, 29500, 25000, 22000, 21900};
    for (int t = 0; t < 5; ++t) ratio.AddStep({t, misfits[t]});
    const QStringList labels = ratio.TickLabels();
    QVERIFY(labels.size() >= 3);
    QCOMPARE(QSet<QString>(labels.begin(), labels.end()).size(), labels.size());
    // Several decades: one label per power of ten.
    for (int t = 0; t < 5; ++t) ratio.AddStep({5 + t, 1e5 / std::pow(10, t)});
    const QStringList decades = ratio.TickLabels();
    QCOMPARE(QSet<QString>(decades.begin(), decades.end()).size(),
             decades.size());
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::InversionDialogsTest)
#include "inversion_dialogs_test.moc"
