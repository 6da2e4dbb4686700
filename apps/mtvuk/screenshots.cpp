#include "screenshots.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QPrintPreviewDialog>
#include <QStatusBar>
#include <QTemporaryDir>
#include <cstdio>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/field_curve.h"
#include "core/fielddata/field_file_reader.h"
#include "core/files/synthetic_export.h"
#include "core/formats/field_data_import.h"
#include "core/store/store_defaults.h"
#include "ui/depth/depth_window.h"
#include "ui/fielddata/edit_data_window.h"
#include "ui/fielddata/smoothing_window.h"
#include "ui/fielddata/sounding_list_dialog.h"
#include "ui/files/int_dialogs.h"
#include "ui/files/trf_dialogs.h"
#include "ui/graph/graph_output.h"
#include "ui/inversion/fit_windows.h"
#include "ui/inversion/inversion_dialogs.h"
#include "ui/modelform/model_form.h"
#include "ui/modelform/modeling_dialogs.h"

namespace mtvuk {

bool SavePicture(QWidget& widget, const QString& path) {
  widget.show();
  QApplication::processEvents();
  if (!widget.grab().save(path, "PNG")) {
    std::fprintf(stderr, "mtvuk: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

bool LoadModes(CMainFrame& frame,
               Stores& stores,
               QtUi& ui,
               const QString& file,
               const QStringList& modes,
               const QString& dialog_picture,
               bool import) {
  const bool read =
      import ? ImportFieldDataFile(file.toStdString(), stores.workspace, ui)
             : ReadFieldFile(file.toStdString(), stores.workspace, ui);
  if (!read) return false;
  SoundingListDialog dialog(
      stores.workspace, stores.sets, stores.models, ui, &frame);
  const QStringList names = {"xy", "yx", "mean", "eff"};
  for (const QString& mode : modes) {
    const int m = static_cast<int>(names.indexOf(mode.toLower()));
    if (m < 0) {
      std::fprintf(stderr,
                   "mtvuk: unknown mode '%s' (xy, yx, mean or eff)\n",
                   qPrintable(mode));
      return false;
    }
    dialog.ModeBox(static_cast<CurveMode>(m))->setChecked(true);
  }
  if (!dialog_picture.isEmpty()) {
    dialog.resize(860, 560);
    SavePicture(dialog, dialog_picture);
  }
  dialog.accept();
  for (int k = 0; k < MaxModels; ++k) {
    stores.models[k].shown = stores.sets[k].in_use > 0 ? 1 : 0;
  }
  QApplication::sendPostedEvents();
  frame.view()->Refresh(true);
  return true;
}

}  // namespace mtvuk

namespace mtvuk {

bool PictureModelWindows(CMainFrame& frame,
                         Stores& stores,
                         QtUi& ui,
                         const QDir& dir) {
  LayerModel& m = stores.models[0];
  m.law = 2;
  for (int layer : {1, 3}) {
    m.ip_on[layer] = 1;
    m.ip_p1[layer][0] = 0.3f;
    m.ip_tau[layer][0] = 0.5f;
    m.ip_c[layer][0] = 0.6f;
  }
  stores.workspace.current_model = 0;
  frame.view()->OpenModelForm();
  CModelForm* form = frame.view()->model_form();
  bool ok = SavePicture(*form, dir.filePath("model-form.png"));
  ImpedanceDialog impedance(stores, ui, &frame);
  ok = SavePicture(impedance, dir.filePath("impedance.png")) && ok;
  ModelingSettingsDialog settings(stores, ui, &frame);
  ok = SavePicture(settings, dir.filePath("modeling-settings.png")) && ok;
  // The same dialog and the status bar with corrected physics; published
  // again for the pictures that follow.
  stores.workspace.physics = Physics::kCorrected;
  frame.ShowPhysics();
  ui.Post(Window::kView, Um::UM_MODELSCHANGED, 0, 0);
  QApplication::sendPostedEvents();
  ModelingSettingsDialog corrected(stores, ui, &frame);
  ok =
      SavePicture(corrected, dir.filePath("modeling-settings-corrected.png")) &&
      ok;
  ok = SavePicture(frame, dir.filePath("main-physics-corrected.png")) && ok;
  stores.workspace.physics = Physics::kPublished;
  frame.ShowPhysics();
  ui.Post(Window::kView, Um::UM_MODELSCHANGED, 0, 0);
  QApplication::sendPostedEvents();
  ChooseModelsDialog choose(stores, ui, &frame);
  ok = SavePicture(choose, dir.filePath("choose-models.png")) && ok;
  IpModelsDialog help(&frame);
  help.resize(help.sizeHint());
  ok = SavePicture(help, dir.filePath("ip-models.png")) && ok;
  frame.view()->CloseModelForm();
  QApplication::sendPostedEvents();
  return ok;
}

bool PictureInversionWindows(CMainFrame& frame,
                             Stores& stores,
                             QtUi& ui,
                             const QDir& dir) {
  MainSettingDialog main_setting(stores, ui, &frame);
  bool ok = SavePicture(main_setting, dir.filePath("main-setting.png"));
  AttachDialog attach(stores, ui, &frame);
  ok = SavePicture(attach, dir.filePath("attach.png")) && ok;
  // Model 1 fitted to set 1 (the XY curve) from a five-layer start by the
  // robust method, within the limits of a new session.
  stores.workspace.current_model = 0;
  LayerModel& m = stores.models[0];
  const double rho[5] = {20, 20, 100, 300, 100};
  const double h[4] = {0.1, 0.5, 2.0, 10.0};
  m.layer_count = 5;
  for (int j = 0; j < MaxLayers; ++j) {
    m.resistivity[j] = j < 5 ? rho[j] : 100.0;
    m.thickness[j] = j < 4 ? h[j] : 100.0;
    m.ip_on[j] = 0;
  }
  VariationLimitsDialog limits(stores, ui, &frame);
  ok = SavePicture(limits, dir.filePath("variation-limits.png")) && ok;
  IpLimitsDialog ip_limits(stores, ui, &frame);
  ok = SavePicture(ip_limits, dir.filePath("ip-limits.png")) && ok;
  stores.workspace.inversion_target = 5;
  stores.workspace.show_fit_result = 1;
  frame.view()->Invert();
  QApplication::sendPostedEvents();
  if (frame.view()->ratio_window() != nullptr) {
    ok = SavePicture(*frame.view()->ratio_window(),
                     dir.filePath("inversion-ratio.png")) &&
         ok;
  }
  if (frame.view()->fit_window() != nullptr) {
    ok = SavePicture(*frame.view()->fit_window(),
                     dir.filePath("fitting-result.png")) &&
         ok;
    // The equivalence ranges of the same fit.
    FittingResultWindow& fit = *frame.view()->fit_window();
    ok = fit.ComputeEquivalenceRanges() &&
         SavePicture(fit, dir.filePath("fitting-result-equivalence.png")) && ok;
  }
  return ok;
}

// The depth window of the current sets at the pictures' size, computed.
static CDepthWindow* OpenDepthPicture(CMainFrame& frame) {
  frame.view()->OpenDepthWindow();
  CDepthWindow* depth = frame.view()->depth_window();
  depth->resize(640, 600);
  depth->Recompute();
  return depth;
}

bool PictureSmoothInversion(CMainFrame& frame,
                            Stores& /*stores*/,
                            QtUi& /*ui*/,
                            const QDir& dir) {
  frame.OpenSmoothInversion();
  SmoothInversionWindow* window = frame.smooth_window();
  const bool ran = window->Run();
  bool ok = SavePicture(*window, dir.filePath("smooth-inversion.png")) && ran;
  window->close();
  // The profile in the depth window ("&0" on), beside the transformation.
  CDepthWindow* depth = OpenDepthPicture(frame);
  for (QAction* a : depth->actions()) {
    if (a->text() == "&0") a->trigger();
  }
  depth->Button("&Log h")->click();
  ok = SavePicture(*depth, dir.filePath("depth-window-smooth.png")) && ok;
  frame.view()->CloseDepthWindow();
  QApplication::sendPostedEvents();
  return ok;
}

bool PictureBayesInversion(CMainFrame& frame,
                           Stores& /*stores*/,
                           QtUi& /*ui*/,
                           const QDir& dir) {
  frame.OpenBayesInversion();
  BayesInversionWindow* window = frame.bayes_window();
  // A short run: 20000 iterations of each chain, half of them burn-in.
  window->iterations_field()->setText("20000");
  window->burn_in_field()->setText("10000");
  const bool ran = window->Run() && !window->result().cancelled;
  bool ok = SavePicture(*window, dir.filePath("bayes-inversion.png")) && ran;
  window->close();
  // Its percentiles in the depth window ("&0" on).
  CDepthWindow* depth = OpenDepthPicture(frame);
  // "&0" toggles; it is on when the percentiles are drawn.
  auto drawn = [depth] {
    for (int i = 0; i < depth->graph()->plottableCount(); ++i) {
      if (depth->graph()->plottable(i)->name().contains("Bayesian"))
        return true;
    }
    return false;
  };
  for (QAction* a : depth->actions()) {
    if (a->text() == "&0" && !drawn()) a->trigger();
  }
  ok = SavePicture(*depth, dir.filePath("depth-window-bayes.png")) && drawn() &&
       ok;
  frame.view()->CloseDepthWindow();
  QApplication::sendPostedEvents();
  return ok;
}

bool PictureIntWindows(CMainFrame& frame,
                       Stores& stores,
                       QtUi& ui,
                       const QDir& dir) {
  SaveModelDataDialog save(stores, ui, &frame);
  bool ok = SavePicture(save, dir.filePath("save-model-data.png"));
  // The fitted model saved twice under two names, as over two sessions,
  // into a file beside the pictures that show it (the dialogs name it). The
  // session forgets it afterwards: no later picture mentions it.
  const QString path = dir.filePath("15125A-results.int");
  QFile::remove(path);
  const FileStrings files_before = stores.workspace.files;
  SaveModelChoice choice = SaveModelChoice::Load(stores.models);
  frame.SaveResults(choice, path);
  choice.names[0] = "15125A COPY";
  choice.lat[0] = "1500.0";
  choice.Apply(stores.models, ui);
  frame.SaveResults(choice, path);
  frame.statusBar()->clearMessage();
  stores.workspace.files = files_before;
  CModelLoadDlg load(stores, ui, path.toStdString(), &frame);
  load.list()->setCurrentRow(0);
  ok = SavePicture(load, dir.filePath("model-load.png")) && ok;
  std::vector<SectionStation> stations;
  CFileContentDlg content(
      stores.workspace, ui, path.toStdString(), stations, &frame);
  ok = SavePicture(content, dir.filePath("file-content.png")) && ok;
  return ok;
}

}  // namespace mtvuk

namespace mtvuk {

bool PictureDepthWindows(CMainFrame& frame,
                         Stores& stores,
                         QtUi& ui,
                         const QDir& dir) {
  (void)ui;
  frame.OpenSmoothing();
  CSmoothingWindow* smoothing = frame.smoothing_window();
  if (smoothing == nullptr) return false;
  for (int k = 0; k < MaxSets; ++k) {
    if (stores.sets[k].in_use > 0) smoothing->logic().ToggleSlot(k);
  }
  smoothing->res_phs_box()->setChecked(true);
  bool ok = SavePicture(*smoothing, dir.filePath("smoothing.png"));
  smoothing->Apply();
  QApplication::sendPostedEvents();
  smoothing->close();
  QApplication::sendPostedEvents();
  ok = SavePicture(frame, dir.filePath("main-smoothed.png")) && ok;
  frame.view()->Control(1019)->click();
  ok = SavePicture(frame, dir.filePath("main-smoothed-phase.png")) && ok;
  frame.view()->Control(1018)->click();

  CVUKView* view = frame.view();
  CDepthWindow* depth = OpenDepthPicture(frame);
  // The upper ten kilometres, as a user zooms to them.
  depth->graph()->SetRanges({0.0, -10000.0, 0.0, 4.0});
  ok = SavePicture(*depth, dir.filePath("depth-window.png")) && ok;
  ok = SavePicture(frame, dir.filePath("main-depth.png")) && ok;
  depth->Button("&S (h)")->click();
  depth->Button("&Log h")->click();
  ok = SavePicture(*depth, dir.filePath("depth-window-s.png")) && ok;
  depth->Button("&Res(h)")->click();
  depth->Button("&Log h")->click();
  depth->graph()->SetRanges({0.0, -6000.0, 0.0, 4.0});

  // Three layers drawn with the mouse: 100 Ohm-m down to 500 m, 10 Ohm-m
  // down to 2000 m, 1000 Ohm-m below.
  depth->Button("&Design")->click();
  const double points[3][2] = {{-500.0, 2.0}, {-2000.0, 1.0}, {-4000.0, 3.0}};
  for (const auto& p : points) {
    depth->PressAt(depth->graph()->ValueToPixel(p[0], p[1]), Qt::LeftButton);
    depth->Release();
  }
  ok = SavePicture(*depth, dir.filePath("depth-design.png")) && ok;
  if (depth->logic().SetModel()) {
    CDesignedModelDlg dialog(stores, ui, depth);
    ok = SavePicture(dialog, dir.filePath("designed-model.png")) && ok;
  } else {
    std::fprintf(stderr, "mtvuk: the designed model has no points\n");
    ok = false;
  }
  view->CloseDepthWindow();
  QApplication::sendPostedEvents();
  return ok;
}

}  // namespace mtvuk

namespace mtvuk {
namespace {

const QStringList kQuantityNames = {"res", "phs", "rez", "imz"};
// The radio buttons of the four quantities, in that order.
constexpr int kQuantityIds[4] = {1018, 1019, 1366, 1367};

}  // namespace

bool PictureEditWindows(CMainFrame& frame,
                        Stores& stores,
                        QtUi& ui,
                        const QDir& dir) {
  (void)stores;
  (void)ui;
  frame.OpenEditFieldData();
  CEditDataWindow* edit = frame.edit_window();
  if (edit == nullptr) {
    std::fprintf(stderr,
                 "mtvuk: the field-data pictures need a loaded sounding: "
                 "add --load FILE --modes xy,yx\n");
    return false;
  }
  edit->MarkSet(0);
  FieldEditor& editor = edit->editor();
  // Two scattered points of the dead band near 1 s.
  const int off[2] = {54, 57};
  for (int i : off) editor.TogglePoint(i);
  edit->from_field()->setText("1000");
  QApplication::sendPostedEvents();
  CVUKView* view = frame.view();
  view->Refresh(false);
  edit->ShowState();
  // The pointer on the first switched-off point.
  frame.show();
  QApplication::processEvents();
  view->edit_mouse()->Move(view->graph()->PointPixel(0, off[0]));
  // The main window with the "Edit field data" window beside it.
  const QPixmap main = frame.grab();
  const QPixmap tool = edit->grab();
  QPixmap both(main.width() + tool.width() + 12,
               std::max(main.height(), tool.height()));
  both.fill(QColor(225, 225, 225));
  QPainter painter(&both);
  painter.drawPixmap(0, 0, main);
  painter.drawPixmap(main.width() + 12, 0, tool);
  painter.end();
  bool ok = both.save(dir.filePath("edit-field-data.png"), "PNG");
  if (view->info_window() != nullptr) {
    ok = SavePicture(*view->info_window(), dir.filePath("info.png")) && ok;
  }
  QPrintPreviewDialog preview(&frame.Printer(), &frame);
  GraphPicture* graph = view->graph();
  QObject::connect(
      &preview,
      &QPrintPreviewDialog::paintRequested,
      &frame,
      [graph](QPrinter* printer) {
        PrintGraph(*graph, *printer, TitleLine(*graph, QDate::currentDate()));
      });
  preview.resize(900, 680);
  ok = SavePicture(preview, dir.filePath("print-preview.png")) && ok;
  preview.close();
  editor.Undo();
  editor.Undo();
  edit->close();
  QApplication::sendPostedEvents();
  return ok;
}

bool CheckExportOptions(const QString& path, const QString& quantity) {
  const QString type = QFileInfo(path).suffix().toLower();
  if (type != "svg" && type != "pdf" && type != "png") {
    std::fprintf(stderr,
                 "mtvuk: %s: the picture type is not known: use .svg, .pdf "
                 "or .png\n",
                 qPrintable(path));
    return false;
  }
  if (!kQuantityNames.contains(quantity.toLower())) {
    std::fprintf(stderr,
                 "mtvuk: unknown quantity '%s' (res, phs, rez or imz)\n",
                 qPrintable(quantity));
    return false;
  }
  return true;
}

bool ExportCurveGraph(CMainFrame& frame,
                      const QString& path,
                      const QString& quantity) {
  const int q = static_cast<int>(kQuantityNames.indexOf(quantity.toLower()));
  frame.view()->Control(kQuantityIds[q])->click();
  // The graph is never shown: it gets the size of a picture for a report.
  CurveGraph* graph = frame.view()->graph();
  graph->resize(900, 600);
  graph->Rebuild(true);
  QString error;
  if (!SaveGraphPicture(
          *graph, path, TitleLine(*graph, QDate::currentDate()), &error)) {
    std::fprintf(stderr, "mtvuk: %s\n", qPrintable(error));
    return false;
  }
  return true;
}

bool PictureResultFileWindows(CMainFrame& frame,
                              Stores& stores,
                              QtUi& ui,
                              const QDir& dir) {
  // The transformations of the sets smoothed by PictureDepthWindows.
  CSaveTransformationDlg save(stores, ui, &frame);
  bool ok = SavePicture(save, dir.filePath("save-transformation.png"));
  save.close();

  // A three-layer model exported with 5 % noise (as `mtvuk-cli export
  // --noise 5 --seed 1` writes it), read back into sets 1 and 2 beside the
  // model's curve.
  LayerModel& m = stores.models[0];
  const double rho[3] = {100.0, 10.0, 1000.0};
  const double h[2] = {1.0, 5.0};
  m.layer_count = 3;
  for (int j = 0; j < MaxLayers; ++j) {
    m.resistivity[j] = rho[std::min(j, 2)];
    m.thickness[j] = j < 2 ? h[j] : 100.0;
    m.ip_on[j] = m.aniso_on[j] = 0;
  }
  m.dispersion_on = m.anisotropy_on = 0;
  m.name = "SYNTH 3L";
  SyntheticOptions options;
  options.noise_percent = 5.0;
  options.seed = 1;
  options.period_max = 1000.0;  // the curves end below the legend
  // Written and read back in a folder of its own that goes with it; the
  // session keeps no trace of the file's name.
  QTemporaryDir scratch;
  if (!scratch.isValid()) return false;
  const QString path = scratch.filePath("SYNTH3L.PLT");
  const FileStrings files_before = stores.workspace.files;
  const bool read = ExportModel(m, options, path.toStdString(), ui) &&
                    ReadFieldFile(path.toStdString(), stores.workspace, ui);
  stores.workspace.files = files_before;
  if (!read) return false;
  for (FieldSet& set : stores.sets) ResetFieldSet(set);
  const LayerModel model = m;
  LoadFieldSet(0, CurveMode::XY, stores.workspace, stores.sets, stores.models);
  LoadFieldSet(1, CurveMode::YX, stores.workspace, stores.sets, stores.models);
  // Models 1 and 2 are the true model, neither a start nor a fit.
  for (int k = 0; k < MaxModels; ++k) {
    if (k < 2) {
      stores.models[k] = model;
      stores.models[k].name = "TRUE MODEL";
      stores.models[k].attached_set = stores.models[k].fitted_set = -1;
    }
    stores.models[k].shown = k < 2 ? 1 : 0;
  }
  stores.workspace.any_set_in_use = 1;
  frame.view()->ComputeAllModels();
  frame.view()->Refresh(true);
  frame.statusBar()->clearMessage();
  ok = SavePicture(frame, dir.filePath("export-models.png")) && ok;
  return ok;
}

}  // namespace mtvuk
