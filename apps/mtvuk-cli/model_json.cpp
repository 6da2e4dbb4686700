#include "model_json.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <sstream>

#include "core/modelform/model_form_logic.h"
#include "core/modelform/modeling_dialogs.h"
#include "core/platform/c_number.h"
#include "core/store/store_defaults.h"

namespace mtvuk::cli {
namespace {

bool Positive(double v) { return std::isfinite(v) && v > 0.0; }

// A key the format does not know is an error: a misspelt "thikness_km"
// must not leave its layer at the default thickness.
bool OnlyKnownKeys(const nlohmann::json& j,
                   std::initializer_list<const char*> known,
                   std::string& error,
                   const std::string& where) {
  for (const auto& item : j.items()) {
    bool found = false;
    for (const char* k : known) found = found || item.key() == k;
    if (!found) {
      error = where + "unknown key \"" + item.key() + "\"";
      return false;
    }
  }
  return true;
}

// A value the model editor would not accept in that cell is refused with
// the editor's range message.
bool InEditorRange(double value,
                   int row,
                   Column column,
                   int law,
                   const std::string& where,
                   std::string& error) {
  const CellRange r = EditorCellRange(row, column, law);
  if (value >= r.min && value <= r.max) return true;
  error = where + NumberRangeMessage(r.min, r.max, EditorCellIsFloat(column));
  return false;
}

// Layers whose resistivity limits the file gives; the others get the wide
// limits of FinishModel.
thread_local std::array<bool, MaxLayers> limits_given_{};

// Reads an optional number; false (with the error set) when present but not
// a number.
bool OptionalNumber(const nlohmann::json& j,
                    const char* key,
                    double& value,
                    std::string& error,
                    const std::string& where) {
  if (!j.contains(key)) return true;
  if (!j[key].is_number()) {
    error = where + "\"" + key + "\" must be a number";
    return false;
  }
  value = j[key].get<double>();
  return true;
}

bool OptionalBool(const nlohmann::json& j,
                  const char* key,
                  std::int32_t& value,
                  std::string& error,
                  const std::string& where) {
  if (!j.contains(key)) return true;
  if (j[key].is_boolean()) {
    value = j[key].get<bool>() ? 1 : 0;
    return true;
  }
  if (j[key].is_number_integer()) {
    value = j[key].get<int>() != 0 ? 1 : 0;
    return true;
  }
  error = where + "\"" + key + "\" must be true or false";
  return false;
}

bool ReadLayer(const nlohmann::json& layer,
               int j,
               bool last,
               LayerModel& m,
               std::string& error) {
  const std::string where = "layer " + std::to_string(j + 1) + ": ";
  if (!layer.is_object()) {
    error = where + "must be an object";
    return false;
  }
  if (!OnlyKnownKeys(layer,
                     {"rho",
                      "thickness_km",
                      "fix_rho",
                      "fix_thickness",
                      "rho_min",
                      "rho_max",
                      "thickness_min",
                      "thickness_max",
                      "ip",
                      "aniso"},
                     error,
                     where)) {
    return false;
  }
  double rho = m.resistivity[j];
  double h = m.thickness[j];
  if (!OptionalNumber(layer, "rho", rho, error, where) ||
      !OptionalNumber(layer, "thickness_km", h, error, where)) {
    return false;
  }
  if (!Positive(rho) || !Positive(h)) {
    error = where + "resistivity and thickness must be positive";
    return false;
  }
  if (!InEditorRange(
          rho, j, Column::kResistivity, m.law, where + "rho: ", error) ||
      (!last &&
       !InEditorRange(
           h, j, Column::kThickness, m.law, where + "thickness_km: ", error))) {
    return false;
  }
  m.resistivity[j] = rho;
  m.thickness[j] = h;
  m.aniso_rho1[j] = m.aniso_rho2[j] = static_cast<float>(rho);
  double rho_min = -1.0, rho_max = -1.0, h_min = m.thickness_min[j],
         h_max = m.thickness_max[j];
  if (!OptionalBool(layer, "fix_rho", m.fix_resistivity[j], error, where) ||
      !OptionalBool(layer, "fix_thickness", m.fix_thickness[j], error, where) ||
      !OptionalNumber(layer, "rho_min", rho_min, error, where) ||
      !OptionalNumber(layer, "rho_max", rho_max, error, where) ||
      !OptionalNumber(layer, "thickness_min", h_min, error, where) ||
      !OptionalNumber(layer, "thickness_max", h_max, error, where)) {
    return false;
  }
  if (rho_min >= 0.0 || rho_max >= 0.0) {
    if (!Positive(rho_min) || !Positive(rho_max) || rho_min > rho_max) {
      error = where +
              "\"rho_min\" and \"rho_max\" must both be given, positive, min "
              "<= max";
      return false;
    }
    limits_given_[j] = true;
    m.resistivity_min[j] = ToF32(rho_min);
    m.resistivity_max[j] = ToF32(rho_max);
  }
  if (!Positive(h_min) || !Positive(h_max) || h_min > h_max) {
    error = where + "thickness limits must be positive, min <= max";
    return false;
  }
  m.thickness_min[j] = ToF32(h_min);
  m.thickness_max[j] = ToF32(h_max);
  if (layer.contains("ip")) {
    const nlohmann::json& ip = layer["ip"];
    double p1 = m.ip_p1[j][0], tau = m.ip_tau[j][0], c = m.ip_c[j][0];
    if (!ip.is_object() ||
        !OnlyKnownKeys(ip, {"on", "p1", "tau", "c"}, error, where + "ip: ") ||
        !OptionalBool(ip, "on", m.ip_on[j], error, where + "ip: ") ||
        !OptionalNumber(ip, "p1", p1, error, where + "ip: ") ||
        !OptionalNumber(ip, "tau", tau, error, where + "ip: ") ||
        !OptionalNumber(ip, "c", c, error, where + "ip: ")) {
      if (error.empty()) error = where + "\"ip\" must be an object";
      return false;
    }
    if (!InEditorRange(p1, j, Column::kEh, m.law, where + "ip.p1: ", error) ||
        !InEditorRange(
            tau, j, Column::kTau, m.law, where + "ip.tau: ", error) ||
        !InEditorRange(c, j, Column::kC, m.law, where + "ip.c: ", error)) {
      return false;
    }
    m.ip_p1[j][0] = ToF32(p1);
    m.ip_tau[j][0] = ToF32(tau);
    m.ip_c[j][0] = ToF32(c);
  }
  if (layer.contains("aniso")) {
    const nlohmann::json& an = layer["aniso"];
    double r1 = rho, r2 = rho, strike = 0.0;
    if (!an.is_object() ||
        !OnlyKnownKeys(an,
                       {"on", "rho1", "rho2", "strike_deg"},
                       error,
                       where + "aniso: ") ||
        !OptionalBool(an, "on", m.aniso_on[j], error, where + "aniso: ") ||
        !OptionalNumber(an, "rho1", r1, error, where + "aniso: ") ||
        !OptionalNumber(an, "rho2", r2, error, where + "aniso: ") ||
        !OptionalNumber(an, "strike_deg", strike, error, where + "aniso: ")) {
      if (error.empty()) error = where + "\"aniso\" must be an object";
      return false;
    }
    if (!Positive(r1) || !Positive(r2) || !std::isfinite(strike)) {
      error = where + "anisotropic resistivities must be positive";
      return false;
    }
    if (!InEditorRange(
            r1, j, Column::kRho1, m.law, where + "aniso.rho1: ", error) ||
        !InEditorRange(
            r2, j, Column::kRho2, m.law, where + "aniso.rho2: ", error) ||
        !InEditorRange(strike,
                       j,
                       Column::kAngle,
                       m.law,
                       where + "aniso.strike_deg: ",
                       error)) {
      return false;
    }
    m.aniso_rho1[j] = ToF32(r1);
    m.aniso_rho2[j] = ToF32(r2);
    m.aniso_strike[j] = ToF32(strike);
  }
  return true;
}

}  // namespace

LayerModel DefaultCliModel() {
  LayerModel m;
  m.name = "MODEL 1";
  return m;
}

void FinishModel(LayerModel& m) {
  for (int j = m.layer_count; j < MaxLayers; ++j) {
    m.resistivity[j] = m.resistivity[m.layer_count - 1];
    m.aniso_rho1[j] = m.aniso_rho2[j] = static_cast<float>(m.resistivity[j]);
  }
  // Resistivities not limited by the file get the limits of a new session
  // (widened to their start value, when that lies outside).
  for (int j = 0; j < MaxLayers; ++j) {
    if (limits_given_[j]) continue;
    m.resistivity_min[j] =
        std::min(kNewSessionRhoMin, static_cast<float>(m.resistivity[j]));
    m.resistivity_max[j] =
        std::max(kNewSessionRhoMax, static_cast<float>(m.resistivity[j]));
  }
  limits_given_.fill(false);
}

bool ModelFromLayerSpec(const std::string& spec,
                        LayerModel& model,
                        std::string& error) {
  LayerModel m = DefaultCliModel();
  std::stringstream in(spec);
  std::string item;
  int n = 0;
  int without_thickness = -1;  // the first layer given without one
  while (std::getline(in, item, ',')) {
    if (n == MaxLayers) {
      error = "a model has at most 16 layers";
      return false;
    }
    std::size_t colon = item.find(':');
    std::string rho_text = item.substr(0, colon);
    char* end = nullptr;
    double rho = std::strtod(rho_text.c_str(), &end);
    if (rho_text.empty() || *end != '\0' || !Positive(rho)) {
      error = "layer " + std::to_string(n + 1) + ": bad resistivity '" +
              rho_text + "'";
      return false;
    }
    m.resistivity[n] = rho;
    if (colon != std::string::npos) {
      std::string h_text = item.substr(colon + 1);
      double h = std::strtod(h_text.c_str(), &end);
      if (h_text.empty() || *end != '\0' || !Positive(h)) {
        error = "layer " + std::to_string(n + 1) + ": bad thickness '" +
                h_text + "'";
        return false;
      }
      m.thickness[n] = h;
    } else if (without_thickness < 0) {
      without_thickness = n;
    }
    ++n;
  }
  if (without_thickness >= 0 && without_thickness + 1 < n) {
    error = "layer " + std::to_string(without_thickness + 1) +
            ": no thickness (write rho:h; only the last layer, the "
            "half-space, has none)";
    return false;
  }
  if (n == 0) {
    error = "no layers given";
    return false;
  }
  m.layer_count = static_cast<std::int16_t>(n);
  for (int j = 0; j < n; ++j) {
    const std::string where = "layer " + std::to_string(j + 1) + ": ";
    if (!InEditorRange(m.resistivity[j],
                       j,
                       Column::kResistivity,
                       m.law,
                       where + "rho: ",
                       error) ||
        (j + 1 < n && !InEditorRange(m.thickness[j],
                                     j,
                                     Column::kThickness,
                                     m.law,
                                     where + "thickness: ",
                                     error))) {
      return false;
    }
    m.aniso_rho1[j] = m.aniso_rho2[j] = static_cast<float>(m.resistivity[j]);
  }
  FinishModel(m);
  model = m;
  return true;
}

bool ModelFromJson(const nlohmann::json& j,
                   LayerModel& model,
                   std::string& error) {
  LayerModel m = DefaultCliModel();
  if (!j.is_object()) {
    error = "the model must be a JSON object";
    return false;
  }
  if (!OnlyKnownKeys(
          j,
          {"name", "law", "dispersion", "anisotropy", "tmin", "tmax", "layers"},
          error,
          "")) {
    return false;
  }
  if (j.contains("name")) {
    if (!j["name"].is_string()) {
      error = "\"name\" must be a string";
      return false;
    }
    m.name = j["name"].get<std::string>();
  }
  double law = m.law, tmin = m.period_min, tmax = m.period_max;
  if (!OptionalNumber(j, "law", law, error, "") ||
      !OptionalBool(j, "dispersion", m.dispersion_on, error, "") ||
      !OptionalBool(j, "anisotropy", m.anisotropy_on, error, "") ||
      !OptionalNumber(j, "tmin", tmin, error, "") ||
      !OptionalNumber(j, "tmax", tmax, error, "")) {
    return false;
  }
  if (law != std::floor(law) || law < 0 || law > 3) {
    error = "\"law\" must be 0, 1, 2 or 3";
    return false;
  }
  m.law = static_cast<std::int32_t>(law);
  m.period_min = ToF32(tmin);
  m.period_max = ToF32(tmax);
  if (!j.contains("layers") || !j["layers"].is_array() || j["layers"].empty() ||
      j["layers"].size() > MaxLayers) {
    error = "\"layers\" must be an array of 1 to 16 layers";
    return false;
  }
  const nlohmann::json& layers = j["layers"];
  for (std::size_t i = 0; i < layers.size(); ++i) {
    if (!ReadLayer(
            layers[i], static_cast<int>(i), i + 1 == layers.size(), m, error)) {
      return false;
    }
  }
  m.layer_count = static_cast<std::int16_t>(layers.size());
  // Without the switches the layers' boxes decide, as in the editor: a
  // model with an IP layer is dispersive, one with an anisotropic layer
  // anisotropic.
  for (int i = 0; i < m.layer_count; ++i) {
    if (!j.contains("dispersion") && m.ip_on[i]) m.dispersion_on = 1;
    if (!j.contains("anisotropy") && m.aniso_on[i]) m.anisotropy_on = 1;
  }
  FinishModel(m);
  model = m;
  return true;
}

bool ModelFromJsonFile(const std::string& path,
                       LayerModel& model,
                       std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  nlohmann::json j = nlohmann::json::parse(in, nullptr, false);
  if (j.is_discarded()) {
    error = path + " is not valid JSON";
    return false;
  }
  return ModelFromJson(j, model, error);
}

}  // namespace mtvuk::cli
