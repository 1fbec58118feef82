#include "model/output_cases.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hs {
namespace {

// Catches a case taken as selected when a later one is, a stage that runs only for its own case
// rather than for every later one too, a zero entry or a number beyond the cases taken for a
// case, and entries past the first few not looked at. Per case 1 to 10: 'P' selected (it prints),
// 'r' needed by a later case (it runs), '.' neither.
TEST(CaseList, SelectedAndNeeded) {
  const struct {
    std::vector<int> list;
    const char* expected;
  } table[] = {
      // clang-format off
      {{3, 9}, "rrPrrrrrP."}, {{}, ".........."}, {{12}, "rrrrrrrrrr"}, {{-1, 0}, ".........."},
      {{5, 1}, "PrrrP....."}, {{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10}, "rPrrrrrrrP"},
      // clang-format on
  };
  for (const auto& t : table) {
    CaseList cases{};
    for (size_t k = 0; k < t.list.size(); ++k) cases.entries[k] = t.list[k];
    std::string got;
    for (int c = 1; c <= 10; ++c) {
      OutputCase oc = static_cast<OutputCase>(c);
      got += cases.selected(oc) ? (cases.needs(oc) ? 'P' : '?') : (cases.needs(oc) ? 'r' : '.');
    }
    EXPECT_EQ(t.expected, got) << t.list.size();
  }
}

}  // namespace
}  // namespace hs
