#include "hole/lamstr.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "hole/loaded.hpp"
#include "hole/unloded.hpp"
#include "hole_cases.hpp"

namespace hs {
namespace {

using namespace hole_cases;
using Rows = std::vector<std::string>;

// Runs lamstr for the selected cases, the compliance orthotropic in the laminate axes and
// anisotropic in the bolt axes (so that a mix-up shows); returns what it printed.
std::string run(State& st, Three grid, Four loads, std::vector<int> cases = {3}) {
  st.three = grid, st.four = loads, st.six.ASTAR = kOrtho, st.seven.ASTARB = kAniso;
  std::fill_n(std::copy(cases.begin(), cases.end(), st.two.LIST), 15 - cases.size(), 0);
  Screen s;
  lamstr(st, s.con);
  return s.text();
}
// The table rows of a printout (records without a capital letter), and the numbers of a row.
Rows rows(const std::string& text) {
  Rows found;
  for (size_t at = 0, end; (end = text.find("\r\n", at)) != text.npos; at = end + 2) {
    std::string r = text.substr(at, end - at);
    if (!r.empty() && std::none_of(r.begin(), r.end(), isupper)) found.push_back(r);
  }
  return found;
}
std::vector<double> numbers(const std::string& row) {
  std::istringstream in(row);
  return {std::istream_iterator<double>(in), std::istream_iterator<double>()};
}
const Three kGrid{15, 0, 90, 0.05, 3};
const Four kTension{1000, 0, 0, 0, 0, 0, 0, 0.25, 1};

// Catches a wrong loop order, a station count rounded instead of truncated, and a negative DEG or
// a single station mishandled: DIST and ANG of every row of the stress table.
TEST(Lamstr, StationsInOrder) {
  const struct {
    Three grid;
    std::vector<double> dists, angles;
  } cases[] = {
      {kGrid, {0, 0.05, 0.1}, {0, 15, 30, 45, 60, 75, 90}},
      {{15, 30, 30, 0.05, 3}, {0, 0.05, 0.1}, {30}},
      {{-10, 90, 0, 0.05, 1}, {0}, {90, 80, 70, 60, 50, 40, 30, 20, 10, 0}},
      {{0.1, 0, 0.3, 0.05, 1}, {0}, {0, 0.1, 0.2}},
  };
  static State st;
  for (const auto& c : cases) {
    Rows expected, got;
    char row[16];
    for (double d : c.dists) {
      for (double a : c.angles) std::snprintf(row, 16, "%6.3f%8.2f", d, a), expected.push_back(row);
    }
    for (const std::string& r : rows(run(st, c.grid, kTension))) got.push_back(r.substr(0, 14));
    EXPECT_EQ(expected, got);
  }
}

// Catches a principal direction taken with atan2 or from 0/0, and stale values: with no load the
// four tables have 21 rows each, every value 0 (the polar shear at 90 degrees a negative zero,
// cos 90 degrees being just below 0 with the single-precision pi) and every direction 0.00.
TEST(Lamstr, NoLoadsPrintZeros) {
  static State st;
  Rows r = rows(run(st, kGrid, {0, 0, 0, 0, 0, 0, 0, 0.25, 1}, {3, 4, 5, 6}));
  ASSERT_EQ(84u, r.size());
  for (size_t k = 0; k < r.size(); ++k) {
    std::vector<double> v = numbers(r[k]);
    EXPECT_EQ(std::vector<double>(v.size() - 2, 0.0), std::vector(v.begin() + 2, v.end()));
    EXPECT_TRUE(k >= 42 || r[k].ends_with("    0.00")) << r[k];
  }
}

// Catches the shear split wrongly (both pieces +PXY, or at the wrong angles) and a direction of
// +-45 where SX = SY: far out from a pin-sized hole, pure shear gives exactly SX = SY = 0.
TEST(Lamstr, PureShearFarOut) {
  static State st;
  Rows r = rows(run(st, {15, 0, 0, 1, 2}, {0, 0, 100, 0, 0, 0, 0, 1e-100, 1}));
  EXPECT_EQ(" 1.000    0.00       0.00       0.00     100.00     100.00    -100.00    0.00", r[1]);
  EXPECT_EQ(0.0, st.eight.SIGL[0][1][0]);
  EXPECT_EQ(0.0, st.eight.SIGL[0][1][1]);
}

// Catches the wrong compliance or angle for the bolt pieces, or a PW piece that adds anything on
// an infinite plate: the field is the bolt solution plus the open hole under PW along BOLTANG.
TEST(Lamstr, BoltPlusBypass) {
  for (double pw : {0.0, 62.5}) {
    static State st;
    static Field bolt, bypass;
    double p = 500, a1 = 30, a2 = 30;
    run(st, kGrid, {0, 0, 0, p, pw, 30, 0, 0.25, 1});
    Screen s;
    loaded(kGrid, s.con, p, 0.25, kAniso, a1, bolt.sig, bolt.u, bolt.v);
    unloded(kGrid, pw, 0.25, kOrtho, a2, bypass.sig, bypass.u, bypass.v);
    for (int k = 0; k < 63; ++k) {
      int j = k / 9, i = k / 3 % 3, c = k % 3;
      EXPECT_EQ(0.0 + bolt.sig[j][i][c] + bypass.sig[j][i][c], st.eight.SIGL[j][i][c]) << pw;
    }
  }
}

// Catches loads scaled after use, or not all five scaled: a second call with FACTOR 2 doubles
// PX, PY, PXY, P, PW first, and gives the field of the doubled loads.
TEST(Lamstr, FactorScalesTheLoadsFirst) {
  static State once, twice;
  run(once, kGrid, {2000, 400, 200, 1000, 100, 30, 20, 0.25, 1});
  run(twice, kGrid, {1000, 200, 100, 500, 50, 30, 20, 0.25, 1});
  twice.four.FACTOR = 2;
  Screen s;
  lamstr(twice, s.con);
  const Four& f = twice.four;
  EXPECT_EQ((std::vector<double>{2000, 400, 200, 1000, 100}),
            (std::vector<double>{f.PX, f.PY, f.PXY, f.P, f.PW}));
  EXPECT_EQ(0, std::memcmp(once.eight.SIGL, twice.eight.SIGL, sizeof once.eight.SIGL));
}

// Catches hoop and radial swapped or a sign slip in the polar shear: Mohr's circle of the printed
// x-y values at 0, 45 and 90 degrees (at 0 the hoop values are the y values, the radial the x
// values), to a unit in the last digit printed.
TEST(Lamstr, PolarValuesFromMohrsCircle) {
  static State st;
  Rows r =
      rows(run(st, {45, 0, 90, 0.05, 2}, {1000, 200, 100, 500, 50, 0, 30, 0.25, 1}, {3, 4, 5}));
  for (int k = 0; k < 6; ++k) {  // two distances, three angles
    std::vector<double> s = numbers(r[k]), e = numbers(r[6 + k]), p = numbers(r[12 + k]);
    double c = 1 - k % 3, t = k % 3 == 1;  // cosine and sine of twice the angle
    double ms = (s[2] + s[3]) / 2, ds = (s[2] - s[3]) / 2 * c + s[4] * t;
    double me = (e[2] + e[3]) / 2, de = (e[2] - e[3]) / 2 * c + e[4] / 2 * t;
    const double want[6] = {ms - ds, ms + ds, (s[3] - s[2]) / 2 * t + s[4] * c,
                            me - de, me + de, (e[3] - e[2]) * t + e[4] * c};
    for (int n = 0; n < 6; ++n) EXPECT_NEAR(want[n], p[2 + n], n < 3 ? 0.011 : 1.1e-6) << r[12 + k];
  }
}

// Catches the caution test made with the last printed distance, with >= for >, without the
// bearing load, or printed when displacements are not: it looks NSTEP * STEP from the edge.
TEST(Lamstr, DisplacementCaution) {
  const struct {
    double p, step;
    int nstep, output;
    bool caution;
  } cases[] = {
      {500, 1, 2, 6, true}, {500, 0.25, 3, 6, true}, {500, 0.125, 5, 6, false},
      {0, 1, 2, 6, false},  {500, 1, 2, 5, false},
  };
  const std::string caution =
      " CAUTION:  DISPLACEMENTS AT POINTS GREATER THAN 3D AWAY \r\n FROM THE HOLE MAY BE IN ERROR\r\n\r\n\r\n\r\n";
  static State st;
  for (const auto& c : cases) {
    std::string text =
        run(st, {15, 0, 30, c.step, c.nstep}, {0, 0, 0, c.p, 0, 0, 0, 0.25, 1}, {c.output});
    EXPECT_EQ(c.caution, text.find(caution) != text.npos) << c.p << " " << c.step;
  }
}

}  // namespace
}  // namespace hs
