#include "common/dpi_rules.h"

namespace kelpo {

std::int32_t ScaleToDpi(std::int32_t value, std::uint32_t fromDpi, std::uint32_t toDpi) {
  if (fromDpi == 0 || toDpi == 0) return value;
  const std::int64_t product = static_cast<std::int64_t>(value) * toDpi;
  const auto half = static_cast<std::int64_t>(fromDpi / 2);
  const std::int64_t rounded =
      product >= 0 ? (product + half) / fromDpi : (product - half) / fromDpi;
  return static_cast<std::int32_t>(rounded);
}

DpiRect ScaleToDpi(const DpiRect& rect, std::uint32_t fromDpi, std::uint32_t toDpi) {
  return {ScaleToDpi(rect.left, fromDpi, toDpi), ScaleToDpi(rect.top, fromDpi, toDpi),
          ScaleToDpi(rect.right, fromDpi, toDpi), ScaleToDpi(rect.bottom, fromDpi, toDpi)};
}

DpiRect KeepWithin(const DpiRect& window, const DpiRect& area) {
  std::int32_t left = window.left;
  std::int32_t top = window.top;
  if (window.right > area.right) left -= window.right - area.right;
  if (window.bottom > area.bottom) top -= window.bottom - area.bottom;
  if (left < area.left) left = area.left;
  if (top < area.top) top = area.top;
  return {left, top, left + (window.right - window.left), top + (window.bottom - window.top)};
}

}  // namespace kelpo
