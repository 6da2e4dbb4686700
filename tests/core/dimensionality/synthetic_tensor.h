// The full tensor of a layered, maybe anisotropic earth, as a reader leaves it.
#pragma once

#include <cmath>
#include <random>
#include <vector>

#include "core/physics/anisotropic.h"
#include "core/physics/forward_1d.h"
#include "core/platform/scripted_ui.h"
#include "core/store/workspace.h"
#include "util/test_util.h"

namespace mtvuk::test {

struct AnisoLayer {
  double rho;     // isotropic resistivity, or rho1 of an anisotropic layer
  double rho2;    // 0: isotropic
  double strike;  // degrees
  double h;       // km (ignored for the last)
};

// n periods from tmin to tmax; relative errors of |Z| from err_lo to err_hi,
// with noise of that size when `noisy`.
struct SoundingOptions {
  int n = 40;
  double tmin = 1e-3, tmax = 1e3;
  double err_lo = 0.02, err_hi = 0.02;
  bool noisy = true;
  unsigned seed = 7;
};

inline void FillSounding(SoundingBuffer& sb,
                         const std::vector<AnisoLayer>& layers,
                         const SoundingOptions& options) {
  const auto [n, tmin, tmax, err_lo, err_hi, noisy, seed] = options;
  LayerModel model;
  std::vector<double> rho(MaxLayers, layers.back().rho);
  std::vector<double> h(MaxLayers, 1.0);
  for (size_t j = 0; j < layers.size(); ++j) {
    rho[j] = layers[j].rho;
    h[j] = layers[j].h;
    if (layers[j].rho2 > 0.0) {
      model.aniso_on[j] = 1;
      model.aniso_rho1[j] = static_cast<float>(layers[j].rho);
      model.aniso_rho2[j] = static_cast<float>(layers[j].rho2);
      model.aniso_strike[j] = static_cast<float>(layers[j].strike);
    }
  }
  std::mt19937 rng(seed);
  std::normal_distribution<double> gauss(0.0, 1.0);
  ScriptedUi ui;
  sb.nfreq = n;
  sb.station = "SYNTH";
  for (int i = 0; i < n; ++i) {
    const double t = tmin * std::pow(tmax / tmin, i / (n - 1.0));
    const double err = err_lo + (err_hi - err_lo) * i / (n - 1.0);
    AnisotropicResponse r;
    ResponseAnisotropic(
        model, rho.data(), h.data(), static_cast<int>(layers.size()), t, ui, r);
    // The files' sign of time: a half-space has Im Zxy > 0.
    const Complex elements[4] = {
        Conj(r.zxx), Conj(r.zxy), Conj(r.zyx), Conj(r.zyy)};
    const double scale = Abs(r.zxy) + Abs(r.zyx);
    float* re[4] = {&sb.zxxr[i], &sb.zxyr[i], &sb.zyxr[i], &sb.zyyr[i]};
    float* im[4] = {&sb.zxxi[i], &sb.zxyi[i], &sb.zyxi[i], &sb.zyyi[i]};
    // Each off-diagonal element carries the noise of its own error bar.
    const double size[4] = {
        0.5 * scale, Abs(elements[1]), Abs(elements[2]), 0.5 * scale};
    for (int e = 0; e < 4; ++e) {
      const double sd = noisy ? err * size[e] : 0.0;
      *re[e] = static_cast<float>(elements[e].re + sd * gauss(rng));
      *im[e] = static_cast<float>(elements[e].im + sd * gauss(rng));
    }
    sb.freq[i] = static_cast<float>(1.0 / t);
    const double rxy = 0.2 * Abs2(elements[1]) * t;
    const double ryx = 0.2 * Abs2(elements[2]) * t;
    // The reader's estimators for an impedance error err |Z|.
    const double k = 1.0 + 2.0 * err;
    sb.rhoxy_err[i] = static_cast<float>(0.5 * (k * rxy - rxy / k));
    sb.rhoyx_err[i] = static_cast<float>(0.5 * (k * ryx - ryx / k));
    sb.phsxy_err[i] = sb.phsyx_err[i] =
        static_cast<float>(std::atan(err) * 57.29577951308232);
  }
}

// Session stores with that sounding, XY in field set 1 and YX in set 2.
inline std::unique_ptr<Stores> TwoCurves(const std::vector<AnisoLayer>& layers,
                                         const SoundingOptions& options) {
  auto stores = NewStores();
  FillSounding(stores->workspace.sounding, layers, options);
  LoadSet(*stores, 0, CurveMode::XY);
  LoadSet(*stores, 1, CurveMode::YX);
  return stores;
}

}  // namespace mtvuk::test
