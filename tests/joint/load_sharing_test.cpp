#include "joint/load_sharing.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace hs {
namespace {

using M = FlexibilityMethod;

JointPlate plate(double width, double thickness, double modulus, double edge = 0.5) {
  return isotropic_plate("p", width, thickness, modulus, 0.33, edge);
}

// n rows from x = 0 at the given pitch, steel quarter-inch bolts, count across the width.
std::vector<FastenerRow> rows(int n, double pitch = 1.0, int count = 1) {
  std::vector<FastenerRow> r;
  for (int i = 0; i < n; ++i) r.push_back({i * pitch, 0.25, 30e6, 0.3, count});
  return r;
}

Joint single(JointPlate a, JointPlate b, std::vector<FastenerRow> r, double load = 1000.0) {
  return {Shear::kSingle, load, {a, b}, r};
}

Joint twin(JointPlate outer1, JointPlate middle, JointPlate outer3, std::vector<FastenerRow> r,
           double load = 1000.0) {
  return {Shear::kDouble, load, {outer1, middle, outer3}, r};
}

// Catches an asymmetry of the equations or of a formula's use: two rows between equal members
// share the load equally whatever the fasteners (every formula, both shears, several counts).
TEST(LoadSharing, TwoEqualRowsShareEqually) {
  for (M m : {M::kHuthBoltedMetal, M::kHuthRivetedMetal, M::kHuthBoltedGraphite, M::kSwift,
              M::kTateRosenfeld, M::kGrumman, M::kBoeing}) {
    for (int count : {1, 3}) {
      const Joint joints[] = {
          single(plate(2, 0.1, 10e6), plate(2, 0.1, 10e6), rows(2, 0.75, count)),
          twin(plate(2, 0.05, 10e6), plate(2, 0.1, 10e6), plate(2, 0.05, 10e6), rows(2, 1, count)),
      };
      for (const Joint& j : joints) {
        JointLoads out = share_joint_load(j, m);
        ASSERT_EQ(JointStatus::kOk, out.status) << flexibility_method_name(m);
        EXPECT_NEAR(500.0, out.row_load[0], 1e-9) << flexibility_method_name(m);
        EXPECT_NEAR(500.0, out.row_load[1], 1e-9) << flexibility_method_name(m);
        EXPECT_NEAR(500.0 / count, out.fastener_load[0], 1e-9);
      }
    }
  }
}

// Catches a wrong coefficient or sign in the compatibility equations, and wrong bearing and bypass
// bookkeeping. Three rows at pitch p = 1 in, plates W = 1 in, t = 0.1 in, E = 10e6 psi
// (K = E t W = 1e6 lbf, p/K = 1e-6 in/lbf), one fastener per row of C = 2e-6 in/lbf, P = 1000 lbf.
// By hand, with S_i the load rows 1..i transfer (S_0 = 0, S_3 = P):
//   row pair 1-2: C S_0 - (2C + 2p/K) S_1 + C S_2 = -p P/K  ->  -6 S_1 + 2 S_2 = -1000
//   row pair 2-3: C S_1 - (2C + 2p/K) S_2 + C S_3 = -p P/K  ->   2 S_1 - 6 S_2 = -3000
// so S_2 = 3 S_1 - 500, -16 S_1 = -6000: S_1 = 375, S_2 = 625, and F = (375, 250, 375):
// F_1 = F_3 > F_2. Check: C (F_2 - F_1) = -2.5e-4 = (S_1 - (P - S_1)) p/K. With d = 0.25 in:
// bearing 375/(0.25*0.1) = 15000 psi at the end rows, 10000 psi in the middle; plate 1 carries
// P - S_i past row i (6250, 3750, 0 psi over W t = 0.1), plate 2 carries S_{i-1} (0, 3750, 6250).
TEST(LoadSharing, ThreeEqualRowsByHand) {
  Joint j = single(plate(1, 0.1, 10e6, 0.5), plate(1, 0.1, 10e6, 0.4), rows(3));
  JointLoads out = share_joint_load(j, std::vector<double>(3, 2e-6));
  ASSERT_EQ(JointStatus::kOk, out.status);
  const double f[] = {375, 250, 375}, bearing[] = {15000, 10000, 15000};
  const double bypass1[] = {6250, 3750, 0}, bypass2[] = {0, 3750, 6250};
  const double end1[] = {2.5, 1.5, 0.5}, end2[] = {0.4, 1.4, 2.4};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(f[i], out.row_load[i], 1e-9) << i;
    for (int p = 0; p < 2; ++p) {
      const HoleLoads& h = out.holes[p][i];
      EXPECT_NEAR(f[i], h.bearing_load, 1e-9);
      EXPECT_NEAR(bearing[i], h.bearing_stress, 1e-7);
      EXPECT_NEAR(p == 0 ? bypass1[i] : bypass2[i], h.bypass_stress, 1e-7) << p << " " << i;
      EXPECT_NEAR(p == 0 ? end1[i] : end2[i], h.free_end_distance, 1e-15) << p << " " << i;
      EXPECT_EQ(1.0, h.pitch);
    }
  }
}

