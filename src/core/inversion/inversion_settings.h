// What the inversion settings dialogs load and store: "Main setting", the
// variation limits of resistivity and thickness and of the IP effect, and
// the attachment of field sets to models.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>

#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

using FieldError = std::optional<std::pair<int, std::string>>;

struct MainSetting {
  // Boxes of the targets 1..5 (ids 1362, 1363, 1364, 1365, 1387).
  std::array<bool, 5> target{true, false, false, false, false};
  bool ignore_error_bars = false;
  int amount = 30;
  bool show_fit_result = false;
  double delta = 1.03;
  FitMethod method = FitMethod::kRobust;
  // Percent of |Z|; the robust method's (the classic method has none).
  double error_floor = 5.0;

  static MainSetting Load(const Workspace& workspace);
  // Field 0 amount, 1 delta, 2 error floor.
  FieldError Validate() const;
  // The target of the boxes: a later checked box overrides an earlier one,
  // none checked is target 1.
  int Target() const;
  void Apply(Workspace& workspace, Ui& ui) const;
};

struct LayerLimits {
  std::int32_t fix_rho = 0;
  double rho_min = 0.1, rho_max = 100000.0;
  std::int32_t fix_h = 0;
  double h_min = 0.01, h_max = 2000.0;
};

struct VariationLimits {
  std::array<LayerLimits, MaxLayers> rows{};

  static constexpr double kRhoLow = 1e-9, kRhoHigh = 1e9;
  static constexpr double kHLow = 1e-5, kHHigh = 1e6;

  static VariationLimits Load(const LayerModel& model);
  // "&Set default": every parameter free.
  void SetDefault();
  // "Set in &All layers": the limits of `row` in every layer.
  void SetInAllLayers(int row);
  // The first field out of range or with min above max: row * 4 + field
  // (0 rho min, 1 rho max, 2 h min, 3 h max).
  FieldError Validate() const;
  void Apply(LayerModel& model) const;
};

struct IpLimits {
  struct Row {
    std::int32_t fix_p1 = 0;
    double p1_min = 10, p1_max = 10000;
    std::int32_t fix_tau = 0;
    double tau_min = 1, tau_max = 100000;
  };
  std::array<Row, 7> rows{};  // layers 1..7 of the radio buttons

  static IpLimits Load(const LayerModel& model);
  FieldError Validate() const;
  void Apply(LayerModel& model) const;
};

struct Attachment {
  // table[set][model]
  std::array<std::array<std::int32_t, MaxModels>, MaxSets> table{};

  static Attachment Load(const FieldSets& sets);
  void SetDefault();
  // "&Attach": false (after the message) when a model has no field set.
  bool Apply(FieldSets& sets, Ui& ui) const;
};

}  // namespace mtvuk
