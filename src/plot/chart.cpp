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

Chart::Chart(double width, double height, Axis x, Axis y, const AxisTitle& x_title,
             const AxisTitle& y_title, std::string_view attributes)
    : svg_(0.0, 0.0, width, height, attributes),
      x_(x),
      y_(y),
      left_(58.0),
      right_(width - 14.0),
      top_(12.0),
      bottom_(height - 40.0) {
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
  std::string xt = title(x_title, x), yt = title(y_title, y);
  svg_.text({(left_ + right_) / 2.0, height - 8.0}, xt,
            attr("class", "title") + attr("text-anchor", "middle"));
  double mid = (top_ + bottom_) / 2.0;
  svg_.text({14.0, mid}, yt,
            attr("class", "title") + attr("text-anchor", "middle") +
                attr("transform", "rotate(-90 14.00 " + fixed(mid, 2) + ")"));
}

Point Chart::at(double x, double y) const {
  return {left_ + (x - x_.lo) / (x_.hi - x_.lo) * (right_ - left_),
          bottom_ - (y - y_.lo) / (y_.hi - y_.lo) * (bottom_ - top_)};
}

void Chart::curve(const std::vector<double>& x, const std::vector<double>& y,
                  std::string_view colour, double marker, std::string_view attributes) {
  std::vector<Point> points;
  for (size_t i = 0; i < x.size(); ++i) points.push_back(at(x[i], y[i]));
  svg_.path(points, std::string(attributes) + attr("class", "curve") + attr("stroke", colour));
  if (marker <= 0.0) return;
  for (const Point& p : points) {
    if (std::isfinite(p.x) && std::isfinite(p.y)) svg_.circle(p, marker, attr("fill", colour));
  }
}

void Chart::guide(double y, std::string_view css_class) {
  if (y < y_.lo || y > y_.hi) return;
  Point p = at(x_.lo, y);
  svg_.line({left_, p.y}, {right_, p.y}, attr("class", css_class));
}

}  // namespace hs::plot
