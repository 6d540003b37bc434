// Pure rules of the settings record: the ranges applied after loading and the
// packing of a colour's three components into one 32-bit value.
#pragma once

#include "settings/settings.h"
#include "settings/settings_schema.h"

#include <cstdint>

namespace kelpo {

constexpr std::uint32_t kMaxColourComponent = 255;
constexpr unsigned kColourGreenShift = 8;
constexpr unsigned kColourBlueShift = 16;
// Values of `timeunit`.
constexpr std::uint32_t kTimeUnitSeconds = 0;
constexpr std::uint32_t kTimeUnitMinutes = 1;
constexpr std::uint32_t kTimeUnitHours = 2;
// Values of `deviceType`.
constexpr std::uint32_t kDeviceCamera = 0;
constexpr std::uint32_t kDeviceImageFile = 1;
// Values of `smoothtype`.
constexpr std::uint32_t kSmoothNone = 0;
constexpr std::uint32_t kSmoothStandard = 1;
constexpr std::uint32_t kSmoothClearType = 2;

// A value above hi becomes hi, one below lo becomes lo; compared as unsigned,
// so a negative number stored in the registry counts as a very large one.
constexpr std::uint32_t ClampToRange(std::uint32_t value, std::uint32_t lo, std::uint32_t hi) {
  if (value > hi) return hi;
  if (value < lo) return lo;
  return value;
}

// A value brought into its setting's range: clamped, except that a value
// above a range that says so becomes its lowest value.
constexpr std::uint32_t InRange(std::uint32_t value, const SettingRange& range) {
  if (value > range.hi && range.aboveMeansLowest) return range.lo;
  return ClampToRange(value, range.lo, range.hi);
}

// The longest side of a picture Kelpo makes, of the custom picture size, the
// crop rectangle and the capture size. A picture this size on both sides
// still fits GDI+'s arithmetic (picture/picture_rules.h), and no camera's
// frame comes near it.
constexpr std::uint32_t kMaxPictureSide = 16384;
constexpr SettingRange kPictureSideRange{1, kMaxPictureSide};

// A side of a picture, a crop rectangle or a capture size as Kelpo uses it:
// 0 becomes 1, and anything beyond kMaxPictureSide becomes that.
constexpr std::uint32_t PictureSide(std::uint32_t side) { return InRange(side, kPictureSideRange); }

// Applies the load ranges of the settings schema; ClearType then falls back
// to standard smoothing when the system could not say which smoothing it
// supports.
void ClampLoadedSettings(Settings& settings, bool clearTypeAvailable);

// Red in the low byte, then green, then blue; each component is first clamped
// to 255.
constexpr std::uint32_t ComposeColour(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return ClampToRange(red, 0, kMaxColourComponent) |
         ClampToRange(green, 0, kMaxColourComponent) << kColourGreenShift |
         ClampToRange(blue, 0, kMaxColourComponent) << kColourBlueShift;
}
constexpr std::uint32_t ColourRed(std::uint32_t colour) { return colour & kMaxColourComponent; }
constexpr std::uint32_t ColourGreen(std::uint32_t colour) {
  return colour >> kColourGreenShift & kMaxColourComponent;
}
constexpr std::uint32_t ColourBlue(std::uint32_t colour) {
  return colour >> kColourBlueShift & kMaxColourComponent;
}

}  // namespace kelpo
