#include "plot/job_pictures.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "job/job_reader.hpp"
#include "plot/drawing.hpp"
#include "plot/figures.hpp"

namespace hs::plot {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// An element's attribute, read from the text of its start tag.
std::string attribute(const std::string& tag, const std::string& name) {
  std::smatch m;
  if (!std::regex_search(tag, m, std::regex(" " + name + "=\"([^\"]*)\""))) return "";
  return m[1];
}

// The start tags of the elements of a kind (and class, when given) in document order, each with
// the text up to its end tag.
struct Element {
  std::string tag, text;
};
std::vector<Element> elements(const std::string& html, const std::string& kind,
                              const std::string& css_class = "") {
  std::vector<Element> out;
  for (size_t at = 0; (at = html.find("<" + kind + " ", at)) != std::string::npos; ++at) {
    const size_t close = html.find('>', at);
    std::string tag = html.substr(at, close - at + 1);
    if (!css_class.empty() && attribute(tag, "class").find(css_class) == std::string::npos)
      continue;
    const size_t end = html.find("</" + kind + ">", close);
    out.push_back({tag, end == std::string::npos ? "" : html.substr(close + 1, end - close - 1)});
  }
  return out;
}

double number(const std::string& text) {
  return std::stod(text);
}

// The text a reader sees: no tags, no tooltips, no style sheet.
std::string visible_text(std::string html) {
  html =
      std::regex_replace(html, std::regex("<style>[\\s\\S]*?</style>|<title>[^<]*</title>"), " ");
  return std::regex_replace(html, std::regex("<[^>]*>"), " ");
}

// Catches numbers shown in full (17 digits) or in forms a reader has to decode: four
// significant digits, plain from 0.001 to a million, engineering notation beyond, no "-0".
TEST(Readable, RoundedForReading) {
  const struct {
    double v;
    const char* text;
  } cases[] = {
      // clang-format off
      {41.776315789473685, "41.78"}, {0.014285714285714285, "0.01429"}, {20e6, "20e6"},
      {1.4e6, "1.4e6"}, {700000, "700000"}, {38542.76, "38543"}, {0.3, "0.3"}, {5000, "5000"},
      {7.142857142857143e-4, "714.3e-6"}, {-2500, "-2500"}, {0.0, "0"}, {-0.0, "0"},
      {999999.7, "1e6"}, {9999.96, "10000"}, {0.001, "0.001"}, {9.99951e-4, "0.001"},
      {2.385270661731221, "2.385"}, {-1.5e-9, "-1.5e-9"}, {123456789, "123.5e6"},
      {std::numeric_limits<double>::quiet_NaN(), "NaN"}, {-kInf, "-Inf"},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, readable(c.v)) << c.v;
}

// A load case of an open hole under px: one distance step, stations every 45 degrees over a
// half turn, hoop stresses -px at 0 degrees and 3 px at 90.
PassRecord open_hole(double px) {
  PassRecord r;
  r.job = true;
  r.number = 1;
  r.loads = {px, 0, 0, 0, 0, 0, 0};
  r.grid = {0.25, 45, 0, 180, 0.05, 1};
  r.stress_unit = "MPa";
  r.length_unit = "mm";
  r.field.nstep = 1, r.field.nang = 5;
  r.field.hoop = {-px, 0.3 * px, 3 * px, 0.3 * px, -px};
  r.field.radial = r.field.shear = {0, 0, 0, 0, 0};
  return r;
}

// Catches a polar plot without a scale, or numbers that do not sit on their rings: each ring is
// labelled with its stress at its own radius, tension outside the station circle (0),
// compression inside, and every plot carries its scale.
TEST(JobFigures, PolarScaleNumbersSitOnTheirRings) {
  const std::string html = polar_figures(open_hole(1000));
  const std::vector<Element> plots = elements(html, "svg", "polar");
  ASSERT_EQ(3u, plots.size());
  const double scale = kSwing / 3000;  // the largest magnitude swings kSwing
  const std::vector<Element> labels = elements(html, "text", "scale");
  ASSERT_GE(labels.size(), 3u * 3u);  // 0 and a ring on each side at least, in every plot
  int zero = 0, outside = 0, inside = 0;
  for (const Element& l : labels) {
    const double v = number(attribute(l.tag, "data-value"));
    const double x = number(attribute(l.tag, "x")), y = number(attribute(l.tag, "y")) - 3.0;
    EXPECT_EQ(readable(v), l.text);
    EXPECT_NEAR(kZero + v * scale, std::hypot(x, y), 0.02) << l.text;
    zero += v == 0.0;
    outside += v > 0.0;
    inside += v < 0.0;
  }
  EXPECT_EQ(3, zero);
  EXPECT_GT(outside, 0);
  EXPECT_GT(inside, 0);
  // The rings every 2000 (about half the largest magnitude) out to 2000 and in to -2000.
  EXPECT_NE(std::string::npos, html.find("data-value=\"2000\"")) << html;
  EXPECT_NE(std::string::npos, html.find("data-value=\"-2000\"")) << html;
  EXPECT_EQ(std::string::npos, html.find("data-value=\"4000\"")) << html;
}

// Catches the dialogue's words on a job's page and values hidden behind rounding: a job's row
// heads and hovers say how far from the hole edge, in its unit, and give the value in full.
TEST(JobFigures, PolarPlotsSpeakTheJobsWords) {
  PassRecord r = open_hole(1000.123456789);
  const std::string html = polar_figures(r);
  EXPECT_NE(std::string::npos, html.find("at the<br/>hole edge")) << html;
  EXPECT_EQ(std::string::npos, html.find("DIST"));
  EXPECT_NE(std::string::npos,
            html.find("<title>hoop stress σθ at 90°, at the hole edge: 3000.370370367 MPa</title>"))
      << html;
  r.grid = {0.25, 45, 0, 180, 0.5, 2};
  r.field.nstep = 2;
  for (auto* v : {&r.field.hoop, &r.field.radial, &r.field.shear}) v->insert(v->end(), 5, 0.0);
  EXPECT_NE(std::string::npos, polar_figures(r).find("0.5 mm<br/>from the edge"));
}

// A load case with the reserve factors of three criteria, in the job's order.
PassRecord with_reserve() {
  PassRecord r = open_hole(100);
  r.plies.resize(2);
  r.plies.angle[0] = 0, r.plies.angle[1] = 90;
  r.reserve_distance = 0.5;
  r.factor_of_safety = 1.5;
  r.reserve = {
      {Criterion::kHoffman, {4.0, 2.5, 2.25, 3.0, 4.0}, {0, 1, 1, 1, 0}, 2.25, 2, 1, 1},
      {Criterion::kMaxStrain, {5.0, 3.0, 2.0, 3.5, kInf}, {0, 1, 1, 1, 0}, 2.0, 2, 1, 1},
      {Criterion::kTsaiHill, {6.0, 4.0, 3.0, 4.0, 6.0}, {0, 1, 1, 1, 0}, 3.0, 2, 1, 1},
  };
  return r;
}

// Catches a legend out of the job's order, a criterion left out, a smallest factor marked
// away from its curve and a chart upside down: every criterion has its curve, its legend line
// (in the job's order, in its colour) and its ring on its curve's lowest point; larger factors
// lie higher on the page; a factor never reached lies on the top edge; the factor of safety is
// a line below the smallest factor.
TEST(JobFigures, ReserveChartOfEveryCriterion) {
  const PassRecord r = with_reserve();
  const std::string html = reserve_figure(r);
  const std::vector<Element> legend = elements(html, "text", "legend");
  ASSERT_EQ(3u, legend.size());
  const char* order[3] = {"hoffman", "max-strain", "tsai-hill"};
  for (int c = 0; c < 3; ++c) EXPECT_EQ(order[c], attribute(legend[c].tag, "data-criterion"));
  EXPECT_EQ(0u, legend[1].text.find("maximum strain: 2, ply 2 (90°) at 90°")) << legend[1].text;
  const std::vector<Element> curves = elements(html, "path", "curve");
  const std::vector<Element> rings = elements(html, "circle", "minimum");
  ASSERT_EQ(3u, curves.size());
  ASSERT_EQ(3u, rings.size());
  const Element frame = elements(html, "rect", "frame").at(0);
  const double top = number(attribute(frame.tag, "y"));
  double fos_y = 0.0;
  for (const Element& line : elements(html, "line", "limit"))
    fos_y = number(attribute(line.tag, "y1"));
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(order[c], attribute(curves[c].tag, "data-criterion"));
    EXPECT_EQ(attribute(curves[c].tag, "stroke"), attribute(rings[c].tag, "stroke"));
    std::vector<double> y;
    const std::string d = attribute(curves[c].tag, "d");
    const std::regex point("[ML](-?[0-9.]+) (-?[0-9.]+)");
    for (auto it = std::sregex_iterator(d.begin(), d.end(), point); it != std::sregex_iterator();
         ++it) {
      y.push_back(number((*it)[2]));
    }
    ASSERT_EQ(5u, y.size());
    EXPECT_LT(y[1], y[2]) << order[c];  // 2.5 above 2.25: higher factors higher up
    EXPECT_NEAR(y[2], number(attribute(rings[c].tag, "cy")), 0.006) << order[c];
    EXPECT_GT(fos_y, y[2]) << order[c];  // the factor of safety below every smallest factor
    EXPECT_EQ("3", attribute(rings[c].tag, "data-station"));
  }
  EXPECT_NEAR(
      top,
      number(attribute(curves[1].tag, "d").substr(attribute(curves[1].tag, "d").rfind(' ') + 1)),
      0.006);
  EXPECT_NE(std::string::npos, html.find("factor of safety 1.5</text>"));
  EXPECT_NE(std::string::npos,
            html.find("Smallest reserve factor <span title=\"2\">2</span> (maximum strain)"));
}

