#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "plot/chart.hpp"
#include "plot/drawing.hpp"
#include "plot/figures.hpp"

namespace hs::plot {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = std::numbers::pi;
constexpr double kArrowIn = kRim + 8.0;
constexpr double kArrowOut = kRim + 30.0;

// Where the label of angle a goes on the rim of a polar plot: just outside, a little
// counter-clockwise, clear of load arrows along a.
Point angle_label(double a) {
  return polar(kRim + 9.0, a + 7.0);
}

// A far-field stress drawn as arrows along its direction: a uniform stress as a pair on opposite
// sides of the hole, the bypass as one arrow on the side where it reacts the bolt.
struct Load {
  double stress, angle;
  const char* name;
  bool single = false;
};

// The loads of a strip: the bypass carried past the hole at both ends, and the bolt's load
// reacted by the strip behind the hole, bearing D / W there, drawn on that side pulling away.
std::vector<Load> strip_loads(const PassRecord& r) {
  const Loads& f = r.loads;
  std::vector<Load> loads;
  if (f.bypass != 0.0) loads.push_back({f.bypass, 0.0, "bypass"});
  if (f.bearing != 0.0) {
    loads.push_back({f.bearing * r.grid.diameter / r.width, 180.0, "bearing × D/W", true});
  }
  return loads;
}

// The loads are named as the dialogue names them (PX, PW) or, for a job, as its file does (px,
// bypass).
std::vector<Load> far_field(const PassRecord& r) {
  if (r.strip) return strip_loads(r);
  const Loads& f = r.loads;
  const bool job = r.job;
  const char* const* names = job ? kJobLoadNames : kLoadNames;
  std::vector<Load> loads;
  if (f.px != 0.0) loads.push_back({f.px, f.off_axis, names[0]});
  if (f.py != 0.0) loads.push_back({f.py, f.off_axis + 90.0, names[1]});
  if (f.pxy != 0.0) {
    // Shear as the program applies it: tension at +45 degrees, compression at -45 degrees.
    loads.push_back({f.pxy, f.off_axis + 45.0, names[2]});
    loads.push_back({-f.pxy, f.off_axis - 45.0, ""});
  }
  if (f.bearing != 0.0 && f.bypass != 0.0) {
    // The bolt bears on the hole toward bolt_angle (for P > 0). Its load is reacted where the
    // plate is held: at the end opposite the push, the bearing stress P D / W over the width.
    // The program builds that as the bolt solution (half of the reaction at each end) plus the
    // uniform bypass PW = P D / 2W along the bolt: the ends toward the push then carry nothing,
    // the held end 2 PW. So PW is drawn at the held end, pulling away from the hole (pushing
    // toward it for P < 0), opposite to the bolt's force on the plate.
    loads.push_back({f.bypass, f.bolt_angle + 180.0, job ? "bypass" : "PW", true});
  }
  return loads;
}

// A single arrow on the line of a pair of arrows is drawn beside it, moved sideways.
Point single_shift(const std::vector<Load>& loads, const Load& l) {
  if (!l.single) return {0, 0};
  for (const Load& e : loads) {
    if (!e.single && std::fabs(std::remainder(e.angle - l.angle, 180.0)) < 1e-9) {
      return polar(10.0, l.angle - 90.0);
    }
  }
  return {0, 0};
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
  Point p = polar(kArrowOut + 12.0, loads[i].angle), shift = single_shift(loads, loads[i]);
  return {p.x + shift.x, p.y + shift.y + 13.0 * before};
}

// A line of text of a polar figure, with the tooltip that gives its value in full.
struct Label {
  Point at;  // baseline
  std::string text;
  const char* anchor;
  std::string css_class;
  double px;
  std::string title;
};

Rect text_box_of(const Label& l) {
  return text_box(l.at, l.text, l.anchor, l.px);
}

// The labels of the loads, the bolt and the axes of the loads sketch: each value rounded for
// reading, in full on hover.
std::vector<Label> load_labels(const std::vector<Load>& loads, const Loads& f, double bolt_length,
                               const std::string& unit, bool job) {
  std::vector<Label> out;
  for (size_t i = 0; i < loads.size(); ++i) {
    const Load& l = loads[i];
    if (!*l.name) continue;
    Point p = label_point(loads, i);
    double c = std::cos(l.angle * kPi / 180.0);
    const char* anchor = c > 0.3 ? "start" : (c < -0.3 ? "end" : "middle");
    out.push_back({{p.x, p.y + 3.5},
                   std::string(l.name) + " " + readable(l.stress),
                   anchor,
                   l.single ? "boltlabel" : "",
                   kTextPx,
                   std::string(l.name) + " = " + exact(l.stress) + unit});
  }
  if (f.bearing != 0.0) {
    double angle = f.bearing > 0.0 ? f.bolt_angle : f.bolt_angle + 180.0;
    Point mid = polar(bolt_length * 0.5, angle), side = polar(9.0, angle + 90.0);
    const std::string name = job ? kJobLoadNames[3] : kLoadNames[3];
    out.push_back({{mid.x + side.x, mid.y + side.y + 3.5},
                   name + " " + readable(f.bearing),
                   "middle",
                   "boltlabel",
                   kTextPx,
                   name + " = " + exact(f.bearing) + unit});
  }
  out.push_back({{kRim + 10.0, -4.0}, "x", "start", "", kTextPx, ""});
  out.push_back({{5.0, -kRim - 8.0}, "y", "start", "", kTextPx, ""});
  return out;
}

// Ticks every 30 degrees on the rim of a polar plot over the sampled range (one turn at most:
// a wider range would write labels over each other), labelled at every 90 degrees.
std::vector<double> scale_angles(double lo, double hi) {
  std::vector<double> out;
  for (int q = -24; q <= 24; ++q) {
    double a = q * 30.0;
    if (a < lo - 1e-9 || a > hi + 1e-9 || a >= lo + 360.0 - 1e-9) continue;
    out.push_back(a);
  }
  return out;
}

std::vector<Label> angle_labels(double lo, double hi) {
  std::vector<Label> out;
  for (double a : scale_angles(lo, hi)) {
    if (std::fmod(std::fabs(a), 90.0) != 0.0) continue;
    Point p = angle_label(a);
    out.push_back({{p.x, p.y + 3.5}, degrees(a), "middle", "angle", kSmallTextPx, ""});
  }
  return out;
}

// The part of the page a polar plot needs: the sampled sector, the arrows and every text.
struct Box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  void add(Point p, double padx, double pady) {
    x0 = std::fmin(x0, p.x - padx);
    x1 = std::fmax(x1, p.x + padx);
    y0 = std::fmin(y0, p.y - pady);
    y1 = std::fmax(y1, p.y + pady);
  }
  void add(const Rect& r) {
    add({r.x0, r.y0}, 2, 2);
    add({r.x1, r.y1}, 2, 2);
  }
};

