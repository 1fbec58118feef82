#include "analysis/interaction.hpp"

#include <cmath>
#include <numbers>

namespace hs {

Loads interaction_unit_load(double angle, double bolt_angle, HoleModel model) {
  const double a = angle * (std::numbers::pi / 180.0);
  // The ray's ends are exact: bypass alone at 0 and 180, bearing alone at 90.
  const double bypass = angle == 90.0 ? 0.0 : angle == 180.0 ? -1.0 : std::cos(a);
  const double bearing = angle == 0.0 || angle == 180.0 ? 0.0 : angle == 90.0 ? 1.0 : std::sin(a);
  Loads l{};
  l.bearing = bearing;
  l.bolt_angle = bolt_angle;
  if (model == HoleModel::kStrip) {
    l.bypass = bypass;
  } else {
    l.px = bypass;
    l.off_axis = bolt_angle;
  }
  return l;
}

std::vector<InteractionRay> bearing_bypass_interaction(const ReserveSuperposition& superposition,
                                                       HoleModel model, double bolt_angle,
                                                       int rays) {
  if (rays < 2) rays = 2;
  std::vector<Loads> loads;
  std::vector<InteractionRay> out;
  for (int k = 0; k <= rays; ++k) {
    const double angle = k == rays ? 180.0 : 180.0 * k / rays;
    loads.push_back(interaction_unit_load(angle, bolt_angle, model));
    out.push_back({angle, LoadCaseReserve{}});
  }
  const int entries = superposition.distances();
  std::vector<LoadCaseReserve> reserves(loads.size() * static_cast<std::size_t>(entries));
  ReserveSuperposition::ScratchPtr scratch = superposition.scratch();
  superposition.reserve(loads.data(), loads.size(), *scratch, reserves.data());
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i].reserve = reserves[i * static_cast<std::size_t>(entries)];
  }
  return out;
}

}  // namespace hs
