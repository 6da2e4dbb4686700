// The spline fit, the smoothing of field sets and the phase from rho.
#include "core/fielddata/smoothing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "core/depth/depth_transform.h"
#include "core/fielddata/spline_fit.h"
#include "core/platform/scripted_ui.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

using testing::_;
using testing::ElementsAre;
using testing::FieldsAre;
using testing::FloatNear;
using testing::Pointwise;

// n points at T = 10^(-2 + 0.1 i), log rho = f(log T), errors rel_error rho.
template <typename F>
void FillSet(FieldSet& set, int n, F f, double rel_error = 0.05) {
  set.point_use.fill(1.0f);
  set.in_use = 1;
  set.count = n;
  for (int i = 0; i < n; ++i) {
    const double log_t = -2.0 + 0.1 * i;
    set.freq[i] = static_cast<float>(std::pow(10.0, -log_t));
    set.log_rho[i] = static_cast<float>(f(log_t));
    const double rho = std::pow(10.0, f(log_t));
    set.log_rho_upper[i] =
        static_cast<float>(std::log10(rho * (1 + rel_error)));
    set.log_rho_lower[i] =
        static_cast<float>(std::log10(rho * (1 - rel_error)));
  }
  set.effective_count = EffectiveCount(set);
}

// The test that refuses a fit of (x, knots); weights 1 unless given.
std::string Refusal(std::vector<double> x,
                    std::vector<double> interior,
                    std::vector<double> w = {}) {
  const int m = static_cast<int>(x.size());
  const int ncap7 = static_cast<int>(interior.size()) + 8;
  std::vector<double> y(m, 1.0), knots(ncap7), c(ncap7);
  if (w.empty()) w.assign(m, 1.0);
  for (std::size_t j = 0; j < interior.size(); ++j) knots[4 + j] = interior[j];
  return E02baf(m, ncap7, x.data(), y.data(), w.data(), knots.data(), c.data())
      .test;
}

TEST(SplineFit, ReproducesACubicKnotCountsBoundedSlopeAndArgumentChecks) {
  // Six interior knots, unequal weights: a cubic lies in the spline space.
  std::vector<double> x, y, w;
  for (int i = 0; i < 25; ++i) {
    x.push_back(-1.0 + 0.125 * i);
    y.push_back(x.back() * x.back() * x.back() - 2.0 * x.back() + 0.5);
    w.push_back(1.0 + (i % 3));
  }
  std::vector<double> knots(14), c(10);
  for (int j = 0; j < 14; ++j) knots[j] = -1.0 + 3.0 * j / 13.0;
  const SplineFitStatus fit =
      E02baf(25, 14, x.data(), y.data(), w.data(), knots.data(), c.data());
  ASSERT_TRUE(fit.ok()) << fit.test;
  EXPECT_NEAR(fit.ss, 0.0, 1e-20);
  EXPECT_EQ(knots[0], -1.0);
  EXPECT_EQ(knots[13], 2.0);
  for (double at : {-1.0, -0.3, 0.4, 1.1, 2.0}) {
    for (int left : {1, 2}) {
      std::array<double, 4> s;
      ASSERT_EQ(E02bcf(14, knots.data(), c.data(), at, left, s), 0);
      EXPECT_NEAR(s[0], at * at * at - 2.0 * at + 0.5, 1e-12);
      EXPECT_NEAR(s[1], 3.0 * at * at - 2.0, 1e-11);
      EXPECT_NEAR(s[2], 6.0 * at, 1e-9);
      EXPECT_NEAR(s[3], 6.0, 1e-8);
    }
  }
  std::array<double, 4> s;
  EXPECT_EQ(E02bcf(14, knots.data(), c.data(), 2.01, 1, s), 1);
  EXPECT_EQ(E02bcf(7, knots.data(), c.data(), 0.0, 1, s), 2);
  EXPECT_EQ(E02bcf(14, knots.data(), c.data(), 0.0, 3, s), 3);

  const double p = TensionPercent(SmoothingSettings{});
  EXPECT_NEAR(p, 25.3968, 1e-4);
  EXPECT_EQ(KnotCount(p, 48), 19);
  EXPECT_EQ(KnotCount(100.0, 48), 48);  // marker at the right end
  EXPECT_EQ(KnotCount(0.0, 48), 8);     // marker at the left end
  EXPECT_EQ(KnotCount(p, 5), 8);        // the upper limit n comes first
  EXPECT_NEAR(BoundedSlope(0.5), 0.4638, 5e-5);
  EXPECT_NEAR(BoundedSlope(-0.5), -0.4638, 5e-5);
  EXPECT_LT(BoundedSlope(5.0), 0.9);
  EXPECT_EQ(BoundedSlope(0.0), 0.0);

  // The argument checks name the test that failed.
  EXPECT_EQ(Refusal({0, 1, 2}, {}), "if(NCAP7<8 || M<NCAP7-4)");
  EXPECT_EQ(Refusal({0, 1, 2, 3, 4}, {4.0}),
            "if(K[5] <= X[1] || K[NCAP3]>=X[M])");
  EXPECT_EQ(Refusal({0, 1, 2, 3, 4, 5}, {2.0, 1.0}), "if(K[J]>K[J+1]");
  EXPECT_EQ(Refusal({0, 1, 2, 3}, {}, {1, 1, 0, 1}), "if(W[I]<=0");
  EXPECT_EQ(Refusal({0, 1, 2, 3}, {}, {1, NAN, 1, 1}), "if(W[I]<=0");
  EXPECT_EQ(Refusal({0, 2, 1, 3}, {}), "X[I]<WORK1[J-1]");
  EXPECT_EQ(Refusal({-INFINITY, 1, 2, 3}, {}), "X[I]<WORK1[J-1]");
  EXPECT_EQ(Refusal({0, 1, 1, 2, 2, 3}, {1.5}), "R<NCAP3");
  EXPECT_EQ(Refusal({0, 0.6, 0.7, 0.8, 0.85, 0.9, 1.0}, {0.25, 0.5, 0.75}),
            "if(WORK1[J]>=K[J+4] || K[I]>=WORK1[L])");
  EXPECT_EQ(
      Refusal({0, 0.1, 0.2, 0.3, 5.5, 5.6, 5.7, 5.8, 6.0}, {1, 2, 3, 4, 5}),
      "if(I>R || WORK1[I]>=K0)");
  EXPECT_EQ(Refusal({0, 0.1, 0.2, 0.3, 3.0, 5.6, 5.7, 5.8, 5.9, 6.0},
                    {1, 2, 3, 4, 5}),
            "");
}

