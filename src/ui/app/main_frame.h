// CMainFrame: the main window with the menu of the program.
#pragma once

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>

#include "core/fielddata/edi_import.h"
#include "core/files/int_file.h"
#include "core/store/workspace.h"
#include "ui/app/qt_ui.h"
#include "ui/app/recent_files_menu.h"
#include "ui/app/vuk_view.h"
#include "ui/bayes/bayes_inversion_window.h"
#include "ui/dimensionality/dimensionality_window.h"
#include "ui/fielddata/edit_data_window.h"
#include "ui/fielddata/smoothing_window.h"
#include "ui/graph/graph_picture.h"
#include "ui/inversion/smooth_inversion_window.h"

class QPrinter;

namespace mtvuk {

// Ids of the menu commands.
enum Command : int {
  kCmdSmooth = 32777,
  kCmdEditFieldData = 32778,
  kCmdInputFieldData = 32780,
  kCmdInputModelData = 32781,
  kCmdImportEdi = 32830,
  kCmdSaveInversion = 32782,
  kCmdModeling = 32791,
  kCmdLimits = 32794,
  kCmdAttach = 32806,
  kCmdMainSetting = 32807,
  kCmdSaveMetafile = 32810,
  kCmdSaveModelData = 32811,
  kCmdFont = 32812,
  kCmdSectionNew = 32814,
  kCmdSection1 = 32815,
  kCmdPrint = 32820,
  kCmdPrintPreview = 32821,
  kCmdPageSetup = 57605,
  kCmdAbout = 57664,
  kCmdExit = 57665,
  kCmdSmoothInversion = 32861,
  kCmdBayesInversion = 32862,
  kCmdUndoEdit = 32831,
  kCmdRestoreSet = 32832,
  kCmdDimensionality = 32870,
};

// The file dialogs of the menu commands.
enum class FileDialogKind {
  kFieldData,
  kImportEdi,
  kInputModelData,
  kSaveResults,
  kSaveImage,
};

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  CMainFrame(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  ~CMainFrame() override;

  CVUKView* view() const { return view_; }
  QAction* CommandAction(int id) const;
  // "Se&ction": one item "Section %d" per section, in slot order, checked
  // while its window is shown.
  void UpdateSectionMenu();

  // The file dialog a command shows, with its title, filters and folder.
  std::unique_ptr<QFileDialog> FileDialog(FileDialogKind kind);
  // "Input MT-Field data": the open dialog, then OpenFieldFile.
  void InputFieldData();
  // Reads a field file and shows the sounding-list dialog; false when the
  // file was refused.
  bool OpenFieldFile(const QString& path);
  // "Import field data...": the open dialog, then ImportFile (the reader
  // chosen by the content of the file).
  void ImportEdi();
  bool ImportFile(const QString& path);
  // "Input Model data Res(h)": the open dialog, then LoadModelFile.
  void InputModelData();
  void LoadModelFile(const QString& path);
  // "&Save Inversion's results": the model-data dialog, the save dialog,
  // then SaveResults.
  void SaveInversionResults();
  // Appends the blocks of the models marked in `choice` to the INT file
  // made from `chosen_path`.
  bool SaveResults(const SaveModelChoice& choice, const QString& chosen_path);
  // "Save Model data &Z(T)": "CHOOSE MODELS", then a save dialog for each
  // chosen model.
  void SaveModelData();
  // The save dialog of one model's synthetic sounding.
  std::unique_ptr<QFileDialog> ModelDataDialog(int model);
  // Writes a file for every model whose export flag is set, in model
  // order; `choose` gives the path of a model (empty: the model is
  // skipped). Returns the number of files written.
  int ExportChosenModels(const std::function<QString(int)>& choose);
  // The synthetic sounding of one model into the chosen folder and title
  // with ".PLT".
  bool ExportModelFile(int model, const QString& chosen_path);
  // Enables the commands whose condition depends on the stores.
  void UpdateCommandStates();
  // "Smooth inversion (Occam)...": opens (or raises) the window.
  void OpenSmoothInversion();
  SmoothInversionWindow* smooth_window() const { return smooth_; }
  // "Bayesian inversion...": opens (or raises) the window.
  void OpenBayesInversion();
  BayesInversionWindow* bayes_window() const { return bayes_; }
  const BayesRuns& bayes_runs() const { return bayes_runs_; }
  // "&Smooth field data": opens the "Smoothing" window.
  void OpenSmoothing();
  CSmoothingWindow* smoothing_window() const { return smoothing_; }

  // "&Edit field data": opens the "Edit data" window (and the view's
  // "INFO" window).
  void OpenEditFieldData();
  CEditDataWindow* edit_window() const { return edit_; }
  // "&Dimensionality...": opens (or raises) the "Dimensionality" window.
  void OpenDimensionality();
  DimensionalityWindow* dimensionality_window() const { return dims_; }

  // Printing and pictures of the graph the user works in: the graph of the
  // active tool window that shows one (the depth window), else the graph
  // the main view shows.
  GraphPicture* ActivePicture() const;
  // The printer of the session (page setup is kept between prints).
  QPrinter& Printer();
  void Print();
  void PrintPreview();
  void PageSetup();
  // "S&ave Image in MetaFile": the save dialog, then SaveImage.
  void SaveImageCommand();
  bool SaveImage(GraphPicture& graph, const QString& path);
  // In batch mode (pictures from the command line) no command waits for a
  // person: printing uses the printer as set up, without a dialog.
  void SetBatchMode(bool batch) { batch_ = batch; }

  RecentFilesMenu* recent_files() const { return recent_; }

  // The status bar says "Physics: corrected" while the workspace's physics
  // is corrected, and nothing about it otherwise.
  void ShowPhysics();
  QLabel* physics_label() const { return physics_label_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void customEvent(QEvent* event) override;

 private:
  QAction* AddCommand(QMenu* menu,
                      const QString& text,
                      int id,
                      bool enabled,
                      const QKeySequence& shortcut = {});
  void BuildMenu();

  Stores& stores_;
  QtUi& ui_;
  CVUKView* view_ = nullptr;
  QLabel* physics_label_ = nullptr;
  std::map<int, QAction*> commands_;
  double import_error_ = kDefaultImportError;  // of |Z|, files without errors
  QPointer<SmoothInversionWindow> smooth_;
  QPointer<BayesInversionWindow> bayes_;
  BayesRuns bayes_runs_;
  QPointer<CSmoothingWindow> smoothing_;
  QPointer<CEditDataWindow> edit_;
  QPointer<DimensionalityWindow> dims_;
  std::unique_ptr<QPrinter> printer_;
  RecentFilesMenu* recent_ = nullptr;
  bool batch_ = false;
};

}  // namespace mtvuk
