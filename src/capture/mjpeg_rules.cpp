#include "capture/mjpeg_rules.h"

namespace kelpo {

namespace {

constexpr std::uint8_t kMarkerPrefix = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kHuffmanTables = 0xC4;
constexpr std::uint8_t kFirstRestart = 0xD0;
constexpr std::uint8_t kLastRestart = 0xD7;
constexpr std::uint8_t kTemporary = 0x01;  // TEM: no length, like RSTn
constexpr std::size_t kMarkerSize = 2;
constexpr std::size_t kLengthSize = 2;

// T.81 Annex K.3: the number of codes of each length 1 to 16, then the values.
constexpr std::array<std::uint8_t, 16> kDcLuminanceCounts = {0, 1, 5, 1, 1, 1, 1, 1,
                                                             1, 0, 0, 0, 0, 0, 0, 0};
constexpr std::array<std::uint8_t, 16> kDcChrominanceCounts = {0, 3, 1, 1, 1, 1, 1, 1,
                                                               1, 1, 1, 0, 0, 0, 0, 0};
constexpr std::array<std::uint8_t, 12> kDcValues = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr std::array<std::uint8_t, 16> kAcLuminanceCounts = {0, 2, 1, 3, 3, 2, 4, 3,
                                                             5, 5, 4, 4, 0, 0, 1, 0x7d};
constexpr std::array<std::uint8_t, 162> kAcLuminanceValues = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
    0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
    0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
    0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
    0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};
constexpr std::array<std::uint8_t, 16> kAcChrominanceCounts = {0, 2, 1, 2, 4, 4, 3, 4,
                                                               7, 5, 4, 4, 0, 1, 2, 0x77};
constexpr std::array<std::uint8_t, 162> kAcChrominanceValues = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
    0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33,
    0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18,
    0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44,
    0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63,
    0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
    0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4,
    0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca,
    0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7,
    0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

// Table class (0 DC, 1 AC) in the high nibble, table number in the low one.
constexpr std::uint8_t kDcLuminance = 0x00;
constexpr std::uint8_t kAcLuminance = 0x10;
constexpr std::uint8_t kDcChrominance = 0x01;
constexpr std::uint8_t kAcChrominance = 0x11;

std::array<std::uint8_t, kStandardDhtSize> BuildStandardDht() {
  std::array<std::uint8_t, kStandardDhtSize> segment{};
  std::size_t at = 0;
  auto put = [&segment, &at](const auto& bytes) {
    for (std::uint8_t byte : bytes) segment[at++] = byte;
  };
  constexpr std::size_t kLength = kStandardDhtSize - kMarkerSize;
  put(std::array<std::uint8_t, 4>{kMarkerPrefix, kHuffmanTables,
                                  static_cast<std::uint8_t>(kLength >> 8),
                                  static_cast<std::uint8_t>(kLength & 0xFF)});
  put(std::array<std::uint8_t, 1>{kDcLuminance});
  put(kDcLuminanceCounts);
  put(kDcValues);
  put(std::array<std::uint8_t, 1>{kAcLuminance});
  put(kAcLuminanceCounts);
  put(kAcLuminanceValues);
  put(std::array<std::uint8_t, 1>{kDcChrominance});
  put(kDcChrominanceCounts);
  put(kDcValues);
  put(std::array<std::uint8_t, 1>{kAcChrominance});
  put(kAcChrominanceCounts);
  put(kAcChrominanceValues);
  return segment;
}

bool StandsAlone(std::uint8_t marker) {
  return marker == kTemporary || (marker >= kFirstRestart && marker <= kLastRestart);
}

}  // namespace

const std::array<std::uint8_t, kStandardDhtSize>& StandardDhtSegment() {
  static const std::array<std::uint8_t, kStandardDhtSize> segment = BuildStandardDht();
  return segment;
}

std::optional<JpegScanStart> FindFirstScan(const std::uint8_t* frame, std::size_t size) {
  if (frame == nullptr || size < kMarkerSize || frame[0] != kMarkerPrefix ||
      frame[1] != kStartOfImage) {
    return std::nullopt;
  }
  JpegScanStart scan;
  std::size_t at = kMarkerSize;
  while (at + kMarkerSize <= size) {
    if (frame[at] != kMarkerPrefix) return std::nullopt;
    const std::uint8_t marker = frame[at + 1];
    if (marker == kMarkerPrefix) {  // fill byte before a marker
      ++at;
      continue;
    }
    if (StandsAlone(marker)) {
      at += kMarkerSize;
      continue;
    }
    if (marker == kStartOfImage || marker == kEndOfImage) return std::nullopt;
    if (at + kMarkerSize + kLengthSize > size) return std::nullopt;
    const std::size_t length =
        static_cast<std::size_t>(frame[at + 2]) << 8 | frame[at + kMarkerSize + 1];
    if (length < kLengthSize || size - at - kMarkerSize < length) return std::nullopt;
    if (marker == kStartOfScan) {
      scan.offset = at;
      return scan;
    }
    if (marker == kHuffmanTables) scan.hasTables = true;
    at += kMarkerSize + length;
  }
  return std::nullopt;
}

std::optional<ByteSpan> DecodableMjpegFrame(const std::uint8_t* frame, std::size_t size,
                                            std::vector<std::uint8_t>& completed) {
  const std::optional<JpegScanStart> scan = FindFirstScan(frame, size);
  if (!scan) return std::nullopt;
  if (scan->hasTables) return ByteSpan{frame, size};
  const auto& tables = StandardDhtSegment();
  completed.resize(size + tables.size());
  std::uint8_t* out = completed.data();
  for (std::size_t i = 0; i < scan->offset; ++i) *out++ = frame[i];
  for (std::uint8_t byte : tables) *out++ = byte;
  for (std::size_t i = scan->offset; i < size; ++i) *out++ = frame[i];
  return ByteSpan{completed.data(), completed.size()};
}

}  // namespace kelpo
