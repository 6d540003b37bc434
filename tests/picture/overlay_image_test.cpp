#include "picture/gdiplus_session.h"
#include "picture/overlay_file.h"
#include "picture/overlay_image.h"
#include "picture/picture_test_support.h"

namespace kelpo {
namespace {

using test::kBlack;
using test::kBlue;
using test::kGreen;
using test::kRed;
using test::kYellow;

class Overlay : public ::testing::Test {
 protected:
  GdiplusSession gdiplus;  // GDI+ for the test's lifetime
  test::ScratchFolder folder;
  std::unique_ptr<Gdiplus::Bitmap> target =
      test::SolidBitmap(320, 240, kBlack, PixelFormat24bppRGB);
  OverlayParameters parameters;

  int CountNotBlack() {
    int count = 0;
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) {
        if (!test::Near(test::PixelAt(*target, x, y), kBlack, 8)) ++count;
      }
    }
    return count;
  }
};

TEST_F(Overlay, BestFitFillsOneSideAtItsPosition) {
  const std::wstring file = folder.File(L"wide.png");
  test::SavePng(*test::SolidBitmap(100, 50, kRed), file);
  parameters.scaleMode = kOverlayBestFit;
  parameters.position = 7;
  DrawOverlay(*target, nullptr, file, false, parameters);
  // 320 x 160 at (0, 80): the lower two thirds. Wine's GDI+ resamples the
  // half-pixel source inset one pixel down and right, so the edge rows and
  // columns are checked only for not spilling outside the rectangle.
  int aboveCount = 0;
  int insideRed = 0;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const Gdiplus::Color pixel = test::PixelAt(*target, x, y);
      if (y < 80 && !test::Near(pixel, kBlack, 8)) ++aboveCount;
      if (y >= 81 && y <= 238 && x <= 318 && test::Near(pixel, kRed, 60)) ++insideRed;
    }
  }
  EXPECT_EQ(aboveCount, 0);
  EXPECT_EQ(insideRed, 319 * 158);
  EXPECT_GE(CountNotBlack(), 319 * 159);
  EXPECT_LE(CountNotBlack(), 320 * 160);
}

TEST_F(Overlay, OpacityZeroDrawsNothingEvenWithTheColourKey) {
  auto overlay = test::SolidBitmap(100, 50, kRed);
  parameters.opacity = 0;
  parameters.colourKey = true;
  parameters.keyRed = 0;
  parameters.keyGreen = 255;
  parameters.keyBlue = 0;
  DrawOverlay(*target, overlay.get(), L"", false, parameters);
  EXPECT_EQ(CountNotBlack(), 0);

  // Half opacity blends the overlay with what lies beneath.
  parameters.opacity = 50;
  parameters.colourKey = false;
  DrawOverlay(*target, overlay.get(), L"", false, parameters);
  const Gdiplus::Color blended = test::PixelAt(*target, 50, 215);
  EXPECT_GT(blended.GetR(), 90);
  EXPECT_LT(blended.GetR(), 200);
}

TEST_F(Overlay, KeyColourGoesTransparentWhateverItsAlpha) {
  auto overlay = test::SolidBitmap(100, 100, kRed);
  {
    Gdiplus::Graphics graphics(overlay.get());
    (void)graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    Gdiplus::SolidBrush halfGreen(Gdiplus::Color(128, 0, 255, 0));
    Gdiplus::SolidBrush opaqueGreen(kGreen);
    (void)graphics.FillRectangle(&halfGreen, 0, 0, 50, 100);
    (void)graphics.FillRectangle(&opaqueGreen, 50, 0, 25, 100);
  }
  const std::wstring file = folder.File(L"keyed.png");
  test::SavePng(*overlay, file);
  parameters.colourKey = true;
  parameters.keyRed = 0;
  parameters.keyGreen = 255;
  parameters.keyBlue = 0;
  parameters.position = 0;
  DrawOverlay(*target, nullptr, file, false, parameters);
  EXPECT_PIXEL(*target, 10, 50, kBlack);
  EXPECT_PIXEL(*target, 60, 50, kBlack);
  EXPECT_PIXEL(*target, 90, 50, kRed);
  EXPECT_PIXEL(*target, 150, 50, kBlack);
}

