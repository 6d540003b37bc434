// The Overlay page's live preview: the sample background with the chosen
// overlay drawn exactly as a picture of the output size would get it.
#pragma once

#include "common/unique_handle.h"
#include "picture/picture_rules.h"
#include "picture/image_file.h"

namespace kelpo {

class OverlayPreview {
 public:
  // `page` is the Overlay page's dialog; its IDC_OVERLAY_PREVIEW control gives
  // the size. The preview shows what a picture of `outputSize` gets.
  OverlayPreview(PictureSize outputSize, HWND page);
  OverlayPreview(const OverlayPreview&) = delete;
  OverlayPreview& operator=(const OverlayPreview&) = delete;

  // Replaces the overlay (an empty path or an unreadable file leaves none)
  // and renders the preview again.
  void SetOverlayPreviewImage(const std::wstring& path);

  // Rebuilds the preview from the page's current controls and repaints it.
  void RenderOverlayPreview();

  // The owner-draw handler's work: the preview, unscaled, at (0, 0), made
  // again first when `control` (its client area) has another size.
  void Paint(HDC dc, const RECT& control);

  void SetKeyColour(COLORREF colour) { keyColour_ = colour; }
  COLORREF KeyColour() const { return keyColour_; }
  unique_hbrush& SwatchBrush() { return swatchBrush_; }
  Gdiplus::Bitmap* PreviewBitmap() const { return preview_.get(); }

 private:
  // The preview for a control of this size, from the page's controls.
  void Render(int width, int height);

  PictureSize outputSize_;
  HWND page_;
  std::unique_ptr<Gdiplus::Bitmap> background_;
  LoadedImage overlay_;
  std::unique_ptr<Gdiplus::Bitmap> preview_;
  int width_ = 0;
  int height_ = 0;
  COLORREF keyColour_ = 0;
  unique_hbrush swatchBrush_;
};

}  // namespace kelpo
