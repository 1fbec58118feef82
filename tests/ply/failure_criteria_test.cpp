#include "ply/failure_criteria.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>

namespace hs {
namespace {

// One 0-degree ply (material 2 of 2, so that a material mix-up shows) on a grid of two distance
// steps (0.05 apart) and nang stations 10 degrees apart; the ply values are put in by hand.
struct Case {
  Materials materials{2, {{}, {}}, {{}, {}}};
  PlyStack plies{1, {0.0}, {0.005}, {1}};
  Grid grid;
  std::unique_ptr<PlyField> field = std::make_unique<PlyField>();
  Case(const double allow[5], int nang) : grid{0.25, 10.0, 0.0, 10.0 * (nang - 1), 0.05, 2} {
    materials.allowables[1] = {allow[0], allow[1], allow[2], allow[3], allow[4]};
    field->resize(nang, 2, 1);
  }
  // Ply values s1, s2, s12 (strains and stresses alike) at distance step k and station j.
  void put(int k, int j, std::array<double, 3> s) {
    for (int c = 0; c < 3; ++c) field->strain[j][k][0][c] = field->stress[j][k][0][c] = s[c];
  }
};

// Catches an allowable chosen by the wrong sign (a zero value must take the tension allowable,
// so a zero compression allowable must not turn it into 0/0), a criterion term of the wrong
// sign or allowable, a missing or extra s1*s2 term, and ratios not scaled by sqrt(FN).
TEST(FailureCriteria, PlyFailureOnHandComputedPoints) {
  const double r625 = 0.5 / std::sqrt(0.625), r75 = 0.5 / std::sqrt(0.75);
  const struct {
    int krit;
    double allow[5], s[3], fn[4];
  } cases[] = {
      // clang-format off
      {2, {100, 0, 50, 0, 10}, {0, 0, 0}, {0, 0, 0, 0}},
      {2, {300, 200, 50, 80, 10}, {-100, 25, -5}, {-0.5, 0.5, -0.5, 0}},
      {1, {0.01, 0.008, 0.004, 0.012, 0.015}, {-0.004, 0.002, 0.003}, {-0.5, 0.5, 0.2, 0}},
      {3, {200, 150, 100, 120, 60}, {200, 0, 0}, {1, 1, 0, 0}},
      // 1/4 + 1/4 - 100*50/200^2 + 1/4
      {3, {200, 150, 100, 120, 60}, {100, 50, 30}, {0.625, r625, r625, r625}},
      // Equal tension and compression: the sum of the squared ratios, 3/4.
      {4, {200, 200, 100, 100, 60}, {100, -50, 30}, {0.75, r75, -r75, r75}},
      // The compression allowable across the fibres reached: -(1/100 - 1/350)*350 + 350/100.
      {4, {200, 200, 100, 350, 60}, {0, -350, 0}, {1, 0, -1, 0}},
      // -(1/200 - 1/100)*150 + 150^2/(200*100) + (30/60)^2, the same with s2 = 0 for Hoffman.
      {4, {200, 100, 100, 120, 60}, {150, 0, 30}, {0.625, 0.75 / std::sqrt(0.625), 0, r625}},
      {5, {200, 100, 100, 120, 60}, {150, 0, 30}, {0.625, 0.75 / std::sqrt(0.625), 0, r625}},
      // 1/4 + 1/4, and Hoffman's -50*50/(100*100) on top.
      {4, {100, 100, 100, 100, 60}, {50, 50, 0}, {0.5, std::sqrt(0.5), std::sqrt(0.5), 0}},
      {5, {100, 100, 100, 100, 60}, {50, 50, 0}, {0.25, 1, 1, 0}},
      // -1/2 + 1/12 + 1/2 + 5/24 - 100*50/(200*100): the interaction term over T1 C1.
      {5, {200, 100, 100, 120, 60}, {100, 50, 0}, {1 / 24.0, std::sqrt(6.0), std::sqrt(6.0), 0}},
      // clang-format on
  };
  for (const auto& t : cases) {
    const Allowables a{t.allow[0], t.allow[1], t.allow[2], t.allow[3], t.allow[4]};
    double fn[4];
    ply_failure(static_cast<Criterion>(t.krit), a, t.s, fn);
    for (int i = 0; i < 4; ++i)
      EXPECT_NEAR(t.fn[i], fn[i], 1e-12) << t.krit << " " << t.s[0] << " " << i;
  }
}

// Catches a tie that moves the critical station, a compressive governing value compared by sign
// or returned without its sign, values of the hole edge taken as governing, a zero value taken
// for a failure, and a Tsai-Wu or Hoffman value read as a ratio.
TEST(FailureCriteria, GoverningValue) {
  const double allow[5] = {200, 150, 100, 120, 60}, even[5] = {200, 200, 100, 120, 60};
  const struct {
    int krit;
    const double* allow;
    std::array<double, 3> s1;  // s1 at stations 2, 4 and 6 of step 1 (20, 40, 60 degrees)
    double value;
    int station;
  } cases[] = {
      {2, allow, {200, 0, -150}, 1.0, 2}, {2, allow, {0, -300, 200}, -2.0, 4},
      {2, even, {0, 0, 0}, 0.0, 0},       {3, even, {0, 50, 0}, 0.0625, 4},
      {4, even, {0, 0, 50}, 0.0625, 6},   {5, even, {-50, 0, 0}, 0.0625, 2},
  };
  for (const auto& t : cases) {
    Case c(t.allow, 8);
    c.put(0, 5, {1000, 0, 0});
    for (int n = 0; n < 3; ++n) c.put(1, 2 + 2 * n, {t.s1[n], 0, 0});
    Governing g =
        governing_value(static_cast<Criterion>(t.krit), c.materials, c.plies, c.grid, *c.field, 1);
    EXPECT_DOUBLE_EQ(t.value, g.value) << t.krit << " " << t.s1[0];
    EXPECT_EQ(t.station, g.station) << t.krit << " " << t.s1[0];
    EXPECT_EQ(0, g.ply);
  }
}

// Catches a direct failure factor that takes a later root, misses the branch where the quadratic
// criteria reach -1 first, drops Hoffman's interaction term, or reads the hole edge.
TEST(FailureCriteria, FirstFailureFactor) {
  const struct {
    int krit;
    double allow[5], s[3], lambda;
  } cases[] = {
      // clang-format off
      {2, {200, 100, 50, 150, 25}, {50, -30, 0}, 4.0}, {3, {200, 100, 50, 150, 25}, {100, 0, 0}, 2},
      {1, {0.01, 0.01, 0.01, 0.01, 0.015}, {0, 0, -0.005}, 3.0},
      // C2 = 3.5 T2: FN = |(-2.5 x + x^2)/3.5| reaches 1 at x = 3.5, where the plain iteration
      // has the slope -1.25 and oscillates.
      {4, {200, 200, 100, 350, 60}, {0, -100, 0}, 3.5},
      {5, {200, 200, 100, 350, 60}, {0, -100, 0}, 3.5},
      // C2 = 6 T2: (-5 x + x^2)/6 passes -1 at x = 2 (inside the envelope) and fails at +1, x = 6.
      {4, {200, 200, 100, 600, 60}, {0, -100, 0}, 6.0},
      {4, {100, 100, 100, 100, 60}, {50, 50, 0}, std::sqrt(2.0)},
      {5, {100, 100, 100, 100, 60}, {50, 50, 0}, 2.0}, {4, {100, 100, 100, 100, 60}, {0, 0, 0}, 0},
      // clang-format on
  };
  for (const auto& t : cases) {
    Case c(t.allow, 2);
    c.put(0, 0, {500, 500, 500});
    c.put(1, 1, {t.s[0], t.s[1], t.s[2]});
    EXPECT_NEAR(t.lambda,
                first_failure_factor(static_cast<Criterion>(t.krit), c.materials, c.plies, c.grid,
                                     *c.field, 1),
                1e-12)
        << t.krit << " " << t.s[1];
  }
}

}  // namespace
}  // namespace hs

