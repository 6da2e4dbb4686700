// Resistivity and conductance against depth from apparent-resistivity
// curves: the Bostick (1977) transformation of the smoothed field curves and
// of the model curves, in the form of Niblett and Bostick with the slope of
// the curve.
#pragma once

#include "core/store/workspace.h"

namespace mtvuk {

// Depth of a point in metres as published: -kDepthScale * sqrt(rho_a T /
// (4 pi)).
inline constexpr double kDepthScale = 1000.0;
inline constexpr double kOneOverFourPi = 0.07957747154594767;
// Corrected, the Niblett-Bostick depth of the textbooks: -sqrt(rho_a T /
// (2 pi mu0)) = -sqrt(rho_a T * kOneOverTwoPiMu0) (the published one is 0.79
// times it); 1 / (2 pi mu0) with mu0 = 4 pi 1e-7.
inline constexpr double kOneOverTwoPiMu0 = 126651.47955292223;

// The log marker of a missing profile value (10^-14).
inline constexpr float kMissingLog = -14.0f;

struct BostickPoint {
  double res = 0.0;    // Ohm-m
  double depth = 0.0;  // m, negative downwards
};

// One point from log10 rho_a, the slope d log rho_a / d log T and T (s).
BostickPoint Bostick(double log_rho,
                     double slope,
                     double period,
                     Physics physics = Physics::kPublished);

// The profile of one field set from its smoothed curve and slopes. Sets
// that hold no curve or whose depth switch is off are skipped.
void TransformFieldSet(FieldSet& set, Physics physics = Physics::kPublished);

// Slopes of a model curve from parabolas through consecutive triples,
// bounded below 0.9; a curve of fewer than 3 points keeps its slopes.
void ModelSlopes(LayerModel& model);

// The profile of one model from its curve and its slopes.
void TransformModel(LayerModel& model, Physics physics = Physics::kPublished);

// What the depth window runs on every refresh: the six sets, then the
// slopes and the profile of every shown model.
void TransformAll(FieldSets& sets,
                  LayerModels& models,
                  Physics physics = Physics::kPublished);

}  // namespace mtvuk
