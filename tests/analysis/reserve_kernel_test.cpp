// The SIMD kernel of the reserve factors against the scalar path, on every instruction set this
// build holds that the processor runs.
#include "analysis/reserve_kernel.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace hs {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const Criterion kAll[] = {Criterion::kMaxStrain, Criterion::kMaxStress, Criterion::kTsaiHill,
                          Criterion::kTsaiWu, Criterion::kHoffman};

// Unit fields over `points` ply points (every component of x, y, xy and bolt) and the constants
// of `plies` plies repeated over the stations.
struct Fields {
  std::vector<double> v[4][3];  // x, y, xy, bolt; components 1, 2, 12
  UnitPointFields view(bool bolt) const {
    UnitPointFields f;
    for (int c = 0; c < 3; ++c) {
      f.x[c] = v[0][c].data();
      f.y[c] = v[1][c].data();
      f.xy[c] = v[2][c].data();
      f.bolt[c] = bolt ? v[3][c].data() : nullptr;
    }
    return f;
  }
};

// The scalar path: the ply values of each point as superpose_point forms them, point_reserve of
// each, the first of the smallest positive factors, or the first undefined one.
PointMinimum scalar_minimum(const std::vector<CriterionConstants>& plies, const UnitPointFields& f,
                            const CaseBlock& cases, std::size_t i, std::size_t points) {
  PointMinimum m{kReserveNone, 0};
  for (std::size_t n = 0; n < points; ++n) {
    const double r =
        point_reserve(plies[n % plies.size()], superpose_point(f, cases, i, 0, n),
                      superpose_point(f, cases, i, 1, n), superpose_point(f, cases, i, 2, n));
    if (std::isnan(r)) return {r, n};
    if (r > 0.0 && r < m.factor) m = {r, n};
  }
  return m;
}

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof(double)) == 0;
}

// Every criterion at once on `fields` with allowables `allow` (per ply), each case of `cases`,
// against the scalar path: the same factor to the bit and the same point.
void expect_as_scalar(const ReserveKernelTarget& target, const std::string& what,
                      const Fields& fields, bool bolt, const std::vector<Allowables>& allow,
                      const CaseBlock& cases, std::size_t points) {
  const std::size_t stations = points / allow.size() + 1;
  std::vector<std::vector<CriterionConstants>> per_ply;
  std::vector<PointConstants> constants;
  for (Criterion c : kAll) {
    per_ply.emplace_back();
    for (const Allowables& a : allow) per_ply.back().push_back(criterion_constants(c, a));
    constants.push_back(point_constants(per_ply.back(), static_cast<int>(stations)));
  }
  const PointConstants* criteria[kMaxCriteria];
  for (int c = 0; c < kMaxCriteria; ++c) criteria[c] = &constants[c];
  std::vector<double> keys(kMaxCriteria * kBlockCases * points);
  PointMinimum got[kMaxCriteria * kBlockCases];
  const UnitPointFields f = fields.view(bolt);
  target.kernel(criteria, kMaxCriteria, f, cases, points, keys.data(), got);
  for (int c = 0; c < kMaxCriteria; ++c) {
    for (std::size_t i = 0; i < cases.count; ++i) {
      const PointMinimum want = scalar_minimum(per_ply[c], f, cases, i, points);
      const PointMinimum& have = got[c * kBlockCases + i];
      EXPECT_TRUE(same_bits(want.factor, have.factor))
          << what << ", " << target.name << ", criterion " << c + 1 << ", case " << i << ": "
          << have.factor << ", scalar " << want.factor;
      EXPECT_EQ(want.point, have.point)
          << what << ", " << target.name << ", criterion " << c + 1 << ", case " << i;
    }
  }
}

// Runs `check` once on every instruction set compiled in and supported here.
template <class Check>
void on_every_target(Check check) {
  const std::vector<ReserveKernelTarget> targets = reserve_kernel_targets();
  ASSERT_FALSE(targets.empty());
  EXPECT_STREQ(targets.front().name, reserve_kernel_target());  // the widest is the one used
  for (const ReserveKernelTarget& target : targets) check(target);
}

