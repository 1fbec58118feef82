#include "ply/failure.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>

namespace hs {
namespace {

// A grid of two distance steps (STEP 0.05) and nang stations 10 degrees apart, one 0-degree ply
// of a material with allowables T1, C1, T2, C2, SHEAR; case 10 selected when search is set.
void grid(State& st, int krit, const double allow[5], int nang, bool search) {
  st.two.LIST[0] = search ? 10 : 0;
  st.three = {10.0, 0.0, 10.0 * (nang - 1), 0.05, 2};
  st.two.NPLY = 1, st.two.ANGLE[0] = 0.0, st.two.MATNO[0] = 1;
  st.five = {{allow[0]}, {allow[1]}, {allow[2]}, {allow[3]}, {allow[4]}, krit};
}

// Ply values s1, s2, s12 at distance step k and station j.
void put(State& st, int k, int j, std::array<double, 3> s) {
  st.nine.PLY1[j][k][0] = s[0], st.nine.PLY2[j][k][0] = s[1], st.nine.PLY12[j][k][0] = s[2];
}

std::string run_failure(State& st) {
  std::istringstream in;
  std::ostringstream out;
  {
    Console con(in, out, out);
    failure(st, con);
  }
  return out.str();
}

// Catches an allowable chosen by the wrong sign (a zero value must take the tension allowable,
// so a zero compression allowable must not turn it into 0/0), a criterion term of the wrong
// sign or allowable, a missing or extra s1*s2 term, and ratios not scaled by sqrt(FN).
TEST(Failure, CriteriaOnHandComputedPoints) {
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
    State st{};
    grid(st, t.krit, t.allow, 1, false);
    put(st, 0, 0, {t.s[0], t.s[1], t.s[2]});
    double fn[4];
    ply_failure(st, 0, 0, 0, fn);
    for (int i = 0; i < 4; ++i)
      EXPECT_NEAR(t.fn[i], fn[i], 1e-12) << t.krit << " " << t.s[0] << " " << i;
  }
}

// Catches a tie that moves the critical station, a compressive governing value compared by sign,
// or values of the hole edge taken as governing: the table shows station 3 (20 degrees).
TEST(Failure, GoverningValueKeepsFirstOfEqualMagnitudes) {
  const double allow[5] = {200, 150, 100, 120, 60};
  State st{};
  grid(st, 2, allow, 8, true);
  put(st, 0, 4, {1000, 0, 0});
  put(st, 1, 2, {200, 0, 0});
  put(st, 1, 6, {-150, 0, 0});
  std::string out = run_failure(st);
  const std::string row = "      0.050    20.00      0.00   1.000   0.000   0.000\r\n";
  ASSERT_GT(out.size(), row.size());
  EXPECT_EQ(row, out.substr(out.size() - row.size()));
  EXPECT_EQ(1.0, st.four.FACTOR);
}

// Catches a factor from a signed governing value, FACTOR not reset without case 10, a zero
// governing value that divides by zero or prints a table, and sqrt missing for criteria 3 to 5.
TEST(Failure, LoadFactor) {
  const double allow[5] = {200, 200, 100, 120, 60};
  const struct {
    int krit;
    bool search;
    double s1, factor;
  } cases[] = {
      // clang-format off
      {2, true, -250, 0.8}, {2, false, -250, 1.0}, {2, true, 0, 0.7}, {3, true, 50, 4.0},
      {4, true, 50, 4.0},
      // clang-format on
  };
  for (const auto& t : cases) {
    State st{};
    grid(st, t.krit, allow, 3, t.search);
    put(st, 1, 1, {t.s1, 0, 0});
    st.four.FACTOR = 0.7;
    EXPECT_EQ("", run_failure(st));
    EXPECT_EQ(t.factor, st.four.FACTOR) << t.krit << " " << t.s1;
  }
}

// Catches a direct failure factor that takes a later root, misses the branch where the quadratic
// criteria reach -1 first, drops Hoffman's interaction term, or reads the hole edge.
TEST(Failure, FirstFailureFactor) {
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
      // C2 = 6 T2: (-5 x + x^2)/6 reaches -1 at x = 2, before +1 at x = 6.
      {4, {200, 200, 100, 600, 60}, {0, -100, 0}, 2.0},
      {4, {100, 100, 100, 100, 60}, {50, 50, 0}, std::sqrt(2.0)},
      {5, {100, 100, 100, 100, 60}, {50, 50, 0}, 2.0}, {4, {100, 100, 100, 100, 60}, {0, 0, 0}, 0},
      // clang-format on
  };
  for (const auto& t : cases) {
    State st{};
    grid(st, t.krit, t.allow, 2, true);
    put(st, 0, 0, {500, 500, 500});
    put(st, 1, 1, {t.s[0], t.s[1], t.s[2]});
    EXPECT_NEAR(t.lambda, first_failure_factor(st), 1e-12) << t.krit << " " << t.s[1];
  }
}

}  // namespace
}  // namespace hs
