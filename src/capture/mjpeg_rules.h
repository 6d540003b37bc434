// Pure rules of a camera's MJPG frames. Most webcams send each frame as a
// JPEG without its Huffman tables (DHT), relying on the decoder to know the
// standard ones; a JPEG decoder that does not gives no picture. Such a frame
// is completed with the standard tables before it is decoded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelpo {

// Where a frame's first scan (its SOS marker) begins, and whether a DHT
// segment comes before it; nothing when the bytes are not a JPEG whose
// segments reach a complete scan header.
struct JpegScanStart {
  std::size_t offset = 0;
  bool hasTables = false;
};
std::optional<JpegScanStart> FindFirstScan(const std::uint8_t* frame, std::size_t size);

// The four standard tables (luminance and chrominance, DC and AC) of ITU-T
// T.81 Annex K.3 as one DHT segment, marker included.
constexpr std::size_t kStandardDhtSize = 420;
const std::array<std::uint8_t, kStandardDhtSize>& StandardDhtSegment();

struct ByteSpan {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

// The bytes to decode for an MJPG frame: the frame itself when its tables
// come before its first scan; otherwise the frame with the standard tables
// inserted before that scan, written into `completed` (kept from frame to
// frame). Nothing for a frame FindFirstScan refuses.
std::optional<ByteSpan> DecodableMjpegFrame(const std::uint8_t* frame, std::size_t size,
                                            std::vector<std::uint8_t>& completed);

}  // namespace kelpo
