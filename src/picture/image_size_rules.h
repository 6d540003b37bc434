// Pure rules of how large an image may be: its pixel size read from the
// file's own header, before anything decodes it, and the budget it must keep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kelpo {

// The most pixels a source image, an overlay or a finished picture may have:
// 32 Mi pixels, for example 8192 x 4096 or a 24-megapixel photograph. At 4
// bytes a pixel one decoded copy takes 128 MiB, and the pipeline holds up to
// four at once (the decoder's, the decoded rows, the new still image and the
// old one until the new one is there; the grabbed frame shares the still
// image's rows): 512 MiB, which the shipped 32-bit build can always find in
// its 2 GiB of address space. Between pictures only the still image is kept
// for an image this large. A 20000 x 20000 image (400 M pixels, 1.6 GB a
// copy) is refused.
constexpr std::uint64_t kMaxImagePixels = std::uint64_t{1} << 25;

bool WithinPixelBudget(std::uint64_t width, std::uint64_t height);

struct ImageDimensions {
  std::uint32_t width;
  std::uint32_t height;
};

// The largest width and height that the header of an image file declares, for
// the formats GDI+ decodes into bitmaps: PNG, JPEG, GIF, BMP, TIFF, ICO and
// CUR (each entry's size read from its own image, never from the directory).
// Nothing when the bytes are none of these or end before the size.
std::optional<ImageDimensions> ReadImageDimensions(const std::uint8_t* bytes, std::size_t size);

// Whether the bytes begin as one of those formats does, so that bytes which
// tell no size are an image cut short rather than no image at all.
bool HasImageSignature(const std::uint8_t* bytes, std::size_t size);

}  // namespace kelpo
