// The drawing steps of the take-picture pipeline that come before the overlay,
// on their own so the benchmark can time them one by one.
#pragma once

#include "picture/gdiplus_include.h"
#include "settings/settings.h"

#include <cstdint>
#include <memory>

namespace kelpo {

// A new 24-bit picture of width x height holding the frame, or the crop
// rectangle of the frame (in frame coordinates, as stored), stretched over it.
// Null when the size cannot be drawn or the bitmap cannot be made.
std::unique_ptr<Gdiplus::Bitmap> ResizeAndCrop(Gdiplus::Image& frame, const Settings& settings,
                                               std::uint32_t width, std::uint32_t height);

// Mirrors the picture left to right, then top to bottom, as the settings ask.
void FlipPicture(Gdiplus::Image& picture, const Settings& settings);

}  // namespace kelpo
