#include "control/putout.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace hs {
namespace {

struct Calls {
  std::vector<int> list;       // selected cases; the other entries are 0
  std::vector<int> n;          // stages asked about, in this order, on one state
  std::vector<double> result;  // expected answer to each
};

// Catches a wrong answer for a stage (print, run silently, end of the chain) and a quiet flag
// that is not kept from call to call, or that silences the case-10 table.
TEST(Putout, AnswersForSelectedCases) {
  const Calls table[] = {
      {{3, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 1, 2, 1, 1, 1, 1, 1, 2, 0}},
      {{}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {{12}, {1, 2, 9, 10, 11, 12, 13}, {1, 1, 1, 1, 1, 2, 0}},
      {{2, 0, 0, 0, 0, 0, 0, 0, 0, 10}, {2, 3, 10, 11}, {2, 1, 2, 0}},
      {{9, 10}, {99, 9, 10, 3, 9, 98, 9, 10}, {0, 0.5, 2, 0.5, 0.5, 0, 2, 2}},
      {{2}, {99, 5, 1, 98, 5}, {0, 0.5, 0.5, 0, 0}},
      {{99}, {99, 98, 100}, {2, 1, 0}},
      {{100}, {99, 9}, {1, 0.5}},
  };
  for (const Calls& c : table) {
    State st{};
    for (std::size_t k = 0; k < c.list.size(); ++k) st.two.LIST[k] = c.list[k];
    for (std::size_t k = 0; k < c.n.size(); ++k) {
      EXPECT_EQ(c.result[k], putout(st, c.n[k])) << "call " << k + 1 << ": n = " << c.n[k];
    }
  }
}

}  // namespace
}  // namespace hs
