// The smooth profiles: for each field set, the resistivity against depth
// that the smooth (Occam) inversion fitted to it. A profile has up to 100
// layers over a half-space, more than a LayerModel holds, so it is kept in
// a store of its own, one profile per field-set slot.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/store/field_set.h"

namespace mtvuk {

inline constexpr int kMaxSmoothLayers = 100;

struct SmoothProfile {
  std::int32_t layers = 0;  // layers above the half-space; 0: no profile
  // Ohm-m; [layers] is the half-space.
  std::array<double, kMaxSmoothLayers + 1> resistivity{};
  std::array<double, kMaxSmoothLayers> thickness{};  // km
  std::int16_t target = 5;                           // 4 Ro, 5 Res+Phs
  double target_rms = 1.0;
  double rms = 0.0;  // normalized rms of the profile
  double roughness = 0.0;
  double mu = 0.0;
  std::int32_t iterations = 0;
  bool converged = false;
  std::string reason;
  // The data the profile was fitted to (DataKey of the set then).
  std::uint64_t data_key = 0;
};

using SmoothProfiles = std::array<SmoothProfile, MaxSets>;

// A fingerprint of what a fit reads from a set: its points, values, error
// bounds, flags and label. A profile belongs to the set's data only while
// the key is unchanged, so that a slot loaded anew shows no stale profile.
std::uint64_t DataKey(const FieldSet& set);

// The profile of slot k when the slot still holds the data it was fitted
// to; nullptr otherwise.
const SmoothProfile* CurrentProfile(const SmoothProfiles& profiles,
                                    const FieldSet& set,
                                    int k);

}  // namespace mtvuk
