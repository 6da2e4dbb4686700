// The model-curve driver: the response of a model over its period grid,
// stored in the model record for the graphs and files, and at the periods of
// a field set for fitting.
#pragma once

#include <array>
#include <functional>

#include "core/physics/anisotropic.h"
#include "core/physics/complex.h"
#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

enum class ForwardPath { kNoDispersion, kDispersion, kAnisotropic };

struct PolarisationResponse {
  Complex z;           // field units
  double rho_a = 0.0;  // Ohm-m
  double phase = 0.0;  // degrees
};

// The response of one period on one path, for the four polarisations.
struct PeriodResponse {
  std::array<PolarisationResponse, kCurveModes> mode;
  bool has_tensor = false;  // anisotropic path: the full tensor below
  Complex zxx, zxy, zyx, zyy;
};

// The driver's working copy of a model's layers, with the physics its
// responses follow.
struct ModelLayers {
  LayerArray<double> rho{};
  LayerArray<double> h{};
  int n = 1;
  Physics physics = Physics::kPublished;
};
ModelLayers WorkingLayers(const LayerModel& model,
                          Physics physics = Physics::kPublished);

// Plain runs follow the model's medium switches (anisotropy, then
// dispersion); fitting ignores anisotropy.
ForwardPath ChoosePath(const LayerModel& model, bool fitting);

// Computes the responses of `count` periods on one path; on the anisotropic
// path also their response tables (when `tables` is given). A period whose
// anisotropic interface system is singular keeps the previous period's
// values (the user has been told); returns false when that happened.
bool ComputeResponses(const LayerModel& model,
                      const ModelLayers& layers,
                      ForwardPath path,
                      const double* periods,
                      int count,
                      Ui& ui,
                      PeriodResponse* out,
                      AnisoResponseTable* tables = nullptr);

// Period grid of a model curve: 20 periods per decade from tmin, enough to
// pass tmax, at most MaxCurvePeriods.
int PeriodGridCount(double tmin, double tmax);
double GridPeriod(double tmin, int i);

enum class DriverMode { kPlain = 0, kFitting = 1 };

// Model response at the periods of a field set (fitting mode), with the
// weights that the misfit uses.
struct FitResponse {
  int count = 0;
  std::array<double, MaxFreq> re_z{};  // field units
  std::array<double, MaxFreq> im_z{};
  std::array<double, MaxFreq> rho_a{};  // Ohm-m
  std::array<double, MaxFreq> phase{};  // degrees
  std::array<double, MaxFreq> weight_a{};
  std::array<double, MaxFreq> weight_b{};
};

// The misfit of a fit from the field set and the model's response at its
// periods; it may fill the weights of the response.
using MisfitFunction = std::function<double(const FieldSet&, FitResponse&)>;

// The responses follow the workspace's physics.
// Plain mode: computes and stores the curve of the current model, then copies
// the selected polarisation of every computed model into its main curve, and
// returns 0. Fitting mode: stores the grid curve by the 1-D paths, computes
// the response without dispersion at every period of `set` into `fit`, and
// returns the misfit (0 without a misfit function). Fitting runs whose grid
// curve nobody sees (the trial models inside an inversion) pass `store_grid`
// false.
double ModelCurveDriver(DriverMode mode,
                        Workspace& workspace,
                        LayerModels& models,
                        Ui& ui,
                        const FieldSet* set = nullptr,
                        FitResponse* fit = nullptr,
                        const MisfitFunction& misfit = {},
                        bool store_grid = true);

// Makes the workspace's selected polarisation the main curve of every
// computed model.
void ShowSelectedPolarisation(const Workspace& workspace, LayerModels& models);

// Sets the workspace flag that some model curve is computed.
void UpdateCurveFlags(Workspace& workspace, const LayerModels& models);

}  // namespace mtvuk
