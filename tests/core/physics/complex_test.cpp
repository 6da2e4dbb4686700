#include "core/physics/complex.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mtvuk {
namespace {

TEST(Complex, SmithDivisionOnBothBranches) {
  Complex q = Div({1, 2}, {3, 4});  // |im| >= |re| branch
  EXPECT_NEAR(q.re, 0.44, 1e-15);
  EXPECT_NEAR(q.im, 0.08, 1e-15);
  q = Div({1, 2}, {4, 3});
  EXPECT_NEAR(q.re, 0.4, 1e-15);
  EXPECT_NEAR(q.im, 0.2, 1e-15);
  // Scaling avoids the overflow of the textbook formula.
  q = Div({1e300, 1e300}, {1e300, 1e300});
  EXPECT_DOUBLE_EQ(q.re, 1.0);
  EXPECT_DOUBLE_EQ(q.im, 0.0);
  q = Div({1, 1}, {0, 0});
  EXPECT_FALSE(std::isfinite(q.re));
}

TEST(Complex, PrincipalSquareRoot) {
  Complex r = Sqrt({-4, 0});
  EXPECT_DOUBLE_EQ(r.re, 0.0);
  EXPECT_DOUBLE_EQ(r.im, 2.0);
  r = Sqrt({-3, -4});
  EXPECT_DOUBLE_EQ(r.re, 1.0);
  EXPECT_DOUBLE_EQ(r.im, -2.0);
  r = Sqrt({3, 4});
  EXPECT_DOUBLE_EQ(r.re, 2.0);
  EXPECT_DOUBLE_EQ(r.im, 1.0);
}

TEST(Complex, ExponentialIsClampedAtThreeHundred) {
  Complex e = Exp({1000, 0});
  EXPECT_DOUBLE_EQ(e.re, std::exp(300.0));
  EXPECT_EQ(e.im, 0.0);
  e = Exp({-1000, 0});
  EXPECT_DOUBLE_EQ(e.re, std::exp(-300.0));
  e = Exp({0, M_PI / 2});
  EXPECT_NEAR(e.re, 0.0, 1e-16);
  EXPECT_DOUBLE_EQ(e.im, 1.0);
}

}  // namespace
}  // namespace mtvuk