namespace hs {
namespace {

// The smallest positive root of quad x^2 + lin x = 1 by the plain case analysis, both roots of
// the stable pair considered: the reference for positive_quadratic_root, which takes one division
// when quad > 0.
double root_by_cases(double quad, double lin) {
  double best = INFINITY;
  auto consider = [&best](double x) {
    if (x > 0.0 && x < best) best = x;
  };
  if (quad == 0.0) {
    if (lin != 0.0) consider(1.0 / lin);
    return best;
  }
  const double disc = lin * lin + 4.0 * quad;
  if (!(disc >= 0.0)) return INFINITY;
  const double q = -0.5 * (lin + std::copysign(std::sqrt(disc), lin));
  if (q != 0.0) {
    consider(q / quad);
    consider(-1.0 / q);
  } else {
    consider(std::sqrt(1.0 / quad));
  }
  return best;
}

// Catches a one-division shortcut that picks the wrong root of the pair, loses a root at a sign
// of zero, an infinity or a denormal, or takes the shortcut where quad is not positive (both
// roots of one sign, none, a linear criterion, NaN): bit for bit against the case analysis.
TEST(FailureCriteria, PositiveQuadraticRootAsTheCaseAnalysis) {
  const double values[] = {0.0,      -0.0,      1.0,    -1.0,      0.25,  -0.25,  3.5e-3, -7e-4,
                           1e-300,   -1e-300,   5e-324, -5e-324,   1e300, -1e300, 1e154,  -1e155,
                           INFINITY, -INFINITY, NAN,    2.0 / 3.0, -4.0,  1e-8,   -1e8};
  for (double quad : values) {
    for (double lin : values) {
      const double want = root_by_cases(quad, lin), got = positive_quadratic_root(quad, lin);
      EXPECT_TRUE(std::memcmp(&want, &got, sizeof(double)) == 0)
          << "quad " << quad << " lin " << lin << ": " << got << ", cases give " << want;
    }
  }
}

// Catches a closed-form reserve factor that is not the load factor at which the criterion
// reaches failure: maximum strain and stress linear in the load, Tsai-Hill by the root of its
// square, modified Tsai-Wu and Hoffman at F = +1 (never at F = -1, which lies inside their
// envelopes), the allowables chosen by sign, and the governing component.
TEST(FailureCriteria, PointReserveClosedForms) {
  const Allowables weak_transverse{200e3, 180e3, 40, 246, 12e3};  // C2 = 6.15 T2
  const struct {
    Criterion criterion;
    Allowables allow;
    double s[3];
    double factor;
    int component;
  } cases[] = {
      {Criterion::kMaxStress, {200, 100, 50, 150, 25}, {50, -30, 0}, 4.0, 0},
      {Criterion::kMaxStress, {200, 100, 50, 150, 25}, {-50, -30, 10}, 2.0, 0},
      {Criterion::kMaxStrain, {0.01, 0.01, 0.01, 0.01, 0.015}, {0, 0, -0.005}, 3.0, 2},
      {Criterion::kTsaiHill, {200, 100, 50, 150, 25}, {100, 0, 0}, 2.0, 0},
      // Across the fibres in compression: F = -2.0935 x + 1.01626 x^2 passes -1 at x = 0.753
      // and fails at +1, x = 2.46, where the compressive stress reaches C2 (as maximum stress).
      {Criterion::kTsaiWu, weak_transverse, {0, -100, 0}, 2.46, 1},
      {Criterion::kHoffman, weak_transverse, {0, -100, 0}, 2.46, 1},
      {Criterion::kMaxStress, weak_transverse, {0, -100, 0}, 2.46, 1},
      // Equal tension and compression: F = (x s1 / T)^2 + ... with no linear term.
      {Criterion::kTsaiWu, {100, 100, 100, 100, 60}, {50, 50, 0}, std::sqrt(2.0), 0},
      {Criterion::kHoffman, {100, 100, 100, 100, 60}, {50, 50, 0}, 2.0, 0},
  };
  for (const auto& c : cases) {
    const CriterionConstants k = criterion_constants(c.criterion, c.allow);
    EXPECT_NEAR(c.factor, point_reserve(k, c.s[0], c.s[1], c.s[2]), 1e-9 * c.factor)
        << static_cast<int>(c.criterion) << " " << c.s[1];
    EXPECT_EQ(c.component, governing_component(k, c.s[0], c.s[1], c.s[2]))
        << static_cast<int>(c.criterion) << " " << c.s[1];
  }
  // No load: no factor.
  const CriterionConstants k = criterion_constants(Criterion::kTsaiWu, weak_transverse);
  EXPECT_TRUE(std::isinf(point_reserve(k, 0, 0, 0)));
}

}  // namespace
}  // namespace hs
