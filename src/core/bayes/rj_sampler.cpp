#include "core/bayes/rj_sampler.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <barrier>
#include <cmath>
#include <thread>

#include "core/bayes/posterior_accumulator.h"
#include "core/bayes/random_stream.h"
#include "core/physics/layered_response.h"

namespace mtvuk {
namespace {

constexpr double kSqrtTwoPi = 2.5066282746310002;
// Prior of the noise scale: uniform in log10 between these.
constexpr double kLogNoiseMin = -0.5;
constexpr double kLogNoiseMax = 1.0;
constexpr double kStepNoise = 0.04;

struct State {
  int k = 0;                          // interfaces
  std::array<double, MaxLayers> z{};  // log10 depth (km) of the interfaces
  std::array<double, MaxLayers> v{};  // log10 rho of the k + 1 layers
  double log_noise = 0.0;             // log10 of the error scale
  double chi2 = 0.0;
  double log_l = 0.0;
};

struct Setup {
  const BayesData* data;
  const BayesOptions* options;
  double z_min, z_max;  // log10 km
  int k_max;
  int moves;  // 4, or 5 with the noise scale
};

class Chain {
 public:
  Chain(const Setup& setup, int index, double temperature, bool cold)
      : setup_(setup),
        random_(setup.options->seed, static_cast<std::uint64_t>(index)),
        temperature_(temperature),
        cold_(cold),
        accumulator_(cold ? std::make_unique<PosteriorAccumulator>(
                                *setup.options, setup.z_min, setup.z_max)
                          : nullptr) {
    const int n = setup.data->Size();
    log_rho_.resize(n);
    phase_.resize(n);
    // The first model is drawn from the prior, up to 4 layers.
    const BayesOptions& o = *setup.options;
    state_.k = random_.Index(std::min(setup.k_max, 3) + 1);
    for (int i = 0; i < state_.k; ++i)
      state_.z[i] = random_.Uniform(setup.z_min, setup.z_max);
    std::sort(state_.z.begin(), state_.z.begin() + state_.k);
    for (int i = 0; i <= state_.k; ++i)
      state_.v[i] = random_.Uniform(o.log_rho_min, o.log_rho_max);
    Evaluate(state_);
  }

  void Advance(int first, int count) {
    for (int it = first; it < first + count; ++it) {
      Step(it >= setup_.options->BurnIn());
      if (cold_) Record(it);
    }
  }

  State& state() { return state_; }
  double temperature() const { return temperature_; }
  PosteriorAccumulator* accumulator() { return accumulator_.get(); }
  std::int64_t evaluations() const { return evaluations_; }
  const std::array<MoveCount, kBayesMoves>& moves() const { return moves_; }

 private:
  double LogLikelihood(double chi2, double log_noise) const {
    const double scale = std::pow(10.0, log_noise);
    return -chi2 / (2.0 * scale * scale) -
           2.0 * setup_.data->Size() * std::log(scale);
  }

  void Evaluate(State& s) {
    ++evaluations_;
    std::array<double, MaxLayers + 1> rho{}, h{};
    double top = 0.0;
    for (int i = 0; i <= s.k; ++i) {
      rho[i] = std::pow(10.0, s.v[i]);
      if (i < s.k) {
        const double depth = std::pow(10.0, s.z[i]);
        h[i] = depth - top;
        top = depth;
      }
    }
    int n = s.k + 1;
    if (n < 2) {  // a half-space alone: the kernels take two layers
      rho[1] = rho[0];
      h[0] = 1.0;
      n = 2;
    }
    const BayesData& d = *setup_.data;
    LayeredResponse(rho.data(),
                    h.data(),
                    n,
                    d.period.data(),
                    d.Size(),
                    log_rho_.data(),
                    phase_.data());
    double chi2 = 0.0;
    for (int i = 0; i < d.Size(); ++i) {
      const double a = (log_rho_[i] - d.log_rho[i]) / d.sigma_log_rho[i];
      const double b = (phase_[i] - d.phase[i]) / d.sigma_phase[i];
      chi2 += a * a + b * b;
    }
    s.chi2 = std::isfinite(chi2) ? chi2 : INFINITY;
    s.log_l = LogLikelihood(s.chi2, s.log_noise);
  }

