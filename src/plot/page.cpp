#include "plot/page.hpp"

#include <cmath>
#include <limits>
#include <numbers>

#include "control/edit.hpp"
#include "hole/lamstr.hpp"
#include "laminate/abd.hpp"
#include "plot/chart.hpp"
#include "plot/svg.hpp"
#include "ply/failure.hpp"

namespace hs::plot {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = std::numbers::pi;

// Polar plots, in pixels about the hole centre: the station circle (zero stress) sits at kZero,
// the largest stress of the pass swings kSwing from it, far-field arrows lie beyond kRim.
constexpr double kZero = 50.0;
constexpr double kSwing = 45.0;
constexpr double kRim = 100.0;
constexpr double kArrowIn = kRim + 8.0;
constexpr double kArrowOut = kRim + 30.0;

// Colour-blind-safe colours (Okabe and Ito) for the plies and the three stresses; a sequential
// scale (viridis) for the shares of a carpet chart.
const char* const kPlyColours[kMaxPly] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                          "#E69F00", "#56B4E9", "#000000", "#8C564B"};
const char* const kStressColours[3] = {"#0072B2", "#D55E00", "#009E73"};
const char* const kShareColours[11] = {"#440154", "#482173", "#433e85", "#38588c",
                                       "#2d708e", "#25858e", "#1e9b8a", "#2ab07f",
                                       "#52c569", "#86d549", "#c2df23"};

const char* const kCriteria[5] = {"maximum strain", "maximum stress", "Tsai-Hill",
                                  "modified Tsai-Wu", "Hoffman"};
const char* const kLoadNames[4] = {"PX", "PY", "PXY", "P"};

constexpr const char* kStressUnit = "units of the loads typed";

bool needs(const Two& two, int n) {
  for (int e : two.LIST) {
    if (e >= n) return true;
  }
  return false;
}

bool selected(const Two& two, int n) {
  for (int e : two.LIST) {
    if (e == n) return true;
  }
  return false;
}

// A value as the tables print it with Fw.d or Ew.d, without the leading blanks.
std::string printed(char kind, int w, int d, double v) {
  char buf[kMaxFieldWidth];
  if (kind == 'F') {
    edit_f(buf, w, d, v);
  } else {
    edit_e(buf, w, d, v);
  }
  int i = 0;
  while (i < w && buf[i] == ' ') ++i;
  return std::string(buf + i, buf + w);
}

std::string degrees(double v) {
  return exact(v) + "°";
}

// The space-separated exact values of a list, for a data attribute.
std::string list(const std::vector<double>& v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (i) out += ' ';
    out += exact(v[i]);
  }
  return out;
}

Point polar(double radius, double angle_deg) {
  double t = angle_deg * kPi / 180.0;
  return {radius * std::cos(t), -radius * std::sin(t)};
}

// Where the label of angle a goes on the rim of a polar plot: just outside, a little
// counter-clockwise, clear of load arrows along a.
Point angle_label(double a) {
  return polar(kRim + 9.0, a + 7.0);
}

// A uniform far-field stress drawn as a pair of arrows along its direction.
struct Load {
  double stress, angle;
  const char* name;
};

std::vector<Load> far_field(const Four& f) {
  std::vector<Load> loads;
  if (f.PX != 0.0) loads.push_back({f.PX, f.OFFANG, "PX"});
  if (f.PY != 0.0) loads.push_back({f.PY, f.OFFANG + 90.0, "PY"});
  if (f.PXY != 0.0) {
    // Shear as the program applies it: tension at +45 degrees, compression at -45 degrees.
    loads.push_back({f.PXY, f.OFFANG + 45.0, "PXY"});
    loads.push_back({-f.PXY, f.OFFANG - 45.0, ""});
  }
  if (f.P != 0.0 && f.PW != 0.0) loads.push_back({f.PW, f.BOLTANG, "PW"});
  return loads;
}

// Where the label of load i goes: beyond the head of its arrow, below the labels of earlier
// loads in the same direction.
Point label_point(const std::vector<Load>& loads, size_t i) {
  int before = 0;
  for (size_t e = 0; e < i; ++e) {
    if (*loads[e].name &&
        std::fabs(std::remainder(loads[e].angle - loads[i].angle, 360.0)) < 1e-9) {
      ++before;
    }
  }
  Point p = polar(kArrowOut + 12.0, loads[i].angle);
  return {p.x, p.y + 13.0 * before};
}

