// The existence test of a 1-D model: Parker's D+ solution (Parker 1980;
// Parker and Whaler 1981), the best fit that any layered conductivity can
// reach to an impedance curve with error bars.
#pragma once

#include <string>
#include <vector>

#include "core/physics/complex.h"
#include "core/store/field_set.h"

namespace mtvuk {

// One impedance datum in SI units (Ohm), in the workstation's sign of
// time: a half-space has a phase of +45 degrees and Im Z > 0.
struct ImpedanceDatum {
  double period = 0.0;  // s
  Complex z;            // Ohm
  double sigma = 0.0;   // standard error of Re Z and of Im Z, Ohm
  int point = -1;       // index of the point in its set, -1 for none
};

struct DPlusOptions {
  // Relaxation constants lambda: `margin_decades` beyond the data's
  // angular frequencies at both ends, `per_decade` of them per decade.
  double margin_decades = 3.0;
  int per_decade = 20;
};

// The D+ admittance c(omega) = a0 + sum a_n / (lambda_n + i omega) with
// a0, a_n >= 0 (metres; Z = i omega mu0 c).
struct DPlusModel {
  double a0 = 0.0;
  std::vector<double> lambda;  // rad/s, of the sheets that carry weight
  std::vector<double> a;       // m/s
  Complex Admittance(double omega) const;
  Complex Impedance(double period) const;  // Ohm
};

struct DPlusResult {
  bool ok = false;        // false: too few data; `message` says why
  std::string message;    // the verdict in words
  int data = 0;           // real data: twice the complex data
  double chi2 = 0.0;      // smallest chi^2 any 1-D model reaches
  double expected = 0.0;  // the expected chi^2 of data at their noise
  double limit = 0.0;     // the 95 % point of chi^2 for `data` values
  double nrms = 0.0;      // sqrt(chi2 / data)
  bool one_d = false;     // chi2 <= limit: a 1-D model can fit
  DPlusModel model;
  std::vector<Complex> fitted;   // the D+ impedance at the data periods, Ohm
  std::vector<double> residual;  // per datum: |Z - Z_D+|^2 / sigma^2
  int iterations = 0;
  bool converged = false;
};

// The impedance data of a set: its used points (not deleted), with the
// standard error of |Z| taken from the larger of the phase error and the
// resistivity error of the point, at least `floor` of |Z|.
std::vector<ImpedanceDatum> ImpedanceDataOf(const FieldSet& set,
                                            double floor = 0.01);

// Impedance datum from apparent resistivity (Ohm-m), phase (degrees) and
// the relative standard error of |Z|, for data that carry only those.
ImpedanceDatum DatumFromRhoPhase(double period,
                                 double rho_a,
                                 double phase_deg,
                                 double relative_error);

DPlusResult FitDPlus(const std::vector<ImpedanceDatum>& data,
                     const DPlusOptions& options = {});

// chi^2 of any response (Ohm, one per datum) in the measure of FitDPlus.
double ImpedanceChi2(const std::vector<ImpedanceDatum>& data,
                     const std::vector<Complex>& response);

// The 95 % point of the chi^2 distribution with `dof` degrees of freedom
// (Wilson and Hilferty 1931).
double Chi2Quantile95(int dof);

}  // namespace mtvuk