// Catches a lost stiffness term or rigid fasteners taken as singular: with C = 0 the plates
// stretch alike between rows, so equal members hand over half the load at each end row and
// nothing in between; unequal members K_A, K_B give P K_B/(K_A + K_B) at the first row.
TEST(LoadSharing, RigidFastenersLoadOnlyTheEndRows) {
  for (int n = 2; n <= 7; ++n) {
    const Joint joints[] = {
        single(plate(1, 0.1, 10e6), plate(1, 0.1, 10e6), rows(n)),
        twin(plate(1, 0.03, 10e6), plate(1, 0.1, 10e6), plate(1, 0.07, 10e6), rows(n)),
        single(plate(1, 0.3, 10e6), plate(1, 0.1, 10e6), rows(n)),  // K_A = 3 K_B
    };
    const double first[] = {500, 500, 250};
    for (int k = 0; k < 3; ++k) {
      JointLoads out = share_joint_load(joints[k], std::vector<double>(n, 0.0));
      ASSERT_EQ(JointStatus::kOk, out.status) << n;
      for (int i = 0; i < n; ++i) {
        double expected = i == 0 ? first[k] : i == n - 1 ? 1000 - first[k] : 0.0;
        EXPECT_NEAR(expected, out.row_load[i], 1e-9) << n << " " << k << " " << i;
      }
    }
  }
}

