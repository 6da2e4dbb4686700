#include "core/store/smooth_profile.h"

#include <algorithm>

namespace mtvuk {
namespace {

// FNV-1a, 64 bits.
class Fingerprint {
 public:
  void Add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
      hash_ ^= bytes[i];
      hash_ *= 1099511628211ull;
    }
  }
  template <typename T, std::size_t N>
  void Add(const std::array<T, N>& a, int count) {
    Add(a.data(), sizeof(T) * static_cast<std::size_t>(count));
  }
  std::uint64_t value() const { return hash_; }

 private:
  std::uint64_t hash_ = 14695981039346656037ull;
};

}  // namespace

std::uint64_t DataKey(const FieldSet& s) {
  Fingerprint f;
  const int n = std::clamp(s.count, 0, MaxFreq);
  f.Add(&n, sizeof n);
  f.Add(&s.in_use, sizeof s.in_use);
  for (const PointArray* a :
       {&s.freq, &s.re_z, &s.im_z, &s.err_re, &s.err_im, &s.log_rho,
        &s.phase, &s.log_rho_upper, &s.log_rho_lower, &s.log_phase_upper,
        &s.log_phase_lower}) {
    f.Add(*a, n);
  }
  for (const PointFlags* a :
       {&s.point_deleted, &s.phase_sign, &s.re_z_sign, &s.im_z_sign}) {
    f.Add(*a, n);
  }
  f.Add(s.label.data(), s.label.size());
  return f.value();
}

const SmoothProfile* CurrentProfile(const SmoothProfiles& profiles,
                                    const FieldSet& set,
                                    int k) {
  if (k < 0 || k >= MaxSets) return nullptr;
  const SmoothProfile& p = profiles[k];
  if (p.layers <= 0 || set.in_use <= 0 || p.data_key != DataKey(set))
    return nullptr;
  return &p;
}

}  // namespace mtvuk
