#include "common/win32.h"

#include "capture/frame_bitmap.h"

#include "picture/pixel_bitmap.h"

#include <algorithm>

namespace kelpo {

std::unique_ptr<Gdiplus::Bitmap> FrameInPlace(const BitmapHeader& info,
                                              std::vector<std::uint8_t> pixels) {
  const std::optional<Rgb24Rows> layout = InPlaceRgb24Rows(info, pixels.size());
  if (!layout) return nullptr;
  auto rows = std::make_shared<PixelRows>();
  rows->bytes = std::move(pixels);
  // Bottom-up rows are turned top-down where they lie: a bitmap over a
  // negative stride hands its negative stride on to whoever locks its bits.
  if (layout->stride < 0) {
    const auto stride = static_cast<std::size_t>(-layout->stride);
    std::uint8_t* top = rows->bytes.data();
    std::uint8_t* bottom = top + layout->topRow;
    for (; top < bottom; top += stride, bottom -= stride)
      std::swap_ranges(top, top + stride, bottom);
  }
  rows->firstRow = 0;
  rows->stride = layout->stride < 0 ? -layout->stride : layout->stride;
  auto frame = std::make_unique<PixelBitmap>(std::move(rows), layout->width, layout->height,
                                             PixelFormat24bppRGB);
  if (frame->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return frame;
}

}  // namespace kelpo