TEST_F(Overlay, OriginalSizeLargerThanThePictureShowsItsLowerRightPart) {
  auto overlay = test::QuadrantBitmap(400, 300);  // quadrants split at (200, 150)
  parameters.scaleMode = kOverlayOriginalSize;
  parameters.position = 8;  // at (-80, -60)
  DrawOverlay(*target, overlay.get(), L"", false, parameters);
  EXPECT_PIXEL(*target, 2, 2, kRed);
  EXPECT_PIXEL(*target, 100, 70, kRed);
  EXPECT_PIXEL(*target, 200, 50, kGreen);
  EXPECT_PIXEL(*target, 50, 150, kBlue);
  EXPECT_PIXEL(*target, 150, 120, kYellow);
  EXPECT_PIXEL(*target, 317, 237, kYellow);
}

TEST_F(Overlay, PercentageScalesEachAxis) {
  auto overlay = test::SolidBitmap(100, 100, kRed);
  parameters.scaleMode = kOverlayPercentage;
  parameters.percentX = 50;
  parameters.percentY = 200;
  parameters.position = 4;  // 50 x 200 at (135, 20)
  DrawOverlay(*target, overlay.get(), L"", true, parameters);
  EXPECT_PIXEL(*target, 160, 25, kRed);
  EXPECT_PIXEL(*target, 160, 215, kRed);
  EXPECT_PIXEL(*target, 160, 10, kBlack);
  EXPECT_PIXEL(*target, 160, 230, kBlack);
  EXPECT_PIXEL(*target, 130, 120, kBlack);
  EXPECT_PIXEL(*target, 190, 120, kBlack);

  parameters.percentX = 0;
  auto clean = test::SolidBitmap(320, 240, kBlack, PixelFormat24bppRGB);
  target = std::move(clean);
  DrawOverlay(*target, overlay.get(), L"", false, parameters);
  EXPECT_EQ(CountNotBlack(), 0);
}

TEST_F(Overlay, UnusableFilesDrawNothing) {
  const std::wstring good = folder.File(L"good.png");
  test::SavePng(*test::SolidBitmap(64, 64, kRed), good);
  const std::vector<char> bytes = test::FileBytes(good);
  ASSERT_GT(bytes.size(), 40u);
  test::WriteBytes(folder.File(L"empty.png"), {});
  test::WriteBytes(folder.File(L"truncated.png"),
                   std::vector<char>(bytes.begin(), bytes.begin() + bytes.size() / 2));
  test::WriteBytes(folder.File(L"text.png"), {'h', 'e', 'l', 'l', 'o'});
  parameters.scaleMode = kOverlayBestFit;
  for (const wchar_t* name : {L"missing.png", L"empty.png", L"truncated.png", L"text.png"}) {
    DrawOverlay(*target, nullptr, folder.File(name), false, parameters);
  }
  DrawOverlay(*target, nullptr, L"", false, parameters);
  EXPECT_EQ(CountNotBlack(), 0);
}

TEST_F(Overlay, KeptOverlayFollowsItsFileFromPictureToPicture) {
  const std::wstring file = folder.File(L"logo.png");
  test::SavePng(*test::SolidBitmap(64, 64, kRed), file);
  OverlayFile overlay;
  Gdiplus::Bitmap* red = overlay.Current(file);
  ASSERT_NE(red, nullptr);
  EXPECT_PIXEL(*red, 10, 10, kRed);
  // Unchanged: the overlay decoded before, with a mark no new decode has.
  const Gdiplus::Color mark(255, 1, 2, 3);
  ASSERT_EQ(red->SetPixel(0, 0, mark), Gdiplus::Ok);
  Gdiplus::Bitmap* again = overlay.Current(file);
  ASSERT_NE(again, nullptr);
  EXPECT_PIXEL(*again, 0, 0, mark);

  // Replaced by a picture of the same size: the next picture shows it.
  test::SavePng(*test::SolidBitmap(64, 64, kGreen), file);
  Gdiplus::Bitmap* green = overlay.Current(file);
  ASSERT_NE(green, nullptr);
  EXPECT_PIXEL(*green, 10, 10, kGreen);

  // Gone, or damaged: no overlay, and none from before.
  ASSERT_TRUE(::DeleteFileW(file.c_str()));
  EXPECT_EQ(overlay.Current(file), nullptr);
  test::SavePng(*test::SolidBitmap(64, 64, kBlue), file);
  Gdiplus::Bitmap* blue = overlay.Current(file);
  ASSERT_NE(blue, nullptr);
  EXPECT_PIXEL(*blue, 10, 10, kBlue);
  std::vector<char> damaged = test::FileBytes(file);
  damaged.resize(damaged.size() / 2);
  test::WriteBytes(file, damaged);
  EXPECT_EQ(overlay.Current(file), nullptr);
}

}  // namespace
}  // namespace kelpo
