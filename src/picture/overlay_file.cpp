#include "common/win32.h"

#include "picture/overlay_file.h"

#include "picture/overlay_image.h"
#include "picture/overlay_rules.h"
#include "picture/pixel_bitmap.h"

namespace kelpo {

namespace {

constexpr std::uint64_t kArgbBytes = 4;

}  // namespace

Gdiplus::Bitmap* OverlayFile::Current(const std::wstring& path) {
  if (ReadImageBytes(path, read_) != ImageRead::kRead) {
    Forget();
    return nullptr;
  }
  if (!overlay_ || read_ != decoded_) {
    Forget();
    overlay_ = DecodeImageBytes(read_, true);
    read_.swap(decoded_);
    // An image that did not decode is tried afresh at the next picture.
    if (!overlay_) {
      Forget();
      return nullptr;
    }
  }
  return overlay_.image.get();
}

void OverlayFile::LetGoOfLarge() {
  const std::uint64_t pixels =
      overlay_ ? std::uint64_t{overlay_.image->GetWidth()} * overlay_.image->GetHeight() : 0;
  if (pixels * kArgbBytes > kKeptBufferLimit || decoded_.capacity() > kKeptBufferLimit ||
      read_.capacity() > kKeptBufferLimit) {
    Forget();
    std::vector<std::uint8_t>().swap(read_);
    std::vector<std::uint8_t>().swap(decoded_);
  }
}

void OverlayFile::DrawOn(Gdiplus::Image& picture, const Settings& settings) {
  if (Gdiplus::Bitmap* overlay = Current(settings.overlayfilename)) {
    DrawOverlay(picture, overlay, settings.overlayfilename, false, OverlayParametersFrom(settings));
  }
  LetGoOfLarge();
}

void OverlayFile::Forget() {
  // The image goes before the stream it was decoded from.
  overlay_.image.reset();
  overlay_ = LoadedImage();
  decoded_.clear();
}

}  // namespace kelpo
