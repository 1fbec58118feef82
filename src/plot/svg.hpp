// A small SVG writer: lines, broken polylines, circles, arcs, arrows and text, appended to a
// string. Every number is written by the program's own rules (std::to_chars, never the locale),
// so the same drawing always gives the same bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hs::plot {

// v with exactly `decimals` decimals ("-0.50"); "NaN", "Inf" or "-Inf" when not finite.
std::string fixed(double v, int decimals);

// The shortest text that reads back as the same double ("0.005", "20000000", "1.5e-09").
std::string exact(double v);

// Text with &, <, > and " escaped for XML.
std::string escape(std::string_view text);

struct Point {
  double x, y;
};

// An axis-aligned box on the page.
struct Rect {
  double x0, y0, x1, y1;
  bool overlaps(const Rect& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
  bool inside(const Rect& o) const { return x0 >= o.x0 && x1 <= o.x1 && y0 >= o.y0 && y1 <= o.y1; }
};

// The width in pixels that a line of text takes in a sans-serif font of the given size, on the
// generous side (DejaVu Sans, the widest of the common sans-serif faces).
double text_width(std::string_view text, double font_px);

// The box of a line of text at p (its baseline) with the anchor "start", "middle" or "end":
// from the ascent above the baseline to the descent below it.
Rect text_box(Point p, std::string_view text, std::string_view anchor, double font_px);

// Whether the segment from a to b passes through the box.
bool crosses(Point a, Point b, const Rect& box);

class Svg {
 public:
  // An <svg> element of the given size in pixels whose user coordinates span the box from
  // (x0, y0) with the same size; attributes (class, data-*) are appended as given.
  Svg(double x0, double y0, double width, double height, std::string_view attributes);

  void line(Point a, Point b, std::string_view attributes);
  // A polyline through the points; a point with a non-finite coordinate leaves a gap.
  void path(const std::vector<Point>& points, std::string_view attributes);
  void circle(Point c, double r, std::string_view attributes);
  // A circle with a <title> child, the tooltip a browser shows on hover.
  void circle(Point c, double r, std::string_view attributes, std::string_view title);
  // Arc of radius r about c from angle a0 to a1, degrees counter-clockwise on the page.
  void arc(Point c, double r, double a0, double a1, std::string_view attributes);
  // A line from tail to head with a filled head of the given length.
  void arrow(Point tail, Point head, double head_length, std::string_view attributes);
  // Text at p; the text is escaped.
  void text(Point p, std::string_view text, std::string_view attributes);
  // Text at p in a group whose <title> (the tooltip a browser shows on hover) gives more: the
  // value in full where the text rounds it.
  void text(Point p, std::string_view text, std::string_view attributes, std::string_view title);
  // Any other element written through unchanged.
  void raw(std::string_view markup) { s_ += markup; }

  // The finished element.
  std::string finish();

 private:
  void number(double v);
  std::string s_;
};

// One attribute, name="value" with a leading blank, the value escaped.
std::string attr(std::string_view name, std::string_view value);

}  // namespace hs::plot
