// The reserve factors' inner loop on SIMD vectors (Highway's operations, compiled per
// instruction set). This file is compiled once per instruction set: foreach_target.h includes it
// again for each, inside that target's namespace and with its compiler options; the code after
// HWY_ONCE is compiled once and calls the widest set the processor runs. Only Highway's headers
// are used: its shared library, and the start-up work its loading does, stay out of the program.
#include "analysis/reserve_kernel.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "analysis/reserve_kernel.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace hs {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using D = hn::ScalableTag<double>;
using DI = hn::RebindToSigned<D>;  // 64-bit integers, lane for lane: the indices of the points
using V = hn::Vec<D>;

// The lanes of reserve_formulas-inl.hpp for a vector of ply points.
struct VectorLanes {
  using V = hn::Vec<D>;
  using M = hn::Mask<D>;
  D d;
  V set(double x) const { return hn::Set(d, x); }
  M lt(V a, V b) const { return hn::Lt(a, b); }
  M le(V a, V b) const { return hn::Le(a, b); }
  M eq(V a, V b) const { return hn::Eq(a, b); }
  M negated(M m) const { return hn::Not(m); }
  bool any(M m) const { return !hn::AllFalse(d, m); }
  V select(M m, V a, V b) const { return hn::IfThenElse(m, a, b); }
  V abs(V a) const { return hn::Abs(a); }
  // std::fmax: a NaN operand gives way to the other (the processor's max would return its second
  // operand whenever either is NaN).
  V fmax(V a, V b) const {
    return hn::IfThenElse(hn::IsNaN(a), b, hn::IfThenElse(hn::Lt(a, b), b, a));
  }
  V sqrt(V a) const { return hn::Sqrt(a); }
  V copysign(V a, V b) const { return hn::CopySign(a, b); }
};

#include "ply/reserve_formulas-inl.hpp"

// A criterion's constants at the points n to n + lanes - 1.
struct VectorConstants {
  V inv_t1, inv_c1, inv_t2, inv_c2, inv_s, f1, f2, f11, f22, f66, f12;
};

HWY_INLINE VectorConstants load_constants(D d, const PointConstants& k, std::size_t n) {
  return {hn::LoadU(d, &k.inv_t1[n]), hn::LoadU(d, &k.inv_c1[n]), hn::LoadU(d, &k.inv_t2[n]),
          hn::LoadU(d, &k.inv_c2[n]), hn::LoadU(d, &k.inv_s[n]),  hn::LoadU(d, &k.f1[n]),
          hn::LoadU(d, &k.f2[n]),     hn::LoadU(d, &k.f11[n]),    hn::LoadU(d, &k.f22[n]),
          hn::LoadU(d, &k.f66[n]),    hn::LoadU(d, &k.f12[n])};
}

HWY_INLINE CriterionConstants constants_at(const PointConstants& k, std::size_t n) {
  return {k.criterion, k.inv_t1[n], k.inv_c1[n], k.inv_t2[n], k.inv_c2[n], k.inv_s[n],
          k.f1[n],     k.f2[n],     k.f11[n],    k.f22[n],    k.f66[n],    k.f12[n]};
}

HWY_INLINE V vector_reserve(const VectorLanes& l, Criterion criterion, const VectorConstants& k,
                            V s1, V s2, V s12) {
  switch (criterion) {
    case Criterion::kMaxStrain:
      return point_reserve_of<Criterion::kMaxStrain>(l, k, s1, s2, s12);
    case Criterion::kMaxStress:
      return point_reserve_of<Criterion::kMaxStress>(l, k, s1, s2, s12);
    case Criterion::kTsaiHill:
      return point_reserve_of<Criterion::kTsaiHill>(l, k, s1, s2, s12);
    case Criterion::kTsaiWu:
      return point_reserve_of<Criterion::kTsaiWu>(l, k, s1, s2, s12);
    default:
      return point_reserve_of<Criterion::kHoffman>(l, k, s1, s2, s12);
  }
}

constexpr std::size_t kMaxLanes = HWY_MAX_BYTES / sizeof(double);
constexpr std::int64_t kNoPoint = std::numeric_limits<std::int64_t>::max();

// Screening. The exact factor of every point would cost a division (and a square root) per
// point; a key per point, cheap to form, that orders the points as their factors do (larger key,
// smaller factor) picks out the few that can hold the smallest factor, and only the vectors
// holding those are evaluated exactly. Each key comes as bounds [low, high] on what it would be
// without the roundings of its own forming:
//  - maximum strain and stress: the largest ratio m (factor 1 / m), and Tsai-Hill: the failure
//    number fn (factor 1 / sqrt(fn)), both formed by the very operations of the formula: low =
//    high = key. 0 where the factor is not positive.
//  - modified Tsai-Wu and Hoffman with quad > 0: lin + sqrt(lin^2 + 4 quad) = 2 / root, formed
//    without the division; its rounding is bounded by kKeyRounding (|lin| + sqrt(...)), which
//    covers the cancellation when lin < 0. Where quad is not positive, or the key is not finite,
//    high is NaN: such points are always evaluated exactly.
// The largest low over the points, less kTieMargin of itself, is the bar: every point whose exact
// factor equals the smallest, which rounds from keys within a few roundings of the largest, has
// a high at or above it.
constexpr double kKeyRounding = 1e-14;
constexpr double kTieMargin = 1e-12;

