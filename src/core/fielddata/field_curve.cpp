#include "core/fielddata/field_curve.h"

#include <algorithm>
#include <cmath>

#include "core/fielddata/station_position.h"
#include "core/physics/numeric.h"
#include "core/platform/c_number.h"
#include "core/store/store_defaults.h"

namespace mtvuk {
namespace {

constexpr double kFieldToSi = 0.0012566370400000002;  // 4 pi 1e-4
constexpr double kDegPerRadField = 57.295780490442965;
constexpr double kRadPerDegField = 0.017453292222222222;
constexpr double kTwoPiField = 6.2831852;
constexpr double kMu0Field = 1.25663704e-6;
constexpr double kMinRelativeError = 0.01;
// The lowest lower bound of a resistivity or phase, as a share of it (the
// graph draws error bars down to 1 % of the value, too).
constexpr double kLowestBound = 0.01;

struct ComplexValue {
  double re;
  double im;
};

double ApparentResistivity(double abs_z_si, double period) {
  return abs_z_si * abs_z_si / (kTwoPiField / period * kMu0Field) + kTiny;
}

// Relative impedance error |dZ|/|Z| of an off-diagonal element from its
// resistivity and phase errors, inverting the estimator of the spectra
// reader (rho error = rho (k - 1/k) / 2 with k = 1 + 2 |dZ|/|Z|, phase error
// = atan(|dZ|/|Z|)). The larger of the two estimates is used.
double RelativeImpedanceError(double rho, double rho_err, double phs_err_deg) {
  double s = std::fabs(rho_err) / rho;
  double k = s + std::sqrt(s * s + 1.0);
  double from_rho = (k - 1.0) * 0.5;
  double p = std::min(std::fabs(phs_err_deg), 89.9) * kRadPerDegField;
  double from_phase = std::tan(p);
  if (std::isnan(from_rho)) return from_phase;
  if (std::isnan(from_phase)) return from_rho;
  return std::max(from_rho, from_phase);
}

struct ModeErrors {
  double rho;    // Ohm-m
  double phase;  // degrees
};

// Errors of the MEAN and EFF curves, propagated from the XY and YX errors of
// the file as independent errors of ZXY and ZYX (the diagonal elements are
// taken as exact).
ModeErrors PropagatedErrors(const FieldSet& set,
                            const SoundingBuffer& sb,
                            int k,
                            CurveMode mode,
                            double abs_z_si,
                            double rho,
                            double period) {
  double zxy =
      std::hypot(static_cast<double>(set.zxyr[k]), set.zxyi[k]) * kFieldToSi;
  double zyx =
      std::hypot(static_cast<double>(set.zyxr[k]), set.zyxi[k]) * kFieldToSi;
  double exy =
      RelativeImpedanceError(
          ApparentResistivity(zxy, period), sb.rhoxy_err[k], sb.phsxy_err[k]) *
      zxy;
  double eyx =
      RelativeImpedanceError(
          ApparentResistivity(zyx, period), sb.rhoyx_err[k], sb.phsyx_err[k]) *
      zyx;
  double dz = mode == CurveMode::MEAN
                  ? 0.5 * std::hypot(exy, eyx)
                  : std::hypot(zyx * exy, zxy * eyx) / (2.0 * abs_z_si);
  double rel = dz / abs_z_si;
  double kf = 1.0 + 2.0 * rel;
  return {0.5 * (kf * rho - rho / kf), std::atan(rel) * kDegPerRadField};
}

}  // namespace

const char* ModePrefix(CurveMode mode) {
  static const char* const kPrefix[] = {"XY ", "YX ", "MN ", "EF "};
  return kPrefix[static_cast<int>(mode)];
}

const char* ModeSlotText(CurveMode mode) {
  static const char* const kText[] = {"XY   ", "YX   ", "MEAN ", "EFF  "};
  return kText[static_cast<int>(mode)];
}

ImpedanceError ImpedanceErrors(double f,
                               double phase_upper,
                               double phase_lower,
                               double rho_upper,
                               double rho_lower,
                               Physics physics) {
  double c = f * 7.895683251499808e-6;
  double m_upper = std::sqrt(c * rho_upper);
  double m_lower = std::sqrt(c * rho_lower);
  const double re[4] = {std::cos(phase_upper) * m_upper,
                        std::cos(phase_upper) * m_lower,
                        std::cos(phase_lower) * m_upper,
                        std::cos(phase_lower) * m_lower};
  const double im[4] = {std::sin(phase_upper) * m_upper,
                        std::sin(phase_upper) * m_lower,
                        std::sin(phase_lower) * m_upper,
                        std::sin(phase_lower) * m_lower};
  const bool corrected = physics == Physics::kCorrected;
  auto spread = [corrected](const double(&v)[4]) {
    double largest = corrected ? -HUGE_VAL : -1.0;
    double smallest = corrected ? HUGE_VAL : 1e12;
    for (double x : v) {
      if (x > largest) largest = x;
      if (x < smallest) smallest = x;
    }
    return std::fabs(largest - smallest);
  };
  return {spread(re), spread(im)};
}

void DeriveFieldCurve(FieldSet& set, Workspace& workspace, CurveMode mode) {
  const SoundingBuffer& sb = workspace.sounding;
  const int count = std::clamp(set.count, 0, MaxFreq);
  for (int k = 0; k < count; ++k) {
    // 1. The impedance of the mode, file units.
    ComplexValue z{};
    switch (mode) {
      case CurveMode::XY:
        z = {set.zxyr[k], set.zxyi[k]};
        break;
      case CurveMode::YX:
        set.zyxr[k] = -set.zyxr[k];
        set.zyxi[k] = -set.zyxi[k];
        z = {set.zyxr[k], set.zyxi[k]};
        break;
      case CurveMode::MEAN:
        z = {(static_cast<double>(set.zxyr[k]) - set.zyxr[k]) / 2.0,
             (static_cast<double>(set.zxyi[k]) - set.zyxi[k]) / 2.0};
        break;
      case CurveMode::EFF: {
        double xxr = set.zxxr[k], xxi = set.zxxi[k];
        double yyr = set.zyyr[k], yyi = set.zyyi[k];
        double xyr = set.zxyr[k], xyi = set.zxyi[k];
        double yxr = set.zyxr[k], yxi = set.zyxi[k];
        double dr = (xxr * yyr - xxi * yyi) - (xyr * yxr - xyi * yxi);
        double di = (xxr * yyi + xxi * yyr) - (xyr * yxi + xyi * yxr);
        double magnitude = std::sqrt(std::sqrt(dr * dr + di * di));
        double angle = std::atan2(di, dr) / 2.0;
        z = {magnitude * std::cos(angle), magnitude * std::sin(angle)};
        break;
      }
    }
    // 5.
    const double period = 1.0 / set.freq[k];
    workspace.period_axis[k] = ToF32(period);
    // 7. Errors of the file (XY, YX) or propagated (MEAN, EFF).
    double rho_err = 0.0;
    double phs_err = 0.0;
    if (mode == CurveMode::XY) {
      rho_err = sb.rhoxy_err[k];
      phs_err = sb.phsxy_err[k];
    } else if (mode == CurveMode::YX) {
      rho_err = sb.rhoyx_err[k];
      phs_err = sb.phsyx_err[k];
    } else {
      const double re_si = z.re * kFieldToSi;
      const double im_si = z.im * kFieldToSi;
      const double abs_z = std::sqrt(re_si * re_si + im_si * im_si);
      const double rho = ApparentResistivity(abs_z, period);
      ModeErrors e = PropagatedErrors(set, sb, k, mode, abs_z, rho, period);
      rho_err = e.rho;
      phs_err = e.phase;
    }
    StoreFieldPoint(
        set, k, mode, z.re, z.im, rho_err, phs_err, workspace.physics);
  }
}

void StoreFieldPoint(FieldSet& set,
                     int k,
                     CurveMode mode,
                     double re,
                     double im,
                     double rho_err,
                     double phs_err,
                     Physics physics) {
  const bool corrected = physics == Physics::kCorrected;
  const bool off_diagonal = mode == CurveMode::XY || mode == CurveMode::YX;
  // 2. Sign flags.
  if (off_diagonal) {
    set.re_z_sign[k] = re > 0.0 ? 1 : 0;
    set.im_z_sign[k] = im > 0.0 ? 1 : 0;
  }
  // 3.
  set.re_z[k] = ToF32(re);
  set.im_z[k] = ToF32(im);
  // 4. SI units, modulus and phase.
  // Corrected, + 0.0 turns a signed zero into zero: -0.0 is no datum that
  // would move the phase from 180 to -180 degrees.
  double re_si = re * kFieldToSi;
  double im_si = im * kFieldToSi;
  if (corrected) {
    re_si += 0.0;
    im_si += 0.0;
  }
  const double abs_z = std::sqrt(re_si * re_si + im_si * im_si);
  double phase = std::atan2(im_si, re_si) * kDegPerRadField;
  if (corrected) {
    // One rule for the second and third quadrants alike.
    if (phase >= 90.0) phase = 89.0;
    if (phase <= -90.0) phase = -89.0;
  } else if (phase >= 90.0) {
    phase = -89.0;
  }
  // 6.
  const double period = 1.0 / set.freq[k];
  const double rho = ApparentResistivity(abs_z, period);
  // The lower bound of rho: corrected, below the value and above 0 however
  // large the error.
  const double rho_lower =
      corrected ? std::max(rho - rho_err, kLowestBound * rho) : rho - rho_err;
  set.log_rho[k] = ToF32(std::log10(rho));
  set.phase[k] = ToF32(phase);
  set.log_phase[k] = ToF32(Log10Abs(phase));
  // 7. Error bounds.
  set.phase_error[k] = ToF32(phs_err);
  if (corrected) {
    // Bounds of the stored magnitude, the lower one below it.
    const double magnitude = std::fabs(phase);
    const double e = std::fabs(phs_err);
    set.log_phase_upper[k] = ToF32(Log10Abs(magnitude + e));
    set.log_phase_lower[k] =
        ToF32(Log10Abs(std::max(magnitude - e, kLowestBound * magnitude)));
  } else {
    set.log_phase_upper[k] = ToF32(Log10Abs(phase + phs_err));
    set.log_phase_lower[k] = ToF32(Log10Abs(phase - phs_err));
  }
  set.log_rho_upper[k] = ToF32(Log10Abs(rho + rho_err));
  set.log_rho_lower[k] = ToF32(Log10Abs(rho_lower));
  // 8. Relative errors of Re Z and Im Z, never below 1 %.
  ImpedanceError e = ImpedanceErrors(1.0 / period,
                                     (phase + phs_err) * kRadPerDegField,
                                     (phase - phs_err) * kRadPerDegField,
                                     rho + rho_err,
                                     rho_lower,
                                     physics);
  double err_re = std::fabs(e.re / (std::fabs(re_si) + kTiny));
  double err_im = std::fabs(e.im / (std::fabs(im_si) + kTiny));
  set.err_re[k] =
      ToF32(err_re < kMinRelativeError ? kMinRelativeError : err_re);
  set.err_im[k] =
      ToF32(err_im < kMinRelativeError ? kMinRelativeError : err_im);
  // 9.
  set.phase_sign[k] = phase >= 0.0 ? 1 : 0;
  set.phase[k] = ToF32(std::fabs(phase));
}

void LoadFieldSet(int slot,
                  CurveMode mode,
                  Workspace& workspace,
                  FieldSets& sets,
                  LayerModels& models) {
  const SoundingBuffer& sb = workspace.sounding;
  FieldSet& set = sets[slot];
  ResetFieldSet(set);
  set.in_use = slot + 1;
  set.label = std::string(ModePrefix(mode)) + sb.station;
  set.station = sb.station;
  set.header = sb.header;
  set.count = std::clamp(sb.nfreq, 0, MaxFreq);
  set.smoothing_mark = -1;
  set.smoothed = 0;
  set.edit_marker = -1;
  set.mode = mode;
  set.coordinate_text = {sb.lat, sb.lon, sb.elev};
  const StationPosition position = PositionFromTexts(sb.lat, sb.lon, sb.elev);
  set.coordinates = {ToF32(position.northing),
                     ToF32(position.easting),
                     ToF32(position.elevation)};

  LayerModel& model = models[slot];
  model.name = set.label;
  model.attached_set = static_cast<std::int16_t>(slot);

  set.point_use.fill(1.0f);
  set.smoothed_log_rho.fill(-10.0f);
  set.smoothed_log_rho_copy.fill(-10.0f);
  set.smoothed_slope.fill(0.0f);

  for (int k = 0; k < set.count; ++k) {
    set.freq[k] = sb.freq[k];
    set.zxxr[k] = sb.zxxr[k];
    set.zxxi[k] = sb.zxxi[k];
    set.zxyr[k] = sb.zxyr[k];
    set.zxyi[k] = sb.zxyi[k];
    set.zyxr[k] = sb.zyxr[k];
    set.zyxi[k] = sb.zyxi[k];
    set.zyyr[k] = sb.zyyr[k];
    set.zyyi[k] = sb.zyyi[k];
    set.point_deleted[k] = sb.missing[k];
  }
  DeriveFieldCurve(set, workspace, mode);
  for (int k = 0; k < MaxFreq; ++k) set.as_read[k] = PointOf(set, k);
}

FieldPoint PointOf(const FieldSet& s, int k) {
  FieldPoint p;
  p.re_z = s.re_z[k];
  p.im_z = s.im_z[k];
  p.err_re = s.err_re[k];
  p.err_im = s.err_im[k];
  p.phase = s.phase[k];
  p.phase_error = s.phase_error[k];
  p.log_phase = s.log_phase[k];
  p.log_rho = s.log_rho[k];
  p.log_phase_upper = s.log_phase_upper[k];
  p.log_phase_lower = s.log_phase_lower[k];
  p.log_rho_upper = s.log_rho_upper[k];
  p.log_rho_lower = s.log_rho_lower[k];
  p.point_use = s.point_use[k];
  p.point_deleted = s.point_deleted[k];
  p.phase_sign = s.phase_sign[k];
  p.re_z_sign = s.re_z_sign[k];
  p.im_z_sign = s.im_z_sign[k];
  return p;
}

void SetPoint(FieldSet& s, int k, const FieldPoint& p) {
  s.re_z[k] = p.re_z;
  s.im_z[k] = p.im_z;
  s.err_re[k] = p.err_re;
  s.err_im[k] = p.err_im;
  s.phase[k] = p.phase;
  s.phase_error[k] = p.phase_error;
  s.log_phase[k] = p.log_phase;
  s.log_rho[k] = p.log_rho;
  s.log_phase_upper[k] = p.log_phase_upper;
  s.log_phase_lower[k] = p.log_phase_lower;
  s.log_rho_upper[k] = p.log_rho_upper;
  s.log_rho_lower[k] = p.log_rho_lower;
  s.point_use[k] = p.point_use;
  s.point_deleted[k] = p.point_deleted;
  s.phase_sign[k] = p.phase_sign;
  s.re_z_sign[k] = p.re_z_sign;
  s.im_z_sign[k] = p.im_z_sign;
}

}  // namespace mtvuk
