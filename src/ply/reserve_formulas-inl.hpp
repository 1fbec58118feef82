// The closed-form reserve factor of each criterion at a ply point, written once for any lanes of
// doubles: one double (point_reserve, failure_criteria.hpp) or a SIMD vector of points
// (analysis/reserve_kernel.cpp, once per instruction set). Every lane takes the same operations in
// the same order, with no fused multiply-add, so a vector lane gives the bits of the scalar.
//
// No include guard, on purpose: the text is included inside a namespace, once for the scalar and
// once per instruction set, each compiled for its own target. It includes nothing itself.
//
// The lanes L provide the types V (values) and M (conditions) and
//   set(x)                          x in every lane
//   lt(a, b), le(a, b), eq(a, b)    a < b, a <= b, a == b (false where either is NaN)
//   negated(m), any(m)              !m; whether m holds in some lane
//   select(m, a, b)                 m ? a : b
//   abs(a), fmax(a, b), sqrt(a)     std::fabs, std::fmax (NaN only when both are), std::sqrt
//   copysign(a, b)                  std::copysign
// with +, -, * and / on V. The constants K have the members of CriterionConstants, as V.

// The formulas are inlined into their callers (a vector loop would otherwise call out for each
// vector of points).

// x where x > 0, otherwise +infinity (also for NaN): "no positive factor".
template <class L>
[[gnu::always_inline]] inline typename L::V positive_or_none(const L& l, typename L::V x) {
  return l.select(l.lt(l.set(0.0), x), x, l.set(kReserveNone));
}

// The smallest positive x with quad x^2 + lin x = 1, or +infinity when there is none: the load
// factor at which a quadratic criterion reaches 1 along a proportional load path. The roots come
// in the stable pair q / quad and -1 / q with q = -(lin + sign(lin) sqrt(lin^2 + 4 quad)) / 2.
template <class L>
[[gnu::always_inline]] inline typename L::V positive_quadratic_root_of(const L& l,
                                                                       typename L::V quad,
                                                                       typename L::V lin) {
  using V = typename L::V;
  const V zero = l.set(0.0), minus_one = l.set(-1.0);
  const V disc = lin * lin + l.set(4.0) * quad;
  const V q = l.set(-0.5) * (lin + l.copysign(l.sqrt(disc), lin));
  // 1. quad > 0, the usual case (the quadratic part of Tsai-Wu and Hoffman is positive definite
  //    for allowables of one sign): the roots have opposite signs, their product being -1 / quad,
  //    and the positive one is -1 / q when q < 0 and q / quad when q > 0. One division.
  const auto q_negative = l.lt(q, zero);
  V root = positive_or_none(l, l.select(q_negative, minus_one, q) / l.select(q_negative, q, quad));
  // 2. Otherwise every case: quad = 0 leaves lin x = 1; a negative discriminant (or NaN) has no
  //    root; q = 0 leaves x^2 = 1 / quad; else the smaller positive of the pair (q / quad first).
  const auto other = l.negated(l.lt(zero, quad));
  if (l.any(other)) {
    const V linear = positive_or_none(l, l.set(1.0) / lin);
    const V first = positive_or_none(l, q / quad), second = positive_or_none(l, minus_one / q);
    V general = l.select(l.lt(second, first), second, first);
    general = l.select(l.eq(q, zero), positive_or_none(l, l.sqrt(l.set(1.0) / quad)), general);
    general = l.select(l.le(zero, disc), general, l.set(kReserveNone));
    general = l.select(l.eq(quad, zero), linear, general);
    root = l.select(other, general, root);
  }
  return root;
}

// The largest of value over allowable (maximum strain and stress): the failure number that
// reaches 1 first.
template <class L, class K>
[[gnu::always_inline]] inline typename L::V max_ratio_of(const L& l, const K& k, typename L::V s1,
                                                         typename L::V s2, typename L::V s12) {
  using V = typename L::V;
  const V zero = l.set(0.0);
  const V ix = l.select(l.lt(s1, zero), k.inv_c1, k.inv_t1);
  const V iy = l.select(l.lt(s2, zero), k.inv_c2, k.inv_t2);
  return l.fmax(l.fmax(l.abs(s1 * ix), l.abs(s2 * iy)), l.abs(s12 * k.inv_s));
}

// Tsai-Hill's failure number, homogeneous of degree two in the ply values.
template <class L, class K>
[[gnu::always_inline]] inline typename L::V tsai_hill_number_of(const L& l, const K& k,
                                                                typename L::V s1, typename L::V s2,
                                                                typename L::V s12) {
  using V = typename L::V;
  const V zero = l.set(0.0);
  const V ix = l.select(l.lt(s1, zero), k.inv_c1, k.inv_t1);
  const V iy = l.select(l.lt(s2, zero), k.inv_c2, k.inv_t2);
  return s1 * s1 * (ix * ix) + s2 * s2 * (iy * iy) - s1 * s2 * (ix * ix) +
         s12 * s12 * (k.inv_s * k.inv_s);
}

// The quadratic and linear parts of modified Tsai-Wu (f12 = 0) and Hoffman at unit load factor:
// the failure number at factor R is quad R^2 + lin R.
template <class L, class K>
[[gnu::always_inline]] inline void quadratic_terms_of(const K& k, typename L::V s1,
                                                      typename L::V s2, typename L::V s12,
                                                      typename L::V& quad, typename L::V& lin) {
  lin = k.f1 * s1 + k.f2 * s2;
  quad = k.f11 * s1 * s1 + k.f22 * s2 * s2 + k.f66 * s12 * s12 - k.f12 * s1 * s2;
}

// The reserve factor of a criterion at ply points with values s1, s2, s12 (stresses; strains for
// maximum strain): the factor by which the loads can be scaled before the criterion reaches
// failure there, +infinity when it never does. The ply values scale with the loads and keep their
// signs, so the allowables chosen by sign stay: maximum strain and maximum stress are linear (each
// value over its allowable reaches magnitude 1), Tsai-Hill is homogeneous of degree two (the
// square root), modified Tsai-Wu and Hoffman are quadratic with linear terms and reach F = +1 at
// the positive root of quad R^2 + lin R = 1. Ply values that are not finite (a field that could
// not be worked out) give NaN: undefined, which is not "never fails".
template <Criterion kCriterion, class L, class K>
[[gnu::always_inline]] inline typename L::V point_reserve_of(const L& l, const K& k,
                                                             typename L::V s1, typename L::V s2,
                                                             typename L::V s12) {
  using V = typename L::V;
  const V zero = l.set(0.0);
  V factor;
  if constexpr (kCriterion == Criterion::kMaxStrain || kCriterion == Criterion::kMaxStress) {
    const V m = max_ratio_of(l, k, s1, s2, s12);
    factor = l.select(l.lt(zero, m), l.set(1.0) / m, l.set(kReserveNone));
  } else if constexpr (kCriterion == Criterion::kTsaiHill) {
    const V fn = tsai_hill_number_of(l, k, s1, s2, s12);
    factor = l.select(l.lt(zero, fn), l.set(1.0) / l.sqrt(fn), l.set(kReserveNone));
  } else {
    V quad, lin;
    quadratic_terms_of<L>(k, s1, s2, s12, quad, lin);
    factor = positive_quadratic_root_of(l, quad, lin);
  }
  return l.select(l.lt(l.abs(s1 + s2 + s12), l.set(kReserveNone)), factor,
                  l.set(kReserveUndefined));
}