// The least-squares spline by a dense solve in the basis 1, x, x^2, x^3,
// (x - t_j)^3_+; rows times w, so squared residuals weigh w^2.
std::vector<double> DenseSpline(const std::vector<double>& x,
                                const std::vector<double>& y,
                                const std::vector<double>& w,
                                const std::vector<double>& interior) {
  const int m = static_cast<int>(x.size());
  const int p = 4 + static_cast<int>(interior.size());
  auto basis = [&](double v, int j) {
    if (j < 4) return std::pow(v, j);
    const double d = v - interior[j - 4];
    return d > 0.0 ? d * d * d : 0.0;
  };
  std::vector<std::vector<double>> a(p, std::vector<double>(p + 1, 0.0));
  for (int i = 0; i < m; ++i) {
    for (int r = 0; r < p; ++r) {
      for (int c = 0; c < p; ++c)
        a[r][c] += w[i] * w[i] * basis(x[i], r) * basis(x[i], c);
      a[r][p] += w[i] * w[i] * basis(x[i], r) * y[i];
    }
  }
  for (int c = 0; c < p; ++c) {  // Gauss-Jordan with partial pivoting
    int best = c;
    for (int r = c + 1; r < p; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[best][c])) best = r;
    std::swap(a[c], a[best]);
    for (int r = 0; r < p; ++r) {
      if (r == c) continue;
      const double f = a[r][c] / a[c][c];
      for (int k = c; k <= p; ++k) a[r][k] -= f * a[c][k];
    }
  }
  std::vector<double> fit(m, 0.0);
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < p; ++j) fit[i] += a[j][p] / a[j][j] * basis(x[i], j);
  return fit;
}

