#include "hole/hole_field.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "hole/transforms.hpp"
#include "hole_cases.hpp"

namespace hs {
namespace {

using namespace hole_cases;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// field_around_hole for the loads, the compliance orthotropic in the laminate axes and
// anisotropic in the bolt axes (so that a mix-up shows).
const LaminateField& field(const Grid& grid, const Loads& loads, const Mat3& bolt_axes = kAniso,
                           int* singular = nullptr) {
  static auto cache = std::make_unique<HoleSolutionCache>();
  static auto f = std::make_unique<LaminateField>();
  int n = field_around_hole(grid, loads, Compliance{kOrtho, bolt_axes}, false, *cache, *f);
  if (singular) *singular = n;
  return *f;
}

// Catches the shear split wrongly (both pieces +PXY, or at the wrong angles) and a principal
// direction of +-45 where SX = SY: far out from a pin-sized hole, pure shear gives exactly
// SX = SY = 0.
TEST(FieldAroundHole, PureShearFarOut) {
  const LaminateField& f = field({1e-100, 15, 0, 0, 1, 2}, {0, 0, 100, 0, 0, 0, 0});
  EXPECT_EQ(0.0, f.stress[0][1][0]);
  EXPECT_EQ(0.0, f.stress[0][1][1]);
  EXPECT_NEAR(100.0, f.stress[0][1][2], 1e-9);
  Principal p = principal_stresses(f.stress[0][1][0], f.stress[0][1][1], f.stress[0][1][2]);
  EXPECT_NEAR(100.0, p.max, 1e-9);
  EXPECT_NEAR(-100.0, p.min, 1e-9);
  EXPECT_EQ(0.0, p.direction);
}

// Catches a bypass stress applied along the wrong direction (the off-axis angle instead of the
// bolt angle) or with the wrong compliance, a bolt solution evaluated without a bearing stress
// (the bolt-axes compliance of NaN would show), strains from the bolt-axes compliance, and a
// load left out of the sum: far from the hole every station sees PX along the off-axis angle
// plus the bypass along the bolt angle.
TEST(FieldAroundHole, FarFieldOfEveryLoad) {
  const Mat3 nan{{kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN}};
  const Grid far{0.25, 30, 0, 330, 1000, 2};
  const struct {
    Loads loads;
    const Mat3* bolt_axes;
    double sx, sy, txy, tol;  // tol: the bolt's own stress 1000 from the hole is below 0.3
  } cases[] = {
      {{1000, 0, 0, 30, 0, 0, 0}, &nan, 750, 250, 433.0127, 1e-3},
      {{0, 200, 0, 30, 0, 0, 0}, &nan, 50, 150, -86.6025, 1e-3},
      {{0, 0, 0, 0, 1000, 30, 100}, &kAniso, 75, 25, 43.30127, 0.3},
      {{0, 0, 0, 0, -1000, 90, -100}, &kAniso, 0, -100, 0, 0.3},
  };
  for (const auto& c : cases) {
    const LaminateField& f = field(far, c.loads, *c.bolt_axes);
    for (int j = 0; j < 12; ++j) {
      const double* s = f.stress[j][1];
      EXPECT_NEAR(c.sx, s[0], c.tol) << c.loads.px << " station " << j;
      EXPECT_NEAR(c.sy, s[1], c.tol) << c.loads.px << " station " << j;
      EXPECT_NEAR(c.txy, s[2], c.tol) << c.loads.px << " station " << j;
      for (int r = 0; r < 3; ++r) {
        double e = kOrtho(r + 1, 1) * s[0] + kOrtho(r + 1, 2) * s[1] + kOrtho(r + 1, 3) * s[2];
        EXPECT_NEAR(e, f.strain[j][1][r], 1e-15 * 1000 * 1e-6);
      }
    }
  }
}

}  // namespace
}  // namespace hs
