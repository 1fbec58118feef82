#include "analysis/strip_model.hpp"

#include "laminate/membrane_compliance.hpp"

namespace hs {

StripGeometry strip_geometry(const Plate& plate, double diameter) {
  return {plate.width, diameter, plate.edge_distance};
}

StripSettings strip_settings() {
  StripSettings s;
  s.far_end = kStripReachWidths;
  return s;
}

const StripSolution& strip_solution(const Materials& materials, const PlyStack& plies,
                                    const Plate& plate, double diameter, StripHoleCache& cache) {
  const Mat3 a = membrane_compliance(materials, plies, 0.0).compliance.laminate_axes;
  return cached_strip_solution(a, strip_geometry(plate, diameter), strip_settings(), cache);
}

bool strip_takes(const Loads& l, const Plate& plate) {
  return l.px == 0.0 && l.py == 0.0 && l.pxy == 0.0 && l.off_axis == 0.0 && l.bolt_angle == 0.0 &&
         l.bearing >= 0.0 && (plate.edge_distance == 0.0 || l.bypass == 0.0);
}

}  // namespace hs