// The part of the page a polar plot needs: the sampled sector, the arrows and their labels.
struct Box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  void add(Point p, double padx, double pady) {
    x0 = std::fmin(x0, p.x - padx);
    x1 = std::fmax(x1, p.x + padx);
    y0 = std::fmin(y0, p.y - pady);
    y1 = std::fmax(y1, p.y + pady);
  }
};

Box polar_box(double a0, double a1, const std::vector<Load>& loads, const Four& f,
              double bolt_length, bool labels) {
  Box b;
  b.add({0, 0}, 12, 12);
  b.add(polar(kRim, a0), 4, 4);
  b.add(polar(kRim, a1), 4, 4);
  for (int q = -8; q <= 8; ++q) {
    if (q * 90.0 >= a0 - 1e-9 && q * 90.0 <= a1 + 1e-9) {
      b.add(polar(kRim, q * 90.0), 4, 4);
      if (!labels) b.add(angle_label(q * 90.0), 14, 8);
    }
  }
  for (size_t i = 0; i < loads.size(); ++i) {
    const Load& l = loads[i];
    for (double side : {0.0, 180.0}) b.add(polar(kArrowOut, l.angle + side), 7, 7);
    if (labels && *l.name) {
      Point p = label_point(loads, i);
      double w = 6.0 * (std::string(l.name).size() + 1 + exact(l.stress).size());
      b.add(p, w, 10);
    }
  }
  if (labels) {
    b.add({kRim + 18.0, 0}, 4, 4);
    b.add({0, -kRim - 18.0}, 4, 4);
  }
  if (f.P != 0.0 && labels) {
    double angle = f.P > 0.0 ? f.BOLTANG : f.BOLTANG + 180.0;
    Point mid = polar(bolt_length * 0.5, angle), side = polar(9.0, angle + 90.0);
    b.add({mid.x + side.x, mid.y + side.y}, 3.0 * (2 + exact(f.P).size()), 10);
  }
  return b;
}

void draw_loads(Svg& svg, const std::vector<Load>& loads, const Four& f, double bolt_length,
                bool labels) {
  for (const Load& l : loads) {
    for (double side : {0.0, 180.0}) {
      Point in = polar(kArrowIn, l.angle + side), out = polar(kArrowOut, l.angle + side);
      // Tension pulls outward, compression pushes inward.
      if (l.stress > 0.0) {
        svg.arrow(in, out, 8.0, attr("class", "load"));
      } else {
        svg.arrow(out, in, 8.0, attr("class", "load"));
      }
    }
    if (labels && *l.name) {
      Point p = label_point(loads, &l - loads.data());
      double c = std::cos(l.angle * kPi / 180.0);
      const char* anchor = c > 0.3 ? "start" : (c < -0.3 ? "end" : "middle");
      svg.text({p.x, p.y + 3.5}, std::string(l.name) + " " + exact(l.stress),
               attr("text-anchor", anchor));
    }
  }
  if (f.P != 0.0) {
    // The bolt bears on the hole in the direction of its load.
    double angle = f.P > 0.0 ? f.BOLTANG : f.BOLTANG + 180.0;
    svg.arrow({0, 0}, polar(bolt_length, angle), 8.0, attr("class", "bolt"));
    if (labels) {
      Point mid = polar(bolt_length * 0.5, angle), side = polar(9.0, angle + 90.0);
      svg.text({mid.x + side.x, mid.y + side.y + 3.5}, "P " + exact(f.P),
               attr("class", "boltlabel") + attr("text-anchor", "middle"));
    }
  }
}

// Ticks every 30 degrees on the rim of a polar plot over the sampled range, labelled at every
// 90 degrees.
void draw_angle_scale(Svg& svg, double lo, double hi) {
  for (int q = -24; q <= 24; ++q) {
    double a = q * 30.0;
    // One turn at most: a wider range would write labels over each other.
    if (a < lo - 1e-9 || a > hi + 1e-9 || a >= lo + 360.0 - 1e-9) continue;
    svg.line(polar(kRim - 5.0, a), polar(kRim, a), attr("class", "tick"));
    if (q % 3 == 0) {
      Point p = angle_label(a);
      svg.text({p.x, p.y + 3.5}, degrees(a),
               attr("class", "angle") + attr("text-anchor", "middle"));
    }
  }
}

// An angle axis with ticks at multiples of a round number of degrees.
Axis angle_axis(double a0, double a1) {
  if (!(a1 > a0)) return {a0 - 1.0, a0 + 1.0, 1.0};
  if (a1 - a0 > 720.0) return nice_axis(a0, a1, 6);
  double step = 90.0;
  for (double s : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 45.0, 60.0, 90.0}) {
    if ((a1 - a0) / s <= 8.0) {
      step = s;
      break;
    }
  }
  return {std::floor(a0 / step + 1e-9) * step, std::ceil(a1 / step - 1e-9) * step, step};
}