  // One proposal. `count` adds it to the acceptance figures.
  void Step(bool count) {
    const BayesOptions& o = *setup_.options;
    const int kind = random_.Index(setup_.moves);
    State p = state_;
    double log_ratio = 0.0;  // prior and proposal terms of the ratio
    bool valid = true;
    const double span = o.log_rho_max - o.log_rho_min;
    switch (static_cast<BayesMove>(kind)) {
      case BayesMove::kBirth: {
        if (p.k >= setup_.k_max) {
          valid = false;
          break;
        }
        const double z = random_.Uniform(setup_.z_min, setup_.z_max);
        int j = 0;  // the layer the new interface splits
        while (j < p.k && p.z[j] < z) ++j;
        if ((j < p.k && p.z[j] == z) || (j > 0 && p.z[j - 1] == z)) {
          valid = false;
          break;
        }
        for (int i = p.k; i > j; --i) p.z[i] = p.z[i - 1];
        for (int i = p.k + 1; i > j + 1; --i) p.v[i] = p.v[i - 1];
        p.z[j] = z;
        const double dv = o.step_birth * random_.Normal();
        p.v[j + 1] = p.v[j] + dv;
        ++p.k;
        if (p.v[j + 1] < o.log_rho_min || p.v[j + 1] > o.log_rho_max) {
          valid = false;
          break;
        }
        // Bodin and Sambridge (2009): the prior of the new value over the
        // density of its proposal.
        log_ratio = std::log(o.step_birth * kSqrtTwoPi / span) +
                    dv * dv / (2.0 * o.step_birth * o.step_birth);
        break;
      }
      case BayesMove::kDeath: {
        if (p.k == 0) {
          valid = false;
          break;
        }
        const int i = random_.Index(p.k);  // the interface removed
        const double dv = p.v[i + 1] - p.v[i];
        for (int m = i; m + 1 < p.k; ++m) p.z[m] = p.z[m + 1];
        for (int m = i + 1; m < p.k; ++m) p.v[m] = p.v[m + 1];
        --p.k;
        log_ratio = std::log(span / (o.step_birth * kSqrtTwoPi)) -
                    dv * dv / (2.0 * o.step_birth * o.step_birth);
        break;
      }
      case BayesMove::kMove: {
        if (p.k == 0) {
          valid = false;
          break;
        }
        const int i = random_.Index(p.k);
        const double z = p.z[i] + o.step_depth * random_.Normal();
        const double low = i > 0 ? p.z[i - 1] : setup_.z_min;
        const double high = i + 1 < p.k ? p.z[i + 1] : setup_.z_max;
        if (!(z > low && z < high)) {
          valid = false;
          break;
        }
        p.z[i] = z;
        break;
      }
      case BayesMove::kValue: {
        const int i = random_.Index(p.k + 1);
        p.v[i] += o.step_value * random_.Normal();
        valid = p.v[i] >= o.log_rho_min && p.v[i] <= o.log_rho_max;
        break;
      }
      case BayesMove::kNoise: {
        p.log_noise += kStepNoise * random_.Normal();
        valid = p.log_noise >= kLogNoiseMin && p.log_noise <= kLogNoiseMax;
        break;
      }
    }
    const bool accept = [&] {
      if (!valid) return false;
      if (static_cast<BayesMove>(kind) == BayesMove::kNoise) {
        p.log_l = LogLikelihood(p.chi2, p.log_noise);
      } else {
        Evaluate(p);
      }
      const double log_alpha =
          (p.log_l - state_.log_l) / temperature_ + log_ratio;
      return log_alpha >= 0.0 || std::log(random_.Uniform()) < log_alpha;
    }();
    if (accept) state_ = p;
    if (count && cold_) {
      MoveCount& m = moves_[kind];
      ++m.proposed;
      m.accepted += accept ? 1 : 0;
    }
  }

  void Record(int it) {
    const BayesOptions& o = *setup_.options;
    if (it % o.thin == 0) accumulator_->AddTrace(state_.chi2);
    if (it < o.BurnIn() || (it - o.BurnIn()) % o.thin != 0) return;
    LayeredSample s;
    s.interface_km.resize(state_.k);
    for (int i = 0; i < state_.k; ++i)
      s.interface_km[i] = std::pow(10.0, state_.z[i]);
    s.log_rho.assign(state_.v.begin(), state_.v.begin() + state_.k + 1);
    s.chi2 = state_.chi2;
    s.noise_scale = std::pow(10.0, state_.log_noise);
    accumulator_->AddSample(state_.z.data(), s);
  }

