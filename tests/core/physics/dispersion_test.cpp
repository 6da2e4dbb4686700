#include "core/physics/dispersion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace mtvuk {
namespace {

LayerModel OneLayer(int law, float p1, float tau, float c, double rho = 100.0) {
  LayerModel m;
  m.law = law;
  m.ip_on[0] = 1;
  m.ip_p1[0][0] = p1;
  m.ip_tau[0][0] = tau;
  m.ip_c[0][0] = c;
  m.resistivity[0] = rho;
  return m;
}

TEST(Dispersion, SwitchedOffOrTinyFirstParameterGivesOne) {
  for (int law = 0; law < 5; ++law) {
    LayerModel m = OneLayer(law, 0.0001f, 1.0f, 0.5f);
    Complex z = DispersionMultiplier(10.0, m, 0);
    EXPECT_EQ(z.re, 1.0) << law;
    EXPECT_EQ(z.im, 0.0) << law;
    m = OneLayer(law, 0.5f, 1.0f, 0.5f);
    m.ip_on[0] = 0;
    z = DispersionMultiplier(10.0, m, 0);
    EXPECT_EQ(z.re, 1.0);
    EXPECT_EQ(z.im, 0.0);
    m = OneLayer(law, NAN, 1.0f, 0.5f);
    EXPECT_EQ(DispersionMultiplier(10.0, m, 0).re, 1.0);
  }
  // Any other law leaves M = 1 even for a dispersive layer.
  Complex z = DispersionMultiplier(10.0, OneLayer(7, 0.5f, 1.0f, 0.5f), 0);
  EXPECT_EQ(z.re, 1.0);
  EXPECT_EQ(z.im, 0.0);
}

TEST(Dispersion, ResistivityLawsAgreeWithTheirClosedForms) {
  // rho(i w) = rho0 [1 - m (1 - 1 / (1 + (i w T)^c))] for law 2 and
  // rho0 [1 - m (1 - (1 + i w T)^-c)] for law 3, with M = rho0 / rho.
  const double m = 0.3, tau = 0.05, c = 0.6;
  for (double omega : {1e-3, 0.5, 20.0, 1e4}) {
    std::complex<double> iwt(
        0.0, omega * static_cast<double>(static_cast<float>(tau)));
    double cf = static_cast<float>(c), mf = static_cast<float>(m);
    std::complex<double> u = std::pow(iwt, cf);
    std::complex<double> cole = 1.0 / (1.0 - mf * (1.0 - 1.0 / (1.0 + u)));
    std::complex<double> dav =
        1.0 / (1.0 - mf * (1.0 - std::pow(1.0 + iwt, -cf)));
    Complex a = DispersionMultiplier(omega, OneLayer(2, 0.3f, 0.05f, 0.6f), 0);
    Complex b = DispersionMultiplier(omega, OneLayer(3, 0.3f, 0.05f, 0.6f), 0);
    EXPECT_NEAR(a.re, cole.real(), 1e-12) << omega;
    EXPECT_NEAR(a.im, cole.imag(), 1e-12) << omega;
    EXPECT_NEAR(b.re, dav.real(), 1e-12) << omega;
    EXPECT_NEAR(b.im, dav.imag(), 1e-12) << omega;
  }
  // Limits: M -> 1 at low frequency, 1 / (1 - m) at high frequency.
  Complex low = DispersionMultiplier(1e-12, OneLayer(2, 0.4f, 1.0f, 0.7f), 0);
  EXPECT_NEAR(low.re, 1.0, 1e-6);
  Complex high = DispersionMultiplier(1e12, OneLayer(2, 0.4f, 1.0f, 0.7f), 0);
  EXPECT_NEAR(high.re, 1.0 / (1.0 - 0.4f), 1e-6);
  EXPECT_NEAR(high.im, 0.0, 1e-6);
}

TEST(Dispersion, DielectricLawsUseOmegaTimesTheTimeConstant) {
  // M = 1 + i K D / N with K = omega T e eps0 rho0 (law 0) and 1 + i K / N
  // (law 1), eps0 = 1 / (36 pi) 1e-9.
  const double eps0 = 1.0 / (36.0 * M_PI) * 1e-9;
  const double e = 80.0, tau = 2.0, c = 0.5, rho0 = 1000.0, omega = 3.0;
  std::complex<double> u = std::pow(std::complex<double>(0.0, omega * tau), c);
  double k = omega * tau * e * eps0 * rho0;
  std::complex<double> law0 =
      1.0 + std::complex<double>(0, k) * (1.0 + u / e) / (1.0 + u);
  std::complex<double> law1 =
      1.0 + std::complex<double>(0, k) /
                std::pow(std::complex<double>(1.0, omega * tau), c);
  Complex a =
      DispersionMultiplier(omega, OneLayer(0, 80.0f, 2.0f, 0.5f, rho0), 0);
  Complex b =
      DispersionMultiplier(omega, OneLayer(1, 80.0f, 2.0f, 0.5f, rho0), 0);
  EXPECT_NEAR(a.re, law0.real(), 1e-15);
  EXPECT_NEAR(a.im, law0.imag(), 1e-15);
  EXPECT_NEAR(b.re, law1.real(), 1e-15);
  EXPECT_NEAR(b.im, law1.imag(), 1e-15);
  EXPECT_GT(a.im, 0.0);
}

}  // namespace
}  // namespace mtvuk
