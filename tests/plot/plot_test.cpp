#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "plot/chart.hpp"
#include "plot/drawing.hpp"
#include "plot/figures.hpp"
#include "plot/svg.hpp"

namespace hs::plot {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The numbers of an SVG path or attribute text from position at up to the closing quote, the
// command letters skipped.
std::vector<double> numbers(const std::string& s, size_t at) {
  std::string text = s.substr(at, s.find('"', at) - at);
  for (char& c : text) c = std::isalpha(static_cast<unsigned char>(c)) ? ' ' : c;
  std::istringstream in(text);
  std::vector<double> v;
  for (double x; in >> x;) v.push_back(x);
  return v;
}

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

// Catches a page whose vertical axis points down in value, or a horizontal axis reversed: values
// increase to the right and upward (page y decreases as the value increases), the axis ends on
// the frame.
TEST(Chart, AxesIncreaseRightAndUp) {
  Chart c(400, 300, Axis{-10, 30, 10}, Axis{-5, 5, 1}, {"x", ""}, {"y", ""}, "");
  const double at[][2] = {{-10, -5}, {0, -5}, {30, -5}, {30, 0}, {30, 5}};
  for (int i = 1; i < 5; ++i) {
    Point p = c.at(at[i][0], at[i][1]), q = c.at(at[i - 1][0], at[i - 1][1]);
    bool along_x = at[i][0] != at[i - 1][0];
    EXPECT_GT(along_x ? p.x - q.x : q.y - p.y, 0.0) << i;
    EXPECT_EQ(along_x ? p.y : p.x, along_x ? q.y : q.x) << i;
  }
  EXPECT_EQ(c.left(), c.at(-10, -5).x);
  EXPECT_EQ(c.bottom(), c.at(-10, -5).y);
  EXPECT_EQ(c.right(), c.at(30, 5).x);
  EXPECT_EQ(c.top(), c.at(30, 5).y);
}

// A pass of one distance step with stations at 0 and 90 degrees and the given loads; hoop
// stresses -1 and +3 times PX at the two stations (an open hole in an isotropic plate).
PassRecord pass(const Loads& loads) {
  PassRecord r;
  r.number = 1;
  r.loads = loads;
  r.grid = {0.25, 90, 0, 90, 0.05, 1};
  r.field.nstep = 1, r.field.nang = 2;
  r.field.hoop = {-loads.px, 3 * loads.px};
  r.field.radial = r.field.shear = {0, 0};
  r.field_taken = true;
  return r;
}

// Catches the radius of a polar plot drawn with the wrong sign: tension lies outside the dashed
// station circle (kZero), compression inside it, the largest magnitude kSwing from it.
TEST(Figures, PolarRadiusOutwardForTension) {
  std::string html = polar_figures(pass({1000, 0, 0, 0, 0, 0, 0}));
  size_t hoop = html.find("data-quantity=\"hoop\"");
  ASSERT_NE(std::string::npos, hoop);
  size_t curve = html.find("\" class=\"curve\"", hoop);
  ASSERT_NE(std::string::npos, curve);
  std::vector<double> p = numbers(html, html.rfind("<path d=\"", curve) + 9);
  ASSERT_EQ(4u, p.size());  // x, y at 0 degrees, then at 90 degrees
  EXPECT_NEAR(kZero - kSwing / 3, std::hypot(p[0], p[1]), 0.01);
  EXPECT_NEAR(kZero + kSwing, std::hypot(p[2], p[3]), 0.01);
  EXPECT_NEAR(0.0, p[2], 0.01);  // straight up the page at 90 degrees
  EXPECT_LT(p[3], 0.0);
}

// Catches load arrows turned the wrong way: a far-field arrow points away from the hole where
// the load pulls (tension along the arrow), toward it where the load pushes; the bolt arrow
// points along the bolt angle for a positive bearing stress and against it for a negative one.
TEST(Figures, LoadArrowsPointWithTheLoad) {
  const double pi = 3.141592653589793;
  const Loads cases[] = {
      {1000, 0, 0, 0, 0, 0, 0},      {-1000, 0, 0, 30, 0, 0, 0}, {0, 500, 0, 0, 0, 0, 0},
      {0, 0, 1000, 0, 0, 0, 0},      {0, 0, -1000, 20, 0, 0, 0}, {0, 0, 0, 0, 1000, 30, 100},
      {0, 0, 0, 0, -1000, 30, -100},
  };
  for (const Loads& l : cases) {
    std::string svg = key_figure(pass(l));
    int arrows = 0;
    for (size_t at = 0; (at = svg.find("<g class=\"", at + 1)) != std::string::npos; ++arrows) {
      bool bolt = svg.compare(at, 16, "<g class=\"bolt\">") == 0;
      std::vector<double> tail = numbers(svg, svg.find("x1=\"", at) + 4);
      tail.push_back(numbers(svg, svg.find("y1=\"", at) + 4)[0]);
      std::vector<double> head = numbers(svg, svg.find("<path d=\"", at) + 9);
      double dx = head[0] - tail[0], dy = tail[1] - head[1];  // page y points down
      double a = std::atan2(dy, dx), t = a - l.off_axis * pi / 180;
      if (bolt) {
        double along = std::cos(a - l.bolt_angle * pi / 180);
        EXPECT_GT(l.bearing * along, 0.9 * std::fabs(l.bearing)) << l.bearing;
        continue;
      }
      double stress = l.px * std::cos(t) * std::cos(t) + l.py * std::sin(t) * std::sin(t) +
                      l.pxy * std::sin(2 * t) + l.bypass;  // bypass alone when there is one
      double outward = std::hypot(head[0], head[1]) - std::hypot(tail[0], tail[1]);
      EXPECT_GT(stress * outward, 0.0)
          << l.px << " " << l.pxy << " " << l.bearing << " at " << a * 180 / pi;
    }
    EXPECT_EQ(l.bearing != 0 ? 3 : (l.pxy != 0 ? 4 : 2), arrows) << l.px << " " << l.pxy;
  }
}

}  // namespace
}  // namespace hs::plot
