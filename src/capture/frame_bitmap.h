// A camera frame as a GDI+ bitmap over the grabbed sample's own rows.
#pragma once

#include "capture/frame_file_rules.h"
#include "picture/gdiplus_include.h"
#include "picture/pixel_bitmap.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kelpo {

// The sample in `rows->bytes` as a 24-bit RGB bitmap that shares `rows` and
// reads them in place (bottom-up rows are turned top-down first). Null, rows
// untouched, for a frame that is not uncompressed 24-bit RGB or a buffer
// shorter than its rows; such a frame goes through a bitmap file.
std::unique_ptr<Gdiplus::Bitmap> FrameInPlace(const BitmapHeader& info,
                                              const std::shared_ptr<PixelRows>& rows);

}  // namespace kelpo
