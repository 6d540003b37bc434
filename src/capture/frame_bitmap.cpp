#include "common/win32.h"

#include "capture/frame_bitmap.h"

#include "picture/pixel_bitmap.h"
#include "picture/pixel_format_rules.h"

namespace kelpo {

std::unique_ptr<Gdiplus::Bitmap> FrameInPlace(const BitmapHeader& info,
                                              const std::shared_ptr<PixelRows>& rows) {
  const std::optional<Rgb24Rows> layout = InPlaceRgb24Rows(info, rows->bytes.size());
  if (!layout) return nullptr;
  rows->firstRow = 0;
  rows->stride = layout->stride < 0 ? -layout->stride : layout->stride;
  auto frame =
      std::make_unique<PixelBitmap>(rows, layout->width, layout->height, PixelFormat24bppRGB);
  if (frame->GetLastStatus() != Gdiplus::Ok) return nullptr;
  // Bottom-up rows are turned top-down where they lie (a bitmap over a
  // negative stride hands it on to whoever locks its bits); the bitmap reads
  // nothing before it is drawn.
  if (layout->stride < 0) {
    MirrorRows(rows->bytes.data(), static_cast<std::size_t>(rows->stride),
               static_cast<std::uint32_t>(layout->width),
               static_cast<std::uint32_t>(layout->height), kBgr24Bytes, false, true);
  }
  return frame;
}

}  // namespace kelpo
