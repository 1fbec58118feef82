#include "hole/lamstr.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

#include "hole_cases.hpp"

namespace hs {
namespace {

using namespace hole_cases;
using Rows = std::vector<std::vector<double>>;

// Runs lamstr for the selected cases, the compliance orthotropic in the laminate axes and
// anisotropic in the bolt axes (so that a mix-up shows); returns what it printed.
std::string run(State& st, Three grid, Four loads, std::vector<int> cases = {3}) {
  st.three = grid, st.four = loads, st.six.ASTAR = kOrtho, st.seven.ASTARB = kAniso;
  std::fill_n(std::copy(cases.begin(), cases.end(), st.two.LIST), 15 - cases.size(), 0);
  Screen s;
  lamstr(st, s.con);
  return s.text();
}
// The numbers of each table row of a printout (a record without a capital letter).
Rows rows(const std::string& text) {
  Rows found;
  std::istringstream in(text);
  for (std::string r; std::getline(in, r);) {
    std::istringstream row(r);
    if (r.size() > 1 && std::none_of(r.begin(), r.end(), isupper))
      found.emplace_back(std::istream_iterator<double>(row), std::istream_iterator<double>());
  }
  return found;
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
    for (double d : c.dists) {
      for (double a : c.angles) expected.push_back({d, a});
    }
    for (const auto& r : rows(run(st, c.grid, kTension))) got.push_back({r[0], r[1]});
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
  for (size_t k = 0; k < r.size(); ++k) {  // values after DIST and ANG; directions not -0.00
    EXPECT_EQ(std::vector<double>(k < 63 ? 6 : 2, 0.0), std::vector(r[k].begin() + 2, r[k].end()));
    EXPECT_FALSE(k < 42 && std::signbit(r[k].back())) << k;
  }
}

// Catches the shear split wrongly (both pieces +PXY, or at the wrong angles) and a direction of
// +-45 where SX = SY: far out from a pin-sized hole, pure shear gives exactly SX = SY = 0.
TEST(Lamstr, PureShearFarOut) {
  static State st;
  Rows r = rows(run(st, {15, 0, 0, 1, 2}, {0, 0, 100, 0, 0, 0, 0, 1e-100, 1}));
  EXPECT_EQ((std::vector<double>{1, 0, 0, 0, 100, 100, -100, 0}), r[1]);
  EXPECT_EQ(0.0, st.eight.SIGL[0][1][0]);
  EXPECT_EQ(0.0, st.eight.SIGL[0][1][1]);
}

// Catches loads scaled after use, or not all five scaled: a second call with FACTOR 2 doubles
// PX, PY, PXY, P, PW first, and gives the field of the doubled loads.
TEST(Lamstr, FactorScalesTheLoadsFirst) {
  static State once, twice;
  run(once, kGrid, {2000, 400, 200, 1000, 100, 30, 20, 0.25, 1});
  run(twice, kGrid, {1000, 200, 100, 500, 50, 30, 20, 0.25, 1});
  twice.four.FACTOR = 2;
  run(twice, kGrid, twice.four);
  const Four& f = twice.four;
  EXPECT_EQ((std::vector<double>{2000, 400, 200, 1000, 100}),
            (std::vector<double>{f.PX, f.PY, f.PXY, f.P, f.PW}));
  EXPECT_EQ(0, std::memcmp(once.eight.SIGL, twice.eight.SIGL, sizeof once.eight.SIGL));
}

// Catches the caution test made with the last printed distance, with >= for >, without the
// bearing load, or printed when displacements are not: it looks NSTEP * STEP from the edge.
TEST(Lamstr, DisplacementCaution) {
  const struct {
    double p, step;
    int nstep, output;
    bool caution;
  } cases[] = {
      // clang-format off
      {500, 0.25, 3, 6, true}, {500, 0.125, 5, 6, false}, {0, 1, 2, 6, false}, {500, 1, 2, 5, false},
      // clang-format on
  };
  static State st;
  for (const auto& c : cases) {
    std::string text =
        run(st, {15, 0, 30, c.step, c.nstep}, {0, 0, 0, c.p, 0, 0, 0, 0.25, 1}, {c.output});
    EXPECT_EQ(c.caution, text.find(" CAUTION:  DISPLACEMENTS") != text.npos) << c.p << c.step;
  }
}

}  // namespace
}  // namespace hs
