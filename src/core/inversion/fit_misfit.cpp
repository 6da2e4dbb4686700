#include "core/inversion/fit_misfit.h"

#include <algorithm>
#include <cmath>

namespace mtvuk {
namespace {

constexpr double kTiny = 1e-14;
constexpr double kRadPerDeg = 0.017453292519943295;
constexpr double kLn10 = 2.302585092994046;

double Log10Abs(double v) { return std::log10(std::fabs(v) + kTiny); }

bool PointUsable(const FieldSet& s, int i) { return s.point_deleted[i] == 0; }

// (w d)^2 of a term; a term without weight adds nothing, even where its
// difference is not finite (a switched-off point may hold any value).
double WeightedSquare(double w, double d) {
  return w == 0.0 ? 0.0 : (w * d) * (w * d);
}

// Error bars below 1 % of the value count as 1 %, as in the weights of
// the misfit (and as the relative impedance errors are stored): half of
// that bar in log10 units, and in radians of a phase.
constexpr double kFloorRelativeBar = 0.01;
constexpr double kFloorLogSigma = kFloorRelativeBar / (2.0 * kLn10);

// Half the error bar of log10 rho from its stored bounds; the upper half
// alone when the lower bound is not below the value (an error larger than
// the value).
double LogRhoSigma(const FieldSet& s, int i) {
  const double up = s.log_rho_upper[i], low = s.log_rho_lower[i];
  const double value = s.log_rho[i];
  double sigma = low < value && up > value ? (up - low) / 2.0 : up - value;
  return std::isfinite(sigma) && sigma > 0.0 ? std::max(sigma, kFloorLogSigma)
                                             : 0.0;
}

// The phase error in radians: the upper bound less the phase.
double PhaseSigma(const FieldSet& s, int i) {
  const double phase = s.phase[i];
  const double sigma = (std::pow(10.0, s.log_phase_upper[i]) - phase);
  return std::isfinite(sigma) && sigma > 0.0
             ? std::max(sigma, kFloorRelativeBar / 2.0 * phase) * kRadPerDeg
             : 0.0;
}

double ImpedanceSigma(float relative_error) {
  const double sigma = std::fabs(relative_error) / kLn10;
  return std::isfinite(sigma) && sigma > 0.0 ? sigma : 0.0;
}

}  // namespace

int FitTerms::Weighted() const {
  int n = 0;
  for (int i = 0; i < count; ++i) n += weight[i] != 0.0 ? 1 : 0;
  return n;
}

int EffectivePeriods(const FieldSet& set) {
  int n = std::clamp(set.count, 0, MaxFreq);
  while (n > 0 && set.point_deleted[n - 1]) --n;
  return std::clamp(n, 2, MaxFreq);
}

MisfitSettings MisfitSettingsOf(const Workspace& ws) {
  return {ws.inversion_target,
          ws.ignore_error_bars != 0,
          ws.re_weight,
          ws.rho_weight,
          ws.physics};
}

double FitMisfit(const MisfitSettings& settings,
                 FieldSet& s,
                 int used,
                 const FitResponse& fit,
                 FitTerms* terms) {
  const int target = settings.target;
  const bool ignore = settings.ignore_error_bars;
  const double w_re = settings.re_weight;
  const double w_rho = settings.rho_weight;
  used = std::min(used, fit.count);
  FitTerms local;
  FitTerms& t = terms ? *terms : local;
  t.count = 0;
  auto add = [&t](int i,
                  SensitivityQuantity q,
                  double model,
                  double field,
                  double residual,
                  double weight,
                  double share,
                  double sigma) {
    const int k = t.count++;
    t.model[k] = model;
    t.field[k] = field;
    t.residual[k] = residual;
    t.weight[k] = weight;
    t.share[k] = share;
    t.sigma[k] = sigma;
    t.period[k] = static_cast<std::int16_t>(i);
    t.quantity[k] = static_cast<std::int8_t>(q);
  };
  double sum = 0.0;
  if (target >= 1 && target <= 3) {
    for (int i = 0; i < used; ++i) {
      const double re_f = s.re_z[i], im_f = s.im_z[i];
      double wre = ignore ? 1.0 : 1.0 / (std::fabs(s.err_re[i]) + 0.01);
      double wim = ignore ? 1.0 : 1.0 / (std::fabs(s.err_im[i]) + 0.01);
      if (!PointUsable(s, i) || !(s.re_z_sign[i] && s.im_z_sign[i]))
        wre = wim = 0.0;
      if (re_f <= 0.0) wre = 0.0;
      if (im_f <= 0.0) wim = 0.0;
      const double dre =
          std::log10(std::fabs(fit.re_z[i]) / std::fabs(re_f) + kTiny);
      const double dim =
          std::log10(std::fabs(fit.im_z[i]) / std::fabs(im_f) + kTiny);
      auto re_term = [&](double share) {
        add(i,
            kSensReZ,
            Log10Abs(fit.re_z[i]),
            Log10Abs(re_f),
            dre,
            wre,
            share,
            ImpedanceSigma(s.err_re[i]));
      };
      auto im_term = [&](double share) {
        add(i,
            kSensImZ,
            Log10Abs(fit.im_z[i]),
            Log10Abs(im_f),
            dim,
            wim,
            share,
            ImpedanceSigma(s.err_im[i]));
      };
      if (target == 1) {
        sum += w_re * WeightedSquare(wre, dre) +
               (1.0 - w_re) * WeightedSquare(wim, dim);
        re_term(w_re);
        im_term(1.0 - w_re);
      } else if (target == 2) {
        sum += WeightedSquare(wre, dre);
        re_term(1.0);
      } else {
        sum += WeightedSquare(wim, dim);
        im_term(1.0);
      }
    }
  } else if (target == 4 || target == 5) {
    // The relative error of the resistivity is taken against the model's
    // value, at least 0.01.
    auto rel_rho = [&](int i) {
      double rel = std::fabs(std::pow(10.0, s.log_rho_upper[i]) -
                             std::pow(10.0, s.log_rho_lower[i])) /
                   (std::fabs(fit.rho_a[i]) + kTiny);
      return rel < 0.01 ? 0.01 : rel;
    };
    if (target == 4) {
      for (int i = 0; i < used; ++i) {
        double w = ignore ? 1.0 : 1.0 / rel_rho(i);
        if (!PointUsable(s, i)) w = 0.0;
        const double model = std::log10(std::fabs(fit.rho_a[i]) + kTiny);
        const double d = model - s.log_rho[i];
        sum += WeightedSquare(w, d);
        add(i,
            kSensRho,
            model,
            s.log_rho[i],
            d,
            w,
            1.0,
            LogRhoSigma(s, i));
      }
    } else {
      std::array<double, MaxFreq> wr{}, wp{};
      double sr = 0.0, sp = 0.0;
      for (int i = 0; i < used; ++i) {
        double relp = std::fabs(std::pow(10.0, s.log_phase_upper[i]) -
                                std::pow(10.0, s.log_phase_lower[i])) /
                      s.phase[i];
        if (!(relp >= 0.01)) relp = std::isnan(relp) ? relp : 0.01;
        wr[i] = ignore ? 1.0 : 1.0 / rel_rho(i);
        wp[i] = ignore ? 1.0 : 1.0 / relp;
        if (!PointUsable(s, i) || !s.phase_sign[i]) wr[i] = wp[i] = 0.0;
        sr += WeightedSquare(wr[i], s.log_rho[i]);
        const double wphase = wp[i] * s.phase[i] * kRadPerDeg;
        sp += wp[i] == 0.0 ? 0.0 : wphase * wphase;
      }
      const double scale = std::sqrt(sr / sp);
      for (int i = 0; i < used; ++i) {
        const double model_rho = std::log10(std::fabs(fit.rho_a[i]) + kTiny);
        const double dr = model_rho - s.log_rho[i];
        const double dp = (fit.phase[i] - s.phase[i]) * kRadPerDeg;
        sum += w_rho * WeightedSquare(wr[i], dr) +
               (1.0 - w_rho) * scale * WeightedSquare(wp[i], dp);
        add(i,
            kSensRho,
            model_rho,
            s.log_rho[i],
            dr,
            wr[i],
            w_rho,
            LogRhoSigma(s, i));
        // The phase term carries the scale of the misfit into the normal
        // equations too, so the two see the same balance.
        add(i,
            kSensPhase,
            fit.phase[i] * kRadPerDeg,
            s.phase[i] * kRadPerDeg,
            dp,
            wp[i],
            (1.0 - w_rho) * scale,
            PhaseSigma(s, i));
      }
    }
  }
  s.last_misfit = static_cast<float>(sum);
  return sum;
}

NormalizedRms NormalizedMisfit(const FitTerms& t) {
  double sum = 0.0;
  int n = 0;
  for (int k = 0; k < t.count; ++k) {
    if (t.weight[k] == 0.0 || !(t.sigma[k] > 0.0)) continue;
    const double r = t.residual[k] / t.sigma[k];
    sum += r * r;
    ++n;
  }
  return {n > 0 ? std::sqrt(sum / n) : std::nan(""), n};
}

ParameterColumns ColumnsOfParameters(const LayerModel& model) {
  ParameterColumns pc;
  const InversionParameters& p = model.params;
  pc.count = p.count;
  auto add = [&pc](int k, int column) {
    pc.column[k][pc.columns[k]++] = static_cast<std::int8_t>(column);
  };
  const int n = std::clamp<int>(model.layer_count, 1, MaxLayers);
  for (int j = 0; j < n; ++j) {
    if (p.rho_index[j] >= 0) add(p.rho_index[j], SensRhoColumn(j));
    if (j + 1 < n && p.h_index[j] >= 0)
      add(p.h_index[j], SensThicknessColumn(j));
  }
  // A one-layer model is its layer over a half-space of the same
  // resistivity (the apply step continues it).
  if (n == 1 && p.rho_index[0] >= 0) add(p.rho_index[0], SensRhoColumn(1));
  return pc;
}

void ResidualsAndJacobian(const FitTerms& t,
                          const PeriodSensitivity* sens,
                          const ParameterColumns& pc,
                          FitResiduals& out) {
  const int m = pc.count;
  out.cols = m;
  out.rows = 0;
  out.e.resize(t.count);
  out.j.resize(static_cast<std::size_t>(t.count) * m);
  for (int k = 0; k < t.count; ++k) {
    const double w = t.weight[k];
    if (w == 0.0) continue;
    const double root = std::sqrt(t.share[k]);
    const int row = out.rows++;
    out.e[row] = root * w * t.residual[k];
    const auto& d = sens[t.period[k]].d[t.quantity[k]];
    double* jrow = &out.j[static_cast<std::size_t>(row) * m];
    for (int q = 0; q < m; ++q) {
      double dd = 0.0;
      for (int c = 0; c < pc.columns[q]; ++c) dd += d[pc.column[q][c]];
      jrow[q] = root * w * dd;
    }
  }
}

}  // namespace mtvuk
