#include "picture/gdiplus_session.h"
#include "picture/picture_test_support.h"
#include "picture/text_stamp.h"

namespace kelpo {
namespace {

using test::kBlack;

const Gdiplus::Color kBoxBlue(255, 0, 0, 255);
const Gdiplus::Color kTextYellow(255, 255, 255, 0);

struct Extent {
  int left = 100000, top = 100000, right = -1, bottom = -1, count = 0;
};

class TextStamp : public ::testing::Test {
 protected:
  TextStamp() {
    settings.wisdom = L"Kelpo";
    settings.datestamp = false;
    settings.timestamp = false;
    settings.textbackground = 0;
    settings.dropshadow = false;
    settings.Background = 0xFF0000;  // blue, red in the low byte
    settings.Foreground = 0x00FFFF;  // yellow
    settings.fontsize = 20;
  }

  // Where pixels of exactly one colour lie.
  Extent Find(Gdiplus::Color colour) {
    Extent extent;
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) {
        if (!test::Near(test::PixelAt(*picture, x, y), colour, 2)) continue;
        extent.left = std::min(extent.left, x);
        extent.right = std::max(extent.right, x);
        extent.top = std::min(extent.top, y);
        extent.bottom = std::max(extent.bottom, y);
        ++extent.count;
      }
    }
    return extent;
  }

  void Draw() { DrawCaption(*picture, settings, 320, 240, L"Kelpo\nLine two"); }

  GdiplusSession gdiplus;  // GDI+ for the test's lifetime
  Settings settings;
  std::unique_ptr<Gdiplus::Bitmap> picture =
      test::SolidBitmap(320, 240, kBlack, PixelFormat24bppRGB);
};

TEST_F(TextStamp, BoxSitsAtTheBottomCentreForPositionSeven) {
  settings.textposition = 7;
  Draw();
  const Extent box = Find(kBoxBlue);
  ASSERT_GT(box.count, 0);
  EXPECT_EQ(box.bottom, 239);
  EXPECT_GT(box.top, 160);
  EXPECT_NEAR((box.left + box.right) / 2.0, 159.5, 1.5);
  EXPECT_GT(Find(kTextYellow).count, 0);
}

TEST_F(TextStamp, BoxIsCentredBothWaysForPositionFour) {
  settings.textposition = 4;
  Draw();
  const Extent box = Find(kBoxBlue);
  ASSERT_GT(box.count, 0);
  EXPECT_NEAR((box.left + box.right) / 2.0, 159.5, 1.5);
  EXPECT_NEAR((box.top + box.bottom) / 2.0, 119.5, 1.5);
}

TEST_F(TextStamp, PlacesTheBoxByRowAndColumn) {
  settings.textposition = 0;
  Draw();
  Extent box = Find(kBoxBlue);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);

  picture = test::SolidBitmap(320, 240, kBlack, PixelFormat24bppRGB);
  settings.textposition = 5;
  Draw();
  box = Find(kBoxBlue);
  EXPECT_EQ(box.right, 319);
  EXPECT_NEAR((box.top + box.bottom) / 2.0, 119.5, 1.5);
}

TEST_F(TextStamp, NoBoxForStyleTwoButTheShadowInTheBackgroundColour) {
  settings.textposition = 4;
  settings.textbackground = 2;
  Draw();
  EXPECT_EQ(Find(kBoxBlue).count, 0);
  EXPECT_GT(Find(kTextYellow).count, 0);

  // The shadow: background colour at alpha 192 over black.
  picture = test::SolidBitmap(320, 240, kBlack, PixelFormat24bppRGB);
  settings.dropshadow = true;
  Draw();
  EXPECT_GT(Find(Gdiplus::Color(255, 0, 0, 192)).count, 0);
  EXPECT_EQ(Find(kBoxBlue).count, 0);
}

TEST_F(TextStamp, TranslucentBoxBlendsAtHalfStrength) {
  settings.textposition = 1;
  settings.textbackground = 1;
  Draw();
  EXPECT_GT(Find(Gdiplus::Color(255, 0, 0, 127)).count, 100);
  EXPECT_EQ(Find(kBoxBlue).count, 0);
}

TEST_F(TextStamp, EmptyCaptionLeavesThePictureUntouched) {
  settings.wisdom.clear();
  DrawTextStamp(*picture, settings, 320, 240);
  EXPECT_EQ(Find(kBlack).count, 320 * 240);

  // With the date on, today's date is stamped.
  settings.datestamp = true;
  DrawTextStamp(*picture, settings, 320, 240);
  EXPECT_GT(Find(kTextYellow).count, 0);
}

TEST_F(TextStamp, MissingFontFallsBackToSansSerif) {
  settings.fontname = L"No Such Family Anywhere";
  settings.textbackground = 2;
  Draw();
  EXPECT_GT(Find(kTextYellow).count, 20);
  const std::unique_ptr<Gdiplus::FontFamily> family = CaptionFontFamily(settings.fontname);
  ASSERT_NE(family, nullptr);
  EXPECT_EQ(family->GetLastStatus(), Gdiplus::Ok);
}

}  // namespace
}  // namespace kelpo
