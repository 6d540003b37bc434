#include "common/win32.h"

#include "capture/frame_bitmap.h"

#include "picture/pixel_bitmap.h"

namespace kelpo {

std::unique_ptr<Gdiplus::Bitmap> FrameInPlace(const BitmapHeader& info,
                                              std::vector<std::uint8_t> pixels) {
  const std::optional<Rgb24Rows> layout = InPlaceRgb24Rows(info, pixels.size());
  if (!layout) return nullptr;
  auto rows = std::make_shared<PixelRows>();
  rows->bytes = std::move(pixels);
  rows->firstRow = static_cast<std::size_t>(layout->topRow);
  rows->stride = layout->stride;
  auto frame = std::make_unique<PixelBitmap>(std::move(rows), layout->width, layout->height,
                                             PixelFormat24bppRGB);
  if (frame->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return frame;
}

}  // namespace kelpo
