// A camera sample in whatever format the camera sends, as the 24-bit RGB
// picture the pipeline works on.
#pragma once

#include "capture/frame_file_rules.h"
#include "picture/gdiplus_include.h"
#include "picture/pixel_bitmap.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kelpo {

// The camera sample `sample` (`size` bytes, of the connected format `header`) as a
// 24-bit RGB bitmap over `rows`, which are reused from frame to frame; null when the
// sample gives no picture (a format Kelpo does not convert, a sample shorter than
// its format says, an MJPG frame that does not decode).
std::unique_ptr<Gdiplus::Bitmap> FrameFromSample(const BitmapHeader& header,
                                                 const std::uint8_t* sample, std::size_t size,
                                                 const std::shared_ptr<PixelRows>& rows);

}  // namespace kelpo
