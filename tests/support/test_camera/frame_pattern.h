// The picture the test camera delivers, and how a test reads it back.
//
// Seen upright (top row first), every frame is:
// - four quadrants split at width / 2 and height / 2: top-left red, top-right
//   green, bottom-left blue, bottom-right yellow, so a flip or a mirror shows;
// - over the top eighth of the rows (height / 8), a stamp of kStampCells equal
//   cells across the width, each white (bit 1) or black (bit 0): cell 0 is
//   always white and the last cell always black (the stamp's markers), then the
//   camera instance's tag (8 bits) and the frame counter (16 bits), most
//   significant bit first. Cell i spans the columns i * width / kStampCells up to
//   (i + 1) * width / kStampCells. The cells are wide enough to survive a resize
//   to a quarter of the width and a JPEG encoding.
// A dark frame is black everywhere, stamp included.
//
// The counter counts every frame a camera object has produced since it was
// created; it goes on across stops and starts, so a later frame always carries a
// later number (modulo 2^16).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kelpo::test_camera {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

constexpr Rgb kTopLeftColour{255, 0, 0};
constexpr Rgb kTopRightColour{0, 255, 0};
constexpr Rgb kBottomLeftColour{0, 0, 255};
constexpr Rgb kBottomRightColour{255, 255, 0};
constexpr Rgb kStampOne{255, 255, 255};
constexpr Rgb kStampZero{0, 0, 0};

constexpr int kTagBits = 8;
constexpr int kCounterBits = 16;
// Start marker, tag, counter, end marker.
constexpr int kStampCells = 1 + kTagBits + kCounterBits + 1;
// The stamp covers height / kStampHeightDivisor rows at the top.
constexpr int kStampHeightDivisor = 8;

struct FrameStamp {
  std::uint8_t tag = 0;
  std::uint16_t counter = 0;
};

// Whether counter b was produced after counter a, allowing for wrap-around.
constexpr bool CounterAdvanced(std::uint16_t a, std::uint16_t b) {
  const auto step = static_cast<std::uint16_t>(b - a);
  return step != 0 && step < 0x8000;
}

// A 24-bit DIB as DirectShow and GDI store it: blue, green, red per pixel, rows
// padded to 4 bytes, bottom-up when the header's height is positive.
class Rgb24View {
 public:
  // height is the header's biHeight: positive for bottom-up rows.
  Rgb24View(const std::uint8_t* bits, int width, int height)
      : bits_(bits), width_(width), rows_(height < 0 ? -height : height), bottomUp_(height > 0) {}
  Rgb24View(std::uint8_t* bits, int width, int height)
      : Rgb24View(static_cast<const std::uint8_t*>(bits), width, height) {}

  static std::size_t Stride(int width) { return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4; }
  static std::size_t ImageSize(int width, int height) {
    return Stride(width) * static_cast<std::size_t>(height < 0 ? -height : height);
  }

  int width() const { return width_; }
  int height() const { return rows_; }

  // x from the left, y from the top of the upright picture.
  Rgb operator()(int x, int y) const {
    const std::uint8_t* pixel = Row(y) + static_cast<std::size_t>(x) * 3;
    return Rgb{pixel[2], pixel[1], pixel[0]};
  }

 private:
  const std::uint8_t* Row(int y) const {
    const int stored = bottomUp_ ? rows_ - 1 - y : y;
    return bits_ + Stride(width_) * static_cast<std::size_t>(stored);
  }

  const std::uint8_t* bits_;
  int width_;
  int rows_;
  bool bottomUp_;
};

// Draws the pattern with the given stamp into a DIB of Rgb24View's layout.
void DrawFrame(std::uint8_t* bits, int width, int height, FrameStamp stamp);
// Draws a dark frame: every byte zero.
void DrawDarkFrame(std::uint8_t* bits, int width, int height);

// Reads the stamp of an upright picture through read(x, y) -> Rgb. Nothing when
// the markers are missing or a cell is neither black nor white (a dark frame, a
// picture of something else, or one too small to hold the cells).
template <typename ReadPixel>
std::optional<FrameStamp> ReadStamp(int width, int height, const ReadPixel& read);

