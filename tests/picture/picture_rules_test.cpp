#include "picture/caption_rules.h"
#include "picture/overlay_rules.h"
#include "picture/picture_rules.h"
#include "picture/position_grid_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(OutputSize, StandardSizesCustomSizeAndFallback) {
  const std::uint32_t widths[] = {160, 320, 480, 640};
  const std::uint32_t heights[] = {120, 240, 360, 480};
  for (std::uint32_t size = 0; size < 4; ++size) {
    const PictureSize picture = OutputSizeFor(false, 1, 2, size);
    EXPECT_EQ(picture.width, widths[size]);
    EXPECT_EQ(picture.height, heights[size]);
  }
  EXPECT_EQ(OutputSizeFor(false, 1, 2, 4).width, 320u);
  EXPECT_EQ(OutputSizeFor(false, 1, 2, 0xFFFFFFFFu).height, 240u);
  // The custom size's sides are valid picture sides, however they were set.
  EXPECT_EQ(OutputSizeFor(true, 0, 7, 3).width, 1u);
  EXPECT_EQ(OutputSizeFor(true, 0, 7, 3).height, 7u);
  EXPECT_EQ(OutputSizeFor(true, 100000, 16384, 3).width, 16384u);
}

TEST(CropRule, TheCropIsCutToTheFrameOrTakesNothing) {
  using Sides = std::vector<std::uint32_t>;
  const auto cut = [](std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height) {
    const std::optional<FrameRect> kept = CropWithinFrame({x, y, width, height}, 320, 240);
    return kept ? Sides{kept->x, kept->y, kept->width, kept->height} : Sides{};
  };
  EXPECT_EQ(cut(300, 200, 100, 100), (Sides{300, 200, 20, 40}));
  EXPECT_EQ(cut(0, 0, 0, 0), (Sides{0, 0, 1, 1}));  // a zero side is one pixel
  EXPECT_EQ(cut(0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu), (Sides{0, 0, 320, 240}));
  EXPECT_EQ(cut(320, 0, 10, 10), Sides{});  // beside the frame
  EXPECT_EQ(cut(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu), Sides{});
}

TEST(OutputSize, DrawableSizesStayWithinSigned32BitBytes) {
  EXPECT_TRUE(IsDrawableSize(1, 1));
  EXPECT_TRUE(IsDrawableSize(640, 480));
  EXPECT_TRUE(IsDrawableSize(16384, 16384));
  EXPECT_FALSE(IsDrawableSize(0, 240));
  EXPECT_FALSE(IsDrawableSize(320, 0));
  EXPECT_FALSE(IsDrawableSize(32768, 16384));  // exactly 2 GiB
  EXPECT_FALSE(IsDrawableSize(0xFFFFFFFFu, 1));
  EXPECT_FALSE(IsDrawableSize(1, 0x80000000u));
}

TEST(OverlayPlacement, BestFitKeepsTheAspectAndFillsOneSide) {
  OverlayParameters parameters;
  parameters.scaleMode = kOverlayBestFit;
  parameters.position = 7;
  OverlayRect rect = PlaceOverlay(parameters, 100, 50, 320, 240);
  EXPECT_FLOAT_EQ(rect.width, 320);
  EXPECT_FLOAT_EQ(rect.height, 160);
  EXPECT_FLOAT_EQ(rect.x, 0);
  EXPECT_FLOAT_EQ(rect.y, 80);
  // A tall overlay fills the height and is enlarged as well.
  parameters.position = 5;
  rect = PlaceOverlay(parameters, 10, 20, 320, 240);
  EXPECT_FLOAT_EQ(rect.width, 120);
  EXPECT_FLOAT_EQ(rect.height, 240);
  EXPECT_FLOAT_EQ(rect.x, 200);
  EXPECT_FLOAT_EQ(rect.y, 0);
}

TEST(OverlayPlacement, NinePositionsWithoutClampingAndPercentages) {
  OverlayParameters parameters;
  const float xs[] = {0, 110, 220, 0, 110, 220, 0, 110, 220};
  const float ys[] = {0, 0, 0, 90, 90, 90, 180, 180, 180};
  for (std::uint32_t position = 0; position < 9; ++position) {
    parameters.position = position;
    const OverlayRect rect = PlaceOverlay(parameters, 100, 60, 320, 240);
    EXPECT_FLOAT_EQ(rect.x, xs[position]) << position;
    EXPECT_FLOAT_EQ(rect.y, ys[position]) << position;
  }
  parameters.position = 9;
  EXPECT_FLOAT_EQ(PlaceOverlay(parameters, 100, 60, 320, 240).x, 0);
  parameters.position = 8;
  const OverlayRect large = PlaceOverlay(parameters, 400, 300, 320, 240);
  EXPECT_FLOAT_EQ(large.x, -80);
  EXPECT_FLOAT_EQ(large.y, -60);

  parameters.scaleMode = kOverlayPercentage;
  parameters.percentX = 50;
  parameters.percentY = 0;
  const OverlayRect scaled = PlaceOverlay(parameters, 100, 60, 320, 240);
  EXPECT_FLOAT_EQ(scaled.width, 50);
  EXPECT_FLOAT_EQ(scaled.height, 0);
}

