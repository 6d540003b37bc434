#include "common/dpi_rules.h"

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

TEST(DpiRules, KeepsAWindowOnTheScreenCaptionFirst) {
  const DpiRect screen{0, 0, 1280, 1000};
  const DpiRect low = KeepWithin({355, 348, 1260, 1047}, screen);
  EXPECT_EQ(low.top, 301);
  EXPECT_EQ(low.left, 355);
  EXPECT_EQ(KeepWithin({-50, 10, 1350, 1100}, screen).left, 0);
  EXPECT_EQ(KeepWithin({-50, 10, 1350, 1100}, screen).top, 0);
}

}  // namespace
}  // namespace kelpo
