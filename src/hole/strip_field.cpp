#include "hole/strip_field.hpp"

#include <cmath>
#include <cstring>

#include "numeric/constants.hpp"

namespace hs {

const StripSolution& cached_strip_solution(const Mat3& compliance, const StripGeometry& geometry,
                                           const StripSettings& settings, StripHoleCache& cache) {
  double key[16];
  for (int i = 0; i < 9; ++i) key[i] = compliance.a[i];
  key[9] = geometry.width;
  key[10] = geometry.diameter;
  key[11] = geometry.edge_distance;
  key[12] = settings.far_end;
  key[13] = settings.hole_weight;
  // The counts, exactly representable as doubles.
  key[14] = settings.hole_terms + 1e4 * settings.outer_terms;
  key[15] = settings.hole_points + 1e4 * settings.side_points + 1e8 * settings.end_points;
  if (cache.filled && std::memcmp(key, cache.key, sizeof key) == 0) return cache.solution;
  cache.solution = solve_strip_hole(compliance, geometry, settings);
  std::memcpy(cache.key, key, sizeof key);
  cache.filled = true;
  return cache.solution;
}

StripStatus strip_field_around_hole(const Grid& g, const StripSolution& s, double bearing,
                                    double bypass, bool displacements, LaminateField& f) {
  const int nstep = step_count(g), nang = station_count(g);
  f.resize(nang, nstep);
  const Mat3& a = s.compliance;
  StripStatus first = StripStatus::ok;
  for (int j = 0; j < nang; ++j) {
    const double theta = radians(station_angle(g, j));
    for (int k = 0; k < nstep; ++k) {
      const double r = g.diameter / 2.0 + k * g.distance_step;
      StripValues v;
      StripStatus status = strip_values_polar(s, bearing, bypass, r, theta, displacements, v);
      if (status != StripStatus::ok && first == StripStatus::ok) first = status;
      double* stress = f.stress[j][k];
      double* strain = f.strain[j][k];
      for (int c = 0; c < 3; ++c) stress[c] = v.stress[c];
      // The laminate strains: the compliance times the stresses, accumulated from zero.
      for (int row = 0; row < 3; ++row) {
        strain[row] = 0.0;
        for (int l = 0; l < 3; ++l) strain[row] = strain[row] + a(row + 1, l + 1) * stress[l];
      }
      f.u[j][k] = v.u;
      f.v[j][k] = v.v;
    }
  }
  return first;
}

}  // namespace hs