TEST(Smoothing, KnotsAndWeightsOfTheFit) {
  // Tension 50 %: 19 knot entries, the interior ones 5..15 of 19 equal steps.
  FieldSet set;
  FillSet(set, 30, [](double t) { return 1.2 + 0.4 * std::sin(3.0 * t); });
  for (int i = 0; i < 30; ++i) {
    const double rho = std::pow(10.0, static_cast<double>(set.log_rho[i]));
    const double err = (0.02 + 0.03 * (i % 5)) * rho;
    set.log_rho_upper[i] = static_cast<float>(std::log10(rho + err));
    // Every third bar reaches further down than up.
    const double down = i % 3 == 0 ? 1.6 * err : err;
    set.log_rho_lower[i] = static_cast<float>(std::log10(rho - down));
  }
  ScriptedUi ui;
  ASSERT_TRUE(SmoothFieldSet(set, SmoothingOptions{50.0, false}, ui));
  std::vector<double> x, y, w, e;
  for (int i = 0; i < 30; ++i) {
    x.push_back(std::log10(1.0 / set.freq[i]));
    y.push_back(set.log_rho[i]);
    const double up = std::pow(10.0, static_cast<double>(set.log_rho_upper[i]));
    const double lo = std::pow(10.0, static_cast<double>(set.log_rho_lower[i]));
    const double rho = std::pow(10.0, static_cast<double>(set.log_rho[i]));
    e.push_back(std::fabs(up - lo) * 0.5 / rho + 0.01);
  }
  const double e_min = *std::min_element(e.begin(), e.end());
  for (double ei : e) w.push_back(1.0 / ((ei / e_min) * (ei / e_min)));
  std::vector<double> interior;
  for (int j = 5; j <= 15; ++j)
    interior.push_back(x[0] + (j - 1) * (x[29] - x[0]) / 18.0);
  const std::vector<double> expected = DenseSpline(x, y, w, interior);
  for (int i = 0; i < 30; ++i)
    EXPECT_NEAR(set.smoothed_log_rho[i], expected[i], 2e-5) << i;
}

TEST(Smoothing, LinesFewPointsTrailingPointsAndIgnoredErrors) {
  // A straight line is reproduced, with the bounded slope.
  FieldSet set;
  FillSet(set, 30, [](double t) { return 1.0 + 0.5 * t; });
  ScriptedUi ui;
  ASSERT_TRUE(SmoothFieldSet(set, SmoothingOptions{}, ui));
  EXPECT_TRUE(ui.prompts().empty());
  for (int i = 0; i < 30; ++i) {
    EXPECT_NEAR(set.smoothed_log_rho[i], set.log_rho[i], 2e-6) << i;
    EXPECT_NEAR(set.smoothed_slope[i], 0.4638, 1e-4) << i;
  }
  EXPECT_EQ(set.smoothed_log_rho_copy, set.smoothed_log_rho);
  EXPECT_EQ(set.effective_count, 30);
  // Fewer than 8 points: a single cubic, which a cubic curve fills exactly.
  FieldSet few;
  FillSet(few, 6, [](double t) { return 2.0 + t - 0.3 * t * t * t; });
  ASSERT_TRUE(SmoothFieldSet(few, SmoothingOptions{100.0, false}, ui));
  for (int i = 0; i < 6; ++i)
    EXPECT_NEAR(few.smoothed_log_rho[i], few.log_rho[i], 2e-6);
  // Fewer than 4 points are refused; the set keeps -14 and slope 0.
  FieldSet three;
  FillSet(three, 3, [](double) { return 2.0; });
  three.smoothed_log_rho.fill(-12.0f);
  EXPECT_FALSE(SmoothFieldSet(three, SmoothingOptions{}, ui));
  ASSERT_EQ(ui.prompts().size(), 1u);
  EXPECT_EQ(ui.prompts()[0].text, "if(NCAP7<8 || M<NCAP7-4)");
  EXPECT_EQ(ui.prompts()[0].caption, kSplineFitCaption);
  EXPECT_EQ(ui.prompts()[0].icon, Icon::kStop);
  EXPECT_EQ(three.smoothed_log_rho[2], -14.0f);
  EXPECT_EQ(three.smoothed_log_rho[3], -12.0f);
  EXPECT_EQ(three.smoothed_slope[0], 0.0f);

  // With ignored errors the error bounds do not matter.
  auto noisy = [](double t) { return 1.5 + 0.3 * std::sin(7.0 * t); };
  FieldSet a, b;
  FillSet(a, 40, noisy, 0.05);
  FillSet(b, 40, noisy, 0.05);
  for (int i = 0; i < 40; i += 3) b.log_rho_upper[i] += 0.5f;
  const SmoothingOptions ignore{25.0, true}, weigh{25.0, false};
  ASSERT_TRUE(SmoothFieldSet(a, ignore, ui));
  ASSERT_TRUE(SmoothFieldSet(b, ignore, ui));
  EXPECT_EQ(b.smoothed_log_rho, a.smoothed_log_rho);
  ASSERT_TRUE(SmoothFieldSet(b, weigh, ui));
  EXPECT_THAT(b.smoothed_log_rho,
              testing::Not(Pointwise(FloatNear(1e-3), a.smoothed_log_rho)));
}

