#include "picture/picture_rules.h"

#include <limits>

namespace kelpo {

namespace {

constexpr PictureSize kStandardSizes[] = {{160, 120}, {320, 240}, {480, 360}, {640, 480}};
constexpr PictureSize kDefaultSize = {320, 240};
constexpr std::uint64_t kBytesPerPixel = 4;

}  // namespace

PictureSize OutputSizeFor(bool useCustomSize, std::uint32_t customWidth, std::uint32_t customHeight,
                          std::uint32_t imagesize) {
  if (useCustomSize) return {customWidth, customHeight};
  if (imagesize < sizeof(kStandardSizes) / sizeof(kStandardSizes[0])) {
    return kStandardSizes[imagesize];
  }
  return kDefaultSize;
}

bool IsDrawableSize(std::uint32_t width, std::uint32_t height) {
  if (width == 0 || height == 0) return false;
  constexpr std::uint64_t kLimit =
      static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  const std::uint64_t stride = static_cast<std::uint64_t>(width) * kBytesPerPixel;
  return stride <= kLimit && stride * height <= kLimit;
}

}  // namespace kelpo
