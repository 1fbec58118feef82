#include "ply/plystr.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>
#include <string>

namespace hs {
namespace {

// plystr at one grid point (hole edge, angle 0) of nstep steps with laminate strains e, one ply
// at angle theta of a material E1, E2, G12, NU12, cases 7 and 8 selected; returns what it printed.
std::string one_point(State& st, std::array<double, 3> e, double theta, const double mat[4],
                      int krit, int nstep = 1) {
  st.two.LIST[0] = 7, st.two.LIST[1] = 8;
  st.three = {1.0, 0.0, 0.0, 0.05, nstep};
  st.two.NPLY = 1, st.two.ANGLE[0] = theta, st.two.MATNO[0] = 1;
  st.one = {{mat[0]}, {mat[1]}, {mat[2]}, {mat[3]}};
  for (int c = 0; c < 3; ++c) st.eight.EPSL[0][0][c] = e[c];
  std::istringstream in;
  std::ostringstream out;
  {
    Console con(in, out, out);
    plystr(st, con, krit);
  }
  return out.str();
}

const double kCarbon[4] = {20e6, 1.4e6, 0.7e6, 0.3};

// Catches a wrong sign or factor 2 in the rotation into the ply axes (KRIT 1 leaves strains; pi
// is held in single precision, so 90 degrees leaves about 1e-7 of the other components, and the
// stress table does not leave stresses behind) and a wrong material law (KRIT 2): an isotropic ply
// gives E (eps1 + nu eps2)/(1 - nu^2) and G gamma, a carbon ply strained along the fibres
// E1 eps1/(1 - nu12 nu21) and nu12 E2 eps1/(1 - nu12 nu21) with nu21 = nu12 E2/E1.
TEST(Plystr, PlyValuesAtOnePoint) {
  const double alu[4] = {70000, 70000, 26000, 0.33}, d = 1 - 0.33 * 0.33;
  const struct {
    double theta;
    const double* mat;
    int krit;
    std::array<double, 3> e;
    double ply[3];
  } cases[] = {
      {0, kCarbon, 1, {1e-3, 2e-3, 3e-3}, {1e-3, 2e-3, 3e-3}},
      {90, kCarbon, 1, {1e-3, 2e-3, 3e-3}, {2e-3, 1e-3, -3e-3}},
      {45, kCarbon, 1, {1e-3, 0, 0}, {0.5e-3, 0.5e-3, -1e-3}},
      {-45, kCarbon, 1, {0, 0, 2e-3}, {-1e-3, 1e-3, 0}},
      {0, alu, 2, {1e-3, -2e-3, 4e-3}, {70 * (1 - 0.66) / d, 70 * (-2 + 0.33) / d, 104}},
      {0, kCarbon, 2, {1e-3, 0, 0}, {20e3 / 0.9937, 420 / 0.9937, 0}},
  };
  for (const auto& t : cases) {
    State st{};
    one_point(st, t.e, t.theta, t.mat, t.krit);
    EXPECT_NEAR(t.ply[0], st.nine.PLY1[0][0][0], 1e-9) << t.theta;
    EXPECT_NEAR(t.ply[1], st.nine.PLY2[0][0][0], 1e-9) << t.theta;
    EXPECT_NEAR(t.ply[2], st.nine.PLY12[0][0][0], 1e-9) << t.theta;
  }
}

// Catches headings skipped when the grid is empty, or printing while the search is quiet.
TEST(Plystr, HeadingsAndQuietFlag) {
  State st{};
  std::string headings = one_point(st, {1e-3, 0, 0}, 0, kCarbon, 2, 0);  // each after 3 blanks
  EXPECT_EQ(14, std::count(headings.begin(), headings.end(), '\n'));
  EXPECT_EQ(0u, headings.find("\r\n\r\n\r\n                    STRAINS PER PLY\r\n"));
  EXPECT_NE(std::string::npos, headings.find("\r\n\r\n\r\n                    STRESSES PER PLY"));
  st.quiet = true;
  EXPECT_EQ("", one_point(st, {1e-3, 0, 0}, 0, kCarbon, 2));
  EXPECT_NEAR(20126.79883, st.nine.PLY1[0][0][0], 1e-5);
}

}  // namespace
}  // namespace hs
