// Pure rules of the take-picture pipeline: the size of every finished picture
// and the part of the frame it shows.
#pragma once

#include <cstdint>
#include <optional>

namespace kelpo {

struct PictureSize {
  std::uint32_t width;
  std::uint32_t height;
};

// The output size: the custom size, each side as a valid picture side
// (settings/settings_rules.h: PictureSide), when it is in use; otherwise the
// standard size that `imagesize` selects (160x120, 320x240, 480x360, 640x480),
// 320x240 for any other value.
PictureSize OutputSizeFor(bool useCustomSize, std::uint32_t customWidth, std::uint32_t customHeight,
                          std::uint32_t imagesize);

// Whether a picture of this size can be drawn at all: both sides non-zero and
// a 32-bit-per-pixel copy of it addressable with GDI+'s signed 32-bit strides
// and sizes. Larger sizes would overflow GDI+'s own arithmetic.
bool IsDrawableSize(std::uint32_t width, std::uint32_t height);

// A rectangle of the frame, in frame pixels.
struct FrameRect {
  std::uint32_t x;
  std::uint32_t y;
  std::uint32_t width;
  std::uint32_t height;
};

// The crop rectangle (its sides as valid picture sides) cut to the frame;
// nothing when the two do not overlap, or the frame is empty.
std::optional<FrameRect> CropWithinFrame(const FrameRect& crop, std::uint32_t frameWidth,
                                         std::uint32_t frameHeight);

}  // namespace kelpo
