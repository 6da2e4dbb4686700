// One layered earth model of up to 16 layers, with its dispersion and
// anisotropy parameters, inversion limits and computed response.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/store/capacities.h"

namespace mtvuk {

template <typename T>
using LayerArray = std::array<T, MaxLayers>;
using DispersionArray =
    std::array<std::array<float, DispersionParams>, MaxLayers>;
using DispersionFlags =
    std::array<std::array<std::int32_t, DispersionParams>, MaxLayers>;
using CurveArray = std::array<float, MaxCurvePeriods>;
constexpr CurveArray FilledCurve(float v) {
  CurveArray a{};
  a.fill(v);
  return a;
}

// Response of a model over its period grid, per polarisation and as the
// "main" quantities copied from the selected polarisation.
struct ModelCurve {
  std::int16_t count = 0;  // number of periods
  std::int32_t computed = 0;
  CurveArray log_period{};
  CurveArray log_rho{};
  CurveArray phase{};
  CurveArray log_phase{};
  CurveArray log_re_z{};
  CurveArray log_im_z{};
  std::array<std::int32_t, MaxCurvePeriods> phase_sign{};
  struct Polarisation {
    CurveArray phase{};
    CurveArray log_phase{};
    CurveArray log_re_z{};
    CurveArray log_im_z{};
    CurveArray log_rho{};
    std::array<std::int32_t, MaxCurvePeriods> phase_sign{};
  };
  std::array<Polarisation, kCurveModes> mode{};
};

DispersionArray FilledDispersion(const std::array<float, DispersionParams>& v);
DispersionFlags FilledDispersionFlags(std::int32_t v);
template <typename T>
constexpr LayerArray<T> FilledLayers(T v) {
  LayerArray<T> a{};
  a.fill(v);
  return a;
}

// The free parameters of an inversion: natural logarithms of the free
// resistivities and thicknesses, with their limits.
inline constexpr int kMaxParameters = 2 * MaxLayers;
struct InversionParameters {
  std::int16_t count = 0;
  std::array<double, kMaxParameters> p{};
  std::array<float, kMaxParameters> lower{};
  std::array<float, kMaxParameters> upper{};
  std::array<std::int8_t, kMaxParameters> kind{};  // 1 resistivity, 2 thickness
  LayerArray<std::int16_t> rho_index{};            // -1 when fixed
  LayerArray<std::int16_t> h_index{};
};

struct LayerModel {
  // Texts of the sounding the model was fitted to, and of its last file.
  std::string head_text;
  std::string site;
  std::string remark;
  std::string file_path;

  ModelCurve curve;
  float period_max = 10000.0f;  // s, period range of the model curve
  float period_min = 0.001f;

  LayerArray<double> resistivity = FilledLayers(10.0);  // Ohm-m
  LayerArray<double> thickness = FilledLayers(100.0);   // km; last unused
  // Dispersion values per layer: [0] of ip_p1 is P1 (e or m), [0] of ip_tau
  // the time constant T in s, [0] of ip_c the exponent c.
  DispersionArray ip_p1 = FilledDispersion({1000, 0, 0, 0, 0});
  DispersionArray ip_tau = FilledDispersion({100, 50, 20, 10, 5});
  // Variation limits of the dispersion values.
  DispersionArray ip_p1_max =
      FilledDispersion({10000, 10000, 10000, 10000, 10000});
  DispersionArray ip_tau_max =
      FilledDispersion({100000, 100000, 100000, 100000, 100000});
  DispersionArray ip_p1_min = FilledDispersion({10, 10, 10, 10, 10});
  DispersionArray ip_tau_min = FilledDispersion({1, 1, 1, 1, 1});
  DispersionArray ip_spare = FilledDispersion({0, 0, 0, 0, 0});
  DispersionArray ip_c = FilledDispersion({1, 1, 1, 1, 1});
  // Per-layer thickness limits of the inversion, km, and its step limiter.
  LayerArray<float> thickness_step_max = FilledLayers(100.0f);
  LayerArray<float> thickness_min = FilledLayers(0.01f);
  LayerArray<float> thickness_max = FilledLayers(2000.0f);
  LayerArray<float> relative_step_max = FilledLayers(0.1f);
  std::array<float, 3> display{25.0f, 25.0f, 1.0f};
  std::string name;  // "MODEL %i"
  std::int16_t layer_count = 3;
  LayerArray<std::int32_t> ip_on = FilledLayers<std::int32_t>(0);
  std::int32_t inversion_mark = 0;
  LayerArray<std::int32_t> fix_resistivity = FilledLayers<std::int32_t>(0);
  LayerArray<std::int32_t> fix_thickness = FilledLayers<std::int32_t>(0);
  DispersionFlags ip_p1_free = FilledDispersionFlags(1);
  DispersionFlags ip_tau_free = FilledDispersionFlags(1);
  std::int32_t inversion_switch = 1;
  std::int16_t attached_set = -1;  // FieldSet index, -1 none
  std::array<std::int32_t, 5> target_switches{2, 2, 2, 2, 2};
  LayerArray<float> resistivity_min{};  // Ohm-m, inversion limits
  LayerArray<float> resistivity_max{};
  LayerArray<float> aniso_strike = FilledLayers(0.0f);  // degrees
  LayerArray<std::int32_t> aniso_on = FilledLayers<std::int32_t>(0);
  std::int16_t state = 0;

  // Further model settings of modelling, export and fitting.
  std::int32_t law = 0;  // dispersion law 0..3
  std::int32_t dispersion_on = 0;
  std::int32_t anisotropy_on = 0;
  LayerArray<float> aniso_rho1 = FilledLayers(10.0f);  // Ohm-m
  LayerArray<float> aniso_rho2 = FilledLayers(10.0f);
  std::int32_t shown = 1;
  std::int32_t export_flag = 0;
  std::array<double, 3> coordinates{};  // x, y, z of the station
  std::int16_t fitted_set = -1;
  InversionParameters params;

  // Res(h), S(h) of the model curve (-14 marks a missing value).
  struct DepthProfile {
    CurveArray slope{};  // bounded d log rho / d log T
    CurveArray depth{};  // m, negative downwards
    CurveArray log_res = FilledCurve(-14.0f);
    CurveArray log_s = FilledCurve(-14.0f);
  } depth_profile;
};

}  // namespace mtvuk
