#include <gtest/gtest.h>

#include <algorithm>
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

// The arrows of an SVG fragment: class, tail and head.
struct Arrow {
  std::string cls;
  Point tail, head;
};
std::vector<Arrow> arrows(const std::string& svg) {
  std::vector<Arrow> out;
  for (size_t at = 0; (at = svg.find("<g class=\"", at + 1)) != std::string::npos;) {
    std::string cls = svg.substr(at + 10, svg.find('"', at + 10) - at - 10);
    double x1 = numbers(svg, svg.find("x1=\"", at) + 4)[0];
    double y1 = numbers(svg, svg.find("y1=\"", at) + 4)[0];
    std::vector<double> head = numbers(svg, svg.find("<path d=\"", at) + 9);
    out.push_back({cls, {x1, y1}, {head[0], head[1]}});
  }
  return out;
}

// Catches load arrows turned the wrong way: a far-field arrow points away from the hole where
// the load pulls (tension along the arrow), toward it where the load pushes; the bolt arrow
// points along the bolt angle for a positive bearing stress and against it for a negative one;
// the bypass is one arrow at the end of the plate that holds the bolt, opposite to the bolt's
// push, pulling for a positive bearing stress (pushing for a negative one), so that its force
// on the plate is always against the bolt's.
TEST(Figures, LoadArrowsPointWithTheLoad) {
  const double pi = 3.141592653589793;
  const struct {
    Loads l;
    int pairs;  // arrow pairs of uniform stresses
  } cases[] = {
      {{1000, 0, 0, 0, 0, 0, 0}, 1},      {{-1000, 0, 0, 30, 0, 0, 0}, 1},
      {{0, 500, 0, 0, 0, 0, 0}, 1},       {{0, 0, 1000, 0, 0, 0, 0}, 2},
      {{0, 0, -1000, 20, 0, 0, 0}, 2},    {{0, 0, 0, 0, 1000, 30, 100}, 0},
      {{0, 0, 0, 0, -1000, 30, -100}, 0}, {{500, 0, 0, 0, 1000, 0, 100}, 1},
      {{0, 0, 0, 0, 1000, 120, 0}, 0},  // an infinite plate: no bypass
  };
  for (const auto& c : cases) {
    const Loads& l = c.l;
    std::vector<Arrow> found = arrows(key_figure(pass(l)));
    int uniform = 0, bolts = 0, bypasses = 0;
    const double push = l.bolt_angle * pi / 180 + (l.bearing < 0 ? pi : 0);  // the bolt's force
    for (const Arrow& a : found) {
      double dx = a.head.x - a.tail.x, dy = a.tail.y - a.head.y;  // page y points down
      double dir = std::atan2(dy, dx), t = dir - l.off_axis * pi / 180;
      double outward = std::hypot(a.head.x, a.head.y) - std::hypot(a.tail.x, a.tail.y);
      if (a.cls == "bolt") {
        ++bolts;
        EXPECT_GT(std::cos(dir - push), 0.9) << l.bearing;
      } else if (a.cls == "bypass") {
        ++bypasses;
        EXPECT_LT(std::cos(dir - push), -0.9) << l.bearing;
        // On the held side: the arrow lies beyond the hole opposite to the bolt's angle.
        Point mid{(a.head.x + a.tail.x) / 2, -(a.head.y + a.tail.y) / 2};
        EXPECT_LT(std::cos(std::atan2(mid.y, mid.x) - l.bolt_angle * pi / 180), -0.9);
        EXPECT_GT(l.bypass * outward, 0.0) << l.bypass;
      } else {
        ++uniform;
        double stress = l.px * std::cos(t) * std::cos(t) + l.py * std::sin(t) * std::sin(t) +
                        l.pxy * std::sin(2 * t);
        EXPECT_GT(stress * outward, 0.0) << l.px << " " << l.pxy << " at " << dir * 180 / pi;
      }
    }
    EXPECT_EQ(2 * c.pairs, uniform) << l.px << " " << l.pxy;
    EXPECT_EQ(l.bearing != 0 ? 1 : 0, bolts);
    EXPECT_EQ(l.bypass != 0 ? 1 : 0, bypasses);
  }
}