  const Setup& setup_;
  RandomStream random_;
  double temperature_;
  bool cold_;
  std::unique_ptr<PosteriorAccumulator> accumulator_;
  State state_;
  std::vector<double> log_rho_, phase_;
  std::int64_t evaluations_ = 0;
  std::array<MoveCount, kBayesMoves> moves_{};  // after the burn-in
};

// Exchange proposals between chains of different temperatures (Geyer 1991;
// Sambridge 2014), drawn from a stream of their own.
void ProposeSwaps(std::vector<std::unique_ptr<Chain>>& chains,
                  RandomStream& random,
                  MoveCount& swaps) {
  const int n = static_cast<int>(chains.size());
  if (n < 2) return;
  for (int trial = 0; trial < n / 2; ++trial) {
    const int a = random.Index(n);
    int b = random.Index(n - 1);
    if (b >= a) ++b;
    Chain& ca = *chains[a];
    Chain& cb = *chains[b];
    if (ca.temperature() == cb.temperature()) continue;
    const double log_alpha = (ca.state().log_l - cb.state().log_l) *
                             (1.0 / cb.temperature() - 1.0 / ca.temperature());
    ++swaps.proposed;
    if (log_alpha >= 0.0 || std::log(random.Uniform()) < log_alpha) {
      std::swap(ca.state(), cb.state());
      ++swaps.accepted;
    }
  }
}

}  // namespace

std::string BayesOptions::Problem() const {
  if (max_layers < 1 || max_layers > MaxLayers)
    return "the largest number of layers must lie between 1 and 16";
  if (!(log_rho_min < log_rho_max))
    return "the lower resistivity limit must lie below the upper one";
  if (min_depth_km < 0.0 || max_depth_km < 0.0 ||
      (max_depth_km > 0.0 && min_depth_km >= max_depth_km))
    return "the depth limits must be positive, the lower below the upper";
  if (iterations < 10 || thin < 1 || chains < 1 || hot_chains < 0 ||
      swap_interval < 1 || BurnIn() >= iterations)
    return "iterations, burn-in, thinning and chains must leave samples to "
           "keep";
  if (!(max_temperature >= 1.0))
    return "the highest temperature must be at least 1";
  if (!(error_floor_percent > 0.0 && error_floor_percent < 100.0))
    return "the error floor must lie between 0 and 100 %";
  if (depth_cells < 2 || rho_bins < 2 || depth_cells > 2000 || rho_bins > 2000)
    return "the posterior grids need 2 to 2000 cells";
  if (!(step_value > 0.0 && step_birth > 0.0 && step_depth > 0.0))
    return "proposal widths must be positive";
  return {};
}

void BayesDepthLimits(const BayesData& data,
                      const BayesOptions& options,
                      double& min_km,
                      double& max_km) {
  max_km = options.max_depth_km > 0.0 ? options.max_depth_km
                                      : 2.0 * data.MaxBostickDepthKm();
  min_km = options.min_depth_km > 0.0 ? options.min_depth_km
                                      : 0.25 * data.MinBostickDepthKm();
  if (!(min_km < max_km)) min_km = max_km / 1000.0;
}

BayesResult RunBayesSampler(const BayesData& data,
                            const BayesOptions& options,
                            const BayesProgress& progress) {
  double min_km, max_km;
  BayesDepthLimits(data, options, min_km, max_km);
  Setup setup{&data,
              &options,
              std::log10(min_km),
              std::log10(max_km),
              options.max_layers - 1,
              options.noise_scale ? 5 : 4};

  // Cold chains first, then the tempered ones on a geometric ladder.
  std::vector<std::unique_ptr<Chain>> chains;
  for (int c = 0; c < options.chains; ++c)
    chains.push_back(std::make_unique<Chain>(setup, c, 1.0, true));
  for (int c = 0; c < options.hot_chains; ++c) {
    const double t =
        std::pow(options.max_temperature, (c + 1.0) / options.hot_chains);
    chains.push_back(
        std::make_unique<Chain>(setup, options.chains + c, t, false));
  }
  const int total = static_cast<int>(chains.size());
  RandomStream swap_random(options.seed, static_cast<std::uint64_t>(total));
  MoveCount swaps;

  const int blocks =
      (options.iterations + options.swap_interval - 1) / options.swap_interval;
  int block = 0;
  bool stop = false;
  std::atomic<bool> cancelled{false};
  auto between_blocks = [&]() noexcept {
    ProposeSwaps(chains, swap_random, swaps);
    ++block;
    if (block >= blocks) {
      stop = true;
    } else if (progress && !progress(static_cast<double>(block) / blocks)) {
      cancelled = true;
      stop = true;
    }
  };
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const int threads = std::clamp<int>(
      options.threads > 0 ? options.threads : static_cast<int>(cores),
      1,
      total);
  std::barrier sync(threads, between_blocks);
  auto work = [&](int t) {
    while (!stop) {
      const int first = block * options.swap_interval;
      const int count =
          std::min(options.swap_interval, options.iterations - first);
      for (int c = t; c < total; c += threads) chains[c]->Advance(first, count);
      sync.arrive_and_wait();
    }
  };
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(work, t);
  work(0);
  for (std::thread& t : pool) t.join();

  std::vector<PosteriorAccumulator*> cold;
  BayesResult result;
  for (int c = 0; c < options.chains; ++c) {
    cold.push_back(chains[c]->accumulator());
    for (int m = 0; m < kBayesMoves; ++m) {
      result.moves[m].proposed += chains[c]->moves()[m].proposed;
      result.moves[m].accepted += chains[c]->moves()[m].accepted;
    }
  }
  for (const auto& c : chains) result.evaluations += c->evaluations();
  SummarisePosterior(cold, options, min_km, max_km, result);
  result.swaps = swaps;
  result.cancelled = cancelled;
  result.data_count = 2 * data.Size();
  return result;
}

}  // namespace mtvuk
