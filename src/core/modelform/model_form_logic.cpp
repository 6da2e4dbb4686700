#include "core/modelform/model_form_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/modelform/modeling_dialogs.h"
#include "core/modelform/number_rounding.h"
#include "core/store/store_defaults.h"

namespace mtvuk {
namespace {

constexpr double kRhoMin = 1e-10;
constexpr double kRhoMax = 999999.0;
constexpr std::int64_t kHoldMs = 500;
constexpr std::int64_t kRepeatMs = 100;

bool IsRdLaw(int law) { return law == 2 || law == 3; }

std::string RangeMessage(CellRange r, bool is_float) {
  return NumberRangeMessage(r.min, r.max, is_float);
}

}  // namespace

ModelFormLogic::ModelFormLogic(Workspace& workspace,
                               LayerModels& models,
                               Ui& ui)
    : workspace_(workspace), models_(models), ui_(ui) {
  ModelToForm();
}

void ModelFormLogic::SetLawBounds() {
  const int law = current().law;
  rd_law_ = IsRdLaw(law);
  c_max_ = (law == 1 || law == 3) ? 100.0 : 1.99;
}

CellRange EditorCellRange(int row, Column column, int law) {
  const int r = row + 1;  // rows counted from 1 as the form numbers them
  switch (column) {
    case Column::kResistivity:
      return {kRhoMin, kRhoMax};
    case Column::kThickness:
      if (r == 8) return {0.001, 999999.0};
      if (r == 15) return {0.0001, 1000000.0};
      return {0.0001, 999999.0};
    case Column::kEh:
      return {0.0, IsRdLaw(law) ? 0.99 : 1e9};
    case Column::kTau:
      return {0.0, 1e10};
    case Column::kC:
      return {0.001, (law == 1 || law == 3) ? 100.0 : 1.99};
    case Column::kRho1:
      return (r == 5 || r == 6) ? CellRange{1e-4, 1000000.0}
                                : CellRange{1e-5, 1000000.0};
    case Column::kRho2:
      return {1e-5, 1000000.0};
    case Column::kAngle:
      return {-180.0, 180.0};
    case Column::kIp:
    case Column::kAniso:
      return {0.0, 1.0};
  }
  return {0.0, 0.0};
}

bool EditorCellIsFloat(Column column) {
  return column != Column::kResistivity && column != Column::kThickness;
}

CellRange ModelFormLogic::Range(int row, Column column) const {
  CellRange range = EditorCellRange(row, column, current_law());
  // The e/h and c bounds follow the law as the form last set them.
  if (column == Column::kEh) range.max = eh_max_;
  if (column == Column::kC) range.max = c_max_;
  return range;
}

bool ModelFormLogic::Enabled(int row, Column column) const {
  const RowCells& c = cells_[row];
  const bool deepest = row == kFormRows - 1;
  switch (column) {
    case Column::kResistivity:
      return true;
    case Column::kThickness:
    case Column::kIp:
    case Column::kAniso:
      return !deepest;
    case Column::kEh:
    case Column::kTau:
    case Column::kC:
      return !deepest && c.ip != 0;
    case Column::kRho1:
    case Column::kRho2:
    case Column::kAngle:
      return !deepest && c.aniso != 0;
  }
  return false;
}

void ModelFormLogic::ModelToForm() {
  LayerModel& m = current();
  SetLawBounds();
  eh_max_ = rd_law_ ? 0.99 : 1e9;
  for (int j = 0; j < kFormRows; ++j) {
    RowCells& c = cells_[j];
    if (j < kFormRows - 1) {
      if (rd_law_ && m.ip_p1[j][0] >= 1.0f) m.ip_p1[j][0] = 0.15f;
      c.eh = m.ip_p1[j][0];
      c.tau = m.ip_tau[j][0];
      c.c = m.ip_c[j][0];
      c.h = RoundFive(m.thickness[j]);
      c.ip = m.ip_on[j];
      c.aniso = m.aniso_on[j];
      c.rho1 = m.aniso_rho1[j];
      c.rho2 = m.aniso_rho2[j];
      c.angle = m.aniso_strike[j];
    }
    c.rho = RoundFive(m.resistivity[j]);
  }
}

std::optional<CellError> ModelFormLogic::FormToModel(int index) {
  static const struct {
    Column column;
    bool is_float;
  } kChecked[] = {{Column::kResistivity, false},
                  {Column::kThickness, false},
                  {Column::kEh, true},
                  {Column::kTau, true},
                  {Column::kC, true},
                  {Column::kRho1, true},
                  {Column::kRho2, true},
                  {Column::kAngle, true}};
  for (int j = 0; j < kFormRows; ++j) {
    const RowCells& c = cells_[j];
    for (const auto& check : kChecked) {
      if (j == kFormRows - 1 && check.column != Column::kResistivity) continue;
      double v = 0.0;
      switch (check.column) {
        case Column::kResistivity:
          v = c.rho;
          break;
        case Column::kThickness:
          v = c.h;
          break;
        case Column::kEh:
          v = c.eh;
          break;
        case Column::kTau:
          v = c.tau;
          break;
        case Column::kC:
          v = c.c;
          break;
        case Column::kRho1:
          v = c.rho1;
          break;
        case Column::kRho2:
          v = c.rho2;
          break;
        default:
          v = c.angle;
          break;
      }
      const CellRange r = Range(j, check.column);
      if (!(v >= r.min && v <= r.max)) {
        return CellError{j, check.column, RangeMessage(r, check.is_float)};
      }
    }
  }
  LayerModel& m = models_[index];
  for (int j = 0; j < kFormRows; ++j) m.resistivity[j] = cells_[j].rho;
  for (int j = 0; j < kFormRows - 1; ++j) m.thickness[j] = cells_[j].h;
  m.layer_count = static_cast<std::int16_t>(CountModelLayers(m.resistivity));
  for (int j = 0; j < kFormRows - 1; ++j) m.ip_on[j] = cells_[j].ip;
  for (int j = 0; j < kFormRows - 1; ++j) {
    const RowCells& c = cells_[j];
    m.ip_p1[j][0] = c.eh;
    m.ip_tau[j][0] = c.tau;
    m.ip_c[j][0] = c.c;
    m.aniso_on[j] = c.aniso;
    m.aniso_rho1[j] = c.rho1;
    m.aniso_rho2[j] = c.rho2;
    m.aniso_strike[j] = c.angle;
  }
  SetMediumSwitches(m);
  return std::nullopt;
}

bool ModelFormLogic::ToggleIp(int row) {
  if (row < 0 || row >= kFormRows - 1) return false;
  RowCells& c = cells_[row];
  if (row >= current().layer_count) {
    c.ip = 0;
    return false;
  }
  c.ip = c.ip ? 0 : 1;
  if (c.ip) {
    for (int j = 0; j < std::max(row + 1, 7); ++j) cells_[j].aniso = 0;
  }
  bool any_aniso = false;
  for (const RowCells& r : cells_) any_aniso = any_aniso || r.aniso;
  if (any_aniso) {
    for (RowCells& r : cells_) r.ip = 0;
  }
  return c.ip != 0;
}

bool ModelFormLogic::ToggleAniso(int row) {
  if (row < 0 || row >= kFormRows - 1) return false;
  RowCells& c = cells_[row];
  if (row >= current().layer_count) {
    c.aniso = 0;
    return false;
  }
  c.aniso = c.aniso ? 0 : 1;
  bool any_aniso = false;
  for (const RowCells& r : cells_) any_aniso = any_aniso || r.aniso;
  if (any_aniso) {
    for (RowCells& r : cells_) r.ip = 0;
  }
  return c.aniso != 0;
}

void ModelFormLogic::ChooseLaw(int law) {
  LayerModel& m = current();
  m.law = std::clamp(law, 0, 3);
  SetLawBounds();
  eh_max_ = rd_law_ ? 0.99 : 1e10;
  for (int j = 0; j < kFormRows - 1; ++j) {
    if (rd_law_ && m.ip_p1[j][0] >= 1.0f) m.ip_p1[j][0] = 0.1f;
    cells_[j].eh = m.ip_p1[j][0];
  }
}

bool ModelFormLogic::StepResistivity(int row, bool up) {
  const double factor = workspace_.resistivity_step;
  double& rho = cells_[row].rho;
  rho = up ? rho * factor : rho / factor;
  for (RowCells& c : cells_) {
    c.rho = up ? std::min(c.rho, kRhoMax) : std::max(c.rho, kRhoMin);
  }
  return true;
}

bool ModelFormLogic::StepThickness(int row, bool up) {
  if (row >= kFormRows - 1) return false;
  const double step = workspace_.thickness_step;
  double& h = cells_[row].h;
  if (up) {
    h += step;
    return true;
  }
  if (h - step < step) {
    h = step;
    return false;
  }
  h -= step;
  return true;
}

void ModelFormLogic::InsertLayer(int row) {
  if (row >= kFormRows - 1) return;
  for (int j = kFormRows - 1; j > row; --j) cells_[j] = cells_[j - 1];
  RowCells& fresh = cells_[row];
  fresh.rho =
      std::min(cells_[row + 1].rho * workspace_.resistivity_step, kRhoMax);
  fresh.h = workspace_.thickness_step;
  fresh.ip = 0;
  fresh.aniso = 0;
}

void ModelFormLogic::CutBelow(int row) {
  for (int j = row + 1; j < kFormRows; ++j) {
    cells_[j].rho = cells_[row].rho;
    cells_[j].h = cells_[row].h;
  }
}

void ModelFormLogic::DeleteLayer(int row) {
  if (row >= kFormRows - 1) return;
  for (int j = row; j < kFormRows - 1; ++j) cells_[j] = cells_[j + 1];
}

void ModelFormLogic::Normalise() {
  for (RowCells& c : cells_) {
    if (c.aniso) continue;
    c.rho1 = static_cast<float>(c.rho);
    c.rho2 = static_cast<float>(c.rho);
    c.angle = 0.0f;
  }
}

int ModelFormLogic::HoldStep(const std::function<bool()>& step,
                             const std::function<void()>& redraw) {
  const std::int64_t start = ui_.ClockMs();
  while (ui_.ClockMs() - start < kHoldMs) {
    if (!ui_.LeftButtonDown()) {
      Normalise();
      return 0;
    }
  }
  int steps = 0;
  std::int64_t next = ui_.ClockMs();
  while (ui_.LeftButtonDown()) {
    if (ui_.ClockMs() < next) continue;
    ++steps;
    const bool go_on = step();
    Normalise();
    redraw();
    if (!go_on) break;
    next = ui_.ClockMs() + kRepeatMs;
  }
  return steps;
}

std::optional<CellError> ModelFormLogic::SwitchModel(int index) {
  if (auto error = FormToModel(current_index())) return error;
  workspace_.current_model =
      static_cast<std::int16_t>(std::clamp(index, 0, MaxModels - 1));
  ModelToForm();
  return std::nullopt;
}

std::optional<CellError> ModelFormLogic::CopyModel(int from, int to) {
  if (auto error = FormToModel(current_index())) return error;
  if (from != to) {
    const LayerModel& a = models_[from];
    LayerModel& b = models_[to];
    b.resistivity = a.resistivity;
    b.thickness = a.thickness;
    b.layer_count = a.layer_count;
    b.ip_on = a.ip_on;
    b.ip_p1 = a.ip_p1;
    b.ip_tau = a.ip_tau;
    b.ip_c = a.ip_c;
    b.aniso_rho1 = a.aniso_rho1;
    b.aniso_rho2 = a.aniso_rho2;
    b.aniso_strike = a.aniso_strike;
    b.law = a.law;
    SetMediumSwitches(b);
  }
  workspace_.current_model = static_cast<std::int16_t>(to);
  ModelToForm();
  return std::nullopt;
}

void ModelFormLogic::ToggleModelShown(int index) {
  LayerModel& m = models_[index];
  m.shown = m.shown ? 0 : 1;
  ui_.Post(Window::kView, Um::UM_REDRAW, 0, 0);
  PostDepthNotice();
  UpdateShownFlag(workspace_, models_);
}

void ModelFormLogic::PostDepthNotice() {
  if (workspace_.depth_window_open)
    ui_.Post(Window::kDepthWindow, Um::UM_SETSCHANGED, 0, 0);
}

std::optional<CellError> ModelFormLogic::Run() {
  for (int j = 0; j < kFormRows - 1; ++j) cells_[j].h = RoundSix(cells_[j].h);
  for (RowCells& c : cells_) c.rho = RoundFive(c.rho);
  if (auto error = FormToModel(current_index())) return error;
  ui_.Post(Window::kView, Um::UM_MODELCHANGED, 0, 0);
  PostDepthNotice();
  return std::nullopt;
}

std::optional<CellError> ModelFormLogic::Invert() {
  if (auto error = FormToModel(current_index())) return error;
  ui_.Post(Window::kView, Um::UM_INVERT, 0, 0);
  PostDepthNotice();
  return std::nullopt;
}

void UpdateShownFlag(Workspace& workspace, const LayerModels& models) {
  workspace.any_model_shown = 0;
  for (const LayerModel& m : models) {
    if (m.shown) workspace.any_model_shown = 1;
  }
}

}  // namespace mtvuk