Box polar_box(double a0, double a1, const std::vector<Load>& loads,
              const std::vector<Label>& labels) {
  Box b;
  b.add({0, 0}, 12, 12);
  b.add(polar(kRim, a0), 4, 4);
  b.add(polar(kRim, a1), 4, 4);
  for (int q = -8; q <= 8; ++q) {
    if (q * 90.0 >= a0 - 1e-9 && q * 90.0 <= a1 + 1e-9) b.add(polar(kRim, q * 90.0), 4, 4);
  }
  for (const Load& l : loads) {
    Point shift = single_shift(loads, l);
    for (double side : {0.0, 180.0}) {
      Point p = polar(kArrowOut, l.angle + side);
      if (side == 0.0 || !l.single) b.add({p.x + shift.x, p.y + shift.y}, 7, 7);
    }
  }
  for (const Label& t : labels) b.add(text_box(t.at, t.text, t.anchor, t.px));
  return b;
}

void draw_labels(Svg& svg, const std::vector<Label>& labels) {
  for (const Label& t : labels) {
    const std::string attributes =
        (t.css_class.empty() ? std::string() : attr("class", t.css_class)) +
        attr("text-anchor", t.anchor);
    if (t.title.empty()) {
      svg.text(t.at, t.text, attributes);
    } else {
      svg.text(t.at, t.text, attributes, t.title);
    }
  }
}

