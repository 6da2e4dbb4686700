// The misfit of a fit: weighted squared differences of decimal logarithms
// of the target quantities at the field periods, its data terms, their
// residuals and exact derivatives, and the normalized rms.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/inversion/sensitivity.h"
#include "core/physics/model_curve.h"
#include "core/store/workspace.h"

namespace mtvuk {

inline constexpr int kMaxFitTerms = 2 * MaxFreq;

// The data terms of a fit at the used periods. Term t adds
// share[t] (weight[t] residual[t])^2 to the misfit S.
struct FitTerms {
  int count = 0;
  // Model and field values (decimal logarithms, phases in radians).
  std::array<double, kMaxFitTerms> model{};
  std::array<double, kMaxFitTerms> field{};
  std::array<double, kMaxFitTerms> weight{};  // 0: the term is not used
  std::array<double, kMaxFitTerms> share{};
  // The difference the misfit squares (for targets 1-3 log10 of the ratio).
  std::array<double, kMaxFitTerms> residual{};
  // Standard error of the datum in the residual's unit (half its error
  // bar); 0 where the data give none.
  std::array<double, kMaxFitTerms> sigma{};
  std::array<std::int16_t, kMaxFitTerms> period{};   // index of the point
  std::array<std::int8_t, kMaxFitTerms> quantity{};  // SensitivityQuantity
  int Weighted() const;  // terms whose weight is not 0
};

// The settings of the workspace that the misfit reads.
struct MisfitSettings {
  int target = 1;  // 1 RE+IM, 2 RE, 3 IM, 4 Ro, 5 Res+Phs
  bool ignore_error_bars = false;
  double re_weight = 0.5;
  double rho_weight = 0.5;
  // The physics of the responses the misfit is computed from.
  Physics physics = Physics::kPublished;
  // Weights from the data alone: each term weighs 1 / the standard error
  // of its datum in the fitted quantity (raised to the error floor), and
  // the shares are doubled so that equal shares weigh every term once;
  // target 5 needs no balancing scale. Without, the weights of the classic
  // method (error bars plus 0.01, or the model's own resistivity).
  bool data_weights = false;
  // Error floor, percent of |Z| (see error_floor.h); it also raises the
  // standard errors of the normalized rms.
  double error_floor = 0.0;
};
MisfitSettings MisfitSettingsOf(const Workspace& workspace);
// The misfit a fit by `method` minimises: the classic weights, or weights
// from the data with the workspace's error floor.
MisfitSettings MisfitSettingsOf(const Workspace& workspace, FitMethod method);

// The misfit S of the inversion target at the first `used` periods of the
// set; stores S as the set's last misfit and the terms in `terms`.
double FitMisfit(const MisfitSettings& settings,
                 FieldSet& set,
                 int used,
                 const FitResponse& fit,
                 FitTerms* terms);
inline double FitMisfit(const Workspace& workspace,
                        FieldSet& set,
                        int used,
                        const FitResponse& fit,
                        FitTerms* terms) {
  return FitMisfit(MisfitSettingsOf(workspace), set, used, fit, terms);
}

// The relative standard error dZ / |Z| of point i of a set, from its
// resistivity and phase error bars (the readers' estimator inverted, the
// larger of the two); 0 when the point has no error bar.
double DatumImpedanceError(const FieldSet& set, int i);

// Effective number of periods: the count less the trailing removed points,
// between 2 and 100.
int EffectivePeriods(const FieldSet& set);

// Normalized rms: sqrt of the mean of (datum - response)^2 / sigma^2 over
// the used terms, sigma the datum's standard error in the fitted quantity
// (log10 |Re Z|, log10 |Im Z|, log10 rho_a or the phase in radians) after
// the error floor; NaN when no used datum has an error.
struct NormalizedRms {
  double value = 0.0;
  int terms = 0;
};
NormalizedRms NormalizedMisfit(const FitTerms& terms);
inline constexpr double kNoiseLevelNrms = 1.5;
// Above this the model does not explain the data.
inline constexpr double kPoorFitNrms = 3.0;

// The residuals e_t = sqrt(share) weight residual of the used terms (so
// that S = sum e_t^2) and their derivatives with respect to the free
// parameters, with the weights and shares held at their values for the
// current model (targets 4 and 5 weigh by the model's own resistivity; the
// step treats those weights as given, as the classic normal equations do).
// `columns[k]` lists the sensitivity columns that parameter k moves (a
// one-layer model ties the half-space to its layer).
struct ParameterColumns {
  int count = 0;
  std::array<std::array<std::int8_t, 2>, 2 * MaxLayers> column{};
  std::array<std::int8_t, 2 * MaxLayers> columns{};
};
ParameterColumns ColumnsOfParameters(const LayerModel& model);

struct FitResiduals {
  int rows = 0;
  int cols = 0;
  std::vector<double> e;  // rows
  std::vector<double> j;  // rows x cols, row-major
};
void ResidualsAndJacobian(const FitTerms& terms,
                          const PeriodSensitivity* sens,
                          const ParameterColumns& params,
                          FitResiduals& out);

}  // namespace mtvuk
