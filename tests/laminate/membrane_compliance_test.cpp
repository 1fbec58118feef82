#include "laminate/abd.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <tuple>
#include <vector>

namespace hs {
namespace {

using Ply = std::tuple<double, double, int>;  // angle, thickness, material number

// abd on a stack of plies of up to three materials (each as E1, E2, G12, NU12), case 3 selected,
// with the bolt angle ba (degrees in, radians out).
State laminate(std::vector<std::vector<double>> mats, std::vector<Ply> plies, double& ba) {
  State st{};
  st.two.LIST[0] = 3;
  st.two.NMAT = static_cast<int>(mats.size()), st.two.NPLY = static_cast<int>(plies.size());
  for (int m = 0; m < st.two.NMAT; ++m) {
    st.one.E1[m] = mats[m][0], st.one.E2[m] = mats[m][1], st.one.G12[m] = mats[m][2];
    st.one.NU12[m] = mats[m][3];
  }
  for (int k = 0; k < st.two.NPLY; ++k)
    std::tie(st.two.ANGLE[k], st.two.THICK[k], st.two.MATNO[k]) = plies[k];
  std::istringstream in;
  std::ostringstream out;
  Console con(in, out, out);
  abd(st, con, ba);
  return st;
}

const std::vector<double> kCarbon = {20e6, 1.4e6, 0.7e6, 0.3}, kGlass = {45000, 12000, 5500, 0.28},
                          kAlu = {70000, 70000, 70000 / 2.0 / 1.33, 0.33};

// Catches wrong invariants or ply rotation, a MATNO mix-up and wrong thickness weighting: EX, EY,
// GXY, VXY against lamination theory worked by hand; square-symmetric stacks give EX = EY.
TEST(Abd, EngineeringConstants) {
  double ba = 0;
  const struct {
    State st;
    double ex, ey, gxy, vxy;
  } cases[] = {
      {laminate({kCarbon}, {{0, 1, 1}}, ba), 20e6, 1.4e6, 0.7e6, 0.3},
      {laminate({kAlu}, {{10, 1, 1}, {-37, 2.5, 1}, {90, 0.3, 1}}, ba), 70000, 70000, kAlu[2],
       0.33},
      {laminate({kCarbon}, {{0, 1, 1}, {45, 1, 1}, {-45, 1, 1}, {90, 1, 1}}, ba), 7702848.53265,
       7702848.53265, 2936293.64999, 0.311661817725},
      {laminate({kCarbon, kGlass}, {{0, 1, 2}, {0, 1, 1}}, ba), 10022502.4301, 706066.035437,
       352750, 0.299827514464},
  };
  for (const auto& c : cases) {
    const Mat3& a = c.st.six.ASTAR;
    EXPECT_NEAR(c.ex, 1 / a(1, 1), 1e-6 * c.ex);
    EXPECT_NEAR(c.ey, 1 / a(2, 2), 1e-6 * c.ey);
    EXPECT_NEAR(c.gxy, 1 / a(3, 3), 1e-6 * c.gxy);
    EXPECT_NEAR(c.vxy, -a(1, 2) / a(1, 1), 1e-6 * c.vxy);
    EXPECT_NEAR(c.ex / c.ey, a(2, 2) / a(1, 1), 1e-6 * c.ex / c.ey);
  }
}

// Catches a wrong sign or unit of the bolt-angle shift: ASTARB is the compliance with every ply
// angle measured from the bolt direction (equal to ASTAR at 0), and the angle comes back in
// radians.
TEST(Abd, BoltAxes) {
  const double cases[][4] = {{0, 90, 1 / 1.4e6, 1 / 20e6}, {30, 30, 1 / 20e6, 1 / 1.4e6}};
  for (const auto& c : cases) {  // ply angle, bolt angle, ASTARB(1,1), ASTARB(2,2)
    double ba = c[1];
    State st = laminate({kCarbon}, {{c[0], 1, 1}}, ba);
    EXPECT_EQ(c[1] * 3.1415927410125732 / 180.0, ba);
    EXPECT_NEAR(c[2], st.seven.ASTARB(1, 1), 1e-9 * c[2]);
    EXPECT_NEAR(c[3], st.seven.ASTARB(2, 2), 1e-9 * c[3]);
  }
  double ba = 0;
  State st = laminate({kCarbon, kGlass}, {{30, 1, 1}, {-60, 2, 2}, {0, 3, 1}}, ba);
  EXPECT_EQ(0, std::memcmp(&st.six.ASTAR, &st.seven.ASTARB, sizeof(Mat3)));
}

}  // namespace
}  // namespace hs
