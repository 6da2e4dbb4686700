#include "core/inversion/smooth_profile_layers.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/physics/forward_1d.h"

namespace mtvuk {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

}  // namespace

MergedModel MergeProfile(const SmoothProfile& p, int max_layers) {
  MergedModel out;
  const int n = std::clamp(p.layers, 0, kMaxSmoothLayers) + 1;
  if (p.layers <= 0) return out;
  const int k_max = std::clamp(max_layers, 1, n);
  std::vector<double> x(n), s1(n + 1, 0.0), s2(n + 1, 0.0);
  for (int i = 0; i < n; ++i) {
    x[i] = std::log10(p.resistivity[i]);
    s1[i + 1] = s1[i] + x[i];
    s2[i + 1] = s2[i] + x[i] * x[i];
  }
  // Squared deviation of values i..j-1 from their mean.
  auto cost = [&](int i, int j) {
    const double s = s1[j] - s1[i];
    return s2[j] - s2[i] - s * s / (j - i);
  };
  // best[k][j]: least cost of the first j values in k + 1 layers.
  std::vector<std::vector<double>> best(k_max,
                                        std::vector<double>(n + 1, kInf));
  std::vector<std::vector<int>> cut(k_max, std::vector<int>(n + 1, 0));
  for (int j = 1; j <= n; ++j) best[0][j] = cost(0, j);
  for (int k = 1; k < k_max; ++k) {
    for (int j = k + 1; j <= n; ++j) {
      for (int i = k; i < j; ++i) {
        const double c = best[k - 1][i] + cost(i, j);
        if (c < best[k][j]) {
          best[k][j] = c;
          cut[k][j] = i;
        }
      }
    }
  }
  std::vector<int> starts(k_max);
  for (int k = k_max - 1, j = n; k >= 0; --k) {
    starts[k] = k > 0 ? cut[k][j] : 0;
    j = starts[k];
  }
  out.layers = k_max;
  for (int k = 0; k < k_max; ++k) {
    const int from = starts[k];
    const int to = k + 1 < k_max ? starts[k + 1] : n;
    out.resistivity.push_back(
        std::pow(10.0, (s1[to] - s1[from]) / (to - from)));
    if (k + 1 < k_max) {
      double h = 0.0;
      for (int i = from; i < to; ++i) h += p.thickness[i];
      out.thickness.push_back(h);
    }
  }
  return out;
}

void InstallProfile(const SmoothProfile& profile, LayerModel& m) {
  const MergedModel merged = MergeProfile(profile, MaxLayers);
  if (merged.layers < 1) return;
  const int n = merged.layers;
  for (int j = 0; j < MaxLayers; ++j) {
    const double rho = merged.resistivity[std::min(j, n - 1)];
    m.resistivity[j] = rho;
    m.aniso_rho1[j] = m.aniso_rho2[j] = static_cast<float>(rho);
    m.ip_on[j] = 0;
    m.aniso_on[j] = 0;
    m.resistivity_min[j] =
        std::min(m.resistivity_min[j], static_cast<float>(rho));
    m.resistivity_max[j] =
        std::max(m.resistivity_max[j], static_cast<float>(rho));
    if (j + 1 < n) {
      const double h = merged.thickness[j];
      m.thickness[j] = h;
      m.thickness_min[j] = std::min(m.thickness_min[j], static_cast<float>(h));
      m.thickness_max[j] = std::max(m.thickness_max[j], static_cast<float>(h));
    }
  }
  m.layer_count = static_cast<std::int16_t>(n);
  m.dispersion_on = 0;
  m.anisotropy_on = 0;
}

ProfilePoints DepthProfilePoints(const SmoothProfile& p) {
  ProfilePoints out;
  if (p.layers <= 0) return out;
  const int n = std::min(p.layers, kMaxSmoothLayers);
  double top = 0.0, s = 0.0;
  auto add = [&](double depth_m, double rho) {
    out.depth.push_back(-depth_m);
    out.log_res.push_back(std::log10(rho + 1e-14));
    out.log_s.push_back(std::log10(s + 1e-14));
  };
  for (int j = 0; j <= n; ++j) {
    const double rho = p.resistivity[j];
    const bool half_space = j == n;
    const double h = half_space ? 2.0 * top : p.thickness[j] * 1000.0;
    // The surface is out of reach of a logarithmic depth axis: the first
    // layer starts at a tenth of its thickness.
    const double from = j == 0 ? 0.1 * h : top;
    s += (from - top) / rho;
    add(from, rho);
    s += (top + h - from) / rho;
    add(top + h, rho);
    top += h;
  }
  return out;
}

void ProfileResponse(const SmoothProfile& p,
                     const std::vector<double>& periods,
                     std::vector<double>& rho_a,
                     std::vector<double>& phase) {
  rho_a.clear();
  phase.clear();
  if (p.layers <= 0) return;
  const int n = std::min(p.layers, kMaxSmoothLayers) + 1;
  std::vector<double> h(p.thickness.begin(), p.thickness.end());
  h.push_back(1.0);
  std::vector<Response1D> out(periods.size());
  ProfileKernel(p.resistivity.data(), h.data(), n)
      .Evaluate(periods.data(), static_cast<int>(periods.size()), out.data());
  for (const Response1D& r : out) {
    rho_a.push_back(r.rho_a);
    phase.push_back(r.phase);
  }
}

}  // namespace mtvuk
