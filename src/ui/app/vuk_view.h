// CVUKView: the main form with the curve graph, its display switches and the
// keyboard switches of the six field sets.
#pragma once

#include <QCheckBox>
#include <QPointer>
#include <QRadioButton>
#include <QStackedWidget>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "core/files/int_file.h"
#include "core/section/section_stack.h"
#include "core/store/workspace.h"
#include "ui/app/qt_ui.h"
#include "ui/depth/depth_window.h"
#include "ui/fielddata/curve_edit_mouse.h"
#include "ui/fielddata/info_window.h"
#include "ui/graph/curve_graph.h"
#include "ui/graph/depth_graph.h"
#include "ui/inversion/fit_windows.h"
#include "ui/modelform/model_form.h"

namespace mtvuk {

class CFileContentDlg;
class MapDialog;
class SectionWindow;

class CVUKView : public QWidget {
  Q_OBJECT

 public:
  // Writes the defaults of a new session into the stores and computes the
  // curves of the six starting models.
  CVUKView(Stores& stores, QtUi& ui, QWidget* parent = nullptr);
  ~CVUKView() override;

  CurveGraph* graph() const { return graph_; }
  // The control with the given dialog id (radio buttons and check boxes).
  QAbstractButton* Control(int id) const;
  // Computes the current model's curve (the compute request).
  void ComputeCurrentModel();
  // Runs the inversion of the current model (the invert request).
  void Invert();
  // Computes the curves of all six models.
  void ComputeAllModels();
  // Redraws from the stores; the axes follow the data when `rescale`.
  void Refresh(bool rescale);
  void ChooseFont();
  // The model editor, opened and closed by the "Model" switch (Ctrl+M).
  void OpenModelForm();
  void CloseModelForm();
  CModelForm* model_form() const { return model_form_; }
  InversionRatioWindow* ratio_window() const { return ratio_; }
  FittingResultWindow* fit_window() const { return fit_; }
  // The depth window, opened and closed by the "Res(h)" switch; while it is
  // open the view shows the same profiles in place of the curve graph.
  void OpenDepthWindow();
  void CloseDepthWindow();
  CDepthWindow* depth_window() const { return depth_window_; }
  // Where the depth graphs find a further profile of a field set (the
  // smooth inversion), drawn while their "&0" switch is on.
  void SetExtraProfileSource(ExtraProfileSource source);
  DepthGraph* depth_graph() const { return depth_graph_; }

  // Field data editing: the editor of the open "Edit data" window (nullptr
  // when it closes) takes the mouse on the curve graph; the "INFO" window
  // shows the point under the pointer.
  void SetFieldEditor(FieldEditor* editor);
  CurveEditMouse* edit_mouse() const { return edit_mouse_; }
  void OpenInfoWindow();
  void CloseInfoWindow();
  CInfoWindow* info_window() const { return info_window_; }
  // The graph the view shows: the depth graph while the depth window is
  // open, else the curve graph.
  GraphPicture* ShownPicture() const;

  // Profile sections. "Se&ction" > "&New": the open dialog, then
  // OpenSectionFile.
  void NewSection();
  // Counts the INT, then the TRF blocks of the file and shows its stations
  // in the file-content dialog, with a new map (shown by its "&Map" box);
  // false after a message, with the open dialogs left as they were.
  bool OpenSectionFile(const std::string& path);
  // The items of the "Se&ction" menu below "&New", rebuilt from the stack.
  std::vector<SectionMenuItem> SectionMenu();
  // Menu items "&1".."&5": shows the section of menu item `item` again.
  void RestoreSection(int item);
  SectionWindow* section_window(int slot) const { return sections_[slot]; }
  CFileContentDlg* content_dialog() const;
  MapDialog* map_dialog() const;
  std::vector<SectionStation>& section_stations() { return section_stations_; }

 signals:
  // A point of a field set was edited in the graph or the "INFO" window.
  void FieldEdited();

 protected:
  void customEvent(QEvent* event) override;

 private:
  void ReadSwitches();
  QCheckBox* AddCheck(const char* text, int id, bool on);

  Stores& stores_;
  QtUi& ui_;
  CurveGraph* graph_ = nullptr;
  std::array<QRadioButton*, 4> quantity_{};
  QCheckBox* abs_ = nullptr;
  QCheckBox* err_ = nullptr;
  QCheckBox* info_ = nullptr;
  QCheckBox* grid_ = nullptr;
  QCheckBox* line_ = nullptr;
  QCheckBox* model_ = nullptr;
  QCheckBox* depth_ = nullptr;
  QPointer<CModelForm> model_form_;
  QPointer<InversionRatioWindow> ratio_;
  QPointer<FittingResultWindow> fit_;
  QStackedWidget* pages_ = nullptr;
  DepthGraph* depth_graph_ = nullptr;
  QPointer<CDepthWindow> depth_window_;
  ExtraProfileSource extra_profiles_;
  CurveEditMouse* edit_mouse_ = nullptr;
  QPointer<CInfoWindow> info_window_;
  void ShowInfo(int set, int point);
  void InfoCommand(int command, long point);

  // The program's messages of the sections.
  void SectionMessage(const UmEvent& event);
  // The map confirmed a profile: a new section in a free slot.
  void CreateSection();
  // Closes the map and the file-content dialog.
  void CloseSectionFile();
  void DiscardSection(int slot);
  void OpenScaleDialog(int slot, double rho_min, double rho_max);
  // The windows of the five slots; null while a slot is free.
  std::array<SectionWindow*, kSectionSlots> sections_{};
  // The stations of the file the file-content dialog and the map show.
  std::vector<SectionStation> section_stations_;
  QPointer<CFileContentDlg> content_;
  QPointer<MapDialog> map_;
};

}  // namespace mtvuk
