#include <cmath>
#include <vector>

#include "plot/chart.hpp"
#include "plot/drawing.hpp"
#include "plot/figures.hpp"

namespace hs::plot {

std::string carpet_figures(const PassRecord& r) {
  struct Quantity {
    const char* name;
    std::string title, unit;
    double Layup::*value;
  };
  std::vector<Quantity> quantities = {{"EX", "EX", modulus_unit(r), &Layup::EX},
                                      {"EY", "EY", modulus_unit(r), &Layup::EY},
                                      {"GXY", "GXY", modulus_unit(r), &Layup::GXY}};
  bool search = r.cases.selected(OutputCase(10));
  if (search && r.failure_load >= 0) {
    quantities.push_back({"failure",
                          std::string(kLoadNames[r.failure_load]) + " at first-ply failure",
                          stress_unit(r), &Layup::failure});
  }
  std::string zero = degrees(r.plies.angle[0]),
              pm = degrees(r.plies.angle[1]) + "/" + degrees(r.plies.angle[2]),
              last = degrees(r.plies.angle[3]);
  std::string out = "<h3" + attr("id", "pass-" + std::to_string(r.number) + "-carpet") +
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
        double v = r.layups[a][b].*q.value;
        if (std::isfinite(v)) {
          lo = std::fmin(lo, v);
          hi = std::fmax(hi, v);
        }
      }
    }
    Chart chart(440, 310, Axis{0.0, 100.0, 10.0}, nice_axis(lo, hi > lo ? hi : lo + 1.0, 5),
                AxisTitle{zero + " plies", "percent of the thickness"}, AxisTitle{q.title, q.unit},
                attr("class", "plot carpet") + attr("data-quantity", q.name) +
                    (q.value == &Layup::failure ? attr("data-load", kLoadNames[r.failure_load])
                                                : std::string()) +
                    attr("data-curves", "11"));
    for (int b = 0; b <= 10; ++b) {
      std::vector<double> x, y;
      for (int a = 0; a + b <= 10; ++a) {
        x.push_back(10.0 * a);
        y.push_back(r.layups[a][b].*q.value);
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


}  // namespace hs::plot
