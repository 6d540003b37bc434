// Pure rules of the nine places a caption or an overlay takes on a picture:
// position 3 x row + column, counted from the upper left.
#pragma once

#include <cstdint>
#include <optional>

namespace kelpo {

enum class GridAlign { kNear, kCenter, kFar };

struct GridCell {
  GridAlign column;
  GridAlign row;
};

// Nothing for a position above 8: such a position takes no place of the grid.
std::optional<GridCell> GridCellFor(std::uint32_t position);

// Where `drawn` starts along a side of length `side`: at its start, centred, or
// flush with its end. A drawn extent larger than the side starts before it.
float GridOffset(GridAlign align, float drawn, float side);

}  // namespace kelpo
