// Cartesian charts on the SVG writer: a frame with ticked, labelled axes and curves in it.
#pragma once

#include <string>
#include <string_view>
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

// A tick value as a label: decimals as the step needs, thousands grouped into a power of ten
// given once in the axis label (see axis_power).
std::string tick_label(double v, const Axis& axis);

// The power of ten (a multiple of 3) by which tick labels of large or small values are divided;
// 0 when they are written as they are.
int axis_power(const Axis& axis);

struct AxisTitle {
  std::string quantity, unit;
};

class Chart {
 public:
  // A chart of the given size in pixels; the frame leaves margins for the tick labels and the
  // axis titles: the quantity, the power of ten of the ticks when there is one, then the unit in
  // parentheses when one is given.
  Chart(double width, double height, Axis x, Axis y, const AxisTitle& x_title,
        const AxisTitle& y_title, std::string_view attributes);

  // The page position of (x, y) in the axis units.
  Point at(double x, double y) const;

  // A curve through the points (x[i], y[i]); non-finite values leave a gap. Markers of radius
  // marker (none when 0) sit on the finite points.
  void curve(const std::vector<double>& x, const std::vector<double>& y, std::string_view colour,
             double marker, std::string_view attributes);

  // A dashed horizontal line at y across the frame, when y is inside the axis.
  void guide(double y, std::string_view css_class);

  Svg& svg() { return svg_; }
  double left() const { return left_; }
  double right() const { return right_; }
  double top() const { return top_; }
  double bottom() const { return bottom_; }

  std::string finish() { return svg_.finish(); }

 private:
  Svg svg_;
  Axis x_, y_;
  double left_, right_, top_, bottom_;
};

}  // namespace hs::plot