// Catches plies hidden under others: where two plies have the same failure numbers (a symmetric
// laminate) the chart names them and draws the hidden one again, dashed, over the other.
TEST(JobFigures, CoincidingPliesAreShown) {
  PassRecord r = open_hole(100);
  r.plies.resize(3);
  r.plies.angle[0] = 0, r.plies.angle[1] = 90, r.plies.angle[2] = 0;
  r.field.nply = 3;
  r.field.failure = true;
  r.criterion = Criterion::kTsaiWu;
  for (int j = 0; j < 5; ++j) {
    const double v = 0.1 * (j + 1);
    r.field.fn.insert(r.field.fn.end(), {v, 0.5 - 0.05 * j, v});  // plies 1 and 3 alike
  }
  const std::string html = failure_figures(r);
  const Element chart = elements(html, "svg", "failure").at(0);
  EXPECT_EQ("1 3", attribute(chart.tag, "data-coincide"));
  const std::vector<Element> dashed = elements(html, "path", "coincide");
  ASSERT_EQ(1u, dashed.size());
  EXPECT_EQ(kPlyColours[0], attribute(dashed[0].tag, "stroke"));
  EXPECT_EQ("1 3", attribute(dashed[0].tag, "data-plies"));
  EXPECT_NE(std::string::npos, html.find("plies 1 and 3")) << html;
  EXPECT_NE(std::string::npos, html.find("Failure numbers per ply: modified Tsai-Wu"));
}

