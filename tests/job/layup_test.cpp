#include "job/layup.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hs {
namespace {

std::string angles(const std::vector<LayupPly>& plies) {
  std::string s;
  for (const LayupPly& p : plies) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", p.angle);
    if (!s.empty()) s += '/';
    s += buf;
    if (!p.material.empty()) s += ':' + p.material;
  }
  return s;
}

// Catches a notation expanded into the wrong stack: repeats, groups, pairs, the symmetric
// mirror (with and without a middle ply), counts on single plies and materials by name, each
// against the stack written out by hand.
TEST(Layup, ExpandsToTheStackWrittenOut) {
  const struct {
    const char* layup;
    const char* stack;
  } cases[] = {
      {"[0/90]", "0/90"},
      {"[45/0/-45/90]s", "45/0/-45/90/90/-45/0/45"},
      {"[45/0/-45/90]2", "45/0/-45/90/45/0/-45/90"},
      {"[45/0/-45/90]3s",
       "45/0/-45/90/45/0/-45/90/45/0/-45/90/90/-45/0/45/90/-45/0/45/90/-45/0/45"},
      {"[(45/-45)2/0]s", "45/-45/45/-45/0/0/-45/45/-45/45"},
      {"[\u00b145/0]s", "45/-45/0/0/-45/45"},
      {"[+-45/0_2]", "45/-45/0/0"},
      {"[-+30]", "-30/30"},
      {"[0/45/90_]s", "0/45/90/45/0"},
      {"[(0/45/90_)]s", "0/45/90/45/0"},
      {"[ 22.5 / -22.5 ]", "22.5/-22.5"},
      {"[45:fabric/0:tape/90]s", "45:fabric/0:tape/90/90/0:tape/45:fabric"},
      {"[(\u00b145:glass)2]", "45:glass/-45:glass/45:glass/-45:glass"},
      {"[+15]", "15"},
  };
  for (const auto& c : cases) {
    std::vector<LayupPly> plies;
    LayupError error;
    ASSERT_TRUE(expand_layup(c.layup, plies, error)) << c.layup << ": " << error.message;
    EXPECT_EQ(c.stack, angles(plies)) << c.layup;
  }
}

// Catches a mistake accepted, or reported without its place in the text.
TEST(Layup, MistakesWithTheirOffset) {
  const struct {
    const char* layup;
    std::size_t offset;
    const char* message;
  } cases[] = {
      {"45/0", 0, "a layup starts with ["},
      {"[45/0", 5, "missing ] at the end of the layup"},
      {"[45/x]", 4, "expected a ply angle (degrees), a ±angle pair or a (group)"},
      {"[45//0]", 4, "expected a ply angle (degrees), a ±angle pair or a (group)"},
      {"[45/0]t", 6, "unexpected text after the layup (s, Ns or N may follow ])"},
      {"[0/90_]", 3, "a middle ply (_) belongs to a symmetric layup ([...]s)"},
      {"[0/90_/45]s", 3, "the middle ply (_) must be the last ply written"},
      {"[0/90_]2s", 3, "a middle ply (_) with a repeated symmetric layup is ambiguous"},
      {"[(0/45]", 1, "missing ) of the group"},
      {"[0]0", 3, "a count from 1 to 10000"},
      {"[(0/90)10001]", 7, "a count from 1 to 10000"},
      {"[(0/90)9000/(45)9000]3s", 21, "more than 100000 plies"},
      {"[0:]", 3, "a material name after :"},
  };
  for (const auto& c : cases) {
    std::vector<LayupPly> plies;
    LayupError error;
    EXPECT_FALSE(expand_layup(c.layup, plies, error)) << c.layup;
    EXPECT_EQ(c.offset, error.offset) << c.layup;
    EXPECT_EQ(c.message, error.message) << c.layup;
  }
}

}  // namespace
}  // namespace hs
