#include "support/test_camera/frame_pattern.h"

#include <cstring>
#include <vector>

namespace kelpo::test_camera {
namespace {

void Put(std::uint8_t* pixel, Rgb colour) {
  pixel[0] = colour.blue;
  pixel[1] = colour.green;
  pixel[2] = colour.red;
}

// One row of the upright picture, built once and copied to every row it fits.
std::vector<std::uint8_t> QuadrantRow(int width, Rgb left, Rgb right) {
  std::vector<std::uint8_t> row(Rgb24View::Stride(width), 0);
  for (int x = 0; x < width; ++x)
    Put(&row[static_cast<std::size_t>(x) * 3], x < width / 2 ? left : right);
  return row;
}

std::vector<std::uint8_t> StampRow(int width, FrameStamp stamp) {
  const std::uint32_t payload =
      static_cast<std::uint32_t>(stamp.tag) << kCounterBits | stamp.counter;
  std::vector<std::uint8_t> row(Rgb24View::Stride(width), 0);
  for (int cell = 0; cell < kStampCells; ++cell) {
    bool one;
    if (cell == 0) {
      one = true;
    } else if (cell == kStampCells - 1) {
      one = false;
    } else {
      one = (payload >> (kStampCells - 2 - cell) & 1) != 0;
    }
    for (int x = cell * width / kStampCells; x < (cell + 1) * width / kStampCells; ++x) {
      Put(&row[static_cast<std::size_t>(x) * 3], one ? kStampOne : kStampZero);
    }
  }
  return row;
}

}  // namespace

void DrawFrame(std::uint8_t* bits, int width, int height, FrameStamp stamp) {
  const int rows = height < 0 ? -height : height;
  const bool bottomUp = height > 0;
  const std::size_t stride = Rgb24View::Stride(width);
  const auto top = QuadrantRow(width, kTopLeftColour, kTopRightColour);
  const auto bottom = QuadrantRow(width, kBottomLeftColour, kBottomRightColour);
  const auto stampRow = StampRow(width, stamp);
  const int stampRows = rows / kStampHeightDivisor;
  for (int y = 0; y < rows; ++y) {
    const auto& source = y < stampRows ? stampRow : (y < rows / 2 ? top : bottom);
    const int stored = bottomUp ? rows - 1 - y : y;
    std::memcpy(bits + stride * static_cast<std::size_t>(stored), source.data(), stride);
  }
}

void DrawDarkFrame(std::uint8_t* bits, int width, int height) {
  std::memset(bits, 0, Rgb24View::ImageSize(width, height));
}

}  // namespace kelpo::test_camera