const char* const kJob = R"(title = "T-joint <lug> & plate"
[units]
stress = "MPa"
length = "mm"
[materials.tape]
E1 = 140000
E2 = 10000
G12 = 5000
nu12 = 0.3
T1 = 2000
C1 = 1500
T2 = 50
C2 = 200
S12 = 70
strain_T1 = 0.014285714285714285
strain_C1 = 0.010714285714285714
strain_T2 = 0.005
strain_C2 = 0.02
strain_S12 = 0.014
[[plies]]
angle = 0
thickness = 0.125
[[plies]]
angle = 45
thickness = 0.125
[[plies]]
angle = -45
thickness = 0.125
[[plies]]
angle = 90
thickness = 0.125
[[plies]]
angle = 90
thickness = 0.125
[[plies]]
angle = -45
thickness = 0.125
[[plies]]
angle = 45
thickness = 0.125
[[plies]]
angle = 0
thickness = 0.125
[hole]
diameter = 6.35
width = 26.5
[grid]
angle_step = 15
angle_low = 0
angle_high = 180
distance_step = 0.5
steps = 4
[[load_cases]]
name = "ultimate bearing with bypass in a forward flight manoeuvre"
px = 100
bearing = 300
[[load_cases]]
name = "shear"
pxy = 80
[failure]
criteria = ["max-strain", "max-stress", "tsai-hill", "tsai-wu", "hoffman"]
distance = 1.0
factor_of_safety = 1.5
[results]
tables = ["failure", "reserve"]
)";

