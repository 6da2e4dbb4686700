#include "core/bayes/posterior.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/bayes/posterior_accumulator.h"

namespace mtvuk {

const char* BayesMoveName(BayesMove move) {
  switch (move) {
    case BayesMove::kBirth:
      return "birth";
    case BayesMove::kDeath:
      return "death";
    case BayesMove::kMove:
      return "move";
    case BayesMove::kValue:
      return "value";
    case BayesMove::kNoise:
      return "noise";
  }
  return "";
}

double SplitRHat(const std::vector<std::vector<double>>& chains) {
  std::size_t n = SIZE_MAX;
  for (const auto& c : chains) n = std::min(n, c.size());
  if (chains.empty() || n < 4) return NAN;
  const std::size_t half = n / 2;
  std::vector<double> means, variances;
  for (const auto& c : chains) {
    for (int part = 0; part < 2; ++part) {
      // The second half ends at the chain's end.
      const std::size_t first = part == 0 ? n - 2 * half : n - half;
      double mean = 0.0;
      for (std::size_t i = 0; i < half; ++i) mean += c[first + i];
      mean /= half;
      double var = 0.0;
      for (std::size_t i = 0; i < half; ++i)
        var += (c[first + i] - mean) * (c[first + i] - mean);
      means.push_back(mean);
      variances.push_back(var / (half - 1));
    }
  }
  const double m = static_cast<double>(means.size());
  double grand = 0.0, w = 0.0;
  for (std::size_t j = 0; j < means.size(); ++j) {
    grand += means[j] / m;
    w += variances[j] / m;
  }
  double b = 0.0;
  for (double mean : means) b += (mean - grand) * (mean - grand);
  b *= static_cast<double>(half) / (m - 1.0);
  if (w == 0.0) return b == 0.0 ? 1.0 : INFINITY;
  const double var_plus = (half - 1.0) / half * w + b / half;
  return std::sqrt(var_plus / w);
}

double BayesResult::Percentile(int cell, double fraction) const {
  const int bins = static_cast<int>(log_rho_bin.size());
  if (bins < 2 || cell < 0 ||
      static_cast<std::size_t>(cell + 1) * bins > density.size())
    return NAN;
  const double width = log_rho_bin[1] - log_rho_bin[0];
  const double* row = &density[static_cast<std::size_t>(cell) * bins];
  double below = 0.0;
  for (int b = 0; b < bins; ++b) {
    if (row[b] > 0.0 && below + row[b] >= fraction) {
      // Linear within the bin.
      const double within = (fraction - below) / row[b];
      return log_rho_bin[b] - width / 2.0 + within * width;
    }
    below += row[b];
  }
  return log_rho_bin[bins - 1] + width / 2.0;
}

PosteriorAccumulator::PosteriorAccumulator(const BayesOptions& options,
                                           double z_min,
                                           double z_max)
    : cells_(options.depth_cells),
      bins_(options.rho_bins),
      z_min_(z_min),
      z_max_(z_max),
      v_min_(options.log_rho_min),
      v_max_(options.log_rho_max),
      counts_(static_cast<std::size_t>(cells_) * bins_, 0),
      interfaces_(cells_, 0),
      layers_(options.max_layers, 0) {}

void PosteriorAccumulator::AddSample(const double* log_depth,
                                     const LayeredSample& sample) {
  const int k = static_cast<int>(sample.interface_km.size());
  const double dz = (z_max_ - z_min_) / cells_;
  const double scale = bins_ / (v_max_ - v_min_);
  int layer = 0;
  for (int c = 0; c < cells_; ++c) {
    const double z = z_min_ + (c + 0.5) * dz;
    while (layer < k && log_depth[layer] < z) ++layer;
    const int bin =
        std::clamp(static_cast<int>((sample.log_rho[layer] - v_min_) * scale),
                   0,
                   bins_ - 1);
    ++counts_[static_cast<std::size_t>(c) * bins_ + bin];
  }
  for (int i = 0; i < k; ++i) {
    const int c = std::clamp(
        static_cast<int>((log_depth[i] - z_min_) / dz), 0, cells_ - 1);
    ++interfaces_[c];
  }
  ++layers_[std::min<int>(k, static_cast<int>(layers_.size()) - 1)];
  kept_chi2_.push_back(sample.chi2);
  kept_layers_.push_back(k + 1.0);
  noise_.push_back(sample.noise_scale);
  if (!has_best_ || sample.chi2 < best_.chi2) {
    best_ = sample;
    has_best_ = true;
  }
}

void SummarisePosterior(const std::vector<PosteriorAccumulator*>& chains,
                        const BayesOptions& options,
                        double min_km,
                        double max_km,
                        BayesResult& r) {
  const int cells = options.depth_cells, bins = options.rho_bins;
  const double z_min = std::log10(min_km), z_max = std::log10(max_km);
  r.min_depth_km = min_km;
  r.max_depth_km = max_km;
  r.depth_km.resize(cells);
  for (int c = 0; c < cells; ++c)
    r.depth_km[c] = std::pow(10.0, z_min + (c + 0.5) * (z_max - z_min) / cells);
  const double width = (options.log_rho_max - options.log_rho_min) / bins;
  r.log_rho_bin.resize(bins);
  for (int b = 0; b < bins; ++b)
    r.log_rho_bin[b] = options.log_rho_min + (b + 0.5) * width;

  std::vector<std::int64_t> counts(static_cast<std::size_t>(cells) * bins, 0);
  std::vector<std::int64_t> interfaces(cells, 0);
  std::vector<std::int64_t> layers(options.max_layers, 0);
  r.samples = 0;
  bool has_best = false;
  for (const PosteriorAccumulator* a : chains) {
    for (std::size_t i = 0; i < counts.size(); ++i) counts[i] += a->counts_[i];
    for (int c = 0; c < cells; ++c) interfaces[c] += a->interfaces_[c];
    for (std::size_t l = 0; l < layers.size(); ++l) layers[l] += a->layers_[l];
    r.samples += static_cast<std::int64_t>(a->kept_chi2_.size());
    r.misfit_trace.push_back(a->trace_);
    r.layer_trace.push_back(a->kept_layers_);
    if (a->has_best_ && (!has_best || a->best_.chi2 < r.best.chi2)) {
      r.best = a->best_;
      has_best = true;
    }
  }
  if (options.noise_scale && !chains.empty())
    r.noise_scale_trace = chains[0]->noise_;
  const double n = std::max<double>(1.0, static_cast<double>(r.samples));
  r.density.assign(counts.size(), 0.0);
  for (std::size_t i = 0; i < counts.size(); ++i) r.density[i] = counts[i] / n;
  r.p05.resize(cells);
  r.p50.resize(cells);
  r.p95.resize(cells);
  r.mean.resize(cells);
  r.interface_probability.resize(cells);
  for (int c = 0; c < cells; ++c) {
    r.p05[c] = r.Percentile(c, 0.05);
    r.p50[c] = r.Percentile(c, 0.50);
    r.p95[c] = r.Percentile(c, 0.95);
    double mean = 0.0;
    for (int b = 0; b < bins; ++b)
      mean +=
          r.density[static_cast<std::size_t>(c) * bins + b] * r.log_rho_bin[b];
    r.mean[c] = mean;
    r.interface_probability[c] = interfaces[c] / n;
  }
  r.layer_histogram.resize(layers.size());
  std::size_t most = 0;
  for (std::size_t l = 0; l < layers.size(); ++l) {
    r.layer_histogram[l] = layers[l] / n;
    if (layers[l] > layers[most]) most = l;
  }
  r.layer_mode = static_cast<int>(most) + 1;

  std::vector<std::vector<double>> kept_chi2;
  for (const PosteriorAccumulator* a : chains)
    kept_chi2.push_back(a->kept_chi2_);
  r.rhat_misfit = SplitRHat(kept_chi2);
  r.rhat_layers = SplitRHat(r.layer_trace);
  if (chains.size() > 1 &&
      (!(r.rhat_misfit <= kRHatWarning) || !(r.rhat_layers <= kRHatWarning))) {
    char text[256];
    std::snprintf(text,
                  sizeof text,
                  "the chains disagree (split R-hat %.3g of the misfit, %.3g "
                  "of the number of layers, above %.2g): run longer or with "
                  "more tempered chains",
                  r.rhat_misfit,
                  r.rhat_layers,
                  kRHatWarning);
    r.warning = text;
  }
}

}  // namespace mtvuk