struct Key {
  V low, high;
};

HWY_INLINE Key quadratic_key(V quad, V lin) {
  const D d;
  const V root_disc = hn::Sqrt(lin * lin + hn::Set(d, 4.0) * quad);
  const V key = lin + root_disc;
  const V rounding = (hn::Abs(lin) + root_disc) * hn::Set(d, kKeyRounding);
  const auto usable = hn::And(hn::Lt(hn::Zero(d), quad), hn::Lt(key, hn::Set(d, kReserveNone)));
  return {hn::IfThenElse(usable, key - rounding, hn::Set(d, -kReserveNone)),
          hn::IfThenElse(usable, key + rounding, hn::NaN(d))};
}

template <Criterion kCriterion>
HWY_INLINE Key screening_key(const VectorLanes& l, const VectorConstants& k, V s1, V s2, V s12) {
  const D d;
  const V inf = hn::Set(d, kReserveNone);
  Key key;
  if constexpr (kCriterion == Criterion::kMaxStrain || kCriterion == Criterion::kMaxStress ||
                kCriterion == Criterion::kTsaiHill) {
    V value = kCriterion == Criterion::kTsaiHill ? tsai_hill_number_of(l, k, s1, s2, s12)
                                                 : max_ratio_of(l, k, s1, s2, s12);
    value = hn::IfThenElseZero(hn::And(hn::Lt(hn::Zero(d), value), hn::Lt(value, inf)), value);
    key = {value, value};
  } else {
    V quad, lin;
    quadratic_terms_of<VectorLanes>(k, s1, s2, s12, quad, lin);
    key = quadratic_key(quad, lin);
  }
  // Ply values that are not finite make the factor undefined: always evaluated exactly.
  const auto finite = hn::Lt(hn::Abs(s1 + s2 + s12), inf);
  return {hn::IfThenElse(finite, key.low, hn::Zero(d)),
          hn::IfThenElse(finite, key.high, hn::NaN(d))};
}

HWY_INLINE Key vector_key(const VectorLanes& l, Criterion criterion, const VectorConstants& k, V s1,
                          V s2, V s12) {
  switch (criterion) {
    case Criterion::kMaxStrain:
    case Criterion::kMaxStress:
      return screening_key<Criterion::kMaxStress>(l, k, s1, s2, s12);
    case Criterion::kTsaiHill:
      return screening_key<Criterion::kTsaiHill>(l, k, s1, s2, s12);
    default:
      return screening_key<Criterion::kHoffman>(l, k, s1, s2, s12);
  }
}

template <bool kBolt>
HWY_INLINE void superpose(D d, const UnitPointFields& f, const CaseBlock& cases, std::size_t i,
                          std::size_t n, V s[3]) {
  const V tx = hn::Set(d, cases.t[i][0]), ty = hn::Set(d, cases.t[i][1]);
  const V txy = hn::Set(d, cases.t[i][2]);
  for (int j = 0; j < 3; ++j) {
    s[j] = tx * hn::LoadU(d, f.x[j] + n) + ty * hn::LoadU(d, f.y[j] + n) +
           txy * hn::LoadU(d, f.xy[j] + n);
    if (kBolt) s[j] = s[j] + hn::Set(d, cases.bearing[i]) * hn::LoadU(d, f.bolt[j] + n);
  }
}

