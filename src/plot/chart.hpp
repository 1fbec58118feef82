// Cartesian charts on the SVG writer: a frame with ticked, labelled axes and curves in it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "plot/svg.hpp"

namespace hs::plot {

// An axis from lo to hi with ticks every step (lo and hi are multiples of step).
struct Axis {
  double lo, hi, step;
};

// The axis of about `ticks` intervals with a step of 1, 2 or 5 times a power of ten that covers
// the values from lo to hi.
Axis nice_axis(double lo, double hi, int ticks);

// An axis of angles in degrees from a0 to a1 with ticks at multiples of a round number of
// degrees (1, 2, 5, 10, 15, 30, 45, 60 or 90), at most eight intervals.
Axis angle_axis(double a0, double a1);

// A tick value as a label: decimals as the step needs, thousands grouped into a power of ten
// given once in the axis label (see axis_power).
std::string tick_label(double v, const Axis& axis);

// The power of ten (a multiple of 3) by which tick labels of large or small values are divided;
// 0 when they are written as they are.
int axis_power(const Axis& axis);

// Where curves lie on each other: a group of curves (indices in the order they are drawn, the
// last one on top) within `near` of the last at every point from first to last. In a symmetric
// laminate plies 1 and n, 2 and n-1, ... carry the same stresses everywhere: one stretch over
// every point.
struct Stretch {
  std::vector<int> curves;
  int first, last;
};
std::vector<Stretch> coinciding_stretches(const std::vector<std::vector<double>>& y, double near);
// The curves that lie on each other everywhere: groups (two or more, in the order given) within
// `near` of the group's first at every point, both finite or both not.
std::vector<std::vector<int>> coinciding_curves(const std::vector<std::vector<double>>& y,
                                                double near);
// Closer than this share of an axis, two curves are drawn within a line's width of each other.
constexpr double kCoincide = 0.008;

struct AxisTitle {
  std::string quantity, unit;
};

class Chart {
 public:
  // A chart of the given size in pixels; the frame leaves margins for the tick labels and the
  // axis titles: the quantity, the power of ten of the ticks when there is one, then the unit in
  // parentheses when one is given (on a line of its own where the title is longer than its
  // axis). A footer of the given height is left free under the x axis title.
  Chart(double width, double height, Axis x, Axis y, const AxisTitle& x_title,
        const AxisTitle& y_title, std::string_view attributes, double footer = 0.0);

  // The page position of (x, y) in the axis units.
  Point at(double x, double y) const;

  // A curve through the points (x[i], y[i]); non-finite values leave a gap. Markers of radius
  // marker (none when 0) sit on the finite points, each with its title (the tooltip) when titles
  // are given. The curve and its markers are kept as obstacles for labels.
  void curve(const std::vector<double>& x, const std::vector<double>& y, std::string_view colour,
             double marker, std::string_view attributes,
             const std::vector<std::string>& titles = {});

  // A label at the first of the candidate places (baseline point and anchor) where it crosses no
  // curve, covers no marker or earlier label and stays inside the frame's column of the figure,
  // above the x axis; at the first candidate when none is free. Returns whether one was free.
  struct Place {
    Point at;
    const char* anchor;
  };
  bool label(const std::vector<Place>& candidates, std::string_view text, double font_px,
             std::string_view attributes);

  // Curves on each other over a stretch: the one drawn last hides the others, which are drawn
  // again over it in dashes that take turns, so that every colour of the group shows.
  void overlay(const Stretch& st, const std::vector<double>& x,
               const std::vector<std::vector<double>>& y, const std::vector<std::string>& colours,
               std::string_view attributes);

  // A dashed horizontal line at y across the frame, when y is inside the axis.
  void guide(double y, std::string_view css_class);

  Svg& svg() { return svg_; }
  double left() const { return left_; }
  double right() const { return right_; }
  double top() const { return top_; }
  double bottom() const { return bottom_; }
  double width() const { return width_; }
  double height() const { return height_; }

  std::string finish() { return svg_.finish(); }

 private:
  Svg svg_;
  Axis x_, y_;
  double width_, height_, left_, right_, top_, bottom_;
  std::vector<std::pair<Point, Point>> segments_;  // of the curves drawn
  std::vector<Rect> taken_;                        // markers and labels
};

}  // namespace hs::plot
