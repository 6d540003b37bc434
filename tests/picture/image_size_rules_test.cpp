#include "picture/image_size_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelpo {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(std::initializer_list<int> values) { return Bytes(values.begin(), values.end()); }

void Append(Bytes& bytes, const Bytes& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
}

Bytes Be32(std::uint32_t v) {
  return Of({int(v >> 24), int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255)});
}
Bytes Le32(std::uint32_t v) {
  return Of({int(v & 255), int(v >> 8 & 255), int(v >> 16 & 255), int(v >> 24)});
}
Bytes Be16(std::uint32_t v) { return Of({int(v >> 8), int(v & 255)}); }
Bytes Le16(std::uint32_t v) { return Of({int(v & 255), int(v >> 8)}); }

Bytes Png(std::uint32_t width, std::uint32_t height) {
  Bytes bytes = Of({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
  Append(bytes, Be32(13));
  Append(bytes, Of({'I', 'H', 'D', 'R'}));
  Append(bytes, Be32(width));
  Append(bytes, Be32(height));
  Append(bytes, Of({8, 2, 0, 0, 0}));
  return bytes;
}

// A progressive JPEG whose frame header follows JFIF, Exif and fill bytes.
Bytes Jpeg(std::uint32_t width, std::uint32_t height) {
  Bytes bytes = Of({0xFF, 0xD8, 0xFF, 0xE0});
  Append(bytes, Be16(16));
  Append(bytes, Bytes(14, 'j'));
  Append(bytes, Of({0xFF, 0xFF, 0xE1}));
  Append(bytes, Be16(300));
  Append(bytes, Bytes(298, 0xC0));  // frame-marker-like bytes inside a segment
  Append(bytes, Of({0xFF, 0xC4}));
  Append(bytes, Be16(4));
  Append(bytes, Of({0, 0}));
  Append(bytes, Of({0xFF, 0xC2}));
  Append(bytes, Be16(17));
  Append(bytes, Of({8}));
  Append(bytes, Be16(height));
  Append(bytes, Be16(width));
  Append(bytes, Of({3}));
  return bytes;
}

// A GIF with a global colour table, one extension, and a first frame larger
// than its logical screen.
Bytes Gif(std::uint32_t screenWidth, std::uint32_t frameHeight) {
  Bytes bytes = Of({'G', 'I', 'F', '8', '9', 'a'});
  Append(bytes, Le16(screenWidth));
  Append(bytes, Le16(10));
  Append(bytes, Of({0x81, 0, 0}));
  Append(bytes, Bytes(3 * 4, 7));
  Append(bytes, Of({0x21, 0xF9, 4, 1, 2, 3, 4, 0}));
  Append(bytes, Of({0x2C, 0, 0, 0, 0}));
  Append(bytes, Le16(5));
  Append(bytes, Le16(frameHeight));
  Append(bytes, Of({0}));
  return bytes;
}

Bytes Bmp(std::uint32_t width, std::int32_t height) {
  Bytes bytes = Of({'B', 'M'});
  Append(bytes, Bytes(12, 0));
  Append(bytes, Le32(40));
  Append(bytes, Le32(width));
  Append(bytes, Le32(static_cast<std::uint32_t>(height)));
  Append(bytes, Le16(1));
  return bytes;
}

Bytes Tiff(bool bigEndian, std::uint32_t width, std::uint32_t height) {
  const auto u16 = bigEndian ? Be16 : Le16;
  const auto u32 = bigEndian ? Be32 : Le32;
  Bytes bytes = bigEndian ? Of({'M', 'M', 0, '*'}) : Of({'I', 'I', '*', 0});
  Append(bytes, u32(8));
  Append(bytes, u16(3));
  Append(bytes, u16(254));  // another tag first
  Append(bytes, u16(4));
  Append(bytes, u32(1));
  Append(bytes, u32(0));
  Append(bytes, u16(256));  // width as SHORT, its value left-aligned
  Append(bytes, u16(3));
  Append(bytes, u32(1));
  Append(bytes, u16(width));
  Append(bytes, u16(0));
  Append(bytes, u16(257));  // height as LONG
  Append(bytes, u16(4));
  Append(bytes, u32(1));
  Append(bytes, u32(height));
  return bytes;
}

// An icon (type 1) or a cursor (type 2) with a bitmap entry and a PNG entry,
// both 256 x 256 in the directory; their own headers say otherwise.
Bytes Icon(int type, std::uint32_t bmpWidth, std::int32_t bmpHeight, std::uint32_t pngWidth,
           std::uint32_t pngHeight) {
  Bytes bytes = Of({0, 0, type, 0, 2, 0});
  for (std::uint32_t offset : {38u, 78u}) {
    Append(bytes, Bytes(8, 0));
    Append(bytes, Le32(40));
    Append(bytes, Le32(offset));
  }
  Append(bytes, Le32(40));  // the bitmap's info header
  Append(bytes, Le32(bmpWidth));
  Append(bytes, Le32(static_cast<std::uint32_t>(bmpHeight)));
  Append(bytes, Bytes(28, 0));
  Append(bytes, Png(pngWidth, pngHeight));
  return bytes;
}

std::optional<ImageDimensions> Read(const Bytes& bytes) {
  return ReadImageDimensions(bytes.data(), bytes.size());
}

TEST(ImageDimensions, ReadFromTheHeaderOfEveryFormatGdiplusDecodes) {
  struct Case {
    const char* name;
    Bytes bytes;
    std::uint32_t width;
    std::uint32_t height;
  };
  const std::vector<Case> cases = {
      {"png", Png(20000, 20000), 20000, 20000},
      {"jpeg", Jpeg(6000, 4000), 6000, 4000},
      {"gif", Gif(640, 65535), 640, 65535},
      {"bmp top-down", Bmp(20000, -30000), 20000, 30000},
      {"bmp", Bmp(7, 0x7FFFFFFF), 7, 0x7FFFFFFF},
      {"tiff little-endian", Tiff(false, 1234, 70000), 1234, 70000},
      {"tiff big-endian", Tiff(true, 4321, 5), 4321, 5},
      // A bitmap's rows hold the image and its mask: an icon 32 wide, 32 high.
      {"icon", Icon(1, 32, 64, 30000, 12), 30000, 64},
      {"cursor", Icon(2, 8000, -8000, 16, 16), 8000, 8000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<ImageDimensions> size = Read(c.bytes);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, c.width);
    EXPECT_EQ(size->height, c.height);
    EXPECT_TRUE(HasImageSignature(c.bytes.data(), 8));
    // Every shorter piece of the header either still says the size or says
    // nothing; none reads beyond its end (the native build checks that).
    for (std::size_t length = 0; length < c.bytes.size(); ++length) {
      const Bytes piece(c.bytes.begin(), c.bytes.begin() + static_cast<std::ptrdiff_t>(length));
      const std::optional<ImageDimensions> partial = Read(piece);
      if (partial && std::string(c.name) != "icon" && std::string(c.name) != "gif") {
        EXPECT_EQ(partial->width, c.width) << length;
        EXPECT_EQ(partial->height, c.height) << length;
      }
    }
  }
  const Bytes text = Of({'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
  EXPECT_FALSE(Read(text));
  EXPECT_FALSE(HasImageSignature(text.data(), text.size()));
  EXPECT_FALSE(Read({}));
  EXPECT_FALSE(ReadImageDimensions(nullptr, 100));
  // A negative width is no bitmap.
  EXPECT_FALSE(Read(Bmp(0x80000000u, 10)));
}

TEST(ImageDimensions, PixelBudgetAllowsThirtyTwoMebipixels) {
  EXPECT_TRUE(WithinPixelBudget(8192, 4096));
  EXPECT_TRUE(WithinPixelBudget(6000, 4000));
  EXPECT_TRUE(WithinPixelBudget(0, 0xFFFFFFFFu));
  EXPECT_FALSE(WithinPixelBudget(8192, 4097));
  EXPECT_FALSE(WithinPixelBudget(20000, 20000));
  EXPECT_FALSE(WithinPixelBudget(0xFFFFFFFFu, 0xFFFFFFFFu));
  EXPECT_FALSE(WithinPixelBudget(std::uint64_t{1} << 40, 1));
}

}  // namespace
}  // namespace kelpo
