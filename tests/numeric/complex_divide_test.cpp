#include "numeric/complex_divide.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace hs {
namespace {

bool same_bits(std::complex<double> p, std::complex<double> q) {
  return std::memcmp(&p, &q, sizeof p) == 0 || (std::isnan(p.real()) && std::isnan(q.real()) &&
                                                std::isnan(p.imag()) && std::isnan(q.imag()));
}

// Catches an inline quotient that departs from operator/ in any bit: the order of the
// operations, the branch on the larger part, the scalings near overflow and underflow, and the
// infinities and zeros mended from NaN. Random pairs over the whole exponent range, a third of
// them near the unit circle (the mapped variables of the hole solutions), and a grid of edge
// values.
TEST(ComplexDivide, SameBitsAsOperatorDivide) {
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0), near_one(0.9, 1.1), phase(-4, 4);
  std::uniform_int_distribution<int> exponent(-1070, 1023);
  auto any = [&] { return std::ldexp(mantissa(rng), exponent(rng)); };
  int differences = 0;
  for (int i = 0; i < 200000; ++i) {
    std::complex<double> x{any(), any()}, y{any(), any()};
    if (i % 3 == 0) y = std::polar(near_one(rng), phase(rng));
    if (!same_bits(x / y, divide(x, y))) ++differences;
  }
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  const std::vector<double> edges = {0.0,     -0.0,     1.0,      -1.0,    DBL_MIN, DBL_MAX,
                                     -DBL_MAX, 4.9e-324, 1e-308,   1e308,   inf,     -inf,
                                     nan,     1 + DBL_EPSILON, DBL_EPSILON, 3.0};
  for (double a : edges) {
    for (double b : edges) {
      for (double c : edges) {
        for (double d : edges) {
          if (!same_bits(std::complex<double>(a, b) / std::complex<double>(c, d),
                         divide({a, b}, {c, d}))) {
            ++differences;
          }
        }
      }
    }
  }
  EXPECT_EQ(0, differences);
  // A real dividend, as operator/ takes it at run time (the compiler folds a quotient of
  // constants exactly, which the run-time routine does not).
  volatile double two = 2.0, half = 0.5, three = -3.0;
  const std::complex<double> y(half, three);
  const double x = two;
  EXPECT_TRUE(same_bits(x / y, divide(x, y)));
}

}  // namespace
}  // namespace hs
