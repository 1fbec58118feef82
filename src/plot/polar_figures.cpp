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

// A uniform far-field stress drawn as a pair of arrows along its direction.
struct Load {
  double stress, angle;
  const char* name;
};

std::vector<Load> far_field(const Loads& f) {
  std::vector<Load> loads;
  if (f.px != 0.0) loads.push_back({f.px, f.off_axis, "PX"});
  if (f.py != 0.0) loads.push_back({f.py, f.off_axis + 90.0, "PY"});
  if (f.pxy != 0.0) {
    // Shear as the program applies it: tension at +45 degrees, compression at -45 degrees.
    loads.push_back({f.pxy, f.off_axis + 45.0, "PXY"});
    loads.push_back({-f.pxy, f.off_axis - 45.0, ""});
  }
  if (f.bearing != 0.0 && f.bypass != 0.0) loads.push_back({f.bypass, f.bolt_angle, "PW"});
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

Box polar_box(double a0, double a1, const std::vector<Load>& loads, const Loads& f,
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
  if (f.bearing != 0.0 && labels) {
    double angle = f.bearing > 0.0 ? f.bolt_angle : f.bolt_angle + 180.0;
    Point mid = polar(bolt_length * 0.5, angle), side = polar(9.0, angle + 90.0);
    b.add({mid.x + side.x, mid.y + side.y}, 3.0 * (2 + exact(f.bearing).size()), 10);
  }
  return b;
}

void draw_loads(Svg& svg, const std::vector<Load>& loads, const Loads& f, double bolt_length,
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
  if (f.bearing != 0.0) {
    // The bolt bears on the hole in the direction of its load.
    double angle = f.bearing > 0.0 ? f.bolt_angle : f.bolt_angle + 180.0;
    svg.arrow({0, 0}, polar(bolt_length, angle), 8.0, attr("class", "bolt"));
    if (labels) {
      Point mid = polar(bolt_length * 0.5, angle), side = polar(9.0, angle + 90.0);
      svg.text({mid.x + side.x, mid.y + side.y + 3.5}, "P " + exact(f.bearing),
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

}  // namespace

std::string key_figure(const PassRecord& r) {
  int nstep = step_count(r.grid), nang = station_count(r.grid);
  double a = r.grid.diameter / 2.0;
  double outer = a + (nstep - 1) * r.grid.distance_step;
  double px = 90.0 / outer;  // pixels per unit length
  double lo = r.grid.angle_low, hi = r.grid.angle_low + (nang - 1) * r.grid.angle_step;
  if (hi < lo) std::swap(lo, hi);
  std::vector<Load> loads = far_field(r.loads);
  double bolt = std::fmax(a * px * 0.8, 18.0);
  Box box = polar_box(lo, hi, loads, r.loads, bolt, true);
  Svg svg(box.x0, box.y0, box.x1 - box.x0, box.y1 - box.y0, attr("class", "key"));
  svg.line({box.x0, 0}, {box.x1, 0}, attr("class", "axisline"));
  svg.line({0, box.y0}, {0, box.y1}, attr("class", "axisline"));
  svg.text({kRim + 10.0, -4.0}, "x", "");
  svg.text({5.0, -kRim - 8.0}, "y", "");
  svg.circle({0, 0}, a * px, attr("class", "hole"));
  for (int k = 0; k < nstep; ++k) {
    double rk = (a + k * r.grid.distance_step) * px;
    svg.arc({0, 0}, rk, lo, hi, attr("class", "zero"));
    for (int j = 0; j < nang; ++j) {
      svg.circle(polar(rk, r.grid.angle_low + j * r.grid.angle_step), 1.6, attr("fill", "#555"));
    }
  }
  draw_loads(svg, loads, r.loads, bolt, true);
  return "<figure><figcaption>Loads and sample points</figcaption>" + svg.finish() + "</figure>\n";
}


std::string polar_figures(const PassRecord& r) {
  const Field& f = r.field;
  double a = r.grid.diameter / 2.0;
  double lo = r.grid.angle_low, hi = r.grid.angle_low + (f.nang - 1) * r.grid.angle_step;
  if (hi < lo) std::swap(lo, hi);
  double smax = 0.0;
  bool defined = false;
  for (const std::vector<double>* v : {&f.hoop, &f.radial, &f.shear}) {
    for (double s : *v) {
      if (std::isfinite(s)) smax = std::fmax(smax, std::fabs(s));
      defined = defined || std::isfinite(s);
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
  double ring = smax > 0.0 ? nice_axis(0.0, smax, 2).step : 0.0;
  std::vector<Load> loads = far_field(r.loads);
  Box box = polar_box(lo, hi, loads, r.loads, 0.0, false);
  const char* names[3] = {"hoop", "radial", "shear"};
  const char* heads[3] = {"hoop stress σθ", "radial stress σr", "shear stress τrθ"};
  const std::vector<double>* values[3] = {&f.hoop, &f.radial, &f.shear};

  std::string out = "<h3" + attr("id", "pass-" + std::to_string(r.number) + "-stresses") +
                    ">Stresses around the hole</h3>\n<div class=\"polar\"><div></div>";
  for (const char* h : heads) out += std::string("<div class=\"colhead\">") + h + "</div>";
  out += "\n";
  for (int k = 0; k < f.nstep; ++k) {
    double dist = k * r.grid.distance_step;
    double rk = a + k * r.grid.distance_step;
    double hole = kZero * a / rk;  // the hole to scale with the station circle
    out += "<div class=\"rowhead\">DIST<br/>" + printed('F', 6, 3, dist) + "</div>\n";
    for (int q = 0; q < 3; ++q) {
      std::vector<double> angles, vals;
      std::vector<Point> points;
      for (int j = 0; j < f.nang; ++j) {
        double ang = r.grid.angle_low + j * r.grid.angle_step;
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
      draw_loads(svg, loads, r.loads, std::fmax(hole * 0.8, 16.0), false);
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
      exact(ring) + " (" + stress_unit(r) + "), the largest magnitude is " +
      printed('F', 12, 2, smax) +
      ". The hole (grey) is to scale with the station circle. Arrows: far-field stresses "
      "(black) and the bolt load (red). Angles run counter-clockwise from the laminate x "
      "axis (to the right). Values at the loads as typed.</p>\n";
  return out;
}


}  // namespace hs::plot
