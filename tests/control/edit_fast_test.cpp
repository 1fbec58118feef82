#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "control/edit.hpp"

namespace hs {
namespace {

// Fw.d as the C library renders the exact binary value (ties to even), shortened as the tables
// shorten it: the leading zero goes first, then the sign of a value that rounds to zero.
std::string by_printf(int w, int d, double v) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", d, v);
  std::string t = buf;
  if (d == 0) t += '.';
  std::size_t zero = t[0] == '-' ? 1 : 0;
  if (static_cast<int>(t.size()) > w && t.compare(zero, 2, "0.") == 0) t.erase(zero, 1);
  if (static_cast<int>(t.size()) > w && t[0] == '-' && t.find_first_of("123456789") == t.npos) {
    t.erase(0, 1);
  }
  if (static_cast<int>(t.size()) > w) return std::string(w, '*');
  return std::string(w - t.size(), ' ') + t;
}

std::string fixed(int w, int d, double v) {
  char out[kMaxFieldWidth];
  edit_f(out, w, d, v);
  return std::string(out, w);
}

// Catches digits, rounding or shortening of the integer path that differ from the exact
// rendering: random magnitudes across the 64-bit limit of the path, exact decimal ties (odd
// multiples of 2^-(d+1)) and their neighbours, subnormals, every width and decimal count.
TEST(EditFixedFast, AgreesWithPrintf) {
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int k = 0; k < 300000; ++k) {
    int w = 1 + static_cast<int>(rng() % 30);
    int d = static_cast<int>(rng() % (std::min(w, 20) + 1));
    double v;
    switch (k % 4) {
      case 0:  // anything from far below the last decimal to beyond 2^64 units of it
        v = std::pow(10.0, unit(rng) * 48.0 - 24.0);
        break;
      case 1:  // an exact tie at d decimals, with 1 to 52 significant bits
        v = std::ldexp(static_cast<double>(2 * (rng() >> (12 + rng() % 52)) + 1), -(d + 1));
        break;
      case 2:  // the doubles either side of a tie
        v = std::ldexp(static_cast<double>(2 * (rng() >> 30) + 1), -(d + 1));
        v = std::nextafter(v, (rng() & 1) ? 0.0 : 1e300);
        break;
      default:  // subnormals and zeros
        v = (rng() & 1) ? std::ldexp(unit(rng), -1030 - static_cast<int>(rng() % 40)) : 0.0;
    }
    if (rng() & 1) v = -v;
    SCOPED_TRACE(testing::Message() << "F" << w << "." << d << " of " << v);
    ASSERT_EQ(by_printf(w, d, v), fixed(w, d, v));
  }
}

}  // namespace
}  // namespace hs