// Catches indexing and bookkeeping faults that symmetric cases hide: in random single- and
// double-shear joints (uneven pitches, plates, counts, flexibilities, rigid rows, either sign of
// load) the row loads add up to the load, the slips of neighbouring rows differ by the stretch
// difference of the members, each plate carries bearing plus bypass on its loaded side and the
// next row's bearing plus bypass on the other, and a tension load loads every row in tension.
TEST(LoadSharing, RandomJointsKeepEquilibriumAndCompatibility) {
  std::mt19937 random(20240611);
  auto uniform = [&random](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random);
  };
  for (int trial = 0; trial < 400; ++trial) {
    Joint j;
    j.shear = trial % 2 ? Shear::kDouble : Shear::kSingle;
    j.load = uniform(-5e4, 5e4);
    for (int p = 0; p < (trial % 2 ? 3 : 2); ++p)
      j.plates.push_back(plate(uniform(0.5, 4), uniform(0.02, 0.5), uniform(1e6, 3e7)));
    int n = 1 + trial % 12;
    double x = uniform(-2, 2);
    std::vector<double> flexibility;
    for (int i = 0; i < n; ++i) {
      x += uniform(0.3, 2);
      j.rows.push_back({x, uniform(0.1, 0.5), uniform(1e7, 3e7), 0.3, 1 + trial % 4});
      flexibility.push_back(trial % 5 == 0 && i % 2 ? 0.0 : uniform(1e-7, 1e-5));
    }
    JointLoads out = share_joint_load(j, flexibility);
    ASSERT_EQ(JointStatus::kOk, out.status) << trial;
    double scale = std::fabs(j.load), sum = 0;
    for (double f : out.row_load) sum += f;
    EXPECT_NEAR(j.load, sum, 1e-12 * scale) << trial;

    double ka = 0, kb = j.plates[1].modulus * j.plates[1].thickness * j.plates[1].width;
    for (size_t p = 0; p < j.plates.size(); p += 2)
      ka += j.plates[p].modulus * j.plates[p].thickness * j.plates[p].width;
    for (int i = 0; i + 1 < n; ++i) {
      double member_a = 0;  // what member A carries between rows i and i+1
      for (size_t p = 0; p < j.plates.size(); p += 2) member_a += out.holes[p][i].bypass_load;
      double member_b = out.holes[1][i + 1].bypass_load;
      EXPECT_NEAR(j.load, member_a + member_b, 1e-12 * scale) << trial;
      double pitch = j.rows[i + 1].position - j.rows[i].position;
      double slip = flexibility[i + 1] / j.rows[i + 1].count * out.row_load[i + 1] -
                    flexibility[i] / j.rows[i].count * out.row_load[i];
      double stretch = pitch * (member_b / kb - member_a / ka);
      EXPECT_NEAR(stretch, slip, 1e-10 * pitch * scale / std::min(ka, kb)) << trial;
    }
    for (size_t p = 0; p < j.plates.size(); ++p) {
      for (int i = 0; i + 1 < n; ++i) {
        const HoleLoads &h = out.holes[p][i], &next = out.holes[p][i + 1];
        // Member A's plates (1 and 3) are loaded before row 1, plate 2 after the last row.
        double before = p == 1 ? h.bearing_load + h.bypass_load : h.bypass_load;
        double after = p == 1 ? next.bypass_load : next.bearing_load + next.bypass_load;
        EXPECT_NEAR(before, after, 1e-9 * scale) << trial;
      }
    }
    for (double f : out.row_load) EXPECT_GE(f * j.load, -1e-9 * scale * scale) << trial;
  }
}

// The transferred load S_i of a uniform joint (n rows, pitch p, each row of flexibility c,
// members K_A, K_B) in closed form: the compatibility equations are then Rosenfeld's homogeneous
// second-order difference equation (NACA TN 1458) for S_i - S*, S* = P K_B/(K_A + K_B), whose
// solution with S_0 = 0 and S_n = P is
//   S_i = S* - S* sinh((n-i) theta)/sinh(n theta) + (P - S*) sinh(i theta)/sinh(n theta),
// cosh theta = 1 + p (1/K_A + 1/K_B)/(2c); the quotients are taken as exponentials, which do not
// overflow or cancel for long joints of stiff fasteners.
double uniform_transferred(int i, int n, double p, double c, double ka, double kb, double load) {
  double theta = std::acosh(1.0 + p * (1.0 / ka + 1.0 / kb) / (2.0 * c));
  auto sinh_ratio = [theta, n](int k) {  // sinh(k theta)/sinh(n theta), 0 <= k <= n
    return std::exp((k - n) * theta) * -std::expm1(-2.0 * k * theta) /
           -std::expm1(-2.0 * n * theta);
  };
  double particular = load * kb / (ka + kb);
  return particular - particular * sinh_ratio(n - i) + (load - particular) * sinh_ratio(i);
}

