#include "capture/video_preview_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

void ExpectRect(const VideoRect& rect, std::int32_t left, std::int32_t top, std::int32_t width,
                std::int32_t height) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.width, width);
  EXPECT_EQ(rect.height, height);
}

TEST(VideoPreview, LetterboxesToTheOutputAspectCentred) {
  // Single precision, truncated: 144 / (4 / 3) comes to just under 108.
  ExpectRect(LetterboxPreview(144, 117, 320, 240), 0, 4, 144, 108);
  // Wider than the window's aspect: bars above and below; taller: at the sides.
  ExpectRect(LetterboxPreview(160, 120, 640, 240), 0, 30, 160, 60);
  ExpectRect(LetterboxPreview(160, 120, 120, 160), 35, 0, 90, 120);
  // The window's own aspect fills it exactly.
  ExpectRect(LetterboxPreview(160, 120, 640, 480), 0, 0, 160, 120);
  // An output without a size fills the window.
  ExpectRect(LetterboxPreview(160, 120, 0, 480), 0, 0, 160, 120);
}

TEST(VideoPreview, ShowsTheCropRectangleWhenCropping) {
  ExpectRect(PreviewSourceRect(false, 10, 20, 100, 50, 640, 480), 0, 0, 640, 480);
  ExpectRect(PreviewSourceRect(true, 10, 20, 100, 50, 640, 480), 10, 20, 100, 50);
  ExpectRect(PreviewSourceRect(true, 600, 20, 0, 5000, 640, 480), 600, 20, 1, 460);
  ExpectRect(PreviewSourceRect(true, 640, 0, 10, 10, 640, 480), 0, 0, 640, 480);
}

}  // namespace
}  // namespace kelpo
