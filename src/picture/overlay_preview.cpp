#include "common/win32.h"

#include "picture/overlay_preview.h"

#include "picture/edge_pixels.h"
#include "picture/overlay_image.h"
#include "resources/resource.h"

#include <commctrl.h>

namespace kelpo {

namespace {

constexpr float kSourceInset = 0.5f;

}  // namespace

OverlayPreview::OverlayPreview(PictureSize outputSize, HWND page)
    : outputSize_(outputSize), page_(page) {
  background_.reset(
      Gdiplus::Bitmap::FromResource(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_PREVIEW)));
}

void OverlayPreview::SetOverlayPreviewImage(const std::wstring& path) {
  overlay_.image.reset();
  overlay_.stream.Reset();
  overlay_ = LoadImageFile(path, true);
  RenderOverlayPreview();
}

void OverlayPreview::RenderOverlayPreview() {
  RECT client{};
  const HWND control = ::GetDlgItem(page_, IDC_OVERLAY_PREVIEW);
  if (!::GetClientRect(control, &client)) return;
  Render(client.right - client.left, client.bottom - client.top);
  (void)::InvalidateRect(control, nullptr, FALSE);
}

void OverlayPreview::Render(int width, int height) {
  if (!background_) return;
  preview_.reset();
  width_ = width;
  height_ = height;
  if (width_ <= 0 || height_ <= 0) return;
  preview_ = std::make_unique<Gdiplus::Bitmap>(width_, height_, PixelFormat32bppRGB);
  {
    Gdiplus::Graphics graphics(preview_.get());
    (void)graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    (void)graphics.SetCompositingQuality(Gdiplus::CompositingQualityHighSpeed);
    (void)graphics.SetInterpolationMode(Gdiplus::InterpolationModeLowQuality);
    (void)graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    const Gdiplus::RectF whole(0.0f, 0.0f, static_cast<Gdiplus::REAL>(width_),
                               static_cast<Gdiplus::REAL>(height_));
    Gdiplus::ImageAttributes edges;
    RepeatEdgePixels(edges);
    (void)graphics.DrawImage(background_.get(), whole, kSourceInset, kSourceInset,
                             static_cast<Gdiplus::REAL>(background_->GetWidth()) - 1.0f,
                             static_cast<Gdiplus::REAL>(background_->GetHeight()) - 1.0f,
                             Gdiplus::UnitPixel, &edges);
  }

  OverlayParameters parameters;
  parameters.opacity = static_cast<std::uint32_t>(
      ::SendDlgItemMessageW(page_, IDC_OVERLAY_OPACITY, TBM_GETPOS, 0, 0));
  const auto percentage = static_cast<std::uint32_t>(
      ::SendDlgItemMessageW(page_, IDC_OVERLAY_PERCENT, TBM_GETPOS, 0, 0));
  parameters.colourKey = ::IsDlgButtonChecked(page_, IDC_OVERLAY_COLOUR_KEY) == BST_CHECKED;
  parameters.position = static_cast<std::uint32_t>(
      ::SendDlgItemMessageW(page_, IDC_OVERLAY_POSITION, CB_GETCURSEL, 0, 0));
  parameters.keyRed = GetRValue(keyColour_);
  parameters.keyGreen = GetGValue(keyColour_);
  parameters.keyBlue = GetBValue(keyColour_);
  PreviewScale(::IsDlgButtonChecked(page_, IDC_OVERLAY_PERCENTAGE) == BST_CHECKED,
               ::IsDlgButtonChecked(page_, IDC_OVERLAY_BEST_FIT) == BST_CHECKED, percentage,
               static_cast<std::uint32_t>(width_), static_cast<std::uint32_t>(height_),
               outputSize_.width, outputSize_.height, parameters);

  // A failed load leaves the background alone; never fall back to the file
  // named in the settings, which is what a null overlay would mean.
  if (overlay_) DrawOverlay(*preview_, overlay_.image.get(), std::wstring(), true, parameters);
}

void OverlayPreview::Paint(HDC dc, const RECT& control) {
  // The control was resized (another monitor's scale): the preview is made
  // again at its new size rather than stretched or cut.
  const int width = control.right - control.left;
  const int height = control.bottom - control.top;
  if (width != width_ || height != height_) Render(width, height);
  if (!preview_) return;
  Gdiplus::Graphics graphics(dc);
  (void)graphics.DrawImage(preview_.get(), 0, 0);
}

}  // namespace kelpo