// Catches any departure of the tridiagonal solution from the exact one: uniform joints of 2 to 30
// rows, stiff and soft fasteners against the plates, equal and unequal members, both shears.
TEST(LoadSharing, UniformJointsMatchTheClosedForm) {
  for (int n : {2, 3, 5, 12, 30}) {
    for (double c : {1e-8, 1e-6, 1e-4}) {
      const Joint joints[] = {
          single(plate(1, 0.1, 10e6), plate(1, 0.1, 10e6), rows(n, 0.8)),
          single(plate(2, 0.25, 10e6), plate(1.5, 0.1, 16e6), rows(n, 0.8)),
          twin(plate(1, 0.05, 10e6), plate(1.2, 0.08, 10e6), plate(1, 0.09, 11e6), rows(n, 0.8)),
      };
      for (const Joint& j : joints) {
        JointLoads out = share_joint_load(j, std::vector<double>(n, c));
        ASSERT_EQ(JointStatus::kOk, out.status);
        double ka = 0, kb = 0;
        for (size_t p = 0; p < j.plates.size(); ++p)
          (p == 1 ? kb : ka) += j.plates[p].modulus * j.plates[p].thickness * j.plates[p].width;
        for (int i = 1; i <= n; ++i) {
          double f = uniform_transferred(i, n, 0.8, c, ka, kb, 1000) -
                     uniform_transferred(i - 1, n, 0.8, c, ka, kb, 1000);
          EXPECT_NEAR(f, out.row_load[i - 1], 1e-9) << n << " " << c << " " << i;
        }
      }
    }
  }
}

// Convergence: rows ever closer over a fixed overlap L, with the fastener stiffness per unit
// length kappa = 1/(c p) held, tend to the continuous shear-lag joint (Volkersen,
// Luftfahrtforschung 15, 1938), S'' = kappa (1/K_A + 1/K_B) S - kappa P/K_A: S(x) = S* (1 - cosh
// wx) + B sinh wx, w^2 = kappa (1/K_A + 1/K_B). The row model is a second-order difference scheme
// of it, so the largest difference of S_i from S(i p) falls about fourfold each time the rows
// double.
TEST(LoadSharing, ConvergesToTheShearLagJoint) {
  const double length = 2.0, kappa = 2e6, ka = 2e6, kb = 1e6, load = 1000;
  const double w = std::sqrt(kappa * (1 / ka + 1 / kb)), particular = load * kb / (ka + kb);
  const double b = (load - particular + particular * std::cosh(w * length)) / std::sinh(w * length);
  double previous = 0;
  for (int n : {8, 16, 32, 64, 128}) {
    double p = length / n;
    // Rows at x = p .. n p; S_i is what rows 1..i transfer, compared with S at x = i p.
    std::vector<FastenerRow> r;
    for (int i = 1; i <= n; ++i) r.push_back({i * p, 0.25, 30e6, 0.3, 1});
    Joint j = single(plate(1, 0.2, 10e6), plate(1, 0.1, 10e6), r, load);
    JointLoads out = share_joint_load(j, std::vector<double>(n, 1 / (kappa * p)));
    ASSERT_EQ(JointStatus::kOk, out.status);
    double s = 0, error = 0;
    for (int i = 1; i <= n; ++i) {
      s += out.row_load[i - 1];
      double x = i * p;
      double exact = particular * (1 - std::cosh(w * x)) + b * std::sinh(w * x);
      error = std::max(error, std::fabs(s - exact) / load);
    }
    if (previous > 0) {
      EXPECT_GT(previous / error, 3.5) << n;
      EXPECT_LT(previous / error, 4.5) << n;
    }
    previous = error;
  }
  EXPECT_LT(previous, 1e-4);
}

