#include "plot/svg.hpp"
#include "io/float_to_chars.hpp"

#include <charconv>
#include <cmath>
#include <numbers>

namespace hs::plot {

namespace {

constexpr double kPi = std::numbers::pi;

std::string non_finite(double v) {
  if (std::isnan(v)) return "NaN";
  return v > 0 ? "Inf" : "-Inf";
}

}  // namespace

std::string fixed(double v, int decimals) {
  if (!std::isfinite(v)) return non_finite(v);
  // Room for the 309 digits of the largest double and the decimals.
  char buf[720];
  decimals = decimals < 0 ? 0 : (decimals > 400 ? 400 : decimals);
  auto r = double_to_chars_fixed(buf, buf + sizeof buf, v, decimals);
  return std::string(buf, r.ptr);
}

std::string exact(double v) {
  if (!std::isfinite(v)) return non_finite(v);
  char buf[64];
  // Plain decimals up to nine digits before the point; exponent form beyond, and for tiny values.
  double a = std::fabs(v);
  auto format = (a != 0.0 && (a < 1e-4 || a >= 1e9)) ? std::chars_format::scientific
                                                     : std::chars_format::fixed;
  auto r = double_to_chars(buf, buf + sizeof buf, v, format);
  return std::string(buf, r.ptr);
}

std::string escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string attr(std::string_view name, std::string_view value) {
  std::string out = " ";
  out += name;
  out += "=\"";
  out += escape(value);
  out += '"';
  return out;
}

void Svg::number(double v) {
  s_ += fixed(v, 2);
}

Svg::Svg(double x0, double y0, double width, double height, std::string_view attributes) {
  s_ = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fixed(width, 0) + "\" height=\"" +
       fixed(height, 0) + "\" viewBox=\"";
  number(x0);
  s_ += ' ';
  number(y0);
  s_ += ' ';
  number(width);
  s_ += ' ';
  number(height);
  s_ += '"';
  s_ += attributes;
  s_ += ">\n";
}

void Svg::line(Point a, Point b, std::string_view attributes) {
  s_ += "<line x1=\"";
  number(a.x);
  s_ += "\" y1=\"";
  number(a.y);
  s_ += "\" x2=\"";
  number(b.x);
  s_ += "\" y2=\"";
  number(b.y);
  s_ += '"';
  s_ += attributes;
  s_ += "/>\n";
}

void Svg::path(const std::vector<Point>& points, std::string_view attributes) {
  s_ += "<path d=\"";
  bool pen_down = false;
  for (const Point& p : points) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
      pen_down = false;
      continue;
    }
    if (s_.back() != '"') s_ += ' ';
    s_ += pen_down ? 'L' : 'M';
    number(p.x);
    s_ += ' ';
    number(p.y);
    pen_down = true;
  }
  s_ += '"';
  s_ += attributes;
  s_ += "/>\n";
}

void Svg::circle(Point c, double r, std::string_view attributes) {
  s_ += "<circle cx=\"";
  number(c.x);
  s_ += "\" cy=\"";
  number(c.y);
  s_ += "\" r=\"";
  number(r);
  s_ += '"';
  s_ += attributes;
  s_ += "/>\n";
}

void Svg::arc(Point c, double r, double a0, double a1, std::string_view attributes) {
  if (std::fabs(a1 - a0) >= 360.0) {
    circle(c, r, attributes);
    return;
  }
  double t0 = a0 * kPi / 180.0, t1 = a1 * kPi / 180.0;
  // Counter-clockwise on the page (y down) is sweep flag 0.
  bool ccw = a1 >= a0;
  bool large = std::fabs(a1 - a0) > 180.0;
  s_ += "<path d=\"M";
  number(c.x + r * std::cos(t0));
  s_ += ' ';
  number(c.y - r * std::sin(t0));
  s_ += " A";
  number(r);
  s_ += ' ';
  number(r);
  s_ += large ? " 0 1 " : " 0 0 ";
  s_ += ccw ? "0 " : "1 ";
  number(c.x + r * std::cos(t1));
  s_ += ' ';
  number(c.y - r * std::sin(t1));
  s_ += '"';
  s_ += attributes;
  s_ += "/>\n";
}

void Svg::arrow(Point tail, Point head, double head_length, std::string_view attributes) {
  double dx = head.x - tail.x, dy = head.y - tail.y;
  double len = std::hypot(dx, dy);
  if (!(len > 0.0)) return;
  double ux = dx / len, uy = dy / len;
  double w = head_length * 0.45;
  Point base{head.x - ux * head_length, head.y - uy * head_length};
  s_ += "<g";
  s_ += attributes;
  s_ += ">";
  line(tail, base, "");
  s_ += "<path d=\"M";
  number(head.x);
  s_ += ' ';
  number(head.y);
  s_ += " L";
  number(base.x - uy * w);
  s_ += ' ';
  number(base.y + ux * w);
  s_ += " L";
  number(base.x + uy * w);
  s_ += ' ';
  number(base.y - ux * w);
  s_ += " Z\"/></g>\n";
}

void Svg::text(Point p, std::string_view text, std::string_view attributes) {
  s_ += "<text x=\"";
  number(p.x);
  s_ += "\" y=\"";
  number(p.y);
  s_ += '"';
  s_ += attributes;
  s_ += '>';
  s_ += escape(text);
  s_ += "</text>\n";
}

std::string Svg::finish() {
  s_ += "</svg>\n";
  return std::move(s_);
}

}  // namespace hs::plot
