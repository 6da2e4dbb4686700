// One station's MT transfer function as the exchange formats deliver it,
// before it becomes the workstation's sounding: frequencies, the impedance
// tensor in the sounding's units and time convention, and its errors.
#pragma once

#include <array>
#include <cmath>
#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/ui.h"
#include "core/store/sounding_buffer.h"

namespace mtvuk {

// Impedance elements in the order xx, xy, yx, yy.
enum TfElement : int { kXx = 0, kXy = 1, kYx = 2, kYy = 3 };

// mV/km per nT in one ohm: 1 / (4 pi 1e-4).
inline constexpr double kFieldUnitsPerOhm = 795.7747154594767;

struct TfPoint {
  double freq = 0.0;  // Hz
  // mV/km per nT, written for exp(+i omega t) (the SEG EDI convention: the
  // XY element of a layered earth lies in the first quadrant).
  std::array<std::complex<double>, 4> z{};
  // Variance of each complex element, (mV/km per nT)^2; NaN when the file
  // gives none. A variance of 0 or below is treated as missing.
  std::array<double, 4> var{NAN, NAN, NAN, NAN};
  // Errors given as apparent resistivity (Ohm-m) and phase (degrees) for
  // XY and YX; when set they are taken as they are.
  std::array<double, 2> rho_err{NAN, NAN};
  std::array<double, 2> phs_err{NAN, NAN};
  bool missing = false;  // an impedance value of the point is absent
};

struct TransferFunction {
  std::string format;   // "EMTF XML", "EMTF Z-file", ...
  std::string station;  // as written; cut to 12 characters when stored
  std::optional<double> lat, lon;  // decimal degrees, north and east positive
  std::optional<double> elev;      // m
  std::optional<double> declination;  // degrees east, as the file gives it
  std::vector<TfPoint> points;        // in the file's order
  // What the reader did to the values (units, sign, rotation): head lines
  // of the sounding and the listing.
  std::vector<std::string> notes;
  // Things the user must be told when the file is read.
  std::vector<std::string> warnings;
};

struct TfStoreReport {
  std::string error_source;  // "Z .VAR", "RHO/PHS errors", "default", mixed
  int frequencies_in_file = 0;
  int missing_points = 0;  // points left out
  int default_errors = 0;  // points that got the default error
};

// Puts `tf` into `sounding` as the SEG EDI importer does: points with a
// missing value or a frequency that is not positive are left out, at most
// MaxFreq points are kept, errors come from the variances (e = sqrt(VAR)),
// from the given resistivity and phase errors, or else are `default_error`
// of |Z| (a missing or non-positive variance is no error of 0). The user is
// told of every such point under `caption`. False after a message when no
// point is left.
bool StoreTransferFunction(const TransferFunction& tf,
                           SoundingBuffer& sounding,
                           Ui& ui,
                           const char* caption,
                           double default_error,
                           TfStoreReport* report = nullptr);

// The sounding as a transfer function (the reverse of the above): the
// absolute error of each off-diagonal element is the larger of the two that
// its resistivity and phase errors give; the diagonal elements get the mean
// variance of the off-diagonal ones.
TransferFunction TransferFunctionFromSounding(const SoundingBuffer& sounding);

// Resistivity and phase errors of an impedance with the absolute error e,
// as the spectra estimator derives them (k = 1 + 2 e / |Z|).
void ErrorsFromImpedanceError(std::complex<double> z,
                              double e,
                              double freq,
                              float& rho_err,
                              float& phs_err);

// The tensor of axes turned by `angle` degrees clockwise from north, in
// north-east axes (Z = R^T Z' R); variances follow as for independent
// element errors.
void RotateTensor(TfPoint& point, double angle);

}  // namespace mtvuk
