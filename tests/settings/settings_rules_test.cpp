#include "settings/settings_rules.h"

#include <gtest/gtest.h>

namespace kelpo {
namespace {

TEST(SettingsRules, ClampsAsUnsignedNumbers) {
  EXPECT_EQ(ClampToRange(0, 1, 999), 1u);
  EXPECT_EQ(ClampToRange(1000, 1, 999), 999u);
  EXPECT_EQ(ClampToRange(500, 1, 999), 500u);
  EXPECT_EQ(ClampToRange(static_cast<std::uint32_t>(-1), 0, 2), 2u);
}

TEST(SettingsRules, EveryNumberLoadsWithinWhatThePagesAllow) {
  Settings settings;
  settings.timevalue = 0;
  settings.fontsize = 1000;
  settings.timeunit = static_cast<std::uint32_t>(-3);
  settings.imagesize = 4;
  settings.deviceType = 7;
  settings.JPEGquality = 500;
  settings.textposition = 12;
  settings.overlayopacity = 1000;
  settings.CustomSizeX = 0;
  settings.CropHeight = 100000;
  settings.overlayscale = 5;
  ClampLoadedSettings(settings, true);
  EXPECT_EQ(settings.timevalue, 1u);
  EXPECT_EQ(settings.fontsize, 999u);
  EXPECT_EQ(settings.timeunit, 2u);
  EXPECT_EQ(settings.imagesize, 3u);
  EXPECT_EQ(settings.deviceType, 1u);
  EXPECT_EQ(settings.JPEGquality, 100u);
  // Beyond its list a position or scale has always meant the first one.
  EXPECT_EQ(settings.textposition, 0u);
  EXPECT_EQ(settings.overlayscale, 0u);
  EXPECT_EQ(settings.overlayopacity, 100u);
  EXPECT_EQ(settings.CustomSizeX, 1u);
  EXPECT_EQ(settings.CropHeight, kMaxPictureSide);

  settings.timevalue = 1000;
  settings.timeunit = 7;
  settings.fontsize = 0;
  ClampLoadedSettings(settings, true);
  EXPECT_EQ(settings.timevalue, 999u);
  EXPECT_EQ(settings.timeunit, 2u);
  EXPECT_EQ(settings.fontsize, 1u);
}

TEST(SettingsRules, ClearTypeNeedsTheSystemsAnswer) {
  Settings settings;
  for (std::uint32_t stored : {2u, 3u, 0xFFFFFFFFu}) {
    settings.smoothtype = stored;
    ClampLoadedSettings(settings, true);
    EXPECT_EQ(settings.smoothtype, 2u) << stored;
    settings.smoothtype = stored;
    ClampLoadedSettings(settings, false);
    EXPECT_EQ(settings.smoothtype, 1u) << stored;
  }
  settings.smoothtype = 0;
  ClampLoadedSettings(settings, false);
  EXPECT_EQ(settings.smoothtype, 0u);
}

TEST(SettingsRules, ColoursPackRedInTheLowByte) {
  EXPECT_EQ(ComposeColour(96, 16, 16), 0x101060u);
  EXPECT_EQ(ComposeColour(255, 255, 128), 0x80FFFFu);
  EXPECT_EQ(ComposeColour(300, 0, static_cast<std::uint32_t>(-1)), 0xFF00FFu);
  const std::uint32_t colour = ComposeColour(1, 2, 3);
  EXPECT_EQ(ColourRed(colour), 1u);
  EXPECT_EQ(ColourGreen(colour), 2u);
  EXPECT_EQ(ColourBlue(colour), 3u);
  EXPECT_EQ(ColourBlue(0xFF000000u | colour), 3u);

  const Settings defaults;
  EXPECT_EQ(defaults.Background, ComposeColour(96, 16, 16));
  EXPECT_EQ(defaults.Foreground, ComposeColour(255, 255, 128));
  EXPECT_EQ(defaults.ColourKey, ComposeColour(255, 255, 255));
}

}  // namespace
}  // namespace kelpo
