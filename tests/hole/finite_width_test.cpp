#include "hole/finite_width.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace hs {
namespace {

TEST(FiniteWidth, TabulatedValues) {
  struct Case {
    double kt, dw, factor;
  };
  // Isotropic values are (2 + (1 - D/W)^3) / (3 (1 - D/W)) by hand; the orthotropic ones are
  // graphite/epoxy along the fibres (K_T = 6.75) and a soft direction (K_T = 2).
  const Case cases[] = {
      {3.0, 0.5, 2.125 / 1.5},           {3.0, 0.25, 2.421875 / 2.25},
      {3.0, 0.125, 2.669921875 / 2.625}, {6.75, 0.5, 1.2746669560329305},
      {6.75, 0.25, 1.0726001127473968},  {2.0, 0.5, 1.4600401459928252},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(tan_finite_width_factor(c.kt, c.dw), c.factor, 1e-12) << c.kt << " " << c.dw;
  }
}

TEST(FiniteWidth, NarrowHoleGivesOneForEveryLaminate) {
  for (double kt : {2.0, 3.0, 6.75, 12.0}) {
    EXPECT_NEAR(tan_finite_width_factor(kt, 1e-6), 1.0, 1e-11) << kt;
    EXPECT_NEAR(tan_finite_width_factor(kt, 1e-3), 1.0, 1e-5) << kt;
  }
}

TEST(FiniteWidth, GrowsWithTheHoleAndLessForSharperConcentrations) {
  double last_iso = 1.0;
  for (double dw = 0.05; dw < 0.95; dw += 0.05) {
    const double iso = tan_finite_width_factor(3.0, dw);
    EXPECT_GT(iso, last_iso) << dw;
    EXPECT_LE(tan_finite_width_factor(6.75, dw), iso) << dw;
    EXPECT_GE(tan_finite_width_factor(2.0, dw), iso) << dw;
    last_iso = iso;
  }
}

TEST(FiniteWidth, NaNOutsideTheStrip) {
  for (double dw : {0.0, -0.1, 1.0, 1.5, std::nan("")}) {
    EXPECT_TRUE(std::isnan(tan_finite_width_factor(3.0, dw))) << dw;
  }
}

}  // namespace
}  // namespace hs
