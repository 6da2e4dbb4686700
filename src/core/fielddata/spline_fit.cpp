#include "core/fielddata/spline_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace mtvuk {
namespace {

SplineFitStatus Fail(int ifail, std::string test) {
  SplineFitStatus s;
  s.ifail = ifail;
  s.test = std::move(test);
  return s;
}

}  // namespace

SplineFitStatus E02baf(int m,
                       int ncap7,
                       const double* x,
                       const double* y,
                       const double* w,
                       double* knots,
                       double* c) {
  // One-based views keep the indices of the published algorithm.
  auto X = [x](int i) { return x[i - 1]; };
  auto Y = [y](int i) { return y[i - 1]; };
  auto W = [w](int i) { return w[i - 1]; };
  auto K = [knots](int j) -> double& { return knots[j - 1]; };
  auto C = [c](int i) -> double& { return c[i - 1]; };

  if (ncap7 < 8 || m < ncap7 - 4) return Fail(4, "if(NCAP7<8 || M<NCAP7-4)");
  const int ncap = ncap7 - 7;
  const int ncapm1 = ncap - 1;
  const int ncap3 = ncap + 3;

  // The full B-spline basis: knots of multiplicity four at each end of the
  // data range.
  for (int j = 1; j <= 4; ++j) {
    K(j) = X(1);
    K(ncap3 + j) = X(m);
  }

  // The knots are ordered and interior to the data range. The tests are
  // written so that a NaN fails them.
  if (!(K(5) > X(1)) || !(K(ncap3) < X(m))) {
    return Fail(1, "if(K[5] <= X[1] || K[NCAP3]>=X[M])");
  }
  for (int j = 4; j <= ncap3; ++j) {
    if (!(K(j) <= K(j + 1))) return Fail(1, "if(K[J]>K[J+1]");
  }
  for (int i = 1; i <= m; ++i) {
    if (!(W(i) > 0.0)) return Fail(2, "if(W[I]<=0");
  }

  // The ordered, distinct abscissae; an infinite one counts as out of
  // order, since no knot can lie beyond it.
  std::vector<double> distinct(static_cast<std::size_t>(m) + 1);
  auto WORK1 = [&distinct](int i) -> double& { return distinct[i - 1]; };
  WORK1(1) = X(1);
  if (!std::isfinite(X(1))) return Fail(3, "X[I]<WORK1[J-1]");
  int j = 2;
  for (int i = 2; i <= m; ++i) {
    if (!(X(i) >= WORK1(j - 1)) || !std::isfinite(X(i))) {
      return Fail(3, "X[I]<WORK1[J-1]");
    }
    if (X(i) == WORK1(j - 1)) continue;
    WORK1(j) = X(i);
    ++j;
  }
  int r = j - 1;
  if (r < ncap3) return Fail(4, "R<NCAP3");

  // The first and the last s = min(ncap - 1, 4) Schoenberg-Whitney
  // conditions: a distinct abscissa inside the support of each B-spline.
  const int s_first = std::min(ncapm1, 4);
  for (j = 1; j <= s_first; ++j) {
    const int i = ncap3 - j + 1;
    const int l = r - j + 1;
    if (WORK1(j) >= K(j + 4) || K(i) >= WORK1(l)) {
      return Fail(5, "if(WORK1[J]>=K[J+4] || K[I]>=WORK1[L])");
    }
  }
  // The remaining conditions, one abscissa after the other.
  if (ncapm1 >= 5) {
    r -= 4;
    int i = 4;
    for (j = 5; j <= ncapm1; ++j) {
      const double k0 = K(j + 4);
      const double k4 = K(j);
      do {
        ++i;
      } while (WORK1(i) <= k4);
      if (i > r || WORK1(i) >= k0) return Fail(5, "if(I>R || WORK1[I]>=K0)");
    }
  }

  // The band triangular system (four diagonals) and its right-hand side,
  // updated by one data row at a time.
  std::vector<std::array<double, 4>> band(static_cast<std::size_t>(ncap3));
  auto WORK2 = [&band](int l, int jj) -> double& {
    return band[jj - 1][l - 1];
  };
  for (int i = 1; i <= ncap3; ++i) {
    for (int l = 1; l <= 4; ++l) WORK2(l, i) = 0.0;
    C(i) = 0.0;
  }
  double sigma = 0.0;
  j = 0;
  int jold = 0;
  double ka = 0, kb = 0, kc = 0, kd = 0, ke = 0, kf = 0;
  double kda = 0, kdb = 0, kdc = 0, keb = 0, kec = 0, kfc = 0;
  for (int i = 1; i <= m; ++i) {
    const double wi = W(i);
    const double xi = X(i);
    // The interval K(j+3) <= x < K(j+4) that holds x (the last interval
    // also holds its right end).
    while (!(xi < K(j + 4) || j > ncapm1)) ++j;
    if (j != jold) {
      ka = K(j + 1);
      kb = K(j + 2);
      kc = K(j + 3);
      kd = K(j + 4);
      ke = K(j + 5);
      kf = K(j + 6);
      kda = kd - ka;
      kdb = kd - kb;
      kdc = kd - kc;
      keb = ke - kb;
      kec = ke - kc;
      kfc = kf - kc;
      jold = j;
    }
    // The four non-zero B-splines at x (Cox-de Boor), times the weight.
    const double d1 = xi - ka, d2 = xi - kb, d3 = xi - kc;
    const double e4 = kd - xi, e5 = ke - xi, e6 = kf - xi;
    const double n2a = e4 / kdc;  // linear, knots kb kc kd
    const double n2b = d3 / kdc;  // linear, knots kc kd ke
    const double n3a = e4 / kdb * n2a;
    const double n3b = d2 / kdb * n2a + e5 / kec * n2b;
    const double n3c = d3 / kec * n2b;
    std::array<double, 4> row = {wi * (e4 / kda * n3a),
                                 wi * (d1 / kda * n3a + e5 / keb * n3b),
                                 wi * (d2 / keb * n3b + e6 / kfc * n3c),
                                 wi * (d3 / kfc * n3c)};
    double acol = wi * Y(i);

    // Rotate the row into the triangular system by Givens rotations.
    for (int lplus1 = 1; lplus1 <= 4; ++lplus1) {
      const double relemt = row[lplus1 - 1];
      if (relemt == 0.0) continue;
      const int jplusl = j + lplus1 - 1;
      const double d = WORK2(1, jplusl);
      const double dprime =
          std::fabs(relemt) >= d
              ? std::fabs(relemt) * std::sqrt(1.0 + (d / relemt) * (d / relemt))
              : d * std::sqrt(1.0 + (relemt / d) * (relemt / d));
      WORK2(1, jplusl) = dprime;
      const double cosine = d / dprime;
      const double sine = relemt / dprime;
      for (int iplus1 = 2; iplus1 <= 5 - lplus1; ++iplus1) {
        const int r_index = lplus1 + iplus1 - 1;
        const double cp = WORK2(iplus1, jplusl);
        WORK2(iplus1, jplusl) = cosine * cp + sine * row[r_index - 1];
        row[r_index - 1] = cosine * row[r_index - 1] - sine * cp;
      }
      const double cp = C(jplusl);
      C(jplusl) = cosine * cp + sine * acol;
      acol = cosine * acol - sine * cp;
    }
    sigma += acol * acol;
  }

  // Back substitution. A zero diagonal means the Schoenberg-Whitney
  // conditions hold only just.
  int l = -1;
  for (int jrev = 1; jrev <= ncap3; ++jrev) {
    j = ncap3 - jrev + 1;
    const double d = WORK2(1, j);
    if (d == 0.0) return Fail(5, "D==0.0 M400:");
    if (l < 3) ++l;
    if (j < 1 || j + l > ncap3) {
      // Cannot happen for the loop above; kept as the routine's guard.
      char text[96];
      std::snprintf(text,
                    sizeof text,
                    "NCAP7= %d \nNCAP3= %d\nJREV=%d J=%d",
                    ncap7,
                    ncap3,
                    jrev,
                    j);
      return Fail(6, text);
    }
    double s = C(j);
    for (int i = 1; i <= l; ++i) s -= WORK2(i + 1, j) * C(j + i);
    C(j) = s / d;
  }
  SplineFitStatus ok;
  ok.ss = sigma;
  return ok;
}

