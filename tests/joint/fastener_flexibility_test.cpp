#include "joint/fastener_flexibility.hpp"

#include <gtest/gtest.h>

#include <string>

namespace hs {
namespace {

using M = FlexibilityMethod;

// Catches a wrong constant, exponent or term of any formula, and a wrong double-shear form: each
// value worked by hand from the published form (see the header) for aluminium plates
// (E1 = E2 = 10e6 psi) and a steel fastener (d = 0.25 in, E3 = 30e6 psi, nu3 = 0.3).
//
// Single shear, t1 = 0.1 in, t2 = 0.2 in:
//   Huth: ((0.1+0.2)/0.5)^a = 0.6^a = 0.711379 (a = 2/3), 0.815193 (a = 2/5); bracket
//     1/(0.1e7) + 1/(0.2e7) + 1/(2*0.1*3e7) + 1/(2*0.2*3e7) = 1e-6 + 5e-7 + 1.66667e-7
//     + 8.33333e-8 = 1.75e-6; C = 0.711379*3.0*1.75e-6 = 3.734738e-6 (bolted metal),
//     0.815193*2.2*1.75e-6 = 3.138493e-6 (riveted), 0.711379*4.2*1.75e-6 = 5.228633e-6 (graphite).
//   Swift: 5/(0.25*3e7) + 0.8*(1e-6 + 5e-7) = 6.66667e-7 + 1.2e-6 = 1.866667e-6.
//   Tate-Rosenfeld: bearing 1/(0.1*3e7) + 1/(0.2*3e7) + 1e-6 + 5e-7 = 2e-6; shear
//     32*1.3*0.3/(9 pi 3e7 0.0625) = 2.354078e-7; bending 8*(0.001 + 0.01 + 0.02 + 0.008)
//     /(5 pi 3e7 0.00390625) = 8*0.039/1840776 = 1.694936e-7; C = 2.404901e-6.
//   Grumman: 0.09/(3e7*0.015625) + 3.7*1.5e-6 = 1.92e-7 + 5.55e-6 = 5.742e-6.
//   Boeing: (0.4)^0.85 = 0.458935, 2^0.458935 = 1.374527, /0.1*(1e-7 + 1.25e-8) = 1.546342e-6;
//     (0.8)^0.85 = 0.827230, 2^0.827230 = 1.774276, /0.2*1.125e-7 = 9.980302e-7; C = 2.544373e-6.
// Double shear, middle plate t1 = 0.2 in, outer plates t2 = 0.1 in:
//   Huth (n = 2): 0.6^a as above; bracket 1/(0.2e7) + 1/(2*0.1e7) + 1/(2*0.2*3e7)
//     + 1/(2*2*0.1*3e7) = 5e-7 + 5e-7 + 8.33333e-8 + 8.33333e-8 = 1.166667e-6;
//     C = 0.711379*1.5*1.166667e-6 = 1.244913e-6, 0.815193*1.1*... = 1.046164e-6,
//     0.711379*2.1*... = 1.742878e-6.
//   The others: half the single-shear value for t1 = 0.1 (half the middle plate), t2 = 0.1:
//   Swift: (6.66667e-7 + 0.8*2e-6)/2 = 1.133333e-6.
//   Tate-Rosenfeld: bearing 2*(1/(0.1*3e7) + 1e-6) = 2.666667e-6, shear 32*1.3*0.2/(9 pi 3e7
//     0.0625) = 1.569386e-7, bending 8*(0.012)/1840776 = 5.215189e-8; C = 2.875757e-6/2
//     = 1.437879e-6.
//   Grumman: (0.04/468750 + 3.7*2e-6)/2 = (8.53333e-8 + 7.4e-6)/2 = 3.742667e-6.
//   Boeing: (2 * 1.546342e-6)/2 = 1.546342e-6.
TEST(FastenerFlexibility, HandWorkedValues) {
  const FastenedPlates single{0.1, 10e6, 0.2, 10e6}, twin{0.2, 10e6, 0.1, 10e6};
  const Fastener steel{0.25, 30e6, 0.3};
  const struct {
    M method;
    Shear shear;
    double c;
  } cases[] = {
      {M::kHuthBoltedMetal, Shear::kSingle, 3.734738e-6},
      {M::kHuthRivetedMetal, Shear::kSingle, 3.138493e-6},
      {M::kHuthBoltedGraphite, Shear::kSingle, 5.228633e-6},
      {M::kSwift, Shear::kSingle, 1.866667e-6},
      {M::kTateRosenfeld, Shear::kSingle, 2.404901e-6},
      {M::kGrumman, Shear::kSingle, 5.742e-6},
      {M::kBoeing, Shear::kSingle, 2.544373e-6},
      {M::kHuthBoltedMetal, Shear::kDouble, 1.244913e-6},
      {M::kHuthRivetedMetal, Shear::kDouble, 1.046164e-6},
      {M::kHuthBoltedGraphite, Shear::kDouble, 1.742878e-6},
      {M::kSwift, Shear::kDouble, 1.133333e-6},
      {M::kTateRosenfeld, Shear::kDouble, 1.437879e-6},
      {M::kGrumman, Shear::kDouble, 3.742667e-6},
      {M::kBoeing, Shear::kDouble, 1.546342e-6},
  };
  for (const auto& c : cases) {
    const FastenedPlates& plates = c.shear == Shear::kSingle ? single : twin;
    EXPECT_NEAR(c.c, fastener_flexibility(c.method, c.shear, plates, steel), 1e-6 * c.c)
        << flexibility_method_name(c.method) << (c.shear == Shear::kSingle ? " single" : " double");
  }
}

// Catches a hidden unit constant and a formula that depends on which plate is called 1 in single
// shear (the misprinted Huth term 1/(n t1 E3) would): the same joint in mm and MPa gives C times
// (25.4 mm/in)/(4.4482216 N/lbf), and swapping the plates changes nothing.
TEST(FastenerFlexibility, ConsistentUnitsAndSymmetric) {
  const double mm = 25.4, mpa = 4.4482216152605 / (25.4 * 25.4), mm_per_n = 25.4 / 4.4482216152605;
  const FastenedPlates in{0.063, 10.5e6, 0.19, 8e6}, swapped{0.19, 8e6, 0.063, 10.5e6};
  const FastenedPlates si{0.063 * mm, 10.5e6 * mpa, 0.19 * mm, 8e6 * mpa};
  const Fastener f_in{0.1875, 16e6, 0.31}, f_si{0.1875 * mm, 16e6 * mpa, 0.31};
  for (M m : {M::kHuthBoltedMetal, M::kHuthRivetedMetal, M::kHuthBoltedGraphite, M::kSwift,
              M::kTateRosenfeld, M::kGrumman, M::kBoeing}) {
    for (Shear s : {Shear::kSingle, Shear::kDouble}) {
      double c = fastener_flexibility(m, s, in, f_in);
      EXPECT_NEAR(c * mm_per_n, fastener_flexibility(m, s, si, f_si), 1e-12 * c * mm_per_n)
          << flexibility_method_name(m);
    }
    EXPECT_NEAR(fastener_flexibility(m, Shear::kSingle, in, f_in),
                fastener_flexibility(m, Shear::kSingle, swapped, f_in), 1e-18)
        << flexibility_method_name(m);
  }
}

// Catches a name that reads as the wrong method, a default Huth variant other than the documented
// one, names that do not read back, and names accepted loosely (case, spaces, prefixes).
TEST(FastenerFlexibility, MethodNames) {
  const struct {
    const char* name;
    bool known;
    M method;
    const char* canonical;
  } cases[] = {
      {"huth-bolted-metal", true, M::kHuthBoltedMetal, "huth-bolted-metal"},
      {"huth-riveted-metal", true, M::kHuthRivetedMetal, "huth-riveted-metal"},
      {"huth-bolted-graphite", true, M::kHuthBoltedGraphite, "huth-bolted-graphite"},
      {"huth", true, M::kHuthBoltedGraphite, "huth-bolted-graphite"},
      {"swift", true, M::kSwift, "swift"},
      {"tate-rosenfeld", true, M::kTateRosenfeld, "tate-rosenfeld"},
      {"grumman", true, M::kGrumman, "grumman"},
      {"boeing", true, M::kBoeing, "boeing"},
      {"Huth", false, M::kSwift, ""},
      {"swift ", false, M::kSwift, ""},
      {"huth-bolted", false, M::kSwift, ""},
      {"", false, M::kSwift, ""},
  };
  for (const auto& c : cases) {
    M method = M::kSwift;
    EXPECT_EQ(c.known, flexibility_method_from_name(c.name, method)) << c.name;
    EXPECT_EQ(c.method, method) << c.name;
    if (c.known) {
      EXPECT_EQ(std::string(c.canonical), flexibility_method_name(method)) << c.name;
    }
  }
}

}  // namespace
}  // namespace hs
