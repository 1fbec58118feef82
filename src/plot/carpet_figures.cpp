#include <cmath>
#include <vector>

#include "plot/chart.hpp"
#include "plot/drawing.hpp"
#include "plot/figures.hpp"

namespace hs::plot {

std::string carpet_legend(const PassRecord& r) {
  const std::string pm = degrees(r.plies.angle[1]) + "/" + degrees(r.plies.angle[2]),
                    last = degrees(r.plies.angle[3]);
  std::string out = "<p class=\"legend\">One line for each share of the " + pm +
                    " plies (labelled, percent of the thickness; the " + last +
                    " plies make up the rest):";
  for (int b = 0; b <= 10; ++b) {
    out += "<span class=\"sw\"" + attr("style", std::string("background:") + kShareColours[b]) +
           "></span>" + std::to_string(10 * b);
  }
  return out + "</p>\n";
}

std::string carpet_charts(const PassRecord& r, const std::vector<CarpetQuantity>& quantities,
                          const std::string& caption) {
  std::string zero = degrees(r.plies.angle[0]),
              pm = degrees(r.plies.angle[1]) + "/" + degrees(r.plies.angle[2]),
              last = degrees(r.plies.angle[3]);
  std::string out = "<div class=\"charts\">\n";
  std::string notes;
  int undefined = 0;
  for (const CarpetQuantity& q : quantities) {
    double lo = 0.0, hi = 0.0;
    for (int a = 0; a <= 10; ++a) {
      for (int b = 0; a + b <= 10; ++b) {
        double v = r.layups[a][b].*q.value;
        if (std::isfinite(v)) {
          lo = std::fmin(lo, v);
          hi = std::fmax(hi, v);
        } else if (!q.at_failure) {
          ++undefined;
        }
      }
    }
    Axis y_axis = nice_axis(lo, hi > lo ? hi : lo + 1.0, 5);
    // Lines that coincide: two shares of ±45 plies whose values differ by at most one percent
    // of the axis (about the width of a line with its markers) at two or more neighbouring
    // 0-degree shares. Each such stretch is named in a note, and the line drawn first is drawn
    // again over it, dashed, so that both colours show.
    const double near = 0.01 * (y_axis.hi - y_axis.lo);
    struct Stretch {
      int b1, b2, a0, a1;  // the two shares of ±45 plies, the first and last 0-degree share
    };
    std::vector<Stretch> stretches;
    for (int b1 = 0; b1 <= 10; ++b1) {
      for (int b2 = b1 + 1; b2 <= 10; ++b2) {
        int start = -1;
        for (int a = 0; a + b2 <= 11; ++a) {
          bool close = false;
          if (a + b2 <= 10) {
            double v1 = r.layups[a][b1].*q.value, v2 = r.layups[a][b2].*q.value;
            close = std::isfinite(v1) && std::isfinite(v2) && std::fabs(v1 - v2) <= near;
          }
          if (close && start < 0) start = a;
          if (!close && start >= 0) {
            if (a - 1 > start) stretches.push_back({b1, b2, start, a - 1});
            start = -1;
          }
        }
      }
    }
    std::string coincide;
    for (const Stretch& c : stretches) {
      coincide += (coincide.empty() ? "" : "; ") + std::to_string(10 * c.b1) + " and " +
                  std::to_string(10 * c.b2) + " from " + std::to_string(10 * c.a0) + " to " +
                  std::to_string(10 * c.a1);
    }
    Chart chart(440, 310, Axis{0.0, 100.0, 10.0}, y_axis,
                AxisTitle{zero + " plies", "percent of the thickness"}, AxisTitle{q.title, q.unit},
                attr("class", "plot carpet") + attr("data-quantity", q.name) + q.attributes +
                    attr("data-curves", "11") + attr("data-coincide", coincide));
    const std::string unit = stress_suffix(r);
    for (int b = 0; b <= 10; ++b) {
      std::vector<double> x, y;
      std::vector<std::string> titles;
      for (int a = 0; a + b <= 10; ++a) {
        x.push_back(10.0 * a);
        y.push_back(r.layups[a][b].*q.value);
        const std::string value = r.job                        ? exact(y.back())
                                  : q.value == &Layup::failure ? printed('F', 12, 2, y.back())
                                                               : printed('E', 9, 3, y.back());
        titles.push_back(q.title + " at " + std::to_string(10 * a) + "% " + zero + ", " +
                         std::to_string(10 * b) + "% " + pm + ", " +
                         std::to_string(100 - 10 * a - 10 * b) + "% " + last + ": " + value +
                         (q.unit.empty() ? std::string() : unit));
      }
      chart.curve(x, y, kShareColours[b], 2.2,
                  attr("data-share45", std::to_string(10 * b)) +
                      attr("data-points", std::to_string(x.size())) + attr("data-share0", list(x)) +
                      attr("data-values", list(y)),
                  titles);
    }
    for (const Stretch& c : stretches) {
      std::vector<Point> over;
      for (int a = c.a0; a <= c.a1; ++a)
        over.push_back(chart.at(10.0 * a, r.layups[a][c.b1].*q.value));
      chart.svg().path(over, attr("class", "coincide") + attr("stroke", kShareColours[c.b1]) +
                                 attr("data-shares45",
                                      std::to_string(10 * c.b1) + " " + std::to_string(10 * c.b2)));
    }
    // The share of each line at its last point, where no curve or other label is.
    for (int b = 0; b <= 10; ++b) {
      double xe = 10.0 * (10 - b), ye = r.layups[10 - b][b].*q.value;
      if (!std::isfinite(ye)) continue;
      Point p = chart.at(xe, ye);
      std::vector<Chart::Place> places;
      for (double d : {4.0, 10.0, 18.0}) {
        places.push_back({{p.x + d, p.y - d}, "start"});
        places.push_back({{p.x + d, p.y + d + 7.0}, "start"});
        places.push_back({{p.x - d, p.y - d}, "end"});
        places.push_back({{p.x - d, p.y + d + 7.0}, "end"});
        places.push_back({{p.x, p.y - d - 2.0}, "middle"});
        places.push_back({{p.x, p.y + d + 9.0}, "middle"});
      }
      chart.label(places, std::to_string(10 * b), kTextPx, attr("fill", kShareColours[b]));
    }
    if (!coincide.empty()) {
      notes += "<p class=\"caption coincide\"" + attr("data-quantity", q.name) + ">" + q.title +
               ": lines that coincide (within 1 % of the axis; percent of " + pm +
               " plies, over percent of " + zero + " plies): " + coincide +
               ". There the first line is drawn again, dashed, over the second.</p>\n";
    }
    out += chart.finish();
  }
  out += "</div>\n" + notes;
  if (undefined > 0) {
    out += "<p class=\"caption\">The engineering constants are undefined (not finite) for " +
           std::to_string(undefined) +
           " points of the charts: gaps in the lines, no markers.</p>\n";
  }
  out += caption;
  out += "<p class=\"caption\">Each point gives its layup and value on hover.</p>\n";
  return out;
}

std::string carpet_figures(const PassRecord& r) {
  std::vector<CarpetQuantity> quantities = {
      {"EX", "EX", modulus_unit(r), &Layup::EX, false, ""},
      {"EY", "EY", modulus_unit(r), &Layup::EY, false, ""},
      {"GXY", "GXY", modulus_unit(r), &Layup::GXY, false, ""}};
  bool search = r.cases.selected(OutputCase(10));
  if (search && r.failure_load >= 0) {
    quantities.push_back(
        {"failure", std::string(kLoadNames[r.failure_load]) + " at first-ply failure",
         stress_unit(r), &Layup::failure, true, attr("data-load", kLoadNames[r.failure_load])});
  }
  const std::string caption =
      search ? "<p class=\"caption\">The failure stress of each layup is the load at which its "
               "first ply fails (the automatic search for failure); the other loads typed keep "
               "their ratio to it. A layup whose search found no failure load has no point.</p>\n"
             : "";
  return "<h3" + attr("id", "pass-" + std::to_string(r.number) + "-carpet") +
         ">Carpet chart</h3>\n" + carpet_legend(r) + carpet_charts(r, quantities, caption);
}

}  // namespace hs::plot