int E02bcf(int ncap7,
           const double* knots,
           const double* c,
           double x,
           int left,
           std::array<double, 4>& s) {
  s = {0.0, 0.0, 0.0, 0.0};
  if (ncap7 < 8) return 2;
  if (left != 1 && left != 2) return 3;
  auto K = [knots](int j) { return knots[j - 1]; };
  auto C = [c](int i) { return c[i - 1]; };
  if (!(x >= K(4)) || !(x <= K(ncap7 - 3))) return 1;

  // The interval K(j+3) <= x <= K(j+4) with j in 1..ncap; at an interior
  // knot `left` chooses the interval on its left or its right.
  const int ncap = ncap7 - 7;
  int lo = 1, hi = ncap;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;  // is x at or beyond K(mid+3)?
    const double knot = K(mid + 3);
    if (x > knot || (left == 2 && x == knot)) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  const int j = lo;
  const double ka = K(j + 1), kb = K(j + 2), kc = K(j + 3), kd = K(j + 4),
               ke = K(j + 5), kf = K(j + 6);

  // B-splines of orders 2 and 3 on the interval (Cox-de Boor).
  const double d2 = x - kb, d3 = x - kc;
  const double e4 = kd - x, e5 = ke - x;
  const double n2a = e4 / (kd - kc);
  const double n2b = d3 / (kd - kc);
  const double n3a = e4 / (kd - kb) * n2a;
  const double n3b = d2 / (kd - kb) * n2a + e5 / (ke - kc) * n2b;
  const double n3c = d3 / (ke - kc) * n2b;
  const double d1 = x - ka, e6 = kf - x;
  const double n4[4] = {e4 / (kd - ka) * n3a,
                        d1 / (kd - ka) * n3a + e5 / (ke - kb) * n3b,
                        d2 / (ke - kb) * n3b + e6 / (kf - kc) * n3c,
                        d3 / (kf - kc) * n3c};

  // Coefficients of the derivatives by differencing.
  const double c0 = C(j), c1 = C(j + 1), c2 = C(j + 2), c3 = C(j + 3);
  const double a1 = 3.0 * (c1 - c0) / (kd - ka);
  const double a2 = 3.0 * (c2 - c1) / (ke - kb);
  const double a3 = 3.0 * (c3 - c2) / (kf - kc);
  const double b2 = 2.0 * (a2 - a1) / (kd - kb);
  const double b3 = 2.0 * (a3 - a2) / (ke - kc);
  s[0] = c0 * n4[0] + c1 * n4[1] + c2 * n4[2] + c3 * n4[3];
  s[1] = a1 * n3a + a2 * n3b + a3 * n3c;
  s[2] = b2 * n2a + b3 * n2b;
  s[3] = (b3 - b2) / (kd - kc);
  return 0;
}

}  // namespace mtvuk
