// How every scaled image is drawn at its edges.
#pragma once

#include "picture/gdiplus_include.h"

namespace kelpo {

// Sets the attributes to repeat the image's border pixels beyond its edges.
// By default GDI+ samples transparent black there, so an enlarged image darkens
// towards its right and bottom edges (a tiny one fades over half its width).
inline void RepeatEdgePixels(Gdiplus::ImageAttributes& attributes) {
  // Without it the picture is still made, with the darker edges.
  (void)attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
}

}  // namespace kelpo
