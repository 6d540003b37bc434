#include "common/win32.h"

#include "picture/picture_steps.h"

#include "picture/image_size_rules.h"
#include "picture/picture_rules.h"

namespace kelpo {

std::unique_ptr<Gdiplus::Bitmap> ResizeAndCrop(Gdiplus::Image& frame, const Settings& settings,
                                               std::uint32_t width, std::uint32_t height) {
  // A zero side, a size beyond GDI+'s arithmetic or one above the pixel budget
  // is refused here, before GDI+ is asked to allocate it.
  if (!IsDrawableSize(width, height) || !WithinPixelBudget(width, height)) return nullptr;
  const auto outputWidth = static_cast<INT>(width);
  const auto outputHeight = static_cast<INT>(height);
  auto picture = std::make_unique<Gdiplus::Bitmap>(outputWidth, outputHeight, PixelFormat24bppRGB);
  if (picture->GetLastStatus() != Gdiplus::Ok) return nullptr;

  Gdiplus::Graphics graphics(picture.get());
  (void)graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  if (settings.CropEnable) {
    const Gdiplus::RectF destination(0.0f, 0.0f, static_cast<Gdiplus::REAL>(width),
                                     static_cast<Gdiplus::REAL>(height));
    (void)graphics.DrawImage(
        &frame, destination, static_cast<Gdiplus::REAL>(settings.CropX),
        static_cast<Gdiplus::REAL>(settings.CropY), static_cast<Gdiplus::REAL>(settings.CropWidth),
        static_cast<Gdiplus::REAL>(settings.CropHeight), Gdiplus::UnitPixel, nullptr);
  } else {
    (void)graphics.DrawImage(&frame, 0, 0, outputWidth, outputHeight);
  }
  return picture;
}

void FlipPicture(Gdiplus::Image& picture, const Settings& settings) {
  if (settings.fliphorizontal) (void)picture.RotateFlip(Gdiplus::RotateNoneFlipX);
  if (settings.flipvertical) (void)picture.RotateFlip(Gdiplus::RotateNoneFlipY);
}

}  // namespace kelpo
