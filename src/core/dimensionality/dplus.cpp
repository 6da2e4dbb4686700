#include "core/dimensionality/dplus.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/dimensionality/nnls.h"
#include "core/physics/forward_1d.h"
#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

constexpr double kFieldToSi = 1.0 / kSiToField;
// Weights of the D+ sheets below this share of the largest are rounding.
constexpr double kNegligibleWeight = 1e-12;

// Relative error of |Z| from a resistivity error: the inverse of
// rho_err = rho (k - 1/k) / 2 with k = 1 + 2 |dZ| / |Z|.
double FromRhoError(double rho, double rho_err) {
  const double s = std::fabs(rho_err) / rho;
  const double k = s + std::sqrt(s * s + 1.0);
  return 0.5 * (k - 1.0);
}

}  // namespace

Complex DPlusModel::Admittance(double omega) const {
  Complex c{a0, 0.0};
  for (size_t n = 0; n < lambda.size(); ++n) {
    const double d = lambda[n] * lambda[n] + omega * omega;
    c.re += a[n] * lambda[n] / d;
    c.im -= a[n] * omega / d;
  }
  return c;
}

Complex DPlusModel::Impedance(double period) const {
  const double omega = kTwoPi / period;
  const Complex c = Admittance(omega);
  // Z = i omega mu0 c.
  return {-omega * kMu0 * c.im, omega * kMu0 * c.re};
}

std::vector<ImpedanceDatum> ImpedanceDataOf(const FieldSet& set, double floor) {
  std::vector<ImpedanceDatum> data;
  const int count = std::clamp(set.count, 0, MaxFreq);
  for (int k = 0; k < count; ++k) {
    if (set.point_deleted[k] != 0) continue;
    const double f = set.freq[k];
    const Complex z{set.re_z[k] * kFieldToSi, set.im_z[k] * kFieldToSi};
    const double abs_z = Abs(z);
    if (!(f > 0.0) || !std::isfinite(abs_z) || abs_z <= 0.0) continue;
    const double rho = std::pow(10.0, static_cast<double>(set.log_rho[k]));
    const double rho_err =
        std::pow(10.0, static_cast<double>(set.log_rho_upper[k])) - rho;
    double rel = FromRhoError(rho, rho_err);
    const double phs = std::min(std::fabs(set.phase_error[k]), 89.9f);
    rel = std::max(rel, std::tan(phs * kRadPerDeg));
    if (!std::isfinite(rel)) rel = 0.0;
    rel = std::max(rel, floor);
    if (!(rel > 0.0)) continue;
    data.push_back({1.0 / f, z, rel * abs_z, k});
  }
  return data;
}

ImpedanceDatum DatumFromRhoPhase(double period,
                                 double rho_a,
                                 double phase_deg,
                                 double relative_error) {
  const double abs_z = std::sqrt(rho_a * kTwoPi / period * kMu0);
  const double p = phase_deg * kRadPerDeg;
  return {period,
          {abs_z * std::cos(p), abs_z * std::sin(p)},
          relative_error * abs_z,
          -1};
}

double Chi2Quantile95(int dof) {
  if (dof <= 0) return 0.0;
  const double v = dof;
  const double t = 2.0 / (9.0 * v);
  const double q = 1.0 - t + 1.6448536269514722 * std::sqrt(t);
  return v * q * q * q;
}

double ImpedanceChi2(const std::vector<ImpedanceDatum>& data,
                     const std::vector<Complex>& response) {
  double chi2 = 0.0;
  for (size_t i = 0; i < data.size() && i < response.size(); ++i) {
    const double dr = data[i].z.re - response[i].re;
    const double di = data[i].z.im - response[i].im;
    chi2 += (dr * dr + di * di) / (data[i].sigma * data[i].sigma);
  }
  return chi2;
}

