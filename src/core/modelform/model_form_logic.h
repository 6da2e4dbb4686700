// What the model editor does with its cells and the models, without the
// window: validation, transfer between cells and model, the check-box
// rules, the dispersion law, the step, insert, cut and delete buttons, the
// model tabs and the commands RUN and Invers.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

enum class Column {
  kResistivity,
  kThickness,
  kIp,
  kEh,
  kTau,
  kC,
  kAniso,
  kRho1,
  kRho2,
  kAngle,
};
inline constexpr int kFormRows = MaxLayers;  // row 16 is the half-space

// The cells of one row as the form shows them.
struct RowCells {
  double rho = 10.0;
  double h = 1.0;
  std::int32_t ip = 0;
  float eh = 0.0f;
  float tau = 0.0f;
  float c = 1.0f;
  std::int32_t aniso = 0;
  float rho1 = 10.0f;
  float rho2 = 10.0f;
  float angle = 0.0f;
};

// A cell whose value is outside its range: the row (0-based), the column and
// the message the form shows.
struct CellError {
  int row;
  Column column;
  std::string message;
};

struct CellRange {
  double min;
  double max;
};

// The range the model editor accepts in `column` of the 0-based `row` for a
// model of dispersion law `law`, as the form shows the model (the e/h
// column up to 1e9 under the DD laws); `is_float` tells how the range
// message writes its bounds.
CellRange EditorCellRange(int row, Column column, int law);
bool EditorCellIsFloat(Column column);

class ModelFormLogic {
 public:
  ModelFormLogic(Workspace& workspace, LayerModels& models, Ui& ui);

  std::array<RowCells, kFormRows>& cells() { return cells_; }
  const std::array<RowCells, kFormRows>& cells() const { return cells_; }
  LayerModel& current() { return models_[workspace_.current_model]; }
  int current_index() const { return workspace_.current_model; }

  // Header of the e/h column ("e" or "h") and the upper bounds that follow
  // the law of the model.
  const char* EhHeader() const { return rd_law_ ? "h" : "e"; }
  double eh_max() const { return eh_max_; }
  double c_max() const { return c_max_; }
  CellRange Range(int row, Column column) const;
  // Whether a cell can be edited now.
  bool Enabled(int row, Column column) const;

  // Shows the current model in the cells.
  void ModelToForm();
  // Validates every cell; the first one out of range is returned and nothing
  // is stored. Else stores the cells into model `index`.
  std::optional<CellError> FormToModel(int index);

  // The row check boxes. Returns whether the box is on afterwards.
  bool ToggleIp(int row);
  bool ToggleAniso(int row);

  // A new law from the list: header, bounds and the e/h resets.
  void ChooseLaw(int law);

  // Buttons of a row (0-based). Each returns false when a thickness step hit
  // its floor (the repetition of a held button then ends).
  bool StepResistivity(int row, bool up);
  bool StepThickness(int row, bool up);
  void InsertLayer(int row);
  void CutBelow(int row);
  void DeleteLayer(int row);
  // Rows without anisotropy show their resistivity as both principal ones.
  void Normalise();

  // Holds the step of a button while the left button stays down: after
  // 500 ms of holding the step repeats every 100 ms until release; a quicker
  // release changes nothing. `redraw` is called after each step. Returns the
  // number of steps made.
  int HoldStep(const std::function<bool()>& step,
               const std::function<void()>& redraw);

  // Model tabs. A click switches to model i when the cells could be stored.
  std::optional<CellError> SwitchModel(int index);
  // Copies model `from` onto model `to` (layers, dispersion, anisotropy
  // values and law; not the name, shown flag, period range or anisotropy
  // switches) after storing the cells into the current model; `to` becomes
  // current.
  std::optional<CellError> CopyModel(int from, int to);
  // The hidden "&1".."&6" buttons: show or hide model i.
  void ToggleModelShown(int index);

  // "&RUN": rounds the cells, stores them and asks the view to compute.
  std::optional<CellError> Run();
  // "&Invers": stores the cells and asks the view to invert.
  std::optional<CellError> Invert();

 private:
  int current_law() const { return models_[workspace_.current_model].law; }
  void SetLawBounds();
  void PostDepthNotice();

  Workspace& workspace_;
  LayerModels& models_;
  Ui& ui_;
  std::array<RowCells, kFormRows> cells_{};
  bool rd_law_ = false;
  double eh_max_ = 1e9;
  double c_max_ = 1.99;
};

// Sets the workspace flag that some model is shown.
void UpdateShownFlag(Workspace& workspace, const LayerModels& models);

}  // namespace mtvuk
