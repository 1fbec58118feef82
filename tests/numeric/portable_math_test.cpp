#include "numeric/portable_math.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace hs {
namespace {

using cd = std::complex<double>;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::uint64_t bits_of(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// Bit for bit, the sign of zero included; any NaN equals any NaN.
bool same(double a, double b) {
  return bits_of(a) == bits_of(b) || (a != a && b != b);
}
bool same(cd a, cd b) {
  return same(a.real(), b.real()) && same(a.imag(), b.imag());
}

// Arguments over the ranges the analysis meets and far beyond: angles in radians, ratios of
// stresses, and magnitudes from 2^-1000 to 2^1000.
double argument(std::mt19937_64& rng, int kind) {
  const double u = std::ldexp(double(rng() >> 11), -53) * 2.0 - 1.0;
  const int e = int(rng() % 2001) - 1000;
  switch (kind % 4) {
    case 0:
      return u * 20.0;
    case 1:
      return std::ldexp(u, e / 25);
    case 2:
      return std::ldexp(u, e);
    default:
      return u * 4.0e5;  // the large reduction for sin and cos starts at 105414350
  }
}

TEST(PortableMath, SpecialValues) {
  const double pi = 3.141592653589793;
  struct Case {
    const char* what;
    double got, want;
  } cases[] = {
      {"sin(+0)", portable::sin(0.0), 0.0},
      {"sin(-0)", portable::sin(-0.0), -0.0},
      {"sin(inf)", portable::sin(kInf), kNaN},
      {"cos(0)", portable::cos(0.0), 1.0},
      {"cos(-inf)", portable::cos(-kInf), kNaN},
      {"cos(nan)", portable::cos(kNaN), kNaN},
      {"atan(-0)", portable::atan(-0.0), -0.0},
      {"atan(inf)", portable::atan(kInf), pi / 2},
      {"atan(-inf)", portable::atan(-kInf), -pi / 2},
      {"atan2(+0, -0)", portable::atan2(0.0, -0.0), pi},
      {"atan2(-0, -1)", portable::atan2(-0.0, -1.0), -pi},
      {"atan2(1, 0)", portable::atan2(1.0, 0.0), pi / 2},
      {"hypot(3, 4)", portable::hypot(3.0, 4.0), 5.0},
      {"hypot(inf, nan)", portable::hypot(kInf, kNaN), kInf},
      {"hypot(1e300, 1e300)", portable::hypot(1e300, 1e300), 1.4142135623730952e300},
      {"hypot(1e-320, 0)", portable::hypot(1e-320, 0.0), 1e-320},
      {"log(1)", portable::log(1.0), 0.0},
      {"log(0)", portable::log(0.0), -kInf},
      {"log(-1)", portable::log(-1.0), kNaN},
      {"log(inf)", portable::log(kInf), kInf},
      {"log1p(-1)", portable::log1p(-1.0), -kInf},
      {"log1p(-0)", portable::log1p(-0.0), -0.0},
      {"log1p(-2)", portable::log1p(-2.0), kNaN},
  };
  for (const Case& c : cases) EXPECT_TRUE(same(c.got, c.want)) << c.what << " = " << c.got;

  const struct {
    const char* what;
    cd got, want;
  } complex_cases[] = {
      {"sqrt(-4)", portable::sqrt(cd(-4.0, 0.0)), cd(0.0, 2.0)},
      {"sqrt(-4 - 0i)", portable::sqrt(cd(-4.0, -0.0)), cd(0.0, -2.0)},
      {"sqrt(2i)", portable::sqrt(cd(0.0, 2.0)), cd(1.0, 1.0)},
      {"sqrt(-inf + i)", portable::sqrt(cd(-kInf, 1.0)), cd(0.0, kInf)},
      {"log(-1)", portable::log(cd(-1.0, 0.0)), cd(0.0, pi)},
      {"log(0)", portable::log(cd(0.0, 0.0)), cd(-kInf, 0.0)},
      {"log(i)", portable::log(cd(0.0, 1.0)), cd(0.0, pi / 2)},
      {"1 / (1 + i)", portable::divide(1.0, cd(1.0, 1.0)), cd(0.5, -0.5)},
      {"1 / 0", portable::divide(1.0, cd(0.0, 0.0)), cd(kInf, kNaN)},
      {"(1 + i) / inf", portable::divide(cd(1.0, 1.0), cd(kInf, 0.0)), cd(0.0, 0.0)},
  };
  for (const auto& c : complex_cases) {
    EXPECT_TRUE(same(c.got, c.want)) << c.what << " = " << c.got;
  }
}

// The bits of every function over a fixed set of arguments, as recorded: the functions exist so
// that these bits are the same on every machine and in every build (the web page's included), so
// a compiler, a flag or an edit that moves any of them must be noticed.
TEST(PortableMath, RecordedBits) {
  std::mt19937_64 rng(20261207);
  std::uint64_t digest = 14695981039346656037ull;
  auto mix = [&](double v) { digest = (digest ^ bits_of(v)) * 1099511628211ull; };
  for (int k = 0; k < 40000; ++k) {
    const double x = argument(rng, k), y = argument(rng, k + 1);
    mix(portable::sin(x));
    mix(portable::cos(x));
    mix(portable::atan(x));
    mix(portable::atan2(y, x));
    mix(portable::hypot(x, y));
    mix(portable::log(std::fabs(x)));
    mix(portable::log1p(std::fabs(y) - 0.5));
    const cd z(x, y), w(y * 0.5, std::fabs(x) + 0.25);
    const cd q = portable::divide(z, w), s = portable::sqrt(z), l = portable::log(w);
    for (double v : {q.real(), q.imag(), s.real(), s.imag(), l.real(), l.imag()}) mix(v);
  }
  EXPECT_EQ(digest, 0x3c32ae0f09eaae48ull) << std::hex << digest;
}

#if defined(__GLIBC__) && defined(__GLIBCXX__)
// The C library's own functions, for the formulas.
struct GlibcFunctions {
  static double hypot(double x, double y) { return std::hypot(x, y); }
  static double log(double x) { return std::log(x); }
  static double log1p(double x) { return std::log1p(x); }
  static double atan2(double y, double x) { return std::atan2(y, x); }
};

// The complex quotient, square root and logarithm are glibc's and GCC's formulas: over glibc's
// real functions they give exactly what std::complex gives with g++ and glibc, so the program's
// complex arithmetic is the one it always had.
TEST(PortableMath, ComplexFormulasAreTheCompilersAndGlibcs) {
  const double edge[] = {0.0,
                         -0.0,
                         1.0,
                         -1.0,
                         0.5,
                         1e-310,
                         -1e-310,
                         1e308,
                         -1e308,
                         1e-300,
                         1e300,
                         kInf,
                         -kInf,
                         kNaN,
                         0.9999999999999999,
                         1.0000000000000002,
                         0.7071067811865476,
                         3e-16};
  int failures = 0;
  auto check = [&](cd a, cd b) {
    if (!same(a / b, portable::formula::divide(a, b)) && ++failures < 10) {
      ADD_FAILURE() << a << " / " << b;
    }
    if (!same(std::sqrt(b), portable::formula::sqrt<GlibcFunctions>(b)) && ++failures < 10) {
      ADD_FAILURE() << "sqrt " << b;
    }
    if (!same(std::log(b), portable::formula::log<GlibcFunctions>(b)) && ++failures < 10) {
      ADD_FAILURE() << "log " << b;
    }
  };
  for (double p : edge) {
    for (double q : edge) {
      for (double r : {1.0, -2.5, 0.0, kInf}) check(cd(r, p), cd(p, q));
    }
  }
  std::mt19937_64 rng(7);
  for (int k = 0; k < 200000; ++k) {
    const cd a(argument(rng, k), argument(rng, k + 2));
    cd b(argument(rng, k + 1), argument(rng, k + 3));
    if (k % 3 == 1) {  // on and near the unit circle, where the logarithm takes log1p
      const double t = argument(rng, 0);
      b = cd(std::cos(t), std::sin(t)) * (1.0 + argument(rng, 1) * 1e-6);
    }
    check(a, b);
  }
  EXPECT_EQ(failures, 0);
}

// sin, cos, atan, atan2, hypot, log and log1p are glibc's code for processors without fused
// multiply-add. glibc picks that code when told to leave FMA aside, which the test
// "numeric.portable_math_as_glibc" does (GLIBC_TUNABLES); elsewhere this test is skipped.
TEST(PortableMathAsGlibc, SameBitsAsGlibcWithoutFusedMultiplyAdd) {
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (tunables == nullptr || std::string(tunables).find("-FMA") == std::string::npos) {
    GTEST_SKIP() << "needs GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA";
  }
  std::mt19937_64 rng(11);
  int differences[7] = {};
  for (int k = 0; k < 1000000; ++k) {
    const double x = argument(rng, k), y = argument(rng, k + 1);
    differences[0] += !same(portable::sin(x), std::sin(x));
    differences[1] += !same(portable::cos(x), std::cos(x));
    differences[2] += !same(portable::atan(x), std::atan(x));
    differences[3] += !same(portable::atan2(y, x), std::atan2(y, x));
    differences[4] += !same(portable::hypot(x, y), std::hypot(x, y));
    differences[5] += !same(portable::log(std::fabs(x)), std::log(std::fabs(x)));
    differences[6] += !same(portable::log1p(x), std::log1p(x));
  }
  const char* names[7] = {"sin", "cos", "atan", "atan2", "hypot", "log", "log1p"};
  for (int f = 0; f < 7; ++f) EXPECT_EQ(differences[f], 0) << names[f];
}
#endif

}  // namespace
}  // namespace hs
