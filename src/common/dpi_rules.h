// Pure rules of windows that follow their monitor's scale: lengths and
// rectangles laid out at one DPI, taken to another, and kept on the screen.
#pragma once

#include <cstdint>

namespace kelpo {

// Windows' own unscaled DPI.
constexpr std::uint32_t kDefaultDpi = 96;

struct DpiRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

// `value` at `fromDpi` as it is at `toDpi`, rounded half away from zero as
// MulDiv rounds. A zero DPI (not known) leaves it as it is.
std::int32_t ScaleToDpi(std::int32_t value, std::uint32_t fromDpi, std::uint32_t toDpi);

// Each edge scaled on its own, so that controls that touch at one DPI still
// touch at another.
DpiRect ScaleToDpi(const DpiRect& rect, std::uint32_t fromDpi, std::uint32_t toDpi);

// The window moved, unchanged in size, as little as brings it within `area`;
// one larger than the area keeps its top left corner (its caption) in it.
DpiRect KeepWithin(const DpiRect& window, const DpiRect& area);

}  // namespace kelpo