std::string nothing(const char* why) {
  return std::string("<p class=\"nothing\">Nothing to draw for this pass: ") + why + "</p>\n";
}

const char* kStyle =
    "body{font:14px/1.4 sans-serif;margin:16px 24px;color:#222}\n"
    "h1{font-size:20px;margin:0 0 4px}h2{font-size:17px;border-bottom:1px solid #bbb;"
    "margin:26px 0 8px}h3{font-size:15px;margin:16px 0 6px}\n"
    "table{border-collapse:collapse;margin:4px 14px 8px 0;display:inline-table;"
    "vertical-align:top}\n"
    "th,td{border:1px solid #ccc;padding:1px 7px;text-align:right;font-size:13px}"
    "th{background:#f2f2f2}\n"
    "p{margin:4px 0}.note,.caption{font-size:12px;color:#444;max-width:880px}"
    ".nothing{font-style:italic}\n"
    ".head{display:flex;flex-wrap:wrap;gap:10px 28px;align-items:flex-start}\n"
    ".polar{display:grid;grid-template-columns:auto repeat(3,auto);gap:2px 10px;"
    "align-items:center;justify-items:center;width:max-content}\n"
    ".colhead,.rowhead{font-size:13px;font-weight:bold;text-align:center}\n"
    ".charts{display:flex;flex-wrap:wrap;gap:6px 14px}figure{margin:0}"
    "figcaption{font-size:13px;text-align:center;font-weight:bold}\n"
    ".sw{display:inline-block;width:20px;height:3px;vertical-align:middle;margin:0 4px 0 12px}\n"
    "svg text{font:10px sans-serif;fill:#222}svg .title{font-size:11px}\n"
    ".grid{stroke:#e6e6e6}.frame{fill:none;stroke:#555}.curve{fill:none;stroke-width:1.7}\n"
    ".hole{fill:#e4e4e4;stroke:#555}.zero{fill:none;stroke:#777;stroke-dasharray:3 3}"
    ".ring{fill:none;stroke:#e3e3e3}.axisline{stroke:#d0d0d0}\n"
    ".load{stroke:#333;fill:#333;stroke-width:1.4}.bolt{stroke:#b01c1c;fill:#b01c1c;"
    "stroke-width:2}svg .boltlabel{fill:#b01c1c}\n"
    ".tick{stroke:#999}svg .angle{font-size:9px;fill:#777}\n"
    ".limit{stroke:#c00;stroke-dasharray:5 3}.critical{fill:none;stroke:#000;stroke-width:1.8}"
    "svg .marklabel{font-size:10.5px;font-weight:bold;paint-order:stroke;stroke:#fff;"
    "stroke-width:3px}\n";

}  // namespace

