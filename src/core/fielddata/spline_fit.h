// Weighted least-squares cubic splines with given interior knots and their
// evaluation, written from the published algorithms of Cox and Hayes (NPL
// Report NAC 26, 1973) that the NAG routines E02BAF and E02BCF implement:
// B-splines by the Cox-de Boor recurrence, the over-determined band system
// reduced by Givens rotations, derivatives by differencing the coefficients.
//
// Arrays follow the published numbering: knot j (1..ncap7) is knots[j-1],
// coefficient i (1..ncap7-4) is c[i-1].
#pragma once

#include <array>
#include <string>

namespace mtvuk {

// Outcome of a fit: ifail 0 on success, else the routine's failure number
// (1 knots, 2 weights, 3 abscissae, 4 too few points, 5 Schoenberg-Whitney
// conditions or a singular system, 6 an index out of the coefficients) and
// the text of the test that failed.
struct SplineFitStatus {
  int ifail = 0;
  std::string test;
  double ss = 0.0;  // weighted residual sum of squares
  bool ok() const { return ifail == 0; }
};

// Fits the cubic spline with the interior knots knots[4..ncap7-5] (entries
// 5..ncap7-4) to the m points (x, y) with weights w (each residual is
// multiplied by its weight). The routine writes the four end knots at each
// end (x[0] and x[m-1]) and the ncap7-4 B-spline coefficients into c.
SplineFitStatus E02baf(int m,
                       int ncap7,
                       const double* x,
                       const double* y,
                       const double* w,
                       double* knots,
                       double* c);

// Value and first three derivatives of a cubic spline at x. `left` 1 takes
// left-hand, 2 right-hand derivatives at a knot. Returns 0, or 1 when x lies
// outside knots 4..ncap7-3, 2 when ncap7 < 8, 3 when left is neither 1 nor 2.
int E02bcf(int ncap7,
           const double* knots,
           const double* c,
           double x,
           int left,
           std::array<double, 4>& s);

}  // namespace mtvuk
