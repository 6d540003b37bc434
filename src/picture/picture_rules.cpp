#include "picture/picture_rules.h"

#include "picture/pixel_format_rules.h"
#include "settings/settings_rules.h"

#include <algorithm>
#include <limits>

namespace kelpo {

namespace {

constexpr PictureSize kStandardSizes[] = {{160, 120}, {320, 240}, {480, 360}, {640, 480}};
constexpr PictureSize kDefaultSize = {320, 240};

}  // namespace

PictureSize OutputSizeFor(bool useCustomSize, std::uint32_t customWidth, std::uint32_t customHeight,
                          std::uint32_t imagesize) {
  if (useCustomSize) return {PictureSide(customWidth), PictureSide(customHeight)};
  if (imagesize < sizeof(kStandardSizes) / sizeof(kStandardSizes[0])) {
    return kStandardSizes[imagesize];
  }
  return kDefaultSize;
}

bool IsDrawableSize(std::uint32_t width, std::uint32_t height) {
  if (width == 0 || height == 0) return false;
  constexpr std::uint64_t kLimit =
      static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  const std::uint64_t stride = static_cast<std::uint64_t>(width) * kBgra32Bytes;
  return stride <= kLimit && stride * height <= kLimit;
}

std::optional<FrameRect> CropWithinFrame(const FrameRect& crop, std::uint32_t frameWidth,
                                         std::uint32_t frameHeight) {
  // In 64 bits, so no edge wraps around.
  const std::uint64_t right = std::uint64_t{crop.x} + PictureSide(crop.width);
  const std::uint64_t bottom = std::uint64_t{crop.y} + PictureSide(crop.height);
  const std::uint64_t clippedRight = std::min<std::uint64_t>(right, frameWidth);
  const std::uint64_t clippedBottom = std::min<std::uint64_t>(bottom, frameHeight);
  if (crop.x >= clippedRight || crop.y >= clippedBottom) return std::nullopt;
  return FrameRect{crop.x, crop.y, static_cast<std::uint32_t>(clippedRight - crop.x),
                   static_cast<std::uint32_t>(clippedBottom - crop.y)};
}

}  // namespace kelpo