// 1. Every case's ply values, vector by vector (each vector of unit values and constants loaded
//    once for the block), and every criterion's key, with the largest key of each lane.
// 2. Per criterion and case, the vectors holding a key within the margin of the largest (or a
//    NaN key) evaluated exactly: each lane keeps the smallest positive factor of its points and
//    the first point reaching it; the lanes are then merged (the smallest factor, the first
//    point on ties), and the points after the last whole vector are taken one by one. Ties are
//    decided exactly as one loop over all the points in order would decide them.
template <bool kBolt>
void smallest_of_block(const PointConstants* const* criteria, std::size_t count,
                       const UnitPointFields& f, const CaseBlock& cases, std::size_t points,
                       double* keys, PointMinimum* out) {
  const VectorLanes l;
  const D d;
  const DI di;
  const std::size_t lanes = hn::Lanes(d);
  const std::size_t whole = points - points % lanes;
  HWY_ALIGN double largest[kMaxCriteria * kBlockCases * kMaxLanes];
  for (std::size_t o = 0; o < count * kBlockCases * lanes; o += lanes) {
    hn::Store(hn::Set(d, -kReserveNone), d, largest + o);
  }
  for (std::size_t n = 0; n < whole; n += lanes) {
    VectorConstants k[kMaxCriteria];
    for (std::size_t c = 0; c < count; ++c) k[c] = load_constants(d, *criteria[c], n);
    // Two cases at a time: the key is a long chain of dependent operations, and two independent
    // chains side by side keep the processor's units busy.
    for (std::size_t i = 0; i < cases.count; i += 2) {
      const std::size_t pair = i + 1 < cases.count ? 2 : 1;
      V s[2][3];
      for (std::size_t h = 0; h < pair; ++h) superpose<kBolt>(d, f, cases, i + h, n, s[h]);
      for (std::size_t c = 0; c < count; ++c) {
        Key key[2];
        for (std::size_t h = 0; h < pair; ++h) {
          key[h] = vector_key(l, criteria[c]->criterion, k[c], s[h][0], s[h][1], s[h][2]);
        }
        for (std::size_t h = 0; h < pair; ++h) {
          const std::size_t o = c * kBlockCases + i + h;
          hn::StoreU(key[h].high, d, keys + o * points + n);
          const V was = hn::Load(d, largest + o * lanes);
          hn::Store(hn::IfThenElse(hn::Lt(was, key[h].low), key[h].low, was), d,
                    largest + o * lanes);
        }
      }
    }
  }

  const V zero = hn::Zero(d);
  for (std::size_t c = 0; c < count; ++c) {
    const PointConstants& constants = *criteria[c];
    for (std::size_t i = 0; i < cases.count; ++i) {
      const std::size_t o = c * kBlockCases + i;
      double top = -kReserveNone;
      for (std::size_t lane = 0; lane < lanes; ++lane)
        top = std::max(top, largest[o * lanes + lane]);
      const double threshold =
          top > 0.0 && top < kReserveNone ? top - top * kTieMargin : kReserveNone;
      const V bar = hn::Set(d, threshold);
      V best = hn::Set(d, kReserveNone);
      auto best_at = hn::Zero(di);
      // The first point of each lane with an undefined factor (none: kNoPoint).
      const auto none = hn::Set(di, kNoPoint);
      auto undefined_at = none;
      for (std::size_t n = 0; n < whole; n += lanes) {
        const V key = hn::LoadU(d, keys + o * points + n);
        if (hn::AllFalse(d, hn::Or(hn::Ge(key, bar), hn::IsNaN(key)))) continue;
        V s[3];
        superpose<kBolt>(d, f, cases, i, n, s);
        const V r = vector_reserve(l, constants.criterion, load_constants(d, constants, n), s[0],
                                   s[1], s[2]);
        const auto at = hn::Iota(di, static_cast<std::int64_t>(n));
        const auto better = hn::And(hn::Lt(zero, r), hn::Lt(r, best));
        best = hn::IfThenElse(better, r, best);
        best_at = hn::IfThenElse(hn::RebindMask(di, better), at, best_at);
        const auto first_undefined =
            hn::And(hn::RebindMask(di, hn::IsNaN(r)), hn::Eq(undefined_at, none));
        undefined_at = hn::IfThenElse(first_undefined, at, undefined_at);
      }
      HWY_ALIGN double lane_best[kMaxLanes];
      HWY_ALIGN std::int64_t lane_at[kMaxLanes], lane_undefined[kMaxLanes];
      hn::Store(best, d, lane_best);
      hn::Store(best_at, di, lane_at);
      hn::Store(undefined_at, di, lane_undefined);
      PointMinimum m{kReserveNone, 0};
      std::int64_t undefined = kNoPoint;
      for (std::size_t lane = 0; lane < lanes; ++lane) {
        const auto point = static_cast<std::size_t>(lane_at[lane]);
        if (lane_best[lane] < m.factor || (lane_best[lane] == m.factor && point < m.point)) {
          m = {lane_best[lane], point};
        }
        undefined = std::min(undefined, lane_undefined[lane]);
      }
      // An undefined factor anywhere makes the criterion's undefined, at the first such point.
      if (undefined != kNoPoint) m = {kReserveUndefined, static_cast<std::size_t>(undefined)};
      for (std::size_t p = whole; p < points && !std::isnan(m.factor); ++p) {
        const double r =
            point_reserve(constants_at(constants, p), superpose_point(f, cases, i, 0, p),
                          superpose_point(f, cases, i, 1, p), superpose_point(f, cases, i, 2, p));
        if (std::isnan(r)) {
          m = {r, p};
        } else if (r > 0.0 && r < m.factor) {
          m = {r, p};
        }
      }
      out[o] = m;
    }
  }
}

