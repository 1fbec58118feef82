#include "laminate/membrane_compliance.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

namespace hs {
namespace {

using Ply = std::tuple<double, double, int>;  // angle, thickness, material number from 1

// The compliance of a stack of plies of up to three materials (each as E1, E2, G12, NU12), with
// the bolt at ba degrees.
MembraneCompliance laminate(std::vector<ElasticConstants> mats, std::vector<Ply> plies,
                            double ba = 0) {
  Materials m;
  m.resize(static_cast<int>(mats.size()));
  for (size_t k = 0; k < mats.size(); ++k) m.elastic[k] = mats[k];
  PlyStack stack;
  stack.resize(static_cast<int>(plies.size()));
  for (size_t k = 0; k < plies.size(); ++k) {
    std::tie(stack.angle[k], stack.thickness[k], stack.material[k]) = plies[k];
    --stack.material[k];
  }
  return membrane_compliance(m, stack, ba);
}

const ElasticConstants kCarbon{20e6, 1.4e6, 0.7e6, 0.3}, kGlass{45000, 12000, 5500, 0.28},
    kAlu{70000, 70000, 70000 / 2.0 / 1.33, 0.33};

// Catches wrong invariants or ply rotation, a material mix-up and wrong thickness weighting: EX,
// EY, GXY, VXY against lamination theory worked by hand; square-symmetric stacks give EX = EY.
TEST(MembraneCompliance, EngineeringConstants) {
  const struct {
    MembraneCompliance c;
    double ex, ey, gxy, vxy;
  } cases[] = {
      {laminate({kCarbon}, {{0, 1, 1}}), 20e6, 1.4e6, 0.7e6, 0.3},
      {laminate({kAlu}, {{10, 1, 1}, {-37, 2.5, 1}, {90, 0.3, 1}}), 70000, 70000, kAlu.G12, 0.33},
      {laminate({kCarbon}, {{0, 1, 1}, {45, 1, 1}, {-45, 1, 1}, {90, 1, 1}}), 7702848.53265,
       7702848.53265, 2936293.64999, 0.311661817725},
      {laminate({kCarbon, kGlass}, {{0, 1, 2}, {0, 1, 1}}), 10022502.4301, 706066.035437, 352750,
       0.299827514464},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(c.c.singular_laminate_axes || c.c.singular_bolt_axes);
    EngineeringConstants e = engineering_constants(c.c.compliance.laminate_axes);
    EXPECT_NEAR(c.ex, e.EX, 1e-6 * c.ex);
    EXPECT_NEAR(c.ey, e.EY, 1e-6 * c.ey);
    EXPECT_NEAR(c.gxy, e.GXY, 1e-6 * c.gxy);
    EXPECT_NEAR(c.vxy, e.VXY, 1e-6 * c.vxy);
  }
}

// Catches a wrong sign or unit of the bolt-angle shift: the bolt-axes compliance has every ply
// angle measured from the bolt direction (equal to the laminate-axes one at 0).
TEST(MembraneCompliance, BoltAxes) {
  const double cases[][4] = {{0, 90, 1 / 1.4e6, 1 / 20e6}, {30, 30, 1 / 20e6, 1 / 1.4e6}};
  for (const auto& c : cases) {  // ply angle, bolt angle, bolt-axes a11, a22
    Mat3 b = laminate({kCarbon}, {{c[0], 1, 1}}, c[1]).compliance.bolt_axes;
    EXPECT_NEAR(c[2], b(1, 1), 1e-9 * c[2]);
    EXPECT_NEAR(c[3], b(2, 2), 1e-9 * c[3]);
  }
  Compliance c = laminate({kCarbon, kGlass}, {{30, 1, 1}, {-60, 2, 2}, {0, 3, 1}}).compliance;
  EXPECT_EQ(0, std::memcmp(&c.laminate_axes, &c.bolt_axes, sizeof(Mat3)));
}

// Catches a stiffness that cannot be inverted going unreported in either axes, and a compliance
// left with values in it: a ply without shear stiffness.
TEST(MembraneCompliance, SingularStiffness) {
  MembraneCompliance c = laminate({{20e6, 1.4e6, 0.0, 0.3}}, {{0, 0.005, 1}});
  EXPECT_TRUE(c.singular_laminate_axes && c.singular_bolt_axes);
  const Compliance zero{};
  EXPECT_EQ(0, std::memcmp(&zero, &c.compliance, sizeof zero));
}

}  // namespace
}  // namespace hs
