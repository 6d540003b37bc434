#include "capture/still_image_source.h"

#include "capture/preview_control.h"
#include "capture/still_image_rules.h"
#include "common/unique_handle.h"
#include "picture/image_file.h"
#include "picture/pixel_bitmap.h"

namespace kelpo {

namespace {

// The preview's background where the fitted image leaves the bitmap empty.
const Gdiplus::Color kPreviewBackground(0x00, 0xFF, 0xFF, 0xFF);

}  // namespace

StillImageSource::StillImageSource(const Settings& settings, HWND previewControl)
    : settings_(settings), previewControl_(previewControl) {}

FrameRequest StillImageSource::RequestPicture() {
  LoadStillImage();
  if (tooLarge_) return FrameRequest::kFailed;
  // Even without an image the picture goes ahead: it clears away the last one.
  return FrameRequest::kReady;
}

std::unique_ptr<Gdiplus::Bitmap> StillImageSource::GrabFrame() {
  if (!stillImage_) return nullptr;
  // The picture only reads its frame, so the frame reads the still image's
  // rows; the next decode leaves them alone while it does.
  return stillImage_->Share();
}

void StillImageSource::LoadStillImage() {
  // Decoded from a copy in memory: the file is never held open, so it can be
  // replaced between two pictures and the next picture shows the new one.
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  const StillDecode decoded = decoder_.Decode(settings_.devicePath, spareRows_, width, height);
  tooLarge_ = decoded == StillDecode::kTooLarge;
  std::unique_ptr<PixelBitmap> still;
  if (decoded == StillDecode::kDecoded) {
    still = std::make_unique<PixelBitmap>(spareRows_, static_cast<int>(width),
                                          static_cast<int>(height), PixelFormat32bppARGB);
  } else if (decoded == StillDecode::kNotDecoded) {
    // What WIC cannot decode, GDI+ may.
    LoadedImage loaded = LoadImageFile(settings_.devicePath, false);
    tooLarge_ = loaded.tooLarge;
    // A truncated file may decode its header and fail here: keep the old image.
    if (loaded) still = CopyAsArgb(*loaded.image);
  }
  if (tooLarge_) stillImage_.reset();
  if (!still || still->GetLastStatus() != Gdiplus::Ok) return;
  // The old image's rows take the next decode, once no frame reads them.
  spareRows_ = stillImage_ ? stillImage_->Rows() : nullptr;
  if (spareRows_ && spareRows_->bytes.capacity() > kKeptBufferLimit) spareRows_.reset();
  stillImage_ = std::move(still);
  ShowPreview();
}

void StillImageSource::OnWindowShown(bool shown) {
  // The window is about to show, and is not visible yet.
  if (shown && previewPending_) DrawPreview();
}

void StillImageSource::ShowPreview() {
  if (previewControl_ == nullptr) return;
  // Scaling the whole image costs as much as a picture's resize; the tray
  // program's window is hidden most of the time.
  if (!::IsWindowVisible(previewControl_)) {
    previewPending_ = true;
    return;
  }
  DrawPreview();
}

void StillImageSource::DrawPreview() {
  previewPending_ = false;
  RECT client{};
  if (!stillImage_ || !::GetClientRect(previewControl_, &client)) return;
  const FittedSize fitted = FitStillPreview(static_cast<std::uint32_t>(client.right - client.left),
                                            static_cast<std::uint32_t>(client.bottom - client.top),
                                            stillImage_->GetWidth(), stillImage_->GetHeight());
  if (fitted.width == 0 || fitted.height == 0) return;

  auto preview = std::make_unique<Gdiplus::Bitmap>(
      static_cast<INT>(fitted.width), static_cast<INT>(fitted.height), PixelFormat32bppARGB);
  if (preview->GetLastStatus() != Gdiplus::Ok) return;
  {
    Gdiplus::Graphics graphics(preview.get());
    (void)graphics.DrawImage(stillImage_.get(), 0, 0, static_cast<INT>(fitted.width),
                             static_cast<INT>(fitted.height));
  }
  stillPreview_ = std::move(preview);
  unique_hbitmap bitmap;
  if (stillPreview_->GetHBITMAP(kPreviewBackground, bitmap.put()) != Gdiplus::Ok) return;
  ShowInPreviewControl(previewControl_, std::move(bitmap));
}

}  // namespace kelpo
