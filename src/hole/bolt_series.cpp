#include "hole/bolt_series.hpp"

#include <Eigen/Dense>
#include <cmath>
#include <limits>
#include <numbers>

#include "hole/characteristic_roots.hpp"

namespace hs {

namespace {

using cd = std::complex<double>;
constexpr double kPi = std::numbers::pi;
const cd kI(0.0, 1.0);

// Below this |w| (far from the hole) the sums are taken term by term: their closed forms subtract
// nearly equal numbers there. At |w| = 1/4 thirty terms leave less than 1e-18.
constexpr double kSeriesRadius = 0.25;
constexpr int kSeriesTerms = 30;

// u log u, continued by 0 at u = 0: the ends of the loaded arc, w = +-i, where the pressure has its
// kink and the stresses stay finite.
cd u_log_u(cd u) {
  if (u == cd(0.0, 0.0)) return cd(0.0, 0.0);
  return u * std::log(u);
}

// H(w) = (1 + w^2) arctan(w), written so that it is finite at w = +-i: arctan(w) =
// (i/2) [log(1 - iw) - log(1 + iw)] and 1 + w^2 = (1 + iw)(1 - iw). For |w| <= 1 both 1 +- iw
// have non-negative real parts, so the principal logarithms never cross their cut.
cd tangent_product(cd w) {
  cd a = 1.0 - kI * w, b = 1.0 + kI * w;
  return 0.5 * kI * (b * u_log_u(a) - a * u_log_u(b));
}

// An integer power by multiplication.
cd power(cd w, int n) {
  cd p(1.0, 0.0);
  for (int k = 0; k < n; ++k) p *= w;
  return p;
}

// C(w) - 2, C(w) = sum over even j >= 0 of T(j) w^j = 1 + (w + 1/w) arctan(w).
cd even_sum_less_two(cd w) {
  if (std::abs(w) < kSeriesRadius) {
    cd w2 = w * w, p = w2, sum(0.0, 0.0);
    for (int k = 1; k <= kSeriesTerms; ++k) {
      double sign = (k % 2 == 1) ? 1.0 : -1.0;
      sum += sign * 2.0 / (4.0 * k * k - 1.0) * p;
      p *= w2;
    }
    return sum;
  }
  return tangent_product(w) / w - 1.0;
}

// Ti2(w) = sum over odd m of (-1)^((m-1)/2) w^m / m^2, the inverse tangent integral.
cd inverse_tangent_integral(cd w) {
  return (dilogarithm(kI * w) - dilogarithm(-kI * w)) / (2.0 * kI);
}

}  // namespace

// Li2 by its power series near 0, by the series in u = -log(1 - z) with Bernoulli numbers
// (convergent for |u| < 2 pi) elsewhere with Re z <= 1/2, and by Euler's reflection
// Li2(z) = pi^2/6 - log z log(1 - z) - Li2(1 - z) for Re z > 1/2. (Abramowitz and Stegun 27.7;
// the Bernoulli series is 't Hooft and Veltman's.)
cd dilogarithm(cd z) {
  constexpr double kZeta2 = kPi * kPi / 6.0;
  if (z == cd(1.0, 0.0)) return cd(kZeta2, 0.0);
  if (std::abs(z) <= 0.5) {
    cd p = z, sum(0.0, 0.0);
    for (int n = 1; n <= 60; ++n) {
      sum += p / static_cast<double>(n * n);
      p *= z;
    }
    return sum;
  }
  if (z.real() > 0.5) return kZeta2 - std::log(z) * std::log(1.0 - z) - dilogarithm(1.0 - z);
  // B_2k / (2k + 1)!, k = 1..15.
  static constexpr double kBernoulli[15] = {1.0 / 6.0,
                                            -1.0 / 30.0,
                                            1.0 / 42.0,
                                            -1.0 / 30.0,
                                            5.0 / 66.0,
                                            -691.0 / 2730.0,
                                            7.0 / 6.0,
                                            -3617.0 / 510.0,
                                            43867.0 / 798.0,
                                            -174611.0 / 330.0,
                                            854513.0 / 138.0,
                                            -236364091.0 / 2730.0,
                                            8553103.0 / 6.0,
                                            -23749461029.0 / 870.0,
                                            8615841276005.0 / 14322.0};
  cd u = -std::log(1.0 - z);
  cd u2 = u * u, p = u;  // u^(2k+1)
  cd sum = u - u2 / 4.0;
  double factorial = 1.0;  // (2k + 1)!
  for (int k = 1; k <= 15; ++k) {
    p *= u2;
    factorial *= (2.0 * k) * (2.0 * k + 1.0);
    sum += kBernoulli[k - 1] / factorial * p;
  }
  return sum;
}

// E1 = sum T(m-1) w^m = w C(w) + (pi/2) w^2; T(1) = pi/2 is the one odd harmonic.
cd bearing_sum_e1(cd w) {
  return w * (2.0 + even_sum_less_two(w)) + 0.5 * kPi * w * w;
}

// E2 = sum T(m+1) w^m = (C(w) - 2) / w.
cd bearing_sum_e2(cd w) {
  if (w == cd(0.0, 0.0)) return w;
  return even_sum_less_two(w) / w;
}

// P1 = sum T(m-1) w^m / m = w/2 + (pi/4) w^2 + H(w)/2 + Ti2(w), from the partial fractions of
// 1 / (m^2 (m - 2)) over the odd m >= 3.
cd bearing_sum_p1(cd w) {
  if (std::abs(w) < kSeriesRadius) {
    cd sum = 2.0 * w + 0.25 * kPi * w * w;
    for (int m = 3; m <= 2 * kSeriesTerms + 1; m += 2) {
      double sign = ((m + 1) / 2) % 2 == 0 ? 1.0 : -1.0;
      sum += sign * 2.0 / (double(m) * m * (m - 2)) * power(w, m);
    }
    return sum;
  }
  return 0.5 * w + 0.25 * kPi * w * w + 0.5 * tangent_product(w) + inverse_tangent_integral(w);
}

// P2 = sum T(m+1) w^m / m = Ti2(w) + 1/(2w) - H(w)/(2 w^2), from 1 / (m^2 (m + 2)).
cd bearing_sum_p2(cd w) {
  if (std::abs(w) < kSeriesRadius) {
    cd sum(0.0, 0.0);
    for (int m = 1; m <= 2 * kSeriesTerms + 1; m += 2) {
      double sign = ((m - 1) / 2) % 2 == 0 ? 1.0 : -1.0;
      sum += sign * 2.0 / (double(m) * m * (m + 2)) * power(w, m);
    }
    return sum;
  }
  return inverse_tangent_integral(w) + 0.5 / w - tangent_product(w) / (2.0 * w * w);
}

ExactBoltSeries exact_bolt_series(const Mat3& A, double D, double bearing) {
  ExactBoltSeries s;
  s.radius = D / 2.0;
  cd mu1, mu2;
  if (!characteristic_roots(A, mu1, mu2) || !admissible(A, mu1, mu2) || mu1 == mu2) return s;
  s.mu[0] = mu1;
  s.mu[1] = mu2;

  // 1. The series. Harmonic m of the hole's condition is the complex 2 by 2 system
  // (1 - i mu1) C1 + (1 - i mu2) C2 = -D PF(m-1) / (2m), (1 + i mu1) C1 + (1 + i mu2) C2 =
  // D PF(m+1) / (2m), PF(j) = p0 T(j) / (2 pi), the same matrix for every m: so m C_k is a fixed
  // combination of T(m-1) and T(m+1), and the series of m C_k w^m one of E1 and E2.
  const double p0 = 4.0 * bearing / kPi;
  const cd det = 2.0 * kI * (mu2 - mu1);
  const cd f = D * p0 / (4.0 * kPi * det);
  s.weight[0][0] = -(1.0 + kI * mu2) * f;
  s.weight[0][1] = -(1.0 - kI * mu2) * f;
  s.weight[1][0] = (1.0 + kI * mu1) * f;
  s.weight[1][1] = (1.0 - kI * mu1) * f;

  // 2. The log terms: the resultant bolt force (bearing * D along x) and single-valued
  // displacements round the hole, Im(mu1 L1 + mu2 L2), Im(L1 + L2), Im(mu1^2 L1 + mu2^2 L2),
  // Im(L1/mu1 + L2/mu2).
  const double a11 = A(1, 1), a12 = A(1, 2), a16 = A(1, 3), a22 = A(2, 2);
  const double force = bearing * D;
  const double al1 = mu1.real(), be1 = mu1.imag(), al2 = mu2.real(), be2 = mu2.imag();
  const double n1 = al1 * al1 + be1 * be1, n2 = al2 * al2 + be2 * be2;
  Eigen::Matrix4d rows;
  rows << be1, al1, be2, al2,                                                          //
      0.0, 1.0, 0.0, 1.0,                                                              //
      2.0 * al1 * be1, al1 * al1 - be1 * be1, 2.0 * al2 * be2, al2 * al2 - be2 * be2,  //
      -be1 / n1, al1 / n1, -be2 / n2, al2 / n2;
  Eigen::Vector4d b(force / (4.0 * kPi), 0.0, a16 * force / (4.0 * kPi * a11),
                    a12 * force / (-4.0 * kPi * a22));
  Eigen::FullPivLU<Eigen::Matrix4d> lu(rows);
  if (!lu.isInvertible()) return s;
  Eigen::Vector4d l = lu.solve(b);
  s.log_term[0] = cd(l(0), l(1));
  s.log_term[1] = cd(l(2), l(3));
  s.solved = true;
  return s;
}

cd mapped_variable(cd mu, double r, double x, double y) {
  cd z = x + mu * y;
  cd root = std::sqrt(z * z - r * r * (1.0 + mu * mu));
  cd e = r * (1.0 - kI * mu);
  cd a = (z + root) / e, b = (z - root) / e;
  // The two roots' zetas multiply to (1 + i mu)/(1 - i mu), of modulus below 1: at most one
  // lies on or outside the unit circle, and that one belongs to the plate.
  cd zeta = std::norm(a) >= std::norm(b) ? a : b;
  constexpr double kInside = 1.0 - 1e-12;  // the edge itself, to rounding
  if (std::norm(zeta) < kInside) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return cd(nan, nan);
  }
  return zeta;
}

