// Layered models given on the command line: a compact layer list or a JSON
// model file (see docs/model-json.md).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "core/store/layer_model.h"

namespace mtvuk::cli {

// "rho1:h1,rho2:h2,...,rhoN": Ohm-m and km, the last entry the half-space.
bool ModelFromLayerSpec(const std::string& spec,
                        LayerModel& model,
                        std::string& error);
bool ModelFromJson(const nlohmann::json& json,
                   LayerModel& model,
                   std::string& error);
bool ModelFromJsonFile(const std::string& path,
                       LayerModel& model,
                       std::string& error);

// A model as the defaults of a new session give it, before the caller's
// layers: generic layer values and the name "MODEL 1".
LayerModel DefaultCliModel();
// Fills the layers beyond the count with the half-space and sets the limits
// and anisotropic resistivities that follow from the layers.
void FinishModel(LayerModel& model);

}  // namespace mtvuk::cli