CaseBlock random_cases(std::mt19937& rng, std::size_t count) {
  std::uniform_real_distribution<double> load(-2e4, 2e4);
  CaseBlock b;
  b.count = count;
  for (std::size_t i = 0; i < count; ++i) {
    for (int c = 0; c < 3; ++c) b.t[i][c] = load(rng);
    b.bearing[i] = std::abs(load(rng)) * 2;
  }
  return b;
}

// Carbon/epoxy allowables, and a second material in psi.
const Allowables kCarbon{200e3, 180e3, 8e3, 30e3, 12e3};
const Allowables kGlass{150e3, 90e3, 6e3, 20e3, 9e3};

// Catches a SIMD formula or screening that departs from point_reserve on the scalar
// superposition, a point lost or counted twice at the end of a row of points that is not a whole
// number of vectors, a tie decided for a later point, a bolt field added where there is none,
// and a target that differs from the others: random unit fields on 1 to 300 points.
TEST(ReserveKernel, AsTheScalarPath) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> stress(-3, 3);
  for (std::size_t points : {1u, 3u, 4u, 5u, 8u, 13u, 64u, 292u, 301u}) {
    Fields f;
    for (int u = 0; u < 4; ++u) {
      for (int c = 0; c < 3; ++c) {
        for (std::size_t n = 0; n < points; ++n) f.v[u][c].push_back(stress(rng));
      }
    }
    const CaseBlock cases = random_cases(rng, points % kBlockCases + 1);
    on_every_target([&](const ReserveKernelTarget& target) {
      for (bool bolt : {false, true}) {
        expect_as_scalar(target, std::to_string(points) + " points, bolt " + std::to_string(bolt),
                         f, bolt, {kCarbon, kGlass, kCarbon}, cases, points);
      }
    });
  }
}

// Catches ties and near ties decided otherwise than by the first point, keys that screen out
// the smallest factor when many points are within a rounding of it, and mishandled values that
// are not numbers or not finite (an undefined factor, at the first such point, whatever the
// others): fields equal at every point, equal but for one unit in the last place, zero loads,
// NaN, infinities and huge values, a zero allowable (an infinite ratio), and negative allowables
// (a quadratic part that is not positive).
TEST(ReserveKernel, TiesAndHostileValues) {
  const std::size_t points = 37;
  struct Table {
    const char* what;
    double value;      // every component of every field at every point
    double every_nth;  // ... but this at every third point
    Allowables allow;
  } table[] = {
      {"equal", 0.75, 0.75, kCarbon},
      {"one ulp up", 0.75, std::nextafter(0.75, 1.0), kCarbon},
      {"one ulp down", 0.75, std::nextafter(0.75, 0.0), kCarbon},
      {"zero fields", 0.0, 0.0, kCarbon},
      {"NaN at some", 0.5, kNaN, kCarbon},
      {"NaN at some, after a smaller factor", 5000.0, kNaN, kCarbon},
      {"infinite at some", 0.5, INFINITY, kCarbon},
      {"huge", 1e200, -1e300, kCarbon},
      {"tiny", 1e-300, 5e-324, kCarbon},
      {"zero allowable", 0.5, -0.25, {200e3, 0.0, 8e3, 0.0, 12e3}},
      {"negative allowables", 0.5, -0.25, {-200e3, 180e3, -8e3, 30e3, 12e3}},
  };
  for (const Table& t : table) {
    Fields f;
    for (int u = 0; u < 4; ++u) {
      for (int c = 0; c < 3; ++c) {
        for (std::size_t n = 0; n < points; ++n) {
          f.v[u][c].push_back(n % 3 == 2 ? t.every_nth : t.value);
        }
      }
    }
    CaseBlock cases;
    cases.count = 4;
    const double loads[4][4] = {{1e4, 0, 0, 0}, {0, 0, 0, 0}, {-3e3, 2e3, 5e2, 1e4}, {1, 1, 1, 1}};
    for (std::size_t i = 0; i < 4; ++i) {
      for (int c = 0; c < 3; ++c) cases.t[i][c] = loads[i][c];
      cases.bearing[i] = loads[i][3];
    }
    on_every_target([&](const ReserveKernelTarget& target) {
      for (bool bolt : {false, true}) {
        expect_as_scalar(target, t.what, f, bolt, {t.allow}, cases, points);
      }
    });
  }
}

}  // namespace
}  // namespace hs
