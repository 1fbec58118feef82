#include "dialogue/tables.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dialogue/program.hpp"
#include "hole/hole_field.hpp"

namespace hs {
namespace {

using Rows = std::vector<std::vector<double>>;

// What the tables print for the field of the loads on the grid (an isotropic laminate).
template <class Print>
std::string tables(const Grid& grid, const Loads& loads, Print print) {
  static auto cache = std::make_unique<HoleSolutionCache>();
  static auto f = std::make_unique<LaminateField>();
  const Mat3 a{{1e-7, -3e-8, 0, -3e-8, 1e-7, 0, 0, 0, 2.6e-7}};
  field_around_hole(grid, loads, Compliance{a, a}, true, *cache, *f);
  std::istringstream in;
  std::ostringstream out;
  {
    Console con(in, out, out);
    print(con, *f);
  }
  return out.str();
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

// Catches a wrong loop order, a station count rounded instead of truncated, and a negative
// angle step or a single station mishandled: DIST and ANGLE of every row of the stress table.
TEST(Tables, StationsInOrder) {
  const struct {
    Grid grid;
    std::vector<double> dists, angles;
  } cases[] = {
      {{0.25, 15, 0, 90, 0.05, 3}, {0, 0.05, 0.1}, {0, 15, 30, 45, 60, 75, 90}},
      {{0.25, 15, 30, 30, 0.05, 3}, {0, 0.05, 0.1}, {30}},
      {{0.25, -10, 90, 0, 0.05, 1}, {0}, {90, 80, 70, 60, 50, 40, 30, 20, 10, 0}},
      {{0.25, 0.1, 0, 0.3, 0.05, 1}, {0}, {0, 0.1, 0.2}},
  };
  for (const auto& c : cases) {
    Rows expected, got;
    for (double d : c.dists) {
      for (double a : c.angles) expected.push_back({d, a});
    }
    auto print = [&](Console& con, const LaminateField& f) {
      print_laminate_stresses(con, c.grid, f);
    };
    for (const auto& r : rows(tables(c.grid, {1000, 0, 0, 0, 0, 0, 0}, print)))
      got.push_back({r[0], r[1]});
    EXPECT_EQ(expected, got);
  }
}

// Catches a principal direction taken with atan2 or from 0/0, and stale values: with no load the
// four tables have 21 rows each, every value 0 (the polar shear at 90 degrees a negative zero,
// cos 90 degrees being just below 0 with the single-precision pi) and every direction 0.00.
TEST(Tables, NoLoadsPrintZeros) {
  const Grid grid{0.25, 15, 0, 90, 0.05, 3};
  tables(grid, {1000, 200, 300, 10, 400, 20, 50}, [](Console&, const LaminateField&) {});
  Rows r = rows(tables(grid, {0, 0, 0, 0, 0, 0, 0}, [&](Console& con, const LaminateField& f) {
    print_laminate_stresses(con, grid, f);
    print_laminate_strains(con, grid, f);
    print_polar(con, grid, f);
    print_displacements(con, grid, f);
  }));
  ASSERT_EQ(84u, r.size());
  for (size_t k = 0; k < r.size(); ++k) {  // values after DIST and ANG; directions not -0.00
    EXPECT_EQ(std::vector<double>(k < 63 ? 6 : 2, 0.0), std::vector(r[k].begin() + 2, r[k].end()));
    EXPECT_FALSE(k < 42 && std::signbit(r[k].back())) << k;
  }
}

// Catches the singular-matrix message without its step, and a count of singular systems that
// does not give one line each.
TEST(Tables, SingularMessages) {
  std::istringstream in;
  std::ostringstream out;
  {
    Console con(in, out, out);
    print_singular_stiffness(con, 4);
    print_singular_systems(con, 3);
    print_singular_systems(con, 0);
  }
  std::string systems;
  for (int k = 0; k < 3; ++k) systems += " SIMULT CALCULATES A SINGULAR SET OF EQS.\r\n";
  EXPECT_EQ(" SUBROUTINE INVERSE CALCULATES A SINGULAR MATRIX AT STEP  4\r\n" + systems, out.str());
}

// Catches the caution test made with the last printed distance, with >= for >, without the
// bearing stress, or printed when displacements are not: it looks NSTEP * STEP from the edge.
TEST(Tables, DisplacementCaution) {
  const struct {
    const char* bearing;  // and the width after it
    double step;
    int nstep, output;
    bool caution;
  } cases[] = {
      // clang-format off
      {"500 0\n0", 0.25, 3, 6, true}, {"500 0\n0", 0.125, 5, 6, false}, {"0 0", 1, 2, 6, false},
      {"500 0\n0", 1, 2, 5, false}, {"-500 0\n0", 0.25, 3, 6, true},
      // clang-format on
  };
  for (const auto& c : cases) {
    std::istringstream in("NO\n" + std::to_string(c.output) +
                          "/\n1 1\n10E6 10E6 3.8E6 0.3\n0\n0.1\n0 0 0 0 " + c.bearing +
                          "\n0.25 15 0 30 " + std::to_string(c.step) + " " +
                          std::to_string(c.nstep) + "\nNO\n");
    std::ostringstream out, err;
    ASSERT_EQ(0, run_dialogue(in, out, err)) << err.str();
    EXPECT_EQ(c.caution, out.str().find(" CAUTION:  DISPLACEMENTS") != std::string::npos)
        << c.bearing << " " << c.step;
  }
}

}  // namespace
}  // namespace hs
