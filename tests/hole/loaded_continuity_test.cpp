#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "hole/loaded.hpp"
#include "laminate/abd.hpp"

namespace hs {
namespace {

// The bolt displacements must be continuous all round the hole, including across the ray behind
// the bolt where the two logarithmic terms of the solution are cut. Catches log terms cut on
// different curves, which shifts the displacement in a wedge behind the bolt.
TEST(LoadedDisplacement, ContinuousAroundTheHole) {
  struct Layup {
    int nply;
    double angle[4];
    double bolt;
  } layups[] = {{4, {0, 45, -45, 90}, 0}, {4, {0, 45, -45, 90}, 33}, {1, {30}, 0}, {1, {0}, 45},
                {2, {10, -70}, 120},      {3, {0, 0, 45}, 200}};
  std::istringstream in;
  std::ostringstream out;
  Console con(in, out, out);
  for (const Layup& l : layups) {
    static State st;
    st = State{};
    st.one = {{20e6}, {1.4e6}, {0.7e6}, {0.3}};
    st.two.NPLY = l.nply;
    st.two.NMAT = 1;
    for (int p = 0; p < l.nply; ++p) {
      st.two.ANGLE[p] = l.angle[p];
      st.two.THICK[p] = 0.005;
      st.two.MATNO[p] = 1;
    }
    double ba = l.bolt;
    abd(st, con, ba);
    // One station per call, every degree, seven circles out to three diameters.
    double largest = 0.0, worst_step = 0.0, previous[7][2] = {};
    for (int deg = 0; deg <= 360; ++deg) {
      Three grid{1.0, static_cast<double>(deg), static_cast<double>(deg), 0.1, 7};
      static GridVec sig;
      static GridVal u, v;
      double p = 1000.0, d = 0.25, alpha = l.bolt;
      loaded(grid, con, p, d, st.seven.ASTARB, alpha, sig, u, v);
      for (int i = 0; i < 7; ++i) {
        largest = std::fmax(largest, std::fmax(std::fabs(u[0][i]), std::fabs(v[0][i])));
        if (deg > 0) {
          worst_step = std::fmax(worst_step, std::fabs(u[0][i] - previous[i][0]));
          worst_step = std::fmax(worst_step, std::fabs(v[0][i] - previous[i][1]));
        }
        previous[i][0] = u[0][i];
        previous[i][1] = v[0][i];
      }
    }
    EXPECT_LT(worst_step, 0.05 * largest)
        << l.nply << " plies, first at " << l.angle[0] << ", bolt at " << l.bolt;
  }
  EXPECT_EQ("", out.str());
}

}  // namespace
}  // namespace hs
