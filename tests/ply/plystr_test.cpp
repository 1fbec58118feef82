#include "ply/plystr.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace hs {
namespace {

// One grid point (hole edge, angle 0) with laminate strains e, one ply at angle theta of a
// material E1, E2, G12, NU12; cases is the list of selected output cases.
void one_point(State& st, const double e[3], double theta, const double mat[4],
               std::initializer_list<int> cases) {
  int i = 0;
  for (int c : cases) st.two.LIST[i++] = c;
  st.three = {1.0, 0.0, 0.0, 0.05, 1};
  st.two.NPLY = 1, st.two.ANGLE[0] = theta, st.two.MATNO[0] = 1;
  st.one = {{mat[0]}, {mat[1]}, {mat[2]}, {mat[3]}};
  for (int c = 0; c < 3; ++c) st.eight.EPSL[0][0][c] = e[c];
}

std::string run_plystr(State& st, int krit) {
  std::istringstream in;
  std::ostringstream out, err;
  Console con(in, out, err);
  plystr(st, con, krit);
  con.flush();
  return out.str();
}

const double kCarbon[4] = {20e6, 1.4e6, 0.7e6, 0.3};

// Catches a wrong sign or factor 2 in the rotation into the ply axes (KRIT 1 leaves strains; pi
// is held in single precision, so 90 degrees leaves about 1e-7 of the other components) and a
// wrong material law: an isotropic ply gives E (eps1 + nu eps2)/(1 - nu^2) and G gamma (KRIT 2).
TEST(Plystr, PlyValuesAtOnePoint) {
  const double alu[4] = {70000, 70000, 26000, 0.33}, d = 1 - 0.33 * 0.33;
  const struct {
    double theta;
    const double* mat;
    int krit;
    double e[3], ply[3];
  } cases[] = {
      {0, kCarbon, 1, {1e-3, 2e-3, 3e-3}, {1e-3, 2e-3, 3e-3}},
      {90, kCarbon, 1, {1e-3, 2e-3, 3e-3}, {2e-3, 1e-3, -3e-3}},
      {45, kCarbon, 1, {1e-3, 0, 0}, {0.5e-3, 0.5e-3, -1e-3}},
      {-45, kCarbon, 1, {0, 0, 2e-3}, {-1e-3, 1e-3, 0}},
      {0, alu, 2, {1e-3, -2e-3, 4e-3}, {70 * (1 - 0.66) / d, 70 * (-2 + 0.33) / d, 104}},
  };
  for (const auto& t : cases) {
    State st{};
    one_point(st, t.e, t.theta, t.mat, {});
    run_plystr(st, t.krit);
    EXPECT_NEAR(t.ply[0], st.nine.PLY1[0][0][0], 1e-9) << t.theta;
    EXPECT_NEAR(t.ply[1], st.nine.PLY2[0][0][0], 1e-9) << t.theta;
    EXPECT_NEAR(t.ply[2], st.nine.PLY12[0][0][0], 1e-9) << t.theta;
  }
}

const std::string kStrainHeading =
    "\r\n\r\n\r\n                    STRAINS PER PLY\r\n\r\n"
    "  DIST   ANGLE     PLY   STRAIN 1    STRAIN 2   SHEAR STRAIN\r\n\r\n";
const std::string kStressHeading =
    "\r\n\r\n\r\n                    STRESSES PER PLY\r\n\r\n"
    "  DIST   ANGLE     PLY   STRESS 1    STRESS 2   SHEAR STRESS\r\n\r\n";

// Catches maximum strain left with stresses, a strain table printed twice, or wrong row formats.
TEST(Plystr, MaximumStrainKeepsStrainsAfterStressTable) {
  const double e[3] = {1e-3, 0, 0};
  State st{};
  one_point(st, e, 0, kCarbon, {7, 8});
  // sigma-1 = E1 eps-1/(1 - nu12 nu21), nu21 = 0.3 * 1.4/20; sigma-2 = nu12 E2 eps-1/(same).
  EXPECT_EQ(kStrainHeading + " 0.000    0.00    0.00    0.001000    0.000000    0.000000\r\n" +
                kStressHeading + " 0.000    0.00    0.00    20126.80      422.66        0.00\r\n",
            run_plystr(st, 1));
  EXPECT_EQ(1e-3, st.nine.PLY1[0][0][0]);
}

// Catches headings skipped when the grid is empty, or printing while the search is quiet.
TEST(Plystr, HeadingsAndQuietFlag) {
  const double e[3] = {1e-3, 0, 0};
  State st{};
  one_point(st, e, 0, kCarbon, {7, 8});
  st.three.NSTEP = 0;
  EXPECT_EQ(kStrainHeading + kStressHeading, run_plystr(st, 2));
  st.three.NSTEP = 1;
  st.quiet = true;
  EXPECT_EQ("", run_plystr(st, 2));
  EXPECT_NEAR(20126.79883, st.nine.PLY1[0][0][0], 1e-5);
}

}  // namespace
}  // namespace hs
