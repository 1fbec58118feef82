#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "control/console.hpp"

namespace hs {
namespace {

// Catches a compiled format that outlives the pools it was stored in: more formats, longer
// literals and more items than the pools hold, each written twice, in turn and interleaved, so
// that the pools fill and restart while formats from before the restart are still asked for.
TEST(ConsoleFormatPool, FormatsBeyondThePools) {
  std::vector<std::string> formats, rows;
  for (int k = 0; k < 150; ++k) {
    std::string literal(k % 7 == 0 ? 900 : 20 + k, static_cast<char>('A' + k % 26));
    formats.push_back("('" + literal + "'," + std::to_string(1 + k % 30) + "I4)");
    for (int r = 0; r <= k % 30; ++r) literal += "   " + std::to_string(r % 10);
    rows.push_back(literal + "\r\n");
  }
  std::vector<Value> values;
  for (int r = 0; r < 30; ++r) values.emplace_back(r % 10);
  std::istringstream in;
  std::ostringstream out, err;
  std::string want;
  {
    Console con(in, out, err);
    for (int k = 0; k < 300; ++k) {
      int f = k < 150 ? k : (k * 37) % 150;
      con.write(formats[f].c_str(), values.data(), 1 + f % 30);
      want += rows[f];
    }
  }
  EXPECT_EQ(want, out.str());
}

}  // namespace
}  // namespace hs
