#include "app/dpi_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(DpiRules, RoundsHalfAwayFromZeroAndKeepsNeighboursTouching) {
  EXPECT_EQ(ScaleToDpi(-11, 96, 144), -17);  // -16.5
  EXPECT_EQ(ScaleToDpi(17, 144, 96), 11);    // 11.33
  EXPECT_EQ(ScaleToDpi(5, 0, 144), 5);
  // Widths of 10 at 96 become 12 and 13 at 120, and still meet.
  const DpiRect left = ScaleToDpi(DpiRect{3, 0, 13, 10}, 96, 120);
  const DpiRect right = ScaleToDpi(DpiRect{13, 0, 23, 10}, 96, 120);
  EXPECT_EQ(left.right - left.left, 12);
  EXPECT_EQ(right.left, left.right);
  EXPECT_EQ(right.right - right.left, 13);
}

}  // namespace
}  // namespace kelpo
