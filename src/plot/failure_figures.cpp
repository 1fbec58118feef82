#include <algorithm>
#include <cmath>
#include <vector>

#include "plot/chart.hpp"
#include "plot/drawing.hpp"
#include "plot/figures.hpp"

namespace hs::plot {

namespace {

std::string ply_list(const std::vector<int>& group) {
  std::string out;
  for (size_t i = 0; i < group.size(); ++i) {
    out += i == 0 ? "" : (i + 1 == group.size() ? " and " : ", ");
    out += std::to_string(group[i] + 1);
  }
  return out;
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
  const std::string name = krit >= 1 && krit <= 5 ? kCriteria[krit - 1] : "?";
  std::string out = r.job
                        ? "<h3" +
                              attr("id", "load-case-" + std::to_string(r.number) + "-failure-" +
                                             std::to_string(krit)) +
                              attr("data-criterion", std::to_string(krit)) +
                              ">Failure numbers per ply: " + name + "</h3>\n<p class=\"legend\">"
                        : "<h3" + attr("id", "pass-" + std::to_string(r.number) + "-failure") +
                              ">Failure numbers per ply (" + name + ")</h3>\n<p class=\"legend\">";
  for (int p = 0; p < f.nply; ++p) {
    out += "<span class=\"sw\"" + attr("style", std::string("background:") + kPlyColours[p]) +
           "></span>ply " + std::to_string(p + 1) + ", " + degrees(r.plies.angle[p]);
  }
  out += "</p>\n<div class=\"charts\">\n";
  int undefined = 0;
  std::string coincide_note;  // the groups of plies on each other in a whole chart
  bool partly = false;        // curves on each other somewhere
  for (int k = 0; k < f.nstep; ++k) {
    double dist = k * r.grid.distance_step;
    const bool marked = critical.shown && k == 1;
    const double footer = marked ? 6.0 + 13.0 * mark_lines.size() : 0.0;
    int gaps = 0;
    for (int i = 0; i < f.nang * f.nply; ++i) gaps += !std::isfinite(f.fn[k * f.nang * f.nply + i]);
    undefined += gaps;
    std::vector<double> angles;
    for (int j = 0; j < f.nang; ++j) angles.push_back(r.grid.angle_low + j * r.grid.angle_step);
    std::vector<std::vector<double>> drawn(f.nply);
    for (int p = 0; p < f.nply; ++p) {
      for (int j = 0; j < f.nang; ++j)
        drawn[p].push_back(std::fabs(f.fn[(k * f.nang + j) * f.nply + p]));
    }
    const double near = kCoincide * (y.hi - y.lo);
    const std::vector<Stretch> stretches = coinciding_stretches(drawn, near);
    // The plies on each other at every station of the chart: "1 8;2 7".
    const std::vector<std::vector<int>> everywhere = coinciding_curves(drawn, near);
    std::string coincide;
    for (const std::vector<int>& g : everywhere) {
      if (!coincide.empty()) coincide += ';';
      for (size_t i = 0; i < g.size(); ++i) {
        if (i) coincide += ' ';
        coincide += std::to_string(g[i] + 1);
      }
      const std::string words = "plies " + ply_list(g);
      if (coincide_note.find(words) == std::string::npos) {
        coincide_note += (coincide_note.empty() ? "" : "; ") + words;
      }
    }
    partly = partly || !stretches.empty();
    Chart chart(marked ? std::fmax(290.0, mark_width + 12.0) : 290.0, 230.0 + footer, x, y, xt, yt,
                attr("class", "plot failure") + attr("data-step", std::to_string(k + 1)) +
                    attr("data-dist", exact(dist)) + attr("data-criterion", std::to_string(krit)) +
                    attr("data-curves", std::to_string(f.nply)) +
                    attr("data-undefined", std::to_string(gaps)) +
                    (coincide.empty() ? std::string() : attr("data-coincide", coincide)),
                footer);
    chart.guide(1.0, "limit");
    for (int p = 0; p < f.nply; ++p) {
      std::vector<double> vals;
      std::vector<std::string> titles;
      for (int j = 0; j < f.nang; ++j) {
        double v = f.fn[(k * f.nang + j) * f.nply + p];
        vals.push_back(v);
        titles.push_back("ply " + std::to_string(p + 1) + " (" + degrees(r.plies.angle[p]) +
                         ") at " + degrees(angles[j]) + ", " +
                         (r.job ? from_the_edge(r, dist) + ": failure number " + exact(v)
                                : "DIST " + printed('F', 7, 3, dist) + length +
                                      ": failure number " + printed('F', 10, 3, v)));
      }
      chart.curve(angles, drawn[p], kPlyColours[p], f.nang <= 37 ? 2.0 : 0.0,
                  attr("data-ply", std::to_string(p + 1)) +
                      attr("data-points", std::to_string(f.nang)) +
                      attr("data-angles", list(angles)) + attr("data-values", list(vals)),
                  titles);
    }
    const std::vector<std::string> colours(kPlyColours, kPlyColours + f.nply);
    for (const Stretch& st : stretches) {
      std::string numbers;
      for (int p : st.curves) {
        if (!numbers.empty()) numbers += ' ';
        numbers += std::to_string(p + 1);
      }
      chart.overlay(st, angles, drawn, colours, attr("data-plies", numbers));
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
    out += "<figure><figcaption>" +
           (r.job ? from_the_edge(r, dist) : "DIST " + printed('F', 7, 3, dist) + length) +
           "</figcaption>" + chart.finish() + "</figure>\n";
  }
  out += "</div>\n";
  if (partly) {
    out += "<p class=\"caption coincide\">" +
           (coincide_note.empty()
                ? std::string()
                : "The same failure numbers at every station of a chart (as in a symmetric "
                  "laminate): " +
                      coincide_note + ". ") +
           "Where curves lie on each other (within a line's width), the ply drawn last hides the "
           "others, which are drawn again over it in dashes of their own colours.</p>\n";
  }
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
  out += std::string("A ply fails at 1 (red dashed line, drawn when the values come near it). ") +
         (r.job ? "Values at the loads of the load case; each point gives its value in full on "
                  "hover."
                : "Values at the loads as typed; each point gives its value on hover.") +
         undefined_note(undefined, "The failure numbers are") + "</p>\n";
  return out;
}

}  // namespace hs::plot