cd mapping_root(cd mu, double r, cd zeta) {
  return 0.5 * r * ((1.0 - kI * mu) * zeta - (1.0 + kI * mu) / zeta);
}

cd bolt_stress_function_derivative(const ExactBoltSeries& s, int k, cd zeta) {
  cd w = 1.0 / zeta;
  // E1 and E2 as bearing_sum_e1 and bearing_sum_e2 have them, from one C(w) - 2.
  const cd even = even_sum_less_two(w);
  const cd e1 = w * (2.0 + even) + 0.5 * kPi * w * w;
  const cd e2 = w == cd(0.0, 0.0) ? w : even / w;
  cd sum = s.weight[k][0] * e1 + s.weight[k][1] * e2;
  // dPhi/dzeta zeta = L - sum m C_m zeta^(-m), and dzeta/dz = zeta / root.
  return (s.log_term[k] - sum) / mapping_root(s.mu[k], s.radius, zeta);
}

cd bolt_stress_function(const ExactBoltSeries& s, int k, cd zeta, double y) {
  cd w = 1.0 / zeta;
  cd sum = s.weight[k][0] * bearing_sum_p1(w) + s.weight[k][1] * bearing_sum_p2(w);
  // Each log term is many-valued; only their sum is single-valued, and only if both jump on the
  // same ray. The principal logarithm of zeta cuts on a different curve for each root, so the
  // branch follows from the side of the ray behind the bolt the point lies on (the argument of
  // zeta within (-pi/2, 3pi/2) above it and within (-3pi/2, pi/2) below it).
  cd l = std::log(zeta);
  if (y >= 0.0 && l.imag() < -kPi / 2.0) l = cd(l.real(), l.imag() + 2.0 * kPi);
  if (y < 0.0 && l.imag() > kPi / 2.0) l = cd(l.real(), l.imag() - 2.0 * kPi);
  return s.log_term[k] * l + sum;
}

}  // namespace hs