// Catches a stress that is not finite drawn as a point (or as a zero): the curve has a gap there,
// no marker, and the caption counts it; every other point has its marker with its value.
TEST(Figures, UndefinedPointsLeaveGaps) {
  PassRecord r = pass({1000, 0, 0, 0, 0, 0, 0});
  r.grid = {0.25, 45, 0, 90, 0.05, 1};
  r.field.nang = 3;
  r.field.hoop = {-1000, kNaN, 3000};
  r.field.radial = {0, std::numeric_limits<double>::infinity(), 0};
  r.field.shear = {0, 0, 0};
  std::string html = polar_figures(r);
  size_t hoop = html.find("data-quantity=\"hoop\"");
  size_t curve = html.find("\" class=\"curve\"", hoop);
  std::string d =
      html.substr(html.rfind("<path d=\"", curve) + 9, curve - html.rfind("<path d=\"", curve) - 9);
  EXPECT_EQ(2, std::count(d.begin(), d.end(), 'M')) << d;  // two pieces, no line across
  EXPECT_EQ(0, std::count(d.begin(), d.end(), 'L')) << d;
  size_t end = html.find("</svg>", hoop);
  int titled = 0;
  for (size_t at = hoop; (at = html.find("<title>hoop", at + 1)) < end;) ++titled;
  EXPECT_EQ(2, titled);
  EXPECT_NE(std::string::npos, html.find("<title>hoop stress σθ at 90°, DIST 0.000: 3000.00"))
      << html;
  EXPECT_NE(std::string::npos, html.find("undefined at 2 points")) << html;
}

// Catches the first-ply failure label written over the curves: it goes in a footer under the
// frame and the axis title, inside the figure.
TEST(Figures, FirstPlyFailureLabelClearOfTheCurves) {
  PassRecord r = pass({1000, 0, 0, 0, 0, 0, 0});
  r.grid = {0.25, 90, 0, 90, 0.05, 2};
  r.plies.resize(1);
  r.field.nstep = 2;
  r.field.nply = 1;
  r.field.failure = true;
  r.field.fn = {0.2, 0.5, 0.4, 1.0};
  r.critical = {true, 1, 0, 38542.76, 0, 0, 0};
  std::string html = failure_figures(r);
  size_t chart = html.find("data-step=\"2\"");
  ASSERT_NE(std::string::npos, chart);
  size_t frame = html.find("class=\"frame\"", chart);
  double frame_bottom = numbers(html, html.find("y=\"", frame) + 3)[0] +
                        numbers(html, html.find("height=\"", frame) + 8)[0];
  double title_y = numbers(
      html, html.find("y=\"", html.find("<text", html.find("class=\"title\"", frame) - 60)) + 3)[0];
  double height = numbers(html, html.rfind("height=\"", chart) + 8)[0];
  int lines = 0;
  for (size_t at = chart; (at = html.find("class=\"marklabel\"", at + 1)) != std::string::npos;) {
    double y = numbers(html, html.rfind(" y=\"", at) + 4)[0];
    EXPECT_GT(y - kMarkTextPx, frame_bottom);
    EXPECT_GT(y - kMarkTextPx, title_y);
    EXPECT_LT(y + 0.3 * kMarkTextPx, height);
    ++lines;
  }
  EXPECT_EQ(2, lines);
}

// Catches lines of a carpet chart that lie on one another without a word: the stretch where two
// shares of ±45 plies give the same value is named, and the first line is drawn again over it.
TEST(Figures, CoincidingCarpetLinesAreNamed) {
  PassRecord r;
  r.carpet = true;
  r.plies.resize(4);
  r.plies.angle[0] = 0, r.plies.angle[1] = 45, r.plies.angle[2] = -45, r.plies.angle[3] = 90;
  for (int a = 0; a <= 10; ++a) {
    for (int b = 0; a + b <= 10; ++b) {
      // Lines 10 and 20 meet from 0 to 30 percent of 0-degree plies, then part.
      double v = 1e6 * (1 + a + 2 * b) + (b == 2 && a <= 3 ? -2e6 : 0.0);
      r.layups[a][b] = {true, v, 1e6, 1e6, 0.0};
    }
  }
  std::string html = carpet_figures(r);
  EXPECT_NE(std::string::npos, html.find("data-coincide=\"10 and 20 from 0 to 30\"")) << html;
  EXPECT_NE(std::string::npos,
            html.find("class=\"coincide\" stroke=\"" + std::string(kShareColours[1]) +
                      "\" data-shares45=\"10 20\""))
      << html;
  EXPECT_NE(std::string::npos, html.find("EX: lines that coincide")) << html;
}

}  // namespace
}  // namespace hs::plot
