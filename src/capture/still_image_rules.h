// Pure rule of the still-image source: the size of its preview.
#pragma once

#include <cstdint>

namespace kelpo {

struct FittedSize {
  std::uint32_t width;
  std::uint32_t height;
};

// The image's aspect ratio fitted into a control of controlWidth x
// controlHeight, single precision, truncated toward zero. A zero-sized image
// fits as zero.
FittedSize FitStillPreview(std::uint32_t controlWidth, std::uint32_t controlHeight,
                           std::uint32_t imageWidth, std::uint32_t imageHeight);

}  // namespace kelpo
