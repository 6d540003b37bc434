#include "common/win32.h"

#include "picture/pixel_bitmap.h"

#include "picture/image_size_rules.h"
#include "picture/picture_rules.h"
#include "picture/pixel_format_rules.h"

#include <new>

namespace kelpo {

namespace {

BYTE* FirstRow(PixelRows& rows) { return rows.bytes.data() + rows.firstRow; }

}  // namespace

PixelBitmap::PixelBitmap(std::shared_ptr<PixelRows> rows, int width, int height,
                         Gdiplus::PixelFormat format)
    : PixelRowsHolder(std::move(rows)),
      Gdiplus::Bitmap(width, height, PixelRowsHolder::rows->stride, format,
                      FirstRow(*PixelRowsHolder::rows)),
      width_(width),
      height_(height),
      format_(format) {}

std::unique_ptr<PixelBitmap> PixelBitmap::Share() const {
  auto shared = std::make_unique<PixelBitmap>(rows, width_, height_, format_);
  if (shared->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return shared;
}

std::unique_ptr<PixelBitmap> CopyAsArgb(Gdiplus::Bitmap& image) {
  const UINT width = image.GetWidth();
  const UINT height = image.GetHeight();
  if (!IsDrawableSize(width, height) || !WithinPixelBudget(width, height)) return nullptr;
  auto rows = std::make_shared<PixelRows>();
  rows->stride = static_cast<int>(width) * static_cast<int>(kBgra32Bytes);
  try {
    rows->bytes.resize(static_cast<std::size_t>(rows->stride) * height);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  // GDI+ converts straight into our rows: no intermediate bitmap.
  Gdiplus::BitmapData data{};
  data.Width = width;
  data.Height = height;
  data.Stride = rows->stride;
  data.PixelFormat = PixelFormat32bppARGB;
  data.Scan0 = rows->bytes.data();
  const Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  if (image.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                     PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
    return nullptr;
  }
  if (image.UnlockBits(&data) != Gdiplus::Ok) return nullptr;
  auto bitmap = std::make_unique<PixelBitmap>(std::move(rows), static_cast<int>(width),
                                              static_cast<int>(height), PixelFormat32bppARGB);
  if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return bitmap;
}

}  // namespace kelpo
