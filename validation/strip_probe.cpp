// The strip model's side of the finite-element validation, until the job runner learns the strip:
// solves one laminate and geometry and prints the hoop stress on the hole edge for one load case
// every 0.625 degrees, the peak of each unit load, the residual tractions and the solution time.
//
//   holestress_strip_probe E1 E2 G12 NU12 ANGLES THICKNESSES D W E BEARING BYPASS [SETTINGS...]
//
// ANGLES and THICKNESSES are comma-separated ply lists (one material); E = 0: no edge distance.
// SETTINGS, optional and in order: hole_terms outer_terms hole_points side_points end_points
// far_end. Output: `key value...` lines.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "hole/strip_hole.hpp"
#include "laminate/membrane_compliance.hpp"

namespace {

std::vector<double> numbers(const char* text) {
  std::vector<double> out;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) out.push_back(std::strtod(item.c_str(), nullptr));
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 12) {
    std::fprintf(stderr,
                 "usage: %s E1 E2 G12 NU12 ANGLES THICKNESSES D W E BEARING BYPASS "
                 "[hole_terms outer_terms hole_points side_points end_points far_end]\n",
                 argv[0]);
    return 2;
  }
  hs::Materials materials;
  materials.resize(1);
  materials.elastic[0] = {std::atof(argv[1]), std::atof(argv[2]), std::atof(argv[3]),
                          std::atof(argv[4])};
  std::vector<double> angles = numbers(argv[5]), thick = numbers(argv[6]);
  if (angles.empty() || thick.size() != angles.size()) {
    std::fprintf(stderr, "as many ply thicknesses as ply angles, at least one\n");
    return 2;
  }
  hs::PlyStack plies;
  plies.resize(static_cast<int>(angles.size()));
  for (int p = 0; p < plies.count; ++p) {
    plies.angle[p] = angles[p];
    plies.thickness[p] = thick[p];
    plies.material[p] = 0;
  }
  const hs::Mat3 a = hs::membrane_compliance(materials, plies, 0.0).compliance.laminate_axes;
  hs::StripGeometry geometry{std::atof(argv[8]), std::atof(argv[7]), std::atof(argv[9])};
  const double bearing = std::atof(argv[10]), bypass = std::atof(argv[11]);
  hs::StripSettings settings;
  int* counts[5] = {&settings.hole_terms, &settings.outer_terms, &settings.hole_points,
                    &settings.side_points, &settings.end_points};
  for (int k = 0; k < 5 && 12 + k < argc; ++k) *counts[k] = std::atoi(argv[12 + k]);
  if (argc > 17) settings.far_end = std::atof(argv[17]);

  auto start = std::chrono::steady_clock::now();
  hs::StripSolution s = hs::solve_strip_hole(a, geometry, settings);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (s.status != hs::StripStatus::ok) {
    std::printf("status %d\n", static_cast<int>(s.status));
    return 1;
  }
  std::printf("status ok\nseconds %.6f\nends %.17g %.17g\n", seconds, s.x_back, s.x_front);
  const char* names[2] = {"bearing", "bypass"};
  for (int load = 0; load < 2; ++load) {
    const hs::StripResidual& r = s.residual[load];
    std::printf("peak_%s %.17g\nresidual_%s %.6g %.6g %.6g %.6g\n", names[load], s.peak_hoop[load],
                names[load], r.hole, r.sides, r.front_end, r.back_end);
  }
  // Every 0.625 degrees: the hole-edge nodes of the finite-element meshes (72 to 576 around).
  for (int i = 0; i <= 576; ++i) {
    double deg = 0.625 * i, t = deg * std::numbers::pi / 180.0;
    std::printf("hoop %.3f %.17g\n", deg, hs::strip_edge_hoop_stress(s, bearing, bypass, t));
  }
  return 0;
}
