#include "runner/results_common.hpp"

namespace hs {

const char* component_name(int component) {
  static const char* const names[3] = {"fibre", "transverse", "shear"};
  return component >= 0 && component < 3 ? names[component] : "";
}

ResultUnits result_units(const Job& job) {
  return {job.stress_unit, job.length_unit, "1/" + job.stress_unit};
}

double total_thickness(const PlyStack& plies) {
  double h = 0.0;
  for (int p = 0; p < plies.count; ++p) h = h + plies.thickness[p];
  return h;
}

const char* program_version() {
  return HOLESTRESS_VERSION;
}

}  // namespace hs
