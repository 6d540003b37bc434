#include "picture/pixel_format_rules.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace kelpo {
namespace {

// Two pixels a row, two rows, padded source rows: each format lands opaque in
// BGRA order, row padding skipped, 16-bit samples by their high byte.
TEST(PixelFormatRules, WidensEveryFormatToOpaqueBgra) {
  struct Case {
    RowFormat format;
    std::vector<std::uint8_t> rows;  // two rows of two pixels, each row padded by 2
    std::size_t stride;
  };
  const Case cases[] = {
      {RowFormat::kBgr24, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}, 8},
      {RowFormat::kBgrx32, {1, 2, 3, 99, 4, 5, 6, 99, 0, 0, 7, 8, 9, 99, 10, 11, 12, 99, 0, 0}, 10},
      {RowFormat::kRgb48,
       {0x11, 3, 0x22, 2, 0x33, 1, 0x44, 6,  0x55, 5,  0x66, 4,  0, 0,
        0x77, 9, 0x88, 8, 0x99, 7, 0xAA, 12, 0xBB, 11, 0xCC, 10, 0, 0},
       14},
  };
  const std::vector<std::uint8_t> expected = {1, 2, 3, 255, 4,  5,  6,  255,
                                              7, 8, 9, 255, 10, 11, 12, 255};
  for (const Case& c : cases) {
    std::vector<std::uint8_t> target(16, 0);
    WidenToBgra(c.format, c.rows.data(), c.stride, target.data(), 8, 2, 2);
    EXPECT_EQ(target, expected) << static_cast<int>(c.format);
  }
}

// Three 2-byte pixels a row, three rows, one byte of padding the mirror must
// leave alone: every combination lands each pixel where RotateFlip puts it.
TEST(PixelFormatRules, MirrorsInPlaceLeavingPaddingAlone) {
  const std::vector<std::uint8_t> rows = {1,  2,  3,  4,  5,  6,  99, 7,  8,  9, 10,
                                          11, 12, 99, 13, 14, 15, 16, 17, 18, 99};
  const std::vector<std::uint8_t> leftToRight = {5, 6, 3,  4,  1,  2,  99, 11, 12, 9, 10,
                                                 7, 8, 99, 17, 18, 15, 16, 13, 14, 99};
  const std::vector<std::uint8_t> topToBottom = {13, 14, 15, 16, 17, 18, 99, 7, 8, 9, 10,
                                                 11, 12, 99, 1,  2,  3,  4,  5, 6, 99};
  const std::vector<std::uint8_t> both = {17, 18, 15, 16, 13, 14, 99, 11, 12, 9, 10,
                                          7,  8,  99, 5,  6,  3,  4,  1,  2,  99};
  for (const auto& [x, y, expected] :
       {std::tuple{false, false, rows}, std::tuple{true, false, leftToRight},
        std::tuple{false, true, topToBottom}, std::tuple{true, true, both}}) {
    std::vector<std::uint8_t> mirrored = rows;
    MirrorRows(mirrored.data(), 7, 3, 3, 2, x, y);
    EXPECT_EQ(mirrored, expected) << x << y;
  }
}

}  // namespace
}  // namespace kelpo
