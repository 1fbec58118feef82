#include "ply/ply_values.hpp"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace hs {
namespace {

// Catches a wrong sign or factor 2 in the rotation into the ply axes (pi is held in single
// precision, so 90 degrees leaves about 1e-7 of the other components) and a wrong material law:
// an isotropic ply gives E (eps1 + nu eps2)/(1 - nu^2) and G gamma, a carbon ply strained along
// the fibres E1 eps1/(1 - nu12 nu21) and nu12 E2 eps1/(1 - nu12 nu21) with nu21 = nu12 E2/E1.
TEST(PlyValues, AtOnePoint) {
  const ElasticConstants carbon{20e6, 1.4e6, 0.7e6, 0.3}, alu{70000, 70000, 26000, 0.33};
  const double d = 1 - 0.33 * 0.33;
  const struct {
    double theta;
    ElasticConstants mat;
    bool stresses;  // the expected values are stresses, else strains
    std::array<double, 3> e;
    double ply[3];
  } cases[] = {
      {0, carbon, false, {1e-3, 2e-3, 3e-3}, {1e-3, 2e-3, 3e-3}},
      {90, carbon, false, {1e-3, 2e-3, 3e-3}, {2e-3, 1e-3, -3e-3}},
      {45, carbon, false, {1e-3, 0, 0}, {0.5e-3, 0.5e-3, -1e-3}},
      {-45, carbon, false, {0, 0, 2e-3}, {-1e-3, 1e-3, 0}},
      {0, alu, true, {1e-3, -2e-3, 4e-3}, {70 * (1 - 0.66) / d, 70 * (-2 + 0.33) / d, 104}},
      {0, carbon, true, {1e-3, 0, 0}, {20e3 / 0.9937, 420 / 0.9937, 0}},
  };
  auto laminate = std::make_unique<LaminateField>();
  laminate->resize(1, 1);
  auto plies = std::make_unique<PlyField>();
  for (const auto& t : cases) {
    const Materials m{2, {{1, 1, 1, 0}, t.mat}, {}};
    const PlyStack stack{1, {t.theta}, {0.005}, {1}};
    for (int c = 0; c < 3; ++c) laminate->strain[0][0][c] = t.e[c];
    ply_values(m, stack, Grid{0.25, 1.0, 0.0, 0.0, 0.05, 1}, *laminate, *plies);
    const double* got = t.stresses ? plies->stress[0][0][0] : plies->strain[0][0][0];
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(t.ply[c], got[c], 1e-9) << t.theta << " " << c;
  }
}

}  // namespace
}  // namespace hs
