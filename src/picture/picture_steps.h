// The drawing steps of the take-picture pipeline that come before the overlay,
// on their own so the benchmark can time them one by one.
#pragma once

#include "picture/gdiplus_include.h"
#include "settings/settings.h"

#include <cstdint>
#include <memory>

namespace kelpo {

// A new 24-bit picture of width x height holding the frame, or the crop
// rectangle of the frame (in frame coordinates, cut to the frame), stretched
// over it. Null when the size cannot be drawn, the bitmap cannot be made or
// the crop lies beside the frame. A
// `lastPicture` of that size is cleared, as a new bitmap is, and drawn on
// again: fresh memory of a picture's size costs more than clearing it.
std::unique_ptr<Gdiplus::Bitmap> ResizeAndCrop(
    Gdiplus::Image& frame, const Settings& settings, std::uint32_t width, std::uint32_t height,
    std::unique_ptr<Gdiplus::Bitmap> lastPicture = nullptr);

// Whether the frame keeps any of the crop rectangle (always, when cropping is off).
bool CropOverlapsFrame(Gdiplus::Image& frame, const Settings& settings);

// The finished picture to clear and draw the next one on, or null when it is
// too large to hold on to between pictures.
std::unique_ptr<Gdiplus::Bitmap> KeptForNextPicture(std::unique_ptr<Gdiplus::Bitmap> picture);

// Mirrors the picture left to right, then top to bottom, as the settings ask.
void FlipPicture(Gdiplus::Image& picture, const Settings& settings);

}  // namespace kelpo
