// The quotient of two complex numbers, inline.
//
// operator/ of std::complex<double> calls the compiler's run-time routine, which computes the
// quotient by Smith's method (R. L. Smith, "Algorithm 116: Complex division", CACM 5, 1962),
// scaled against overflow and underflow, and then mends a NaN + i NaN result into the infinity or
// zero C's Annex G asks for. The hole solutions divide at every station; as a call the routine
// costs a tenth of an analysis. divide() is the same arithmetic in the same order, inline, so it
// gives the same bits as operator/ (the tests compare them over the whole range of doubles).
#pragma once

#include <cfloat>
#include <cmath>
#include <complex>

namespace hs {

inline std::complex<double> divide(std::complex<double> x, std::complex<double> y) {
  constexpr double big = DBL_MAX / 2.0, tiny = DBL_MIN, eps = DBL_EPSILON;
  constexpr double upscale = 1.0 / DBL_EPSILON, big_eps = big * eps;
  double a = x.real(), b = x.imag(), c = y.real(), d = y.imag();
  double re, im;
  if (std::fabs(c) < std::fabs(d)) {
    // |d| the larger: scale by c / d.
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
    const double ratio = c / d;
    const double denom = (c * ratio) + d;
    if (std::fabs(ratio) > tiny) {
      re = ((a * ratio) + b) / denom;
      im = ((b * ratio) - a) / denom;
    } else {
      re = ((c * (a / d)) + b) / denom;
      im = ((c * (b / d)) - a) / denom;
    }
  } else {
    // |c| the larger: scale by d / c.
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
    const double ratio = d / c;
    const double denom = (d * ratio) + c;
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

inline std::complex<double> divide(double x, std::complex<double> y) {
  return divide(std::complex<double>(x, 0.0), y);
}

}  // namespace hs
