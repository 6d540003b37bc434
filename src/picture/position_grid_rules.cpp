#include "picture/position_grid_rules.h"

namespace kelpo {

namespace {

constexpr std::uint32_t kColumns = 3;
constexpr std::uint32_t kLastPosition = 8;
constexpr float kHalf = 0.5f;

}  // namespace

std::optional<GridCell> GridCellFor(std::uint32_t position) {
  if (position > kLastPosition) return std::nullopt;
  return GridCell{static_cast<GridAlign>(position % kColumns),
                  static_cast<GridAlign>(position / kColumns)};
}

float GridOffset(GridAlign align, float drawn, float side) {
  switch (align) {
    case GridAlign::kCenter:
      return (side - drawn) * kHalf;
    case GridAlign::kFar:
      return side - drawn;
    default:
      return 0.0f;
  }
}

}  // namespace kelpo