enum class Orientation { kUpright, kFlippedVertically, kMirrored, kRotated180, kUnknown };

// How the quadrants of an upright picture read through read(x, y) lie.
template <typename ReadPixel>
Orientation ReadOrientation(int width, int height, const ReadPixel& read);

// Whether every sampled point of the picture is black.
template <typename ReadPixel>
bool IsDark(int width, int height, const ReadPixel& read);

// ---------------------------------------------------------------------------

namespace detail {

// Tolerance for colours that went through scaling or JPEG.
constexpr int kColourTolerance = 80;

constexpr bool Near(Rgb a, Rgb b) {
  auto close = [](int x, int y) { return (x > y ? x - y : y - x) <= kColourTolerance; };
  return close(a.red, b.red) && close(a.green, b.green) && close(a.blue, b.blue);
}

// 0 to 3 for top-left, top-right, bottom-left, bottom-right; -1 for none.
inline int QuadrantOf(Rgb colour) {
  const Rgb quadrants[] = {kTopLeftColour, kTopRightColour, kBottomLeftColour, kBottomRightColour};
  for (int i = 0; i < 4; ++i) {
    if (Near(colour, quadrants[i])) return i;
  }
  return -1;
}

}  // namespace detail

template <typename ReadPixel>
std::optional<FrameStamp> ReadStamp(int width, int height, const ReadPixel& read) {
  const int stampRows = height / kStampHeightDivisor;
  if (width < kStampCells || stampRows < 1) return std::nullopt;
  const int y = stampRows / 2;
  std::uint32_t bits = 0;
  for (int cell = 0; cell < kStampCells; ++cell) {
    const int x = (2 * cell + 1) * width / (2 * kStampCells);
    const Rgb colour = read(x, y);
    int bit;
    if (detail::Near(colour, kStampOne)) {
      bit = 1;
    } else if (detail::Near(colour, kStampZero)) {
      bit = 0;
    } else {
      return std::nullopt;
    }
    if ((cell == 0 && bit != 1) || (cell == kStampCells - 1 && bit != 0)) return std::nullopt;
    if (cell != 0 && cell != kStampCells - 1) bits = bits << 1 | static_cast<std::uint32_t>(bit);
  }
  FrameStamp stamp;
  stamp.counter = static_cast<std::uint16_t>(bits & 0xFFFF);
  stamp.tag = static_cast<std::uint8_t>(bits >> kCounterBits);
  return stamp;
}

template <typename ReadPixel>
Orientation ReadOrientation(int width, int height, const ReadPixel& read) {
  // The centres of the quadrants lie clear of the stamp whichever way up.
  const int left = width / 4, right = width * 3 / 4, top = height / 4, bottom = height * 3 / 4;
  const int seen[] = {detail::QuadrantOf(read(left, top)), detail::QuadrantOf(read(right, top)),
                      detail::QuadrantOf(read(left, bottom)),
                      detail::QuadrantOf(read(right, bottom))};
  auto is = [&seen](int a, int b, int c, int d) {
    return seen[0] == a && seen[1] == b && seen[2] == c && seen[3] == d;
  };
  if (is(0, 1, 2, 3)) return Orientation::kUpright;
  if (is(2, 3, 0, 1)) return Orientation::kFlippedVertically;
  if (is(1, 0, 3, 2)) return Orientation::kMirrored;
  if (is(3, 2, 1, 0)) return Orientation::kRotated180;
  return Orientation::kUnknown;
}

template <typename ReadPixel>
bool IsDark(int width, int height, const ReadPixel& read) {
  constexpr int kSamples = 8;
  for (int i = 0; i < kSamples; ++i) {
    for (int j = 0; j < kSamples; ++j) {
      const int x = (2 * i + 1) * width / (2 * kSamples);
      const int y = (2 * j + 1) * height / (2 * kSamples);
      if (!detail::Near(read(x, y), kStampZero)) return false;
    }
  }
  return true;
}

}  // namespace kelpo::test_camera