// Catches a wrong split between the outer plates of double shear and a wrong gross section or
// bearing area: outer plates of stiffness 1 : 2 take 1/3 and 2/3 of member A's loads, the
// middle plate all of member B's; rigid fasteners, two rows of two 0.25 in bolts, P = 1200 lbf,
// so each row carries 600 lbf. Outer plate 1 (W 2, t 0.05): bearing 200/(2*0.25*0.05) = 8000 psi,
// bypass past row 1 = 200 over 0.1 in^2 = 2000 psi; outer plate 3 (t 0.1): 400/(0.05) = 8000,
// bypass 400/0.2 = 2000; middle (t 0.15): bearing 600/(2*0.25*0.15) = 8000, bypass past row 2
// 600/0.3 = 2000 psi; the pitch around one hole is W/2 = 1.
TEST(LoadSharing, DoubleShearSplitsByStiffness) {
  Joint j = twin(plate(2, 0.05, 10e6, 0.6), plate(2, 0.15, 10e6, 0.7), plate(2, 0.1, 10e6, 0.6),
                 rows(2, 1.0, 2), 1200);
  JointLoads out = share_joint_load(j, std::vector<double>(2, 0.0));
  ASSERT_EQ(JointStatus::kOk, out.status);
  const double bearing[3][2] = {{200, 200}, {600, 600}, {400, 400}};
  const double bypass[3][2] = {{200, 0}, {0, 600}, {400, 0}};
  for (int p = 0; p < 3; ++p) {
    for (int i = 0; i < 2; ++i) {
      const HoleLoads& h = out.holes[p][i];
      EXPECT_NEAR(bearing[p][i], h.bearing_load, 1e-9) << p << " " << i;
      EXPECT_NEAR(bypass[p][i], h.bypass_load, 1e-9) << p << " " << i;
      EXPECT_NEAR(8000, h.bearing_stress, 1e-7) << p << " " << i;
      EXPECT_NEAR(bypass[p][i] ? 2000 : 0, h.bypass_stress, 1e-7) << p << " " << i;
      EXPECT_EQ(1.0, h.pitch);
    }
  }
  EXPECT_NEAR(300, out.fastener_load[0], 1e-9);
}

// Catches a crash, a NaN result or a silent answer for impossible input: every fault gives its
// status, the plate or row it is about, and empty results.
TEST(LoadSharing, ImpossibleInputGivesAStatus) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const JointPlate good = plate(1, 0.1, 10e6);
  auto with_row = [&](FastenerRow bad, int at) {
    std::vector<FastenerRow> r = rows(3);
    r[at] = bad;
    return single(good, good, r);
  };
  const std::vector<double> c3(3, 1e-6);
  const struct {
    Joint joint;
    std::vector<double> flexibility;
    JointStatus status;
    int at;
  } cases[] = {
      {single(good, good, rows(3), nan), c3, JointStatus::kBadLoad, -1},
      {single(good, good, rows(3), inf), c3, JointStatus::kBadLoad, -1},
      {{Shear::kSingle, 1000, {good}, rows(3)}, c3, JointStatus::kPlateCount, -1},
      {{Shear::kDouble, 1000, {good, good}, rows(3)}, c3, JointStatus::kPlateCount, -1},
      {single(good, plate(0, 0.1, 10e6), rows(3)), c3, JointStatus::kBadPlate, 1},
      {single(plate(1, -0.1, 10e6), good, rows(3)), c3, JointStatus::kBadPlate, 0},
      {single(good, plate(1, 0.1, 0), rows(3)), c3, JointStatus::kBadPlate, 1},
      {single(good, plate(1, 0.1, inf), rows(3)), c3, JointStatus::kBadPlate, 1},
      {single(good, plate(1, 0.1, 10e6, -0.5), rows(3)), c3, JointStatus::kBadPlate, 1},
      {twin(good, good, plate(1, nan, 10e6), rows(3)), c3, JointStatus::kBadPlate, 2},
      {single(good, good, {}), {}, JointStatus::kNoRows, -1},
      {with_row({1, 0, 30e6, 0.3, 1}, 1), c3, JointStatus::kBadRow, 1},
      {with_row({1, 0.25, -30e6, 0.3, 1}, 1), c3, JointStatus::kBadRow, 1},
      {with_row({1, 0.25, 30e6, 0.6, 1}, 1), c3, JointStatus::kBadRow, 1},
      {with_row({1, 0.25, 30e6, -1, 1}, 1), c3, JointStatus::kBadRow, 1},
      {with_row({1, 0.25, 30e6, 0.3, 0}, 1), c3, JointStatus::kBadRow, 1},
      {with_row({nan, 0.25, 30e6, 0.3, 1}, 2), c3, JointStatus::kBadRow, 2},
      {with_row({0, 0.25, 30e6, 0.3, 1}, 1), c3, JointStatus::kRowsOutOfOrder, 1},
      {with_row({-1, 0.25, 30e6, 0.3, 1}, 2), c3, JointStatus::kRowsOutOfOrder, 2},
      {single(good, good, rows(3)), {1e-6, -1e-6, 1e-6}, JointStatus::kBadFlexibility, 1},
      {single(good, good, rows(3)), {1e-6, 1e-6, nan}, JointStatus::kBadFlexibility, 2},
      {single(good, good, rows(3)), {1e-6, 1e-6}, JointStatus::kBadFlexibility, -1},
      // plates so thin that E t W underflows: the members have no stiffness
      {single(plate(1e-200, 1e-200, 1), good, rows(3)), c3, JointStatus::kSingular, -1},
      // a load whose row loads overflow the bearing stress
      {single(good, good, rows(3), 1e308), c3, JointStatus::kNotFinite, -1},
  };
  for (const auto& c : cases) {
    JointLoads out = share_joint_load(c.joint, c.flexibility);
    EXPECT_EQ(c.status, out.status) << static_cast<int>(c.status);
    EXPECT_EQ(c.at, out.at) << static_cast<int>(c.status);
    EXPECT_TRUE(out.row_load.empty() && out.holes.empty() && out.flexibility.empty());
  }
  // The formula path checks the same way, before any formula sees the data.
  EXPECT_EQ(JointStatus::kBadPlate,
            share_joint_load(single(good, plate(1, 0, 1), rows(2)), M::kTateRosenfeld).status);
}

