#include "capture/still_image_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(StillPreview, FitsTheImageAspectIntoTheControl) {
  const FittedSize wide = FitStillPreview(128, 96, 200, 100);
  EXPECT_EQ(wide.width, 128u);
  EXPECT_EQ(wide.height, 64u);
  const FittedSize tall = FitStillPreview(128, 96, 100, 200);
  EXPECT_EQ(tall.width, 48u);
  EXPECT_EQ(tall.height, 96u);
  // Equal aspect takes the full height branch and fills the control.
  const FittedSize same = FitStillPreview(128, 96, 640, 480);
  EXPECT_EQ(same.width, 128u);
  EXPECT_EQ(same.height, 96u);
  // Truncated toward zero.
  EXPECT_EQ(FitStillPreview(100, 100, 3, 1).height, 33u);
  EXPECT_EQ(FitStillPreview(100, 100, 0, 10).width, 0u);
}

TEST(StillImageTrouble, OnlyAMomentaryOneKeepsTheLastImageAndOnlyForAMoment) {
  EXPECT_TRUE(LastImageStandsIn(StillFileTrouble::kMomentary, kMomentaryTroubleBound - 1));
  EXPECT_FALSE(LastImageStandsIn(StillFileTrouble::kMomentary, kMomentaryTroubleBound));
  EXPECT_FALSE(LastImageStandsIn(StillFileTrouble::kGone, 0));
}

}  // namespace
}  // namespace kelpo
