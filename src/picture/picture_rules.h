// Pure rules of the take-picture pipeline: the size of every finished picture.
#pragma once

#include <cstdint>

namespace kelpo {

struct PictureSize {
  std::uint32_t width;
  std::uint32_t height;
};

// The output size: the custom size as stored when it is in use, otherwise the
// standard size that `imagesize` selects (160x120, 320x240, 480x360, 640x480),
// 320x240 for any other value.
PictureSize OutputSizeFor(bool useCustomSize, std::uint32_t customWidth, std::uint32_t customHeight,
                          std::uint32_t imagesize);

// Whether a picture of this size can be drawn at all: both sides non-zero and
// a 32-bit-per-pixel copy of it addressable with GDI+'s signed 32-bit strides
// and sizes. Larger sizes would overflow GDI+'s own arithmetic.
bool IsDrawableSize(std::uint32_t width, std::uint32_t height);

}  // namespace kelpo
