#include "ui/app/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>

#include "core/fielddata/edi_import.h"
#include "core/fielddata/field_file_reader.h"
#include "core/files/file_error_text.h"
#include "core/files/synthetic_export.h"
#include "core/formats/field_data_import.h"
#include "ui/app/file_dialogs.h"
#include "ui/app/message_service.h"
#include "ui/fielddata/sounding_list_dialog.h"
#include "ui/files/int_dialogs.h"
#include "ui/graph/graph_output.h"
#include "ui/inversion/inversion_dialogs.h"
#include "ui/modelform/modeling_dialogs.h"

namespace mtvuk {
namespace {

QString FolderOf(const std::string& path) {
  return path.empty() ? QString()
                      : QFileInfo(QString::fromStdString(path)).absolutePath();
}

}  // namespace

CMainFrame::CMainFrame(Stores& stores, QtUi& ui, QWidget* parent)
    : QMainWindow(parent), stores_(stores), ui_(ui) {
  setObjectName("main_frame");
  setWindowTitle("MT-VUK");
  view_ = new CVUKView(stores_, ui_, this);
  setCentralWidget(view_);
  // The depth graphs draw the smooth profile of each set beside its
  // transformation, and the percentiles of its Bayesian inversion.
  view_->SetExtraProfileSource([this](int k, ExtraProfile& profile) {
    const bool smooth = SmoothExtraProfile(stores_, k, profile);
    return BayesPercentileProfile(bayes_runs_, stores_.sets, k, profile) ||
           smooth;
  });
  BuildMenu();
  statusBar()->showMessage("Ready");
  physics_label_ = new QLabel("Physics: corrected", this);
  physics_label_->setObjectName("physics_status");
  statusBar()->addPermanentWidget(physics_label_);
  ShowPhysics();
  ui_.Register(Window::kMainFrame, this);
  resize(1100, 720);
}

CMainFrame::~CMainFrame() { ui_.Unregister(Window::kMainFrame); }

void CMainFrame::ShowPhysics() {
  physics_label_->setVisible(stores_.workspace.physics == Physics::kCorrected);
}

QAction* CMainFrame::AddCommand(QMenu* menu,
                                const QString& text,
                                int id,
                                bool enabled,
                                const QKeySequence& shortcut) {
  QAction* action = menu->addAction(text);
  action->setData(id);
  action->setEnabled(enabled);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  commands_[id] = action;
  return action;
}

QAction* CMainFrame::CommandAction(int id) const {
  auto it = commands_.find(id);
  return it == commands_.end() ? nullptr : it->second;
}

void CMainFrame::BuildMenu() {
  QMenu* file = menuBar()->addMenu("&File");
  connect(AddCommand(file,
                     "&Input  MT-Field  data",
                     kCmdInputFieldData,
                     true,
                     QKeySequence::Open),
          &QAction::triggered,
          this,
          &CMainFrame::InputFieldData);
  connect(AddCommand(file,
                     "&Import field data (EDI, EMTF XML, Z-file, j-file, "
                     "AVG)...",
                     kCmdImportEdi,
                     true,
                     QKeySequence("Ctrl+I")),
          &QAction::triggered,
          this,
          &CMainFrame::ImportEdi);
  connect(
      AddCommand(file, "Input  &Model data Res(h)", kCmdInputModelData, true),
      &QAction::triggered,
      this,
      &CMainFrame::InputModelData);
  connect(AddCommand(file,
                     "&Save Inversion's results",
                     kCmdSaveInversion,
                     false,
                     QKeySequence::Save),
          &QAction::triggered,
          this,
          &CMainFrame::SaveInversionResults);
  connect(file, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
  connect(AddCommand(file, "Save Model data &Z(T)", kCmdSaveModelData, true),
          &QAction::triggered,
          this,
          &CMainFrame::SaveModelData);
  connect(AddCommand(file, "S&ave Image in MetaFile", kCmdSaveMetafile, true),
          &QAction::triggered,
          this,
          &CMainFrame::SaveImageCommand);
  file->addSeparator();
  connect(AddCommand(file, "&Print", kCmdPrint, true, QKeySequence::Print),
          &QAction::triggered,
          this,
          &CMainFrame::Print);
  connect(AddCommand(file, "Print Pre&view", kCmdPrintPreview, true),
          &QAction::triggered,
          this,
          &CMainFrame::PrintPreview);
  connect(AddCommand(file, "Pa&ge Setup", kCmdPageSetup, true),
          &QAction::triggered,
          this,
          &CMainFrame::PageSetup);
  // The graph of the depth window is printed when that window is active.
  CommandAction(kCmdPrint)->setShortcutContext(Qt::ApplicationShortcut);
  file->addSeparator();
  QAction* exit = AddCommand(file, "E&xit", kCmdExit, true, QKeySequence::Quit);
  connect(exit, &QAction::triggered, this, &QWidget::close);
  recent_ = new RecentFilesMenu(file, exit, this);
  connect(recent_,
          &RecentFilesMenu::OpenRequested,
          this,
          [this](const QString& path) {
            if (!QFileInfo::exists(path)) recent_->Remove(path);
            OpenFieldFile(path);
          });

  QMenu* edit = menuBar()->addMenu("&Edit");
  connect(AddCommand(edit, "&Smooth field data", kCmdSmooth, false),
          &QAction::triggered,
          this,
          &CMainFrame::OpenSmoothing);
  connect(edit, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
  connect(AddCommand(edit, "&Edit field data", kCmdEditFieldData, false),
          &QAction::triggered,
          this,
          &CMainFrame::OpenEditFieldData);
  edit->addSeparator();
  connect(
      AddCommand(
          edit, "&Undo field edit", kCmdUndoEdit, false, QKeySequence::Undo),
      &QAction::triggered,
      this,
      [this] {
        if (edit_ != nullptr) edit_->Undo();
      });
  connect(AddCommand(edit, "&Restore the set as read", kCmdRestoreSet, false),
          &QAction::triggered,
          this,
          [this] {
            if (edit_ != nullptr) edit_->RestoreAsRead();
          });
  edit->addSeparator();
  connect(AddCommand(edit, "&Dimensionality...", kCmdDimensionality, true),
          &QAction::triggered,
          this,
          &CMainFrame::OpenDimensionality);
  // Ctrl+Z also works while the "Edit data" window is active.
  CommandAction(kCmdUndoEdit)->setShortcutContext(Qt::ApplicationShortcut);

  QMenu* setting = menuBar()->addMenu("&Setting");
  connect(AddCommand(setting, "&Modeling", kCmdModeling, true),
          &QAction::triggered,
          this,
          [this] {
            ModelingSettingsDialog(stores_, ui_, this).exec();
            ShowPhysics();
          });
  QMenu* inversion = setting->addMenu("&Inversion");
  connect(AddCommand(inversion, "&Main setting", kCmdMainSetting, true),
          &QAction::triggered,
          this,
          [this] { MainSettingDialog(stores_, ui_, this).exec(); });
  connect(
      AddCommand(inversion, "&Attach Field sets to Models", kCmdAttach, true),
      &QAction::triggered,
      this,
      [this] { AttachDialog(stores_, ui_, this).exec(); });
  connect(AddCommand(
              inversion, "&Resistivity and Thickness limits", kCmdLimits, true),
          &QAction::triggered,
          this,
          [this] { VariationLimitsDialog(stores_, ui_, this).exec(); });
  connect(
      AddCommand(
          inversion, "Smooth inversion (Occam)...", kCmdSmoothInversion, true),
      &QAction::triggered,
      this,
      &CMainFrame::OpenSmoothInversion);
  connect(
      AddCommand(inversion, "Bayesian inversion...", kCmdBayesInversion, true),
      &QAction::triggered,
      this,
      &CMainFrame::OpenBayesInversion);
  connect(AddCommand(setting, "&Font", kCmdFont, true),
          &QAction::triggered,
          view_,
          &CVUKView::ChooseFont);

  QMenu* section = menuBar()->addMenu("Se&ction");
  connect(AddCommand(section, "&New", kCmdSectionNew, true),
          &QAction::triggered,
          view_,
          &CVUKView::NewSection);
  section->addSeparator();
  for (int i = 0; i < kSectionSlots; ++i) {
    QAction* item =
        AddCommand(section, QString("&%1").arg(i + 1), kCmdSection1 + i, true);
    item->setCheckable(true);
    item->setVisible(false);
    connect(item, &QAction::triggered, this, [this, i] {
      view_->RestoreSection(i);
      UpdateSectionMenu();
    });
  }
  // The sections are listed afresh each time the menu opens.
  connect(section, &QMenu::aboutToShow, this, &CMainFrame::UpdateSectionMenu);

  QMenu* help = menuBar()->addMenu("&?");
  connect(AddCommand(help,
                     "&About MT-VUK...",
                     kCmdAbout,
                     true,
                     QKeySequence::HelpContents),
          &QAction::triggered,
          this,
          [this] { ShowAbout(this); });
}

std::unique_ptr<QFileDialog> CMainFrame::FileDialog(FileDialogKind kind) {
  const FileStrings& files = stores_.workspace.files;
  switch (kind) {
    case FileDialogKind::kFieldData:
      return MakeFileDialog(this,
                            kFieldFileDialogTitle,
                            FolderOf(files.field_path),
                            FieldFileFilter(files.field_extension),
                            QFileDialog::AcceptOpen);
    case FileDialogKind::kImportEdi:
      return MakeFileDialog(this,
                            "Import field data",
                            FolderOf(files.field_path),
                            kFieldImportFilter,
                            QFileDialog::AcceptOpen);
    case FileDialogKind::kInputModelData:
      return MakeFileDialog(this,
                            "Input Model data Res(h)",
                            FolderOf(files.int_opened),
                            kIntFileFilter,
                            QFileDialog::AcceptOpen);
    case FileDialogKind::kSaveResults:
      return MakeFileDialog(this,
                            "Save Inversion's results",
                            QString::fromStdString(files.int_saved),
                            kIntFileFilter,
                            QFileDialog::AcceptSave);
    case FileDialogKind::kSaveImage: {
      auto dialog = MakeFileDialog(this,
                                   "Save Image",
                                   QString::fromStdString(files.metafile_path),
                                   kPictureFilter,
                                   QFileDialog::AcceptSave);
      dialog->setDefaultSuffix("svg");
      // A name without extension takes that of the chosen type.
      connect(dialog.get(),
              &QFileDialog::filterSelected,
              dialog.get(),
              [d = dialog.get()](const QString& filter) {
                d->setDefaultSuffix(
                    filter.section("(*.", -1).section(')', 0, 0).toLower());
              });
      return dialog;
    }
  }
  return nullptr;
}

void CMainFrame::InputFieldData() {
  const QString path = RunFileDialog(*FileDialog(FileDialogKind::kFieldData));
  if (path.isEmpty()) return;
  OpenFieldFile(path);
}

bool CMainFrame::OpenFieldFile(const QString& path) {
  // EMTF XML, Z-files, j-files and AVG files go to their own readers.
  const FieldFormat format = SniffFieldFile(path.toStdString());
  if (format != FieldFormat::kSegEdi && format != FieldFormat::kUnknown)
    return ImportFile(path);
  if (!ReadFieldFile(path.toStdString(), stores_.workspace, ui_)) return false;
  recent_->Add(QFileInfo(path).absoluteFilePath());
  SoundingListDialog dialog(
      stores_.workspace, stores_.sets, stores_.models, ui_, this);
  dialog.exec();
  view_->Refresh(true);
  return true;
}

void CMainFrame::UpdateSectionMenu() {
  const std::vector<SectionMenuItem> items = view_->SectionMenu();
  for (int i = 0; i < kSectionSlots; ++i) {
    QAction* action = CommandAction(kCmdSection1 + i);
    const bool used = i < static_cast<int>(items.size());
    action->setVisible(used);
    action->setText(used ? QString::fromStdString(items[i].text)
                         : QString("&%1").arg(i + 1));
    action->setChecked(used && items[i].checked);
  }
}

void CMainFrame::UpdateCommandStates() {
  CommandAction(kCmdSaveInversion)
      ->setEnabled(CanSaveResults(stores_.workspace, stores_.models));
  bool any_set = false;
  for (const FieldSet& set : stores_.sets) any_set = any_set || set.in_use > 0;
  CommandAction(kCmdSmooth)->setEnabled(any_set);
  CommandAction(kCmdEditFieldData)->setEnabled(any_set);
  CommandAction(kCmdUndoEdit)->setEnabled(edit_ != nullptr);
  CommandAction(kCmdRestoreSet)->setEnabled(edit_ != nullptr);
}

void CMainFrame::OpenSmoothing() {
  UpdateCommandStates();
  if (!CommandAction(kCmdSmooth)->isEnabled()) return;
  if (smoothing_ == nullptr) {
    smoothing_ = new CSmoothingWindow(stores_, ui_, this);
    smoothing_->setWindowFlag(Qt::Tool);
  }
  smoothing_->show();
  smoothing_->raise();
}

void CMainFrame::OpenBayesInversion() {
  if (bayes_ == nullptr) {
    bayes_ = new BayesInversionWindow(stores_, bayes_runs_, ui_, this);
    bayes_->SetFinishedHook([this](int) {
      if (view_->depth_graph() != nullptr) view_->depth_graph()->Rebuild(false);
      if (view_->depth_window() != nullptr)
        view_->depth_window()->graph()->Rebuild(false);
    });
  }
  bayes_->RefreshSets();
  bayes_->show();
  bayes_->raise();
}

void CMainFrame::OpenSmoothInversion() {
  if (smooth_ == nullptr)
    smooth_ = new SmoothInversionWindow(stores_, ui_, this);
  smooth_->RefreshSets();
  smooth_->show();
  smooth_->raise();
}

void CMainFrame::OpenDimensionality() {
  if (dims_ == nullptr) dims_ = new DimensionalityWindow(stores_, ui_, this);
  dims_->RefreshSets();
  dims_->show();
  dims_->raise();
}

void CMainFrame::OpenEditFieldData() {
  UpdateCommandStates();
  if (!CommandAction(kCmdEditFieldData)->isEnabled()) return;
  if (edit_ == nullptr) {
    edit_ = new CEditDataWindow(stores_, ui_, this);
    edit_->setWindowFlag(Qt::Tool);
    connect(edit_,
            &CEditDataWindow::InfoRequested,
            view_,
            &CVUKView::OpenInfoWindow);
    connect(view_, &CVUKView::FieldEdited, edit_, &CEditDataWindow::ShowState);
    view_->SetFieldEditor(&edit_->editor());
  }
  edit_->show();
  edit_->raise();
  UpdateCommandStates();
}

GraphPicture* CMainFrame::ActivePicture() const {
  QWidget* active = QApplication::activeWindow();
  if (active != nullptr && active != this) {
    if (GraphPicture* picture = PictureOf(active)) return picture;
  }
  return view_->ShownPicture();
}

QPrinter& CMainFrame::Printer() {
  if (printer_ == nullptr) {
    // Pages are drawn in pixels of the screen, as the graph is on screen;
    // the printer scales them to its own resolution.
    printer_ = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    printer_->setPageOrientation(QPageLayout::Landscape);
    printer_->setDocName("MT-VUK graph");
  }
  return *printer_;
}

void CMainFrame::Print() {
  GraphPicture* graph = ActivePicture();
  QPrinter& printer = Printer();
  if (!batch_) {
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
  }
  if (!PrintGraph(*graph, printer, TitleLine(*graph, QDate::currentDate()))) {
    ui_.Show("The printer could not be started.", "PRINT", Icon::kStop);
  }
}

void CMainFrame::PrintPreview() {
  if (batch_) return;
  GraphPicture* graph = ActivePicture();
  QPrintPreviewDialog preview(&Printer(), this);
  connect(&preview,
          &QPrintPreviewDialog::paintRequested,
          this,
          [graph](QPrinter* printer) {
            PrintGraph(
                *graph, *printer, TitleLine(*graph, QDate::currentDate()));
          });
  preview.exec();
}

void CMainFrame::PageSetup() {
  if (batch_) return;
  QPageSetupDialog dialog(&Printer(), this);
  dialog.exec();
}

void CMainFrame::SaveImageCommand() {
  GraphPicture* graph = ActivePicture();
  const QString path = RunFileDialog(*FileDialog(FileDialogKind::kSaveImage));
  if (path.isEmpty()) return;
  SaveImage(*graph, path);
}

bool CMainFrame::SaveImage(GraphPicture& graph, const QString& path) {
  stores_.workspace.files.metafile_path = path.toStdString();
  QString error;
  if (!SaveGraphPicture(
          graph, path, TitleLine(graph, QDate::currentDate()), &error)) {
    ui_.Show(error.toStdString(), "SAVE IMAGE", Icon::kStop);
    return false;
  }
  statusBar()->showMessage(QString("Saved to %1").arg(path), 5000);
  return true;
}

void CMainFrame::InputModelData() {
  const QString path =
      RunFileDialog(*FileDialog(FileDialogKind::kInputModelData));
  if (path.isEmpty()) return;
  LoadModelFile(path);
}

void CMainFrame::LoadModelFile(const QString& path) {
  const std::string p = path.toStdString();
  stores_.workspace.files.int_opened = p;
  if (!TextFile::Exists(p)) {
    ui_.Show(FileErrorText(0), "CAN'T OPEN FILE", Icon::kStop);
    return;
  }
  TextFile probe;
  if (!probe.Open(p, TextFile::Mode::kRead)) {
    ui_.Show(FileErrorText(probe.cause()), "CAN'T OPEN FILE", Icon::kStop);
    return;
  }
  probe.Close();
  CModelLoadDlg dialog(stores_, ui_, p, this);
  dialog.exec();
}

void CMainFrame::SaveInversionResults() {
  UpdateCommandStates();
  if (!CommandAction(kCmdSaveInversion)->isEnabled()) return;
  SaveModelDataDialog dialog(stores_, ui_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const QString chosen =
      RunFileDialog(*FileDialog(FileDialogKind::kSaveResults));
  if (chosen.isEmpty()) return;
  SaveResults(dialog.choice(), chosen);
}

bool CMainFrame::SaveResults(const SaveModelChoice& choice,
                             const QString& chosen_path) {
  const std::string path = IntFilePath(chosen_path.toStdString());
  stores_.workspace.files.int_saved = path;
  const std::string blocks =
      MarkedBlocks(choice, stores_.models, stores_.workspace.inversion_target);
  if (!AppendToIntFile(path, blocks, ui_)) return false;
  statusBar()->showMessage(
      QString("Saved to %1").arg(QString::fromStdString(path)), 5000);
  return true;
}

void CMainFrame::ImportEdi() {
  const QString path = RunFileDialog(*FileDialog(FileDialogKind::kImportEdi));
  if (!path.isEmpty()) ImportFile(path);
}

bool CMainFrame::ImportFile(const QString& path) {
  EdiImportReport report;
  if (!ImportFieldDataFile(
          path.toStdString(), stores_.workspace, ui_, import_error_, &report)) {
    return false;
  }
  if (report.error_source == "default" && !stores_.workspace.graph_drawing) {
    // The user sees the default error and may change it for this file.
    bool ok = false;
    const double percent =
        QInputDialog::getDouble(this,
                                "EDI IMPORT",
                                "Error of |Z| for a file without errors (%):",
                                import_error_ * 100.0,
                                0.01,
                                100.0,
                                2,
                                &ok);
    if (ok && percent / 100.0 != import_error_) {
      import_error_ = percent / 100.0;
      QtUi quiet([](auto...) { return Answer::kOk; });
      ImportFieldDataFile(
          path.toStdString(), stores_.workspace, quiet, import_error_);
    }
  }
  SoundingListDialog dialog(
      stores_.workspace, stores_.sets, stores_.models, ui_, this);
  dialog.exec();
  view_->Refresh(true);
  return true;
}

std::unique_ptr<QFileDialog> CMainFrame::ModelDataDialog(int model) {
  // The folder of the last export, the model's name as the file title.
  const QString last =
      QString::fromStdString(stores_.workspace.files.synthetic_path);
  const QString name = QString::fromStdString(stores_.models[model].name);
  QString title = name.trimmed();
  title.replace('/', '_').replace('\\', '_');
  const QString start = last.isEmpty()
                            ? title + ".PLT"
                            : QFileInfo(last).dir().filePath(title + ".PLT");
  auto dialog = MakeFileDialog(this,
                               QString("Save Model data '%1'").arg(name),
                               start,
                               kSyntheticFileFilter,
                               QFileDialog::AcceptSave);
  dialog->setDefaultSuffix("PLT");
  dialog->setOption(QFileDialog::DontConfirmOverwrite, false);  // replaced
  return dialog;
}

void CMainFrame::SaveModelData() {
  ChooseModelsDialog choose(stores_, ui_, this);
  if (choose.exec() != QDialog::Accepted) return;
  ExportChosenModels(
      [this](int i) { return RunFileDialog(*ModelDataDialog(i)); });
}

int CMainFrame::ExportChosenModels(const std::function<QString(int)>& choose) {
  int written = 0;
  for (int i = 0; i < MaxModels; ++i) {
    if (!stores_.models[i].export_flag) continue;
    const QString chosen = choose(i);
    if (!chosen.isEmpty() && ExportModelFile(i, chosen)) ++written;
  }
  return written;
}

bool CMainFrame::ExportModelFile(int model, const QString& chosen_path) {
  const std::string path = SyntheticFilePath(chosen_path.toStdString());
  stores_.workspace.files.synthetic_path = path;
  SyntheticOptions options;
  options.period_min = stores_.workspace.export_period_min;
  options.period_max = stores_.workspace.export_period_max;
  options.physics = stores_.workspace.physics;
  const bool ok = ExportModel(stores_.models[model], options, path, ui_);
  if (ok) {
    statusBar()->showMessage(
        QString("Saved to %1").arg(QString::fromStdString(path)), 5000);
  }
  return ok;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (stores_.workspace.graph_drawing ||
      ui_.MessageBox("This will end your session",
                     "EXIT",
                     Icon::kQuestion,
                     Buttons::kYesNo,
                     Answer::kNo) == Answer::kYes) {
    event->accept();
  } else {
    event->ignore();
  }
}

void CMainFrame::customEvent(QEvent* event) {
  if (event->type() != UmEvent::Type()) return;
  switch (static_cast<UmEvent*>(event)->message()) {
    case Um::UM_SETSCHANGED:
      view_->Refresh(true);
      if (smoothing_ != nullptr) smoothing_->Refresh();
      if (edit_ != nullptr) edit_->Refresh();
      if (dims_ != nullptr) dims_->RefreshSets();
      break;
    case Um::UM_EDITCLOSED:
      view_->SetFieldEditor(nullptr);
      if (edit_ != nullptr) edit_->deleteLater();
      edit_ = nullptr;
      stores_.workspace.edit_window_open = false;
      stores_.workspace.edit_marker = -100;
      UpdateCommandStates();
      view_->Refresh(false);
      break;
    case Um::UM_SMOOTH:
      QApplication::setOverrideCursor(Qt::WaitCursor);
      RunSmoothingRequest(stores_.workspace, stores_.sets, ui_, [this] {
        view_->Refresh(false);
      });
      QApplication::restoreOverrideCursor();
      if (smoothing_ != nullptr) smoothing_->Refresh();
      break;
    case Um::UM_SMOOTHCLOSED:
      if (smoothing_ != nullptr) smoothing_->deleteLater();
      smoothing_ = nullptr;
      stores_.workspace.smoothing_window_open = false;
      view_->Refresh(false);
      break;
    default:
      break;
  }
}

}  // namespace mtvuk
