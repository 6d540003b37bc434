// GDI+ bitmaps over pixel memory Kelpo owns. Decoded and grabbed pictures
// are kept this way so that a copy is one memory copy and a camera sample is
// used where it lies, instead of a redraw or a decode.
#pragma once

#include "picture/gdiplus_include.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kelpo {

// The rows of a bitmap: `stride` bytes apart from the row at `firstRow`
// (negative for rows stored bottom-up).
struct PixelRows {
  std::vector<std::uint8_t> bytes;
  std::size_t firstRow = 0;
  int stride = 0;
};

// Holds the rows for the bitmap drawn over them; members are destroyed in
// reverse order, so the rows outlive the bitmap.
struct PixelRowsHolder {
  explicit PixelRowsHolder(PixelRows held) : rows(std::move(held)) {}
  PixelRows rows;
};

class PixelBitmap final : private PixelRowsHolder, public Gdiplus::Bitmap {
 public:
  PixelBitmap(PixelRows rows, int width, int height, Gdiplus::PixelFormat format);

  // A new bitmap with a copy of the rows.
  std::unique_ptr<PixelBitmap> Copy() const;

 private:
  int width_;
  int height_;
  Gdiplus::PixelFormat format_;
};

// The image's pixels as a new 32-bit ARGB bitmap, converted by GDI+ the way
// drawing it unscaled onto a transparent bitmap would. Null when the image
// cannot be read (a truncated file that decoded only its header).
std::unique_ptr<PixelBitmap> CopyAsArgb(Gdiplus::Bitmap& image);

}  // namespace kelpo
