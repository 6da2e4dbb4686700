#include "core/physics/model_curve.h"

#include <algorithm>
#include <cmath>

#include "core/physics/forward_1d.h"
#include "core/physics/numeric.h"
#include "core/platform/c_number.h"

namespace mtvuk {
namespace {

float LogAbs(double v) { return ToF32(std::log10(std::fabs(v) + kTiny)); }

void SetAll(PeriodResponse& out, const Response1D& r) {
  for (PolarisationResponse& p : out.mode) p = {r.z, r.rho_a, r.phase};
  out.has_tensor = false;
}

void StorePeriod(ModelCurve& curve,
                 int i,
                 double period,
                 const PeriodResponse& r,
                 bool anisotropic,
                 const AnisoResponseTable& table) {
  curve.log_period[i] = ToF32(std::log10(period));
  // On the 1-D paths the four polarisations are one result: its logarithms
  // are taken once.
  const int distinct = anisotropic ? kCurveModes : 1;
  for (int p = 0; p < distinct; ++p) {
    const PolarisationResponse& m = r.mode[p];
    ModelCurve::Polarisation& q = curve.mode[p];
    double re = anisotropic ? table[kReXy + p] : m.z.re;
    double im = anisotropic ? table[kImXy + p] : m.z.im;
    q.phase[i] = ToF32(m.phase);
    q.log_phase[i] = LogAbs(m.phase);
    q.log_re_z[i] = LogAbs(re);
    q.log_im_z[i] = LogAbs(im);
    q.log_rho[i] = ToF32(std::log10(m.rho_a + kTiny));
    q.phase_sign[i] = m.phase >= 0.0 ? 1 : 0;
  }
  for (int p = distinct; p < kCurveModes; ++p) {
    ModelCurve::Polarisation& q = curve.mode[p];
    const ModelCurve::Polarisation& first = curve.mode[0];
    q.phase[i] = first.phase[i];
    q.log_phase[i] = first.log_phase[i];
    q.log_re_z[i] = first.log_re_z[i];
    q.log_im_z[i] = first.log_im_z[i];
    q.log_rho[i] = first.log_rho[i];
    q.phase_sign[i] = first.phase_sign[i];
  }
  const PolarisationResponse& xy = r.mode[0];
  curve.log_rho[i] = ToF32(std::log10(xy.rho_a));
  curve.phase[i] = curve.mode[0].phase[i];
  curve.log_phase[i] = curve.mode[0].log_phase[i];
  curve.log_re_z[i] = curve.mode[0].log_re_z[i];
  curve.log_im_z[i] = curve.mode[0].log_im_z[i];
  curve.phase_sign[i] = curve.mode[0].phase_sign[i];
}

void CopySelectedPolarisation(ModelCurve& curve, int p) {
  const ModelCurve::Polarisation& q = curve.mode[p];
  for (int i = 0; i < curve.count; ++i) {
    curve.phase[i] = q.phase[i];
    curve.log_phase[i] = q.log_phase[i];
    curve.log_re_z[i] = q.log_re_z[i];
    curve.log_im_z[i] = q.log_im_z[i];
    curve.phase_sign[i] = q.phase_sign[i];
    curve.log_rho[i] = q.log_rho[i];
  }
}

}  // namespace

ModelLayers WorkingLayers(const LayerModel& model, Physics physics) {
  ModelLayers layers;
  layers.rho = model.resistivity;
  layers.h = model.thickness;
  layers.n = std::clamp<int>(model.layer_count, 1, MaxLayers);
  layers.physics = physics;
  return layers;
}

ForwardPath ChoosePath(const LayerModel& model, bool fitting) {
  if (!fitting && model.anisotropy_on != 0) return ForwardPath::kAnisotropic;
  if (model.dispersion_on != 0) return ForwardPath::kDispersion;
  return ForwardPath::kNoDispersion;
}

bool ComputeResponses(const LayerModel& model,
                      const ModelLayers& layers,
                      ForwardPath path,
                      const double* periods,
                      int count,
                      Ui& ui,
                      PeriodResponse* out,
                      AnisoResponseTable* tables) {
  if (path != ForwardPath::kAnisotropic) {
    std::array<Response1D, MaxCurvePeriods> one;
    for (int first = 0; first < count; first += MaxCurvePeriods) {
      const int chunk = std::min(MaxCurvePeriods, count - first);
      if (path == ForwardPath::kNoDispersion) {
        NoDispersionKernel(
            layers.rho.data(), layers.h.data(), layers.n, layers.physics)
            .Evaluate(periods + first, chunk, one.data());
      } else {
        DispersionKernel(
            model, layers.rho.data(), layers.h.data(), layers.n, layers.physics)
            .Evaluate(periods + first, chunk, one.data());
      }
      for (int i = 0; i < chunk; ++i) SetAll(out[first + i], one[i]);
    }
    return true;
  }
  bool all = true;
  AnisotropicResponse a;
  for (int i = 0; i < count; ++i) {
    if (!ResponseAnisotropic(model,
                             layers.rho.data(),
                             layers.h.data(),
                             layers.n,
                             periods[i],
                             ui,
                             a)) {
      all = false;
      if (i > 0) {
        out[i] = out[i - 1];
        if (tables != nullptr) tables[i] = tables[i - 1];
      }
      continue;
    }
    const Complex z[4] = {a.zxy, a.zyx, a.mean, a.eff};
    for (int p = 0; p < kCurveModes; ++p) {
      out[i].mode[p] = {z[p], a.table[kRhoXy + p], a.table[kPhaseXy + p]};
    }
    out[i].has_tensor = true;
    out[i].zxx = a.zxx;
    out[i].zxy = a.zxy;
    out[i].zyx = a.zyx;
    out[i].zyy = a.zyy;
    if (tables != nullptr) tables[i] = a.table;
  }
  return all;
}

int PeriodGridCount(double tmin, double tmax) {
  double n = std::ceil(20.0 * std::log10(tmax / tmin)) + 2.0;
  if (!(n > 0.0)) return 0;
  return static_cast<int>(std::min<double>(n, MaxCurvePeriods));
}

double GridPeriod(double tmin, int i) {
  return tmin * std::pow(10.0, 0.05 * i);
}

double ModelCurveDriver(DriverMode mode,
                        Workspace& workspace,
                        LayerModels& models,
                        Ui& ui,
                        const FieldSet* set,
                        FitResponse* fit,
                        const MisfitFunction& misfit,
                        bool store_grid) {
  const int current =
      std::clamp<int>(workspace.current_model, 0, MaxModels - 1);
  LayerModel& model = models[current];
  const bool fitting = mode == DriverMode::kFitting;
  const ModelLayers layers = WorkingLayers(model, workspace.physics);
  const ForwardPath path = ChoosePath(model, fitting);
  const double tmin = model.period_min;
  const int n = store_grid ? PeriodGridCount(tmin, model.period_max) : 0;

  ModelCurve& curve = model.curve;
  std::array<double, MaxCurvePeriods> periods{};
  for (int i = 0; i < n; ++i) periods[i] = GridPeriod(tmin, i);
  std::array<PeriodResponse, MaxCurvePeriods> responses{};
  std::array<AnisoResponseTable, MaxCurvePeriods> tables{};
  ComputeResponses(model,
                   layers,
                   path,
                   periods.data(),
                   n,
                   ui,
                   responses.data(),
                   tables.data());
  for (int i = 0; i < n; ++i) {
    StorePeriod(curve,
                i,
                periods[i],
                responses[i],
                path == ForwardPath::kAnisotropic,
                tables[i]);
  }
  if (store_grid) {
    curve.count = static_cast<std::int16_t>(n);
    curve.computed = 1;
  }

  if (!fitting) {
    ShowSelectedPolarisation(workspace, models);
    return 0.0;
  }
  if (set == nullptr || fit == nullptr) return 0.0;
  fit->count = std::clamp(set->count, 0, MaxFreq);
  std::array<double, MaxFreq> field_periods{};
  std::array<Response1D, MaxFreq> at_field{};
  for (int i = 0; i < fit->count; ++i) field_periods[i] = 1.0 / set->freq[i];
  NoDispersionKernel(
      layers.rho.data(), layers.h.data(), layers.n, layers.physics)
      .Evaluate(field_periods.data(), fit->count, at_field.data());
  for (int i = 0; i < fit->count; ++i) {
    fit->re_z[i] = at_field[i].z.re;
    fit->im_z[i] = at_field[i].z.im;
    fit->rho_a[i] = at_field[i].rho_a;
    fit->phase[i] = at_field[i].phase;
  }
  return misfit ? misfit(*set, *fit) : 0.0;
}

void ShowSelectedPolarisation(const Workspace& workspace, LayerModels& models) {
  const int p = std::clamp<int>(workspace.polarisation, 0, kCurveModes - 1);
  for (LayerModel& m : models) {
    if (m.curve.computed) CopySelectedPolarisation(m.curve, p);
  }
}

void UpdateCurveFlags(Workspace& workspace, const LayerModels& models) {
  workspace.any_curve_computed = 0;
  for (const LayerModel& m : models) {
    if (m.curve.computed) workspace.any_curve_computed = 1;
  }
}

}  // namespace mtvuk
