// The vectorised layered response: the recursion of the scalar kernel
// (forward_1d.cpp) with one period per SIMD lane, compiled for each
// instruction set Highway supports and chosen at run time.
#ifndef MTVUK_LAYERED_RESPONSE_TERMS
#define MTVUK_LAYERED_RESPONSE_TERMS
#include <algorithm>
#include <array>
#include <cmath>

#include "core/physics/forward_1d.h"
#include "core/physics/layered_response.h"

namespace mtvuk {
namespace {

// The layer terms that do not depend on the period, as the scalar kernel
// forms them: sqrt(rho[l+1] / rho[l]) and 2 pi h[l] / sqrt(rho[l]).
struct LayerTerms {
  int n = 0;
  double rho_top = 0.0;
  std::array<double, kMaxProfileLayers> ratio{};
  std::array<double, kMaxProfileLayers> depth{};
};

LayerTerms TermsOf(const double* rho, const double* h, int n) {
  LayerTerms t;
  std::array<int, kMaxProfileLayers> source;
  t.n = KeptLayers(h,
                   std::clamp(n, 2, kMaxProfileLayers),
                   Physics::kCorrected,
                   source.data());
  t.rho_top = rho[source[0]];
  for (int l = 0; l + 1 < t.n; ++l) {
    const double r = rho[source[l]];
    t.ratio[l] = std::sqrt(rho[source[l + 1]] / r);
    const double thickness = source[l] == source[l + 1] ? 1.0 : h[source[l]];
    t.depth[l] = kTwoPi * thickness / std::sqrt(r);
  }
  return t;
}

}  // namespace
}  // namespace mtvuk
#endif

// Highway's order: the target list, then the library, then its math.
// clang-format off
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/physics/layered_response_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>
#include <hwy/contrib/math/math-inl.h>
// clang-format on