void draw_loads(Svg& svg, const std::vector<Load>& loads, const Loads& f, double bolt_length) {
  for (const Load& l : loads) {
    Point shift = single_shift(loads, l);
    for (double side : {0.0, 180.0}) {
      if (side != 0.0 && l.single) continue;
      Point in = polar(kArrowIn, l.angle + side), out = polar(kArrowOut, l.angle + side);
      in = {in.x + shift.x, in.y + shift.y};
      out = {out.x + shift.x, out.y + shift.y};
      const std::string cls = attr("class", l.single ? "bypass" : "load");
      // Tension pulls outward, compression pushes inward.
      if (l.stress > 0.0) {
        svg.arrow(in, out, 8.0, cls);
      } else {
        svg.arrow(out, in, 8.0, cls);
      }
    }
  }
  if (f.bearing != 0.0) {
    // The bolt bears on the hole in the direction of its load.
    double angle = f.bearing > 0.0 ? f.bolt_angle : f.bolt_angle + 180.0;
    svg.arrow({0, 0}, polar(bolt_length, angle), 8.0, attr("class", "bolt"));
  }
}

// The strip round the hole, `px` pixels per unit length: its sides and its free end, where they
// fall within the box.
void draw_strip(Svg& svg, const Box& box, const PassRecord& r, double px) {
  if (!r.strip) return;
  const double side = r.width / 2.0 * px;
  const double end = r.edge_distance > 0.0 ? r.edge_distance * px : box.x1;
  const double right = std::fmin(end, box.x1);
  for (double y : {-side, side}) {
    if (y > box.y0 && y < box.y1) {
      svg.line({box.x0, y}, {right, y}, attr("class", "plate-edge"));
    }
  }
  if (r.edge_distance > 0.0 && end < box.x1) {
    svg.line({end, std::fmax(-side, box.y0)}, {end, std::fmin(side, box.y1)},
             attr("class", "plate-edge"));
  }
}

void draw_angle_scale(Svg& svg, double lo, double hi) {
  for (double a : scale_angles(lo, hi)) {
    svg.line(polar(kRim - 5.0, a), polar(kRim, a), attr("class", "tick"));
  }
  draw_labels(svg, angle_labels(lo, hi));
}

}  // namespace

