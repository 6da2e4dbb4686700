#include "dimensionality_commands.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "core/dimensionality/dplus.h"
#include "core/dimensionality/static_shift.h"
#include "core/fielddata/sounding_list.h"
#include "core/physics/forward_1d.h"
#include "core/platform/console_ui.h"
#include "core/store/store_defaults.h"
#include "field_commands.h"
#include "json_output.h"
#include "model_json.h"

namespace mtvuk::cli {
namespace {

using Json = nlohmann::ordered_json;

double RhoOf(const Complex& z, double period) {
  return Abs2(z) / (kTwoPi / period * kMu0);
}
double PhaseOf(const Complex& z) { return std::atan2(z.im, z.re) * kDegPerRad; }

// The layered model's impedance (Ohm) at the data periods.
bool LayeredResponse(const DPlusCliOptions& o,
                     const std::vector<ImpedanceDatum>& data,
                     std::vector<Complex>& out) {
  LayerModel model = DefaultCliModel();
  std::string error;
  const bool ok = o.layers.empty()
                      ? ModelFromJsonFile(o.model_file, model, error)
                      : ModelFromLayerSpec(o.layers, model, error);
  if (!ok) {
    std::fprintf(stderr, "mtvuk-cli dplus: %s\n", error.c_str());
    return false;
  }
  FinishModel(model);
  for (const ImpedanceDatum& d : data) {
    const Response1D r = ResponseNoDispersion(model.resistivity.data(),
                                              model.thickness.data(),
                                              model.layer_count,
                                              d.period,
                                              o.physics);
    out.push_back(Scale(r.z, 1.0 / kSiToField));
  }
  return true;
}

}  // namespace

int RunDPlus(const DPlusCliOptions& o) {
  if (!(o.floor_percent >= 0.0) || !(o.floor_percent < 100.0)) {
    std::fprintf(stderr, "mtvuk-cli dplus: --floor must lie in 0..100 %%\n");
    return kExitUsage;
  }
  auto stores = std::make_unique<Stores>();
  Workspace& ws = stores->workspace;
  ApplyStartDefaults(ws, stores->sets, stores->models);
  ws.physics = o.physics;
  ConsoleUi ui;
  if (!ReadSounding(o.file, ws, ui, o.import)) return kExitFailure;
  SoundingList list(ws, stores->sets, stores->models, ui);
  if (!list.SetTick(o.mode, true) || !list.Ok()) return kExitFailure;
  FieldSet& set = stores->sets[list.chosen_slot(o.mode)];
  if (!SetStaticShift(set, o.shift)) {
    std::fprintf(stderr, "mtvuk-cli dplus: --shift must be positive\n");
    return kExitUsage;
  }
  const std::vector<ImpedanceDatum> data =
      ImpedanceDataOf(set, o.floor_percent / 100.0);
  const DPlusResult r = FitDPlus(data);
  if (!r.ok) {
    std::fprintf(stderr, "mtvuk-cli dplus: %s\n", r.message.c_str());
    return kExitFailure;
  }
  const bool compare = !o.layers.empty() || !o.model_file.empty();
  std::vector<Complex> layered;
  if (compare && !LayeredResponse(o, data, layered)) return kExitUsage;
  const double layered_chi2 = compare ? ImpedanceChi2(data, layered) : 0.0;

  // The 1-D bound over the data's periods, 20 per decade.
  double tmin = HUGE_VAL, tmax = 0.0;
  for (const ImpedanceDatum& d : data) {
    tmin = std::min(tmin, d.period);
    tmax = std::max(tmax, d.period);
  }
  const int steps = static_cast<int>(std::ceil(20.0 * std::log10(tmax / tmin)));

  if (o.json) {
    Json j;
    j["file"] = o.file;
    j["mode"] = ModeName(o.mode);
    j["label"] = set.label;
    j["static_shift"] = set.static_shift;
    j["floor_percent"] = o.floor_percent;
    j["data"] = r.data;
    j["chi2"] = JsonNumber(r.chi2);
    j["expected_chi2"] = r.expected;
    j["chi2_95"] = r.limit;
    j["nrms"] = JsonNumber(r.nrms);
    j["one_d"] = r.one_d;
    j["verdict"] = r.message;
    j["converged"] = r.converged;
    if (compare) {
      j["layered"] = {{"chi2", JsonNumber(layered_chi2)},
                      {"nrms", JsonNumber(std::sqrt(layered_chi2 / r.data))}};
    }
    j["a0"] = r.model.a0;
    j["sheets"] = Json::array();
    for (size_t n = 0; n < r.model.a.size(); ++n) {
      j["sheets"].push_back(
          {{"lambda", r.model.lambda[n]}, {"a", r.model.a[n]}});
    }
    j["points"] = Json::array();
    for (size_t i = 0; i < data.size(); ++i) {
      const ImpedanceDatum& d = data[i];
      j["points"].push_back({{"period", d.period},
                             {"rho_a", RhoOf(d.z, d.period)},
                             {"phase", PhaseOf(d.z)},
                             {"relative_error", d.sigma / Abs(d.z)},
                             {"rho_a_dplus", RhoOf(r.fitted[i], d.period)},
                             {"phase_dplus", PhaseOf(r.fitted[i])},
                             {"chi2", r.residual[i]}});
    }
    j["bound"] = Json::array();
    for (int s = 0; s <= steps; ++s) {
      const double t = tmin * std::pow(10.0, 0.05 * s);
      const Complex z = r.model.Impedance(t);
      j["bound"].push_back(
          {{"period", t}, {"rho_a", RhoOf(z, t)}, {"phase", PhaseOf(z)}});
    }
    std::printf("%s\n", JsonText(j).c_str());
    return kExitOk;
  }
  std::printf(
      "# %s: D+ (best fit of any 1-D model), %d data, static shift %g\n",
      set.label.c_str(),
      r.data,
      static_cast<double>(set.static_shift));
  std::printf("%s\n", r.message.c_str());
  std::printf(
      "chi2 %.6g  expected %d  95%% point %.6g  nrms %.4g  sheets %zu\n",
      r.chi2,
      r.data,
      r.limit,
      r.nrms,
      r.model.a.size());
  if (compare) {
    std::printf("layered model: chi2 %.6g  nrms %.4g\n",
                layered_chi2,
                std::sqrt(layered_chi2 / r.data));
  }
  std::printf("%12s %12s %8s %7s %12s %8s %9s\n",
              "period_s",
              "rho_a",
              "phase",
              "err_%",
              "rho_a_D+",
              "phase_D+",
              "chi2");
  for (size_t i = 0; i < data.size(); ++i) {
    const ImpedanceDatum& d = data[i];
    std::printf("%12.5e %12.5g %8.3f %7.2f %12.5g %8.3f %9.3f\n",
                d.period,
                RhoOf(d.z, d.period),
                PhaseOf(d.z),
                100.0 * d.sigma / Abs(d.z),
                RhoOf(r.fitted[i], d.period),
                PhaseOf(r.fitted[i]),
                r.residual[i]);
  }
  return kExitOk;
}

int RunDimensionality(const DimensionalityCliOptions& o) {
  auto stores = std::make_unique<Stores>();
  Workspace& ws = stores->workspace;
  ApplyStartDefaults(ws, stores->sets, stores->models);
  ConsoleUi ui;
  if (!ReadSounding(o.file, ws, ui, o.import)) return kExitFailure;
  const std::vector<TensorInvariants> d =
      DimensionalityOf(ws.sounding, o.limits);
  int non_1d = 0;
  for (const TensorInvariants& t : d) non_1d += t.one_d ? 0 : 1;
  if (o.json) {
    Json j;
    j["file"] = o.file;
    j["station"] = ws.sounding.station;
    j["beta_limit_deg"] = o.limits.beta_deg;
    j["ellipticity_limit"] = o.limits.ellipticity;
    j["periods"] = d.size();
    j["non_1d"] = non_1d;
    j["points"] = Json::array();
    for (const TensorInvariants& t : d) {
      j["points"].push_back({{"period", t.period},
                             {"swift_skew", JsonNumber(t.swift_skew)},
                             {"bahr_skew", JsonNumber(t.bahr_skew)},
                             {"phi_max", JsonNumber(t.phi_max_deg)},
                             {"phi_min", JsonNumber(t.phi_min_deg)},
                             {"alpha", JsonNumber(t.alpha_deg)},
                             {"beta", JsonNumber(t.beta_deg)},
                             {"ellipticity", JsonNumber(t.ellipticity)},
                             {"one_d", t.one_d}});
    }
    std::printf("%s\n", JsonText(j).c_str());
    return kExitOk;
  }
  std::printf(
      "# %s: %zu periods, %d not 1-D (|beta| >= %g deg or "
      "ellipticity >= %g)\n",
      ws.sounding.station.c_str(),
      d.size(),
      non_1d,
      o.limits.beta_deg,
      o.limits.ellipticity);
  std::printf("%12s %8s %8s %8s %8s %8s %8s %8s %4s\n",
              "period_s",
              "swift",
              "bahr",
              "phi_max",
              "phi_min",
              "alpha",
              "beta",
              "ellipt",
              "1-D");
  for (const TensorInvariants& t : d) {
    std::printf("%12.5e %8.4f %8.4f %8.3f %8.3f %8.2f %8.3f %8.4f %4s\n",
                t.period,
                t.swift_skew,
                t.bahr_skew,
                t.phi_max_deg,
                t.phi_min_deg,
                t.alpha_deg,
                t.beta_deg,
                t.ellipticity,
                t.one_d ? "yes" : "no");
  }
  return kExitOk;
}

int RunShift(const ShiftCliOptions& o) {
  const ShiftTarget target = o.onto == "xy"   ? ShiftTarget::kOntoXY
                             : o.onto == "yx" ? ShiftTarget::kOntoYX
                                              : ShiftTarget::kGeometricMean;
  auto stores = std::make_unique<Stores>();
  Workspace& ws = stores->workspace;
  ApplyStartDefaults(ws, stores->sets, stores->models);
  ConsoleUi ui;
  if (!ReadSounding(o.file, ws, ui, o.import)) return kExitFailure;
  SoundingList list(ws, stores->sets, stores->models, ui);
  if (!list.SetTick(CurveMode::XY, true) ||
      !list.SetTick(CurveMode::YX, true) || !list.Ok()) {
    return kExitFailure;
  }
  const ShiftEstimate e =
      ShiftFromPolarisations(stores->sets[list.chosen_slot(CurveMode::XY)],
                             stores->sets[list.chosen_slot(CurveMode::YX)],
                             target,
                             o.periods);
  if (!e.ok) {
    std::fprintf(stderr, "mtvuk-cli shift: %s\n", e.message.c_str());
    return kExitFailure;
  }
  if (o.json) {
    Json j;
    j["file"] = o.file;
    j["onto"] = o.onto;
    j["points"] = e.points;
    j["spread_log10"] = e.spread;
    j["shift_xy"] = e.factor_xy;
    j["shift_yx"] = e.factor_yx;
    j["note"] = e.message;
    std::printf("%s\n", JsonText(j).c_str());
    return kExitOk;
  }
  std::printf("%s\n", e.message.c_str());
  std::printf(
      "shift xy %.6g  shift yx %.6g  (%d periods, spread %.3g in "
      "log10 rho_a)\n",
      e.factor_xy,
      e.factor_yx,
      e.points,
      e.spread);
  return kExitOk;
}

}  // namespace mtvuk::cli
