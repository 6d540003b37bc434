#include "capture/still_image_source.h"

#include "capture/preview_control.h"
#include "capture/still_image_rules.h"
#include "common/unique_handle.h"
#include "picture/edge_pixels.h"
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
  // No file to read (no camera at start-up): nothing to take, and nothing to say.
  if (settings_.devicePath.empty()) return FrameRequest::kNone;
  if (!stillImage_) return FrameRequest::kFailed;
  return FrameRequest::kReady;
}

FrameRequest StillImageSource::RequestWorkerPicture() {
  if (settings_.devicePath.empty()) return FrameRequest::kNone;
  path_ = settings_.devicePath;
  return FrameRequest::kOnWorker;
}

std::unique_ptr<Gdiplus::Bitmap> StillImageSource::GrabFrame() {
  if (!stillImage_) return nullptr;
  // The picture only reads its frame, so the frame reads the still image's
  // rows; the next decode leaves them alone while it does.
  return stillImage_->Share();
}

std::unique_ptr<Gdiplus::Bitmap> StillImageSource::MakeFrame() {
  DecodeFile();
  return decoded_ ? decoded_->Share() : nullptr;
}

void StillImageSource::FrameMade() {
  if (stillImage_ == decoded_) return;
  stillImage_ = decoded_;
  if (stillImage_) ShowPreview();
}

void StillImageSource::LoadStillImage() {
  path_ = settings_.devicePath;
  DecodeFile();
  FrameMade();
}

void StillImageSource::DecodeFile() {
  // Decoded from a copy in memory: the file is never held open, so it can be
  // replaced between two pictures and the next picture shows the new one.
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  const StillDecode decoded = decoder_.Decode(path_, spareRows_, width, height);
  std::unique_ptr<PixelBitmap> still;
  // A file whose header reads well but whose image does not may still be
  // being written: that is momentary trouble, as a file held open is.
  StillFileTrouble trouble = StillFileTrouble::kMomentary;
  switch (decoded) {
    case StillDecode::kDecoded:
      still = std::make_unique<PixelBitmap>(spareRows_, static_cast<int>(width),
                                            static_cast<int>(height), PixelFormat32bppARGB);
      break;
    case StillDecode::kNotDecoded: {
      // What WIC cannot decode, GDI+ may.
      LoadedImage loaded = LoadImageFile(path_, false);
      if (loaded) still = CopyAsArgb(*loaded.image);
      if (loaded.tooLarge) trouble = StillFileTrouble::kGone;
      break;
    }
    case StillDecode::kIncomplete:
      break;
    case StillDecode::kUnreadable:
    case StillDecode::kTooLarge:
      trouble = StillFileTrouble::kGone;
      break;
  }
  if (!still || still->GetLastStatus() != Gdiplus::Ok) {
    OnFileTrouble(trouble);
    return;
  }
  troubleSince_.reset();
  // The old image's rows take the next decode, once no frame or preview
  // reads them.
  spareRows_ = decoded_ ? decoded_->Rows() : nullptr;
  if (spareRows_ && spareRows_->bytes.capacity() > kKeptBufferLimit) spareRows_.reset();
  decoded_ = std::move(still);
}

void StillImageSource::OnFileTrouble(StillFileTrouble trouble) {
  const DWORD now = ::GetTickCount();
  if (!troubleSince_) troubleSince_ = now;
  // Unsigned, so a tick count that wrapped around still gives the time since.
  if (!LastImageStandsIn(trouble, now - *troubleSince_)) decoded_.reset();
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
    Gdiplus::ImageAttributes edges;
    RepeatEdgePixels(edges);
    const Gdiplus::RectF whole(0.0f, 0.0f, static_cast<Gdiplus::REAL>(fitted.width),
                               static_cast<Gdiplus::REAL>(fitted.height));
    // A preview that was not drawn would show a blank: the last one stays.
    if (graphics.DrawImage(stillImage_.get(), whole, 0.0f, 0.0f,
                           static_cast<Gdiplus::REAL>(stillImage_->GetWidth()),
                           static_cast<Gdiplus::REAL>(stillImage_->GetHeight()), Gdiplus::UnitPixel,
                           &edges) != Gdiplus::Ok) {
      return;
    }
  }
  stillPreview_ = std::move(preview);
  unique_hbitmap bitmap;
  if (stillPreview_->GetHBITMAP(kPreviewBackground, bitmap.put()) != Gdiplus::Ok) return;
  ShowInPreviewControl(previewControl_, std::move(bitmap));
}

}  // namespace kelpo