HWY_BEFORE_NAMESPACE();
namespace mtvuk {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

template <class D, class V = hn::Vec<D>>
HWY_INLINE void Lanes(
    D d, const LayerTerms& terms, V period, V& log_rho_a, V& phase) {
  const hn::RebindToSigned<D> di;
  const V one = hn::Set(d, 1.0);
  const V zero = hn::Zero(d);
  V y_re = one, y_im = zero;
  const V skin = hn::Div(one, hn::Sqrt(hn::Mul(hn::Set(d, 10.0), period)));
  for (int l = terms.n - 2; l >= 0; --l) {
    const V x = hn::Mul(hn::Set(d, terms.depth[l]), skin);
    // coth((1 - i) x) as in CothOneMinusI: tan x as a fraction (Cephes),
    // exp(-2x) below x = 300, 1 beyond x = 10000.
    const V e = hn::IfThenElseZero(
        hn::Lt(x, hn::Set(d, 300.0)),
        hn::CallExp(d,
                    hn::Mul(hn::Set(d, -2.0), hn::Min(x, hn::Set(d, 300.0)))));
    const V n_ = hn::Add(one, e);
    const V d_ = hn::Sub(one, e);
    auto j = hn::ConvertTo(di, hn::Mul(x, hn::Set(d, 1.27323954473516268615)));
    j = hn::Add(j, hn::And(j, hn::Set(di, 1)));
    const V yj = hn::ConvertTo(d, j);
    const V z = hn::Sub(
        hn::Sub(
            hn::Sub(x, hn::Mul(yj, hn::Set(d, 7.853981554508209228515625e-1))),
            hn::Mul(yj, hn::Set(d, 7.94662735614792836714e-9))),
        hn::Mul(yj, hn::Set(d, 3.06161699786838294307e-17)));
    const V zz = hn::Mul(z, z);
    const V p = hn::Sub(
        hn::Mul(hn::Add(hn::Mul(hn::Set(d, -1.30936939181383777646e4), zz),
                        hn::Set(d, 1.15351664838587416140e6)),
                zz),
        hn::Set(d, 1.79565251976484877988e7));
    const V q = hn::Sub(
        hn::Mul(
            hn::Add(
                hn::Mul(
                    hn::Sub(
                        hn::Mul(
                            hn::Add(zz, hn::Set(d, 1.36812963470692954678e4)),
                            zz),
                        hn::Set(d, 1.32089234440210967447e6)),
                    zz),
                hn::Set(d, 2.50083801823357915839e7)),
            zz),
        hn::Set(d, 5.38695755929454629881e7));
    const V t = hn::Add(hn::Mul(z, q), hn::Mul(hn::Mul(z, zz), p));
    const auto odd =
        hn::RebindMask(d, hn::Ne(hn::And(j, hn::Set(di, 2)), hn::Zero(di)));
    const V t_num = hn::IfThenElse(odd, hn::Neg(q), t);
    const V t_den = hn::IfThenElse(odd, t, q);
    const V tn2 = hn::Mul(t_num, t_num);
    const V td2 = hn::Mul(t_den, t_den);
    const V inv = hn::Div(
        one,
        hn::Add(hn::Mul(hn::Mul(d_, d_), td2), hn::Mul(hn::Mul(n_, n_), tn2)));
    const auto far = hn::Gt(x, hn::Set(d, 10000.0));
    const V c_re = hn::IfThenElse(
        far, one, hn::Mul(hn::Mul(hn::Mul(n_, d_), hn::Add(td2, tn2)), inv));
    const V c_im = hn::IfThenElseZero(
        hn::Not(far),
        hn::Mul(hn::Mul(hn::Mul(hn::Mul(hn::Set(d, 4.0), e), t_num), t_den),
                inv));
    // The recursion step of the scalar kernel.
    const V ratio = hn::Set(d, terms.ratio[l]);
    const V a_re = hn::Mul(ratio, y_re);
    const V a_im = hn::Mul(ratio, y_im);
    const V a2 = hn::Add(hn::Mul(a_re, a_re), hn::Mul(a_im, a_im));
    const V c2 = hn::Add(hn::Mul(c_re, c_re), hn::Mul(c_im, c_im));
    const V sum_re = hn::Add(a_re, c_re);
    const V sum_im = hn::Add(a_im, c_im);
    const V inv_d =
        hn::Div(one, hn::Add(hn::Mul(sum_re, sum_re), hn::Mul(sum_im, sum_im)));
    y_re = hn::Mul(hn::Add(hn::Mul(hn::Add(c2, one), a_re),
                           hn::Mul(hn::Add(a2, one), c_re)),
                   inv_d);
    y_im = hn::Mul(hn::Add(hn::Mul(hn::Sub(c2, one), a_im),
                           hn::Mul(hn::Sub(a2, one), c_im)),
                   inv_d);
  }
  const V y2 = hn::Add(hn::Mul(y_re, y_re), hn::Mul(y_im, y_im));
  log_rho_a = hn::CallLog10(d, hn::Mul(hn::Set(d, terms.rho_top), y2));
  // The phase pi/4 - arg Y; Y lies in the right half-plane for every
  // layered earth (its phase within 0..90 degrees), where arg Y is
  // atan(Im / Re).
  phase = hn::Sub(hn::Set(d, 0.7853981633974483),
                  hn::CallAtan(d, hn::Div(y_im, y_re)));
}

void Evaluate(const LayerTerms& terms,
              const double* periods,
              int count,
              double* log_rho_a,
              double* phase) {
  const hn::ScalableTag<double> d;
  const int lanes = static_cast<int>(hn::Lanes(d));
  int i = 0;
  for (; i + lanes <= count; i += lanes) {
    hn::Vec<decltype(d)> r, p;
    Lanes(d, terms, hn::LoadU(d, periods + i), r, p);
    hn::StoreU(r, d, log_rho_a + i);
    hn::StoreU(p, d, phase + i);
  }
  if (i < count) {
    // The last periods in a padded register.
    HWY_ALIGN double in[HWY_MAX_BYTES / sizeof(double)];
    HWY_ALIGN double out_r[HWY_MAX_BYTES / sizeof(double)];
    HWY_ALIGN double out_p[HWY_MAX_BYTES / sizeof(double)];
    for (int w = 0; w < lanes; ++w) in[w] = periods[std::min(i + w, count - 1)];
    hn::Vec<decltype(d)> r, p;
    Lanes(d, terms, hn::Load(d, in), r, p);
    hn::Store(r, d, out_r);
    hn::Store(p, d, out_p);
    for (int w = 0; i + w < count; ++w) {
      log_rho_a[i + w] = out_r[w];
      phase[i + w] = out_p[w];
    }
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace mtvuk
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace mtvuk {
HWY_EXPORT(Evaluate);

void LayeredResponseSimd(const double* rho,
                         const double* h,
                         int n,
                         const double* periods,
                         int count,
                         double* log_rho_a,
                         double* phase) {
  const LayerTerms terms = TermsOf(rho, h, n);
  HWY_DYNAMIC_DISPATCH(Evaluate)(terms, periods, count, log_rho_a, phase);
}

}  // namespace mtvuk
#endif