void Page::pass_begun(const State& st, double width, bool carpet) {
  end_pass();
  ++passes_;
  open_ = true;
  carpet_ = carpet;
  width_ = width;
  one_ = st.one;
  two_ = st.two;
  three_ = st.three;
  four_ = st.four;
  five_ = st.five;
  field_ = Field{};
  field_taken_ = false;
  critical_ = Critical{};
  stopped_ = false;
  has_constants_ = false;
  for (auto& row : layups_) {
    for (Layup& l : row) l = Layup{};
  }
  failure_load_ = -1;
  const double typed[4] = {four_.PX, four_.PY, four_.PXY, four_.P};
  for (int i = 3; i >= 0; --i) {
    if (typed[i] != 0.0) failure_load_ = i;
  }

  std::string n = std::to_string(passes_);
  std::string& b = body_;
  b += "<section class=\"pass\"" + attr("data-pass", n) + attr("data-carpet", carpet ? "1" : "0") +
       ">\n<h2>Pass " + n + (carpet ? ": carpet plot" : "") + "</h2>\n";
  std::string cases;
  for (int e : two_.LIST) {
    if (e != 0) cases += " " + std::to_string(e);
  }
  b += "<p>Output cases selected:" + (cases.empty() ? std::string(" none") : cases) + "</p>\n";
  b += "<div class=\"head\"><div>\n";

  // Materials, with their allowables when a failure criterion uses them.
  bool allowables = needs(two_, 9);
  b += "<table class=\"materials\"><tr><th>material</th><th>E1</th><th>E2</th><th>G12</th>"
       "<th>NU12</th>";
  if (allowables) b += "<th>T1</th><th>C1</th><th>T2</th><th>C2</th><th>SHEAR</th>";
  b += "</tr>\n";
  for (int m = 0; m < two_.NMAT; ++m) {
    b += "<tr><td>" + std::to_string(m + 1) + "</td>";
    for (double v : {one_.E1[m], one_.E2[m], one_.G12[m], one_.NU12[m]}) {
      b += "<td>" + exact(v) + "</td>";
    }
    if (allowables) {
      for (double v : {five_.T1[m], five_.C1[m], five_.T2[m], five_.C2[m], five_.SHEAR[m]}) {
        b += "<td>" + exact(v) + "</td>";
      }
    }
    b += "</tr>\n";
  }
  b += "</table>\n";

  b += "<table class=\"plies\"><tr><th>ply</th><th>angle</th><th>thickness</th>"
       "<th>material</th></tr>\n";
  for (int p = 0; p < two_.NPLY; ++p) {
    // The colour of the ply's curves, where there are any.
    std::string swatch = carpet || !allowables
                             ? std::string()
                             : "<span class=\"sw\"" +
                                   attr("style", std::string("background:") + kPlyColours[p]) +
                                   "></span>";
    b += "<tr><td>" + swatch + std::to_string(p + 1) + "</td><td>" + degrees(two_.ANGLE[p]) +
         "</td><td>" + (carpet ? std::string("by layup") : exact(two_.THICK[p])) + "</td><td>" +
         std::to_string(two_.MATNO[p]) + "</td></tr>\n";
  }
  b += "</table>\n";

  if (needs(two_, 3)) {
    const Four& f = four_;
    b += "<p>Far-field stresses PX = " + exact(f.PX) + ", PY = " + exact(f.PY) +
         ", PXY = " + exact(f.PXY) + " in load axes at " + degrees(f.OFFANG) +
         " from the laminate x axis.</p>\n";
    if (f.P != 0.0) {
      b += "<p>Bearing stress P = " + exact(f.P) + " at the bolt loading angle " +
           degrees(f.BOLTANG) + "; " +
           (width_ != 0.0 ? "plate width W = " + exact(width_) +
                                ", far-field stress reacting the bolt PW = " + exact(f.PW)
                          : std::string("infinite plate")) +
           ".</p>\n";
    } else {
      b += "<p>No bearing stress (open hole).</p>\n";
    }
    int nang = station_count(three_);
    b += "<p>Hole diameter D = " + exact(f.D) + "; angle stations every " + degrees(three_.DEG) +
         " from " + degrees(three_.LOW) + " to " + degrees(three_.HIGH) + " (" +
         std::to_string(nang < 0 ? 0 : nang) + " stations); " + std::to_string(step_count(three_)) +
         " distance steps of " + exact(three_.STEP) + " from the hole edge.</p>\n";
    if (allowables) {
      int k = five_.KRIT;
      b += "<p>Failure criterion " + std::to_string(k) + ": " +
           (k >= 1 && k <= 5 ? kCriteria[k - 1] : "?") + ".</p>\n";
    }
  }
  if (carpet) {
    b += "<p class=\"note\">The carpet plot sets the thicknesses of plies 1 to 4 as shares of a "
         "unit total, in steps of ten percent: 66 layups.</p>\n";
  }
  b += "</div>\n";
  if (!carpet && needs(two_, 3) && station_count(three_) > 0 && step_count(three_) > 0) {
    b += key_figure();
  }
  b += "</div>\n";
}

void Page::take_field(const State& st) {
  Field& f = field_;
  const Three& g = st.three;
  f.nstep = step_count(g);
  f.nang = station_count(g) < 0 ? 0 : station_count(g);
  f.nply = st.two.NPLY;
  f.failure = needs(st.two, 9);
  for (int k = 0; k < f.nstep; ++k) {
    for (int j = 0; j < f.nang; ++j) {
      double ANG = g.LOW + j * g.DEG;
      PolarValues v = polar_values(ANG, st.eight.SIGL[j][k], st.eight.EPSL[j][k]);
      f.hoop.push_back(v.STH);
      f.radial.push_back(v.SR);
      f.shear.push_back(v.TRTH);
      for (int p = 0; f.failure && p < f.nply; ++p) {
        double fv[4];
        ply_failure(st, p, k, j, fv);
        // The value the search would take from this ply: the largest magnitude, first on ties.
        double governing = fv[0];
        if (st.five.KRIT <= 2) {
          for (int c = 1; c < 3; ++c) {
            if (std::fabs(fv[c]) > std::fabs(governing)) governing = fv[c];
          }
        }
        f.fn.push_back(governing);
      }
    }
  }
  field_taken_ = true;
}

