#include "core/store/store_defaults.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace mtvuk {

DispersionArray FilledDispersion(const std::array<float, DispersionParams>& v) {
  DispersionArray a;
  a.fill(v);
  return a;
}

DispersionFlags FilledDispersionFlags(std::int32_t v) {
  DispersionFlags a;
  for (auto& layer : a) layer.fill(v);
  return a;
}

PointArray& SoundingBuffer::Array(int i) {
  return const_cast<PointArray&>(std::as_const(*this).Array(i));
}

const PointArray& SoundingBuffer::Array(int i) const {
  static constexpr PointArray SoundingBuffer::*kArrays[kSoundingArrays] = {
      &SoundingBuffer::freq,
      &SoundingBuffer::zxxr,
      &SoundingBuffer::zxxi,
      &SoundingBuffer::zxyr,
      &SoundingBuffer::zxyi,
      &SoundingBuffer::zyxr,
      &SoundingBuffer::zyxi,
      &SoundingBuffer::zyyr,
      &SoundingBuffer::zyyi,
      &SoundingBuffer::rhoxy_err,
      &SoundingBuffer::rhoyx_err,
      &SoundingBuffer::phsxy_err,
      &SoundingBuffer::phsyx_err};
  return this->*kArrays[i];
}

void ResetFieldSet(FieldSet& set) {
  set.freq.fill(1.0f);
  for (PointArray* a : {&set.zxxr,
                        &set.zxxi,
                        &set.zxyr,
                        &set.zxyi,
                        &set.zyxr,
                        &set.zyxi,
                        &set.zyyr,
                        &set.zyyi,
                        &set.err_re,
                        &set.err_im,
                        &set.re_z,
                        &set.im_z}) {
    a->fill(0.0f);
  }
  set.phase.fill(-100.0f);
  set.reserve.fill(-100.0f);
  set.phase_error.fill(0.0f);
  for (PointArray* a : {&set.log_phase,
                        &set.log_rho,
                        &set.log_phase_upper,
                        &set.log_phase_lower,
                        &set.log_rho_upper,
                        &set.log_rho_lower}) {
    a->fill(-20.0f);
  }
  set.point_use.fill(1.0f);
  set.phase_from_rho.fill(-20.0f);
  set.edit_work.fill(-20.0f);
  set.phase_sign.fill(1);
  set.re_z_sign.fill(1);
  set.im_z_sign.fill(1);
  set.point_deleted.fill(0);
  set.as_read.fill(FieldPoint{});
  set.coordinates.fill(0.0f);
  set.count = 48;
  set.in_use = -1;
  set.site_name = "  ";
  set.label.clear();
  set.station.clear();
  set.remark.clear();
  for (auto& t : set.legend_texts) t.clear();
  set.coordinate_text = {"00:00:00", "000:00:00", "0000"};
  set.static_shift = 1.0f;
}

namespace {

struct StartSection {
  int layers;
  std::vector<double> rho;
  std::vector<double> h;
};

}  // namespace

void ApplyStartDefaults(Workspace& workspace,
                        FieldSets& sets,
                        LayerModels& models) {
  static const StartSection kStart[MaxModels] = {
      {7, {50, 10, 50, 10, 50, 10, 100}, {0.2, 1.0, 0.2, 1.0, 0.2, 1.0}},
      {6, {100, 80, 70, 50, 25, 20}, {0.5, 5.0, 0.5, 5.0, 0.5}},
      {3, {25, 10, 5}, {0.5, 10}},
      {3, {25, 10, 100}, {1.5, 1.0}},
      {4, {25, 100, 5, 100}, {1.5, 5.0, 5.0}},
      {4, {25, 10, 5, 1}, {0.5, 1.0, 5.0}},
  };
  for (int i = 0; i < MaxModels; ++i) {
    LayerModel& m = models[i];
    m = LayerModel{};
    char name[16];
    std::snprintf(name, sizeof name, "MODEL %i", i + 1);
    m.name = name;
    const StartSection& s = kStart[i];
    m.layer_count = static_cast<std::int16_t>(s.layers);
    for (std::size_t j = 0; j < s.rho.size(); ++j) m.resistivity[j] = s.rho[j];
    for (std::size_t j = 0; j < s.h.size(); ++j) m.thickness[j] = s.h[j];
    for (int j = m.layer_count; j < MaxLayers; ++j) {
      m.resistivity[j] = m.resistivity[m.layer_count - 1];
    }
    for (int j = 0; j < MaxLayers; ++j) {
      m.resistivity_min[j] = kNewSessionRhoMin;
      m.resistivity_max[j] = kNewSessionRhoMax;
      m.aniso_rho1[j] = static_cast<float>(m.resistivity[j]);
      m.aniso_rho2[j] = static_cast<float>(m.resistivity[j]);
    }
  }
  for (int k = 0; k < MaxSets; ++k) {
    FieldSet& set = sets[k];
    set.smoothing_mark = -1;
    set.model_switches.fill(1);
    SetDefaultAttachment(set, k);
    ResetFieldSet(set);
  }
  UpdateSetFlags(workspace, sets);
}

void SetDefaultAttachment(FieldSet& set, int slot) {
  for (int m = 0; m < MaxModels; ++m) set.attached[m] = m == slot ? 1 : 0;
}

void SetMediumSwitches(LayerModel& model) {
  // Row 16 (the deepest) has no boxes; rows below the layer count are no
  // layers of the model.
  const int rows = std::min<int>(model.layer_count, MaxLayers - 1);
  model.dispersion_on = 0;
  model.anisotropy_on = 0;
  for (int j = 0; j < rows; ++j) {
    if (model.ip_on[j]) model.dispersion_on = 1;
    if (model.aniso_on[j]) model.anisotropy_on = 1;
  }
}

int CountModelLayers(const LayerArray<double>& resistivity) {
  int count = MaxLayers;
  for (int k = MaxLayers - 1; k >= 1; --k) {
    double rel =
        std::fabs(resistivity[k] - resistivity[k - 1]) / resistivity[k];
    if (!(rel < 0.01)) break;
    --count;
  }
  return count;
}

void UpdateSetFlags(Workspace& workspace, const FieldSets& sets) {
  workspace.any_set_in_use = 0;
  workspace.any_set_smoothed = 0;
  for (const FieldSet& set : sets) {
    if (set.in_use > 0) workspace.any_set_in_use = 1;
    if (set.in_use > 0 && set.smoothed) workspace.any_set_smoothed = 1;
  }
}

}  // namespace mtvuk
