#include "analysis/reserve_stations.hpp"

#include <cmath>

#include "hole/strip_field.hpp"
#include "numeric/constants.hpp"
#include "numeric/quadrature.hpp"
#include "ply/ply_values.hpp"

namespace hs {

double curve_axis(const Loads& loads) {
  return loads.bearing != 0.0 ? loads.bolt_angle : loads.off_axis;
}

bool stations_turn(const FailureAssessment& assessment) {
  for (const CharacteristicDistance& d : assessment.distances) {
    if (!d.circular()) return true;
  }
  return false;
}

namespace {

// The radial steps of one station, or of all the stations of a circle, at distance `reach` from
// the edge: the grid `g` gets steps and their spacing, the weights one entry per step. Simpson's
// equally spaced points, the edge included, take one grid; any other point (the point of the
// point-stress method, a Gauss-Legendre point) the second step of a grid of two of its own (the
// first is on the hole edge), as the dialogue's failure search takes its characteristic distance
// one step from the edge.
void add_batches(const Grid& g, int first, int entry, double reach, Quadrature rule,
                 const double* offsets, const double* weights, int points, ReserveStations& out) {
  StationBatch b{g, first, entry, 0};
  if (rule == Quadrature::kSimpson) {
    b.grid.distance_step = reach / (points - 1);
    b.grid.steps = points;
    b.at = static_cast<int>(out.weights.size());
    for (int i = 0; i < points; ++i) out.weights.push_back(weights[i]);
    out.batches.push_back(b);
    return;
  }
  for (int i = 0; i < points; ++i) {
    b.grid.distance_step = reach * offsets[i];
    b.grid.steps = 2;
    b.at = static_cast<int>(out.weights.size());
    out.weights.push_back(0.0);
    out.weights.push_back(weights[i]);
    out.batches.push_back(b);
  }
}

}  // namespace

bool place_reserve_stations(const Grid& grid, const FailureAssessment& assessment, double axis,
                            ReserveStations& out) {
  out.stations = 0;
  out.entries = 0;
  out.angle.clear();
  out.distance.clear();
  out.batches.clear();
  out.weights.clear();
  // The point-stress method: one point, at the distance, its weight 1.
  double offsets[kMaxQuadraturePoints] = {1.0}, weights[kMaxQuadraturePoints] = {1.0};
  const bool average = assessment.method == StrengthMethod::kAverageStress;
  const Quadrature rule = average ? assessment.average_rule : Quadrature::kGaussLegendre;
  const int points = average ? assessment.average_points : 1;
  if (average && !quadrature_points(rule, points, offsets, weights)) return false;
  const int nang = station_count(grid) > 0 ? station_count(grid) : 0;
  const int entries = static_cast<int>(assessment.distances.size());
  out.stations = nang;
  out.entries = entries;
  for (int j = 0; j < nang; ++j) out.angle.push_back(station_angle(grid, j));
  for (int e = 0; e < entries; ++e) {
    const CharacteristicDistance& d = assessment.distances[e];
    for (int j = 0; j < nang; ++j) out.distance.push_back(curve_distance(d, out.angle[j], axis));
    if (d.circular()) {
      // One distance all round: every station in the same grids.
      add_batches(grid, 0, e, d.tension, rule, offsets, weights, points, out);
      continue;
    }
    for (int j = 0; j < nang; ++j) {
      Grid one = grid;
      one.angle_low = out.angle[j];
      one.angle_high = out.angle[j];
      add_batches(one, j, e, out.distance_at(e, j), rule, offsets, weights, points, out);
    }
  }
  return true;
}

int reserve_ply_values(const ReserveStations& stations, const Materials& materials,
                       const PlyStack& plies, const MembraneCompliance& laminate,
                       const Loads& loads, const FieldModel& model, Workspace& work,
                       ReserveValues& out) {
  LaminateField& at = out.laminate;
  at.resize(stations.stations, stations.entries);
  const std::size_t size = at.stress.points() * 3;
  for (std::size_t n = 0; n < size; ++n) at.stress.data()[n] = at.strain.data()[n] = 0.0;

  // The weighted laminate field of every batch, added up station by station.
  int singular = 0;
  for (const StationBatch& b : stations.batches) {
    if (model.strip) {
      strip_field_around_hole(b.grid, *model.strip, loads.bearing, loads.bypass, false, work.field);
    } else {
      const int s = field_around_hole(b.grid, loads, laminate.compliance, false, work.cache,
                                      work.field, model.scale, model.series);
      if (s > singular) singular = s;
    }
    const int nang = station_count(b.grid), nstep = step_count(b.grid);
    for (int k = 0; k < nstep; ++k) {
      const double w = stations.weights[b.at + k];
      if (w == 0.0) continue;
      for (int j = 0; j < nang; ++j) {
        const double* e = work.field.strain[j][k];
        const double* t = work.field.stress[j][k];
        double* oe = at.strain[b.first + j][b.entry];
        double* ot = at.stress[b.first + j][b.entry];
        for (int c = 0; c < 3; ++c) {
          oe[c] = oe[c] + w * e[c];
          ot[c] = ot[c] + w * t[c];
        }
      }
    }
  }
  ply_values(materials, plies, station_count_grid(stations), at, out.plies);
  return singular;
}

Grid station_count_grid(const ReserveStations& stations) {
  Grid g{};
  g.angle_step = 1.0;
  g.angle_high = stations.stations - 1;  // station_count: (stations - 1) / 1 + 1
  g.steps = stations.entries;
  return g;
}

}  // namespace hs