// Catches a wrong modulus or Poisson's ratio from a laminate's compliance and a wrong choice of
// the plates the formulas see: E_x = 1/a11, VXY = -a12/a11; double shear sees the middle plate
// and the outer plates' mean thickness with their thickness-weighted modulus.
TEST(LoadSharing, PlatesAsTheFormulasSeeThem) {
  Mat3 a{};
  a(1, 1) = 1 / 7.7e6;
  a(1, 2) = -0.3 / 7.7e6;
  JointPlate lam = laminate_plate("skin", 3, 0.04, a, 0.75);
  EXPECT_NEAR(7.7e6, lam.modulus, 1e-6);
  EXPECT_NEAR(0.3, lam.poisson, 1e-15);
  EXPECT_EQ("skin", lam.name);
  FastenedPlates s = fastened_plates(single(lam, plate(1, 0.1, 10e6), rows(1)));
  EXPECT_EQ(0.04, s.t1);
  EXPECT_EQ(0.1, s.t2);
  FastenedPlates d = fastened_plates(twin(plate(1, 0.1, 10e6), lam, plate(1, 0.3, 16e6), rows(1)));
  EXPECT_EQ(0.04, d.t1);
  EXPECT_NEAR(7.7e6, d.e1, 1e-6);
  EXPECT_NEAR(0.2, d.t2, 1e-15);
  EXPECT_NEAR((1e6 + 4.8e6) / 0.4, d.e2, 1e-6);
  // One row takes the whole load whatever its flexibility.
  JointLoads one =
      share_joint_load(single(lam, plate(1, 0.1, 10e6), rows(1)), M::kHuthBoltedGraphite);
  ASSERT_EQ(JointStatus::kOk, one.status);
  EXPECT_EQ(1000.0, one.row_load[0]);
}

}  // namespace
}  // namespace hs
