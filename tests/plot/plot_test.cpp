#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "control/driver.hpp"
#include "plot/chart.hpp"
#include "plot/page.hpp"
#include "plot/svg.hpp"

namespace hs::plot {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A bolt with bypass, failure numbers and the failure search (Tsai-Hill).
const char* const kSearchJob =
    "NO\n3 9 10/\n2 1\n20.0E6 1.4E6 0.7E6 0.3\n200E3 180E3 8E3 30E3 12E3\n0 90\n0.005 0.005\n"
    "1000 0 0 0 3000 0\n2\n0.25 30 0 180 0.05 3\n3\nNO\n";

// Catches numbers that depend on the locale or the stream state, lose digits in the data
// attributes, or print a non-finite value as something a reader cannot parse.
TEST(Svg, NumberForms) {
  struct Case {
    double v;
    int decimals;
    const char* fixed_text;
    const char* exact_text;
  };
  const Case cases[] = {
      {-0.5, 2, "-0.50", "-0.5"},
      {0.125, 2, "0.12", "0.125"},  // the tie goes to the even digit
      {20.0e6, 0, "20000000", "20000000"},
      {1.5e-9, 3, "0.000", "1.5e-09"},
      {2.0e9, 1, "2000000000.0", "2e+09"},
      {0.1 + 0.2, 2, "0.30", "0.30000000000000004"},
      {kNaN, 2, "NaN", "NaN"},
      {-std::numeric_limits<double>::infinity(), 2, "-Inf", "-Inf"},
  };
  for (const Case& c : cases) {
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
  struct Case {
    double lo, hi;
    int ticks;
    double want_lo, want_hi, want_step;
  };
  const Case cases[] = {
      {0, 38542.76, 2, 0, 40000, 20000},
      {0, 0.8, 4, 0, 0.8, 0.2},
      {0, 0.0153, 4, 0, 0.02, 0.005},
      {1.4e6, 2.0e7, 5, 0, 2.0e7, 5.0e6},
      {-2505.3, 7000, 5, -4000, 8000, 2000},
      {5, 5, 4, 2, 8, 2},  // a single value still gets an axis
  };
  for (const Case& c : cases) {
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

// Records what the driver hands to an observer during a failure search.
struct Loads : AnalysisObserver {
  std::vector<double> typed, at_end;
  void pass_begun(const State&, double, bool) override {}
  void typed_loads_evaluated(const State& st) override { typed.push_back(st.four.PX); }
  void analysed(const State& st, int, int, int, bool) override { at_end.push_back(st.four.PX); }
};

// Catches a silent run that still writes tables, and a hook that shows the failure load instead
// of the loads as typed (the pictures would then disagree with the printed cases 3 to 9).
TEST(Driver, SilentRunAndTypedLoads) {
  std::istringstream in(kSearchJob), again(kSearchJob);
  std::ostringstream out, err, printed, err2;
  Loads loads;
  EXPECT_EQ(0, run(in, out, err, &loads, true));
  EXPECT_EQ("", out.str());
  EXPECT_EQ("", err.str());
  ASSERT_EQ(1u, loads.typed.size());
  ASSERT_EQ(1u, loads.at_end.size());
  EXPECT_EQ(1000.0, loads.typed[0]);
  EXPECT_NE(1000.0, loads.at_end[0]);
  EXPECT_EQ(0, run(again, printed, err2));
  char text[16];
  std::snprintf(text, sizeof text, "%12.2f", loads.at_end[0]);
  EXPECT_NE(std::string::npos, printed.str().find(text)) << text;
}

std::string page_of(const std::string& dialogue) {
  std::istringstream in(dialogue);
  std::ostringstream out, err;
  Page page;
  EXPECT_EQ(0, run(in, out, err, &page, true));
  return page.html();
}

size_t count(const std::string& s, const std::string& what) {
  size_t n = 0;
  for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

// Catches a page that changes from one run to the next, plots missing or doubled, and a pass
// with nothing to draw that is not said so in one line.
TEST(Page, PlotsPerPass) {
  std::string properties = "YES\nNO\n2/\n1 1\n20.0E6 1.4E6 0.7E6 0.3\n30\n0.01\nNO\n";
  std::string job = kSearchJob;
  std::string two_passes = job.substr(0, job.size() - 3) + properties;
  std::string page = page_of(two_passes);
  EXPECT_EQ(page, page_of(two_passes));
  EXPECT_EQ(2u, count(page, "<section class=\"pass\""));
  EXPECT_EQ(6u, count(page, "class=\"plot polar\""));    // 3 stresses, 2 steps in a search
  EXPECT_EQ(2u, count(page, "class=\"plot failure\""));  // the search keeps 2 steps
  EXPECT_EQ(1u, count(page, "class=\"critical\""));
  EXPECT_EQ(1u, count(page, "Nothing to draw"));
  EXPECT_LT(page.find("class=\"critical\""), page.find("Nothing to draw"));
}

}  // namespace
}  // namespace hs::plot
