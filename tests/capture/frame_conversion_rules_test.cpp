#include "capture/frame_conversion_rules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace kelpo {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t FourCc(const char (&code)[5]) {
  return static_cast<std::uint32_t>(code[0]) | static_cast<std::uint32_t>(code[1]) << 8 |
         static_cast<std::uint32_t>(code[2]) << 16 | static_cast<std::uint32_t>(code[3]) << 24;
}

BitmapHeader Header(std::int32_t width, std::int32_t height, std::uint16_t bits,
                    std::uint32_t compression) {
  BitmapHeader header;
  const std::uint32_t fields[][3] = {{0, 40, 4},
                                     {4, static_cast<std::uint32_t>(width), 4},
                                     {8, static_cast<std::uint32_t>(height), 4},
                                     {14, bits, 2},
                                     {16, compression, 4}};
  for (const auto& [at, value, count] : fields) {
    for (std::uint32_t i = 0; i < count; ++i)
      header.bytes[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
  }
  return header;
}

// The 75% colour bars in BT.601 limited range (white, yellow, cyan, green,
// magenta, red, blue, black), and the blue, green, red they stand for.
constexpr Yuv kBarsYuv[] = {{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                            {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128}};
constexpr int kBarsBgr[][3] = {{191, 191, 191}, {0, 191, 191}, {191, 191, 0}, {0, 191, 0},
                               {191, 0, 191},   {0, 0, 191},   {191, 0, 0},   {0, 0, 0}};

// Give or take the rounding of the bars' own 8-bit values.
::testing::AssertionResult IsBar(const std::uint8_t* pixel, int bar) {
  for (int i = 0; i < 3; ++i) {
    if (std::abs(pixel[i] - kBarsBgr[bar][i]) > 2) {
      return ::testing::AssertionFailure()
             << "bar " << bar << " channel " << i << " is " << +pixel[i];
    }
  }
  return ::testing::AssertionSuccess();
}

// The frame converted into rows filled with 0xEE; also checks that a sample
// one byte short gives nothing and leaves the rows alone.
Bytes Convert(const BitmapHeader& header, const Bytes& sample, std::size_t& stride) {
  const auto layout = UncompressedLayout(header);
  if (!layout) return {};
  stride = Bgr24Stride(layout->width);
  Bytes rows(stride * layout->height, 0xEE);
  EXPECT_FALSE(ConvertToBgr24(*layout, sample.data(), layout->sampleSize - 1, rows.data(), stride));
  EXPECT_EQ(rows, Bytes(rows.size(), 0xEE));
  EXPECT_TRUE(ConvertToBgr24(*layout, sample.data(), sample.size(), rows.data(), stride));
  return rows;
}

TEST(FrameConversion, FormatsAreNamedByTheirHeaderAndLosslessOnesPreferred) {
  const std::pair<BitmapHeader, FrameFormat> named[] = {
      {Header(8, 8, 24, 0), FrameFormat::kRgb24},
      {Header(8, 8, 32, 0), FrameFormat::kRgb32},
      {Header(8, 8, 32, 3), FrameFormat::kRgb32},
      {Header(8, 8, 16, 0), FrameFormat::kUnknown},
      {Header(8, 8, 16, FourCc("YUY2")), FrameFormat::kYuy2},
      {Header(8, 8, 16, FourCc("UYVY")), FrameFormat::kUyvy},
      {Header(8, 8, 12, FourCc("NV12")), FrameFormat::kNv12},
      {Header(8, 8, 12, FourCc("I420")), FrameFormat::kI420},
      {Header(8, 8, 12, FourCc("IYUV")), FrameFormat::kI420},
      {Header(8, 8, 24, FourCc("MJPG")), FrameFormat::kMjpg},
      {Header(8, 8, 12, FourCc("YV12")), FrameFormat::kUnknown}};
  for (const auto& [header, format] : named) EXPECT_EQ(FrameFormatOf(header), format);

  EXPECT_LT(FormatPreference(FrameFormat::kRgb32), FormatPreference(FrameFormat::kYuy2));
  EXPECT_EQ(FormatPreference(FrameFormat::kYuy2), FormatPreference(FrameFormat::kNv12));
  EXPECT_LT(FormatPreference(FrameFormat::kI420), FormatPreference(FrameFormat::kMjpg));
  EXPECT_FALSE(FormatPreference(FrameFormat::kUnknown));
  EXPECT_FALSE(UncompressedLayout(Header(8, 8, 24, FourCc("MJPG"))));
  EXPECT_FALSE(UncompressedLayout(Header(0, 8, 24, 0)));
  EXPECT_FALSE(UncompressedLayout(Header(8, 0, 16, FourCc("YUY2"))));
}

TEST(FrameConversion, RgbRowsComeTopDownWhicheverWayTheyAreStored) {
  // 3 x 2; a pixel's blue byte says its row and column. RGB24 rows pad to 12.
  for (const int height : {2, -2}) {
    for (const std::size_t pixelBytes : {3, 4}) {
      SCOPED_TRACE(testing::Message() << height << " rows of " << pixelBytes << " bytes");
      const std::size_t sampleStride = (3 * pixelBytes + 3) / 4 * 4;
      Bytes sample(sampleStride * 2, 0x55);
      for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 3; ++x) {
          sample[(height > 0 ? 1 - row : row) * sampleStride + x * pixelBytes] =
              static_cast<std::uint8_t>(10 * row + x);
        }
      }
      std::size_t stride = 0;
      const Bytes rows =
          Convert(Header(3, height, static_cast<std::uint16_t>(8 * pixelBytes), 0), sample, stride);
      ASSERT_FALSE(rows.empty());
      for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 3; ++x) {
          EXPECT_EQ(rows[row * stride + x * 3], 10 * row + x);
          EXPECT_EQ(rows[row * stride + x * 3 + 1], 0x55);
        }
      }
    }
  }
}

