#include "common/win32.h"

#include "picture/overlay_image.h"

#include "picture/edge_pixels.h"
#include "picture/image_file.h"

namespace kelpo {

namespace {

constexpr std::uint32_t kFullOpacity = 100;
constexpr float kPercent = 0.01f;
constexpr float kSourceInset = 0.5f;
constexpr BYTE kTransparentAlpha = 0;
constexpr BYTE kOpaqueAlpha = 255;
constexpr int kAlphaRow = 3;
constexpr int kMatrixSize = 5;

}  // namespace

bool DrawOverlay(Gdiplus::Image& target, Gdiplus::Image* overlay, const std::wstring& overlayFile,
                 bool fastRendering, const OverlayParameters& parameters) {
  LoadedImage loaded;
  if (overlay == nullptr) {
    // The file is read afresh for every picture, so a changed overlay shows at once.
    loaded = LoadImageFile(overlayFile, true);
    if (!loaded) return true;
    overlay = loaded.image.get();
  }
  if (overlay->GetLastStatus() != Gdiplus::Ok) return true;

  Gdiplus::Graphics graphics(&target);
  if (graphics.GetLastStatus() != Gdiplus::Ok) return false;
  const auto overlayWidth = static_cast<float>(overlay->GetWidth());
  const auto overlayHeight = static_cast<float>(overlay->GetHeight());
  const OverlayRect place =
      PlaceOverlay(parameters, overlayWidth, overlayHeight, static_cast<float>(target.GetWidth()),
                   static_cast<float>(target.GetHeight()));

  (void)graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
  if (fastRendering) {
    (void)graphics.SetCompositingQuality(Gdiplus::CompositingQualityHighSpeed);
    (void)graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighSpeed);
    (void)graphics.SetInterpolationMode(Gdiplus::InterpolationModeLowQuality);
  } else {
    (void)graphics.SetCompositingQuality(Gdiplus::CompositingQualityGammaCorrected);
    (void)graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    (void)graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  }
  if (parameters.opacity == 0) return true;

  Gdiplus::ImageAttributes attributes;
  RepeatEdgePixels(attributes);
  if (parameters.opacity < kFullOpacity) {
    Gdiplus::ColorMatrix matrix{};
    for (int i = 0; i < kMatrixSize; ++i) matrix.m[i][i] = 1.0f;
    matrix.m[kAlphaRow][kAlphaRow] = static_cast<float>(parameters.opacity) * kPercent;
    (void)attributes.SetColorMatrix(&matrix, Gdiplus::ColorMatrixFlagsDefault,
                                    Gdiplus::ColorAdjustTypeBitmap);
  }
  if (parameters.colourKey) {
    // Every alpha from 0 to 255: the key colour goes even where it is translucent.
    const Gdiplus::Color low(kTransparentAlpha, parameters.keyRed, parameters.keyGreen,
                             parameters.keyBlue);
    const Gdiplus::Color high(kOpaqueAlpha, parameters.keyRed, parameters.keyGreen,
                              parameters.keyBlue);
    (void)attributes.SetColorKey(low, high, Gdiplus::ColorAdjustTypeBitmap);
  }
  // Nothing to see, and GDI+ refuses an empty rectangle.
  if (!(place.width > 0.0f && place.height > 0.0f)) return true;
  const Gdiplus::RectF destination(place.x, place.y, place.width, place.height);
  // A one-pixel side has no inside to inset into.
  const float inset = overlayWidth > 1.0f && overlayHeight > 1.0f ? kSourceInset : 0.0f;
  return graphics.DrawImage(overlay, destination, inset, inset, overlayWidth - 2.0f * inset,
                            overlayHeight - 2.0f * inset, Gdiplus::UnitPixel,
                            &attributes) == Gdiplus::Ok;
}

}  // namespace kelpo
