// The model form, the inversion dialogs and the windows of a fit.
#include <qcustomplot.h>

#include <QtTest>

#include "core/dimensionality/static_shift.h"
#include "core/fielddata/field_file_reader.h"
#include "core/fielddata/sounding_list.h"
#include "core/physics/forward_1d.h"
#include "core/physics/model_curve.h"
#include "ui/app/main_frame.h"
#include "ui/inversion/fit_windows.h"
#include "ui/inversion/inversion_dialogs.h"
#include "ui/modelform/model_form.h"
#include "ui/modelform/modeling_dialogs.h"
#include "ui_test_util.h"

namespace mtvuk {

// What the widgets add to the form's logic (tested with the core).
class ModelFormTest : public test::FrameTest {
  Q_OBJECT

  CModelForm* form_ = nullptr;

 private slots:
  void init() {
    FrameTest::init();
    frame_->show();
    frame_->view()->Control(1049)->click();  // "Model" opens the editor
    form_ = frame_->view()->model_form();
    QVERIFY(form_ != nullptr);
    QVERIFY(stores_->workspace.model_form_open);
  }

  void EditingACellAndRunChangesTheCurveInTheGraph() {
    QCOMPARE(form_->Cell(0, Column::kResistivity)->text(), QString("50"));
    const double before =
        frame_->view()->graph()->ModelGraph(0)->data()->at(0)->value;
    form_->Cell(0, Column::kResistivity)->setText("500");
    QTest::mouseClick(form_->run_button(), Qt::LeftButton);
    QCOMPARE(stores_->models[0].resistivity[0], 500.0);
    QCoreApplication::sendPostedEvents();
    const double after =
        frame_->view()->graph()->ModelGraph(0)->data()->at(0)->value;
    QVERIFY(after > 5.0 * before);
    QVERIFY(!form_->invert_button()->isEnabled());  // no inversion yet
  }

  void OutOfRangeCellsStopTheTransfer() {
    const LayerModel before = stores_->models[0];
    form_->Cell(3, Column::kThickness)->setText("0.00001");
    ui_->script.Allow("MT-VUK");
    QTest::mouseClick(form_->run_button(), Qt::LeftButton);
    QCOMPARE(ui_->script.prompts().size(), std::size_t{1});
    QCOMPARE(ui_->script.prompts()[0].text,
             std::string("Please enter a number between 0.0001 and 999999."));
    QCOMPARE(form_->focusWidget(), form_->Cell(3, Column::kThickness));
    QCOMPARE(stores_->models[0].thickness, before.thickness);
    form_->Cell(3, Column::kThickness)->setText("abc");
    QTest::mouseClick(form_->run_button(), Qt::LeftButton);
    QCOMPARE(ui_->LastText(), std::string("Please enter a number."));
  }

  void RightDragCopiesAModelOntoAnother() {
    ModelTabs* tabs = form_->tabs();
    test::ClickAt(tabs, tabs->TabRect(1));
    QCOMPARE(form_->logic().current_index(), 1);
    QTest::mousePress(tabs, Qt::RightButton, {}, tabs->TabRect(1).center());
    QVERIFY(tabs->dragging());
    QTest::mouseMove(tabs, tabs->TabRect(3).center());
    QTest::mouseRelease(tabs, Qt::RightButton, {}, tabs->TabRect(4).center());
    QVERIFY(!tabs->dragging());
    QCOMPARE(form_->logic().current_index(), 4);
    QCOMPARE(stores_->models[4].resistivity, stores_->models[1].resistivity);
    QCOMPARE(form_->Cell(0, Column::kResistivity)->text(), QString("100"));
  }

  void StepButtonsHoldClickAndDoubleClick() {
    ScriptedUi pointer;
    ui_->ui.SetPointerSource(&pointer);
    stores_->workspace.resistivity_step = 2.0f;
    RowButtons* row = form_->Buttons(0);
    const QPoint up = row->ButtonRect(RowButton::kRhoUp).center();
    pointer.HoldLeftButtonUntil(800);  // held: steps at 500, 600, 700 ms
    QTest::mousePress(row, Qt::LeftButton, {}, up);
    QCOMPARE(form_->Cell(0, Column::kResistivity)->text(), QString("400"));
    QTest::mouseDClick(
        row, Qt::LeftButton, {}, row->ButtonRect(RowButton::kRhoDown).center());
    QCOMPARE(form_->Cell(0, Column::kResistivity)->text(), QString("200"));
    // The right button on the insert button deletes the layer.
    QTest::mousePress(
        form_->Buttons(1),
        Qt::RightButton,
        {},
        form_->Buttons(1)->ButtonRect(RowButton::kInsert).center());
    QCOMPARE(form_->Cell(1, Column::kResistivity)->text(), QString("50"));
    ui_->ui.SetPointerSource(nullptr);
  }

