// The elementary functions of the analysis, with the same bits on every machine.
//
// A C library's sin, cos, atan or log is accurate to about an ulp but not the same to the bit
// from one library to the next: glibc picks a fused multiply-add variant at run time on processors
// that have one, and Emscripten's C library (musl) rounds differently again. An ulp is invisible in
// most results, but two nearly equal characteristic roots divide it into a stress, and the JSON
// results carry every bit. So the analysis computes these functions itself: musl's implementations
// (portable/, plain double arithmetic with no fused operations), compiled into the program and into
// its WebAssembly page alike. The complex square root, logarithm and quotient follow the formulas
// of glibc and of GCC's run-time library (the ones the program first computed with) on top of them.
// +, -, * and / of doubles and the real sqrt are correctly rounded everywhere and need no stand-in.
#pragma once

#include <cfloat>
#include <cmath>
#include <complex>
#include <numbers>
#include <utility>

extern "C" {
double portable_sin(double x);
double portable_cos(double x);
double portable_atan(double x);
double portable_atan2(double y, double x);
double portable_log(double x);
double portable_log1p(double x);
double portable_hypot(double x, double y);
}

namespace hs::portable {

inline double sin(double x) {
  return portable_sin(x);
}
inline double cos(double x) {
  return portable_cos(x);
}
inline double atan(double x) {
  return portable_atan(x);
}
inline double atan2(double y, double x) {
  return portable_atan2(y, x);
}
inline double log(double x) {
  return portable_log(x);
}
inline double log1p(double x) {
  return portable_log1p(x);
}
inline double hypot(double x, double y) {
  return portable_hypot(x, y);
}

// The formulas, over the real functions of a library R (R::hypot, R::log, R::log1p, R::atan2):
// with the functions above they are the program's, with the C library's they reproduce its own
// complex functions (which the tests check).
namespace formula {

// x / y by Smith's method, scaled against overflow and underflow as GCC's __divdc3 does.
inline std::complex<double> divide(std::complex<double> x, std::complex<double> y) {
  constexpr double big = DBL_MAX / 2.0, tiny = DBL_MIN, eps = DBL_EPSILON;
  constexpr double upscale = 1.0 / DBL_EPSILON, big_eps = big * eps;
  double a = x.real(), b = x.imag(), c = y.real(), d = y.imag();
  double re, im;
  if (std::fabs(c) < std::fabs(d)) {
    if (std::fabs(d) >= big) {
      a = a / 2;
      b = b / 2;
      c = c / 2;
      d = d / 2;
    }
    if (std::fabs(d) < eps ||
        (std::fabs(a) < tiny && std::fabs(b) < big_eps && std::fabs(d) < big_eps) ||
        (std::fabs(b) < tiny && std::fabs(a) < big_eps && std::fabs(d) < big_eps)) {
      a = a * upscale;
      b = b * upscale;
      c = c * upscale;
      d = d * upscale;
    }
    double ratio = c / d;
    double denom = (c * ratio) + d;
    if (std::fabs(ratio) > tiny) {
      re = ((a * ratio) + b) / denom;
      im = ((b * ratio) - a) / denom;
    } else {
      re = ((c * (a / d)) + b) / denom;
      im = ((c * (b / d)) - a) / denom;
    }
  } else {
    if (std::fabs(c) >= big) {
      a = a / 2;
      b = b / 2;
      c = c / 2;
      d = d / 2;
    }
    if (std::fabs(c) < eps ||
        (std::fabs(a) < tiny && std::fabs(b) < big_eps && std::fabs(c) < big_eps) ||
        (std::fabs(b) < tiny && std::fabs(a) < big_eps && std::fabs(c) < big_eps)) {
      a = a * upscale;
      b = b * upscale;
      c = c * upscale;
      d = d * upscale;
    }
    double ratio = d / c;
    double denom = (d * ratio) + c;
    if (std::fabs(ratio) > tiny) {
      re = ((b * ratio) + a) / denom;
      im = (b - (a * ratio)) / denom;
    } else {
      re = (a + (d * (b / c))) / denom;
      im = (b - (d * (a / c))) / denom;
    }
  }
  // Infinities and zeros that came out as NaN + i NaN: nonzero / zero, infinite / finite and
  // finite / infinite.
  if (std::isnan(re) && std::isnan(im)) {
    const double inf = HUGE_VAL;
    if (c == 0.0 && d == 0.0 && (!std::isnan(a) || !std::isnan(b))) {
      re = std::copysign(inf, c) * a;
      im = std::copysign(inf, c) * b;
    } else if ((std::isinf(a) || std::isinf(b)) && std::isfinite(c) && std::isfinite(d)) {
      a = std::copysign(std::isinf(a) ? 1.0 : 0.0, a);
      b = std::copysign(std::isinf(b) ? 1.0 : 0.0, b);
      re = inf * (a * c + b * d);
      im = inf * (b * c - a * d);
    } else if ((std::isinf(c) || std::isinf(d)) && std::isfinite(a) && std::isfinite(b)) {
      c = std::copysign(std::isinf(c) ? 1.0 : 0.0, c);
      d = std::copysign(std::isinf(d) ? 1.0 : 0.0, d);
      re = 0.0 * (a * c + b * d);
      im = 0.0 * (b * c - a * d);
    }
  }
  return {re, im};
}

// The principal square root: the larger of |Re| and |Im| of the result from (|z| ± Re z) / 2, the
// other from 2 Re Im = Im z, so that neither suffers cancellation.
template <class R>
std::complex<double> sqrt(std::complex<double> z) {
  double x = z.real(), y = z.imag();
  const int xc = std::fpclassify(x), yc = std::fpclassify(y);
  if (xc == FP_NAN || xc == FP_INFINITE || yc == FP_NAN || yc == FP_INFINITE) {
    if (yc == FP_INFINITE) return {HUGE_VAL, y};
    if (xc == FP_INFINITE) {
      if (x < 0) return {yc == FP_NAN ? NAN : 0.0, std::copysign(HUGE_VAL, y)};
      return {x, yc == FP_NAN ? NAN : std::copysign(0.0, y)};
    }
    return {NAN, NAN};
  }
  if (yc == FP_ZERO) {
    if (x < 0) return {0.0, std::copysign(std::sqrt(-x), y)};
    return {std::fabs(std::sqrt(x)), std::copysign(0.0, y)};
  }
  if (xc == FP_ZERO) {
    double r = std::fabs(y) >= 2 * DBL_MIN ? std::sqrt(0.5 * std::fabs(y))
                                           : 0.5 * std::sqrt(2 * std::fabs(y));
    return {r, std::copysign(r, y)};
  }
  int scale = 0;
  if (std::fabs(x) > DBL_MAX / 4) {
    scale = 1;
    x = std::scalbn(x, -2);
    y = std::scalbn(y, -2);
  } else if (std::fabs(y) > DBL_MAX / 4) {
    scale = 1;
    x = std::fabs(x) >= 4 * DBL_MIN ? std::scalbn(x, -2) : 0.0;
    y = std::scalbn(y, -2);
  } else if (std::fabs(x) < 2 * DBL_MIN && std::fabs(y) < 2 * DBL_MIN) {
    scale = -((DBL_MANT_DIG + 1) / 2);
    x = std::scalbn(x, -2 * scale);
    y = std::scalbn(y, -2 * scale);
  }
  const double d = R::hypot(x, y);
  double r, s;
  if (x > 0) {
    r = std::sqrt(0.5 * (d + x));
    if (scale == 1 && std::fabs(y) < 1) {
      s = y / r;
      r = std::scalbn(r, scale);
      scale = 0;
    } else {
      s = 0.5 * (y / r);
    }
  } else {
    s = std::sqrt(0.5 * (d - x));
    if (scale == 1 && std::fabs(y) < 1) {
      r = std::fabs(y / s);
      s = std::scalbn(s, scale);
      scale = 0;
    } else {
      r = std::fabs(0.5 * (y / s));
    }
  }
  if (scale) {
    r = std::scalbn(r, scale);
    s = std::scalbn(s, scale);
  }
  return {r, std::copysign(s, y)};
}

// x^2 + y^2 - 1 without cancellation, for 1 > x >= y >= eps/2 and x^2 + y^2 >= 1/2: the squares
// split exactly into high and low parts (Dekker), then summed from the smallest magnitude up with
// each partial sum split again, so that the rounding of the last sum is all the error.
inline double x2y2m1(double x, double y) {
  auto split_product = [](double& hi, double& lo, double u, double v) {
    constexpr double c = (1 << (DBL_MANT_DIG + 1) / 2) + 1;
    hi = u * v;
    double u1 = u * c, v1 = v * c;
    u1 = (u - u1) + u1;
    v1 = (v - v1) + v1;
    const double u2 = u - u1, v2 = v - v1;
    lo = (((u1 * v1 - hi) + u1 * v2) + u2 * v1) + u2 * v2;
  };
  // Ascending magnitude, by insertion (five numbers at most).
  auto sort_by_magnitude = [](double* v, int n) {
    for (int k = 1; k < n; ++k) {
      const double t = v[k];
      int m = k;
      for (; m > 0 && std::fabs(v[m - 1]) > std::fabs(t); --m) v[m] = v[m - 1];
      v[m] = t;
    }
  };
  double vals[5];
  split_product(vals[1], vals[0], x, x);
  split_product(vals[3], vals[2], y, y);
  vals[4] = -1.0;
  sort_by_magnitude(vals, 5);
  for (int i = 0; i <= 3; ++i) {
    const double hi = vals[i + 1] + vals[i];
    vals[i] = (vals[i + 1] - hi) + vals[i];
    vals[i + 1] = hi;
    sort_by_magnitude(vals + i + 1, 4 - i);
  }
  return vals[4] + vals[3] + vals[2] + vals[1] + vals[0];
}

// The principal logarithm: log |z| + i arg z, with log1p of |z|^2 - 1 worked out accurately
// where |z| is near 1 (the mapped variables on a hole edge).
template <class R>
std::complex<double> log(std::complex<double> z) {
  const int xc = std::fpclassify(z.real()), yc = std::fpclassify(z.imag());
  if (xc == FP_ZERO && yc == FP_ZERO) {
    const double im = std::copysign(std::signbit(z.real()) ? std::numbers::pi : 0.0, z.imag());
    return {-1 / std::fabs(z.real()), im};
  }
  if (xc == FP_NAN || yc == FP_NAN) {
    return {(xc == FP_INFINITE || yc == FP_INFINITE) ? HUGE_VAL : NAN, NAN};
  }
  double ax = std::fabs(z.real()), ay = std::fabs(z.imag());
  int scale = 0;
  if (ax < ay) std::swap(ax, ay);
  if (ax > DBL_MAX / 2) {
    scale = -1;
    ax = std::scalbn(ax, scale);
    ay = ay >= DBL_MIN * 2 ? std::scalbn(ay, scale) : 0.0;
  } else if (ax < DBL_MIN && ay < DBL_MIN) {
    scale = DBL_MANT_DIG;
    ax = std::scalbn(ax, scale);
    ay = std::scalbn(ay, scale);
  }
  double re;
  if (ax == 1 && scale == 0) {
    re = R::log1p(ay * ay) / 2;
  } else if (ax > 1 && ax < 2 && ay < 1 && scale == 0) {
    double d2m1 = (ax - 1) * (ax + 1);
    if (ay >= DBL_EPSILON) d2m1 += ay * ay;
    re = R::log1p(d2m1) / 2;
  } else if (ax < 1 && ax >= 0.5 && ay < DBL_EPSILON / 2 && scale == 0) {
    re = R::log1p((ax - 1) * (ax + 1)) / 2;
  } else if (ax < 1 && ax >= 0.5 && scale == 0 && ax * ax + ay * ay >= 0.5) {
    re = R::log1p(x2y2m1(ax, ay)) / 2;
  } else {
    re = R::log(R::hypot(ax, ay)) - scale * std::numbers::ln2;
  }
  return {re, R::atan2(z.imag(), z.real())};
}

}  // namespace formula

// The real functions of this file, for the formulas.
struct Functions {
  static double hypot(double x, double y) { return portable_hypot(x, y); }
  static double log(double x) { return portable_log(x); }
  static double log1p(double x) { return portable_log1p(x); }
  static double atan2(double y, double x) { return portable_atan2(y, x); }
};

inline std::complex<double> divide(std::complex<double> x, std::complex<double> y) {
  return formula::divide(x, y);
}
inline std::complex<double> divide(double x, std::complex<double> y) {
  return formula::divide({x, 0.0}, y);
}
inline std::complex<double> sqrt(std::complex<double> z) {
  return formula::sqrt<Functions>(z);
}
inline std::complex<double> log(std::complex<double> z) {
  return formula::log<Functions>(z);
}
inline double abs(std::complex<double> z) {
  return portable_hypot(z.real(), z.imag());
}

}  // namespace hs::portable
