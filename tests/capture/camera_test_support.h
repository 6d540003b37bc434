// Reading the test camera's pattern back from a GDI+ picture: a grabbed frame
// or a finished JPEG.
#pragma once

#include "picture/gdiplus_include.h"
#include "support/test_camera/frame_pattern.h"

#include <optional>

namespace kelpo::test {

inline test_camera::Rgb RgbAt(Gdiplus::Bitmap& picture, int x, int y) {
  Gdiplus::Color colour;
  (void)picture.GetPixel(x, y, &colour);
  return test_camera::Rgb{colour.GetR(), colour.GetG(), colour.GetB()};
}

inline int Width(Gdiplus::Bitmap& picture) { return static_cast<int>(picture.GetWidth()); }
inline int Height(Gdiplus::Bitmap& picture) { return static_cast<int>(picture.GetHeight()); }

inline std::optional<test_camera::FrameStamp> StampOf(Gdiplus::Bitmap& picture) {
  return test_camera::ReadStamp(Width(picture), Height(picture),
                                [&](int x, int y) { return RgbAt(picture, x, y); });
}

inline test_camera::Orientation OrientationOf(Gdiplus::Bitmap& picture) {
  return test_camera::ReadOrientation(Width(picture), Height(picture),
                                      [&](int x, int y) { return RgbAt(picture, x, y); });
}

inline bool IsDark(Gdiplus::Bitmap& picture) {
  return test_camera::IsDark(Width(picture), Height(picture),
                             [&](int x, int y) { return RgbAt(picture, x, y); });
}

}  // namespace kelpo::test