// Phase of rho ~ T^m, integral truncated at |v| < ln 200, Simpson in v:
// 45 - m (180 / pi^2) J, J = integral of v / (2 sinh v).
double PowerLawPhase(double m) {
  const double a = std::log(200.0);
  const int n = 20000;
  double j = 0.0;
  for (int i = 0; i <= n; ++i) {
    const double v = -a + 2.0 * a * i / n;
    const double f = std::fabs(v) < 1e-12 ? 0.5 : v / (2.0 * std::sinh(v));
    j += f * (i == 0 || i == n ? 1 : (i % 2 ? 4 : 2));
  }
  j *= 2.0 * a / n / 3.0;
  return 45.0 - m * j * 180.0 / (M_PI * M_PI);
}

TEST(PhaseFromResistivity, ConstantCurveGives45AndThePhaseFollowsTheSlope) {
  ScriptedUi ui;
  FieldSet flat;
  FillSet(flat, 30, [](double) { return 2.0; });
  PhaseFromResistivity(flat, SmoothingOptions{}, ui);
  for (int i = 0; i < 30; ++i) EXPECT_NEAR(flat.phase_from_rho[i], 45.0, 1e-4);
  EXPECT_EQ(flat.phase_from_rho[30], -100.0f);
  EXPECT_EQ(flat.phase_from_rho[31], 0.0f);

  EXPECT_NEAR(PowerLawPhase(0.5), 23.07, 0.01);
  for (double m : {0.5, -0.4}) {
    FieldSet line;
    FillSet(line, 30, [m](double t) { return 1.0 + m * t; });
    PhaseFromResistivity(line, SmoothingOptions{}, ui);
    for (int i = 0; i < 30; ++i) {
      EXPECT_NEAR(line.phase_from_rho[i], PowerLawPhase(m), 2e-3) << m << i;
    }
  }
  EXPECT_TRUE(ui.prompts().empty());

  // Ascending frequencies: the fit and the integrand say so; no phase.
  FieldSet reversed;
  FillSet(reversed, 10, [](double) { return 2.0; });
  std::reverse(reversed.freq.begin(), reversed.freq.begin() + 10);
  PhaseFromResistivity(reversed, SmoothingOptions{}, ui);
  ASSERT_EQ(ui.prompts().size(), 2u);
  EXPECT_EQ(ui.prompts()[0].text, "E02BAF 2=1");
  EXPECT_EQ(ui.prompts()[0].caption, "E02BAF-2 ERROR");
  EXPECT_EQ(ui.prompts()[1].text, "ERR=1");
  EXPECT_EQ(ui.prompts()[1].caption, "E02BCF in FUN");
  EXPECT_EQ(reversed.phase_from_rho[0], -100.0f);
}

TEST(SmoothingWindow, MarksApplyAndClose) {
  auto stores = test::NewStores();
  FieldSets& sets = stores->sets;
  FillSet(sets[1], 30, [](double t) { return 1.0 + 0.1 * t; });
  sets[1].in_use = 2;
  ScriptedUi ui;
  SmoothingWindowLogic logic(stores->workspace, sets, ui);
  EXPECT_EQ(logic.tension_position, 32);
  EXPECT_FALSE(logic.ToggleSlot(0));  // no curve in slot 1
  EXPECT_EQ(sets[0].smoothing_mark, -1);

  ui.Expect("Nothing selected...", Answer::kOk);
  EXPECT_FALSE(logic.Apply());
  EXPECT_EQ(ui.prompts().back().text, "Mark any set to smooth");
  EXPECT_TRUE(ui.posts().empty());

  EXPECT_TRUE(logic.ToggleSlot(1));
  EXPECT_EQ(sets[1].smoothing_mark, 1);
  logic.res_to_phase = true;
  logic.ignore_errors = true;
  logic.SetTension(63, 126);
  stores->workspace.depth_window_open = true;
  stores->workspace.graph_drawing = 1;
  EXPECT_FALSE(logic.Apply());  // while a graph is drawn
  stores->workspace.graph_drawing = 0;
  ASSERT_TRUE(logic.Apply());
  EXPECT_EQ(stores->workspace.smoothing.tension_position, 63);
  EXPECT_EQ(stores->workspace.smoothing.ignore_errors, 1);
  EXPECT_EQ(stores->workspace.smoothing.res_to_phase, 1);
  EXPECT_NEAR(sets[1].phase_from_rho[0], 45.0 - 0.1 * 45.0, 0.2);
  EXPECT_THAT(
      ui.posts(),
      ElementsAre(FieldsAre(Window::kMainFrame, Um::UM_SMOOTH, _, _),
                  FieldsAre(Window::kDepthWindow, Um::UM_SETSCHANGED, _, _)));

  int repaints = 0;
  RunSmoothingRequest(stores->workspace, sets, ui, [&] { ++repaints; });
  EXPECT_EQ(repaints, 2);
  EXPECT_EQ(sets[1].smoothed, 1);
  EXPECT_EQ(stores->workspace.any_set_smoothed, 1);
  EXPECT_NEAR(sets[1].smoothed_log_rho[4], sets[1].log_rho[4], 1e-5);
  EXPECT_EQ(sets[1].smoothed_log_rho[30], -12.0f);
  EXPECT_EQ(sets[0].smoothed, 0);
  EXPECT_EQ(ui.posts().back().message, Um::UM_LINEREFRESH);

  logic.MarkAll();
  EXPECT_EQ(sets[0].smoothing_mark, -1);
  logic.Close();
  EXPECT_EQ(sets[1].smoothing_mark, -1);
  EXPECT_EQ(ui.posts().back().message, Um::UM_SMOOTHCLOSED);
}