void Page::typed_loads_evaluated(const State& st) {
  if (!carpet_) take_field(st);
}

void Page::analysed(const State& st, int s0, int s45, int s90, bool converged) {
  (void)s90;
  bool search = selected(st.two, 10);
  Governing g{};
  if (search && converged) g = governing_value(st);
  if (carpet_) {
    int a = (s0 + 5) / 10, b = (s45 + 5) / 10;
    if (a < 0 || a > 10 || b < 0 || b > 10) return;
    Layup& l = layups_[a][b];
    l.seen = true;
    l.EX = l.EY = l.GXY = l.failure = kNaN;
    if (needs(st.two, 2)) {
      EngineeringConstants e = engineering_constants(st.six.ASTAR);
      l.EX = e.EX;
      l.EY = e.EY;
      l.GXY = e.GXY;
    }
    if (g.GMAX != 0.0 && failure_load_ >= 0) {
      const double loads[4] = {st.four.PX, st.four.PY, st.four.PXY, st.four.P};
      l.failure = loads[failure_load_];
    }
    return;
  }
  if (needs(st.two, 2)) {
    constants_ = engineering_constants(st.six.ASTAR);
    has_constants_ = true;
  }
  if (needs(st.two, 3) && !field_taken_) take_field(st);
  if (g.GMAX != 0.0) {
    critical_ = {true, g.IANG, g.ply, st.four.PX, st.four.PY, st.four.PXY, st.four.P};
  }
  stopped_ = search && !converged;
}

void Page::end_pass() {
  if (!open_) return;
  open_ = false;
  std::string& b = body_;
  if (carpet_) {
    if (!needs(two_, 2)) {
      b += nothing(
          "a carpet plot with case 1 alone computes no laminate; select case 2 or 10 "
          "with it.");
    } else {
      b += carpet_figures();
    }
  } else if (!needs(two_, 2)) {
    b += nothing("no laminate is analysed without a case of 2 or higher.");
  } else {
    if (has_constants_) {
      const EngineeringConstants& e = constants_;
      b += "<p>Laminate properties: EX = " + printed('E', 9, 3, e.EX) +
           ", EY = " + printed('E', 9, 3, e.EY) + ", GXY = " + printed('E', 9, 3, e.GXY) +
           ", VXY = " + printed('F', 5, 3, e.VXY) + "</p>\n";
    }
    if (!needs(two_, 3)) {
      b += nothing("the pictures come with cases 3 and higher (the field around the hole).");
    } else if (field_.nstep == 0 || field_.nang == 0) {
      b += nothing("the sample grid around the hole has no stations.");
    } else {
      b += polar_figures();
      if (field_.failure) b += failure_figures(critical_);
      if (stopped_) {
        b += "<p>The automatic search for failure stopped: no finite failure load found.</p>\n";
      }
    }
  }
  b += "</section>\n";
}

std::string Page::key_figure() const {
  int nstep = step_count(three_), nang = station_count(three_);
  double a = four_.D / 2.0;
  double outer = a + (nstep - 1) * three_.STEP;
  double px = 90.0 / outer;  // pixels per unit length
  double lo = three_.LOW, hi = three_.LOW + (nang - 1) * three_.DEG;
  if (hi < lo) std::swap(lo, hi);
  std::vector<Load> loads = far_field(four_);
  double bolt = std::fmax(a * px * 0.8, 18.0);
  Box box = polar_box(lo, hi, loads, four_, bolt, true);
  Svg svg(box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0, attr("class", "key"));
  svg.line({box.x0, 0}, {box.x1, 0}, attr("class", "axisline"));
  svg.line({0, box.y0}, {0, box.y1}, attr("class", "axisline"));
  svg.text({kRim + 10.0, -4.0}, "x", "");
  svg.text({5.0, -kRim - 8.0}, "y", "");
  svg.circle({0, 0}, a * px, attr("class", "hole"));
  for (int k = 0; k < nstep; ++k) {
    double r = (a + k * three_.STEP) * px;
    svg.arc({0, 0}, r, lo, hi, attr("class", "zero"));
    for (int j = 0; j < nang; ++j) {
      svg.circle(polar(r, three_.LOW + j * three_.DEG), 1.6, attr("fill", "#555"));
    }
  }
  draw_loads(svg, loads, four_, bolt, true);
  return "<figure><figcaption>Loads and sample points</figcaption>" + svg.finish() + "</figure>\n";
}

