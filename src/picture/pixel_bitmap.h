// GDI+ bitmaps over pixel memory Kelpo owns. Decoded and grabbed pictures
// are kept this way so that handing the still image to a picture shares its
// rows, and a camera sample is used where it lies, instead of a redraw, a
// copy or a decode.
#pragma once

#include "picture/gdiplus_include.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace kelpo {

// Buffers up to this size are kept for the next picture; a larger image's go,
// so a huge picture does not hold several copies of itself between pictures.
constexpr std::size_t kKeptBufferLimit = 64u * 1024 * 1024;

// The rows of a bitmap: `stride` bytes apart from the top row at `firstRow`
// (negative for rows stored bottom-up).
struct PixelRows {
  std::vector<std::uint8_t> bytes;
  std::size_t firstRow = 0;
  int stride = 0;
};

// Holds the rows for the bitmap drawn over them; members are destroyed in
// reverse order, so the rows outlive the bitmap.
struct PixelRowsHolder {
  explicit PixelRowsHolder(std::shared_ptr<PixelRows> held) : rows(std::move(held)) {}
  std::shared_ptr<PixelRows> rows;
};

class PixelBitmap final : private PixelRowsHolder, public Gdiplus::Bitmap {
 public:
  PixelBitmap(std::shared_ptr<PixelRows> rows, int width, int height, Gdiplus::PixelFormat format);

  // A new bitmap over the same rows, for reading: nothing draws on a frame.
  std::unique_ptr<PixelBitmap> Share() const;

  // Whether no other bitmap reads these rows, so they may be written.
  bool Unshared() const { return rows.use_count() == 1; }
  const std::shared_ptr<PixelRows>& Rows() const { return rows; }

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
