// Compositing the overlay image onto a picture or onto the Overlay page's preview.
#pragma once

#include "picture/gdiplus_include.h"
#include "picture/overlay_rules.h"

#include <string>

namespace kelpo {

// Draws `overlay` onto `target` scaled, placed, faded and colour-keyed as the
// parameters say. With no overlay passed, `overlayFile` is decoded for this call
// and discarded afterwards; a missing or undecodable file draws nothing.
// `fastRendering` trades quality for speed (the preview). False when the overlay
// was there to draw and drawing it failed.
bool DrawOverlay(Gdiplus::Image& target, Gdiplus::Image* overlay, const std::wstring& overlayFile,
                 bool fastRendering, const OverlayParameters& parameters);

}  // namespace kelpo
