#include "hole/bolt_hole.hpp"

#include <gtest/gtest.h>

#include <complex>

#include "hole_cases.hpp"
#include "laminate/membrane_compliance.hpp"

namespace hs {
namespace {

using namespace hole_cases;
constexpr double kPi = 3.1415927410125732;  // angles convert with pi held in single precision

constexpr double kP0 = 1000 * 4.0 / kPi;  // peak pressure of the bearing stress 1000

// One cache for every call of the file, over changing grids, compliances and bolt angles: what
// it keeps must never leak into a field.
BoltHoleCache cache;

// The field of a bearing stress of 1000 at the bolt angle, D = 0.25, with the number of
// singular systems.
struct Bolt : Field {
  int singular;
};
const Bolt& bolt(const Mat3& a, double angle, Grid grid = {0.25, 15, 0, 360, 0.05, 3}) {
  static Bolt b;
  b.singular = bolt_hole_field(grid, 1000, a, angle, true, cache, b.sig, b.u, b.v);
  return b;
}

// Catches any slip in the series systems, the logarithmic terms, the mapping or the displacement
// constants. Stations 1, 4, 7, 13 lie at 0, 45, 90, 180 degrees; NaN: no value quoted.
TEST(BoltHoleField, ReferenceStations) {
  const double none = std::nan("");
  const struct {
    const Mat3* a;
    int step, station;
    double sig[3];
  } cases[] = {
      {&kOrtho, 1, 1, {-1273.231, 846.800, 0}},     {&kOrtho, 1, 7, {2250.864, -8.815, none}},
      {&kOrtho, 1, 13, {0.008, 53.810, none}},      {&kOrtho, 2, 1, {-887.990, 263.037, none}},
      {&kOrtho, 3, 4, {79.259, -45.294, -181.626}}, {&kIso, 1, 1, {-1273.231, 396.389, 0}},
      {&kIso, 1, 7, {802.133, -8.815, 0}},          {&kIso, 3, 4, {-60.256, -112.373, -270.454}},
  };
  for (const auto& c : cases) {
    const Bolt& b = bolt(*c.a, 0);
    for (int k = 0; k < 3; ++k) {
      double got = b.sig[c.station - 1][c.step - 1][k];
      EXPECT_NEAR(std::isnan(c.sig[k]) ? got : c.sig[k], got, 5e-4) << c.station << " " << k;
    }
    EXPECT_EQ(0, b.singular);
  }
  const Bolt& b = bolt(kOrtho, 0);
  EXPECT_NEAR(1.579449e-05, b.u[0][0], 5e-12);
  EXPECT_NEAR(-2.267018e-06, b.u[6][0], 5e-13);
  EXPECT_NEAR(1.557818e-05, b.v[6][0], 5e-12);
}

// Catches a wrong arc, harmonic or divisor in the closed-form integrals: PF(0) = p0/pi,
// PF(+-1) = p0/4, PF(+-2) = p0/(3 pi), PF(4) = -p0/(15 pi), odd harmonics above 1 vanish; the
// resultant of the pressure is the bolt load S D along the bolt and nothing across it.
TEST(BoltHoleField, BearingPressureSeriesAndResultant) {
  std::complex<double> pf[99];
  double p0 = 100 * 4.0 / kPi, rf1, rf2;
  bearing_pressure(p0, 0.25, pf, rf1, rf2);
  // (PF(m) at m + 49, value, tolerance); the arc ends at the single-precision pi/2 (7e-9 p0).
  const double expected[][3] = {{49, 40.5284712, 5e-8},  {51, 13.5094904, 5e-8},
                                {47, 13.5094904, 5e-8},  {53, -p0 / (15 * kPi), 1e-14 * p0},
                                {50, p0 / 4, 1e-8 * p0}, {48, p0 / 4, 1e-8 * p0}};
  for (const auto& [m, value, tol] : expected) EXPECT_NEAR(value, pf[int(m)].real(), tol) << m;
  for (int m = 3; m <= 49; m += 2) EXPECT_GT(1e-14 * p0, abs(pf[49 + m]) + abs(pf[49 - m])) << m;
  EXPECT_NEAR(24.9999993, rf1, 5e-8);
  EXPECT_NEAR(0.0, rf2, 1e-14);
}

// Catches a singular system that goes uncounted. A compliance with a22 = 0 and 2 a12 + a66 = 0
// has the quartic a11 mu^4, whose four zero roots the root finder takes without iterating, so
// mu1 = mu2 = 0 exactly. (A double pair of a real laminate is found only to about 1e-5, each
// pair on its own, and the two never come out equal.)
TEST(BoltHoleField, CoincidentRootsCountEverySystem) {
  EXPECT_EQ(46, bolt(Mat3{{1e-7, -1e-7, 0, -1e-7, 0, 0, 0, 0, 2e-7}}, 0).singular);
}

// The boundary condition itself: on the hole edge the radial stress is -p0 cos(theta - beta) on
// the half facing the bolt and zero on the other half, and the shear is zero, to 0.1 percent of
// p0 = 4 bearing / pi everywhere but at the two ends of the loaded arc.
TEST(BoltHoleField, EdgeCarriesTheBearingPressure) {
  const std::pair<const Mat3*, double> cases[] = {
      {&kOrtho, 0}, {&kIso, 0}, {&kAniso, 30}, {&kAniso, 200}};
  for (const auto& [a, angle] : cases) {
    const Bolt& b = bolt(*a, angle, Grid{0.25, 5, 0, 355, 0.05, 1});
    for (int j = 0; j < 72; ++j) {
      double rel = 5 * j - angle, t = 5 * j * kPi / 180;
      if (std::fmod(rel + 360, 180) == 90) continue;
      EXPECT_NEAR(-std::fmax(0.0, kP0 * std::cos(rel * kPi / 180)), radial(b.sig[j][0], t),
                  1e-3 * kP0)
          << 5 * j;
      EXPECT_NEAR(0.0, shear(b.sig[j][0], t), 1e-3 * kP0) << 5 * j;
    }
  }
}

// The compliance in the bolt axes (bolt at `angle` degrees) of five carbon/epoxy plies 0.005 thick
// at t, t, 45 + t, 90 + t and 30 + t degrees.
Mat3 bolt_axes(double t, double angle) {
  const Materials carbon{1, {{20e6, 1.4e6, 0.7e6, 0.3}}, {}};
  const double h = 0.005;
  const PlyStack plies{5, {t, t, 45 + t, 90 + t, 30 + t}, {h, h, h, h, h}, {0, 0, 0, 0, 0}};
  return membrane_compliance(carbon, plies, angle).compliance.bolt_axes;
}

// Catches stresses or displacements left in the bolt axes, or turned the wrong way: turning the
// layup, the bolt and the stations together by the same angle must give the same field in the
// bolt axes. At bolt angle 0 the bolt axes are the laminate axes.
TEST(BoltHoleField, TurningLaminateAndBoltTogether) {
  const double turns[][2] = {{0, 90}, {0, 40}, {20, 40}, {20, 200}};
  for (const auto& [base, turn] : turns) {
    Field a = bolt(bolt_axes(0, base), base, Grid{0.25, 15, 0, 345, 0.1, 3});
    const Field& b =
        bolt(bolt_axes(turn, base + turn), base + turn, {0.25, 15, turn, 345 + turn, 0.1, 3});
    double ta = base * kPi / 180, tb = (base + turn) * kPi / 180;
    for (int n = 0; n < 72; ++n) {
      int i = n / 24, j = n % 24;
      EXPECT_NEAR(shear(a.sig[j][i], ta), shear(b.sig[j][i], tb), 1e-9 * 1273);
      for (double q : {0.0, kPi / 2}) {
        EXPECT_NEAR(radial(a.sig[j][i], ta + q), radial(b.sig[j][i], tb + q), 1e-9 * 1273);
        double ua = a.u[j][i] * std::cos(ta + q) + a.v[j][i] * std::sin(ta + q);
        EXPECT_NEAR(ua, b.u[j][i] * std::cos(tb + q) + b.v[j][i] * std::sin(tb + q), 1e-14);
      }
    }
  }
}

// Catches an endless branch search, or a made-up value, at stations inside the hole (a negative
// step): they come back NaN, the edge stations finite.
TEST(BoltHoleField, StationsInsideTheHole) {
  const Field& b = bolt(kOrtho, 0, Grid{0.25, 15, 0, 360, -0.05, 3});
  for (int n = 0; n < 75; ++n) {
    int i = n / 25, j = n % 25;
    EXPECT_EQ(i > 0, std::isnan(b.sig[j][i][0] + b.sig[j][i][1] + b.sig[j][i][2]));
    EXPECT_EQ(i > 0, std::isnan(b.u[j][i] + b.v[j][i]));
  }
}

}  // namespace
}  // namespace hs
