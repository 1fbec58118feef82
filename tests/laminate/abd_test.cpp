#include "laminate/abd.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "control/driver.hpp"

namespace hs {
namespace {

struct Ply {
  double angle, thick;
  int matno;
};

// A stack of plies of up to three materials, each material as E1, E2, G12, NU12.
State laminate(std::vector<std::vector<double>> mats, std::vector<Ply> plies, int list = 3) {
  State st{};
  st.two.LIST[0] = list;
  st.two.NMAT = static_cast<int>(mats.size());
  st.two.NPLY = static_cast<int>(plies.size());
  for (int m = 0; m < st.two.NMAT; ++m) {
    st.one.E1[m] = mats[m][0], st.one.E2[m] = mats[m][1], st.one.G12[m] = mats[m][2];
    st.one.NU12[m] = mats[m][3];
  }
  for (int k = 0; k < st.two.NPLY; ++k) {
    st.two.ANGLE[k] = plies[k].angle, st.two.THICK[k] = plies[k].thick,
    st.two.MATNO[k] = plies[k].matno;
  }
  return st;
}

// Runs abd with the bolt angle ba (degrees in, radians out); returns what it printed.
std::string run_abd(State& st, double& ba) {
  std::istringstream in;
  std::ostringstream out, err;
  Console con(in, out, err);
  abd(st, con, ba);
  con.flush();
  return out.str();
}

const std::vector<double> kCarbon = {20e6, 1.4e6, 0.7e6, 0.3}, kGlass = {45000, 12000, 5500, 0.28},
                          kAlu = {70000, 70000, 70000 / 2.0 / 1.33, 0.33};

// Catches wrong invariants or ply rotation, a MATNO mix-up and wrong thickness weighting: EX, EY,
// GXY, VXY against lamination theory worked by hand; square-symmetric stacks give EX = EY.
TEST(Abd, EngineeringConstants) {
  const struct {
    State st;
    double ex, ey, gxy, vxy;
  } cases[] = {
      {laminate({kCarbon}, {{0, 1, 1}}), 20e6, 1.4e6, 0.7e6, 0.3},
      {laminate({kAlu}, {{10, 1, 1}, {-37, 2.5, 1}, {90, 0.3, 1}}), 70000, 70000, kAlu[2], 0.33},
      {laminate({kCarbon}, {{0, 1, 1}, {45, 1, 1}, {-45, 1, 1}, {90, 1, 1}}), 7702848.53265,
       7702848.53265, 2936293.64999, 0.311661817725},
      {laminate({kCarbon, kGlass}, {{0, 1, 2}, {0, 1, 1}}), 10022502.4301, 706066.035437, 352750,
       0.299827514464},
  };
  for (auto c : cases) {
    double ba = 0;
    run_abd(c.st, ba);
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
    State st = laminate({kCarbon}, {{c[0], 1, 1}});
    double ba = c[1];
    run_abd(st, ba);
    EXPECT_EQ(c[1] * 3.1415927410125732 / 180.0, ba);
    EXPECT_NEAR(c[2], st.seven.ASTARB(1, 1), 1e-9 * c[2]);
    EXPECT_NEAR(c[3], st.seven.ASTARB(2, 2), 1e-9 * c[3]);
  }
  State st = laminate({kCarbon, kGlass}, {{30, 1, 1}, {-60, 2, 2}, {0, 3, 1}});
  double ba = 0;
  run_abd(st, ba);
  EXPECT_EQ(0, std::memcmp(&st.six.ASTAR, &st.seven.ASTARB, sizeof(Mat3)));
}

// Catches case 2 printed when only a later case is selected, ASTAR then not computed, and a
// singular stiffness (a ply without shear stiffness) that overwrites the compliances or shows the
// wrong step; case 2 then shows the compliance held before (all 7.5 here).
TEST(Abd, PrintedOutput) {
  const std::string singular = " SUBROUTINE INVERSE CALCULATES A SINGULAR MATRIX AT STEP  ",
                    title = "\r\n                         LAMINATE PROPERTIES\r\n";
  const struct {
    State st;
    std::string out;
  } cases[] = {
      {laminate({kCarbon}, {{0, 1, 1}}, 2),
       title + " EX = 0.200E+08  EY = 0.140E+07  GXY = 0.700E+06  VXY = 0.300\r\n"},
      {laminate({kCarbon}, {{0, 1, 1}}, 3), ""},
      {laminate({{20e6, 1.4e6, 0, 0.3}}, {{0, 1, 1}}, 2),
       singular + "1\r\n" + title +
           " EX = 0.133E+00  EY = 0.133E+00  GXY = 0.133E+00  VXY = *****\r\n" + singular +
           "4\r\n"},
  };
  auto kept = [](const Mat3& m) { return std::count(m.a, m.a + 9, 7.5) == 9; };
  for (auto c : cases) {
    for (int k = 0; k < 9; ++k) c.st.six.ASTAR.a[k] = c.st.seven.ASTARB.a[k] = 7.5;
    double ba = 0;
    EXPECT_EQ(c.out, run_abd(c.st, ba));
    const bool is_singular = c.out.starts_with(singular);
    EXPECT_EQ(is_singular, kept(c.st.six.ASTAR));
    EXPECT_EQ(is_singular, kept(c.st.seven.ASTARB));
  }
}

// Catches a carpet plot that skips or repeats layups, prints properties before their LAYUP line,
// or keeps the wrong ply of a single-ply layup (the lone 90-degree ply swaps EX and EY).
TEST(Abd, CarpetPlotLayups) {
  std::ifstream file(HOLESTRESS_E2E_DIR "/carpet-2.in");
  std::stringstream in, out, err;
  in << file.rdbuf();
  EXPECT_EQ(0, run(in, out, err));
  std::vector<std::string> lines;
  for (std::string l; std::getline(out, l);) lines.push_back(l.substr(0, l.size() - 1));  // CR
  const std::string layup = "                         LAYUP:  ", props = "LAMINATE PROPERTIES";
  std::vector<std::string> seen;  // "shares/ properties" of every block with its LAYUP line
  int blocks = 0;
  for (size_t i = 2; i + 1 < lines.size(); ++i) {
    blocks += lines[i].ends_with(props);
    if (lines[i].ends_with(props) && lines[i - 2].starts_with(layup))
      seen.push_back(lines[i - 2].substr(layup.size()) + "/" + lines[i + 1]);
  }
  EXPECT_EQ(66, blocks);
  ASSERT_EQ(66u, seen.size());
  // single plies first (0 degrees), at the start of the last row (90 degrees), last (+-45 degrees)
  EXPECT_EQ("100/  0/  0/ EX = 0.200E+08  EY = 0.140E+07  GXY = 0.700E+06  VXY = 0.300", seen[0]);
  EXPECT_EQ("  0/  0/100/ EX = 0.140E+07  EY = 0.200E+08  GXY = 0.700E+06  VXY = 0.021", seen[55]);
  EXPECT_EQ("  0/100/  0/ EX = 0.249E+07  EY = 0.249E+07  GXY = 0.517E+07  VXY = 0.778", seen[65]);
}

}  // namespace
}  // namespace hs