std::string Page::polar_figures() const {
  const Field& f = field_;
  double a = four_.D / 2.0;
  double lo = three_.LOW, hi = three_.LOW + (f.nang - 1) * three_.DEG;
  if (hi < lo) std::swap(lo, hi);
  double smax = 0.0;
  for (const std::vector<double>* v : {&f.hoop, &f.radial, &f.shear}) {
    for (double s : *v) {
      if (std::isfinite(s)) smax = std::fmax(smax, std::fabs(s));
    }
  }
  double scale = smax > 0.0 ? kSwing / smax : 0.0;
  double ring = smax > 0.0 ? nice_axis(0.0, smax, 2).step : 0.0;
  std::vector<Load> loads = far_field(four_);
  Box box = polar_box(lo, hi, loads, four_, 0.0, false);
  const char* names[3] = {"hoop", "radial", "shear"};
  const char* heads[3] = {"hoop stress σθ", "radial stress σr", "shear stress τrθ"};
  const std::vector<double>* values[3] = {&f.hoop, &f.radial, &f.shear};

  std::string out = "<h3" + attr("id", "pass-" + std::to_string(passes_) + "-stresses") +
                    ">Stresses around the hole</h3>\n<div class=\"polar\"><div></div>";
  for (const char* h : heads) out += std::string("<div class=\"colhead\">") + h + "</div>";
  out += "\n";
  for (int k = 0; k < f.nstep; ++k) {
    double dist = k * three_.STEP;
    double r = a + k * three_.STEP;
    double hole = kZero * a / r;  // the hole to scale with the station circle
    out += "<div class=\"rowhead\">DIST<br/>" + printed('F', 6, 3, dist) + "</div>\n";
    for (int q = 0; q < 3; ++q) {
      std::vector<double> angles, vals;
      std::vector<Point> points;
      for (int j = 0; j < f.nang; ++j) {
        double ang = three_.LOW + j * three_.DEG;
        double v = (*values[q])[k * f.nang + j];
        angles.push_back(ang);
        vals.push_back(v);
        points.push_back(std::isfinite(v) ? polar(kZero + v * scale, ang) : Point{kNaN, kNaN});
      }
      Svg svg(box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0,
              attr("class", "plot polar") + attr("data-quantity", names[q]) +
                  attr("data-step", std::to_string(k + 1)) + attr("data-dist", exact(dist)) +
                  attr("data-curves", "1"));
      svg.circle({0, 0}, hole, attr("class", "hole"));
      svg.line({box.x0, 0}, {box.x1, 0}, attr("class", "axisline"));
      svg.line({0, box.y0}, {0, box.y1}, attr("class", "axisline"));
      for (int i = -9; ring > 0.0 && i <= 9; ++i) {
        double rr = kZero + i * ring * scale;
        if (i != 0 && std::fabs(i * ring) <= smax && rr > 1.0) {
          svg.arc({0, 0}, rr, lo, hi, attr("class", "ring"));
        }
      }
      svg.arc({0, 0}, kZero, lo, hi, attr("class", "zero"));
      draw_angle_scale(svg, lo, hi);
      draw_loads(svg, loads, four_, std::fmax(hole * 0.8, 16.0), false);
      svg.path(points, attr("class", "curve") + attr("stroke", kStressColours[q]) +
                           attr("data-points", std::to_string(f.nang)) +
                           attr("data-angles", list(angles)) + attr("data-values", list(vals)));
      for (const Point& p : points) {
        if (std::isfinite(p.x)) svg.circle(p, 1.8, attr("fill", kStressColours[q]));
      }
      out += svg.finish();
    }
  }
  out +=
      "</div>\n<p class=\"caption\">Each stress is drawn along the radius from its dashed "
      "station circle: outward for tension, inward for compression; the faint circles are "
      "every " +
      exact(ring) + " (" + kStressUnit + "), the largest magnitude is " +
      printed('F', 12, 2, smax) +
      ". The hole (grey) is to scale with the station circle. Arrows: far-field stresses "
      "(black) and the bolt load (red). Angles run counter-clockwise from the laminate x "
      "axis (to the right). Values at the loads as typed.</p>\n";
  return out;
}

