#include "plot/chart.hpp"

#include <cmath>

namespace hs::plot {

namespace {

// Superscript digits for the power of ten in an axis title.
std::string superscript(int n) {
  static const char* const digits[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
  std::string out = n < 0 ? "⁻" : "";
  std::string plain = std::to_string(n < 0 ? -n : n);
  for (char c : plain) out += digits[c - '0'];
  return out;
}

int step_decimals(double step);

std::string title(const AxisTitle& t, const Axis& axis) {
  std::string out = t.quantity;
  if (int p = axis_power(axis)) out += " ×10" + superscript(p);
  if (!t.unit.empty()) out += " (" + t.unit + ")";
  return out;
}

int step_decimals(double step) {
  int d = -static_cast<int>(std::floor(std::log10(step) + 1e-9));
  return d < 0 ? 0 : d;
}

// The number of tick intervals of an axis; none when it would be absurd.
int ticks(const Axis& a) {
  double n = (a.hi - a.lo) / a.step;
  return n >= 0.0 && n <= 100.0 ? static_cast<int>(std::lround(n)) : 0;
}

}  // namespace

Axis nice_axis(double lo, double hi, int ticks) {
  if (!(hi > lo)) {
    double half = lo == 0.0 ? 1.0 : std::fabs(lo) * 0.5;
    lo -= half;
    hi += half;
  }
  double raw = (hi - lo) / ticks;
  double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10.0 * power;
  for (double m : {1.0, 2.0, 5.0}) {
    if (m * power >= raw * (1 - 1e-9)) {
      step = m * power;
      break;
    }
  }
  Axis a{std::floor(lo / step + 1e-9) * step, std::ceil(hi / step - 1e-9) * step, step};
  // Values at the ends of the double range: one interval over what can be drawn.
  if (!(step > 0.0) || !std::isfinite(a.lo) || !std::isfinite(a.hi) || !(a.hi > a.lo)) {
    return {0.0, 1.0, 1.0};
  }
  return a;
}

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

int axis_power(const Axis& axis) {
  double big = std::fmax(std::fabs(axis.lo), std::fabs(axis.hi));
  if (big >= 1e5 || (big > 0.0 && big < 1e-3)) {
    return 3 * static_cast<int>(std::floor(std::log10(big) / 3.0));
  }
  return 0;
}

std::string tick_label(double v, const Axis& axis) {
  int power = axis_power(axis);
  double scale = std::pow(10.0, power);
  double shown = v / scale;
  if (std::fabs(shown) < axis.step / scale * 1e-6) shown = 0.0;  // no "-0"
  return fixed(shown, step_decimals(axis.step / scale));
}

std::vector<Stretch> coinciding_stretches(const std::vector<std::vector<double>>& y, double near) {
  const int n = static_cast<int>(y.size());
  const size_t points = n > 0 ? y.front().size() : 0;
  auto close = [&](int p, int q, size_t j) {
    const double a = y[p][j], b = y[q][j];
    return std::isfinite(a) && std::isfinite(b) && std::fabs(a - b) <= near;
  };
  std::vector<Stretch> out;
  for (size_t s = 0; s + 1 < points; ++s) {
    // On segment s each curve, from the last drawn back, gathers the earlier ones it covers.
    std::vector<bool> taken(n, false);
    for (int q = n - 1; q >= 0; --q) {
      if (taken[q]) continue;
      std::vector<int> group;
      for (int p = 0; p < q; ++p) {
        if (!taken[p] && close(p, q, s) && close(p, q, s + 1)) group.push_back(p);
      }
      if (group.empty()) continue;
      group.push_back(q);
      for (int p : group) taken[p] = true;
      // The same curves on the segment before: one stretch.
      bool merged = false;
      for (Stretch& st : out) {
        if (st.curves == group && st.last == static_cast<int>(s)) {
          st.last = static_cast<int>(s) + 1;
          merged = true;
          break;
        }
      }
      if (!merged) out.push_back({group, static_cast<int>(s), static_cast<int>(s) + 1});
    }
  }
  return out;
}

std::vector<std::vector<int>> coinciding_curves(const std::vector<std::vector<double>>& y,
                                                double near) {
  std::vector<std::vector<int>> groups;
  std::vector<bool> taken(y.size(), false);
  for (size_t p = 0; p < y.size(); ++p) {
    if (taken[p]) continue;
    std::vector<int> group{static_cast<int>(p)};
    for (size_t q = p + 1; q < y.size(); ++q) {
      bool same = !taken[q];
      for (size_t j = 0; same && j < y[p].size(); ++j) {
        const double a = y[p][j], b = y[q][j];
        same =
            std::isfinite(a) == std::isfinite(b) && (!std::isfinite(a) || std::fabs(a - b) <= near);
      }
      if (same) {
        group.push_back(static_cast<int>(q));
        taken[q] = true;
      }
    }
    if (group.size() > 1) groups.push_back(group);
  }
  return groups;
}

Chart::Chart(double width, double height, Axis x, Axis y, const AxisTitle& x_title,
             const AxisTitle& y_title, std::string_view attributes, double footer)
    : svg_(0.0, 0.0, width, height, attributes),
      x_(x),
      y_(y),
      width_(width),
      height_(height),
      left_(58.0),
      right_(width - 14.0),
      top_(12.0),
      bottom_(height - 40.0 - footer) {
  constexpr double kTitlePx = 11.0;
  // A y title longer than the frame goes on two lines: the quantity, then the unit.
  std::string yt = title(y_title, y), yt2;
  if (text_width(yt, kTitlePx) > bottom_ - top_ && !y_title.unit.empty()) {
    yt = title({y_title.quantity, ""}, y);
    yt2 = "(" + y_title.unit + ")";
    left_ += 13.0;
  }
  // Grid and ticks.
  int nx = ticks(x);
  for (int i = 0; i <= nx; ++i) {
    double t = x.lo + i * x.step;
    Point p = at(t, y.lo);
    svg_.line({p.x, top_}, {p.x, bottom_}, attr("class", "grid"));
    svg_.text({p.x, bottom_ + 14.0}, tick_label(t, x), attr("text-anchor", "middle"));
  }
  int ny = ticks(y);
  for (int i = 0; i <= ny; ++i) {
    double t = y.lo + i * y.step;
    Point p = at(x.lo, t);
    svg_.line({left_, p.y}, {right_, p.y}, attr("class", "grid"));
    svg_.text({left_ - 5.0, p.y + 3.5}, tick_label(t, y), attr("text-anchor", "end"));
  }
  svg_.raw("<rect class=\"frame\" x=\"" + fixed(left_, 2) + "\" y=\"" + fixed(top_, 2) +
           "\" width=\"" + fixed(right_ - left_, 2) + "\" height=\"" + fixed(bottom_ - top_, 2) +
           "\"/>\n");
  // The x title under the middle of the frame, moved in where it would leave the figure.
  std::string xt = title(x_title, x);
  double half = text_width(xt, kTitlePx) / 2.0;
  double cx = std::fmax(std::fmin((left_ + right_) / 2.0, width - 2.0 - half), 2.0 + half);
  svg_.text({cx, bottom_ + 32.0}, xt, attr("class", "title") + attr("text-anchor", "middle"));
  double mid = (top_ + bottom_) / 2.0;
  for (int line = 0; line < (yt2.empty() ? 1 : 2); ++line) {
    double bx = 14.0 + 13.0 * line;
    svg_.text({bx, mid}, line ? yt2 : yt,
              attr("class", "title") + attr("text-anchor", "middle") +
                  attr("transform", "rotate(-90 " + fixed(bx, 2) + " " + fixed(mid, 2) + ")"));
  }
}

Point Chart::at(double x, double y) const {
  return {left_ + (x - x_.lo) / (x_.hi - x_.lo) * (right_ - left_),
          bottom_ - (y - y_.lo) / (y_.hi - y_.lo) * (bottom_ - top_)};
}

void Chart::curve(const std::vector<double>& x, const std::vector<double>& y,
                  std::string_view colour, double marker, std::string_view attributes,
                  const std::vector<std::string>& titles) {
  std::vector<Point> points;
  for (size_t i = 0; i < x.size(); ++i) points.push_back(at(x[i], y[i]));
  svg_.path(points, std::string(attributes) + attr("class", "curve") + attr("stroke", colour));
  auto finite = [](Point p) { return std::isfinite(p.x) && std::isfinite(p.y); };
  for (size_t i = 1; i < points.size(); ++i) {
    if (finite(points[i - 1]) && finite(points[i])) segments_.push_back({points[i - 1], points[i]});
  }
  for (size_t i = 0; i < points.size(); ++i) {
    const Point& p = points[i];
    if (!finite(p)) continue;
    double r = std::fmax(marker, 1.0);
    taken_.push_back({p.x - r, p.y - r, p.x + r, p.y + r});
    if (marker <= 0.0) continue;
    if (i < titles.size()) {
      svg_.circle(p, marker, attr("fill", colour), titles[i]);
    } else {
      svg_.circle(p, marker, attr("fill", colour));
    }
  }
}

bool Chart::label(const std::vector<Place>& candidates, std::string_view text, double font_px,
                  std::string_view attributes) {
  if (candidates.empty()) return false;
  const Rect room{left_ + 1.0, 1.0, width_ - 1.0, bottom_ - 1.0};
  for (const Place& c : candidates) {
    Rect box = text_box(c.at, text, c.anchor, font_px);
    if (!box.inside(room)) continue;
    bool free = true;
    for (const auto& s : segments_) free = free && !crosses(s.first, s.second, box);
    for (const Rect& t : taken_) free = free && !box.overlaps(t);
    if (!free) continue;
    taken_.push_back(box);
    svg_.text(c.at, text, std::string(attributes) + attr("text-anchor", c.anchor));
    return true;
  }
  const Place& c = candidates.front();
  taken_.push_back(text_box(c.at, text, c.anchor, font_px));
  svg_.text(c.at, text, std::string(attributes) + attr("text-anchor", c.anchor));
  return false;
}

void Chart::overlay(const Stretch& st, const std::vector<double>& x,
                    const std::vector<std::vector<double>>& y,
                    const std::vector<std::string>& colours, std::string_view attributes) {
  const size_t m = st.curves.size();
  const double dash = 4.0, gap = dash * static_cast<double>(m - 1);
  for (size_t i = 0; i + 1 < m; ++i) {
    std::vector<Point> over;
    for (int j = st.first; j <= st.last; ++j) over.push_back(at(x[j], y[st.curves[i]][j]));
    svg_.path(over, attr("class", "coincide") + attr("stroke", colours[st.curves[i]]) +
                        attr("stroke-dasharray", fixed(dash, 0) + " " + fixed(gap, 0)) +
                        attr("stroke-dashoffset", fixed(-dash * static_cast<double>(i), 0)) +
                        std::string(attributes));
  }
}

void Chart::guide(double y, std::string_view css_class) {
  if (y < y_.lo || y > y_.hi) return;
  Point p = at(x_.lo, y);
  svg_.line({left_, p.y}, {right_, p.y}, attr("class", css_class));
}

}  // namespace hs::plot
