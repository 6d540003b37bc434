#include "app/status_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(CaptureTimerPeriod, ScalesByUnitAsUnsigned32BitProduct) {
  EXPECT_EQ(CaptureTimerPeriod(5, 0), 5000u);
  EXPECT_EQ(CaptureTimerPeriod(5, 1), 300000u);
  EXPECT_EQ(CaptureTimerPeriod(999, 2), 3596400000u);
  // Any other unit counts as seconds.
  EXPECT_EQ(CaptureTimerPeriod(7, 3), 7000u);
}

}  // namespace
}  // namespace kelpo
