#include "plot/svg.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <numbers>

#include "io/float_to_chars.hpp"

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

double text_width(std::string_view text, double font_px) {
  double em = 0.0;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      // One code point of several bytes: a symbol (°, ×, σ, ±, superscripts).
      if ((c & 0xC0) == 0xC0) em += 0.84;
      continue;
    }
    if (std::isdigit(c)) {
      em += 0.64;
    } else if (std::string_view(" .,:;'|!il").find(static_cast<char>(c)) !=
               std::string_view::npos) {
      em += 0.34;
    } else if (std::string_view("-()[]/ftrj").find(static_cast<char>(c)) !=
               std::string_view::npos) {
      em += 0.43;
    } else if (std::string_view("mMwW%").find(static_cast<char>(c)) != std::string_view::npos) {
      em += 1.0;
    } else if (std::string_view("=+<>*").find(static_cast<char>(c)) != std::string_view::npos) {
      em += 0.84;
    } else if (std::isupper(c)) {
      em += 0.78;
    } else {
      em += 0.63;
    }
  }
  return em * font_px;
}

Rect text_box(Point p, std::string_view text, std::string_view anchor, double font_px) {
  double w = text_width(text, font_px);
  double x0 = anchor == "end" ? p.x - w : (anchor == "middle" ? p.x - w / 2.0 : p.x);
  // DejaVu Sans: ascent 0.93 em, descent 0.24 em.
  return {x0, p.y - 0.93 * font_px, x0 + w, p.y + 0.24 * font_px};
}

bool crosses(Point a, Point b, const Rect& box) {
  // Liang-Barsky clipping of the segment to the box.
  double t0 = 0.0, t1 = 1.0, dx = b.x - a.x, dy = b.y - a.y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - box.x0, box.x1 - a.x, a.y - box.y0, box.y1 - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0.0) {
      t0 = std::fmax(t0, t);
    } else {
      t1 = std::fmin(t1, t);
    }
    if (t0 > t1) return false;
  }
  return true;
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

void Svg::circle(Point c, double r, std::string_view attributes, std::string_view title) {
  circle(c, r, attributes);
  s_.resize(s_.size() - 3);  // "/>\n"
  s_ += "><title>";
  s_ += escape(title);
  s_ += "</title></circle>\n";
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

void Svg::text(Point p, std::string_view text, std::string_view attributes,
               std::string_view title) {
  s_ += "<g><title>";
  s_ += escape(title);
  s_ += "</title>";
  Svg::text(p, text, attributes);
  s_.pop_back();  // the line end, after the group instead
  s_ += "</g>\n";
}

std::string Svg::finish() {
  s_ += "</svg>\n";
  return std::move(s_);
}

}  // namespace hs::plot
