#include "picture/pixel_format_rules.h"

#include <algorithm>

namespace kelpo {

namespace {

constexpr std::uint8_t kOpaque = 0xFF;

}  // namespace

std::size_t BytesPerPixel(RowFormat format) {
  switch (format) {
    case RowFormat::kBgr24:
      return kBgr24Bytes;
    case RowFormat::kBgrx32:
      return kBgra32Bytes;
    case RowFormat::kRgb48:
      return 6;
  }
  return kBgra32Bytes;
}

void WidenToBgra(RowFormat format, const std::uint8_t* source, std::size_t sourceStride,
                 std::uint8_t* target, std::size_t targetStride, std::uint32_t width,
                 std::uint32_t height) {
  const std::size_t step = BytesPerPixel(format);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* in = source + y * sourceStride;
    std::uint8_t* out = target + y * targetStride;
    for (std::uint32_t x = 0; x < width; ++x, in += step, out += kBgra32Bytes) {
      if (format == RowFormat::kRgb48) {
        out[0] = in[5];
        out[1] = in[3];
        out[2] = in[1];
      } else {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
      }
      out[3] = kOpaque;
    }
  }
}

void MirrorRows(std::uint8_t* rows, std::size_t stride, std::uint32_t width, std::uint32_t height,
                std::size_t bytesPerPixel, bool leftToRight, bool topToBottom) {
  if (leftToRight) {
    for (std::uint32_t y = 0; y < height; ++y) {
      std::uint8_t* left = rows + y * stride;
      std::uint8_t* right = left + (width == 0 ? 0 : (width - 1) * bytesPerPixel);
      for (; left < right; left += bytesPerPixel, right -= bytesPerPixel) {
        std::swap_ranges(left, left + bytesPerPixel, right);
      }
    }
  }
  if (topToBottom && height > 1) {
    std::uint8_t* top = rows;
    std::uint8_t* bottom = rows + (height - 1) * stride;
    const std::size_t rowBytes = width * bytesPerPixel;
    for (; top < bottom; top += stride, bottom -= stride) {
      std::swap_ranges(top, top + rowBytes, bottom);
    }
  }
}

}  // namespace kelpo