TEST(FrameConversion, PackedYuvGivesTheColourBarsAndItsOddLastPixel) {
  // 15 pixels a row, two to a bar, the last bar one pixel stored as a whole
  // pair: rows of 32 bytes; the second row runs the bars backwards.
  for (const bool yuy2 : {true, false}) {
    SCOPED_TRACE(yuy2 ? "YUY2" : "UYVY");
    Bytes sample;
    for (int i = 0; i < 16; ++i) {
      const Yuv c = kBarsYuv[i < 8 ? i : 15 - i];
      const Bytes pair = yuy2 ? Bytes{c.y, c.u, c.y, c.v} : Bytes{c.u, c.y, c.v, c.y};
      sample.insert(sample.end(), pair.begin(), pair.end());
    }
    std::size_t stride = 0;
    const Bytes rows =
        Convert(Header(15, 2, 16, yuy2 ? FourCc("YUY2") : FourCc("UYVY")), sample, stride);
    ASSERT_FALSE(rows.empty());
    for (int x = 0; x < 15; ++x) {
      EXPECT_TRUE(IsBar(&rows[x * 3], x / 2)) << x;
      EXPECT_TRUE(IsBar(&rows[stride + x * 3], 7 - x / 2)) << x;
    }
    EXPECT_EQ(rows[45], 0xEE) << "row padding is not written";
  }
}

TEST(FrameConversion, PlanarYuvShareChromaOverTwoByTwoBlocksOddEdgesIncluded) {
  // 5 x 3 in planes 6 bytes wide: block (column c, row r) has bar 3 * r + c,
  // the last column and the last row blocks of their own.
  Bytes luma, u, v, interleaved;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) luma.push_back(kBarsYuv[3 * (y / 2) + x / 2].y);
  }
  for (int block = 0; block < 6; ++block) {
    u.push_back(kBarsYuv[block].u);
    v.push_back(kBarsYuv[block].v);
    interleaved.insert(interleaved.end(), {kBarsYuv[block].u, kBarsYuv[block].v});
  }
  Bytes i420 = luma, nv12 = luma;
  i420.insert(i420.end(), u.begin(), u.end());
  i420.insert(i420.end(), v.begin(), v.end());
  nv12.insert(nv12.end(), interleaved.begin(), interleaved.end());
  for (const auto& [code, sample] :
       {std::pair{FourCc("NV12"), nv12}, std::pair{FourCc("I420"), i420},
        std::pair{FourCc("IYUV"), i420}}) {
    SCOPED_TRACE(code);
    std::size_t stride = 0;
    const Bytes rows = Convert(Header(5, 3, 12, code), sample, stride);
    ASSERT_FALSE(rows.empty());
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x)
        EXPECT_TRUE(IsBar(&rows[y * stride + x * 3], 3 * (y / 2) + x / 2));
    }
  }
}

}  // namespace
}  // namespace kelpo