DPlusResult FitDPlus(const std::vector<ImpedanceDatum>& data,
                     const DPlusOptions& options) {
  DPlusResult r;
  const int n = static_cast<int>(data.size());
  r.data = 2 * n;
  if (n < 2) {
    r.message = "D+ needs at least two periods with error bars";
    return r;
  }
  double omega_min = HUGE_VAL, omega_max = 0.0;
  for (const ImpedanceDatum& d : data) {
    const double omega = kTwoPi / d.period;
    omega_min = std::min(omega_min, omega);
    omega_max = std::max(omega_max, omega);
  }
  const double lo = std::log10(omega_min) - options.margin_decades;
  const double hi = std::log10(omega_max) + options.margin_decades;
  const int sheets = std::max(
      2, static_cast<int>(std::ceil((hi - lo) * options.per_decade)) + 1);
  std::vector<double> lambda(static_cast<size_t>(sheets));
  for (int m = 0; m < sheets; ++m) {
    lambda[m] = std::pow(10.0, lo + (hi - lo) * m / (sheets - 1));
  }
  // Rows: Re and Im of the admittance of each datum over its error.
  // Columns: a0, then the sheets.
  const int rows = 2 * n;
  const int cols = sheets + 1;
  std::vector<double> a(static_cast<size_t>(rows) * cols, 0.0);
  std::vector<double> b(static_cast<size_t>(rows));
  for (int i = 0; i < n; ++i) {
    const ImpedanceDatum& d = data[i];
    const double omega = kTwoPi / d.period;
    const double omega_mu = omega * kMu0;
    // c = Z / (i omega mu0) = (Im Z - i Re Z) / (omega mu0).
    const double s = d.sigma / omega_mu;
    b[2 * i] = d.z.im / omega_mu / s;
    b[2 * i + 1] = -d.z.re / omega_mu / s;
    a[2 * i] = 1.0 / s;  // a0: real part only
    for (int m = 0; m < sheets; ++m) {
      const double den = lambda[m] * lambda[m] + omega * omega;
      const size_t col = static_cast<size_t>(m + 1) * rows;
      a[col + 2 * i] = lambda[m] / den / s;
      a[col + 2 * i + 1] = -omega / den / s;
    }
  }
  const NnlsResult x = SolveNnls(a, rows, cols, b);
  r.iterations = x.iterations;
  r.converged = x.converged;
  r.model.a0 = x.x[0];
  double largest = 0.0;
  for (int m = 0; m < sheets; ++m) largest = std::max(largest, x.x[m + 1]);
  for (int m = 0; m < sheets; ++m) {
    if (x.x[m + 1] > kNegligibleWeight * largest) {
      r.model.lambda.push_back(lambda[m]);
      r.model.a.push_back(x.x[m + 1]);
    }
  }
  r.fitted.resize(static_cast<size_t>(n));
  r.residual.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    r.fitted[i] = r.model.Impedance(data[i].period);
    const double dr = data[i].z.re - r.fitted[i].re;
    const double di = data[i].z.im - r.fitted[i].im;
    r.residual[i] = (dr * dr + di * di) / (data[i].sigma * data[i].sigma);
  }
  r.chi2 = ImpedanceChi2(data, r.fitted);
  r.expected = r.data;
  r.limit = Chi2Quantile95(r.data);
  r.nrms = std::sqrt(r.chi2 / r.data);
  r.one_d = r.chi2 <= r.limit;
  r.ok = true;
  char text[256];
  std::snprintf(text,
                sizeof text,
                r.one_d ? "A 1-D model can fit: D+ chi^2 %.4g (nrms %.3g) "
                          "within %.4g for %d data"
                        : "No 1-D model fits: even D+ reaches only chi^2 %.4g "
                          "(nrms %.3g), above %.4g for %d data",
                r.chi2,
                r.nrms,
                r.limit,
                r.data);
  r.message = text;
  if (!x.converged) {
    std::snprintf(text,
                  sizeof text,
                  "; the solver stopped after %d iterations without "
                  "converging: the bound may lie too high",
                  x.iterations);
    r.message += text;
  }
  return r;
}

}  // namespace mtvuk