void SmallestPointReserves(const PointConstants* const* criteria, std::size_t count,
                           const UnitPointFields& fields, const CaseBlock& cases,
                           std::size_t points, double* keys, PointMinimum* out) {
  if (fields.bolt[0]) {
    smallest_of_block<true>(criteria, count, fields, cases, points, keys, out);
  } else {
    smallest_of_block<false>(criteria, count, fields, cases, points, keys, out);
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace hs
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace hs {

namespace {

// Whether this processor, and its operating system, run the instructions each compiled set
// assumes (the features the SIMD library requires of it, each set those of the one below and
// more). The library's own detection would come with its shared library, whose loading costs
// every run of the program some milliseconds; the compiler's is enough here.
#if HWY_ARCH_X86
// A feature bit of the processor's identification (cpuid): leaf, register (0 eax, 1 ebx, 2 ecx,
// 3 edx) and bit; false when the leaf is beyond what the processor reports. For the features
// not every compiler's __builtin_cpu_supports names (F16C, LZCNT).
bool cpuid_bit(unsigned leaf, int reg, int bit) {
  unsigned r[4] = {0, 0, 0, 0};
  if (__get_cpuid(leaf, &r[0], &r[1], &r[2], &r[3]) == 0) return false;
  return ((r[reg] >> bit) & 1u) != 0;
}
bool runs_ssse3() {
  return __builtin_cpu_supports("ssse3");
}
bool runs_sse4() {
  return runs_ssse3() && __builtin_cpu_supports("sse4.1") && __builtin_cpu_supports("sse4.2") &&
         __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("aes");
}
bool runs_avx2() {
  return runs_sse4() && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
         __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
         cpuid_bit(1, 2, 29) /* F16C */ && cpuid_bit(0x80000001u, 2, 5) /* LZCNT */;
}
bool runs_avx3() {
  return runs_avx2() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
         __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
}
#endif
bool runs_always() {
  return true;
}

struct CompiledTarget {
  std::int64_t target;
  bool (*runs)();
  ReserveKernel kernel;
};

// The instruction sets compiled in, widest first; the last is the baseline every processor of
// the architecture runs.
const CompiledTarget kCompiled[] = {
#if HWY_ARCH_X86 && (HWY_TARGETS & HWY_AVX3)
    {HWY_AVX3, runs_avx3, &N_AVX3::SmallestPointReserves},
#endif
#if HWY_ARCH_X86 && (HWY_TARGETS & HWY_AVX2)
    {HWY_AVX2, runs_avx2, &N_AVX2::SmallestPointReserves},
#endif
#if HWY_ARCH_X86 && (HWY_TARGETS & HWY_SSE4)
    {HWY_SSE4, runs_sse4, &N_SSE4::SmallestPointReserves},
#endif
#if HWY_ARCH_X86 && (HWY_TARGETS & HWY_SSSE3)
    {HWY_SSSE3, runs_ssse3, &N_SSSE3::SmallestPointReserves},
#endif
    {HWY_STATIC_TARGET, runs_always, &HWY_NAMESPACE::SmallestPointReserves},
};

}  // namespace

std::vector<ReserveKernelTarget> reserve_kernel_targets() {
  std::vector<ReserveKernelTarget> out;
  for (const CompiledTarget& t : kCompiled) {
    if (t.runs()) out.push_back({hwy::TargetName(t.target), t.kernel});
  }
  return out;
}

PointConstants point_constants(const std::vector<CriterionConstants>& plies, int stations) {
  PointConstants k;
  if (!plies.empty()) k.criterion = plies.front().criterion;
  for (int j = 0; j < stations; ++j) {
    for (const CriterionConstants& p : plies) {
      k.inv_t1.push_back(p.inv_t1);
      k.inv_c1.push_back(p.inv_c1);
      k.inv_t2.push_back(p.inv_t2);
      k.inv_c2.push_back(p.inv_c2);
      k.inv_s.push_back(p.inv_s);
      k.f1.push_back(p.f1);
      k.f2.push_back(p.f2);
      k.f11.push_back(p.f11);
      k.f22.push_back(p.f22);
      k.f66.push_back(p.f66);
      k.f12.push_back(p.f12);
    }
  }
  return k;
}

// The widest instruction set this processor runs, chosen once.
const ReserveKernelTarget& best_target() {
  static const ReserveKernelTarget best = reserve_kernel_targets().front();
  return best;
}

void smallest_point_reserves(const PointConstants* const* criteria, std::size_t count,
                             const UnitPointFields& fields, const CaseBlock& cases,
                             std::size_t points, double* keys, PointMinimum* out) {
  best_target().kernel(criteria, count, fields, cases, points, keys, out);
}

const char* reserve_kernel_target() {
  return best_target().name;
}

}  // namespace hs
#endif  // HWY_ONCE
