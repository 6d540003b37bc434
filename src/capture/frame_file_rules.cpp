#include "capture/frame_file_rules.h"

#include "picture/byte_reader_rules.h"

#include <limits>

namespace kelpo {

namespace {

constexpr std::size_t kVideoInfoHeaderOffset = 48;   // VIDEOINFOHEADER::bmiHeader
constexpr std::size_t kVideoInfo2HeaderOffset = 72;  // VIDEOINFOHEADER2::bmiHeader

// BITMAPINFOHEADER field offsets.
constexpr std::size_t kSizeField = 0;
constexpr std::size_t kWidthField = 4;
constexpr std::size_t kHeightField = 8;
constexpr std::size_t kBitCountField = 14;
constexpr std::size_t kCompressionField = 16;
constexpr std::size_t kSizeImageField = 20;

// BITMAPFILEHEADER field offsets.
constexpr std::size_t kFileTypeField = 0;
constexpr std::size_t kFileSizeField = 2;
constexpr std::size_t kOffBitsField = 10;

constexpr std::uint32_t kCompressionRgb = 0;        // BI_RGB
constexpr std::uint32_t kCompressionBitfields = 3;  // BI_BITFIELDS
constexpr std::uint16_t kBitmapFileType = 0x4D42;   // "BM"
constexpr unsigned kRowAlignmentBits = 32;

// A field of the header, which always holds every field.
std::uint32_t Field(const BitmapHeader& header, std::size_t offset, std::size_t size) {
  const ByteReader fields(header.bytes.data(), header.bytes.size());
  const std::optional<std::uint32_t> value =
      size == 2 ? fields.U16(offset, kLittleEndian) : fields.U32(offset, kLittleEndian);
  return value.value_or(0);
}

void WriteLittleEndian(std::uint8_t* bytes, std::size_t count, std::uint32_t value) {
  for (std::size_t i = 0; i < count; ++i, value >>= 8) bytes[i] = static_cast<std::uint8_t>(value);
}

}  // namespace

std::int32_t BitmapHeader::width() const {
  return static_cast<std::int32_t>(Field(*this, kWidthField, 4));
}
std::int32_t BitmapHeader::height() const {
  return static_cast<std::int32_t>(Field(*this, kHeightField, 4));
}
std::uint16_t BitmapHeader::bitCount() const {
  return static_cast<std::uint16_t>(Field(*this, kBitCountField, 2));
}
std::uint32_t BitmapHeader::compression() const { return Field(*this, kCompressionField, 4); }
std::uint32_t BitmapHeader::sizeImage() const { return Field(*this, kSizeImageField, 4); }

std::optional<BitmapHeader> ReadBitmapHeader(FormatBlockType type, const std::uint8_t* block,
                                             std::size_t blockSize) {
  std::size_t offset = 0;
  switch (type) {
    case FormatBlockType::kVideoInfo:
      offset = kVideoInfoHeaderOffset;
      break;
    case FormatBlockType::kVideoInfo2:
      offset = kVideoInfo2HeaderOffset;
      break;
    case FormatBlockType::kOther:
      return std::nullopt;
  }
  if (block == nullptr || blockSize < offset + kBitmapInfoHeaderSize) return std::nullopt;
  BitmapHeader header;
  for (std::size_t i = 0; i < kBitmapInfoHeaderSize; ++i) header.bytes[i] = block[offset + i];
  // A header that does not count itself as at least a BITMAPINFOHEADER is not one.
  if (Field(header, kSizeField, 4) < kBitmapInfoHeaderSize) return std::nullopt;
  return header;
}

std::optional<std::uint64_t> PromisedImageSize(const BitmapHeader& header) {
  const std::int64_t width = header.width();
  const std::int64_t height = header.height();
  if (width <= 0 || height == 0 || header.bitCount() == 0) return std::nullopt;
  const std::uint32_t compression = header.compression();
  if (compression != kCompressionRgb && compression != kCompressionBitfields) {
    return header.sizeImage() != 0 ? std::optional<std::uint64_t>(header.sizeImage())
                                   : std::nullopt;
  }
  const std::uint64_t rowBits = static_cast<std::uint64_t>(width) * header.bitCount();
  const std::uint64_t stride = (rowBits + kRowAlignmentBits - 1) / kRowAlignmentBits * 4;
  const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
  return stride * rows;
}

std::optional<std::array<std::uint8_t, kBitmapFileHeaderSize>> FrameFileHeader(
    const BitmapHeader& header, std::uint64_t bufferSize) {
  const std::optional<std::uint64_t> promised = PromisedImageSize(header);
  if (!promised || bufferSize < *promised) return std::nullopt;
  constexpr std::uint64_t kHeadersSize = kBitmapFileHeaderSize + kBitmapInfoHeaderSize;
  const std::uint64_t fileSize = kHeadersSize + bufferSize;
  if (fileSize > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;

  std::array<std::uint8_t, kBitmapFileHeaderSize> file{};
  WriteLittleEndian(&file[kFileTypeField], 2, kBitmapFileType);
  WriteLittleEndian(&file[kFileSizeField], 4, static_cast<std::uint32_t>(fileSize));
  // bfReserved1 and bfReserved2 stay 0.
  WriteLittleEndian(&file[kOffBitsField], 4, static_cast<std::uint32_t>(kHeadersSize));
  return file;
}

std::optional<Rgb24Rows> InPlaceRgb24Rows(const BitmapHeader& header, std::uint64_t bufferSize) {
  constexpr std::uint16_t kRgb24Bits = 24;
  if (header.compression() != kCompressionRgb || header.bitCount() != kRgb24Bits) {
    return std::nullopt;
  }
  const std::optional<std::uint64_t> promised = PromisedImageSize(header);
  if (!promised || bufferSize < *promised) return std::nullopt;
  const std::int64_t height = header.height();
  const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
  const std::uint64_t stride = *promised / rows;
  if (stride > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) ||
      rows > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  Rgb24Rows layout;
  layout.width = header.width();
  layout.height = static_cast<std::int32_t>(rows);
  // A positive height stores the rows bottom-up: the top row comes last.
  const bool bottomUp = height > 0;
  layout.topRow = bottomUp ? stride * (rows - 1) : 0;
  layout.stride = bottomUp ? -static_cast<std::int32_t>(stride) : static_cast<std::int32_t>(stride);
  return layout;
}

}  // namespace kelpo
