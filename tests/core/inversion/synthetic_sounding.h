// Synthetic soundings and layered models for the fit tests and benchmarks.
#pragma once

#include <cmath>
#include <random>
#include <vector>

#include "core/physics/forward_1d.h"
#include "core/store/store_defaults.h"

namespace mtvuk::test {

inline constexpr double kSyntheticRadPerDeg = 0.017453292519943295;

// A layered earth's response at n periods from 1e-3 to 1e3 s, `noise`
// relative noise on Re Z and Im Z, relative impedance error bars `err`.
inline void SyntheticSounding(FieldSet& s,
                              const std::vector<double>& rho,
                              const std::vector<double>& h,
                              int n,
                              double err,
                              double noise,
                              unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> gauss(0.0, 1.0);
  ResetFieldSet(s);
  s.in_use = 1;
  s.count = n;
  s.label = "XY SYNTH";
  std::vector<double> r = rho, t = h;
  r.resize(MaxLayers, rho.back());
  t.resize(MaxLayers, 1.0);
  for (int i = 0; i < n; ++i) {
    const double period = 1e-3 * std::pow(10.0, 6.0 * i / (n - 1));
    Response1D z = ResponseNoDispersion(
        r.data(), t.data(), static_cast<int>(rho.size()), period);
    const double re = z.z.re * (1.0 + noise * gauss(rng));
    const double im = z.z.im * (1.0 + noise * gauss(rng));
    const double omega_mu = kTwoPi / period * kMu0;
    const double rho_a =
        (re * re + im * im) / (kSiToField * kSiToField) / omega_mu;
    const double phase = std::atan2(im, re) / kSyntheticRadPerDeg;
    s.freq[i] = static_cast<float>(1.0 / period);
    s.re_z[i] = static_cast<float>(re);
    s.im_z[i] = static_cast<float>(im);
    s.err_re[i] = s.err_im[i] = static_cast<float>(err);
    s.log_rho[i] = static_cast<float>(std::log10(rho_a));
    s.log_rho_upper[i] = static_cast<float>(std::log10(rho_a * (1 + 2 * err)));
    s.log_rho_lower[i] = static_cast<float>(std::log10(rho_a * (1 - 2 * err)));
    s.phase[i] = static_cast<float>(phase);
    s.log_phase_upper[i] =
        static_cast<float>(std::log10(phase + err / kSyntheticRadPerDeg));
    s.log_phase_lower[i] =
        static_cast<float>(std::log10(phase - err / kSyntheticRadPerDeg));
    s.phase_sign[i] = s.re_z_sign[i] = s.im_z_sign[i] = 1;
  }
}

// The layers of m: the last rho continues below, missing thicknesses 1 km.
inline void SetLayers(LayerModel& m,
                      const std::vector<double>& rho,
                      const std::vector<double>& h) {
  m.layer_count = static_cast<std::int16_t>(rho.size());
  for (int j = 0; j < MaxLayers; ++j) {
    m.resistivity[j] = j < static_cast<int>(rho.size()) ? rho[j] : rho.back();
    m.thickness[j] = j < static_cast<int>(h.size()) ? h[j] : 1.0;
  }
}

// n layers of one resistivity, thicknesses growing by `ratio` from first_h.
inline void UniformLayers(
    LayerModel& m, int n, double rho, double first_h, double ratio) {
  m.layer_count = static_cast<std::int16_t>(n);
  for (int j = 0; j < MaxLayers; ++j) {
    m.resistivity[j] = rho;
    m.thickness[j] = first_h * std::pow(ratio, j);
  }
}

}  // namespace mtvuk::test
