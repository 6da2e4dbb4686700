// What a smooth profile becomes outside the inversion: a staircase of at
// most 16 layers, the layers of a model, points of the depth graphs, and
// its response at any periods.
#pragma once

#include <vector>

#include "core/store/layer_model.h"
#include "core/store/smooth_profile.h"

namespace mtvuk {

// The profile merged into at most `max_layers` layers (the last one the
// half-space): neighbouring layers are joined so that the staircase stays
// closest to the profile in log10 resistivity (least squares over the
// profile's layers, each counting once, solved exactly by dynamic
// programming). A merged layer has the geometric mean of its resistivities
// and the sum of its thicknesses.
struct MergedModel {
  int layers = 0;
  std::vector<double> resistivity;  // Ohm-m, layers
  std::vector<double> thickness;    // km, layers - 1
};
MergedModel MergeProfile(const SmoothProfile& profile,
                         int max_layers = MaxLayers);

// "Install as model": the merged profile becomes the layers of the model
// (isotropic, without dispersion); its resistivity and thickness limits are
// widened where a value lies outside them.
void InstallProfile(const SmoothProfile& profile, LayerModel& model);

// The profile for the depth graphs: a staircase of points (depth in m,
// negative) with log10 resistivity and log10 of the conductance from the
// surface down to each point (S).
struct ProfilePoints {
  std::vector<double> depth;
  std::vector<double> log_res;
  std::vector<double> log_s;
};
ProfilePoints DepthProfilePoints(const SmoothProfile& profile);

// The response of a profile (apparent resistivity and phase) at periods.
void ProfileResponse(const SmoothProfile& profile,
                     const std::vector<double>& periods,
                     std::vector<double>& rho_a,
                     std::vector<double>& phase);

}  // namespace mtvuk
