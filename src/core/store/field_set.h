// One field curve: one polarisation of one sounding, in one of six slots.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/store/capacities.h"
#include "core/store/depth_settings.h"

namespace mtvuk {

// The values of one point of a field curve that editing may change; a set
// keeps them as loaded, so that editing can be undone down to the file.
struct FieldPoint {
  float re_z = 0, im_z = 0, err_re = 0, err_im = 0;
  float phase = 0, phase_error = 0, log_phase = 0, log_rho = 0;
  float log_phase_upper = 0, log_phase_lower = 0;
  float log_rho_upper = 0, log_rho_lower = 0;
  float point_use = 1;
  std::int32_t point_deleted = 0, phase_sign = 1, re_z_sign = 1, im_z_sign = 1;
};

struct FieldSet {
  PointArray freq{};  // Hz
  // Tensor copied from the sounding, mV/km per nT; for mode YX the ZYX
  // arrays hold the negated values.
  PointArray zxxr{}, zxxi{}, zxyr{}, zxyi{}, zyxr{}, zyxi{}, zyyr{}, zyyi{};
  PointArray err_re{}, err_im{};  // relative errors of Re Z, Im Z, >= 0.01
  PointArray re_z{}, im_z{};      // impedance of the set's mode, file units
  // Working arrays of smoothing and editing.
  PointArray smooth_work{};
  PointArray smoothed_log_rho{};
  PointArray smoothed_log_rho_copy{};
  PointArray smoothed_slope{};  // bounded d log rho / d log T
  std::string site_name = "  ";
  PointArray phase{};        // degrees, stored as its absolute value
  PointArray phase_error{};  // degrees
  PointArray reserve{};
  PointArray log_phase{};
  PointArray log_rho{};
  // Working arrays of smoothing and editing.
  PointArray point_use{};       // 1 = point used by smoothing and fitting
  PointArray phase_from_rho{};  // phase derived from resistivity, degrees
  PointArray edit_work{};
  // log10 of |phase + e|, |phase - e|, |rho + e|, |rho - e| (+1e-14).
  PointArray log_phase_upper{}, log_phase_lower{};
  PointArray log_rho_upper{}, log_rho_lower{};
  std::array<float, 3> coordinates{};   // x, y, z
  PointFlags point_deleted{};           // 1 = point deleted by editing
  PointFlags phase_sign{};              // 1 where the phase was >= 0
  PointFlags re_z_sign{}, im_z_sign{};  // 1 where Re Z (Im Z) > 0
  // Per model: 1 while the inversion of that model may use this set.
  std::array<std::int32_t, MaxModels> model_switches{1, 1, 1, 1, 1, 1};
  // Per model: 1 when the inversion of that model fits this set.
  std::array<std::int32_t, MaxModels> attached{};
  std::int32_t in_use = -1;  // slot index + 1 while the slot holds a curve
  std::int32_t count = 48;   // points in use
  std::int16_t smoothing_mark = -1;
  std::string label;  // mode prefix + station name, e.g. "XY 15125A"
  std::string station;
  std::string remark;
  std::array<std::string, 2> legend_texts;
  std::array<std::string, 3> coordinate_text{"00:00:00", "000:00:00", "0000"};

  // Further state of loading, smoothing, editing and fitting.
  std::string header;  // head text of the file the set came from
  std::int32_t smoothed = 0;
  // The smoother that made the smoothed arrays; editing smooths again with
  // it, and the depth profile and its TRF block come from it.
  Smoother smoothed_with = Smoother::kRobust;
  PointFlags smooth_outlier{};  // 1 where the robust smoother down-weighted
  PointFlags phase_from_rho_weak{};  // 1 where "Res->Phs" nears a band end
  float smoothing_dof = 0.0f;        // degrees of freedom of the robust curve
  std::int16_t edit_marker = -1;
  std::int32_t effective_count = 0;
  float last_misfit = 0.0f;
  CurveMode mode = CurveMode::XY;
  // Static-shift factor the curve's apparent resistivities carry (1: the
  // curve as derived from the file).
  float static_shift = 1.0f;

  // Depth transformation: the set's switch in the depth window and its
  // Res(h), S(h) profile (-14 marks a missing value).
  std::int32_t depth_switch = 1;
  PointArray depth{};  // m, negative downwards
  PointArray log_res = FilledPoints(-14.0f);
  PointArray log_s = FilledPoints(-14.0f);

  // The points as loaded ("restore the set as read").
  std::array<FieldPoint, MaxFreq> as_read{};
};

}  // namespace mtvuk
