#include <cmath>
#include <string>
#include <vector>

#include "job/job.hpp"
#include "plot/chart.hpp"
#include "plot/drawing.hpp"
#include "plot/figures.hpp"

namespace hs::plot {

namespace {

const char* criterion_words(Criterion c) {
  int k = static_cast<int>(c);
  return k >= 1 && k <= 5 ? kCriteria[k - 1] : "?";
}

const char* colour_of(Criterion c) {
  int k = static_cast<int>(c);
  return k >= 1 && k <= 5 ? kCriterionColours[k - 1] : "#000000";
}

const char* component_words(int component) {
  static const char* const words[3] = {"along the fibres", "across the fibres", "in shear"};
  return component >= 0 && component < 3 ? words[component] : "";
}

}  // namespace

std::string reserve_figure(const PassRecord& r) {
  const std::string id = "load-case-" + std::to_string(r.number) + "-reserve";
  std::string out = "<h3" + attr("id", id) + ">Reserve factors " +
                    from_the_edge(r, r.reserve_distance) + "</h3>\n";
  const int nang = r.reserve.empty() ? 0 : static_cast<int>(r.reserve.front().factor.size());
  // The axis reaches the smallest factor's neighbourhood: three times the smallest, and past the
  // factor of safety, but no higher than the largest finite factor.
  double smallest = INFINITY, largest = 0.0;
  for (const ReserveCurve& c : r.reserve) {
    for (double v : c.factor) {
      if (!std::isfinite(v)) continue;
      smallest = std::fmin(smallest, v);
      largest = std::fmax(largest, v);
    }
  }
  if (nang == 0 || !std::isfinite(smallest)) {
    return out +
           "<p class=\"nothing\">No criterion reaches failure at any station: every reserve "
           "factor is infinite (no load on the plate, or none that the criteria respond to).</p>\n";
  }
  const double fos = r.factor_of_safety;
  const double top = std::fmin(largest, std::fmax(3.0 * smallest, 1.5 * fos));
  Axis y = nice_axis(0.0, top > 0.0 ? top : 1.0, 5);
  double lo = r.grid.angle_low, hi = r.grid.angle_low + (nang - 1) * r.grid.angle_step;
  if (hi < lo) std::swap(lo, hi);
  Axis x = angle_axis(lo, hi);
  std::vector<double> angles;
  for (int j = 0; j < nang; ++j) angles.push_back(r.grid.angle_low + j * r.grid.angle_step);

  // The footer under the chart: one line per criterion in the job's order, its colour, its
  // smallest factor and where it is reached (the legend), then the smallest of all.
  std::vector<std::string> legend;
  int overall = -1;
  for (size_t c = 0; c < r.reserve.size(); ++c) {
    const ReserveCurve& rc = r.reserve[c];
    if (std::isfinite(rc.smallest) && (overall < 0 || rc.smallest < r.reserve[overall].smallest)) {
      overall = static_cast<int>(c);
    }
    legend.push_back(std::string(criterion_words(rc.criterion)) + ": " +
                     (std::isfinite(rc.smallest)
                          ? readable(rc.smallest) + ", ply " + std::to_string(rc.smallest_ply + 1) +
                                " (" + degrees(r.plies.angle[rc.smallest_ply]) + ") at " +
                                degrees(angles[rc.station]) + ", " + component_words(rc.component)
                          : std::string("never reached")));
  }
  constexpr double kLine = 14.0;
  double width = 560.0;
  for (const std::string& l : legend) width = std::fmax(width, 44.0 + text_width(l, kTextPx));
  const double footer = 8.0 + kLine * static_cast<double>(legend.size());
  Chart chart(width, 250.0 + footer, x, y,
              {"angle around the hole from the laminate x axis", "degrees"}, {"reserve factor", ""},
              attr("class", "plot reserve") + attr("data-distance", exact(r.reserve_distance)) +
                  attr("data-factor-of-safety", exact(fos)) +
                  attr("data-curves", std::to_string(r.reserve.size())),
              footer);
  chart.guide(fos, "limit");
  int clipped = 0;
  std::vector<std::vector<double>> drawn;
  std::vector<std::string> colours;
  for (const ReserveCurve& rc : r.reserve) {
    // Factors beyond the axis, and stations the criterion never reaches, lie on its top edge.
    drawn.emplace_back();
    for (double v : rc.factor) {
      drawn.back().push_back(std::isnan(v) ? v : std::fmin(v, y.hi));
      clipped += !(v <= y.hi);
    }
    colours.push_back(colour_of(rc.criterion));
  }
  for (size_t c = 0; c < r.reserve.size(); ++c) {
    const ReserveCurve& rc = r.reserve[c];
    const std::string name = criterion_words(rc.criterion);
    std::vector<std::string> titles;
    for (int j = 0; j < nang; ++j) {
      const double v = rc.factor[j];
      titles.push_back(name + " at " + degrees(angles[j]) + ": " +
                       (std::isfinite(v) ? "reserve factor " + exact(v) + ", ply " +
                                               std::to_string(rc.ply[j] + 1) + " (" +
                                               degrees(r.plies.angle[rc.ply[j]]) + ")"
                                         : std::string("never reached")));
    }
    chart.curve(angles, drawn[c], colours[c], nang <= 37 ? 2.0 : 0.0,
                attr("data-criterion", criterion_name(rc.criterion)) +
                    attr("data-points", std::to_string(nang)) + attr("data-angles", list(angles)) +
                    attr("data-values", list(rc.factor)),
                titles);
  }
  // Criteria whose curves lie on each other, each colour showing in turn (not along the top
  // edge, where the factors beyond the axis all lie).
  std::vector<std::vector<double>> inside = drawn;
  for (std::vector<double>& v : inside) {
    for (double& d : v) d = d < y.hi ? d : NAN;
  }
  const std::vector<Stretch> stretches = coinciding_stretches(inside, kCoincide * (y.hi - y.lo));
  for (const Stretch& st : stretches) {
    std::string keys;
    for (int c : st.curves) {
      if (!keys.empty()) keys += ' ';
      keys += criterion_name(r.reserve[c].criterion);
    }
    chart.overlay(st, angles, drawn, colours, attr("data-criteria", keys));
  }
  // Each criterion's smallest factor, ringed.
  for (const ReserveCurve& rc : r.reserve) {
    if (!std::isfinite(rc.smallest)) continue;
    chart.svg().circle(chart.at(angles[rc.station], rc.smallest), 6.0,
                       attr("class", "minimum") + attr("stroke", colour_of(rc.criterion)) +
                           attr("data-criterion", criterion_name(rc.criterion)) +
                           attr("data-factor", exact(rc.smallest)) +
                           attr("data-station", std::to_string(rc.station + 1)) +
                           attr("data-ply", std::to_string(rc.smallest_ply + 1)),
                       std::string(criterion_words(rc.criterion)) + ": smallest reserve factor " +
                           exact(rc.smallest));
  }
  if (y.lo <= fos && fos <= y.hi) {
    const Point p = chart.at(hi, fos);
    chart.label({{{p.x - 4.0, p.y - 4.0}, "end"},
                 {{p.x - 4.0, p.y + 12.0}, "end"},
                 {{chart.at(lo, fos).x + 4.0, p.y - 4.0}, "start"},
                 {{chart.at(lo, fos).x + 4.0, p.y + 12.0}, "start"}},
                "factor of safety " + readable(fos), kTextPx, attr("class", "limitlabel"));
  }
  const double base = chart.height() - footer;
  for (size_t c = 0; c < r.reserve.size(); ++c) {
    const double yl = base + kLine * static_cast<double>(c + 1);
    const std::string colour = colour_of(r.reserve[c].criterion);
    chart.svg().line({8.0, yl - 3.5}, {30.0, yl - 3.5},
                     attr("class", "swatch") + attr("stroke", colour));
    chart.svg().text({36.0, yl}, legend[c],
                     attr("class", "legend") +
                         attr("data-criterion", criterion_name(r.reserve[c].criterion)) +
                         attr("text-anchor", "start"),
                     std::isfinite(r.reserve[c].smallest)
                         ? "smallest reserve factor " + exact(r.reserve[c].smallest)
                         : std::string("no finite reserve factor"));
  }
  out += "<figure class=\"reserve\">" + chart.finish() + "</figure>\n";
  if (overall >= 0) {
    const ReserveCurve& rc = r.reserve[overall];
    const double margin = rc.smallest / fos - 1.0;
    out += "<p class=\"smallest\"" + attr("data-criterion", criterion_name(rc.criterion)) +
           ">Smallest reserve factor <span" + attr("title", exact(rc.smallest)) + ">" +
           readable(rc.smallest) + "</span> (" + criterion_words(rc.criterion) + "), in ply " +
           std::to_string(rc.smallest_ply + 1) + " (" + degrees(r.plies.angle[rc.smallest_ply]) +
           ") at " + degrees(angles[rc.station]) + " around the hole, " +
           component_words(rc.component) + "; margin of safety <span" +
           attr("title", exact(margin)) + ">" + readable(margin) +
           "</span> with a factor of safety of " + readable(fos) + ".</p>\n";
  }
  out +=
      "<p class=\"caption\">At each station the smallest reserve factor over the plies: the "
      "factor by which every load of the load case can grow before the first ply there fails. "
      "A ring marks each criterion's smallest around the hole, the value of the reserve table; "
      "the red dashed line is the factor of safety." +
      std::string(clipped > 0 ? " Factors above " + readable(y.hi) +
                                    ", and stations a criterion never reaches, are drawn on the "
                                    "top edge of the chart."
                              : "") +
      (stretches.empty() ? ""
                         : " Where curves lie on each other (within a line's width), the one "
                           "drawn last is drawn over by the others in dashes of their own "
                           "colours.") +
      " Each point gives its value in full on hover.</p>\n";
  return out;
}

}  // namespace hs::plot
