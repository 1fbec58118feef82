#include "control/putout.hpp"

#include <gtest/gtest.h>

namespace hs {
namespace {

TEST(Putout, Placeholder) {
  State st{};
  EXPECT_EQ(0.0, putout(st, 1));
}

}  // namespace
}  // namespace hs
