// The pattern in the format the camera streams: drawn as RGB24 by
// frame_pattern.h, then converted by BT.601 limited range or encoded as JPEG
// by WIC, without its Huffman tables where the format says so.
#pragma once

#include "common/win32.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "support/test_camera/frame_pattern.h"
#include "support/test_camera/stream_formats.h"

namespace kelpo::test_camera {

class FrameEncoder {
 public:
  // Writes one frame (dark or the pattern with its stamp) into `out`; its
  // length, or nothing when it does not fit or WIC fails. COM must be started
  // on the calling thread.
  std::optional<long> Encode(const CameraFormat& format, bool dark, FrameStamp stamp,
                             std::uint8_t* out, long capacity);

 private:
  std::optional<long> EncodeJpeg(const CameraFormat& format, std::uint8_t* out, long capacity);

  std::vector<std::uint8_t> rgb_;  // the pattern, top-down
  Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
};

// The JPEG without its DHT segments before the first scan, in place; its new
// length.
std::size_t StripHuffmanTables(std::uint8_t* jpeg, std::size_t size);

}  // namespace kelpo::test_camera
