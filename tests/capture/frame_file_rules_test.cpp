#include "capture/frame_file_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace kelpo {
namespace {

constexpr std::size_t kVideoInfoSize = 88;    // sizeof(VIDEOINFOHEADER)
constexpr std::size_t kVideoInfo2Size = 112;  // sizeof(VIDEOINFOHEADER2)

void Put(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value,
         std::size_t count = 4) {
  for (std::size_t i = 0; i < count; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
}

std::uint32_t Get(const std::uint8_t* bytes, std::size_t count = 4) {
  std::uint32_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

// A format block with a 24-bit BITMAPINFOHEADER at `offset`, and clutter
// (rectangles, rates, flags) everywhere before it.
std::vector<std::uint8_t> FormatBlock(std::size_t size, std::size_t offset, std::int32_t width,
                                      std::int32_t height, std::uint32_t sizeImage) {
  std::vector<std::uint8_t> block(size, 0xA5);
  std::fill(block.begin() + static_cast<std::ptrdiff_t>(offset), block.end(), 0);
  Put(block, offset, 40);
  Put(block, offset + 4, static_cast<std::uint32_t>(width));
  Put(block, offset + 8, static_cast<std::uint32_t>(height));
  Put(block, offset + 12, 1, 2);
  Put(block, offset + 14, 24, 2);
  Put(block, offset + 20, sizeImage);
  return block;
}

TEST(FrameFile, BitmapHeaderIsReadWhereTheFormatTypePutsItOrNotAtAll) {
  const auto videoInfo = FormatBlock(kVideoInfoSize, 48, 320, 240, 230400);
  const auto header =
      ReadBitmapHeader(FormatBlockType::kVideoInfo, videoInfo.data(), videoInfo.size());
  ASSERT_TRUE(header);
  EXPECT_EQ(header->width(), 320);
  EXPECT_EQ(header->height(), 240);
  EXPECT_EQ(header->bitCount(), 24);

  // VIDEOINFOHEADER2 keeps it 24 bytes further on; read at 48 it would be
  // the interlace flags and aspect ratio.
  const auto videoInfo2 = FormatBlock(kVideoInfo2Size, 72, 640, -480, 0);
  const auto header2 =
      ReadBitmapHeader(FormatBlockType::kVideoInfo2, videoInfo2.data(), videoInfo2.size());
  ASSERT_TRUE(header2);
  EXPECT_EQ(header2->width(), 640);
  EXPECT_EQ(header2->height(), -480);

  // Other format types, short blocks and missing blocks give nothing.
  EXPECT_FALSE(ReadBitmapHeader(FormatBlockType::kOther, videoInfo.data(), videoInfo.size()));
  EXPECT_FALSE(ReadBitmapHeader(FormatBlockType::kVideoInfo2, videoInfo.data(), videoInfo.size()));
  EXPECT_FALSE(ReadBitmapHeader(FormatBlockType::kVideoInfo, videoInfo.data(), 87));
  EXPECT_FALSE(ReadBitmapHeader(FormatBlockType::kVideoInfo, nullptr, 0));
}

TEST(FrameFile, FileSizeComesFromTheBufferAndShortBuffersGiveNoFile) {
  // A 320 x 240 RGB24 frame: 54 + 230400 bytes, whatever biSizeImage says.
  for (std::uint32_t sizeImage : {230400u, 0u, 12u}) {
    SCOPED_TRACE(sizeImage);
    const auto block = FormatBlock(kVideoInfoSize, 48, 320, 240, sizeImage);
    const auto header = ReadBitmapHeader(FormatBlockType::kVideoInfo, block.data(), block.size());
    ASSERT_TRUE(header);
    const auto file = FrameFileHeader(*header, 320 * 240 * 3);
    ASSERT_TRUE(file);
    EXPECT_EQ(Get(file->data(), 2), 0x4D42u);
    EXPECT_EQ(Get(file->data() + 2), 54u + 320 * 240 * 3);
    EXPECT_EQ(Get(file->data() + 6), 0u);
    EXPECT_EQ(Get(file->data() + 10), 54u);
    EXPECT_FALSE(FrameFileHeader(*header, 320 * 240 * 3 - 1));
  }

  // Rows are padded to 4 bytes: 3 pixels of 24 bits take 12 bytes a row; a
  // top-down frame promises as many rows.
  const auto odd = FormatBlock(kVideoInfoSize, 48, 3, -2, 0);
  const auto oddHeader = ReadBitmapHeader(FormatBlockType::kVideoInfo, odd.data(), odd.size());
  ASSERT_TRUE(oddHeader);
  EXPECT_EQ(PromisedImageSize(*oddHeader), 24u);
  EXPECT_TRUE(FrameFileHeader(*oddHeader, 24));
  EXPECT_FALSE(FrameFileHeader(*oddHeader, 18));

  // A header that describes no picture gives none.
  for (std::int32_t width : {0, -4}) {
    const auto empty = FormatBlock(kVideoInfoSize, 48, width, 240, 0);
    const auto emptyHeader =
        ReadBitmapHeader(FormatBlockType::kVideoInfo, empty.data(), empty.size());
    ASSERT_TRUE(emptyHeader);
    EXPECT_FALSE(FrameFileHeader(*emptyHeader, 1000));
  }
}

}  // namespace
}  // namespace kelpo
