// The formats the capture pin offers through IAMStreamConfig: by default
// uncompressed RGB24 in a VIDEOINFOHEADER, bottom-up, at a few sizes, or the
// instance's own list (kFormats); at frame rates from kMaxFramesPerSecond down
// to kMinFramesPerSecond.
#pragma once

#include "common/win32.h"

#include <dshow.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "capture/frame_conversion_rules.h"
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

// One capability: a pixel format at a size.
struct CameraFormat {
  FrameFormat pixels = FrameFormat::kRgb24;
  bool huffmanTables = true;  // MJPG frames carry their DHT
  FrameSize size{};
};

// The instance's capabilities from its kFormats text; the RGB24 sizes of
// kCaptureSizes for an empty or unreadable one.
std::vector<CameraFormat> CameraFormats(const std::wstring& text);
// The bitmap header of a format's frames (its image size left 0), and the
// bytes the largest of them takes.
BitmapHeader FrameHeader(const CameraFormat& format);
long FrameBytes(const CameraFormat& format);

// The media type of a capability at a frame interval.
MediaType CaptureMediaType(const CameraFormat& format, REFERENCE_TIME frameInterval);
// The capabilities of a format as GetStreamCaps reports them.
VIDEO_STREAM_CONFIG_CAPS CaptureCaps(const CameraFormat& format);

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
  CameraFormat camera;
  REFERENCE_TIME frameInterval;
};
std::optional<CaptureFormat> FindCaptureFormat(const AM_MEDIA_TYPE& type,
                                               const std::vector<CameraFormat>& formats);

}  // namespace kelpo::test_camera
