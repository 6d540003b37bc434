#include "common/win32.h"

#include "picture/overlay_file.h"

#include "picture/overlay_image.h"
#include "picture/overlay_rules.h"
#include "picture/pixel_bitmap.h"
#include "picture/pixel_format_rules.h"

namespace kelpo {

Gdiplus::Bitmap* OverlayFile::Current(const std::wstring& path, bool* tooLarge) {
  if (tooLarge != nullptr) *tooLarge = false;
  const ImageRead read = ReadImageBytes(path, read_);
  if (read != ImageRead::kRead) {
    if (tooLarge != nullptr) *tooLarge = read == ImageRead::kTooLarge;
    Forget();
    return nullptr;
  }
  if (!overlay_ || read_ != decoded_) {
    Forget();
    overlay_ = DecodeImageBytes(read_, true);
    read_.swap(decoded_);
    // An image that did not decode is tried afresh at the next picture.
    if (!overlay_) {
      if (tooLarge != nullptr) *tooLarge = overlay_.tooLarge;
      Forget();
      return nullptr;
    }
  }
  return overlay_.image.get();
}

void OverlayFile::LetGoOfLarge() {
  const std::uint64_t pixels =
      overlay_ ? std::uint64_t{overlay_.image->GetWidth()} * overlay_.image->GetHeight() : 0;
  if (pixels * kBgra32Bytes > kKeptBufferLimit || decoded_.capacity() > kKeptBufferLimit ||
      read_.capacity() > kKeptBufferLimit) {
    Forget();
    std::vector<std::uint8_t>().swap(read_);
    std::vector<std::uint8_t>().swap(decoded_);
  }
}

OverlayStep OverlayFile::DrawOn(Gdiplus::Image& picture, const Settings& settings) {
  bool tooLarge = false;
  OverlayStep step = OverlayStep::kDrawn;
  if (Gdiplus::Bitmap* overlay = Current(settings.overlayfilename, &tooLarge)) {
    if (!DrawOverlay(picture, overlay, settings.overlayfilename, false,
                     OverlayParametersFrom(settings))) {
      step = OverlayStep::kFailed;
    }
  } else if (tooLarge) {
    step = OverlayStep::kTooLarge;
  }
  LetGoOfLarge();
  return step;
}

void OverlayFile::Forget() {
  // The image goes before the stream it was decoded from.
  overlay_.image.reset();
  overlay_ = LoadedImage();
  decoded_.clear();
}

}  // namespace kelpo
