#include "core/inversion/fit_misfit.h"

#include <algorithm>
#include <cmath>

#include "core/inversion/error_floor.h"
#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

bool PointUsable(const FieldSet& s, int i) { return s.point_deleted[i] == 0; }

// (w d)^2 of a term; a term without weight adds nothing, even where its
// difference is not finite (a switched-off point may hold any value).
double WeightedSquare(double w, double d) {
  return w == 0.0 ? 0.0 : (w * d) * (w * d);
}

bool Finite(double v) { return std::isfinite(v); }

// A standard error that is a finite positive number, else 0 (no bar).
double OrNone(double sigma) {
  return std::isfinite(sigma) && sigma > 0.0 ? sigma : 0.0;
}

// The phase error bar of a point in degrees: the stored error, else the
// upper bound less the phase.
double PhaseErrorDegrees(const FieldSet& s, int i) {
  const double stored = std::fabs(static_cast<double>(s.phase_error[i]));
  if (std::isfinite(stored) && stored > 0.0) return stored;
  return OrNone(std::pow(10.0, s.log_phase_upper[i]) - s.phase[i]);
}

// Half the error bar of log10 rho from its stored bounds; the upper half
// alone when the lower bound is not below the value (an error larger than
// the value). Raised to the floor of the apparent resistivity.
double LogRhoSigma(const FieldSet& s, int i, double floor_percent) {
  const double up = s.log_rho_upper[i], low = s.log_rho_lower[i];
  const double value = s.log_rho[i];
  const double sigma =
      low < value && up > value ? (up - low) / 2.0 : up - value;
  if (OrNone(sigma) == 0.0) return 0.0;
  return std::max(sigma, RhoFloor(floor_percent) / kLn10);
}

// The phase error in radians, raised to the floor.
double PhaseSigma(const FieldSet& s, int i, double floor_percent) {
  return OrNone(FlooredPhaseError(PhaseErrorDegrees(s, i), floor_percent)) *
         kRadPerDeg;
}

// The standard error of log10 |part| of the impedance, `part` one of its
// parts, from the relative error of |Z| (raised to the floor).
double ImpedancePartSigma(const FieldSet& s,
                          int i,
                          double part,
                          double floor_percent) {
  const double relative =
      FlooredImpedanceError(DatumImpedanceError(s, i), floor_percent);
  const double z = std::hypot(static_cast<double>(s.re_z[i]), s.im_z[i]);
  return OrNone(relative * z / (std::fabs(part) * kLn10));
}

}  // namespace

int FitTerms::Weighted() const {
  int n = 0;
  for (int i = 0; i < count; ++i) n += weight[i] != 0.0 ? 1 : 0;
  return n;
}

