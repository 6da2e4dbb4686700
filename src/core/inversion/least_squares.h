// Levenberg-Marquardt on exact Jacobians (Marquardt 1963, with the
// gain-ratio damping of Nielsen 1999), bounds kept by projection; and the
// problem it solves for a layered model: the misfit of its free parameters
// against a field set. The robust method and the equivalence ranges both
// fit with it.
#pragma once

#include <array>
#include <functional>
#include <limits>
#include <vector>

#include "core/inversion/fit_misfit.h"
#include "core/inversion/sensitivity.h"
#include "core/platform/ui.h"

namespace mtvuk {

using LmVector = std::array<double, kMaxParameters>;

// A bounded least-squares problem: S(p) = sum of the squared residuals.
class LeastSquaresProblem {
 public:
  virtual ~LeastSquaresProblem() = default;
  virtual int parameters() const = 0;
  virtual double lower(int k) const = 0;
  virtual double upper(int k) const = 0;
  // S at p, with the residuals and their Jacobian.
  virtual double Evaluate(const double* p, FitResiduals& residuals) = 0;
};

// The misfit of a model's parameter vector (built, with its limits): the
// model's layers with the parameters written in, the response and its
// sensitivities at the used field periods. The set is copied, so that
// nothing stored changes.
class ModelFitProblem : public LeastSquaresProblem {
 public:
  ModelFitProblem(const MisfitSettings& settings,
                  const FieldSet& set,
                  int used,
                  const LayerModel& model);
  int parameters() const override { return m_; }
  double lower(int k) const override { return lower_[k]; }
  double upper(int k) const override { return upper_[k]; }
  bool thickness(int k) const { return model_.params.kind[k] == 2; }
  double Evaluate(const double* p, FitResiduals& residuals) override;
  // The layers of a parameter vector (layers below the count continue the
  // half-space).
  void Layers(const double* p,
              LayerArray<double>& rho,
              LayerArray<double>& h) const;
  const LayerModel& model() const { return model_; }
  // The data terms of the last evaluation.
  const FitTerms& terms() const { return terms_; }

 private:
  MisfitSettings settings_;
  FieldSet set_;
  const LayerModel& model_;
  ParameterColumns columns_;
  int used_ = 0;
  int m_ = 0;
  std::array<double, MaxFreq> periods_{};
  std::array<PeriodSensitivity, MaxFreq> sens_;
  FitResponse fit_;
  FitTerms terms_;
  LmVector lower_{}, upper_{};
};

struct LmOptions {
  int amount = 30;  // iterations
  // A run stops as soon as S is at or below this (a caller that only asks
  // whether the misfit can get there).
  double stop_below = -std::numeric_limits<double>::infinity();
  // A run stops when a step lowers S by less than this fraction.
  double relative_decrease = 1e-6;
};

struct LmOutcome {
  LmVector p{};
  std::vector<double> history;  // S of the start and of each accepted step
  int cancelled_at = 0;         // the iteration Esc stopped, 0 if none
};

// One run from p0. Damping is added to the normal matrix in proportion to
// its diagonal (Marquardt's scaling); a trial that does not lower the
// misfit is refused and the damping raised; the gain ratio of an accepted
// step lowers it (Nielsen 1999). `step` is told of the start (0) and of
// every accepted iteration.
LmOutcome RunLevenbergMarquardt(
    LeastSquaresProblem& problem,
    const LmVector& p0,
    const LmOptions& options,
    Ui& ui,
    const std::function<void(int iteration, double misfit)>& step = {});

}  // namespace mtvuk
