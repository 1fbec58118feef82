#include "job/toml_limits.hpp"

#include <gtest/gtest.h>

#include <string>

namespace hs {
namespace {

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Catches a job file that can exhaust the parser's stack getting through (a dotted key of many
// parts, arrays or inline tables nested deep), and a check fooled by dots and brackets inside
// strings, comments, numbers and table headers, or by many headers in a row.
TEST(TomlLimits, DepthAndParts) {
  const struct {
    std::string text;
    bool ok;
    int line, column;
  } cases[] = {
      {repeat("a.", 300000) + "a = 1\n", false, 1, 128},
      {repeat("a.", 63) + "a = 1\n", true, 0, 0},
      {"x = 1\n" + repeat("a.", 64) + "a = 1\n", false, 2, 128},
      {"x = " + repeat("[", 65) + repeat("]", 65) + "\n", false, 1, 69},
      {"x = " + repeat("[", 64) + repeat("]", 64) + "\n", true, 0, 0},
      {"x = " + repeat("{a=", 65) + "1" + repeat("}", 65) + "\n", false, 1, 0},
      {"t = \"" + repeat("a.[{", 1000) + "\"\n", true, 0, 0},
      {"t = '''\n" + repeat("a.[{\n", 1000) + "'''\n", true, 0, 0},
      {"# " + repeat("a.[{", 1000) + "\nx = 1.5\n", true, 0, 0},
      {repeat("[[plies]]\nangle = 1.5\n[hole]\n", 5000), true, 0, 0},
      {"[" + repeat("a.", 70) + "b]\n", false, 1, 0},
      {"x = \"" + repeat("\\\"[", 100) + "\"\ny = 2\n", true, 0, 0},
  };
  for (const auto& c : cases) {
    TomlLimitBreach breach;
    EXPECT_EQ(c.ok, within_toml_limits(c.text, breach)) << c.text.substr(0, 40);
    if (!c.ok) {
      EXPECT_EQ(c.line, breach.line) << c.text.substr(0, 40);
      if (c.column > 0) {
        EXPECT_EQ(c.column, breach.column) << c.text.substr(0, 40);
      }
      EXPECT_FALSE(breach.message.empty());
    }
  }
  TomlLimitBreach breach;
  EXPECT_FALSE(within_toml_limits(std::string(kMaxJobFileBytes + 1, ' '), breach));
}

}  // namespace
}  // namespace hs