double DatumImpedanceError(const FieldSet& s, int i) {
  double from_rho = 0.0;
  const double rho = std::pow(10.0, s.log_rho[i]);
  const double rho_error = std::pow(10.0, s.log_rho_upper[i]) - rho;
  if (Finite(rho) && rho > 0.0 && OrNone(rho_error) > 0.0) {
    const double q = rho_error / rho;
    from_rho = (q + std::sqrt(q * q + 1.0) - 1.0) / 2.0;
  }
  const double phase_error = PhaseErrorDegrees(s, i);
  const double from_phase =
      phase_error > 0.0 ? std::tan(std::min(phase_error, 89.9) * kRadPerDeg)
                        : 0.0;
  return OrNone(std::max(from_rho, from_phase));
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

MisfitSettings MisfitSettingsOf(const Workspace& ws, FitMethod method) {
  MisfitSettings settings = MisfitSettingsOf(ws);
  if (method == FitMethod::kRobust) {
    settings.data_weights = true;
    settings.error_floor = ws.error_floor_percent;
  }
  return settings;
}

double FitMisfit(const MisfitSettings& settings,
                 FieldSet& s,
                 int used,
                 const FitResponse& fit,
                 FitTerms* terms) {
  const int target = settings.target;
  const bool ignore = settings.ignore_error_bars;
  const bool data = settings.data_weights;
  const double floor = settings.error_floor;
  // Data weights: equal shares weigh each term once.
  const double share_scale = data ? 2.0 : 1.0;
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
  // The weight of a term from its standard error: 1 / sigma; when the
  // bars are ignored, 1 / the floor's error, or 1 without a floor; 0
  // without a bar.
  auto data_weight = [&](double sigma, double floor_sigma) {
    if (ignore) return floor_sigma > 0.0 ? 1.0 / floor_sigma : 1.0;
    return sigma > 0.0 ? 1.0 / sigma : 0.0;
  };
  double sum = 0.0;
  if (target >= 1 && target <= 3) {
    for (int i = 0; i < used; ++i) {
      const double re_f = s.re_z[i], im_f = s.im_z[i];
      const double sig_re = ImpedancePartSigma(s, i, re_f, floor);
      const double sig_im = ImpedancePartSigma(s, i, im_f, floor);
      double wre, wim;
      if (data) {
        const double z = std::hypot(re_f, im_f);
        const double least = ImpedanceFloor(floor) * z / kLn10;
        wre = data_weight(sig_re, least / std::fabs(re_f));
        wim = data_weight(sig_im, least / std::fabs(im_f));
        if (!Finite(re_f) || !Finite(im_f)) wre = wim = 0.0;
      } else {
        wre = ignore ? 1.0 : 1.0 / (std::fabs(s.err_re[i]) + 0.01);
        wim = ignore ? 1.0 : 1.0 / (std::fabs(s.err_im[i]) + 0.01);
      }
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
            sig_re);
      };
      auto im_term = [&](double share) {
        add(i,
            kSensImZ,
            Log10Abs(fit.im_z[i]),
            Log10Abs(im_f),
            dim,
            wim,
            share,
            sig_im);
      };
      if (target == 1) {
        const double share_re = share_scale * w_re;
        const double share_im = share_scale * (1.0 - w_re);
        sum += share_re * WeightedSquare(wre, dre) +
               share_im * WeightedSquare(wim, dim);
        re_term(share_re);
        im_term(share_im);
      } else if (target == 2) {
        sum += WeightedSquare(wre, dre);
        re_term(1.0);
      } else {
        sum += WeightedSquare(wim, dim);
        im_term(1.0);
      }
    }
  } else if (target == 4 || target == 5) {
    // The classic weights take the relative error of the resistivity
    // against the model's value, at least 0.01.
    auto rel_rho = [&](int i) {
      double rel = std::fabs(std::pow(10.0, s.log_rho_upper[i]) -
                             std::pow(10.0, s.log_rho_lower[i])) /
                   (std::fabs(fit.rho_a[i]) + kTiny);
      return rel < 0.01 ? 0.01 : rel;
    };
    auto rho_sigma = [&](int i) { return LogRhoSigma(s, i, floor); };
    auto phase_sigma = [&](int i) { return PhaseSigma(s, i, floor); };
    const double rho_least = RhoFloor(floor) / kLn10;
    const double phase_least = PhaseFloorDegrees(floor) * kRadPerDeg;
    if (target == 4) {
      for (int i = 0; i < used; ++i) {
        const double sigma = rho_sigma(i);
        double w = data ? data_weight(sigma, rho_least)
                        : (ignore ? 1.0 : 1.0 / rel_rho(i));
        if (!PointUsable(s, i) || (data && !Finite(s.log_rho[i]))) w = 0.0;
        const double model = std::log10(std::fabs(fit.rho_a[i]) + kTiny);
        const double d = model - s.log_rho[i];
        sum += WeightedSquare(w, d);
        add(i, kSensRho, model, s.log_rho[i], d, w, 1.0, sigma);
      }
    } else {
      std::array<double, MaxFreq> wr{}, wp{}, sr_sigma{}, sp_sigma{};
      double sr = 0.0, sp = 0.0;
      for (int i = 0; i < used; ++i) {
        sr_sigma[i] = rho_sigma(i);
        sp_sigma[i] = phase_sigma(i);
        if (data) {
          wr[i] = data_weight(sr_sigma[i], rho_least);
          wp[i] = data_weight(sp_sigma[i], phase_least);
          if (!Finite(s.log_rho[i]) || !Finite(s.phase[i])) wr[i] = wp[i] = 0.0;
        } else {
          double relp = std::fabs(std::pow(10.0, s.log_phase_upper[i]) -
                                  std::pow(10.0, s.log_phase_lower[i])) /
                        s.phase[i];
          if (!(relp >= 0.01)) relp = std::isnan(relp) ? relp : 0.01;
          wr[i] = ignore ? 1.0 : 1.0 / rel_rho(i);
          wp[i] = ignore ? 1.0 : 1.0 / relp;
        }
        if (!PointUsable(s, i) || !s.phase_sign[i]) wr[i] = wp[i] = 0.0;
        sr += WeightedSquare(wr[i], s.log_rho[i]);
        const double wphase = wp[i] * s.phase[i] * kRadPerDeg;
        sp += wp[i] == 0.0 ? 0.0 : wphase * wphase;
      }
      // The classic balance of the two parts; data weights need none.
      const double scale = data ? 1.0 : std::sqrt(sr / sp);
      const double share_rho = share_scale * w_rho;
      const double share_phase = share_scale * (1.0 - w_rho) * scale;
      for (int i = 0; i < used; ++i) {
        const double model_rho = std::log10(std::fabs(fit.rho_a[i]) + kTiny);
        const double dr = model_rho - s.log_rho[i];
        const double dp = (fit.phase[i] - s.phase[i]) * kRadPerDeg;
        sum += share_rho * WeightedSquare(wr[i], dr) +
               share_phase * WeightedSquare(wp[i], dp);
        add(i,
            kSensRho,
            model_rho,
            s.log_rho[i],
            dr,
            wr[i],
            share_rho,
            sr_sigma[i]);
        // The phase term carries the scale of the misfit into the normal
        // equations too, so the two see the same balance.
        add(i,
            kSensPhase,
            fit.phase[i] * kRadPerDeg,
            s.phase[i] * kRadPerDeg,
            dp,
            wp[i],
            share_phase,
            sp_sigma[i]);
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
