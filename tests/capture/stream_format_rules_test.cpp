#include "capture/stream_format_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

constexpr std::uint32_t kYuy2 = 0x32595559;
constexpr std::uint32_t kMjpg = 0x47504A4D;
constexpr std::uint32_t kRgb24 = 0xE436EB7D;
constexpr std::uint32_t kH264 = 0x34363248;

TEST(StreamFormatRules, SizeFirstThenThePickedFormatThenKelposPreference) {
  const std::vector<CaptureCapability> camera{
      {1280, 720, kMjpg, 2},
      {640, 480, kMjpg, 2},
      {640, 480, kYuy2, 1},
      {640, 480, kRgb24, 0},
      {320, 240, kH264, std::nullopt},
      {320, 240, kYuy2, 1},
  };
  // Only the exact size counts: 720p exists only as MJPG.
  EXPECT_EQ(ChooseCapability(camera, 1280, 720, 0), 0u);
  EXPECT_EQ(ChooseCapability(camera, 640, 480, 0), 3u);
  EXPECT_EQ(ChooseCapability(camera, 640, 480, kMjpg), 1u);
  // A pick at another size, or one Kelpo cannot convert, leaves Kelpo's choice.
  EXPECT_EQ(ChooseCapability(camera, 1280, 720, kYuy2), 0u);
  EXPECT_EQ(ChooseCapability(camera, 320, 240, kH264), 5u);
  EXPECT_EQ(ChooseCapability(camera, 400, 300, 0), std::nullopt);
  // Nothing convertible at the size: the device's first, as before.
  EXPECT_EQ(ChooseCapability({{320, 240, kH264, std::nullopt}}, 320, 240, 0), 0u);
}

}  // namespace
}  // namespace kelpo
