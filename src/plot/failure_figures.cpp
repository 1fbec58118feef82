#include <cmath>
#include <vector>

#include "plot/chart.hpp"
#include "plot/drawing.hpp"
#include "plot/figures.hpp"

namespace hs::plot {

namespace {

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

}  // namespace

std::string failure_figures(const PassRecord& r) {
  const Critical& critical = r.critical;
  const Field& f = r.field;
  int krit = static_cast<int>(r.criterion);
  double lo = r.grid.angle_low, hi = r.grid.angle_low + (f.nang - 1) * r.grid.angle_step;
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

  // The first-ply failure of the search, written in a footer under the chart of the step where
  // it was found (the characteristic distance), clear of every curve; the ring marks the point.
  std::vector<std::string> mark_lines;
  if (critical.shown) {
    int p = critical.ply;
    const double loads[4] = {critical.PX, critical.PY, critical.PXY, critical.P};
    mark_lines.push_back("○ first-ply failure: ply " + std::to_string(p + 1) + " (" +
                         degrees(r.plies.angle[p]) + ") at " +
                         degrees(r.grid.angle_low + critical.station * r.grid.angle_step));
    std::string load_line;
    for (int i = 0; i < 4; ++i) {
      if (loads[i] == 0.0) continue;
      std::string item = std::string(kLoadNames[i]) + " = " + printed('F', 12, 2, loads[i]);
      if (!load_line.empty() && text_width(load_line + ", " + item, kMarkTextPx) > 270.0) {
        mark_lines.push_back(load_line + ",");
        load_line.clear();
      }
      load_line += (load_line.empty() ? "" : ", ") + item;
    }
    if (!load_line.empty()) mark_lines.push_back(load_line + stress_suffix(r));
  }
  double mark_width = 0.0;
  for (const std::string& l : mark_lines)
    mark_width = std::fmax(mark_width, text_width(l, kMarkTextPx));

  const std::string length = length_suffix(r);
  std::string out = "<h3" + attr("id", "pass-" + std::to_string(r.number) + "-failure") +
                    ">Failure numbers per ply (" +
                    std::string(krit >= 1 && krit <= 5 ? kCriteria[krit - 1] : "?") +
                    ")</h3>\n<p class=\"legend\">";
  for (int p = 0; p < f.nply; ++p) {
    out += "<span class=\"sw\"" + attr("style", std::string("background:") + kPlyColours[p]) +
           "></span>ply " + std::to_string(p + 1) + ", " + degrees(r.plies.angle[p]);
  }
  out += "</p>\n<div class=\"charts\">\n";
  int undefined = 0;
  for (int k = 0; k < f.nstep; ++k) {
    double dist = k * r.grid.distance_step;
    const bool marked = critical.shown && k == 1;
    const double footer = marked ? 6.0 + 13.0 * mark_lines.size() : 0.0;
    int gaps = 0;
    for (int i = 0; i < f.nang * f.nply; ++i) gaps += !std::isfinite(f.fn[k * f.nang * f.nply + i]);
    undefined += gaps;
    Chart chart(marked ? std::fmax(290.0, mark_width + 12.0) : 290.0, 230.0 + footer, x, y, xt, yt,
                attr("class", "plot failure") + attr("data-step", std::to_string(k + 1)) +
                    attr("data-dist", exact(dist)) + attr("data-criterion", std::to_string(krit)) +
                    attr("data-curves", std::to_string(f.nply)) +
                    attr("data-undefined", std::to_string(gaps)),
                footer);
    chart.guide(1.0, "limit");
    std::vector<double> angles;
    for (int j = 0; j < f.nang; ++j) angles.push_back(r.grid.angle_low + j * r.grid.angle_step);
    for (int p = 0; p < f.nply; ++p) {
      std::vector<double> vals, drawn;
      std::vector<std::string> titles;
      for (int j = 0; j < f.nang; ++j) {
        double v = f.fn[(k * f.nang + j) * f.nply + p];
        vals.push_back(v);
        drawn.push_back(std::fabs(v));
        titles.push_back("ply " + std::to_string(p + 1) + " (" + degrees(r.plies.angle[p]) +
                         ") at " + degrees(angles[j]) + ", DIST " + printed('F', 7, 3, dist) +
                         length + ": failure number " + printed('F', 10, 3, v));
      }
      chart.curve(angles, drawn, kPlyColours[p], f.nang <= 37 ? 2.0 : 0.0,
                  attr("data-ply", std::to_string(p + 1)) +
                      attr("data-points", std::to_string(f.nang)) +
                      attr("data-angles", list(angles)) + attr("data-values", list(vals)),
                  titles);
    }
    if (marked) {
      // The first-ply failure of the search, at the point of this step where it was found.
      int j = critical.station, p = critical.ply;
      double ang = r.grid.angle_low + j * r.grid.angle_step;
      double v = std::fabs(f.fn[(k * f.nang + j) * f.nply + p]);
      Point m = chart.at(ang, v);
      const double loads[4] = {critical.PX, critical.PY, critical.PXY, critical.P};
      chart.svg().circle(m, 6.5,
                         attr("class", "critical") + attr("data-station", std::to_string(j + 1)) +
                             attr("data-angle", exact(ang)) +
                             attr("data-ply", std::to_string(p + 1)) +
                             attr("data-loads", list({loads[0], loads[1], loads[2], loads[3]})),
                         mark_lines.front());
      double top = chart.height() - footer;
      for (size_t i = 0; i < mark_lines.size(); ++i) {
        chart.svg().text({6.0, top + 13.0 * (i + 1)}, mark_lines[i],
                         attr("class", "marklabel") + attr("text-anchor", "start"));
      }
    }
    out += "<figure><figcaption>DIST " + printed('F', 7, 3, dist) + length + "</figcaption>" +
           chart.finish() + "</figure>\n";
  }
  out += "</div>\n";
  if (critical.shown) {
    int j = critical.station, p = critical.ply;
    const std::string unit = stress_suffix(r);
    out += "<p>Automatic search for failure: ply " + std::to_string(p + 1) + " (" +
           degrees(r.plies.angle[p]) + ") fails first, at DIST " +
           printed('F', 11, 3, r.grid.distance_step) + length + " and angle " +
           printed('F', 9, 2, r.grid.angle_low + j * r.grid.angle_step) +
           "°, under PX = " + printed('F', 12, 2, critical.PX) + unit +
           ", PY = " + printed('F', 12, 2, critical.PY) + unit +
           ", PXY = " + printed('F', 12, 2, critical.PXY) + unit +
           ", P = " + printed('F', 12, 2, critical.P) + unit + " (circled).</p>\n";
  }
  out += "<p class=\"caption\">";
  if (krit <= 2) {
    out +=
        "For each ply the failure number of largest magnitude among the fibre, transverse "
        "and shear values. ";
  }
  out +=
      "A ply fails at 1 (red dashed line, drawn when the values come near it). Values at the "
      "loads as typed; each point gives its value on hover." +
      undefined_note(undefined, "The failure numbers are") + "</p>\n";
  return out;
}

}  // namespace hs::plot