std::string Page::failure_figures(const Critical& critical) const {
  const Field& f = field_;
  int krit = five_.KRIT;
  double lo = three_.LOW, hi = three_.LOW + (f.nang - 1) * three_.DEG;
  if (hi < lo) std::swap(lo, hi);
  double top = 0.0;
  for (double v : f.fn) {
    if (std::isfinite(v)) top = std::fmax(top, std::fabs(v));
  }
  Axis x = angle_axis(lo, hi);
  // Near failure the axis reaches the failure line at 1.
  Axis y = nice_axis(0.0, top >= 0.4 ? std::fmax(top, 1.0) : (top > 0.0 ? top : 1.0), 5);
  AxisTitle xt{"angle from the laminate x axis", "degrees"};
  AxisTitle yt{krit <= 2 ? "largest |failure number|" : "failure number", ""};

  std::string out = "<h3" + attr("id", "pass-" + std::to_string(passes_) + "-failure") +
                    ">Failure numbers per ply (" +
                    std::string(krit >= 1 && krit <= 5 ? kCriteria[krit - 1] : "?") +
                    ")</h3>\n<p class=\"legend\">";
  for (int p = 0; p < f.nply; ++p) {
    out += "<span class=\"sw\"" + attr("style", std::string("background:") + kPlyColours[p]) +
           "></span>ply " + std::to_string(p + 1) + ", " + degrees(two_.ANGLE[p]);
  }
  out += "</p>\n<div class=\"charts\">\n";
  for (int k = 0; k < f.nstep; ++k) {
    double dist = k * three_.STEP;
    Chart chart(290, 230, x, y, xt, yt,
                attr("class", "plot failure") + attr("data-step", std::to_string(k + 1)) +
                    attr("data-dist", exact(dist)) + attr("data-criterion", std::to_string(krit)) +
                    attr("data-curves", std::to_string(f.nply)));
    chart.guide(1.0, "limit");
    std::vector<double> angles;
    for (int j = 0; j < f.nang; ++j) angles.push_back(three_.LOW + j * three_.DEG);
    for (int p = 0; p < f.nply; ++p) {
      std::vector<double> vals, drawn;
      for (int j = 0; j < f.nang; ++j) {
        double v = f.fn[(k * f.nang + j) * f.nply + p];
        vals.push_back(v);
        drawn.push_back(std::fabs(v));
      }
      chart.curve(angles, drawn, kPlyColours[p], f.nang <= 37 ? 2.0 : 0.0,
                  attr("data-ply", std::to_string(p + 1)) +
                      attr("data-points", std::to_string(f.nang)) +
                      attr("data-angles", list(angles)) + attr("data-values", list(vals)));
    }
    if (critical.shown && k == 1) {
      // The first-ply failure of the search, at the point of this step where it was found.
      int j = critical.station, p = critical.ply;
      double ang = three_.LOW + j * three_.DEG;
      double v = std::fabs(f.fn[(k * f.nang + j) * f.nply + p]);
      Point m = chart.at(ang, v);
      const double loads[4] = {critical.PX, critical.PY, critical.PXY, critical.P};
      std::string load_list = list({loads[0], loads[1], loads[2], loads[3]});
      chart.svg().circle(m, 6.5,
                         attr("class", "critical") + attr("data-station", std::to_string(j + 1)) +
                             attr("data-angle", exact(ang)) +
                             attr("data-ply", std::to_string(p + 1)) +
                             attr("data-loads", load_list));
      std::vector<std::string> lines = {"first-ply failure: ply " + std::to_string(p + 1) + " (" +
                                        degrees(two_.ANGLE[p]) + ")"};
      for (int i = 0; i < 4; ++i) {
        if (loads[i] != 0.0) {
          lines.push_back(std::string(kLoadNames[i]) + " = " + printed('F', 12, 2, loads[i]));
        }
      }
      bool left = m.x > (chart.left() + chart.right()) / 2.0;
      double ty = std::fmin(std::fmax(m.y - 4.0, chart.top() + 10.0),
                            chart.bottom() - 4.0 - 12.0 * (lines.size() - 1));
      for (size_t i = 0; i < lines.size(); ++i) {
        chart.svg().text({left ? m.x - 10.0 : m.x + 10.0, ty + 12.0 * i}, lines[i],
                         attr("class", "marklabel") + attr("text-anchor", left ? "end" : "start"));
      }
    }
    out += "<figure><figcaption>DIST " + printed('F', 7, 3, dist) + "</figcaption>" +
           chart.finish() + "</figure>\n";
  }
  out += "</div>\n";
  if (critical.shown) {
    int j = critical.station, p = critical.ply;
    out += "<p>Automatic search for failure: ply " + std::to_string(p + 1) + " (" +
           degrees(two_.ANGLE[p]) + ") fails first, at DIST " + printed('F', 11, 3, three_.STEP) +
           " and angle " + printed('F', 9, 2, three_.LOW + j * three_.DEG) +
           "°, under PX = " + printed('F', 12, 2, critical.PX) +
           ", PY = " + printed('F', 12, 2, critical.PY) +
           ", PXY = " + printed('F', 12, 2, critical.PXY) +
           ", P = " + printed('F', 12, 2, critical.P) + " (circled).</p>\n";
  }
  out += "<p class=\"caption\">";
  if (krit <= 2) {
    out +=
        "For each ply the failure number of largest magnitude among the fibre, transverse "
        "and shear values. ";
  }
  out +=
      "A ply fails at 1 (red dashed line, drawn when the values come near it). Values at the "
      "loads as typed.</p>\n";
  return out;
}

