#include "joint/joint.hpp"

#include <utility>

namespace hs {

JointPlate isotropic_plate(std::string name, double width, double thickness, double modulus,
                           double poisson, double edge_distance) {
  return {std::move(name), width, thickness, modulus, poisson, edge_distance};
}

JointPlate laminate_plate(std::string name, double width, double thickness,
                          const Mat3& membrane_compliance, double edge_distance) {
  double ex = 1.0 / membrane_compliance(1, 1);
  double vxy = -membrane_compliance(1, 2) * ex;
  return {std::move(name), width, thickness, ex, vxy, edge_distance};
}

}  // namespace hs
