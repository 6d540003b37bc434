#include "app/application.h"

#include "capture/still_image_rules.h"
#include "picture/image_file.h"
#include "resources/resource.h"

namespace kelpo {

namespace {

// The preview's background where the fitted image leaves the bitmap empty.
const Gdiplus::Color kPreviewBackground(0x00, 0xFF, 0xFF, 0xFF);

// Hands the bitmap to the static control and deletes the one it gives back. A
// version 6 static control may keep its own copy of a 32-bit bitmap instead of
// the one it was given; then ours is not in use and is deleted too.
void ShowInPreviewControl(HWND control, unique_hbitmap bitmap) {
  unique_hbitmap previous(reinterpret_cast<HBITMAP>(
      ::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()))));
  const auto shown =
      reinterpret_cast<HBITMAP>(::SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
  if (shown == bitmap.get()) (void)bitmap.release();
  if (previous.get() == shown) (void)previous.release();
}

}  // namespace

void Application::LoadStillImage() {
  // Decoded from a copy in memory: the file is never held open, so it can be
  // replaced between two pictures and the next picture shows the new one.
  LoadedImage loaded = LoadImageFile(settings.devicePath, false);
  if (!loaded) return;
  const UINT width = loaded.image->GetWidth();
  const UINT height = loaded.image->GetHeight();

  auto still = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(width), static_cast<INT>(height),
                                                 PixelFormat32bppARGB);
  if (still->GetLastStatus() != Gdiplus::Ok) return;
  {
    Gdiplus::Graphics graphics(still.get());
    // A truncated file may decode its header and fail here: keep the old image.
    if (graphics.DrawImage(loaded.image.get(), 0, 0, static_cast<INT>(width),
                           static_cast<INT>(height)) != Gdiplus::Ok) {
      return;
    }
  }
  loaded.image.reset();
  loaded.stream.Reset();
  stillImage = std::move(still);

  HWND control = ::GetDlgItem(mainWindow, IDC_PREVIEW);
  RECT client{};
  if (control == nullptr || !::GetClientRect(control, &client)) return;
  const FittedSize fitted =
      FitStillPreview(static_cast<std::uint32_t>(client.right - client.left),
                      static_cast<std::uint32_t>(client.bottom - client.top), width, height);
  if (fitted.width == 0 || fitted.height == 0) return;

  auto preview = std::make_unique<Gdiplus::Bitmap>(
      static_cast<INT>(fitted.width), static_cast<INT>(fitted.height), PixelFormat32bppARGB);
  if (preview->GetLastStatus() != Gdiplus::Ok) return;
  {
    Gdiplus::Graphics graphics(preview.get());
    (void)graphics.DrawImage(stillImage.get(), 0, 0, static_cast<INT>(fitted.width),
                             static_cast<INT>(fitted.height));
  }
  stillPreview = std::move(preview);
  unique_hbitmap bitmap;
  if (stillPreview->GetHBITMAP(kPreviewBackground, bitmap.put()) != Gdiplus::Ok) return;
  ShowInPreviewControl(control, std::move(bitmap));
}

}  // namespace kelpo