// Smoothing and transforming hostile sets stores no NaN.
void ExpectNoNan(const FieldSet& s, const std::string& what) {
  for (const PointArray* a : {&s.smoothed_log_rho,
                              &s.smoothed_slope,
                              &s.phase_from_rho,
                              &s.depth,
                              &s.log_res,
                              &s.log_s}) {
    for (int i = 0; i < MaxFreq; ++i)
      EXPECT_FALSE(std::isnan((*a)[i])) << what << " " << i;
  }
}

TEST(SmoothingRobustness, HostileSetsStoreNoNan) {
  const std::pair<const char*, std::function<void(FieldSet&)>> shapes[] = {
      {"one point", [](FieldSet& s) { s.count = 1; }},
      {"no point", [](FieldSet& s) { s.count = 0; }},
      {"negative count", [](FieldSet& s) { s.count = -5; }},
      {"huge count", [](FieldSet& s) { s.count = 1000; }},
      {"same periods", [](FieldSet& s) { s.freq.fill(3.0f); }},
      {"all off",
       [](FieldSet& s) {
         s.point_use.fill(0.0f);
         s.point_deleted.fill(1);
       }},
      {"nan values",
       [](FieldSet& s) { s.log_rho[3] = s.log_rho_upper[5] = NAN; }},
      {"zero and negative frequency",
       [](FieldSet& s) { s.freq[0] = 0.0f, s.freq[7] = -1.0f; }},
      {"infinite values",
       [](FieldSet& s) { s.log_rho[0] = s.freq[19] = INFINITY; }},
      {"an infinite period among four",
       [](FieldSet& s) {
         s.count = 5;
         s.freq = {3.83e15f, 3.82e15f, 3.82e15f, 3e-43f, 0.0f};
       }},
      {"a resistivity that underflows",
       [](FieldSet& s) { s.log_rho[1] = -3.28e14f; }},
      {"huge resistivity", [](FieldSet& s) {
         for (int i = 0; i < 20; ++i) s.log_rho[i] = i % 2 ? 30.0f : -30.0f;
       }}};
  for (const auto& [what, shape] : shapes) {
    auto stores = test::NewStores();
    FieldSet& set = stores->sets[0];
    set.in_use = 1;
    set.count = 20;
    for (int i = 0; i < 20; ++i) {
      set.freq[i] = static_cast<float>(std::pow(10.0, 2.0 - 0.2 * i));
      set.log_rho[i] = 2.0f;
      set.log_rho_upper[i] = 2.02f;
      set.log_rho_lower[i] = 1.98f;
    }
    shape(set);
    set.smoothing_mark = 1;
    ScriptedUi ui;
    for (bool ignore : {false, true}) {
      stores->workspace.smoothing.ignore_errors = ignore;
      PhaseFromResistivity(set, SmoothingOptions::From(stores->workspace), ui);
      RunSmoothingRequest(stores->workspace, stores->sets, ui);
      TransformAll(stores->sets, stores->models);
      ExpectNoNan(set, what);
    }
  }
}

}  // namespace
}  // namespace mtvuk
