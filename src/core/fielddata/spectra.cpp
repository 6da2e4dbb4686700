#include "core/fielddata/spectra.h"

#include <cmath>

#include "core/physics/numeric.h"

namespace mtvuk {
namespace {

// Resistivity and phase errors of one off-diagonal element from the absolute
// error e of its impedance z.
void ResistivityPhaseErrors(
    Complex z, double e, double freq, double& rho_err, double& phs_err) {
  double abs_z = Abs(z);
  double rho = 0.2 * Abs2(z) / freq;
  double k = 1.0 + 2.0 * e / abs_z;
  rho_err = 0.5 * (k * rho - rho / k);
  phs_err = std::atan2(e, abs_z) * kDegPerRad;
}

}  // namespace

SpectraEstimate EstimateImpedance(const SpectraMatrix& a,
                                  double freq,
                                  double averaged) {
  auto c = [&a](int p, int q) { return Complex{a[q][p], a[p][q]}; };
  const Complex c01 = c(0, 1), c03 = c(0, 3), c04 = c(0, 4), c05 = c(0, 5),
                c06 = c(0, 6), c13 = c(1, 3), c14 = c(1, 4), c15 = c(1, 5),
                c16 = c(1, 6), c35 = c(3, 5), c36 = c(3, 6), c45 = c(4, 5),
                c46 = c(4, 6), c56 = c(5, 6);
  const double a55 = a[5][5];

  const Complex d = Sub(Mul(c05, c16), Mul(c06, c15));
  const Complex zxx = Div(Sub(Mul(c35, c16), Mul(c15, c36)), d);
  const Complex zxy = Div(Sub(Mul(c05, c36), Mul(c35, c06)), d);
  const Complex zyx = Div(Sub(Mul(c45, c16), Mul(c15, c46)), d);
  const Complex zyy = Div(Sub(Mul(c05, c46), Mul(c45, c06)), d);

  // Residual powers of the two electric channels.
  const double rx = Add(Add(Mul(zxy, c13), Mul(zxx, c03)),
                        Scale(Mul(Mul(zxx, c01), Conj(zxy)), -1.0))
                        .re;
  const double vx =
      (Abs2(zxy) * a[1][1] + Abs2(zxx) * a[0][0] + a[3][3] - 2.0 * rx) / a55;
  const double ry = Add(Add(Mul(zyy, c14), Mul(zyx, c04)),
                        Scale(Mul(Mul(zyx, c01), Conj(zyy)), -1.0))
                        .re;
  const double vy =
      (Abs2(zyy) * a[1][1] + Abs2(zyx) * a[0][0] + a[4][4] - 2.0 * ry) / a55;

  // Reference terms.
  const double q0 = Abs2(c06) + Abs2(c05) * a[6][6] / a55 -
                    2.0 * Scale(Mul(Mul(c56, Conj(c06)), c05), 1.0 / a55).re;
  const double q1 = Abs2(c16) + Abs2(c15) * a[6][6] / a55 -
                    2.0 * Scale(Mul(Mul(c56, Conj(c16)), c15), 1.0 / a55).re;

  const double e = averaged * Abs2(Scale(d, 1.0 / a55));

  SpectraEstimate out;
  out.zxx = Conj(zxx);
  out.zxy = Conj(zxy);
  out.zyx = Conj(zyx);
  out.zyy = Conj(zyy);
  out.exy = std::sqrt(q0 * vx / e);
  out.eyx = std::sqrt(q1 * vy / e);
  ResistivityPhaseErrors(out.zxy, out.exy, freq, out.rhoxy_err, out.phsxy_err);
  ResistivityPhaseErrors(out.zyx, out.eyx, freq, out.rhoyx_err, out.phsyx_err);
  return out;
}

}  // namespace mtvuk
