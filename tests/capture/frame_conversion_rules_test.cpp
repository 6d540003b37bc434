#include "capture/frame_conversion_rules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace kelpo {
namespace {

constexpr std::uint32_t FourCc(const char (&code)[5]) {
  return static_cast<std::uint32_t>(code[0]) | static_cast<std::uint32_t>(code[1]) << 8 |
         static_cast<std::uint32_t>(code[2]) << 16 | static_cast<std::uint32_t>(code[3]) << 24;
}

BitmapHeader Header(std::int32_t width, std::int32_t height, std::uint16_t bits,
                    std::uint32_t compression) {
  BitmapHeader header;
  auto put = [&header](std::size_t at, std::uint32_t value, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
      header.bytes[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
  };
  put(0, 40, 4);
  put(4, static_cast<std::uint32_t>(width), 4);
  put(8, static_cast<std::uint32_t>(height), 4);
  put(14, bits, 2);
  put(16, compression, 4);
  return header;
}

// The 75% colour bars as BT.601 limited range gives them (white, yellow, cyan,
// green, magenta, red, blue, black), and the RGB they stand for.
constexpr Yuv kBarsYuv[] = {{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                            {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128}};
constexpr Bgr kBarsBgr[] = {{191, 191, 191}, {0, 191, 191}, {191, 191, 0}, {0, 191, 0},
                            {191, 0, 191},   {0, 0, 191},   {191, 0, 0},   {0, 0, 0}};

// Whether the converted pixel is the bar's colour, give or take the rounding
// of the bars' own 8-bit values.
::testing::AssertionResult IsBar(const std::uint8_t* pixel, int bar) {
  const Bgr want = kBarsBgr[bar];
  const int got[] = {pixel[0], pixel[1], pixel[2]};
  const int expected[] = {want.blue, want.green, want.red};
  for (int i = 0; i < 3; ++i) {
    if (std::abs(got[i] - expected[i]) > 2) {
      return ::testing::AssertionFailure() << "bar " << bar << " channel " << i << " is " << got[i];
    }
  }
  return ::testing::AssertionSuccess();
}

struct Converted {
  bool ok;
  std::vector<std::uint8_t> rows;
  std::size_t stride;
};

Converted Convert(const BitmapHeader& header, const std::vector<std::uint8_t>& sample) {
  const auto layout = UncompressedLayout(header);
  if (!layout) return {false, {}, 0};
  Converted out{false, std::vector<std::uint8_t>(Bgr24Stride(layout->width) * layout->height, 0xEE),
                Bgr24Stride(layout->width)};
  out.ok = ConvertToBgr24(*layout, sample.data(), sample.size(), out.rows.data(), out.stride);
  // One byte short gives nothing, and leaves the rows alone.
  std::vector<std::uint8_t> untouched(out.rows.size(), 0xEE);
  EXPECT_FALSE(
      ConvertToBgr24(*layout, sample.data(), layout->sampleSize - 1, untouched.data(), out.stride));
  EXPECT_EQ(untouched, std::vector<std::uint8_t>(out.rows.size(), 0xEE));
  return out;
}

TEST(FrameConversion, FormatsAreNamedByTheirHeaderAndLosslessOnesPreferred) {
  EXPECT_EQ(FrameFormatOf(Header(8, 8, 24, 0)), FrameFormat::kRgb24);
  EXPECT_EQ(FrameFormatOf(Header(8, 8, 32, 0)), FrameFormat::kRgb32);
  EXPECT_EQ(FrameFormatOf(Header(8, 8, 32, 3)), FrameFormat::kRgb32);
  EXPECT_EQ(FrameFormatOf(Header(8, 8, 16, 0)), FrameFormat::kUnknown);
  EXPECT_EQ(FrameFormatOf(Header(8, 8, 16, FourCc("YUY2"))), FrameFormat::kYuy2);
  EXPECT_EQ(FrameFormatOf(Header(8, 8, 16, FourCc("UYVY"))), FrameFormat::kUyvy);
  EXPECT_EQ(FrameFormatOf(Header(8, 8, 12, FourCc("NV12"))), FrameFormat::kNv12);
  EXPECT_EQ(FrameFormatOf(Header(8, 8, 12, FourCc("I420"))), FrameFormat::kI420);
  EXPECT_EQ(FrameFormatOf(Header(8, 8, 12, FourCc("IYUV"))), FrameFormat::kI420);
  EXPECT_EQ(FrameFormatOf(Header(8, 8, 24, FourCc("MJPG"))), FrameFormat::kMjpg);
  EXPECT_EQ(FrameFormatOf(Header(8, 8, 12, FourCc("YV12"))), FrameFormat::kUnknown);

  EXPECT_LT(*FormatPreference(FrameFormat::kRgb24), *FormatPreference(FrameFormat::kYuy2));
  EXPECT_EQ(*FormatPreference(FrameFormat::kRgb24), *FormatPreference(FrameFormat::kRgb32));
  EXPECT_EQ(*FormatPreference(FrameFormat::kYuy2), *FormatPreference(FrameFormat::kNv12));
  EXPECT_LT(*FormatPreference(FrameFormat::kI420), *FormatPreference(FrameFormat::kMjpg));
  EXPECT_FALSE(FormatPreference(FrameFormat::kUnknown));
  // Compressed formats and empty pictures have no layout.
  EXPECT_FALSE(UncompressedLayout(Header(8, 8, 24, FourCc("MJPG"))));
  EXPECT_FALSE(UncompressedLayout(Header(0, 8, 24, 0)));
  EXPECT_FALSE(UncompressedLayout(Header(8, 0, 16, FourCc("YUY2"))));
}

TEST(FrameConversion, RgbRowsComeTopDownWhicheverWayTheyAreStored) {
  // 3 x 2: each pixel's bytes say its row and column; RGB24 rows pad to 12.
  for (const int height : {2, -2}) {
    for (const std::uint16_t bits : {24, 32}) {
      SCOPED_TRACE(testing::Message() << height << " rows, " << bits << " bits");
      const std::size_t pixelBytes = bits / 8;
      const std::size_t stride = (3 * pixelBytes + 3) / 4 * 4;
      std::vector<std::uint8_t> sample(stride * 2, 0x55);
      for (int row = 0; row < 2; ++row) {
        const int stored = height > 0 ? 1 - row : row;
        for (int x = 0; x < 3; ++x) {
          std::uint8_t* pixel = &sample[stored * stride + x * pixelBytes];
          pixel[0] = static_cast<std::uint8_t>(10 * row + x);
          pixel[1] = 100;
          pixel[2] = 200;
        }
      }
      const Converted out = Convert(Header(3, height, bits, 0), sample);
      ASSERT_TRUE(out.ok);
      for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 3; ++x) {
          const std::uint8_t* pixel = &out.rows[row * out.stride + x * 3];
          EXPECT_EQ(pixel[0], 10 * row + x);
          EXPECT_EQ(pixel[1], 100);
          EXPECT_EQ(pixel[2], 200);
        }
      }
    }
  }
}

TEST(FrameConversion, PackedYuvGivesTheColourBarsAndItsOddLastPixel) {
  // 15 pixels a row: bars of two pixels each, the last bar a single pixel
  // (stored as a whole pair). Rows of 16 pixels, 32 bytes; YUV is top-down
  // whatever the height's sign.
  for (const char* code : {"YUY2", "UYVY"}) {
    const bool yuy2 = code[0] == 'Y';
    SCOPED_TRACE(code);
    std::vector<std::uint8_t> sample;
    for (int row = 0; row < 2; ++row) {
      for (int bar = 0; bar < 8; ++bar) {
        const Yuv c = kBarsYuv[row == 0 ? bar : 7 - bar];
        const std::uint8_t yuy2Pair[] = {c.y, c.u, c.y, c.v};
        const std::uint8_t uyvyPair[] = {c.u, c.y, c.v, c.y};
        sample.insert(sample.end(), yuy2 ? yuy2Pair : uyvyPair, (yuy2 ? yuy2Pair : uyvyPair) + 4);
      }
    }
    const std::uint32_t compression = yuy2 ? FourCc("YUY2") : FourCc("UYVY");
    const Converted out = Convert(Header(15, 2, 16, compression), sample);
    ASSERT_TRUE(out.ok);
    for (int x = 0; x < 15; ++x) {
      EXPECT_TRUE(IsBar(&out.rows[x * 3], x / 2)) << x;
      EXPECT_TRUE(IsBar(&out.rows[out.stride + x * 3], 7 - x / 2)) << x;
    }
    EXPECT_EQ(out.rows[45], 0xEE) << "row padding is not written";
  }
}

TEST(FrameConversion, PlanarYuvShareChromaOverTwoByTwoBlocksOddEdgesIncluded) {
  // 5 x 3: blocks of 2 x 2 pixels, the last column and the last row alone;
  // block (column c, row r) has bar 3 * r + c. Planes are 6 bytes wide.
  constexpr int kWidth = 5, kHeight = 3, kEven = 6, kChromaRows = 2;
  std::vector<std::uint8_t> luma(kEven * kHeight), u(kEven / 2 * kChromaRows),
      v(kEven / 2 * kChromaRows);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kEven; ++x) luma[y * kEven + x] = kBarsYuv[3 * (y / 2) + x / 2].y;
  }
  for (int r = 0; r < kChromaRows; ++r) {
    for (int c = 0; c < kEven / 2; ++c) {
      u[r * 3 + c] = kBarsYuv[3 * r + c].u;
      v[r * 3 + c] = kBarsYuv[3 * r + c].v;
    }
  }
  std::vector<std::uint8_t> i420 = luma, nv12 = luma;
  i420.insert(i420.end(), u.begin(), u.end());
  i420.insert(i420.end(), v.begin(), v.end());
  for (std::size_t i = 0; i < u.size(); ++i) {
    nv12.push_back(u[i]);
    nv12.push_back(v[i]);
  }
  for (const auto& [code, sample] :
       {std::pair{FourCc("NV12"), nv12}, std::pair{FourCc("I420"), i420}}) {
    SCOPED_TRACE(code);
    const Converted out = Convert(Header(kWidth, kHeight, 12, code), sample);
    ASSERT_TRUE(out.ok);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        EXPECT_TRUE(IsBar(&out.rows[y * out.stride + x * 3], 3 * (y / 2) + x / 2)) << x << "," << y;
      }
    }
  }
  // IYUV reads as I420.
  EXPECT_TRUE(Convert(Header(kWidth, kHeight, 12, FourCc("IYUV")), i420).ok);
}

TEST(FrameConversion, RgbToYuvAndBackKeepsTheCameraPatternColours) {
  // The colours of the test camera's pattern survive the round trip closely.
  const Bgr colours[] = {{0, 0, 255},   {0, 255, 0},     {255, 0, 0},
                         {0, 255, 255}, {255, 255, 255}, {0, 0, 0}};
  for (const Bgr& colour : colours) {
    const Yuv yuv = YuvOf(colour.red, colour.green, colour.blue);
    const Bgr back = BgrOf(yuv.y, yuv.u, yuv.v);
    EXPECT_NEAR(back.blue, colour.blue, 3);
    EXPECT_NEAR(back.green, colour.green, 3);
    EXPECT_NEAR(back.red, colour.red, 3);
  }
  EXPECT_EQ(YuvOf(255, 255, 255).y, 235);
  EXPECT_EQ(YuvOf(0, 0, 0).y, 16);
}

}  // namespace
}  // namespace kelpo
