// The small complex-number kernel of the forward response and the spectra
// estimator: a pair of doubles with multiply, Smith's division, the principal
// square root and an exponential whose real part is clamped to +-300.
#pragma once

#include <cmath>

namespace mtvuk {

struct Complex {
  double re = 0.0;
  double im = 0.0;
};

inline Complex Add(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
inline Complex Sub(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
inline Complex Scale(Complex a, double s) { return {a.re * s, a.im * s}; }
inline Complex Conj(Complex a) { return {a.re, -a.im}; }
inline double Abs2(Complex a) { return a.re * a.re + a.im * a.im; }
inline double Abs(Complex a) { return std::sqrt(Abs2(a)); }

inline Complex Mul(Complex a, Complex b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

// Smith (1962): scales by the larger part of the divisor to avoid overflow.
// A zero divisor is not tested for; it gives infinities or NaN.
inline Complex Div(Complex a, Complex b) {
  if (std::fabs(b.im) >= std::fabs(b.re)) {
    double r = b.re / b.im;
    double d = r * b.re + b.im;
    return {(r * a.re + a.im) / d, (r * a.im - a.re) / d};
  }
  double r = b.im / b.re;
  double d = r * b.im + b.re;
  return {(a.re + r * a.im) / d, (a.im - r * a.re) / d};
}

// Principal branch: the real part of the result is never negative.
inline Complex Sqrt(Complex z) {
  double r = std::sqrt(z.re * z.re + z.im * z.im);
  double t = std::sqrt((std::fabs(z.re) + r) * 0.5);
  double u = z.im != 0.0 ? z.im / (2.0 * t) : z.im;
  if (z.re >= 0.0) return {t, u};
  if (u >= 0.0) return {u, t};
  return {-u, -t};
}

// The real part is clamped to [-300, 300], so the result never overflows.
inline Complex Exp(Complex z) {
  double x = z.re < -300.0 ? -300.0 : (z.re > 300.0 ? 300.0 : z.re);
  double e = std::exp(x);
  return {e * std::cos(z.im), e * std::sin(z.im)};
}

}  // namespace mtvuk
