#include "numeric/inverse.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace hs {

// Catches a wrong cofactor or sign, a tolerance on the determinant, a target written after a
// singular matrix (or a singular one not reported), a NaN determinant taken for zero and a
// changed AM.
TEST(Inverse, TableOfMatrices) {
  const double nan = std::nan(""), e = 0x1p-52, big = 0x1p52, k = 7.5;
  const struct {
    Mat3 am, expected;  // expected all k: the target must be left as it was
    bool inverted;
  } cases[] = {
      // clang-format off
      {{{1, 0, 0, 0, 1, 0, 0, 0, 1}}, {{1, 0, 0, 0, 1, 0, 0, 0, 1}}, true},
      {{{2, 0, 0, 0, 4, 0, 0, 0, 8}}, {{0.5, 0, 0, 0, 0.25, 0, 0, 0, 0.125}}, true},
      {{{3, 1, 0, 1, 2, 0, 0, 0, 0}}, {{k, k, k, k, k, k, k, k, k}}, false},
      // determinant exactly 2^-52: inverted, however large the result
      {{{1, 1, 0, 1, 1 + e, 0, 0, 0, 1}}, {{big + 1, -big, 0, -big, big, 0, 0, 0, 1}}, true},
      {{{nan, 0, 0, 0, 1, 0, 0, 0, 1}}, {{nan, nan, nan, nan, nan, nan, nan, nan, nan}}, true},
      {{{1, 2, 3, 0, 1, 4, 5, 6, 0}}, {{-24, 18, 5, 20, -15, -4, -5, 4, 1}}, true},
      // clang-format on
  };
  auto v = [](double x) { return std::isnan(x) ? -999.5 : x; };  // NaN compares equal to NaN
  for (const auto& c : cases) {
    Mat3 am = c.am, ami{{k, k, k, k, k, k, k, k, k}};
    EXPECT_EQ(c.inverted, inverse(am, ami));
    for (int i = 0; i < 9; ++i) EXPECT_EQ(v(c.am.a[i]), v(am.a[i]));
    for (int i = 0; i < 9; ++i) EXPECT_EQ(v(c.expected.a[i]), v(ami.a[i])) << i;
  }
}

}  // namespace hs
