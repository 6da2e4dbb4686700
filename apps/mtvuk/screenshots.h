// Start-up with data loaded, and pictures of the windows for the manual.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

#include "ui/app/main_frame.h"

namespace mtvuk {

// Reads FILE (with the SEG EDI importer when `import`) and loads the given
// modes ("xy", "yx", "mean", "eff") into the first free slots, as the
// sounding-list dialog would with those ticks. When `dialog_picture` is not
// empty, the dialog is pictured there with its ticks before it loads. Only
// the models of the loaded slots stay shown. False when the file was refused
// or a mode is unknown.
bool LoadModes(CMainFrame& frame,
               Stores& stores,
               QtUi& ui,
               const QString& file,
               const QStringList& modes,
               const QString& dialog_picture = {},
               bool import = false);

// Pictures of the model editor (model 1 with IP in two layers) and of the
// modelling dialogs: model-form.png, impedance.png, modeling-settings.png,
// choose-models.png, ip-models.png.
bool PictureModelWindows(CMainFrame& frame,
                         Stores& stores,
                         QtUi& ui,
                         const QDir& dir);

// Pictures of the inversion dialogs and of a fit of model 1 to set 1:
// main-setting.png, attach.png, variation-limits.png, ip-limits.png,
// inversion-ratio.png, fitting-result.png.
bool PictureInversionWindows(CMainFrame& frame,
                             Stores& stores,
                             QtUi& ui,
                             const QDir& dir);

// Pictures of the INT dialogs, after the fit of PictureInversionWindows:
// save-model-data.png, model-load.png, file-content.png.
bool PictureIntWindows(CMainFrame& frame,
                       Stores& stores,
                       QtUi& ui,
                       const QDir& dir);

// The smooth inversion of set 1 with the window's defaults:
// smooth-inversion.png, and its profile in the depth window,
// depth-window-smooth.png. (The fit of PictureInversionWindows gets
// fitting-result-equivalence.png there.)
// The "Bayesian inversion" window after a short run on the bundled
// example, bayes-inversion.png, and its percentiles in the depth window,
// depth-window-bayes.png.
bool PictureBayesInversion(CMainFrame& frame,
                           Stores& stores,
                           QtUi& ui,
                           const QDir& dir);
bool PictureSmoothInversion(CMainFrame& frame,
                            Stores& stores,
                            QtUi& ui,
                            const QDir& dir);

// Pictures of smoothing and the depth window: smoothing.png,
// main-smoothed.png, depth-window.png (Res(h) of the loaded sets and their
// models), depth-window-s.png (S(h), log depth), main-depth.png,
// depth-design.png and designed-model.png (three designed layers).
bool PictureDepthWindows(CMainFrame& frame,
                         Stores& stores,
                         QtUi& ui,
                         const QDir& dir);

// Pictures of field data editing: edit-field-data.png (the main window with
// two points of set 1 switched off, and the "Edit field data" window beside
// it), info.png (the "INFO" window on a point) and print-preview.png.
bool PictureEditWindows(CMainFrame& frame,
                        Stores& stores,
                        QtUi& ui,
                        const QDir& dir);

// --export-graph OUT --quantity Q: false, with the reason on standard
// error, when OUT is not of a picture type written (.svg, .pdf, .png) or Q
// is not res, phs, rez or imz.
bool CheckExportOptions(const QString& path, const QString& quantity);
// Writes the curve graph of the quantity to `path` without showing a
// window.
bool ExportCurveGraph(CMainFrame& frame,
                      const QString& path,
                      const QString& quantity);
// Pictures of the result files, after PictureDepthWindows:
// save-transformation.png (the smoothed sets' transformations) and
// export-models.png (a model's synthetic sounding with noise, read back
// into sets 1 and 2 beside the model's curve).
bool PictureResultFileWindows(CMainFrame& frame,
                              Stores& stores,
                              QtUi& ui,
                              const QDir& dir);

// Renders a widget to a PNG file.
bool SavePicture(QWidget& widget, const QString& path);

// Pictures of the section stack on the example profile: map.png (its
// stations with the automatic profile), scale.png (the Scale dialog of the
// section made from that profile) and delete-section.png (a full stack).
bool PictureSectionStack(CMainFrame& frame,
                         Stores& stores,
                         QtUi& ui,
                         const QDir& dir);

}  // namespace mtvuk
