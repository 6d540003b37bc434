// The capture device's frame size, kept in step with `capturewidth` and
// `captureheight`.
#pragma once

#include "capture/directshow.h"
#include "capture/frame_file_rules.h"
#include "settings/settings.h"

#include <optional>

namespace kelpo {

// The bitmap header of a media type's format block, read where its format
// type puts it; nothing for other format types.
std::optional<BitmapHeader> MediaTypeBitmapHeader(const AM_MEDIA_TYPE& type);

// Selects the capture pin's format whose size is exactly capturewidth x
// captureheight, in the format the user picked or else the one Kelpo
// converts best; without one the device keeps its format.
void ApplyCaptureSize(ICaptureGraphBuilder2& builder, IBaseFilter& captureFilter,
                      const Settings& settings);

// The subtype code of the capture pin's current format; 0 without one.
std::uint32_t CaptureFormatCode(ICaptureGraphBuilder2& builder, IBaseFilter& captureFilter);

// Copies the capture pin's current frame size into capturewidth and
// captureheight (in memory only).
void ReadCaptureSize(ICaptureGraphBuilder2& builder, IBaseFilter& captureFilter,
                     Settings& settings);

}  // namespace kelpo
