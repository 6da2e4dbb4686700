// Fuzz target of smoothing and the depth transformation: any values in a
// field set (frequencies, resistivities, bounds, flags, counts, tension)
// must end in a profile or a message, never in a crash or a stored NaN.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/depth/depth_transform.h"
#include "core/fielddata/smoothing.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"

namespace {

// Takes the next value of the input, or 0 when it is used up.
template <typename T>
T Take(const std::uint8_t*& data, std::size_t& size) {
  T v{};
  if (size >= sizeof(T)) {
    std::memcpy(&v, data, sizeof(T));
    data += sizeof(T);
    size -= sizeof(T);
  }
  return v;
}

void CheckFinite(const mtvuk::PointArray& a) {
  for (float v : a) {
    if (std::isnan(v)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static auto stores = std::make_unique<mtvuk::Stores>();
  mtvuk::ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
  mtvuk::FieldSet& set = stores->sets[0];
  set.in_use = 1;
  set.smoothing_mark = 1;
  set.count = Take<std::uint8_t>(data, size) % 110;
  stores->workspace.smoothing.tension_position = Take<std::int16_t>(data, size);
  stores->workspace.smoothing.tension_width = Take<std::int16_t>(data, size);
  stores->workspace.smoothing.ignore_errors =
      Take<std::uint8_t>(data, size) & 1;
  for (int i = 0; size > 0 && i < mtvuk::MaxFreq; ++i) {
    set.freq[i] = Take<float>(data, size);
    set.log_rho[i] = Take<float>(data, size);
    set.log_rho_upper[i] = Take<float>(data, size);
    set.log_rho_lower[i] = Take<float>(data, size);
    const std::uint8_t flags = Take<std::uint8_t>(data, size);
    set.point_use[i] = (flags & 1) ? 0.0f : 1.0f;
    set.point_deleted[i] = (flags >> 1) & 1;
  }
  mtvuk::ScriptedUi ui;
  const auto options = mtvuk::SmoothingOptions::From(stores->workspace);
  mtvuk::PhaseFromResistivity(set, options, ui);
  mtvuk::RunSmoothingRequest(stores->workspace, stores->sets, ui);
  mtvuk::TransformAll(stores->sets, stores->models);
  CheckFinite(set.smoothed_log_rho);
  CheckFinite(set.smoothed_slope);
  CheckFinite(set.phase_from_rho);
  CheckFinite(set.depth);
  CheckFinite(set.log_res);
  CheckFinite(set.log_s);
  return 0;
}
