#include "settings/settings_rules.h"

namespace kelpo {

namespace {

constexpr std::uint32_t kMinTimeValue = 1;
constexpr std::uint32_t kMaxTimeValue = 999;
constexpr std::uint32_t kMinFontSize = 1;
constexpr std::uint32_t kMaxFontSize = 999;
constexpr std::uint32_t kMaxImageSize = 3;  // 640 x 480

constexpr unsigned kGreenShift = 8;
constexpr unsigned kBlueShift = 16;
constexpr std::uint32_t kByteMask = 0xFF;

}  // namespace

std::uint32_t ClampToRange(std::uint32_t value, std::uint32_t lo, std::uint32_t hi) {
  if (value > hi) return hi;
  if (value < lo) return lo;
  return value;
}

void ClampLoadedSettings(Settings& settings, bool clearTypeAvailable) {
  settings.timevalue = ClampToRange(settings.timevalue, kMinTimeValue, kMaxTimeValue);
  settings.timeunit = ClampToRange(settings.timeunit, kTimeUnitSeconds, kTimeUnitHours);
  settings.fontsize = ClampToRange(settings.fontsize, kMinFontSize, kMaxFontSize);
  settings.smoothtype = ClampToRange(settings.smoothtype, kSmoothNone, kSmoothClearType);
  if (settings.smoothtype == kSmoothClearType && !clearTypeAvailable) {
    settings.smoothtype = kSmoothStandard;
  }
  settings.imagesize = ClampToRange(settings.imagesize, 0, kMaxImageSize);
  settings.deviceType = ClampToRange(settings.deviceType, kDeviceCamera, kDeviceImageFile);
}

std::uint32_t ComposeColour(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  red = ClampToRange(red, 0, kMaxColourComponent);
  green = ClampToRange(green, 0, kMaxColourComponent);
  blue = ClampToRange(blue, 0, kMaxColourComponent);
  return red | green << kGreenShift | blue << kBlueShift;
}

std::uint32_t ColourRed(std::uint32_t colour) { return colour & kByteMask; }
std::uint32_t ColourGreen(std::uint32_t colour) { return colour >> kGreenShift & kByteMask; }
std::uint32_t ColourBlue(std::uint32_t colour) { return colour >> kBlueShift & kByteMask; }

}  // namespace kelpo
