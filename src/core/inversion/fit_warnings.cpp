#include "core/inversion/fit_warnings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace mtvuk {
namespace {

// How close (natural log) a parameter must be to a limit to sit on it.
constexpr double kAtLimit = 1e-4;
constexpr int kListedPeriods = 6;

enum Cause {
  kEdited,
  kNotANumber,
  kOutsidePeriods,
  kNoErrorBar,
  kSign,
  kCauses
};

const char* const kCauseText[kCauses] = {"edited away",
                                         "not a number",
                                         "outside the period range",
                                         "no error bar",
                                         "a sign the target cannot fit"};

bool Finite(float v) { return std::isfinite(v); }

Cause CauseOf(const FieldSet& s, int i, int used, int target) {
  if (i >= used || s.point_deleted[i]) return kEdited;
  if (!(Finite(s.freq[i]) && s.freq[i] > 0.0f)) return kOutsidePeriods;
  const bool impedance = target >= 1 && target <= 3;
  if (impedance ? !(Finite(s.re_z[i]) && Finite(s.im_z[i]))
                : !(Finite(s.log_rho[i]) && Finite(s.phase[i])))
    return kNotANumber;
  if (impedance && (s.re_z[i] <= 0.0f || s.im_z[i] <= 0.0f || !s.re_z_sign[i] ||
                    !s.im_z_sign[i]))
    return kSign;
  if (target == 5 && !s.phase_sign[i]) return kSign;
  return kNoErrorBar;
}

}  // namespace

std::vector<std::string> PointsLeftOut(const FieldSet& s,
                                       int used,
                                       const FitTerms& terms,
                                       int target) {
  const int count = std::clamp(s.count, 0, MaxFreq);
  std::array<bool, MaxFreq> weighed{};
  for (int k = 0; k < terms.count; ++k)
    if (terms.weight[k] != 0.0) weighed[terms.period[k]] = true;
  std::array<std::vector<int>, kCauses> points;
  for (int i = 0; i < count; ++i)
    if (!weighed[i]) points[CauseOf(s, i, used, target)].push_back(i);
  std::vector<std::string> out;
  for (int c = 0; c < kCauses; ++c) {
    const std::vector<int>& p = points[c];
    if (p.empty()) continue;
    std::string text = std::to_string(p.size()) +
                       (p.size() == 1 ? " point" : " points") + " left out (" +
                       kCauseText[c] + "), periods";
    for (std::size_t k = 0; k < p.size() && k < kListedPeriods; ++k) {
      char period[32];
      std::snprintf(period, sizeof period, " %.3g", 1.0 / s.freq[p[k]]);
      text += period;
    }
    if (p.size() > kListedPeriods) text += " ...";
    text += " s";
    out.push_back(text);
  }
  return out;
}

std::vector<std::string> ParametersAtLimits(const LayerModel& model) {
  const InversionParameters& ip = model.params;
  std::vector<std::string> out;
  auto check = [&](int k, int layer, bool thickness) {
    if (k < 0 || k >= ip.count) return;
    const double p = ip.p[k];
    const double lower = std::log(static_cast<double>(ip.lower[k]));
    const double upper = std::log(static_cast<double>(ip.upper[k]));
    const char* which = nullptr;
    double limit = 0.0;
    if (p <= lower + kAtLimit) {
      which = "lower";
      limit = ip.lower[k];
    } else if (p >= upper - kAtLimit) {
      which = "upper";
      limit = ip.upper[k];
    }
    if (!which) return;
    char text[128];
    std::snprintf(text,
                  sizeof text,
                  "layer %d %s at its %s limit %g %s",
                  layer + 1,
                  thickness ? "thickness" : "resistivity",
                  which,
                  limit,
                  thickness ? "km" : "Ohm-m");
    out.push_back(text);
  };
  const int n = std::clamp<int>(model.layer_count, 1, MaxLayers);
  for (int j = 0; j < n; ++j) {
    check(ip.rho_index[j], j, false);
    if (j + 1 < n) check(ip.h_index[j], j, true);
  }
  return out;
}

std::string SmallErrorBars(const FieldSet& s, const FitTerms& terms) {
  std::array<bool, MaxFreq> weighed{};
  for (int k = 0; k < terms.count; ++k)
    if (terms.weight[k] != 0.0) weighed[terms.period[k]] = true;
  int points = 0, small = 0;
  for (int i = 0; i < MaxFreq; ++i) {
    if (!weighed[i]) continue;
    ++points;
    if (DatumImpedanceError(s, i) < kSmallErrorBar) ++small;
  }
  if (points == 0 || 3 * small <= points) return "";
  char text[160];
  std::snprintf(text,
                sizeof text,
                "error bars below 1 %% of the value on %d of %d points",
                small,
                points);
  return text;
}

std::string PoorFit(double nrms, double floor_percent) {
  if (!(nrms > kPoorFitNrms)) return "";
  char text[160];
  std::snprintf(text,
                sizeof text,
                "nrms %.3g above %g with an error floor of %g %%: the model "
                "does not explain the data",
                nrms,
                kPoorFitNrms,
                floor_percent);
  return text;
}

std::string UnderDetermined(int data, int parameters) {
  if (data >= parameters) return "";
  char text[160];
  std::snprintf(text,
                sizeof text,
                "fewer usable data (%d) than free parameters (%d)",
                data,
                parameters);
  return text;
}

std::vector<std::string> FitWarnings(const FieldSet& set,
                                     int used,
                                     const FitTerms& terms,
                                     const LayerModel& model,
                                     int target,
                                     double nrms,
                                     double floor_percent) {
  std::vector<std::string> out = PointsLeftOut(set, used, terms, target);
  for (const std::string& w : ParametersAtLimits(model)) out.push_back(w);
  for (const std::string& w :
       {SmallErrorBars(set, terms),
        PoorFit(nrms, floor_percent),
        UnderDetermined(terms.Weighted(), model.params.count)}) {
    if (!w.empty()) out.push_back(w);
  }
  return out;
}

}  // namespace mtvuk
