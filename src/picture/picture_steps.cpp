#include "common/win32.h"

#include "picture/picture_steps.h"

#include "picture/edge_pixels.h"
#include "picture/image_size_rules.h"
#include "picture/picture_rules.h"
#include "picture/pixel_bitmap.h"
#include "picture/pixel_format_rules.h"

#include <cstddef>
#include <cstring>
#include <optional>

namespace kelpo {

namespace {

// Clears the last picture to the black of a new 24-bit bitmap; false when it
// is of another size or kind.
bool ClearForReuse(Gdiplus::Bitmap& picture, std::uint32_t width, std::uint32_t height) {
  if (picture.GetWidth() != width || picture.GetHeight() != height ||
      picture.GetPixelFormat() != PixelFormat24bppRGB) {
    return false;
  }
  const Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData data{};
  if (picture.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat24bppRGB, &data) !=
      Gdiplus::Ok) {
    return false;
  }
  const std::size_t rowBytes = std::size_t{width} * kBgr24Bytes;
  for (UINT y = 0; y < data.Height; ++y) {
    std::memset(
        static_cast<std::uint8_t*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride, 0,
        rowBytes);
  }
  return picture.UnlockBits(&data) == Gdiplus::Ok;
}

// The part of the frame the crop rectangle keeps, if any.
std::optional<FrameRect> FrameCrop(Gdiplus::Image& frame, const Settings& settings) {
  return CropWithinFrame({settings.CropX, settings.CropY, settings.CropWidth, settings.CropHeight},
                         frame.GetWidth(), frame.GetHeight());
}

}  // namespace

bool CropOverlapsFrame(Gdiplus::Image& frame, const Settings& settings) {
  return !settings.CropEnable || FrameCrop(frame, settings).has_value();
}

std::unique_ptr<Gdiplus::Bitmap> ResizeAndCrop(Gdiplus::Image& frame, const Settings& settings,
                                               std::uint32_t width, std::uint32_t height,
                                               std::unique_ptr<Gdiplus::Bitmap> lastPicture) {
  // A zero side, a size beyond GDI+'s arithmetic or one above the pixel budget
  // is refused here, before GDI+ is asked to allocate it.
  if (!IsDrawableSize(width, height) || !WithinPixelBudget(width, height)) return nullptr;
  std::optional<FrameRect> crop;
  if (settings.CropEnable) {
    crop = FrameCrop(frame, settings);
    if (!crop) return nullptr;
  }
  std::unique_ptr<Gdiplus::Bitmap> picture = std::move(lastPicture);
  if (!picture || !ClearForReuse(*picture, width, height)) {
    picture = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(width), static_cast<INT>(height),
                                                PixelFormat24bppRGB);
    if (picture->GetLastStatus() != Gdiplus::Ok) return nullptr;
  }

  Gdiplus::Graphics graphics(picture.get());
  if (graphics.GetLastStatus() != Gdiplus::Ok) return nullptr;
  (void)graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  const Gdiplus::RectF destination(0.0f, 0.0f, static_cast<Gdiplus::REAL>(width),
                                   static_cast<Gdiplus::REAL>(height));
  Gdiplus::ImageAttributes edges;
  RepeatEdgePixels(edges);
  Gdiplus::Status drawn = Gdiplus::Ok;
  if (crop) {
    drawn = graphics.DrawImage(
        &frame, destination, static_cast<Gdiplus::REAL>(crop->x),
        static_cast<Gdiplus::REAL>(crop->y), static_cast<Gdiplus::REAL>(crop->width),
        static_cast<Gdiplus::REAL>(crop->height), Gdiplus::UnitPixel, &edges);
  } else {
    drawn = graphics.DrawImage(
        &frame, destination, 0.0f, 0.0f, static_cast<Gdiplus::REAL>(frame.GetWidth()),
        static_cast<Gdiplus::REAL>(frame.GetHeight()), Gdiplus::UnitPixel, &edges);
  }
  // A picture whose frame was not drawn is black: no picture at all.
  if (drawn != Gdiplus::Ok) return nullptr;
  return picture;
}

std::unique_ptr<Gdiplus::Bitmap> KeptForNextPicture(std::unique_ptr<Gdiplus::Bitmap> picture) {
  if (!picture || picture->GetPixelFormat() != PixelFormat24bppRGB ||
      std::uint64_t{picture->GetWidth()} * picture->GetHeight() * kBgr24Bytes > kKeptBufferLimit) {
    return nullptr;
  }
  return picture;
}

void FlipPicture(Gdiplus::Image& picture, const Settings& settings) {
  if (!settings.fliphorizontal && !settings.flipvertical) return;
  // The 24-bit pictures Kelpo draws are mirrored where they lie: RotateFlip
  // makes a new copy of the pixels, and fresh memory is the dearest part.
  if (picture.GetType() == Gdiplus::ImageTypeBitmap &&
      picture.GetPixelFormat() == PixelFormat24bppRGB) {
    auto& bitmap = static_cast<Gdiplus::Bitmap&>(picture);
    const Gdiplus::Rect all(0, 0, static_cast<INT>(bitmap.GetWidth()),
                            static_cast<INT>(bitmap.GetHeight()));
    Gdiplus::BitmapData data{};
    if (bitmap.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite,
                        PixelFormat24bppRGB, &data) == Gdiplus::Ok) {
      if (data.Stride > 0) {
        MirrorRows(static_cast<std::uint8_t*>(data.Scan0), static_cast<std::size_t>(data.Stride),
                   data.Width, data.Height, kBgr24Bytes, settings.fliphorizontal,
                   settings.flipvertical);
      }
      if (bitmap.UnlockBits(&data) == Gdiplus::Ok && data.Stride > 0) return;
    }
  }
  if (settings.fliphorizontal) (void)picture.RotateFlip(Gdiplus::RotateNoneFlipX);
  if (settings.flipvertical) (void)picture.RotateFlip(Gdiplus::RotateNoneFlipY);
}

}  // namespace kelpo