// Catches a job drawn in the dialogue's words or with the dialogue's inputs: the page has the
// job's title, each load case under its name, its units, a reserve chart and failure figures for
// every chosen criterion, the grid as the job gives it (4 steps of 0.5 mm), the strain
// allowables apart from the strengths, coinciding plies named, and no number in full.
TEST(JobPictures, TheJobInItsOwnWords) {
  Job job;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job(kJob, "t.toml", job, errors))
      << (errors.empty() ? "" : to_string(errors[0]));
  const std::string html = job_pictures(job);
  EXPECT_NE(std::string::npos,
            html.find("<h1 class=\"job-title\">T-joint &lt;lug&gt; &amp; plate</h1>"));
  const std::vector<Element> cases = elements(html, "section", "load-case");
  ASSERT_EQ(2u, cases.size());
  EXPECT_EQ("ultimate bearing with bypass in a forward flight manoeuvre",
            attribute(cases[0].tag, "data-load-case"));
  EXPECT_NE(
      std::string::npos,
      html.find(">Load case 1: ultimate bearing with bypass in a forward flight manoeuvre</h2>"));
  EXPECT_NE(std::string::npos, html.find(">Load case 2: shear</h2>"));
  for (const char* dialogue : {"Pass 1", "Output cases", "DIST", "Failure criterion 1", "PX "}) {
    EXPECT_EQ(std::string::npos, html.find(dialogue)) << dialogue;
  }
  EXPECT_NE(std::string::npos, html.find("<th>E1 (MPa)</th>"));
  EXPECT_NE(std::string::npos, html.find("<table class=\"strain-allowables\">"));
  EXPECT_NE(std::string::npos, html.find("<td title=\"0.014285714285714285\">0.01429</td>"));
  // The grid as given, in every load case: 4 distances, 0.5 mm apart, for each of the three
  // stresses.
  std::map<std::string, int> dists;
  for (const Element& e : elements(html, "svg", "polar")) ++dists[attribute(e.tag, "data-dist")];
  const std::map<std::string, int> want = {{"0", 6}, {"0.5", 6}, {"1", 6}, {"1.5", 6}};
  EXPECT_EQ(want, dists);
  EXPECT_NE(std::string::npos, html.find("4 distances from the hole edge: 0, 0.5, 1 and 1.5 mm"));
  // Every criterion: a reserve curve and failure figures per load case.
  const std::vector<Element> reserve = elements(html, "svg", "reserve");
  ASSERT_EQ(2u, reserve.size());
  EXPECT_EQ("5", attribute(reserve[0].tag, "data-curves"));
  for (int k = 1; k <= 5; ++k) {
    int headings = 0;
    for (const Element& h : elements(html, "h3"))
      headings += attribute(h.tag, "data-criterion") == std::to_string(k);
    EXPECT_EQ(2, headings) << k;
  }
  // A symmetric laminate: plies 1 and 8, 2 and 7, ... on each other.
  EXPECT_EQ("1 8;2 7;3 6;4 5",
            attribute(elements(html, "svg", "failure").at(0).tag, "data-coincide"));
  // No number a reader has to count the digits of.
  const std::string text = visible_text(html);
  std::smatch m;
  EXPECT_FALSE(std::regex_search(text, m, std::regex("[0-9][0-9.]{8,}"))) << m.str();
  EXPECT_EQ(std::string::npos, text.find("NaN"));
}

}  // namespace
}  // namespace hs::plot
