// The sample grid around the hole: distance steps k (outward from the hole edge) and angle
// stations j (counter-clockwise from the laminate x axis).
//
// Station (k, j), both 0-based, lies at radius diameter/2 + k * distance_step from the hole
// centre and at angle_low + j * angle_step degrees. Values on the grid are stored [j][k].
#pragma once

#include <climits>

namespace hs {

struct Grid {
  double diameter;       // of the hole (and bolt)
  double angle_step;     // degrees between angle stations
  double angle_low;      // angle of the first station, degrees
  double angle_high;     // last angle, degrees; enters only through the station count
  double distance_step;  // radial distance between distance steps
  int steps;             // number of distance steps
  // At most this many stations and steps are sampled (the dialogue's tables hold 73 and 7).
  int station_limit = INT_MAX;
  int step_limit = INT_MAX;
};

// Number of angle stations: (angle_high - angle_low) / angle_step + 1 truncated toward zero,
// at most station_limit. A ratio that is not a number, or very negative, gives none; the result
// may be zero or negative, and loops over the stations are then empty.
int station_count(const Grid& grid);

// Number of distance steps sampled: steps limited to 0..step_limit.
int step_count(const Grid& grid);

// Angle of station j in degrees, and distance of step k from the hole edge, as the tables
// print them.
inline double station_angle(const Grid& grid, int j) {
  return grid.angle_low + j * grid.angle_step;
}
inline double edge_distance(const Grid& grid, int k) {
  return k * grid.distance_step;
}

}  // namespace hs