  // The boxes of a row choose the dispersive or the anisotropic response.
  void IpAndAnisotropyBoxesReachTheStoredCurve() {
    const LayerModel& m = stores_->models[0];
    form_->law_list()->setCurrentIndex(2);
    emit form_->law_list()->activated(2);
    QCOMPARE(form_->eh_header()->text(), QString("\u03B7"));
    QCOMPARE(form_->Cell(0, Column::kEh)->text(), QString("0.1"));
    QVERIFY(!form_->Cell(1, Column::kEh)->isEnabled());
    form_->Box(1, Column::kIp)->click();
    QVERIFY(form_->Cell(1, Column::kEh)->isEnabled());
    form_->Cell(1, Column::kEh)->setText("0.6");
    form_->Cell(1, Column::kTau)->setText("1");
    form_->Cell(1, Column::kC)->setText("0.5");
    QTest::mouseClick(form_->run_button(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(m.dispersion_on, 1);
    QCOMPARE(m.anisotropy_on, 0);
    double largest_effect = 0.0;
    for (int i = 0; i < m.curve.count; ++i) {
      const double t = GridPeriod(m.period_min, i);
      const Response1D d = ResponseDispersion(
          m, m.resistivity.data(), m.thickness.data(), m.layer_count, t);
      const Response1D plain = ResponseNoDispersion(
          m.resistivity.data(), m.thickness.data(), m.layer_count, t);
      QVERIFY(std::fabs(m.curve.log_rho[i] - std::log10(d.rho_a)) < 1e-5);
      largest_effect = std::max(largest_effect,
                                std::fabs(std::log10(d.rho_a / plain.rho_a)));
    }
    QVERIFY(largest_effect > 0.05);  // the IP layer shows in the curve

    // An ANZ box clears the IP boxes and makes the model anisotropic.
    form_->Box(2, Column::kAniso)->click();
    QVERIFY(!form_->Box(1, Column::kIp)->isChecked());
    QVERIFY(form_->Cell(2, Column::kAngle)->isEnabled());
    form_->Cell(2, Column::kRho1)->setText("1");
    form_->Cell(2, Column::kRho2)->setText("1000");
    form_->Cell(2, Column::kAngle)->setText("30");
    QTest::mouseClick(form_->run_button(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(m.dispersion_on, 0);
    QCOMPARE(m.anisotropy_on, 1);
    QCOMPARE(m.ip_on[1], 0);
    QCOMPARE(m.aniso_rho2[2], 1000.0f);
    QCOMPARE(m.aniso_strike[2], 30.0f);
    QVERIFY(m.curve.mode[0].log_rho[60] != m.curve.mode[1].log_rho[60]);

    // Without boxes the model is plain again.
    form_->Box(2, Column::kAniso)->click();
    QTest::mouseClick(form_->run_button(), Qt::LeftButton);
    QCOMPARE(m.anisotropy_on, 0);
    QCOMPARE(m.dispersion_on, 0);
  }

  // Texts written for the Greek symbol face show its letters.
  void GreekLettersAsTheSymbolFaceShowedThem() {
    QStringList headers;
    for (QLabel* label : form_->findChildren<QLabel*>())
      headers << label->text();
    for (const char* greek : {"\u03C1\u2081", "\u03C1\u2082", "\u03C6"})
      QVERIFY2(headers.contains(QString(greek)), greek);
    QVERIFY(!headers.contains("j"));
    // DD: epsilon (RD: eta, with the IP boxes).
    QCOMPARE(form_->eh_header()->text(), QString("\u03B5"));

    IpModelsDialog help;
    help.resize(help.sizeHint());
    help.grab();
    const QStringList& drawn = help.drawn_texts();
    QVERIFY(drawn.contains("\u03C3(i\u03C9)=\u03C3(0)"));
    QVERIFY(drawn.contains("1>\u03B7>0"));
    // Davidson: rho0 [1 - eta ((1+iwT)^c - 1) / (1+iwT)^c].
    const int davidson =
        drawn.indexOf("\u03C1(i\u03C9)=1/\u03C3(i\u03C9)=\u03C1(0)*[1",
                      drawn.indexOf("Davidson Resistivity Dispersion - "
                                    "<Davidson RD >"));
    QVERIFY(davidson > 0);
    QCOMPARE(
        drawn.mid(davidson + 2, 6),
        QStringList(
            {"\u03B7", "(1+i\u03C9T)", "^c", " -1", "(1+i\u03C9T)", "^c"}));
  }

  void ClosingTellsTheView() {
    form_->close();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(frame_->view()->model_form() == nullptr);
    QVERIFY(!frame_->view()->Control(1049)->isChecked());
    QVERIFY(!stores_->workspace.model_form_open);
  }

  void ImpedanceDialogChoosesThePolarisation() {
    LayerModel& m = stores_->models[2];
    m.anisotropy_on = 1;
    m.aniso_on[0] = 1;
    m.aniso_rho1[0] = 1.0f;
    m.aniso_rho2[0] = 1000.0f;
    stores_->workspace.current_model = 2;
    ModelCurveDriver(
        DriverMode::kPlain, stores_->workspace, stores_->models, ui_->ui);
    ImpedanceDialog dialog(*stores_, ui_->ui);
    dialog.Choice(CurveMode::YX)->setChecked(true);
    dialog.accept();
    QCOMPARE(stores_->workspace.polarisation, std::int16_t{1});
    QCOMPARE(m.curve.log_rho[40], m.curve.mode[1].log_rho[40]);
    QVERIFY(m.curve.log_rho[40] != m.curve.mode[0].log_rho[40]);
  }

  void InversFitsTheAttachedSetAndComesBack() {
    ui_->script.Allow("AUTO INVERSION");
    QVERIFY(
        !form_->invert_button()->isEnabled());  // nothing attached holds data
    QVERIFY(test::LoadExampleXy(*stores_, ui_->ui));
    QCoreApplication::sendPostedEvents();  // the form hears of the new set
    QVERIFY(form_->invert_button()->isEnabled());
    // The limits of a new session.
    stores_->workspace.iteration_amount = 3;
    const auto before = stores_->models[0].resistivity;
    QTest::mouseClick(form_->invert_button(), Qt::LeftButton);
    QCOMPARE(form_->run_button()->text(), QString("Wait"));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(form_->invert_button()->text(), QString("&Invers"));
    QVERIFY(stores_->models[0].resistivity != before);
    QCOMPARE(stores_->workspace.inversion_done, 1);
    QVERIFY(!ui_->ui.busy());
  }

  void EscapeAndMessagesWhileBusy() {
    test::MessageRecorder counter;
    ui_->ui.Register(Window::kFitResult, &counter);
    ui_->ui.SetBusy(true);
    ui_->ui.Post(Window::kFitResult, Um::UM_FITCLOSE, 0, 0);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(form_, &esc);
    QVERIFY(ui_->ui.EscapePending());   // seen while the queue ran
    QVERIFY(!ui_->ui.EscapePending());  // and taken once
    QVERIFY(counter.received.empty());  // held back while busy
    ui_->ui.SetBusy(false);             // and posted again afterwards
    QCoreApplication::sendPostedEvents();
    QCOMPARE(counter.received.size(), std::size_t{1});
    ui_->ui.Unregister(Window::kFitResult);
  }

  // A refusal keeps it open; names, boxes and physics reach the stores.
  void ModelingSettingsDialogStoresWhatItShows() {
    ModelingSettingsDialog settings(*stores_, ui_->ui);
    settings.show();
    QCOMPARE(settings.Name(0)->text(), QString("MODEL 1"));
    QCOMPARE(settings.physics()->count(), 2);
    QCOMPARE(settings.physics()->itemText(0), QString("as published"));
    QCOMPARE(settings.physics()->itemText(1), QString("corrected"));
    QCOMPARE(settings.physics()->currentIndex(), 0);
    settings.Field(0)->setText("3");
    ui_->script.Allow("MT-VUK");
    settings.accept();
    QVERIFY(settings.result() != QDialog::Accepted);
    QCOMPARE(ui_->LastText(),
             std::string("Please enter a number between 1 and 2."));
    settings.Field(0)->setText("1.5");
    settings.Name(2)->setText("BASIN");
    test::ClickAt(settings.squares(), settings.squares()->SquareRect(3));
    settings.physics()->setCurrentIndex(1);
    settings.accept();
    QCOMPARE(settings.result(), int(QDialog::Accepted));
    QCOMPARE(stores_->workspace.resistivity_step, 1.5f);
    QCOMPARE(stores_->models[2].name, std::string("BASIN"));
    QCOMPARE(stores_->models[3].shown, 0);
    QVERIFY(stores_->workspace.physics == Physics::kCorrected);
    ModelingSettingsDialog again(*stores_, ui_->ui);
    QCOMPARE(again.physics()->currentText(), QString("corrected"));
  }
};

[[maybe_unused]] const bool kModelForm = test::Register<ModelFormTest>();

class InversionDialogsTest : public test::FrameTest {
  Q_OBJECT

 private slots:
  void init() {
    FrameTest::init();
    ui_->script.Allow("MT-VUK");
  }

  // Hidden boxes, a refusal keeps it open, the method group, the notices.
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
    QCOMPARE(ui_->LastText(),
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
    QCOMPARE(ui_->LastCaption(), std::string("INVALID ATTACH"));
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
    QCOMPARE(ui_->LastText(),
             std::string("Please enter a number between 1e-05 and 1e+06."));
    limits.Edit(4, 3)->setText("500");
    limits.accept();
    QCOMPARE(limits.result(), int(QDialog::Accepted));
    const LayerModel& m = stores_->models[0];
    QCOMPARE(m.fix_resistivity[2], 1);
    QCOMPARE(m.resistivity_max[0], 20000.0f);
    QCOMPARE(m.thickness_max[4], 500.0f);
  }

  // The summary: winning run, IP left out, static shift, the D+ bound.
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
    const QRegularExpression bound(
        "1-D bound \\(D\\+\\): chi2 ([0-9.e+]+), nrms [0-9.e+]+ \\(expected "
        "(\\d+)\\)\nthis fit, same measure: chi2 ([0-9.e+]+)");
    const QRegularExpressionMatch a = bound.match(summary);
    QVERIFY2(a.hasMatch(), qPrintable(summary));
    QVERIFY(!summary.contains("static shift"));
    QVERIFY(a.captured(3).toDouble() >= a.captured(1).toDouble());
    QCOMPARE(a.captured(2).toInt(), 2 * stores_->sets[0].effective_count);
    const LayerModel& m = stores_->models[0];
    int moved = 0;
    for (int j = 0; j < m.layer_count; ++j)
      moved += std::fabs(m.resistivity[j] / start.resistivity[j] - 1.0) > 0.05;
    QVERIFY(moved >= 3);
    // The winning run took at least one step.
    InversionRatioWindow* ratio = frame_->view()->ratio_window();
    QVERIFY(ratio != nullptr);
    QVERIFY(ratio->steps() >= 2);

    QVERIFY(SetStaticShift(stores_->sets[0], 2.5));
    stores_->workspace.iteration_amount = 3;
    frame_->view()->Invert();
    fit = frame_->view()->fit_window();
    QVERIFY(fit->summary().contains("static shift of rho_a: 2.5\n"));
    QVERIFY(bound.match(fit->summary()).hasMatch());
    ui_->ui.Post(Window::kView, Um::UM_FITCLOSE, 0, 0);
    QCoreApplication::sendPostedEvents();
    QVERIFY(!fit->isVisible());
  }

  // A row per layer and the band; a threshold of nothing is refused.
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
    QVERIFY(ui_->LastText().rfind("The rise of the misfit", 0) == 0);
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

[[maybe_unused]] const bool kInversionDialogs =
    test::Register<InversionDialogsTest>();

}  // namespace mtvuk
#include "modelling_test.moc"
#include "ui/inversion/fit_windows.h"
#include "ui/inversion/inversion_dialogs.h"
