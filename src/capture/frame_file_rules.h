// Pure rules of a grabbed frame: where its format block keeps the bitmap
// header, and the file header that makes the frame an in-memory bitmap file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kelpo {

constexpr std::size_t kBitmapFileHeaderSize = 14;
constexpr std::size_t kBitmapInfoHeaderSize = 40;

// The format types whose blocks Kelpo can read; any other is kOther.
enum class FormatBlockType { kVideoInfo, kVideoInfo2, kOther };

// The BITMAPINFOHEADER of a format block, byte for byte, with the fields Kelpo
// reads from it.
struct BitmapHeader {
  std::array<std::uint8_t, kBitmapInfoHeaderSize> bytes{};
  std::int32_t width() const;
  std::int32_t height() const;  // positive for bottom-up rows
  std::uint16_t bitCount() const;
  std::uint32_t compression() const;
  std::uint32_t sizeImage() const;
};

// The bitmap header where the block's format type puts it (VIDEOINFOHEADER at
// 48, VIDEOINFOHEADER2 at 72); nothing for another type, or a block too short
// to hold it.
std::optional<BitmapHeader> ReadBitmapHeader(FormatBlockType type, const std::uint8_t* block,
                                             std::size_t blockSize);

// The bytes the rows of an uncompressed bitmap take (each row padded to 4
// bytes); for a compressed one, the size its header states. Nothing when the
// header describes no picture.
std::optional<std::uint64_t> PromisedImageSize(const BitmapHeader& header);

// The file header of a bitmap file made of the header and a frame buffer of
// bufferSize bytes: its size is that of the whole file, whatever the header's
// own image size says. Nothing when the buffer is shorter than the image the
// header promises, or the file would not fit the header's 32-bit size.
std::optional<std::array<std::uint8_t, kBitmapFileHeaderSize>> FrameFileHeader(
    const BitmapHeader& header, std::uint64_t bufferSize);

// Where the rows of an uncompressed 24-bit frame lie in its buffer: the top
// row's offset and the signed distance to the next row down.
struct Rgb24Rows {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint64_t topRow = 0;
  std::int32_t stride = 0;
};

// The layout of a frame GDI+ can use in place as 24-bit RGB: BI_RGB, 24 bits,
// a buffer holding every row. Nothing for any other frame, which goes through
// a bitmap file instead.
std::optional<Rgb24Rows> InPlaceRgb24Rows(const BitmapHeader& header, std::uint64_t bufferSize);

}  // namespace kelpo
