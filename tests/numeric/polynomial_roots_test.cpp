#include "numeric/polynomial_roots.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace hs {

// Catches a wrong root order or conjugate sign, a real root stored with a non-zero imaginary part,
// a wrong early stop on double roots, zero roots not taken first, wrong statuses, a search that
// does not end, changed coefficients and any store past the degree or past a failed search.
TEST(PolynomialRoots, TableOfPolynomials) {
  constexpr RootStatus kFound = RootStatus::kFound, kLow = RootStatus::kDegreeBelowOne,
                       kHigh = RootStatus::kDegreeTooHigh, kFailed = RootStatus::kSearchFailed,
                       kZeroLead = RootStatus::kZeroLeadingCoefficient;
  const double r2 = 0.707106781, guard = -777.25;
  const struct {
    std::vector<double> coef;  // ascending powers
    RootStatus status;
    std::vector<double> re, im;  // in the order found; im exactly 0 for a real root
    double tol;
  } cases[] = {
      // clang-format off
      {{2, 1}, kFound, {-2}, {0}, 1e-12}, {{2, -3, 1}, kFound, {1, 2}, {0, 0}, 1e-12},
      {{6, -11, 6, -1}, kFound, {1, 2, 3}, {0, 0, 0}, 1e-12},
      {{1, 2, 3, 4, 5}, kFound, {-0.537832275, -0.537832275, 0.137832275, 0.137832275},
       {-0.358284686, 0.358284686, -0.678154389, 0.678154389}, 1e-9},
      {{1, 0, 0, 0, 1}, kFound, {r2, r2, -r2, -r2}, {-r2, r2, -r2, r2}, 1e-9},
      {{-1, 0, 0, 0, 1}, kFound, {0, 0, -1, 1}, {1, -1, 0, 0}, 1e-12},
      // double roots +i, -i: the step tolerance stops the linear convergence early
      {{1, 0, 2, 0, 1}, kFound, {1.1188e-5, 1.1188e-5, -5.594e-6, -5.594e-6},
       {-0.999973, 0.999973, -1.000014, 1.000014}, 1e-6},
      {{0, 0, 1, 2, 1}, kFound, {0, 0, -0.9999725, -1.0000137}, {0, 0, 0, 0}, 1e-7},
      {{5}, kLow, {}, {}, 0}, {{0}, kZeroLead, {}, {}, 0}, {std::vector<double>(38, 1.0), kHigh, {}, {}, 0},
      {{6, -5, 1, 0}, kZeroLead, {}, {}, 0},
      // the zero root is stored, then every start overflows into NaN and runs out of steps
      {{0, 1e300, 1, 1e300}, kFailed, {0}, {0}, 0},
      // the derivative counts as vanished at every start: the bound on starts ends the search
      {{1, 1e-8}, kFailed, {}, {}, 0},
      // clang-format on
  };
  for (const auto& c : cases) {
    const int n = static_cast<int>(c.coef.size()) - 1;
    std::vector<double> coef = c.coef, work(n + 1), zre(n + 2, guard), zim(n + 2, guard);
    const auto start = std::chrono::steady_clock::now();
    const RootsResult r =
        polynomial_roots(coef.data(), n, work.data(), zre.data() + 1, zim.data() + 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(c.status, r.status) << c.coef[0];
    EXPECT_EQ(static_cast<int>(c.re.size()), r.found) << c.coef[0];
    EXPECT_EQ(0, std::memcmp(c.coef.data(), coef.data(), coef.size() * sizeof(double)));
    for (int i = 0; i < n + 2; ++i) {  // zre[0] and zre[n + 1] are guards
      const bool stored = i >= 1 && i <= static_cast<int>(c.re.size());
      const double re = stored ? c.re[i - 1] : guard, im = stored ? c.im[i - 1] : guard;
      EXPECT_NEAR(re, zre[i], c.tol) << c.coef[0] << " position " << i;
      EXPECT_NEAR(im, zim[i], im == 0.0 ? 0.0 : c.tol) << c.coef[0] << " position " << i;
    }
  }
}

}  // namespace hs
