// Where round the hole the reserve factors of a load case are judged, and how the ply values
// there are formed from the field around the hole.
//
// The stations are the angle stations of the grid, each at its distance from the hole edge on
// the characteristic curve of Chang, Scott and Springer (J. Composite Materials 16, 1982):
//   r(t) = R + d_t + (d_c - d_t) |cos t|,
// R the hole radius, d_t the tension distance (at the net section, t = +-90 degrees), d_c the
// compression distance (at the bearing face, t = 0), t measured from the curve's axis
// (curve_axis). The source draws the curve on the loaded half of the hole, |t| <= 90 degrees;
// the other half is its mirror image, so that an open hole under a far-field stress is judged
// alike on both sides, and the curve never enters the hole (r(180) = R + 2 d_t - d_c would when
// d_c > 2 d_t). Equal distances give a circle, the one distance of the point- and average-stress
// methods of Whitney and Nuismer (J. Composite Materials 8, 1974).
//
// Point stress takes the ply values at the station; average stress averages them along the
// radial line from the hole edge out to the station, each ply's stresses (strains, for maximum
// strain) in its own material axes, by a quadrature rule (numeric/quadrature.hpp), and the
// criterion judges the averages. The ply values are linear in the laminate strains and the ply
// axes do not turn along a radial line, so the averages are worked out as the ply values of the
// averaged laminate field; averaging failure numbers instead would not be linear, and would not
// superpose.
#pragma once

#include <vector>

#include "analysis/analysis.hpp"
#include "model/assessment.hpp"

namespace hs {

// Field evaluations on one grid whose weighted values, added up, give the ply values at some
// reserve stations: the grid's station s is reserve station first + s of characteristic distance
// `entry`, and its radial step k enters with weight weights[at + k].
struct StationBatch {
  Grid grid;
  int first;
  int entry;
  int at;
};

struct ReserveStations {
  int stations = 0;           // angle stations round the hole (the grid's)
  int entries = 0;            // characteristic distances
  std::vector<double> angle;  // per station, degrees from the laminate x axis
  std::vector<double>
      distance;  // from the hole edge, per distance and station: entry * stations + j
  std::vector<StationBatch> batches;
  std::vector<double> weights;

  double distance_at(int entry, int j) const {
    return distance[static_cast<std::size_t>(entry) * stations + j];
  }
};

// The curve's axis (t = 0) for a load case, in degrees from the laminate x axis: the bolt's
// direction when the bolt bears on the hole, otherwise the load x axis (off_axis), along which px
// acts whatever py and pxy are.
double curve_axis(const Loads& loads);

// The distance from the hole edge of the characteristic curve at an angle: curve_distance
// (model/assessment.hpp).

// Whether the stations turn with the curve's axis: some characteristic distance is not circular.
bool stations_turn(const FailureAssessment& assessment);

// Lays out the stations of `grid` (its angle stations; its distance steps are not used) for the
// assessment's distances and method, the curve's axis at `axis` degrees. Reuses the storage of
// `out`, so that laying out the stations of one load case after another allocates nothing.
// false, with no stations, when the quadrature rule does not take the count of points (the job
// reader refuses such a count).
bool place_reserve_stations(const Grid& grid, const FailureAssessment& assessment, double axis,
                            ReserveStations& out);

// The values at the reserve stations, [station][entry]: the laminate field (averaged along the
// radius for the average-stress method; u and v are not used) and the ply values from it.
struct ReserveValues {
  LaminateField laminate;
  PlyField plies;
};

// The values at the stations under `loads`, out sized stations by entries (by plies).
// laminate: the compliance for loads.bolt_angle; model: the solution that gives the field (the
// infinite plate with its finite-width factors and bolt series, or the strip's solution, whose
// stations outside the strip are NaN); work: room for the field of each batch. Returns the count
// of singular coefficient systems of the bolt solution (the largest of any batch).
int reserve_ply_values(const ReserveStations& stations, const Materials& materials,
                       const PlyStack& plies, const MembraneCompliance& laminate,
                       const Loads& loads, const FieldModel& model, Workspace& work,
                       ReserveValues& out);

// A grid that only counts: the reserve stations as its stations, the characteristic distances as
// its distance steps, as ply_values and criterion_reserve read the values at the stations.
Grid station_count_grid(const ReserveStations& stations);

}  // namespace hs