TEST(OverlayPlacement, ParametersFromSettingsAndThePreviewScale) {
  Settings settings;
  settings.overlayscalepercent = 150;
  settings.ColourKey = 0x030201;
  settings.overlaycolourkey = true;
  const OverlayParameters fromSettings = OverlayParametersFrom(settings);
  EXPECT_FLOAT_EQ(fromSettings.percentX, 150);
  EXPECT_FLOAT_EQ(fromSettings.percentY, 150);
  EXPECT_EQ(fromSettings.keyRed, 1);
  EXPECT_EQ(fromSettings.keyGreen, 2);
  EXPECT_EQ(fromSettings.keyBlue, 3);
  EXPECT_TRUE(fromSettings.colourKey);
  EXPECT_EQ(fromSettings.position, 6u);

  OverlayParameters preview;
  PreviewScale(false, false, 80, 160, 120, 320, 240, preview);  // Original Size
  EXPECT_EQ(preview.scaleMode, kOverlayPercentage);
  EXPECT_FLOAT_EQ(preview.percentX, 50);
  EXPECT_FLOAT_EQ(preview.percentY, 50);
  PreviewScale(true, true, 80, 160, 60, 320, 240, preview);  // Percentage wins
  EXPECT_FLOAT_EQ(preview.percentX, 40);
  EXPECT_FLOAT_EQ(preview.percentY, 20);
  PreviewScale(false, true, 80, 160, 60, 320, 240, preview);
  EXPECT_EQ(preview.scaleMode, kOverlayBestFit);
}

TEST(Caption, ComposesMessageDateAndTime) {
  Settings settings;
  settings.wisdom.clear();
  EXPECT_EQ(ComposeCaption(settings, L"Monday", L"12:00"), L"Monday @ 12:00");
  settings.timestamp = false;
  EXPECT_EQ(ComposeCaption(settings, L"Monday", L"12:00"), L"Monday");
  settings.datestamp = false;
  EXPECT_EQ(ComposeCaption(settings, L"Monday", L"12:00"), L"");
  settings.wisdom = L"Harbour cam\nWest pier";
  EXPECT_EQ(ComposeCaption(settings, L"Monday", L"12:00"), L"Harbour cam\nWest pier");
  settings.timestamp = true;
  EXPECT_EQ(ComposeCaption(settings, L"Monday", L"12:00"), L"Harbour cam\nWest pier\n12:00");
  // A message that begins with NUL counts as empty.
  settings.wisdom = std::wstring(1, L'\0') + L"hidden";
  EXPECT_EQ(ComposeCaption(settings, L"Monday", L"12:00"), L"12:00");
}

TEST(Caption, PlacementHintsAndColours) {
  // The caption's places are the overlay's: 3 x row + column, none above 8.
  EXPECT_EQ(GridCellFor(7)->column, GridAlign::kCenter);
  EXPECT_EQ(GridCellFor(7)->row, GridAlign::kFar);
  EXPECT_EQ(GridCellFor(5)->column, GridAlign::kFar);
  EXPECT_EQ(GridCellFor(5)->row, GridAlign::kCenter);
  EXPECT_FALSE(GridCellFor(9).has_value());
  // A caption taller than the picture starts above its top edge.
  EXPECT_FLOAT_EQ(GridOffset(GridAlign::kFar, 300, 240), -60);

  EXPECT_EQ(TextRenderingHintFor(0), kHintSingleBitPerPixelGridFit);
  EXPECT_EQ(TextRenderingHintFor(1), kHintAntiAliasGridFit);
  EXPECT_EQ(TextRenderingHintFor(2), kHintClearTypeGridFit);
  EXPECT_EQ(TextRenderingHintFor(7), kHintAntiAliasGridFit);

  Settings settings;  // background 96, 16, 16; foreground 255, 255, 128
  settings.textbackground = 0;
  EXPECT_EQ(CaptionBoxColour(settings), 0xFF601010u);
  settings.textbackground = 1;
  EXPECT_EQ(CaptionBoxColour(settings), 0x7F601010u);
  settings.textbackground = 2;
  EXPECT_EQ(CaptionBoxColour(settings), 0u);
  EXPECT_EQ(CaptionShadowColour(settings), 0xC0601010u);
  EXPECT_EQ(CaptionTextColour(settings), 0xFFFFFF80u);
}

}  // namespace
}  // namespace kelpo
