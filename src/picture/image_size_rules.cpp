#include "picture/image_size_rules.h"

#include "picture/byte_reader_rules.h"

#include <algorithm>
#include <cstdlib>

namespace kelpo {

namespace {

std::optional<ImageDimensions> Both(std::optional<std::uint32_t> width,
                                    std::optional<std::uint32_t> height) {
  if (!width || !height) return std::nullopt;
  return ImageDimensions{*width, *height};
}

constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";
constexpr std::size_t kPngSignatureLength = 8;

std::optional<ImageDimensions> PngSize(const ByteReader& in) {
  // The first chunk is IHDR: width and height open its data.
  constexpr std::size_t kIhdrName = 12;
  constexpr std::size_t kWidth = 16;
  constexpr std::size_t kHeight = 20;
  if (!in.Matches(kIhdrName, "IHDR", 4)) return std::nullopt;
  return Both(in.U32(kWidth, kBigEndian), in.U32(kHeight, kBigEndian));
}

bool IsJpegFrameMarker(std::uint32_t marker) {
  // SOF0 to SOF15, except DHT (C4), JPG (C8) and DAC (CC).
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<ImageDimensions> JpegSize(const ByteReader& in) {
  constexpr std::uint32_t kMarkerStart = 0xFF;
  constexpr std::uint32_t kStartOfScan = 0xDA;
  constexpr std::uint32_t kEndOfImage = 0xD9;
  constexpr std::size_t kFrameHeight = 3;  // after the segment's length
  constexpr std::size_t kFrameWidth = 5;
  constexpr std::size_t kLengthSize = 2;
  std::size_t offset = 2;  // after SOI
  for (;;) {
    if (in.Byte(offset) != kMarkerStart) return std::nullopt;
    while (in.Byte(offset) == kMarkerStart) ++offset;  // fill bytes
    const std::optional<std::uint32_t> marker = in.Byte(offset++);
    if (!marker || *marker == kStartOfScan || *marker == kEndOfImage) return std::nullopt;
    // Markers that stand alone: TEM, RSTn, SOI.
    if (*marker == 0x01 || (*marker >= 0xD0 && *marker <= 0xD8)) continue;
    const std::optional<std::uint32_t> length = in.U16(offset, kBigEndian);
    if (!length || *length < kLengthSize) return std::nullopt;
    if (IsJpegFrameMarker(*marker)) {
      const auto height = in.U16(offset + kFrameHeight, kBigEndian);
      return Both(in.U16(offset + kFrameWidth, kBigEndian), height);
    }
    offset += *length;
  }
}

std::optional<ImageDimensions> GifSize(const ByteReader& in) {
  constexpr std::size_t kScreenWidth = 6;
  constexpr std::size_t kScreenHeight = 8;
  constexpr std::size_t kScreenFlags = 10;
  constexpr std::size_t kFirstBlock = 13;
  constexpr std::uint32_t kHasColourTable = 0x80;
  constexpr std::uint32_t kColourTableBits = 0x07;
  constexpr std::uint32_t kExtension = 0x21;
  constexpr std::uint32_t kImage = 0x2C;
  constexpr std::size_t kImageWidth = 5;
  constexpr std::size_t kImageHeight = 7;
  const std::optional<ImageDimensions> screen =
      Both(in.U16(kScreenWidth, kLittleEndian), in.U16(kScreenHeight, kLittleEndian));
  const std::optional<std::uint32_t> flags = in.Byte(kScreenFlags);
  if (!screen || !flags) return std::nullopt;
  std::size_t offset = kFirstBlock;
  if ((*flags & kHasColourTable) != 0) offset += 3u << ((*flags & kColourTableBits) + 1);
  // The first frame may reach beyond the logical screen: the larger of the two counts.
  for (;;) {
    const std::optional<std::uint32_t> block = in.Byte(offset);
    if (block == kImage) {
      const std::optional<ImageDimensions> frame =
          Both(in.U16(offset + kImageWidth, kLittleEndian),
               in.U16(offset + kImageHeight, kLittleEndian));
      if (!frame) return screen;
      return ImageDimensions{std::max(screen->width, frame->width),
                             std::max(screen->height, frame->height)};
    }
    if (block != kExtension) return screen;
    offset += 2;  // introducer and label, then sub-blocks up to an empty one
    for (;;) {
      const std::optional<std::uint32_t> length = in.Byte(offset);
      if (!length) return screen;
      offset += *length + 1;
      if (*length == 0) break;
    }
  }
}

// The bitmap info header at `header`: that of a BMP file, or of an icon's
// entry.
std::optional<ImageDimensions> DibSize(const ByteReader& in, std::size_t header) {
  constexpr std::size_t kWidth = 4;
  constexpr std::size_t kHeight = 8;
  constexpr std::size_t kCoreHeight = 6;
  constexpr std::uint32_t kCoreHeaderSize = 12;  // 16-bit sides
  constexpr std::uint32_t kSmallestInfoHeader = 16;
  const std::optional<std::uint32_t> headerSize = in.U32(header, kLittleEndian);
  if (!headerSize) return std::nullopt;
  if (*headerSize == kCoreHeaderSize)
    return Both(in.U16(header + kWidth, kLittleEndian),
                in.U16(header + kCoreHeight, kLittleEndian));
  if (*headerSize < kSmallestInfoHeader) return std::nullopt;
  const std::optional<std::uint32_t> width = in.U32(header + kWidth, kLittleEndian);
  const std::optional<std::uint32_t> height = in.U32(header + kHeight, kLittleEndian);
  if (!width || !height) return std::nullopt;
  // Signed: a negative height means a top-down bitmap; a negative width is no bitmap.
  const auto signedWidth = static_cast<std::int32_t>(*width);
  const auto signedHeight = static_cast<std::int64_t>(static_cast<std::int32_t>(*height));
  if (signedWidth < 0) return std::nullopt;
  return ImageDimensions{*width, static_cast<std::uint32_t>(std::llabs(signedHeight))};
}

std::optional<ImageDimensions> BmpSize(const ByteReader& in) {
  constexpr std::size_t kInfoHeader = 14;  // after the file header
  return DibSize(in, kInfoHeader);
}

std::optional<ImageDimensions> TiffSize(const ByteReader& in, bool bigEndian) {
  constexpr std::size_t kFirstDirectory = 4;
  constexpr std::size_t kEntrySize = 12;
  constexpr std::size_t kEntryType = 2;
  constexpr std::size_t kEntryValue = 8;
  constexpr std::uint32_t kImageWidth = 256;
  constexpr std::uint32_t kImageLength = 257;
  constexpr std::uint32_t kShort = 3;
  constexpr std::uint32_t kLong = 4;
  const std::optional<std::uint32_t> directory = in.U32(kFirstDirectory, bigEndian);
  if (!directory) return std::nullopt;
  const std::optional<std::uint32_t> count = in.U16(*directory, bigEndian);
  if (!count) return std::nullopt;
  std::optional<std::uint32_t> width;
  std::optional<std::uint32_t> height;
  for (std::uint32_t i = 0; i < *count; ++i) {
    const std::size_t entry = std::size_t{*directory} + 2 + kEntrySize * i;
    const std::optional<std::uint32_t> tag = in.U16(entry, bigEndian);
    const std::optional<std::uint32_t> type = in.U16(entry + kEntryType, bigEndian);
    if (!tag || !type) break;
    std::optional<std::uint32_t> value;
    if (*type == kShort) value = in.U16(entry + kEntryValue, bigEndian);
    if (*type == kLong) value = in.U32(entry + kEntryValue, bigEndian);
    if (*tag == kImageWidth) width = value;
    if (*tag == kImageLength) height = value;
  }
  return Both(width, height);
}

// The size an icon's entry declares in its own image, whatever the directory
// says: a PNG's header, or the bitmap's info header, whose rows hold the image
// and its mask below it (the decoder reads both, so both count).
std::optional<ImageDimensions> IconEntrySize(const ByteReader& in, std::uint32_t offset) {
  if (offset >= in.Size()) return std::nullopt;
  const ByteReader image(in.At(offset), in.Size() - offset);
  if (image.Matches(0, kPngSignature, kPngSignatureLength)) return PngSize(image);
  return DibSize(image, 0);
}

std::optional<ImageDimensions> IconSize(const ByteReader& in) {
  constexpr std::size_t kCount = 4;
  constexpr std::size_t kFirstEntry = 6;
  constexpr std::size_t kEntrySize = 16;
  constexpr std::size_t kEntryOffset = 12;
  const std::optional<std::uint32_t> count = in.U16(kCount, kLittleEndian);
  if (!count || *count == 0) return std::nullopt;
  ImageDimensions largest{0, 0};
  for (std::uint32_t i = 0; i < *count; ++i) {
    const std::size_t entry = kFirstEntry + kEntrySize * i;
    const std::optional<std::uint32_t> offset = in.U32(entry + kEntryOffset, kLittleEndian);
    if (!offset) return std::nullopt;
    const std::optional<ImageDimensions> size = IconEntrySize(in, *offset);
    if (!size) return std::nullopt;
    largest.width = std::max(largest.width, size->width);
    largest.height = std::max(largest.height, size->height);
  }
  return largest;
}

bool IsIcon(const ByteReader& in) {
  // Icons (type 1) and cursors (type 2).
  return in.Matches(0, "\0\0\1\0", 4) || in.Matches(0, "\0\0\2\0", 4);
}

}  // namespace

bool WithinPixelBudget(std::uint64_t width, std::uint64_t height) {
  // Each side fits in 32 bits where it comes from, so the product cannot wrap.
  if (width > UINT32_MAX || height > UINT32_MAX) return false;
  return width * height <= kMaxImagePixels;
}

std::optional<ImageDimensions> ReadImageDimensions(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr) return std::nullopt;
  const ByteReader in(bytes, size);
  if (in.Matches(0, kPngSignature, kPngSignatureLength)) return PngSize(in);
  if (in.Matches(0, "\xFF\xD8", 2)) return JpegSize(in);
  if (in.Matches(0, "GIF87a", 6) || in.Matches(0, "GIF89a", 6)) return GifSize(in);
  if (in.Matches(0, "BM", 2)) return BmpSize(in);
  if (in.Matches(0, "II*\0", 4)) return TiffSize(in, kLittleEndian);
  if (in.Matches(0, "MM\0*", 4)) return TiffSize(in, kBigEndian);
  if (IsIcon(in)) return IconSize(in);
  return std::nullopt;
}

bool HasImageSignature(const std::uint8_t* bytes, std::size_t size) {
  if (bytes == nullptr) return false;
  const ByteReader in(bytes, size);
  return in.Matches(0, kPngSignature, kPngSignatureLength) || in.Matches(0, "\xFF\xD8", 2) ||
         in.Matches(0, "GIF87a", 6) || in.Matches(0, "GIF89a", 6) || in.Matches(0, "BM", 2) ||
         in.Matches(0, "II*\0", 4) || in.Matches(0, "MM\0*", 4) || IsIcon(in);
}

}  // namespace kelpo
