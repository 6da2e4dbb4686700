// Impedance tensor and its errors estimated from one 7 x 7 cross-spectra
// matrix with remote reference channels.
#pragma once

#include "core/physics/complex.h"

namespace mtvuk {

// A(r, c): the c-th number on the r-th matrix line. Channels: 0 Hx, 1 Hy,
// 2 Hz, 3 Ex, 4 Ey, 5 Rx, 6 Ry. A(a, a) is the auto-spectrum of channel a;
// the cross-spectrum of a < b is A(b, a) + i A(a, b).
using SpectraMatrix = double[7][7];

struct SpectraEstimate {
  Complex zxx, zxy, zyx, zyy;               // mV/km per nT
  double exy = 0.0, eyx = 0.0;              // absolute errors of ZXY and ZYX
  double rhoxy_err = 0.0, rhoyx_err = 0.0;  // Ohm-m
  double phsxy_err = 0.0, phsyx_err = 0.0;  // degrees
};

// `averaged` is the number of averaged spectra N of the block (AVGT).
SpectraEstimate EstimateImpedance(const SpectraMatrix& a,
                                  double freq,
                                  double averaged);

}  // namespace mtvuk
