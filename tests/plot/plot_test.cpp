#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "plot/chart.hpp"
#include "plot/svg.hpp"

namespace hs::plot {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Catches numbers that depend on the locale or the stream state, lose digits in the data
// attributes, or print a non-finite value as something a reader cannot parse.
TEST(Svg, NumberForms) {
  const struct {
    double v;
    int decimals;
    const char *fixed_text, *exact_text;
  } cases[] = {
      // clang-format off
      {-0.5, 2, "-0.50", "-0.5"}, {0.125, 2, "0.12", "0.125"},  // the tie goes to the even digit
      {20.0e6, 0, "20000000", "20000000"}, {1.5e-9, 3, "0.000", "1.5e-09"},
      {2.0e9, 1, "2000000000.0", "2e+09"}, {0.1 + 0.2, 2, "0.30", "0.30000000000000004"},
      {kNaN, 2, "NaN", "NaN"}, {-std::numeric_limits<double>::infinity(), 2, "-Inf", "-Inf"},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.fixed_text, fixed(c.v, c.decimals)) << c.v;
    EXPECT_EQ(c.exact_text, exact(c.v)) << c.v;
  }
  EXPECT_EQ("a&lt;b &amp; &quot;c&quot;&gt;", escape("a<b & \"c\">"));
}

// Catches a polyline drawn through a missing value, and arcs turned the wrong way on the page
// (y grows downward, angles counter-clockwise).
TEST(Svg, PathsAndArcs) {
  Svg svg(0, 0, 10, 10, "");
  svg.path({{0, 0}, {1, 2}, {kNaN, 3}, {4, 5}, {6, 7}}, "");
  svg.arc({0, 0}, 10, 0, 90, "");
  svg.arc({0, 0}, 10, -90, 180, "");
  svg.arc({0, 0}, 10, 0, 360, "");
  std::string s = svg.finish();
  EXPECT_NE(std::string::npos, s.find("d=\"M0.00 0.00 L1.00 2.00 M4.00 5.00 L6.00 7.00\"")) << s;
  EXPECT_NE(std::string::npos, s.find("d=\"M10.00 0.00 A10.00 10.00 0 0 0 0.00 -10.00\"")) << s;
  EXPECT_NE(std::string::npos, s.find("d=\"M0.00 10.00 A10.00 10.00 0 1 0 -10.00 -0.00\"")) << s;
  EXPECT_NE(std::string::npos, s.find("<circle cx=\"0.00\" cy=\"0.00\" r=\"10.00\"/>")) << s;
}

// Catches axes that do not cover the values, steps that are not 1, 2 or 5 times a power of
// ten, and tick labels that lose or invent digits.
TEST(Chart, NiceAxes) {
  const struct {
    double lo, hi;
    int ticks;
    double want_lo, want_hi, want_step;
  } cases[] = {
      // clang-format off
      {0, 38542.76, 2, 0, 40000, 20000}, {0, 0.8, 4, 0, 0.8, 0.2}, {0, 0.0153, 4, 0, 0.02, 0.005},
      {1.4e6, 2.0e7, 5, 0, 2.0e7, 5.0e6}, {-2505.3, 7000, 5, -4000, 8000, 2000},
      {5, 5, 4, 2, 8, 2},  // a single value still gets an axis
      // clang-format on
  };
  for (const auto& c : cases) {
    Axis a = nice_axis(c.lo, c.hi, c.ticks);
    EXPECT_DOUBLE_EQ(c.want_lo, a.lo) << c.lo << " " << c.hi;
    EXPECT_DOUBLE_EQ(c.want_hi, a.hi) << c.lo << " " << c.hi;
    EXPECT_DOUBLE_EQ(c.want_step, a.step) << c.lo << " " << c.hi;
  }
  Axis moduli{0, 2.0e7, 5.0e6};
  EXPECT_EQ(6, axis_power(moduli));
  EXPECT_EQ("15", tick_label(1.5e7, moduli));
  Axis small{0, 0.02, 0.005};
  EXPECT_EQ(0, axis_power(small));
  EXPECT_EQ("0.015", tick_label(0.015, small));
  EXPECT_EQ("0.0", tick_label(-1e-18, Axis{-0.5, 0.5, 0.5}));  // never "-0.0"
}

}  // namespace
}  // namespace hs::plot
