// Pure rules of rows of pixels: widening decoded rows to 32-bit BGRA (GDI+'s
// 32bppARGB byte order) as WIC's own format converter does it, but into rows
// Kelpo keeps; mirroring a picture where it lies.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelpo {

// Bytes a pixel takes in 24-bit rows (blue, green, red) and in 32-bit rows
// (blue, green, red, then alpha or nothing).
constexpr std::size_t kBgr24Bytes = 3;
constexpr std::size_t kBgra32Bytes = 4;

enum class RowFormat {
  kBgr24,   // blue, green, red
  kBgrx32,  // blue, green, red, unused
  kRgb48,   // red, green, blue, 16 bits each, low byte first
};

std::size_t BytesPerPixel(RowFormat format);

// Writes `height` rows of `width` opaque BGRA pixels from rows in `format`;
// 16-bit samples keep their high byte.
void WidenToBgra(RowFormat format, const std::uint8_t* source, std::size_t sourceStride,
                 std::uint8_t* target, std::size_t targetStride, std::uint32_t width,
                 std::uint32_t height);

// Mirrors rows of `bytesPerPixel`-byte pixels in place: left to right, then
// top to bottom, as asked.
void MirrorRows(std::uint8_t* rows, std::size_t stride, std::uint32_t width, std::uint32_t height,
                std::size_t bytesPerPixel, bool leftToRight, bool topToBottom);

}  // namespace kelpo
