// A camera frame as a GDI+ bitmap over the grabbed sample's own rows.
#pragma once

#include "capture/frame_file_rules.h"
#include "picture/gdiplus_include.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kelpo {

// The sample as a 24-bit RGB bitmap that keeps `pixels` and reads its rows in
// place. Null for a frame that is not uncompressed 24-bit RGB, or a buffer
// shorter than its rows; such a frame goes through a bitmap file.
std::unique_ptr<Gdiplus::Bitmap> FrameInPlace(const BitmapHeader& info,
                                              std::vector<std::uint8_t> pixels);

}  // namespace kelpo
