// The formats the capture pin offers through IAMStreamConfig: uncompressed
// RGB24 in a VIDEOINFOHEADER, bottom-up, at a few sizes and at frame rates from
// kMaxFramesPerSecond down to kMinFramesPerSecond.
#pragma once

#include "common/win32.h"

#include <dshow.h>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "support/test_camera/media_type.h"

namespace kelpo::test_camera {

struct FrameSize {
  int width;
  int height;
};

// In GetStreamCaps order; the first is the pin's format until one is set.
constexpr std::array<FrameSize, 3> kCaptureSizes = {{{640, 480}, {320, 240}, {1280, 960}}};

constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;
constexpr int kDefaultFramesPerSecond = 15;
constexpr int kMaxFramesPerSecond = 30;
constexpr int kMinFramesPerSecond = 5;
constexpr REFERENCE_TIME kDefaultFrameInterval = kUnitsPerSecond / kDefaultFramesPerSecond;
constexpr REFERENCE_TIME kMinFrameInterval = kUnitsPerSecond / kMaxFramesPerSecond;
constexpr REFERENCE_TIME kMaxFrameInterval = kUnitsPerSecond / kMinFramesPerSecond;

// The media type of a capture size at a frame interval.
MediaType CaptureMediaType(FrameSize size, REFERENCE_TIME frameInterval);
// The capabilities of capture size index as GetStreamCaps reports them.
VIDEO_STREAM_CONFIG_CAPS CaptureCaps(std::size_t index);

// The capabilities a test adds (kExtraFormats): the media type and caps of
// each bit set in `extraFormats`, in bit order. They can be set, not streamed.
struct ExtraCapability {
  MediaType type;
  VIDEO_STREAM_CONFIG_CAPS caps;
};
std::vector<ExtraCapability> ExtraCapabilities(DWORD extraFormats);

// The capture format a media type asks for: its size and frame interval (0 in
// the type means the default), or nothing when the pin cannot stream it.
struct CaptureFormat {
  FrameSize size;
  REFERENCE_TIME frameInterval;
};
std::optional<CaptureFormat> FindCaptureFormat(const AM_MEDIA_TYPE& type);

}  // namespace kelpo::test_camera
