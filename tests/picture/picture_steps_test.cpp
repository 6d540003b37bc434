#include "picture/gdiplus_session.h"
#include "picture/picture_steps.h"
#include "picture/picture_test_support.h"

namespace kelpo {
namespace {

using test::kBlue;
using test::kGreen;
using test::kRed;
using test::kYellow;

class PictureSteps : public ::testing::Test {
 protected:
  GdiplusSession gdiplus;  // GDI+ for the test's lifetime
  Settings settings;
};

TEST_F(PictureSteps, ResizesToEveryOutputSize) {
  auto frame = test::QuadrantBitmap(200, 100);
  for (const auto& [width, height] :
       {std::pair{160u, 120u}, {320u, 240u}, {480u, 360u}, {640u, 480u}, {1u, 1u}, {333u, 17u}}) {
    auto picture = ResizeAndCrop(*frame, settings, width, height);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetWidth(), width);
    EXPECT_EQ(picture->GetHeight(), height);
    EXPECT_EQ(picture->GetPixelFormat(), PixelFormat24bppRGB);
  }
  // The aspect ratio is not kept: the four quadrants fill the four quarters.
  auto picture = ResizeAndCrop(*frame, settings, 320, 240);
  EXPECT_PIXEL(*picture, 10, 10, kRed);
  EXPECT_PIXEL(*picture, 310, 10, kGreen);
  EXPECT_PIXEL(*picture, 10, 230, kBlue);
  EXPECT_PIXEL(*picture, 310, 230, kYellow);
}

TEST_F(PictureSteps, EnlargedFramesKeepTheirEdgesAndAFrameThatCannotBeDrawnMakesNoPicture) {
  // Sampled past its edges as black, an enlarged frame would darken there.
  auto small = test::SolidBitmap(64, 48, kRed);
  auto picture = ResizeAndCrop(*small, settings, 640, 480);
  ASSERT_NE(picture, nullptr);
  EXPECT_PIXEL(*picture, 639, 479, kRed);
  picture = ResizeAndCrop(*test::QuadrantBitmap(2, 2), settings, 320, 240);
  EXPECT_PIXEL(*picture, 0, 0, kRed);
  EXPECT_PIXEL(*picture, 319, 239, kYellow);

  // A frame whose pixels another holds locked cannot be drawn.
  const Gdiplus::Rect all(0, 0, 64, 48);
  Gdiplus::BitmapData data{};
  ASSERT_EQ(small->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data),
            Gdiplus::Ok);
  EXPECT_EQ(ResizeAndCrop(*small, settings, 320, 240), nullptr);
  (void)small->UnlockBits(&data);
}

TEST_F(PictureSteps, RefusesSizesItCannotDraw) {
  auto frame = test::QuadrantBitmap(20, 20);
  EXPECT_EQ(ResizeAndCrop(*frame, settings, 0, 240), nullptr);
  EXPECT_EQ(ResizeAndCrop(*frame, settings, 320, 0), nullptr);
  EXPECT_EQ(ResizeAndCrop(*frame, settings, 100000, 100000), nullptr);
  // One row more than the pixel budget, though GDI+ could hold it.
  EXPECT_EQ(ResizeAndCrop(*frame, settings, 8192, 4097), nullptr);
  EXPECT_EQ(ResizeAndCrop(*frame, settings, 0xFFFFFFFFu, 2), nullptr);
}

TEST_F(PictureSteps, CropsInFrameCoordinatesBeforeTheFlips) {
  auto frame = test::QuadrantBitmap(400, 200);
  settings.CropEnable = true;
  settings.CropX = 0;  // the left half: red over blue
  settings.CropY = 0;
  settings.CropWidth = 200;
  settings.CropHeight = 200;
  settings.fliphorizontal = true;
  auto picture = ResizeAndCrop(*frame, settings, 320, 240);
  ASSERT_NE(picture, nullptr);
  FlipPicture(*picture, settings);
  // Flipping first would have brought green and yellow into the crop.
  EXPECT_PIXEL(*picture, 10, 10, kRed);
  EXPECT_PIXEL(*picture, 310, 10, kRed);
  EXPECT_PIXEL(*picture, 10, 230, kBlue);
  EXPECT_PIXEL(*picture, 310, 230, kBlue);

  // The lower-right quarter only, mirrored top to bottom: still all yellow.
  settings.CropX = 200;
  settings.CropY = 100;
  settings.CropWidth = 5000;
  settings.CropHeight = 5000;
  settings.fliphorizontal = false;
  settings.flipvertical = true;
  picture = ResizeAndCrop(*frame, settings, 160, 120);
  FlipPicture(*picture, settings);
  EXPECT_PIXEL(*picture, 5, 5, kYellow);
  EXPECT_PIXEL(*picture, 155, 115, kYellow);
}

TEST_F(PictureSteps, EachFlipMirrorsOneAxisAndBothMakeAHalfTurn) {
  auto frame = test::QuadrantBitmap(320, 240);
  auto corners = [](Gdiplus::Bitmap& picture, Gdiplus::Color ul, Gdiplus::Color ur,
                    Gdiplus::Color ll, Gdiplus::Color lr) {
    EXPECT_PIXEL(picture, 10, 10, ul);
    EXPECT_PIXEL(picture, 310, 10, ur);
    EXPECT_PIXEL(picture, 10, 230, ll);
    EXPECT_PIXEL(picture, 310, 230, lr);
  };
  settings.fliphorizontal = true;
  auto picture = ResizeAndCrop(*frame, settings, 320, 240);
  FlipPicture(*picture, settings);
  corners(*picture, kGreen, kRed, kYellow, kBlue);

  settings.fliphorizontal = false;
  settings.flipvertical = true;
  picture = ResizeAndCrop(*frame, settings, 320, 240);
  FlipPicture(*picture, settings);
  corners(*picture, kBlue, kYellow, kRed, kGreen);

  settings.fliphorizontal = true;
  picture = ResizeAndCrop(*frame, settings, 320, 240);
  FlipPicture(*picture, settings);
  corners(*picture, kYellow, kBlue, kGreen, kRed);
}

}  // namespace
}  // namespace kelpo
