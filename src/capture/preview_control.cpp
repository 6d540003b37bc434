#include "capture/preview_control.h"

#include "capture/video_preview_rules.h"
#include "picture/picture_rules.h"

namespace kelpo {

namespace {

// The timer's ID on the preview control, and the property that leads its
// callback back to the preview.
constexpr UINT_PTR kPreviewTimerId = 1;
constexpr wchar_t kPreviewProperty[] = L"KelpoConvertedPreview";
// Where the letterboxed video leaves the control empty, as a video renderer's.
const Gdiplus::Color kLetterbox(0xFF, 0x00, 0x00, 0x00);

}  // namespace

// A version 6 static control may keep its own copy of a 32-bit bitmap instead
// of the one it was given; then ours is not in use and is deleted too.
void ShowInPreviewControl(HWND control, unique_hbitmap bitmap) {
  unique_hbitmap previous(reinterpret_cast<HBITMAP>(
      ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()))));
  const auto shown =
      reinterpret_cast<HBITMAP>(::SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
  if (shown == bitmap.get()) (void)bitmap.release();
  if (previous.get() == shown) (void)previous.release();
}

ConvertedPreview::ConvertedPreview(HWND control, const Settings& settings, NextFrame nextFrame)
    : control_(control), settings_(settings), nextFrame_(std::move(nextFrame)) {}

ConvertedPreview::~ConvertedPreview() { Stop(); }

void ConvertedPreview::Start() {
  if (running_ || control_ == nullptr) return;
  if (!::SetPropW(control_, kPreviewProperty, this)) return;
  running_ = ::SetTimer(control_, kPreviewTimerId, kPeriod, &ConvertedPreview::OnTimer) != 0;
  if (!running_) (void)::RemovePropW(control_, kPreviewProperty);
}

void ConvertedPreview::Stop() {
  if (!running_) return;
  (void)::KillTimer(control_, kPreviewTimerId);
  (void)::RemovePropW(control_, kPreviewProperty);
  running_ = false;
}

void CALLBACK ConvertedPreview::OnTimer(HWND control, UINT, UINT_PTR, DWORD) noexcept {
  auto* self = static_cast<ConvertedPreview*>(::GetPropW(control, kPreviewProperty));
  if (self == nullptr) return;
  try {
    if (std::unique_ptr<Gdiplus::Bitmap> frame = self->nextFrame_()) self->Show(*frame);
  } catch (...) {
    // A frame that cannot be shown is skipped; the next tick tries again.
  }
}

void ConvertedPreview::Show(Gdiplus::Bitmap& frame) {
  RECT client{};
  if (!::GetClientRect(control_, &client)) return;
  const INT width = client.right - client.left;
  const INT height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  Gdiplus::Bitmap canvas(width, height, PixelFormat32bppARGB);
  if (canvas.GetLastStatus() != Gdiplus::Ok) return;
  {
    Gdiplus::Graphics graphics(&canvas);
    (void)graphics.Clear(kLetterbox);
    (void)graphics.SetInterpolationMode(Gdiplus::InterpolationModeBilinear);
    const VideoRect source = PreviewSourceRect(
        settings_.CropEnable, settings_.CropX, settings_.CropY, settings_.CropWidth,
        settings_.CropHeight, static_cast<std::int32_t>(frame.GetWidth()),
        static_cast<std::int32_t>(frame.GetHeight()));
    const PictureSize output = OutputSizeFor(settings_.UseCustomImageSize, settings_.CustomSizeX,
                                             settings_.CustomSizeY, settings_.imagesize);
    const VideoRect shown = LetterboxPreview(width, height, output.width, output.height);
    (void)graphics.DrawImage(
        &frame, Gdiplus::Rect(shown.left, shown.top, shown.width, shown.height), source.left,
        source.top, source.width, source.height, Gdiplus::UnitPixel);
  }
  unique_hbitmap bitmap;
  if (canvas.GetHBITMAP(kLetterbox, bitmap.put()) != Gdiplus::Ok) return;
  ShowInPreviewControl(control_, std::move(bitmap));
}

}  // namespace kelpo
