#include "core/bayes/bayes_json.h"

#include <cmath>

namespace mtvuk {
namespace {

using Json = nlohmann::ordered_json;

// Numbers rounded to what the figures carry, so that the files stay small.
double Round(double v, double digits) {
  if (!std::isfinite(v)) return v;
  const double s = std::pow(10.0, digits);
  return std::round(v * s) / s;
}

Json Rounded(const std::vector<double>& values, double digits) {
  Json a = Json::array();
  for (double v : values) {
    if (std::isfinite(v)) {
      a.push_back(Round(v, digits));
    } else {
      a.push_back(nullptr);
    }
  }
  return a;
}

// An array of numbers (null read as NaN); false when `a` is none.
bool Numbers(const Json& a, std::vector<double>& out) {
  out.clear();
  if (!a.is_array()) return false;
  for (const Json& v : a) {
    if (v.is_number()) {
      out.push_back(v.get<double>());
    } else if (v.is_null()) {
      out.push_back(NAN);
    } else {
      return false;
    }
  }
  return true;
}

bool Numbers(const Json& j, const char* key, std::vector<double>& out) {
  return j.contains(key) && Numbers(j[key], out);
}

template <typename T>
bool Number(const Json& j, const char* key, T& out) {
  if (!j.contains(key) || !j[key].is_number()) return false;
  out = j[key].get<T>();
  return true;
}

}  // namespace

Json BayesResultJson(const BayesResult& r,
                     const BayesOptions& o,
                     bool density) {
  Json j;
  j["data"] = r.data_count / 2;  // periods
  j["error_floor_percent"] = o.error_floor_percent;
  j["seed"] = o.seed;
  j["iterations"] = o.iterations;
  j["burn_in"] = o.BurnIn();
  j["thin"] = o.thin;
  j["chains"] = o.chains;
  j["hot_chains"] = o.hot_chains;
  j["max_layers"] = o.max_layers;
  j["log_rho_min"] = o.log_rho_min;
  j["log_rho_max"] = o.log_rho_max;
  j["samples"] = r.samples;
  j["min_depth_km"] = r.min_depth_km;
  j["max_depth_km"] = r.max_depth_km;
  j["layer_mode"] = r.layer_mode;
  j["layer_histogram"] = Rounded(r.layer_histogram, 5);
  j["rhat_misfit"] =
      std::isfinite(r.rhat_misfit) ? Json(r.rhat_misfit) : Json(nullptr);
  j["rhat_layers"] =
      std::isfinite(r.rhat_layers) ? Json(r.rhat_layers) : Json(nullptr);
  j["warning"] = r.warning;
  Json moves;
  for (int m = 0; m < kBayesMoves; ++m) {
    if (r.moves[m].proposed == 0) continue;
    moves[BayesMoveName(static_cast<BayesMove>(m))] =
        Round(r.moves[m].Rate(), 4);
  }
  j["acceptance"] = moves;
  j["swap_acceptance"] = Round(r.swaps.Rate(), 4);
  j["best_chi2"] = r.best.chi2;
  Json best = Json::array();
  for (std::size_t l = 0; l < r.best.log_rho.size(); ++l) {
    Json layer;
    layer["rho"] = Round(std::pow(10.0, r.best.log_rho[l]), 4);
    const double top = l == 0 ? 0.0 : r.best.interface_km[l - 1];
    if (l < r.best.interface_km.size())
      layer["thickness_km"] = Round(r.best.interface_km[l] - top, 6);
    best.push_back(layer);
  }
  j["best_model"] = best;
  j["depth_km"] = Rounded(r.depth_km, 6);
  j["p05"] = Rounded(r.p05, 4);
  j["p50"] = Rounded(r.p50, 4);
  j["p95"] = Rounded(r.p95, 4);
  j["mean"] = Rounded(r.mean, 4);
  j["interface_probability"] = Rounded(r.interface_probability, 5);
  Json traces = Json::array();
  for (const auto& t : r.misfit_trace) traces.push_back(Rounded(t, 3));
  j["misfit_trace"] = traces;
  if (!r.noise_scale_trace.empty())
    j["noise_scale"] = Rounded(r.noise_scale_trace, 4);
  if (density) {
    j["log_rho_bins"] = Rounded(r.log_rho_bin, 5);
    Json rows = Json::array();
    const std::size_t bins = r.log_rho_bin.size();
    for (std::size_t c = 0; c < r.depth_km.size(); ++c) {
      rows.push_back(
          Rounded(std::vector<double>(r.density.begin() + c * bins,
                                      r.density.begin() + (c + 1) * bins),
                  5));
    }
    j["density"] = rows;
  }
  return j;
}

bool ReadBayesResultJson(const Json& j,
                         BayesResult& r,
                         BayesOptions& o,
                         std::string& error) {
  r = BayesResult{};
  o = BayesOptions{};
  int data = 0, burn_in = 0;
  error = "not a posterior with its density";
  if (!j.is_object() || !Number(j, "data", data) ||
      !Number(j, "iterations", o.iterations) ||
      !Number(j, "burn_in", burn_in) || !Number(j, "thin", o.thin) ||
      !Number(j, "chains", o.chains) ||
      !Number(j, "hot_chains", o.hot_chains) ||
      !Number(j, "max_layers", o.max_layers) ||
      !Number(j, "log_rho_min", o.log_rho_min) ||
      !Number(j, "log_rho_max", o.log_rho_max) ||
      !Number(j, "error_floor_percent", o.error_floor_percent) ||
      !Number(j, "samples", r.samples) ||
      !Number(j, "min_depth_km", r.min_depth_km) ||
      !Number(j, "max_depth_km", r.max_depth_km) ||
      !Number(j, "layer_mode", r.layer_mode) ||
      !Numbers(j, "layer_histogram", r.layer_histogram) ||
      !Numbers(j, "depth_km", r.depth_km) || !Numbers(j, "p05", r.p05) ||
      !Numbers(j, "p50", r.p50) || !Numbers(j, "p95", r.p95) ||
      !Numbers(j, "interface_probability", r.interface_probability) ||
      !Numbers(j, "log_rho_bins", r.log_rho_bin) || !j.contains("density") ||
      !j["density"].is_array() || !j.contains("misfit_trace") ||
      !j["misfit_trace"].is_array() || !j.contains("best_model") ||
      !j["best_model"].is_array()) {
    return false;
  }
  o.burn_in = burn_in;
  if (j.contains("seed") && j["seed"].is_number_unsigned())
    o.seed = j["seed"].get<std::uint64_t>();
  r.data_count = 2 * data;
  Number(j, "best_chi2", r.best.chi2);
  if (j.contains("warning") && j["warning"].is_string())
    r.warning = j["warning"].get<std::string>();
  const std::size_t cells = r.depth_km.size(), bins = r.log_rho_bin.size();
  if (cells < 2 || bins < 2 || j["density"].size() != cells ||
      r.p05.size() != cells || r.p50.size() != cells || r.p95.size() != cells ||
      r.interface_probability.size() != cells) {
    error = "the depth cells of the posterior do not fit together";
    return false;
  }
  std::vector<double> row;
  for (const Json& d : j["density"]) {
    if (!Numbers(d, row) || row.size() != bins) {
      error = "a row of the density has not one value per resistivity bin";
      return false;
    }
    r.density.insert(r.density.end(), row.begin(), row.end());
  }
  for (const Json& t : j["misfit_trace"]) {
    if (!Numbers(t, row)) return false;
    r.misfit_trace.push_back(row);
  }
  double top = 0.0;
  for (const Json& layer : j["best_model"]) {
    double rho = 0.0, h = 0.0;
    if (!Number(layer, "rho", rho) || !(rho > 0.0)) return false;
    r.best.log_rho.push_back(std::log10(rho));
    if (Number(layer, "thickness_km", h)) {
      top += h;
      r.best.interface_km.push_back(top);
    }
  }
  error.clear();
  return true;
}

}  // namespace mtvuk
