// Pure rules of the formats a camera sends: which one a frame is, which of
// several Kelpo would rather take, and the conversion of an uncompressed
// frame into the 24-bit BGR rows, top row first, that the picture is made of.
#pragma once

#include "capture/frame_file_rules.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kelpo {

enum class FrameFormat { kRgb24, kRgb32, kYuy2, kUyvy, kNv12, kI420, kMjpg, kUnknown };

// From the format block's bitmap header (biCompression FOURCC / BI_RGB+bit count);
// IYUV is I420; BI_BITFIELDS 32-bit is RGB32.
FrameFormat FrameFormatOf(const BitmapHeader& header);

// Lower is preferred when a camera offers several formats at the capture size:
// RGB24/RGB32 first, then YUY2/UYVY/NV12/I420, then MJPG; nothing for a format
// Kelpo cannot convert.
std::optional<int> FormatPreference(FrameFormat format);

// The bytes between two rows of 24-bit BGR pixels: padded to 4 bytes, as GDI+
// and a DIB keep them.
std::size_t Bgr24Stride(std::uint32_t width);

// How an uncompressed frame lies in its sample. RGB rows are padded to 4
// bytes and stored bottom-up unless the header's height is negative; YUV is
// always stored top-down, in rows of the width rounded up to even (a 4:2:2
// pair or a 4:2:0 block never splits), the chroma of 4:2:0 formats covering
// two rows each, an odd last row alone.
struct FrameLayout {
  FrameFormat format = FrameFormat::kUnknown;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool bottomUp = false;
  std::size_t stride = 0;        // of RGB rows, packed YUV rows or the luma plane
  std::uint64_t sampleSize = 0;  // the bytes a whole frame takes
};

// Nothing for a compressed or unknown format, or a header without a picture.
std::optional<FrameLayout> UncompressedLayout(const BitmapHeader& header);

// Writes the frame's pixels as `layout.height` top-down rows of 24-bit BGR,
// `targetStride` bytes apart, from `sample` (`size` bytes). YUV is read by
// BT.601 limited range. False, target untouched, when the sample is shorter
// than the layout says.
bool ConvertToBgr24(const FrameLayout& layout, const std::uint8_t* sample, std::size_t size,
                    std::uint8_t* target, std::size_t targetStride);

// The BT.601 limited-range colour of one pixel, integer-rounded and clamped,
// both ways, so that a camera's frames and Kelpo's reading of them agree.
struct Yuv {
  std::uint8_t y = 0;
  std::uint8_t u = 0;
  std::uint8_t v = 0;
};
struct Bgr {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
};
Yuv YuvOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
Bgr BgrOf(std::uint8_t y, std::uint8_t u, std::uint8_t v);

}  // namespace kelpo
