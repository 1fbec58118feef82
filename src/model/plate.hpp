// The plate around the hole: how far it reaches, and how its finite width enters the field.
#pragma once

#include <cmath>

namespace hs {

enum class WidthCorrection {
  kNone,  // the infinite plate's field; a width enters only through the bypass stress
  kTan,   // Tan's finite-width factor on each open-hole piece of the loads
};

// Which solution gives the field around the hole.
enum class HoleModel {
  kInfinite,  // an infinite plate: open-hole and bolt solutions, the width only through the bypass
  kStrip,     // a strip of the given width along the laminate x axis, loaded along its axis by a
              // bolt bearing towards +x and a bypass stress, with a free end or without
};

// How the infinite plate's bolt series is summed: its first 45 terms, as the dialogue's tables
// have it, or all of them in closed form.
enum class BoltSeriesSum { kLegacy, kConverged };

struct Plate {
  double width = 0.0;  // across the load, in the length unit; 0 = infinite plate
  WidthCorrection width_correction = WidthCorrection::kNone;
  HoleModel model = HoleModel::kInfinite;
  // Strip only: from the hole centre to the free end the bolt bears towards; 0 = the strip runs
  // on in both directions.
  double edge_distance = 0.0;
  BoltSeriesSum bolt_series = BoltSeriesSum::kConverged;  // infinite plate only

  // The open-hole pieces carry a finite-width correction.
  bool corrected() const { return width_correction == WidthCorrection::kTan && width != 0.0; }
  bool strip() const { return model == HoleModel::kStrip; }
};

// The strip model solves a length of strip reaching this many widths (and at least 3 diameters)
// behind the hole and, without an edge distance, ahead of it, each end carrying its far-field
// traction: far enough that moving it further changes the peak stresses by hundredths of a
// percent.
constexpr double kStripReachWidths = 1.5;
constexpr double kStripReachDiameters = 3.0;

// Whether the point (x along the strip, y across it, from the hole centre) lies in the strip the
// model solves: within half the width of its axis, not beyond the free end, within its reach along
// the strip. Points on the boundary count as in, to a rounding half as large as the solution
// allows (strip_hole.cpp).
inline bool in_strip(const Plate& plate, double diameter, double x, double y) {
  const double reach = std::fmax(kStripReachWidths * plate.width, kStripReachDiameters * diameter);
  const double front = plate.edge_distance > 0.0 ? plate.edge_distance : reach;
  const double slack = 0.5e-12 * (front + reach);
  return std::fabs(y) <= plate.width / 2.0 * (1.0 + 0.5e-12) && x <= front + slack &&
         x >= -reach - slack;
}

}  // namespace hs