std::string key_figure(const PassRecord& r) {
  int nstep = step_count(r.grid), nang = station_count(r.grid);
  double a = r.grid.diameter / 2.0;
  double outer = a + (nstep - 1) * r.grid.distance_step;
  // The stations, and the strip's sides and a free end not far beyond them, fit the figure.
  if (r.strip) {
    outer = std::fmax(outer, r.width / 2.0);
    if (r.edge_distance > 0.0 && r.edge_distance <= 1.5 * outer) {
      outer = std::fmax(outer, r.edge_distance);
    }
  }
  double px = 90.0 / outer;  // pixels per unit length
  double lo = r.grid.angle_low, hi = r.grid.angle_low + (nang - 1) * r.grid.angle_step;
  if (hi < lo) std::swap(lo, hi);
  std::vector<Load> loads = far_field(r);
  double bolt = std::fmax(a * px * 0.8, 18.0);
  std::vector<Label> labels = load_labels(loads, r.loads, bolt, stress_suffix(r), r.job);
  Box box = polar_box(lo, hi, loads, labels);
  if (r.strip) {
    box.add({0, r.width / 2.0 * px}, 2, 2);
    box.add({0, -r.width / 2.0 * px}, 2, 2);
  }
  Svg svg(box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0, attr("class", "key"));
  svg.line({box.x0, 0}, {box.x1, 0}, attr("class", "axisline"));
  svg.line({0, box.y0}, {0, box.y1}, attr("class", "axisline"));
  draw_strip(svg, box, r, px);
  svg.circle({0, 0}, a * px, attr("class", "hole"));
  for (int k = 0; k < nstep; ++k) {
    double rk = (a + k * r.grid.distance_step) * px;
    svg.arc({0, 0}, rk, lo, hi, attr("class", "zero"));
    for (int j = 0; j < nang; ++j) {
      double ang = r.grid.angle_low + j * r.grid.angle_step;
      svg.circle(
          polar(rk, ang), 1.6, attr("fill", "#555"),
          "station " + std::to_string(j + 1) + " at " + degrees(ang) + ", " +
              (r.job ? from_the_edge(r, k * r.grid.distance_step)
                     : "DIST " + printed('F', 7, 3, k * r.grid.distance_step) + length_suffix(r)));
    }
  }
  draw_loads(svg, loads, r.loads, bolt);
  draw_labels(svg, labels);
  std::string caption =
      "Black arrow pairs: uniform far-field stresses, pointing outward for tension.";
  if (r.strip) {
    caption = "Grey lines: the strip's sides";
    caption += r.edge_distance > 0.0
                   ? (r.edge_distance * px < box.x1 ? " and its free end, to scale."
                                                    : ", to scale; its free end lies beyond "
                                                      "the figure, to the right.")
                   : ", to scale; it runs on both ways.";
    if (r.loads.bypass != 0.0) {
      caption += " Black arrow pair: the bypass stress the strip carries past the hole.";
    }
    if (r.loads.bearing != 0.0) {
      caption +=
          " Red from the centre: the bolt, bearing on the hole toward +x with the bearing stress."
          " Single red arrow: its load reacted by the strip behind the hole, bearing × D / W.";
    }
  } else if (r.loads.bearing != 0.0 && r.job) {
    caption += " Red from the centre: the bolt, bearing on the hole with the bearing stress.";
    if (r.loads.bypass != 0.0) {
      caption +=
          " Single red arrow: the bypass stress, bearing × D / 2W; with the bolt's load it leaves "
          "the plate held at the end opposite the bolt's push (twice the bypass stress there) and "
          "free at the other, so it is drawn on the held side, against the bolt's force.";
    } else {
      caption += " An infinite plate: the bolt's load is reacted at infinity, no bypass.";
    }
  } else if (r.loads.bearing != 0.0) {
    caption += " Red from the centre: the bolt, bearing on the hole with P.";
    if (r.loads.bypass != 0.0) {
      caption +=
          " Single red arrow PW: the bypass stress P D / 2W; with the bolt's load it leaves the "
          "plate held at the end opposite the bolt's push (2 PW = P D / W there) and free at the "
          "other, so it is drawn on the held side, against the bolt's force.";
    } else {
      caption += " An infinite plate: the bolt's load is reacted at infinity, no bypass.";
    }
  }
  if (r.job) caption += " Each value is rounded; its full value shows on hover.";
  return "<figure class=\"keyfigure\"><figcaption>Loads and sample points</figcaption>" +
         svg.finish() + "<p class=\"caption\">" + caption + "</p></figure>\n";
}

namespace {

// The scale of a polar plot: the station circle is 0, each faint ring a multiple of the ring
// step. The labels go along one ray inside the sampled sector, the first of a few diagonal rays
// (labels along a steep ray keep clear of each other) whose labels cross the fewest segments of
// the curve and no other text.
struct Scale {
  std::vector<double> values;  // of the labelled rings, from the innermost out
  double ray = 45.0;           // degrees
};

std::vector<double> scale_rays(double lo, double hi) {
  std::vector<double> out;
  for (double a : {45.0, 135.0, 225.0, 315.0, 67.5, 112.5, 247.5, 292.5}) {
    for (int turn = -2; turn <= 2; ++turn) {
      double t = a + 360.0 * turn;
      if (t >= lo - 1e-9 && t <= hi + 1e-9) {
        out.push_back(t);
        break;
      }
    }
  }
  out.push_back((lo + hi) / 2.0);  // any sector has its middle
  return out;
}

// The page position of the label of ring value v along the ray, its baseline and box.
Label scale_label(double v, double scale, double ray) {
  Point p = polar(kZero + v * scale, ray);
  return {{p.x, p.y + 3.0}, readable(v), "middle", "scale", kScalePx, ""};
}

std::vector<Label> scale_labels(const Scale& sc, double scale) {
  std::vector<Label> out;
  for (double v : sc.values) out.push_back(scale_label(v, scale, sc.ray));
  return out;
}

Scale choose_scale(const std::vector<double>& values, double scale, double lo, double hi,
                   const std::vector<Point>& curve, const std::vector<Label>& others) {
  Scale best{values, scale_rays(lo, hi).front()};
  int best_score = -1;
  for (double ray : scale_rays(lo, hi)) {
    Scale sc{values, ray};
    std::vector<Rect> boxes;
    for (const Label& l : scale_labels(sc, scale)) boxes.push_back(text_box_of(l));
    bool apart = true;
    for (size_t i = 0; i < boxes.size(); ++i) {
      for (size_t k = i + 1; k < boxes.size(); ++k) apart = apart && !boxes[i].overlaps(boxes[k]);
    }
    if (!apart) continue;
    int score = 0;
    for (const Rect& b : boxes) {
      for (size_t i = 1; i < curve.size(); ++i) {
        const Point &a = curve[i - 1], &c = curve[i];
        if (std::isfinite(a.x) && std::isfinite(c.x) && crosses(a, c, b)) ++score;
      }
      for (const Label& o : others) score += 100 * b.overlaps(text_box_of(o));
    }
    if (best_score < 0 || score < best_score) {
      best = sc;
      best_score = score;
    }
  }
  if (best_score < 0) {
    // No ray keeps every label apart (a narrow sector near the x axis): the station circle and
    // the outermost rings only.
    best.values.clear();
    for (double v : values) {
      if (v == 0.0 || v == values.front() || v == values.back()) best.values.push_back(v);
    }
  }
  return best;
}

}  // namespace