std::string Page::carpet_figures() const {
  struct Quantity {
    const char* name;
    std::string title, unit;
    double Layup::*value;
  };
  std::vector<Quantity> quantities = {{"EX", "EX", "units of E1 typed", &Layup::EX},
                                      {"EY", "EY", "units of E1 typed", &Layup::EY},
                                      {"GXY", "GXY", "units of E1 typed", &Layup::GXY}};
  bool search = selected(two_, 10);
  if (search && failure_load_ >= 0) {
    quantities.push_back({"failure",
                          std::string(kLoadNames[failure_load_]) + " at first-ply failure",
                          kStressUnit, &Layup::failure});
  }
  std::string zero = degrees(two_.ANGLE[0]),
              pm = degrees(two_.ANGLE[1]) + "/" + degrees(two_.ANGLE[2]),
              last = degrees(two_.ANGLE[3]);
  std::string out = "<h3" + attr("id", "pass-" + std::to_string(passes_) + "-carpet") +
                    ">Carpet chart</h3>\n<p class=\"legend\">One line for each share of the " + pm +
                    " plies (labelled, percent of the thickness; the " + last +
                    " plies make up the rest):";
  for (int b = 0; b <= 10; ++b) {
    out += "<span class=\"sw\"" + attr("style", std::string("background:") + kShareColours[b]) +
           "></span>" + std::to_string(10 * b);
  }
  out += "</p>\n<div class=\"charts\">\n";
  for (const Quantity& q : quantities) {
    double lo = 0.0, hi = 0.0;
    for (int a = 0; a <= 10; ++a) {
      for (int b = 0; a + b <= 10; ++b) {
        double v = layups_[a][b].*q.value;
        if (std::isfinite(v)) {
          lo = std::fmin(lo, v);
          hi = std::fmax(hi, v);
        }
      }
    }
    Chart chart(440, 310, Axis{0.0, 100.0, 10.0}, nice_axis(lo, hi > lo ? hi : lo + 1.0, 5),
                AxisTitle{zero + " plies", "percent of the thickness"}, AxisTitle{q.title, q.unit},
                attr("class", "plot carpet") + attr("data-quantity", q.name) +
                    (q.value == &Layup::failure ? attr("data-load", kLoadNames[failure_load_])
                                                : std::string()) +
                    attr("data-curves", "11"));
    for (int b = 0; b <= 10; ++b) {
      std::vector<double> x, y;
      for (int a = 0; a + b <= 10; ++a) {
        x.push_back(10.0 * a);
        y.push_back(layups_[a][b].*q.value);
      }
      std::vector<double> shares0;
      for (double v : x) shares0.push_back(v);
      chart.curve(x, y, kShareColours[b], 2.2,
                  attr("data-share45", std::to_string(10 * b)) +
                      attr("data-points", std::to_string(x.size())) +
                      attr("data-share0", list(shares0)) + attr("data-values", list(y)));
      if (std::isfinite(y.back())) {
        Point p = chart.at(x.back(), y.back());
        chart.svg().text({p.x + 4.0, p.y - 4.0}, std::to_string(10 * b),
                         attr("fill", kShareColours[b]));
      }
    }
    out += chart.finish();
  }
  out += "</div>\n";
  if (search) {
    out +=
        "<p class=\"caption\">The failure stress of each layup is the load at which its "
        "first ply fails (the automatic search for failure); the other loads typed keep "
        "their ratio to it. A layup whose search found no failure load has no point.</p>\n";
  }
  return out;
}

std::string Page::html() {
  end_pass();
  std::string out =
      "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
      "<meta charset=\"utf-8\"/>\n<title>holestress pictures</title>\n<style>\n";
  out += kStyle;
  out +=
      "</style>\n</head>\n<body>\n<h1>holestress: pictures of the analysis</h1>\n"
      "<p class=\"note\">The program has no unit input: stresses and moduli are in the units "
      "typed for them (the loads and E1 in the same units), lengths in the units of the "
      "diameter and the thicknesses, angles in degrees counter-clockwise from the laminate x "
      "axis.</p>\n";
  out += body_;
  out += "</body>\n</html>\n";
  return out;
}

}  // namespace hs::plot
