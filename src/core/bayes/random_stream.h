// A small, fast random stream for the samplers: xoshiro256** (Blackman and
// Vigna 2018), its state filled by splitmix64 from a seed and a stream
// number. Its numbers depend on nothing but the two, so a chain given its
// own stream draws the same sequence on any machine and any thread.
#pragma once

#include <cmath>
#include <cstdint>

namespace mtvuk {

class RandomStream {
 public:
  RandomStream(std::uint64_t seed, std::uint64_t stream) {
    std::uint64_t x = seed ^ (0x9E3779B97F4A7C15ull * (stream + 1));
    for (std::uint64_t& s : state_) s = SplitMix(x);
  }

  std::uint64_t Next() {
    const std::uint64_t result = Rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = Rotl(state_[3], 45);
    return result;
  }

  // Uniform in [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  double Uniform(double low, double high) {
    return low + (high - low) * Uniform();
  }
  // Uniform in 0..n-1 (n > 0).
  int Index(int n) { return static_cast<int>(Uniform() * n); }
  // Standard normal by the polar method of Marsaglia.
  double Normal() {
    if (has_spare_) {
      has_spare_ = false;
      return spare_;
    }
    double u, v, s;
    do {
      u = 2.0 * Uniform() - 1.0;
      v = 2.0 * Uniform() - 1.0;
      s = u * u + v * v;
    } while (s >= 1.0 || s == 0.0);
    const double f = std::sqrt(-2.0 * std::log(s) / s);
    spare_ = v * f;
    has_spare_ = true;
    return u * f;
  }

 private:
  static std::uint64_t Rotl(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
  }
  static std::uint64_t SplitMix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  std::uint64_t state_[4];
  double spare_ = 0.0;
  bool has_spare_ = false;
};

}  // namespace mtvuk