std::string polar_figures(const PassRecord& r) {
  const Field& f = r.field;
  double a = r.grid.diameter / 2.0;
  double lo = r.grid.angle_low, hi = r.grid.angle_low + (f.nang - 1) * r.grid.angle_step;
  if (hi < lo) std::swap(lo, hi);
  double smax = 0.0;
  bool defined = false;
  int undefined = 0;
  for (const std::vector<double>* v : {&f.hoop, &f.radial, &f.shear}) {
    for (double s : *v) {
      if (std::isfinite(s)) smax = std::fmax(smax, std::fabs(s));
      defined = defined || std::isfinite(s);
      undefined += !std::isfinite(s);
    }
  }
  if (!defined) {
    // No solution of this form exists: a compliance that is not a material's (a negative
    // modulus, a Poisson's ratio beyond what the moduli allow) or characteristic roots that
    // cannot be found. The tables print NaN.
    return "<p class=\"undefined\">The stress field around the hole is undefined for this "
           "laminate: its compliance has no characteristic roots of the kind the solution needs "
           "(a modulus that is zero or negative, or a Poisson's ratio beyond what the moduli "
           "allow). The tables print NaN.</p>\n";
  }
  double scale = smax > 0.0 ? kSwing / smax : 0.0;
  // Rings about half the largest magnitude apart, a third where that step would leave no ring.
  double ring = smax > 0.0 ? nice_axis(0.0, smax, 2).step : 0.0;
  if (ring > smax) ring = nice_axis(0.0, smax, 3).step;
  // The rings drawn, the station circle (0) among them, from the innermost out.
  std::vector<double> rings;
  for (int i = -9; ring > 0.0 && i <= 9; ++i) {
    if (i == 0 || (std::fabs(i * ring) <= smax && kZero + i * ring * scale > 1.0)) {
      rings.push_back(i * ring);
    }
  }
  if (rings.empty()) rings.push_back(0.0);
  std::vector<Load> loads = far_field(r);
  std::vector<Label> angles_text = angle_labels(lo, hi);
  Box box = polar_box(lo, hi, loads, angles_text);
  // Room for the scale along any ray it may take.
  for (double ray : scale_rays(lo, hi)) {
    for (double v : rings) box.add(text_box_of(scale_label(v, scale, ray)));
  }
  const char* names[3] = {"hoop", "radial", "shear"};
  const char* heads[3] = {"hoop stress σθ", "radial stress σr", "shear stress τrθ"};
  const std::vector<double>* values[3] = {&f.hoop, &f.radial, &f.shear};
  const std::string unit = stress_suffix(r), length = length_suffix(r);

  std::string out =
      "<h3" +
      attr("id", (r.job ? "load-case-" : "pass-") + std::to_string(r.number) + "-stresses") +
      ">Stresses around the hole</h3>\n<div class=\"polar\"><div></div>";
  for (const char* h : heads) out += std::string("<div class=\"colhead\">") + h + "</div>";
  out += "\n";
  for (int k = 0; k < f.nstep; ++k) {
    double dist = k * r.grid.distance_step;
    double rk = a + k * r.grid.distance_step;
    double hole = kZero * a / rk;  // the hole to scale with the station circle
    if (r.job) {
      out += "<div class=\"rowhead\">" +
             (dist == 0.0 ? std::string("at the<br/>hole edge")
                          : readable(dist) + length + "<br/>from the edge") +
             "</div>\n";
    } else {
      out += "<div class=\"rowhead\">DIST<br/>" + printed('F', 6, 3, dist) + length + "</div>\n";
    }
    for (int q = 0; q < 3; ++q) {
      std::vector<double> angles, vals;
      std::vector<Point> points;
      int gaps = 0;
      for (int j = 0; j < f.nang; ++j) {
        double ang = r.grid.angle_low + j * r.grid.angle_step;
        double v = (*values[q])[k * f.nang + j];
        angles.push_back(ang);
        vals.push_back(v);
        points.push_back(std::isfinite(v) ? polar(kZero + v * scale, ang) : Point{kNaN, kNaN});
        gaps += !std::isfinite(v);
      }
      Svg svg(box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0,
              attr("class", "plot polar") + attr("data-quantity", names[q]) +
                  attr("data-step", std::to_string(k + 1)) + attr("data-dist", exact(dist)) +
                  attr("data-curves", "1") + attr("data-undefined", std::to_string(gaps)) +
                  attr("data-scale", exact(scale)));
      svg.circle({0, 0}, hole, attr("class", "hole"));
      svg.line({box.x0, 0}, {box.x1, 0}, attr("class", "axisline"));
      svg.line({0, box.y0}, {0, box.y1}, attr("class", "axisline"));
      for (double v : rings) {
        if (v != 0.0) svg.arc({0, 0}, kZero + v * scale, lo, hi, attr("class", "ring"));
      }
      svg.arc({0, 0}, kZero, lo, hi, attr("class", "zero"));
      draw_angle_scale(svg, lo, hi);
      draw_loads(svg, loads, r.loads, std::fmax(hole * 0.8, 16.0));
      svg.path(points, attr("class", "curve") + attr("stroke", kStressColours[q]) +
                           attr("data-points", std::to_string(f.nang)) +
                           attr("data-angles", list(angles)) + attr("data-values", list(vals)));
      for (size_t j = 0; j < points.size(); ++j) {
        if (!std::isfinite(points[j].x)) continue;
        if (r.job) {
          svg.circle(points[j], 1.8, attr("fill", kStressColours[q]),
                     std::string(heads[q]) + " at " + degrees(angles[j]) + ", " +
                         from_the_edge(r, dist) + ": " + exact(vals[j]) + unit);
        } else {
          svg.circle(points[j], 1.8, attr("fill", kStressColours[q]),
                     std::string(heads[q]) + " at " + degrees(angles[j]) + ", DIST " +
                         printed('F', 7, 3, dist) + length + ": " + printed('F', 12, 2, vals[j]) +
                         unit);
        }
      }
      // The scale last, over the curve (each number has a white halo).
      Scale sc = choose_scale(rings, scale, lo, hi, points, angles_text);
      for (double v : sc.values) {
        Label l = scale_label(v, scale, sc.ray);
        svg.text(
            l.at, l.text,
            attr("class", "scale") + attr("text-anchor", l.anchor) + attr("data-value", exact(v)),
            exact(v) + unit);
      }
      out += svg.finish();
    }
  }
  const std::string largest = r.job ? readable(smax) : printed('F', 12, 2, smax);
  out +=
      "</div>\n<p class=\"caption\">Each stress is drawn along the radius from its dashed "
      "station circle (0): outward for tension, inward for compression; the faint circles are "
      "every " +
      (r.job ? readable(ring) : exact(ring)) + " (" + stress_unit(r) +
      "), numbered along one diagonal; the largest magnitude is " + largest + unit +
      ". The hole (grey) is to scale with the station circle. Arrows: far-field stresses (black "
      "pairs), the bolt load and " +
      (r.strip ? "its reaction behind the hole" : "the bypass that reacts it") +
      " (red). Angles run "
      "counter-clockwise from the laminate x axis (to the right). " +
      (r.job ? "Values at the loads of the load case; each point gives its value in full on hover."
             : "Values at the loads as typed; each point gives its value on hover.") +
      undefined_note(undefined, "The stresses are") + "</p>\n";
  return out;
}

}  // namespace hs::plot
